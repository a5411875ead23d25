// Reading and writing speed of the XML reader and the string table, on
// generated data shaped like the game's files. Prints its figures.

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
    return 0;
}
