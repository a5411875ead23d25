// Reading and writing speed of the XML reader and the string table, on
// generated data shaped like the game's files, and how their time grows on
// inputs shaped to be slow: one element holding a long text, a long word
// of "&#" without ";", and a string file of rows without cells. Each of
// those is read at doubling sizes; a time that doubles with the size is
// linear, one that grows fourfold is quadratic. Prints its figures.

#include "framework/core/xml/TStringTable.h"
#include "framework/core/xml/TXmlNode.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace {

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string MakeDocument(int levels) {
    std::string text = "<?xml version=\"1.0\"?>\n<!-- generated -->\n<game>\n";
    for (int i = 0; i < levels; ++i) {
        text += "  <level id=\"" + std::to_string(i) + "\" mode=\"classic\" rows=\"6\">\n";
        for (int t = 0; t < 8; ++t) {
            text += "    <tile kind=\"" + std::to_string(t) + "\" x=\"" + std::to_string(t * 40) +
                    "\">star &amp; diamond caf&#195;&#169;</tile>\n";
        }
        text += "  </level>\n";
    }
    return text + "</game>\n";
}

std::string MakeSheet(int rows) {
    std::string text = "<Workbook><Worksheet><Table>\n";
    for (int i = 0; i < rows; ++i) {
        text += "<Row><Cell><Data ss:Type=\"String\">LABEL_" + std::to_string(i) +
                "</Data></Cell><Cell><Data ss:Type=\"String\">Text %1% of %2% &amp; more</Data>"
                "</Cell></Row>\n";
    }
    return text + "</Table></Worksheet></Workbook>\n";
}

// One element whose text is words of five letters, size bytes in all.
std::string MakeLongText(size_t size) {
    std::string text = "<settings>";
    while (text.size() < size) {
        text += "word ";
    }
    return text + "</settings>";
}

// One word made of "&#" pairs with no ";" anywhere.
std::string MakeUnendedReferences(size_t size) {
    std::string text = "<a>";
    while (text.size() < size) {
        text += "&#";
    }
    return text + "</a>";
}

// A table of empty rows: no row has a cell.
std::string MakeEmptyRows(size_t size) {
    std::string text = "<Table>";
    while (text.size() < size) {
        text += "<Row/>";
    }
    return text + "</Table>";
}

// Reads inputs of doubling size, from first up to last bytes, and prints
// each time with its ratio to the time of the half size. Stops early once
// one read takes longer than budget seconds, so a slow reader still ends.
template <typename Make, typename Read>
void Growth(const char* what, size_t first, size_t last, double budget, Make make, Read read) {
    std::printf("%s:\n", what);
    double previous = 0;
    for (size_t size = first; size <= last; size *= 2) {
        const std::string input = make(size);
        const auto start = std::chrono::steady_clock::now();
        const size_t result = read(input);
        const double seconds = Seconds(start);
        if (previous > 0) {
            std::printf("  %9zu bytes  %9.2f ms  %6.1f MB/s  x%.1f  (%zu)\n", input.size(),
                        seconds * 1e3, input.size() / seconds / 1e6, seconds / previous, result);
        } else {
            std::printf("  %9zu bytes  %9.2f ms  %6.1f MB/s        (%zu)\n", input.size(),
                        seconds * 1e3, input.size() / seconds / 1e6, result);
        }
        previous = seconds;
        if (seconds > budget) {
            std::printf("  (stopped: past %.0f s)\n", budget);
            break;
        }
    }
}

void GrowthFigures() {
    const double budget = 5.0;
    Growth("long text in one element", 1u << 18, 1u << 23, budget, MakeLongText,
           [](const std::string& input) {
               TXmlNode root;
               root.LoadBuffer(input.data(), input.size());
               const TXmlNode* settings = root.FindChild("settings");
               return settings ? static_cast<size_t>(settings->GetText().Length()) : 0;
           });
    Growth("\"&#\" without \";\" in one word", 1u << 14, 1u << 23, budget, MakeUnendedReferences,
           [](const std::string& input) {
               TXmlNode root;
               root.LoadBuffer(input.data(), input.size());
               const TXmlNode* a = root.FindChild("a");
               return a ? static_cast<size_t>(a->GetText().Length()) : 0;
           });
    Growth("string file of rows without cells", 1u << 16, 1u << 23, budget, MakeEmptyRows,
           [](const std::string& input) {
               TStringTable table;
               table.LoadBuffer(input.data(), input.size());
               return table.GetCount();
           });
}

} // namespace

int main() {
    const std::string document = MakeDocument(4000);
    const int rounds = 5;
    auto start = std::chrono::steady_clock::now();
    size_t children = 0;
    for (int i = 0; i < rounds; ++i) {
        TXmlNode root;
        root.LoadBuffer(document.data(), document.size());
        children += root.FindChild("game")->GetChildCount();
    }
    const double readSeconds = Seconds(start);
    std::printf("xml read: %.1f MB/s (%zu bytes, %zu levels per pass)\n",
                rounds * document.size() / readSeconds / 1e6, document.size(), children / rounds);

    TXmlNode root;
    root.LoadBuffer(document.data(), document.size());
    start = std::chrono::steady_clock::now();
    size_t written = 0;
    for (int i = 0; i < rounds; ++i) {
        written += static_cast<size_t>(root.ToString().Length());
    }
    std::printf("xml write: %.1f MB/s\n", written / Seconds(start) / 1e6);

    const std::string sheet = MakeSheet(5000);
    start = std::chrono::steady_clock::now();
    TStringTable table;
    table.LoadBuffer(sheet.data(), sheet.size());
    std::printf("string table load: %.2f ms for %zu labels\n", Seconds(start) * 1e3,
                table.GetCount());
    start = std::chrono::steady_clock::now();
    const int lookups = 100000;
    size_t bytes = 0;
    for (int i = 0; i < lookups; ++i) {
        bytes += static_cast<size_t>(
            table.GetString(TString::Format("LABEL_%d", i % 5000), TString("3"), TString("10"))
                .Length());
    }
    std::printf("string lookups: %.0f per second (%zu bytes)\n", lookups / Seconds(start), bytes);

    GrowthFigures();
    return 0;
}
