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

// Text of the next cell at or after from: the bytes after the first ">"
// that follows "<Data", up to the next "<". cellStart gets the position of
// "<Data" (npos when there is none); next gets the position after the "<"
// that ended the cell.
std::string_view ReadCell(std::string_view text, size_t from, size_t& cellStart, size_t& next) {
    cellStart = text.find("<Data", from);
    if (cellStart == std::string_view::npos) {
        next = text.size();
        return {};
    }
    const size_t open = text.find('>', cellStart + 5);
    if (open == std::string_view::npos) {
        next = text.size();
        return {};
    }
    const size_t close = text.find('<', open + 1);
    if (close == std::string_view::npos) {
        next = text.size();
        return text.substr(open + 1);
    }
    next = close + 1;
    return text.substr(open + 1, close - open - 1);
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
    ScanRows(text.data(), text.size());
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
    ScanRows(text.data(), text.size());
    return true;
}

void TStringTable::ScanRows(const char* data, size_t length) {
    // The file is read as one zero-terminated text: a 0 byte ends it.
    std::string_view text(data, data ? strnlen(data, length) : 0);
    size_t row = text.find("<Row");
    while (row != std::string_view::npos) {
        const size_t nextRow = text.find("<Row", row + 4);
        const size_t limit = nextRow == std::string_view::npos ? text.size() : nextRow;
        size_t cellStart = 0;
        size_t next = 0;
        const std::string_view label = ReadCell(text, row, cellStart, next);
        if (cellStart != std::string_view::npos && cellStart < limit) {
            std::string_view value = ReadCell(text, next, cellStart, next);
            if (cellStart == std::string_view::npos || cellStart >= limit) {
                value = {};
            }
            mStrings[Decode(label)] = Decode(value);
        }
        row = nextRow;
    }
}

const TString* TStringTable::FindStored(const TString& label) const {
    const auto found = mStrings.find(label);
    return found == mStrings.end() ? nullptr : &found->second;
}

TString TStringTable::GetString(const TString& label, const TString& a1, const TString& a2,
                                const TString& a3, const TString& a4, const TString& a5) const {
    const TString* arguments[kArgumentCount] = {&a1, &a2, &a3, &a4, &a5};
    const TString* stored = FindStored(label);
    bool ok = stored != nullptr;
    std::string result;
    if (stored) {
        const std::string_view text = stored->View();
        size_t i = 0;
        while (i < text.size()) {
            if (text[i] != '%') {
                result += text[i++];
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
                result += '%';
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
                    result += value;
                } else if (value == "%%") {
                    result += '%';
                } else if (value.size() > 2 && value.back() == '%') {
                    const TString* other = FindStored(TString(value.substr(1, value.size() - 2)));
                    if (other) {
                        result += other->View();
                    } else {
                        ok = false;
                    }
                } else {
                    ok = false;
                }
            } else {
                const TString* other = FindStored(TString(name));
                if (other) {
                    result += other->View();
                } else {
                    ok = false;
                }
            }
        }
    }
    if (!ok) {
        LogPrintf(" ##### : Missing string for label '%s'", label.CStr());
        return TString(kMissingMarker);
    }
    if (GetSettingBool("stringtest")) {
        for (char& c : result) {
            if (c != ' ') {
                c = 'x';
            }
        }
    }
    return TString(result.data(), result.size());
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
