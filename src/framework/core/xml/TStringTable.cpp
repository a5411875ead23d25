#include "framework/core/xml/TStringTable.h"

#include "framework/core/log/TLog.h"
#include "framework/core/settings/TSettings.h"
#include "framework/core/xml/TPackedXml.h"
#include "framework/core/xml/TXmlText.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace {

const char kMissingMarker[] = "#####";

// Finds one byte in a text, for searches whose start only moves forward:
// the last answer is kept while it still lies ahead, so a text with few of
// those bytes is not searched to its end again and again.
class ForwardFind {
public:
    ForwardFind(std::string_view text, char c) : mText(text), mChar(c) {}
    size_t From(size_t from) {
        if (!mKnown || (mFound != std::string_view::npos && mFound < from) || from < mFrom) {
            mFound = mText.find(mChar, from);
            mFrom = from;
            mKnown = true;
        }
        return mFound;
    }

private:
    std::string_view mText;
    char mChar;
    size_t mFrom = 0;
    size_t mFound = std::string_view::npos;
    bool mKnown = false;
};

// The searches of one scan of a string file.
struct CellScan {
    explicit CellScan(std::string_view text) : text(text), close(text, '>'), open(text, '<') {}
    std::string_view text;
    ForwardFind close;
    ForwardFind open;
};

// Text of the next cell that starts at or after from and before limit: the
// bytes after the first ">" that follows "<Data", up to the next "<".
// Returns false when no "<Data" starts in that span (the search stops at
// the row's end). next gets the position after the "<" that ended the cell.
bool ReadCell(CellScan& scan, size_t from, size_t limit, std::string_view& cell, size_t& next) {
    const std::string_view text = scan.text;
    cell = {};
    if (from >= limit) {
        return false;
    }
    const size_t cellStart = text.substr(0, limit).find("<Data", from);
    if (cellStart == std::string_view::npos) {
        return false;
    }
    const size_t open = scan.close.From(cellStart + 5);
    if (open == std::string_view::npos) {
        next = text.size();
        return true;
    }
    const size_t close = scan.open.From(open + 1);
    if (close == std::string_view::npos) {
        next = text.size();
        cell = text.substr(open + 1);
        return true;
    }
    next = close + 1;
    cell = text.substr(open + 1, close - open - 1);
    return true;
}

TString Decode(std::string_view cell) {
    return DecodeXmlEntities(cell.data(), cell.size(), nullptr);
}

bool IsAllDigits(std::string_view name) {
    for (char c : name) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

} // namespace

bool TStringTable::LoadFile(const TString& name) {
    std::vector<char> text;
    if (!ReadXmlFile(name, text)) {
        LogPrintf("TStringTable: cannot load string file '%s'", name.CStr());
        return false;
    }
    ScanRows(text.data(), text.size(), name.CStr());
    return true;
}

bool TStringTable::Reload(const TString& name) {
    mStrings.clear();
    return LoadFile(name);
}

bool TStringTable::LoadBuffer(const char* data, size_t size, const char* sourceName) {
    std::vector<char> text;
    if (!ReadXmlBuffer(data, size, text, sourceName)) {
        return false;
    }
    ScanRows(text.data(), text.size(), sourceName ? sourceName : "");
    return true;
}

void TStringTable::ScanRows(const char* data, size_t length, const char* sourceName) {
    // The file is read as one zero-terminated text: a 0 byte ends it.
    const std::string_view text(data, data ? strnlen(data, length) : 0);
    // What reading found wrong first, said once for the file.
    std::string damage;
    auto note = [&damage](const std::string& fault) {
        if (damage.empty())
            damage = fault;
    };
    if (text.size() < length)
        note("a zero byte at offset " + std::to_string(text.size()) + " ends its text");
    CellScan scan(text);
    size_t row = text.find("<Row");
    size_t rows = 0;
    while (row != std::string_view::npos) {
        ++rows;
        const size_t nextRow = text.find("<Row", row + 4);
        const size_t limit = nextRow == std::string_view::npos ? text.size() : nextRow;
        std::string_view label;
        std::string_view value;
        size_t next = 0;
        if (ReadCell(scan, row, limit, label, next)) {
            if (!ReadCell(scan, next, limit, value, next)) {
                value = {};
            }
            if (next >= text.size()) {
                note("row " + std::to_string(rows) + " is cut short inside a cell");
            } else if (text.substr(0, limit).find("</Row", next) == std::string_view::npos) {
                note("row " + std::to_string(rows) + " is not closed");
            }
            mStrings[Decode(label)] = Decode(value);
        }
        row = nextRow;
    }
    if (rows == 0)
        note(text.empty() ? "it is empty" : "it holds no rows");
    if (!damage.empty()) {
        LogPrintf("TStringTable: string file '%s' is damaged: %s; %zu rows read", sourceName,
                  damage.c_str(), rows);
    }
}

const TString* TStringTable::FindStored(const TString& label) const {
    const auto found = mStrings.find(label);
    return found == mStrings.end() ? nullptr : &found->second;
}

TString TStringTable::GetString(const TString& label, const TString& a1, const TString& a2,
                                const TString& a3, const TString& a4, const TString& a5) const {
    TString result;
    Expand(result, label, a1, a2, a3, a4, a5);
    return result;
}

bool TStringTable::Expand(TString& out, const TString& label, const TString& a1, const TString& a2,
                          const TString& a3, const TString& a4, const TString& a5) const {
    const TString* arguments[kArgumentCount] = {&a1, &a2, &a3, &a4, &a5};
    const TString* stored = FindStored(label);
    bool ok = stored != nullptr;
    bool cut = false;
    std::string result;
    // Every piece goes through here, so that a text whose escapes insert
    // long labels many times cannot grow past the bound.
    auto append = [&](std::string_view piece) {
        if (result.size() + piece.size() <= kMaxExpandedSize) {
            result += piece;
            return;
        }
        result += piece.substr(0, kMaxExpandedSize - result.size());
        cut = true;
    };
    if (stored) {
        const std::string_view text = stored->View();
        size_t i = 0;
        while (i < text.size() && !cut) {
            if (text[i] != '%') {
                const size_t escape = std::min(text.find('%', i), text.size());
                append(text.substr(i, escape - i));
                i = escape;
                continue;
            }
            const size_t close = text.find('%', i + 1);
            std::string_view name;
            if (close == std::string_view::npos) {
                LogPrintf("Non-matched percent (%%) escape found in string %s, '%s'", label.CStr(),
                          stored->CStr());
                name = text.substr(i + 1);
                ++i;
            } else {
                name = text.substr(i + 1, close - i - 1);
                i = close + 1;
            }
            if (name.empty()) {
                append("%");
            } else if (IsAllDigits(name)) {
                size_t k = 0;
                for (char digit : name) {
                    // Saturates: every number past the argument count fails alike.
                    k = std::min<size_t>(k * 10 + static_cast<size_t>(digit - '0'), 1000);
                }
                if (k < 1 || k > kArgumentCount) {
                    ok = false;
                    continue;
                }
                const TString& argument = *arguments[k - 1];
                const std::string_view value = argument.View();
                if (value.empty() || value[0] != '%') {
                    append(value);
                } else if (value == "%%") {
                    append("%");
                } else if (value.size() > 2 && value.back() == '%') {
                    const TString* other = FindStored(TString(value.substr(1, value.size() - 2)));
                    if (other) {
                        append(other->View());
                    } else {
                        ok = false;
                    }
                } else {
                    ok = false;
                }
            } else {
                const TString* other = FindStored(TString(name));
                if (other) {
                    append(other->View());
                } else {
                    ok = false;
                }
            }
        }
    }
    if (!ok) {
        LogPrintf(" ##### : Missing string for label '%s'", label.CStr());
        out = TString(kMissingMarker);
        return false;
    }
    if (cut) {
        // A UTF-8 letter is not split by the cut.
        size_t lead = result.size();
        while (lead > 0 && result.size() - lead < 3 &&
               (static_cast<unsigned char>(result[lead - 1]) & 0xC0) == 0x80) {
            --lead;
        }
        if (lead > 0) {
            const size_t start = lead - 1;
            const int need = Utf8SequenceLength(static_cast<unsigned char>(result[start]));
            if (need > 1 && start + static_cast<size_t>(need) > result.size()) {
                result.resize(start);
            }
        }
        if (mReportedCuts.insert(label).second) {
            LogPrintf("String for label '%s' expands past %zu bytes; the text is cut there",
                      label.CStr(), kMaxExpandedSize);
        }
    }
    if (GetSettingBool("stringtest")) {
        for (char& c : result) {
            if (c != ' ') {
                c = 'x';
            }
        }
    }
    out = TString(result.data(), result.size());
    return true;
}

void TStringTable::GetLabels(std::vector<TString>& list) const {
    for (const auto& entry : mStrings) {
        list.push_back(entry.first);
    }
}

void TStringTable::GetFlashLabels(std::vector<TString>& list) const {
    bool found = false;
    for (const auto& entry : mStrings) {
        if (std::strncmp(entry.first.CStr(), "FLASH_", 6) == 0) {
            list.push_back(entry.first);
            found = true;
        }
    }
    if (found) {
        return;
    }
    for (const auto& entry : mStrings) {
        int first = 0;
        int second = 0;
        // sscanf also reports the end of its input (EOF) for a label that
        // stops inside the literal "flash" ("f", "fla", "flash"); such a label
        // names no movie variable. Only the empty label is taken on EOF.
        const int read = std::sscanf(entry.first.CStr(), "flash%2d_%2d", &first, &second);
        if (read >= 1 || entry.first.IsEmpty()) {
            list.push_back(entry.first);
        }
    }
}
