#include "framework/core/settings/TCommandLine.h"

#include "framework/core/settings/TSettings.h"

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
    int blank = text.FindChar(kBlank, start);
    return blank < 0 ? text.Substring(start) : text.Substring(start, blank - start);
}

// A quoted value that starts at the quote at start, read as Windows splits
// its command lines: it ends at the next quote that is not escaped (or at
// the end of the text); inside it \" is a quote and 2n backslashes before
// a quote are n backslashes; other backslashes stand for themselves.
TString QuotedValueAt(const TString& text, int start) {
    std::string_view rest = text.View().substr(static_cast<size_t>(start) + 1);
    std::string value;
    size_t at = 0;
    while (at < rest.size()) {
        size_t slashes = 0;
        while (at + slashes < rest.size() && rest[at + slashes] == '\\') {
            ++slashes;
        }
        if (at + slashes == rest.size() || rest[at + slashes] != '"') {
            value.append(slashes, '\\');
            if (at + slashes < rest.size()) {
                value += rest[at + slashes];
            }
            at += slashes + 1;
            continue;
        }
        value.append(slashes / 2, '\\');
        if (slashes % 2 == 0) {
            break;
        }
        value += '"';
        at += slashes + 1;
    }
    return TString(value);
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
    size_t special = text.find_first_of(" \t\"");
    if (special == std::string_view::npos) {
        return TString(text);
    }
    // A switch's value is quoted behind its "=", as one would type it.
    size_t equals = text.find('=');
    size_t split = equals != std::string_view::npos && equals < special ? equals + 1 : 0;
    std::string quoted(text.substr(0, split));
    quoted += '"';
    // A quote inside becomes \", and the backslashes before it or before the
    // closing quote are doubled, so the value reads back as it was given.
    size_t slashes = 0;
    for (char c : text.substr(split)) {
        if (c == '\\') {
            ++slashes;
            continue;
        }
        if (c == '"') {
            quoted.append(slashes * 2 + 1, '\\');
        } else {
            quoted.append(slashes, '\\');
        }
        slashes = 0;
        quoted += c;
    }
    quoted.append(slashes * 2, '\\');
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
        return QuotedValueAt(behind, 0);
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
        // Pairs given as one argument with blanks in it come quoted.
        TString pairs = GetValue(kOptions);
        StoreOptionPairs(pairs.CharAt(0) == '"' ? QuotedValueAt(pairs, 0) : pairs);
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
