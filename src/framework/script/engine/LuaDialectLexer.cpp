#include "framework/script/engine/LuaDialectLexer.h"

#include "platform/text/Hex.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr const char* kTokenNames[] = {
    "and",      "break", "continue", "do",      "else",     "elseif", "end", "false",  "for",
    "function", "if",    "in",       "local",   "nil",      "not",    "or",  "repeat", "return",
    "then",     "true",  "until",    "while",   "*name",    "..",     "...", "==",     ">=",
    "<=",       "~=",    "*number",  "*string", "*wstring", "<<",     ">>",  "<eof>",
};

constexpr int kReservedCount = kTokWhile - kTokAnd + 1;

// The engine's blanks and control characters, in the C locale.
bool IsSpace(int c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
bool IsDigit(int c) {
    return c >= '0' && c <= '9';
}
bool IsAlpha(int c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsControl(int c) {
    return (c >= 0 && c < 32) || c == 127;
}

void AppendUtf8(std::string& out, unsigned c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

int ReservedWord(std::u16string_view name) {
    if (name.size() < 2 || name.size() > 8)
        return kTokName;
    for (int i = 0; i < kReservedCount; ++i) {
        const char* word = kTokenNames[i];
        const size_t length = std::strlen(word);
        if (length != name.size())
            continue;
        size_t k = 0;
        while (k < length && name[k] == static_cast<char16_t>(word[k]))
            ++k;
        if (k == length)
            return kTokAnd + i;
    }
    return kTokName;
}

} // namespace

std::string_view LuaDialectTokenName(int kind) {
    if (kind >= kTokAnd && kind <= kTokEos)
        return kTokenNames[kind - kTokAnd];
    return {};
}

std::string LuaDialectChunkId(std::string_view chunkName) {
    // The name is a C string to the engine: it ends at the first 0 byte.
    const size_t nul = chunkName.find('\0');
    if (nul != std::string_view::npos)
        chunkName = chunkName.substr(0, nul);
    // The room the engine gives a chunk name in a syntax error.
    constexpr size_t kIdSize = 80;
    if (!chunkName.empty() && chunkName[0] == '=')
        return std::string(chunkName.substr(1, kIdSize - 1));
    if (!chunkName.empty() && chunkName[0] == '@') {
        std::string_view file = chunkName.substr(1);
        constexpr size_t kRoom = kIdSize - sizeof(" '...' ");
        if (file.size() > kRoom)
            return "..." + std::string(file.substr(file.size() - kRoom));
        return std::string(file);
    }
    constexpr size_t kRoom = kIdSize - sizeof(" [string \"...\"] ");
    size_t length = chunkName.find_first_of("\n\r");
    if (length == std::string_view::npos)
        length = chunkName.size();
    if (length > kRoom)
        length = kRoom;
    std::string id = "[string \"";
    if (length < chunkName.size()) {
        id.append(chunkName.substr(0, length));
        id += "...";
    } else {
        id.append(chunkName);
    }
    id += "\"]";
    return id;
}

void LuaDialectErrors::Raise(int line, std::string_view message, std::string_view near) {
    if (mFailed)
        return;
    mFailed = true;
    mMessage = mChunkId + ":" + std::to_string(line) + ": ";
    mMessage.append(message);
    mMessage += " near '";
    mMessage.append(near);
    mMessage += "'";
}

std::string LuaDialectLexer::Utf8(size_t from, size_t to) const {
    std::string text;
    if (to > mText.size())
        to = mText.size();
    for (size_t i = from; i < to; ++i) {
        if (mWide)
            AppendUtf8(text, mText[i]);
        else
            text += static_cast<char>(mText[i]);
    }
    return text;
}

std::string LuaDialectLexer::NearText(const LuaDialectToken& token) const {
    switch (token.kind) {
    case kTokName:
    case kTokNumber:
    case kTokString:
    case kTokWString:
        return Utf8(token.start, token.end);
    default:
        break;
    }
    if (token.kind >= kTokAnd)
        return std::string(LuaDialectTokenName(token.kind));
    return Utf8(token.start, token.start + 1);
}

void LuaDialectLexer::Fail(std::string_view message, std::string_view near) {
    mErrors.Raise(mLine, message, near);
    mPos = mText.size();
}

void LuaDialectLexer::FailHere(std::string_view message, size_t from) {
    Fail(message, Utf8(from, mPos));
}

void LuaDialectLexer::FailChar(std::string_view message, int character) {
    char near[32];
    std::snprintf(near, sizeof near, "char(%d)", character);
    Fail(message, near);
}

int LuaDialectLexer::ReadNumeral(LuaDialectToken& token, bool startsWithPoint) {
    // The 5.0 rules: digits, one point, digits, an exponent; a second point
    // right after the first is the ambiguous "1..x".
    const size_t from = startsWithPoint ? mPos - 1 : mPos;
    while (IsDigit(Current()))
        Step();
    if (Current() == '.') {
        Step();
        if (Current() == '.') {
            Step();
            FailHere("ambiguous syntax (decimal point x string concatenation)", from);
            return kTokEos;
        }
    }
    while (IsDigit(Current()))
        Step();
    if (Current() == 'e' || Current() == 'E') {
        Step();
        if (Current() == '+' || Current() == '-')
            Step();
        while (IsDigit(Current()))
            Step();
    }
    char buffer[128];
    const size_t length = mPos - from;
    std::string longBuffer;
    char* text = buffer;
    if (length >= sizeof buffer) {
        longBuffer.resize(length + 1);
        text = longBuffer.data();
    }
    for (size_t i = 0; i < length; ++i)
        text[i] = static_cast<char>(mText[from + i]);
    text[length] = '\0';
    char* stop = nullptr;
    token.number = std::strtod(text, &stop);
    if (stop != text + length) {
        FailHere("malformed number", from);
        return kTokEos;
    }
    return kTokNumber;
}

bool LuaDialectLexer::StepStringChar(LuaDialectToken& token, bool wideLiteral) {
    if (!wideLiteral) {
        const int c = Current();
        if (c == '\r') {
            // A plain character to 5.0; 5.1 would take it for a line break.
            token.plain = false;
        } else if (c > 255) {
            FailChar("invalid wide char", c);
            return false;
        }
    }
    Step();
    return true;
}

void LuaDialectLexer::ReadString(LuaDialectToken& token, int delimiter, bool wideLiteral) {
    // The opening quote is current; the L of a wide literal is already read,
    // and errors show the literal from it.
    const size_t from = token.start;
    Step();
    while (Current() != delimiter) {
        const int c = Current();
        if (c == kEoz) {
            Fail("unfinished string", "<eof>");
            return;
        }
        if (c == '\n') {
            FailHere("unfinished string", from);
            return;
        }
        if (c != '\\') {
            if (!StepStringChar(token, wideLiteral))
                return;
            continue;
        }
        Step();
        const int escaped = Current();
        if (escaped == '\n') {
            NewLine();
        } else if (escaped == kEoz) {
            // The loop reports the unfinished string.
        } else if (IsDigit(escaped)) {
            int value = 0;
            int count = 0;
            do {
                value = 10 * value + (Current() - '0');
                Step();
            } while (++count < 3 && IsDigit(Current()));
            if (value > 255) {
                FailHere("escape sequence too large", from);
                return;
            }
        } else if (wideLiteral && escaped == 'x') {
            Step();
            for (int count = 0; count < 4 && platform::HexDigitValue(Current()) >= 0; ++count)
                Step();
        } else if (!StepStringChar(token, wideLiteral)) {
            return;
        }
    }
    Step();
}

bool LuaDialectLexer::ReadLongString(bool isComment, bool& plain) {
    // 5.0's long brackets nest; only a line feed counts a line, and one
    // right after the opening brackets is not part of the text.
    if (Current() == '\n')
        NewLine();
    int depth = 0;
    for (;;) {
        const int c = Current();
        switch (c) {
        case kEoz:
            Fail(isComment ? "unfinished long comment" : "unfinished long string", "<eof>");
            return false;
        case '[':
            Step();
            if (Current() == '[') {
                ++depth;
                plain = false;
                Step();
            }
            break;
        case ']':
            Step();
            if (Current() == ']') {
                if (depth == 0) {
                    Step();
                    return true;
                }
                --depth;
                Step();
            }
            break;
        case '\n':
            NewLine();
            break;
        case '\r':
            plain = false;
            Step();
            break;
        default:
            if (c > 255 && !isComment) {
                FailChar("invalid wide char", c);
                return false;
            }
            Step();
            break;
        }
    }
}

void LuaDialectLexer::Next(LuaDialectToken& token) {
    token.gapStart = mPos;
    token.gapPlain = true;
    token.plain = true;
    for (;;) {
        if (mErrors.Failed()) {
            token.kind = kTokEos;
            token.start = token.end = mText.size();
            token.endLine = mLine;
            return;
        }
        token.start = mPos;
        const int c = Current();
        int kind = 0;
        switch (c) {
        case '\n':
            NewLine();
            continue;
        case '-':
            Step();
            if (Current() != '-') {
                kind = '-';
                break;
            }
            Step();
            token.gapPlain = false;
            if (Current() == '[') {
                Step();
                if (Current() == '[') {
                    Step();
                    bool ignored = true;
                    ReadLongString(true, ignored);
                    continue;
                }
            }
            while (Current() != '\n' && Current() != kEoz)
                Step();
            continue;
        case '[':
            Step();
            if (Current() != '[') {
                kind = '[';
                break;
            }
            Step();
            if (!ReadLongString(false, token.plain))
                continue;
            kind = kTokString;
            break;
        case '=':
            Step();
            kind = '=';
            if (Current() == '=') {
                Step();
                kind = kTokEq;
            }
            break;
        case '<':
            Step();
            kind = '<';
            if (Current() == '=') {
                Step();
                kind = kTokLe;
            } else if (Current() == '<') {
                Step();
                kind = kTokShl;
            }
            break;
        case '>':
            Step();
            kind = '>';
            if (Current() == '=') {
                Step();
                kind = kTokGe;
            } else if (Current() == '>') {
                Step();
                kind = kTokShr;
            }
            break;
        case '~':
            Step();
            kind = '~';
            if (Current() == '=') {
                Step();
                kind = kTokNe;
            }
            break;
        case '"':
        case '\'':
            ReadString(token, c, false);
            kind = kTokString;
            break;
        case '.':
            Step();
            if (Current() == '.') {
                Step();
                kind = kTokConcat;
                if (Current() == '.') {
                    Step();
                    kind = kTokDots;
                }
            } else if (IsDigit(Current())) {
                kind = ReadNumeral(token, true);
            } else {
                kind = '.';
            }
            break;
        case kEoz:
            kind = kTokEos;
            break;
        default:
            if (c >= 255) {
                FailChar("invalid wide char", c);
                continue;
            }
            if (IsSpace(c)) {
                if (c == '\r')
                    token.gapPlain = false;
                Step();
                continue;
            }
            if (IsDigit(c)) {
                kind = ReadNumeral(token, false);
                break;
            }
            if (IsAlpha(c) || c == '_') {
                while (LuaDialectIsNameChar(Current()))
                    Step();
                if (mPos - token.start == 1 && c == 'L' && Current() == '"') {
                    ReadString(token, '"', true);
                    kind = kTokWString;
                    break;
                }
                kind = ReservedWord(mText.substr(token.start, mPos - token.start));
                break;
            }
            if (IsControl(c)) {
                FailChar("invalid control char", c);
                continue;
            }
            Step();
            kind = c;
            break;
        }
        if (mErrors.Failed())
            continue;
        token.kind = kind;
        token.end = mPos;
        token.endLine = mLine;
        return;
    }
}
