#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Tokens of the script dialect. Single-character tokens are their own
// character code (below 256); the others follow.
enum LuaDialectTokenKind : int {
    kTokAnd = 257,
    kTokBreak,
    kTokContinue,
    kTokDo,
    kTokElse,
    kTokElseif,
    kTokEnd,
    kTokFalse,
    kTokFor,
    kTokFunction,
    kTokIf,
    kTokIn,
    kTokLocal,
    kTokNil,
    kTokNot,
    kTokOr,
    kTokRepeat,
    kTokReturn,
    kTokThen,
    kTokTrue,
    kTokUntil,
    kTokWhile,
    kTokName,
    kTokConcat,
    kTokDots,
    kTokEq,
    kTokGe,
    kTokLe,
    kTokNe,
    kTokNumber,
    kTokString,
    kTokWString,
    kTokShl,
    kTokShr,
    kTokEos,
};

// The text the engine uses for a token kind in its messages ("end", "..",
// "<eof>", "*name").
std::string_view LuaDialectTokenName(int kind);

// How the engine names a chunk in its messages: "=name" gives name, "@file"
// gives the file (its last part when long), anything else [string "..."]
// cut at the first line break or when long.
std::string LuaDialectChunkId(std::string_view chunkName);

// The first error of one translation, worded as the engine words syntax
// errors ("chunk:line: message near 'token'"). Later errors are ignored.
class LuaDialectErrors {
public:
    explicit LuaDialectErrors(std::string chunkId) : mChunkId(std::move(chunkId)) {}
    void Raise(int line, std::string_view message, std::string_view near);
    bool Failed() const { return mFailed; }
    const std::string& Message() const { return mMessage; }

private:
    std::string mChunkId;
    std::string mMessage;
    bool mFailed = false;
};

// One token with its place in the source. Positions count characters (bytes
// in a byte source, 16-bit units in a UTF-16 one).
struct LuaDialectToken {
    int kind = kTokEos;
    // The blanks and comments before the token start at gapStart.
    size_t gapStart = 0;
    size_t start = 0;
    size_t end = 0;
    // Line of the token's last character, as the engine counts it after
    // reading the token; errors name this line.
    int endLine = 1;
    // The gap holds only blanks without carriage returns, so it can be
    // copied as it is.
    bool gapPlain = true;
    // A narrow string that can be copied as it is: no carriage return, and
    // for a long string no nested brackets.
    bool plain = true;
    double number = 0;
};

// The dialect's lexer: Lua 5.0's rules over bytes or 16-bit characters,
// with wide literals (L"..."), `continue`, `<<` and `>>`. It only finds
// tokens; the parser copies or rewrites their text. Owned by the parser.
class LuaDialectLexer {
public:
    LuaDialectLexer(std::u16string_view text, bool wide, LuaDialectErrors& errors)
        : mText(text), mWide(wide), mErrors(errors) {}

    // Reads the next token; after an error every token is the end.
    void Next(LuaDialectToken& token);

    // The token's source text in UTF-8, as error messages show it.
    std::string NearText(const LuaDialectToken& token) const;

private:
    static constexpr int kEoz = -1;

    int Current() const { return mPos < mText.size() ? mText[mPos] : kEoz; }
    void Step() { ++mPos; }
    void NewLine() {
        ++mPos;
        ++mLine;
    }
    void Fail(std::string_view message, std::string_view near);
    void FailHere(std::string_view message, size_t from);
    void FailChar(std::string_view message, int character);
    int ReadNumeral(LuaDialectToken& token, bool startsWithPoint);
    // Reads a quoted literal, narrow or wide (L"..."); a wide one may hold
    // any 16-bit character and takes \x with up to four hex digits.
    void ReadString(LuaDialectToken& token, int delimiter, bool wideLiteral);
    // Steps over one character of a literal's text; false after an error.
    bool StepStringChar(LuaDialectToken& token, bool wideLiteral);
    // Reads a long string or comment after its opening brackets; returns
    // false on an error. plain is cleared when the text has nested brackets
    // or carriage returns.
    bool ReadLongString(bool isComment, bool& plain);
    std::string Utf8(size_t from, size_t to) const;

    std::u16string_view mText;
    bool mWide;
    LuaDialectErrors& mErrors;
    size_t mPos = 0;
    int mLine = 1;
};

// Whether c may be part of a name (ASCII letters, digits, underscore).
inline bool LuaDialectIsNameChar(int c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}
