#include "framework/core/TCommandLine.h"

#include "framework/core/TSettings.h"

#include <cstring>
#include <mutex>
#include <string>
#include <string_view>

namespace {

constexpr char kBlank = ' ';

struct ProcessLine {
    std::mutex mutex;
    TCommandLine line;
};

ProcessLine& TheProcessLine() {
    static ProcessLine* const line = new ProcessLine;
    return *line;
}

TString Bounded(const TString& text, int maxLength) {
    if (maxLength >= 0 && text.Length() > maxLength) {
        return text.Substring(0, maxLength);
    }
    return text;
}

// The text from start up to the first blank behind it (or the end).
TString WordAt(const TString& text, int start) {
    if (start >= text.Length()) {
        return TString();
    }
    int blank = text.FindChar(kBlank, 0, start);
    return blank < 0 ? text.Substring(start) : text.Substring(start, blank - start);
}

} // namespace

TCommandLine TCommandLine::FromArguments(int argc, const char* const* argv) {
    TString text;
    for (int i = 1; i < argc && argv; ++i) {
        if (!argv[i]) {
            continue;
        }
        if (!text.IsEmpty()) {
            text += kBlank;
        }
        text += QuoteArgument(argv[i]);
    }
    return TCommandLine(text);
}

TString TCommandLine::QuoteArgument(const char* argument) {
    std::string_view text = argument ? argument : "";
    if (text.empty()) {
        return TString("\"\"");
    }
    size_t blank = text.find_first_of(" \t");
    if (blank == std::string_view::npos) {
        return TString(text);
    }
    // A switch's value is quoted behind its "=", as one would type it.
    size_t equals = text.find('=');
    size_t split = equals != std::string_view::npos && equals < blank ? equals + 1 : 0;
    std::string quoted(text.substr(0, split));
    quoted += '"';
    quoted += text.substr(split);
    quoted += '"';
    return TString(quoted);
}

void TCommandLine::SetProcessCommandLine(const TCommandLine& commandLine) {
    ProcessLine& process = TheProcessLine();
    std::lock_guard<std::mutex> lock(process.mutex);
    process.line = commandLine;
}

TCommandLine TCommandLine::GetProcessCommandLine() {
    ProcessLine& process = TheProcessLine();
    std::lock_guard<std::mutex> lock(process.mutex);
    return process.line;
}

int TCommandLine::FindSwitch(const char* name) const {
    if (!name || !*name) {
        return -1;
    }
    return mText.Find(TString(name));
}

TString TCommandLine::GetValue(const char* name, int maxLength) const {
    int at = FindSwitch(name);
    if (at < 0) {
        return TString();
    }
    return Bounded(mText.Substring(at + static_cast<int>(std::strlen(name))), maxLength);
}

TString TCommandLine::GetWord(const char* name, int maxLength) const {
    int at = FindSwitch(name);
    if (at < 0) {
        return TString();
    }
    return Bounded(WordAt(mText, at + static_cast<int>(std::strlen(name))), maxLength);
}

TString TCommandLine::GetPathValue(const char* name) const {
    TString behind = GetValue(name);
    if (behind.IsEmpty()) {
        return TString();
    }
    if (behind.CharAt(0) == '"') {
        int close = behind.FindChar('"', 0, 1);
        return close < 0 ? behind.Substring(1) : behind.Substring(1, close - 1);
    }
    return WordAt(behind, 0);
}

TString TCommandLine::GetCheatCode() const {
    static const char kCheat[] = "--cheat";
    int at = FindSwitch(kCheat);
    if (at < 0) {
        return TString();
    }
    return WordAt(mText, at + static_cast<int>(sizeof kCheat - 1) + 1);
}

void TCommandLine::StoreDownloadUrl() const {
    static const char kUrl[] = "-url=";
    if (HasSwitch(kUrl)) {
        SetSetting(TSettingKey::kDownloadUrl, GetWord(kUrl));
    }
}

void TCommandLine::StoreStringTest() const {
    if (HasSwitch("--stringtest")) {
        SetSetting(kSettingStringTest, "1");
    }
}

void TCommandLine::StoreCheatCode() const {
    if (HasSwitch("--cheat")) {
        SetSetting(kSettingCheatCode, GetCheatCode());
    }
}

void TCommandLine::StoreOptions() const {
    static const char kOptions[] = "options=";
    if (HasSwitch(kOptions)) {
        StoreOptionPairs(GetValue(kOptions));
    }
}

void TCommandLine::StoreOptionPairs(const TString& pairs) {
    TString rest = pairs;
    while (!rest.IsEmpty()) {
        if (rest.CharAt(0) == kBlank) {
            break;
        }
        int equals = rest.FindChar('=');
        if (equals < 0) {
            break;
        }
        TString name = rest.Substring(0, equals);
        TString behind = rest.Substring(equals + 1);
        // The value ends at the first "&"; only without one at the first blank.
        int end = behind.FindChar('&');
        if (end < 0) {
            end = behind.FindChar(kBlank);
        }
        SetSetting(name, end < 0 ? behind : behind.Substring(0, end));
        rest = end < 0 ? TString() : behind.Substring(end + 1);
    }
}
