#include "framework/script/engine/LuaDialectParser.h"

#include "framework/script/engine/LuaTranslator.h"
#include "platform/text/Hex.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

// 5.0's bound on nested blocks and expressions.
constexpr int kMaxSyntaxLevels = 200;
// The bound on the levels the 5.1 engine will see in the translation: its
// own limit of 200, less a margin for the native calls a load may run
// under.
constexpr int kMaxEmittedLevels = 190;
constexpr int kMaxLocals = 200;
// 5.0's bound; the translation adds at most one up-value (the dialect
// table), well within 5.1's 60.
constexpr size_t kMaxUpvalues = 32;
constexpr int kUnaryPriority = 8;

struct BinaryOperator {
    int token;
    int left;
    int right;
    // Name of the dialect function for a bitwise operator.
    const char* function;
};

// 5.0's operators with the dialect's four bitwise ones between `*` and `^`.
constexpr BinaryOperator kBinaryOperators[] = {
    {'+', 6, 6, nullptr},        {'-', 6, 6, nullptr},     {'*', 7, 7, nullptr},
    {'/', 7, 7, nullptr},        {'&', 8, 8, "band"},      {'|', 8, 8, "bor"},
    {kTokShl, 8, 8, "shl"},      {kTokShr, 8, 8, "shr"},   {'^', 10, 9, nullptr},
    {kTokConcat, 5, 4, nullptr}, {kTokNe, 3, 3, nullptr},  {kTokEq, 3, 3, nullptr},
    {'<', 3, 3, nullptr},        {kTokLe, 3, 3, nullptr},  {'>', 3, 3, nullptr},
    {kTokGe, 3, 3, nullptr},     {kTokAnd, 2, 2, nullptr}, {kTokOr, 1, 1, nullptr},
};

const BinaryOperator* FindBinaryOperator(int token) {
    for (const BinaryOperator& op : kBinaryOperators) {
        if (op.token == token)
            return &op;
    }
    return nullptr;
}

bool IsDigit(int c) {
    return c >= '0' && c <= '9';
}

void AppendByteEscape(std::string& out, unsigned byte) {
    if (byte >= 32 && byte < 127 && byte != '"' && byte != '\\') {
        out += static_cast<char>(byte);
        return;
    }
    char escape[16];
    std::snprintf(escape, sizeof escape, "\\%03u", byte);
    out += escape;
}

constexpr std::string_view kReservedPrefix = "__dialect__";

} // namespace

LuaDialectParser::LuaDialectParser(std::u16string_view text, bool wide, LuaDialectErrors& errors)
    : mText(text), mWide(wide), mErrors(errors), mLexer(text, wide, errors) {}

bool LuaDialectParser::Translate() {
    mOut.reserve(mText.size() + mText.size() / 8 + 64);
    mFunctions.emplace_back();
    mLexer.Next(mToken);
    Chunk();
    if (mToken.kind != kTokEos)
        Error("'<eof>' expected");
    FlushGap();
    return !mErrors.Failed();
}

// ---------------------------------------------------------------------------
// Tokens and their text

void LuaDialectParser::Advance() {
    mLastLine = mToken.endLine;
    if (mHasAhead) {
        mToken = mAhead;
        mHasAhead = false;
    } else {
        mLexer.Next(mToken);
    }
    mGapDone = false;
}

void LuaDialectParser::LookAhead() {
    if (!mHasAhead) {
        mLexer.Next(mAhead);
        mHasAhead = true;
    }
}

void LuaDialectParser::FlushGap() {
    if (mGapDone || mErrors.Failed())
        return;
    mGapDone = true;
    EmitGap(mToken);
}

void LuaDialectParser::EmitGap(const LuaDialectToken& token) {
    const size_t end = token.start;
    if (token.gapStart == end)
        return;
    mLastNumber = false;
    if (token.gapPlain) {
        for (size_t i = token.gapStart; i < end; ++i)
            mOut += static_cast<char>(mText[i]);
        return;
    }
    for (size_t i = token.gapStart; i < end;) {
        const char16_t c = mText[i];
        if (c == '-' && i + 1 < end && mText[i + 1] == '-') {
            EmitComment(i, end, token.kind == kTokEos);
        } else {
            // 5.1 would count a carriage return as a line; 5.0 takes it
            // for a blank.
            mOut += c == '\r' ? ' ' : static_cast<char>(c);
            ++i;
        }
    }
}

void LuaDialectParser::EmitComment(size_t& i, size_t end, bool last) {
    i += 2;
    if (i + 1 < end && mText[i] == '[' && mText[i + 1] == '[') {
        // A long comment: only its line breaks matter. Brackets inside are
        // blanked, since 5.1 does not nest them.
        mOut += "--[[";
        i += 2;
        int depth = 0;
        while (i < end) {
            const char16_t c = mText[i];
            if (c == '[' && i + 1 < end && mText[i + 1] == '[') {
                ++depth;
                mOut += "  ";
                i += 2;
            } else if (c == ']' && i + 1 < end && mText[i + 1] == ']') {
                i += 2;
                if (depth == 0) {
                    mOut += "]]";
                    return;
                }
                --depth;
                mOut += "  ";
            } else {
                const bool keep =
                    c == '\n' || c == '\t' || (c >= 32 && c < 127 && c != '[' && c != ']');
                mOut += keep ? static_cast<char>(c) : ' ';
                ++i;
            }
        }
        return;
    }
    const size_t from = mOut.size();
    // A space keeps "--[==[" a short comment in 5.1.
    mOut += "-- ";
    while (i < end && mText[i] != '\n') {
        const char16_t c = mText[i];
        if (c == '\r' || (mWide && c >= 128))
            mOut += ' ';
        else
            mOut += static_cast<char>(c);
        ++i;
    }
    // A comment on the last line would swallow the wrapper's closing "end".
    if (last && i == end)
        mOut.resize(from);
}

void LuaDialectParser::EmitTokenText() {
    if (mToken.kind == kTokEos)
        return;
    int first = mToken.kind == kTokWString ? '_' : mText[mToken.start];
    if (!mOut.empty()) {
        const char back = mOut.back();
        if ((LuaDialectIsNameChar(back) && LuaDialectIsNameChar(first)) ||
            (mLastNumber && (first == '.' || LuaDialectIsNameChar(first))))
            mOut += ' ';
    }
    switch (mToken.kind) {
    case kTokString:
        if (mText[mToken.start] == '[')
            EmitLongString();
        else
            EmitNarrowString();
        break;
    case kTokWString:
        EmitWideString();
        break;
    default:
        for (size_t i = mToken.start; i < mToken.end; ++i)
            mOut += static_cast<char>(mText[i]);
        break;
    }
    mLastNumber = mToken.kind == kTokNumber;
}

void LuaDialectParser::EmitWord(std::string_view text) {
    if (!mOut.empty() && LuaDialectIsNameChar(mOut.back()))
        mOut += ' ';
    Emit(text);
    mLastNumber = false;
}

void LuaDialectParser::EmitNarrowString() {
    if (mToken.plain && !mWide) {
        for (size_t i = mToken.start; i < mToken.end; ++i)
            mOut += static_cast<char>(mText[i]);
        return;
    }
    // The escapes mean the same to 5.1; carriage returns, which 5.1 would
    // take for line breaks, are written as escapes.
    const size_t last = mToken.end - 1;
    mOut += static_cast<char>(mText[mToken.start]);
    for (size_t i = mToken.start + 1; i < last; ++i) {
        const char16_t c = mText[i];
        if (c == '\\' && i + 1 < last) {
            ++i;
            if (mText[i] == '\r') {
                mOut += "\\013";
            } else {
                mOut += '\\';
                mOut += static_cast<char>(mText[i]);
            }
        } else if (c == '\r') {
            mOut += "\\013";
        } else {
            mOut += static_cast<char>(c);
        }
    }
    mOut += static_cast<char>(mText[last]);
}

void LuaDialectParser::EmitLongString() {
    if (mToken.plain && !mWide) {
        for (size_t i = mToken.start; i < mToken.end; ++i)
            mOut += static_cast<char>(mText[i]);
        return;
    }
    size_t from = mToken.start + 2;
    const size_t to = mToken.end - 2;
    const bool skippedNewline = from < to && mText[from] == '\n';
    if (skippedNewline)
        ++from;
    bool hasReturn = false;
    int longestRun = -1;
    for (size_t i = from; i < to; ++i) {
        if (mText[i] == '\r') {
            hasReturn = true;
        } else if (mText[i] == ']') {
            int run = 0;
            while (i + 1 + run < to && mText[i + 1 + run] == '=')
                ++run;
            longestRun = std::max(longestRun, run);
        }
    }
    if (!hasReturn) {
        // A long bracket of a level that the text never closes.
        const std::string equals(static_cast<size_t>(longestRun + 1), '=');
        mOut += "[" + equals + "[";
        if (skippedNewline)
            mOut += '\n';
        for (size_t i = from; i < to; ++i)
            mOut += static_cast<char>(mText[i]);
        mOut += "]" + equals + "]";
        return;
    }
    // With carriage returns: a quoted string whose line breaks are escaped
    // line breaks, so the lines stay where they were.
    if (skippedNewline)
        mOut += '\n';
    mOut += '"';
    for (size_t i = from; i < to; ++i) {
        const char16_t c = mText[i];
        switch (c) {
        case '\n':
            mOut += "\\\n";
            break;
        case '\r':
            mOut += "\\013";
            break;
        case '"':
            mOut += "\\\"";
            break;
        case '\\':
            mOut += "\\\\";
            break;
        default:
            mOut += static_cast<char>(c);
            break;
        }
    }
    mOut += '"';
}

void LuaDialectParser::EmitWideString() {
    mUsesRuntime = true;
    mOut += kLuaDialectName;
    mOut += ".W(\"";
    const size_t last = mToken.end - 1;
    for (size_t i = mToken.start + 2; i < last;) {
        unsigned unit = mText[i++];
        if (unit == '\\' && i < last) {
            const unsigned escaped = mText[i++];
            switch (escaped) {
            case 'a':
                unit = 7;
                break;
            case 'b':
                unit = 8;
                break;
            case 'f':
                unit = 12;
                break;
            case 'n':
                unit = 10;
                break;
            case 'r':
                unit = 13;
                break;
            case 't':
                unit = 9;
                break;
            case 'v':
                unit = 11;
                break;
            case '\n':
                // The source's line break stays a line break here.
                mOut += "\\\n\\000";
                continue;
            case 'x': {
                unit = 0;
                int count = 0;
                for (; count < 4 && i < last; ++count) {
                    const int value = platform::HexDigitValue(mText[i]);
                    if (value < 0)
                        break;
                    unit = unit * 16 + static_cast<unsigned>(value);
                    ++i;
                }
                if (count == 0)
                    unit = 'x';
                break;
            }
            default:
                if (IsDigit(static_cast<int>(escaped))) {
                    unit = escaped - '0';
                    for (int count = 1; count < 3 && i < last && IsDigit(mText[i]); ++count)
                        unit = unit * 10 + (mText[i++] - '0');
                } else {
                    unit = escaped;
                }
                break;
            }
        }
        AppendByteEscape(mOut, unit & 0xFF);
        AppendByteEscape(mOut, unit >> 8);
    }
    mOut += "\")";
}

void LuaDialectParser::Take() {
    FlushGap();
    EmitTokenText();
    Advance();
}

bool LuaDialectParser::TestNext(int kind) {
    if (mToken.kind != kind)
        return false;
    Take();
    return true;
}

void LuaDialectParser::Check(int kind) {
    if (mToken.kind == kind)
        Take();
    else
        ErrorExpected(kind);
}

void LuaDialectParser::CheckMatch(int what, int who, int line) {
    if (mToken.kind == what) {
        Take();
        return;
    }
    if (line == mToken.endLine) {
        ErrorExpected(what);
        return;
    }
    auto name = [](int kind) {
        return kind >= kTokAnd ? std::string(LuaDialectTokenName(kind))
                               : std::string(1, static_cast<char>(kind));
    };
    // Built by appending: GCC 12 at -O3 wrongly warns of an overlapping copy
    // in "'" + std::string&&, which fails the release build.
    std::string message = "'";
    message += name(what);
    message += "' expected (to close '";
    message += name(who);
    message += "' at line ";
    message += std::to_string(line);
    message += ")";
    Error(message);
}

void LuaDialectParser::CheckName() {
    if (mToken.kind != kTokName)
        Error("<name> expected");
    else
        Take();
}

void LuaDialectParser::CheckVariableName() {
    if (mToken.kind == kTokName) {
        // The translation's own names start so.
        const size_t length = mToken.end - mToken.start;
        if (length >= kReservedPrefix.size()) {
            size_t k = 0;
            while (k < kReservedPrefix.size() &&
                   mText[mToken.start + k] == static_cast<char16_t>(kReservedPrefix[k]))
                ++k;
            if (k == kReservedPrefix.size()) {
                Error("reserved name");
                return;
            }
        }
    }
    CheckName();
}

void LuaDialectParser::Error(std::string_view message) {
    const int line = mHasAhead ? mAhead.endLine : mToken.endLine;
    mErrors.Raise(line, message, mLexer.NearText(mToken));
    mToken.kind = kTokEos;
    mHasAhead = false;
}

void LuaDialectParser::ErrorExpected(int kind) {
    std::string name = kind >= kTokAnd ? std::string(LuaDialectTokenName(kind))
                                       : std::string(1, static_cast<char>(kind));
    Error("'" + name + "' expected");
}

bool LuaDialectParser::BlockFollow() const {
    switch (mToken.kind) {
    case kTokElse:
    case kTokElseif:
    case kTokEnd:
    case kTokUntil:
    case kTokEos:
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------
// Statements

void LuaDialectParser::EnterLevel() {
    ++mLevel;
    if (mLevel > kMaxSyntaxLevels || mLevel + mExtraLevels > kMaxEmittedLevels)
        Error("too many syntax levels");
    mPeak = std::max(mPeak, mLevel + mExtraLevels);
}

void LuaDialectParser::DeclareLocals(int count) {
    Function& function = mFunctions.back();
    function.locals += count;
    if (function.locals > kMaxLocals)
        Error("too many local variables (limit=200)");
}

bool LuaDialectParser::Resolve(size_t function, std::u16string_view name, bool& isLocal,
                               size_t& index) {
    Function& f = mFunctions[function];
    for (size_t i = f.names.size(); i-- > 0;) {
        if (f.names[i] == name) {
            isLocal = true;
            index = i;
            return true;
        }
    }
    if (function == 0)
        return false;
    bool outerLocal = false;
    size_t outerIndex = 0;
    if (!Resolve(function - 1, name, outerLocal, outerIndex))
        return false;
    isLocal = false;
    const std::pair<bool, size_t> place(outerLocal, outerIndex);
    const auto found = std::find(f.upvalues.begin(), f.upvalues.end(), place);
    if (found != f.upvalues.end()) {
        index = static_cast<size_t>(found - f.upvalues.begin());
        return true;
    }
    if (f.upvalues.size() + 1 > kMaxUpvalues)
        Error("too many upvalues (limit=32)");
    index = f.upvalues.size();
    f.upvalues.push_back(place);
    return true;
}

void LuaDialectParser::UseVariable() {
    if (mToken.kind == kTokName) {
        bool isLocal = false;
        size_t index = 0;
        Resolve(mFunctions.size() - 1, TokenName(), isLocal, index);
    }
    CheckVariableName();
}

void LuaDialectParser::Chunk() {
    EnterLevel();
    bool last = false;
    while (!last && !BlockFollow()) {
        last = Statement();
        TestNext(';');
    }
    LeaveLevel();
}

void LuaDialectParser::Block() {
    const int saved = mFunctions.back().locals;
    const size_t savedNames = mFunctions.back().names.size();
    Chunk();
    mFunctions.back().locals = saved;
    mFunctions.back().names.resize(savedNames);
}

bool LuaDialectParser::Statement() {
    const int line = mToken.endLine;
    switch (mToken.kind) {
    case kTokIf:
        IfStatement(line);
        return false;
    case kTokWhile:
        WhileStatement(line);
        return false;
    case kTokDo:
        Take();
        Block();
        CheckMatch(kTokEnd, kTokDo, line);
        return false;
    case kTokFor:
        ForStatement(line);
        return false;
    case kTokRepeat:
        RepeatStatement(line);
        return false;
    case kTokFunction:
        FunctionStatement(line);
        return false;
    case kTokLocal:
        Take();
        if (TestNext(kTokFunction))
            LocalFunction(line);
        else
            LocalStatement();
        return false;
    case kTokReturn:
        ReturnStatement();
        return true;
    case kTokBreak:
        JumpStatement(false);
        return true;
    case kTokContinue:
        JumpStatement(true);
        return true;
    default:
        ExpressionStatement();
        return false;
    }
}

void LuaDialectParser::IfStatement(int line) {
    do {
        Take();
        Expression();
        Check(kTokThen);
        Block();
    } while (mToken.kind == kTokElseif);
    if (TestNext(kTokElse))
        Block();
    CheckMatch(kTokEnd, kTokIf, line);
}

void LuaDialectParser::OpenLoop() {
    Loop loop;
    loop.bodyPos = mOut.size();
    loop.id = mNextLoopId++;
    loop.savedPeak = mPeak;
    mPeak = mLevel + mExtraLevels;
    mFunctions.back().loops.push_back(loop);
    // Room for the flag local the body may get.
    DeclareLocals(1);
}

void LuaDialectParser::CloseLoopBody() {
    Loop& loop = mFunctions.back().loops.back();
    mFunctions.back().locals -= 1;
    if (loop.wrap && !loop.directBreaks.empty()) {
        loop.flag = true;
        loop.breakThroughWrap = true;
    }
    // The wrapper puts the whole body one level deeper.
    const int bodyPeak = mPeak + (loop.wrap ? 1 : 0);
    if (bodyPeak > kMaxEmittedLevels)
        Error("too many syntax levels");
    mPeak = std::max(loop.savedPeak, bodyPeak);
    if (loop.wrap) {
        std::string close = " until true";
        for (int id : loop.passing)
            close += " if " + FlagName(id) + " then break end";
        if (loop.breakThroughWrap)
            close += " if " + FlagName(loop.id) + "==2 then break end";
        close += ' ';
        Emit(close);
    }
    std::string open;
    if (loop.flag)
        open += " local " + FlagName(loop.id);
    if (loop.wrap)
        open += " repeat";
    if (open.empty())
        return;
    open += ' ';
    // The body is written out once more with the opening and the flag
    // settings in place, rather than moved once per insertion.
    const std::string mark = FlagName(loop.id) + "=2 ";
    std::string body = std::move(open);
    size_t from = loop.bodyPos;
    if (loop.wrap) {
        body.reserve(mOut.size() - from + loop.directBreaks.size() * mark.size() + body.size());
        for (size_t at : loop.directBreaks) {
            body.append(mOut, from, at - from);
            body += mark;
            from = at;
        }
    }
    body.append(mOut, from, std::string::npos);
    mOut.resize(loop.bodyPos);
    mOut += body;
}

void LuaDialectParser::EmitChecksAfterLoop(const Loop& loop) {
    for (int id : loop.passing)
        Emit(" if " + FlagName(id) + " then break end");
}

std::string LuaDialectParser::FlagName(int id) const {
    return std::string(kReservedPrefix) + "j" + std::to_string(id);
}

bool LuaDialectParser::LoopBody(int who, int line) {
    Check(kTokDo);
    OpenLoop();
    Block();
    if (mToken.kind != kTokEnd) {
        CheckMatch(kTokEnd, who, line);
        return false;
    }
    FlushGap();
    CloseLoopBody();
    Take();
    const Loop loop = std::move(mFunctions.back().loops.back());
    mFunctions.back().loops.pop_back();
    EmitChecksAfterLoop(loop);
    return true;
}

void LuaDialectParser::WhileStatement(int line) {
    Take();
    Expression();
    LoopBody(kTokWhile, line);
}

void LuaDialectParser::ForStatement(int line) {
    const int saved = mFunctions.back().locals;
    const size_t savedNames = mFunctions.back().names.size();
    std::vector<std::u16string_view> names(1, TokenName());
    Take();
    CheckVariableName();
    switch (mToken.kind) {
    case '=':
        Take();
        Expression();
        Check(',');
        Expression();
        if (TestNext(','))
            Expression();
        // 5.1 keeps three hidden locals besides the variable.
        DeclareLocals(4);
        mFunctions.back().names.insert(mFunctions.back().names.end(), 3, std::u16string_view());
        mFunctions.back().names.push_back(names[0]);
        break;
    case ',':
    case kTokIn: {
        while (TestNext(',')) {
            names.push_back(TokenName());
            CheckVariableName();
        }
        Check(kTokIn);
        // The values go through the dialect table's forin, which runs a
        // loop over a table as 5.0 did; the call is one level deeper for
        // the 5.1 parser.
        FlushGap();
        EmitWord(std::string(kLuaDialectName) + ".forin(");
        mUsesRuntime = true;
        ++mExtraLevels;
        ExpressionList();
        --mExtraLevels;
        Emit(")");
        mLastNumber = false;
        DeclareLocals(3 + static_cast<int>(names.size()));
        mFunctions.back().names.insert(mFunctions.back().names.end(), 3, std::u16string_view());
        mFunctions.back().names.insert(mFunctions.back().names.end(), names.begin(), names.end());
        break;
    }
    default:
        Error("'=' or 'in' expected");
        return;
    }
    if (!LoopBody(kTokFor, line))
        return;
    mFunctions.back().locals = saved;
    mFunctions.back().names.resize(savedNames);
}

void LuaDialectParser::RepeatStatement(int line) {
    Take();
    // The body's own block keeps its locals out of the condition, as in 5.0.
    EmitWord("do");
    ++mExtraLevels;
    OpenLoop();
    Block();
    --mExtraLevels;
    if (mToken.kind != kTokUntil) {
        CheckMatch(kTokUntil, kTokRepeat, line);
        return;
    }
    FlushGap();
    CloseLoopBody();
    EmitWord("end");
    const Loop loop = std::move(mFunctions.back().loops.back());
    mFunctions.back().loops.pop_back();
    Take();
    Expression();
    EmitChecksAfterLoop(loop);
}

void LuaDialectParser::FunctionStatement(int line) {
    Take();
    UseVariable();
    bool needSelf = false;
    while (mToken.kind == '.') {
        Take();
        CheckName();
    }
    if (mToken.kind == ':') {
        Take();
        CheckName();
        needSelf = true;
    }
    Body(needSelf, line);
}

void LuaDialectParser::LocalFunction(int) {
    mFunctions.back().names.push_back(TokenName());
    CheckVariableName();
    DeclareLocals(1);
    Body(false, mToken.endLine);
}

void LuaDialectParser::LocalStatement() {
    std::vector<std::u16string_view> names;
    do {
        names.push_back(TokenName());
        CheckVariableName();
    } while (TestNext(','));
    if (TestNext('='))
        ExpressionList();
    // The names come into scope after the values.
    DeclareLocals(static_cast<int>(names.size()));
    mFunctions.back().names.insert(mFunctions.back().names.end(), names.begin(), names.end());
}

void LuaDialectParser::ReturnStatement() {
    Take();
    if (!BlockFollow() && mToken.kind != ';')
        ExpressionList();
}

void LuaDialectParser::JumpStatement(bool isContinue) {
    FlushGap();
    LookAhead();
    int level = 1;
    const bool hasNumber = mAhead.kind == kTokNumber;
    if (hasNumber) {
        const double number = mAhead.number;
        const char* problem = nullptr;
        if (std::floor(number) != number)
            problem = "loop block number must be integer";
        else if (number < 1 || number > 100)
            problem = "loop block number out of range";
        if (problem) {
            mErrors.Raise(mAhead.endLine, problem, mLexer.NearText(mAhead));
            mToken.kind = kTokEos;
            mHasAhead = false;
            return;
        }
        level = static_cast<int>(number);
    }
    std::vector<Loop>& loops = mFunctions.back().loops;
    const int count = static_cast<int>(loops.size());
    const bool found = level <= count;
    if (found) {
        Loop& target = loops[static_cast<size_t>(count - level)];
        if (level == 1) {
            if (isContinue)
                target.wrap = true;
            if (!mOut.empty() && LuaDialectIsNameChar(mOut.back()))
                mOut += ' ';
            if (!isContinue)
                target.directBreaks.push_back(mOut.size());
            Emit("break");
        } else {
            target.flag = true;
            if (isContinue)
                target.wrap = true;
            else
                target.breakThroughWrap = true;
            for (int i = count - 1; i > count - level; --i) {
                std::vector<int>& passing = loops[static_cast<size_t>(i)].passing;
                if (std::find(passing.begin(), passing.end(), target.id) == passing.end())
                    passing.push_back(target.id);
            }
            EmitWord(FlagName(target.id) + (isContinue ? "=1 break" : "=2 break"));
        }
    }
    Advance();
    if (hasNumber) {
        FlushGap();
        Advance();
    }
    if (!found)
        Error(isContinue ? "no loop to continue" : "no loop to break");
}

void LuaDialectParser::ExpressionStatement() {
    const ExpKind kind = PrimaryExpression();
    if (kind != ExpKind::kCall)
        Assignment(kind);
}

void LuaDialectParser::Assignment(ExpKind kind) {
    int count = 1;
    for (;;) {
        if (kind != ExpKind::kVariable) {
            Error("syntax error");
            return;
        }
        if (!TestNext(','))
            break;
        // 5.1 reads each further target one level deeper.
        if (++count + mLevel + mExtraLevels > kMaxEmittedLevels) {
            Error("too many variables in assignment");
            return;
        }
        kind = PrimaryExpression();
    }
    Check('=');
    ExpressionList();
}

void LuaDialectParser::Body(bool needSelf, int line) {
    mFunctions.emplace_back();
    if (needSelf) {
        DeclareLocals(1);
        mFunctions.back().names.push_back(u"self");
    }
    Check('(');
    ParameterList();
    Check(')');
    Chunk();
    CheckMatch(kTokEnd, kTokFunction, line);
    mFunctions.pop_back();
}

void LuaDialectParser::ParameterList() {
    if (mToken.kind == ')')
        return;
    bool dots = false;
    do {
        if (mToken.kind == kTokDots) {
            // The function gets its `arg` table, as 5.1 gives it to a
            // function that does not use `...` itself.
            Take();
            dots = true;
            DeclareLocals(1);
            mFunctions.back().names.push_back(u"arg");
        } else if (mToken.kind == kTokName) {
            mFunctions.back().names.push_back(TokenName());
            CheckVariableName();
            DeclareLocals(1);
        } else {
            Error("<name> or '...' expected");
            return;
        }
    } while (!dots && TestNext(','));
}

// ---------------------------------------------------------------------------
// Expressions

int LuaDialectParser::ExpressionList() {
    int count = 1;
    Expression();
    while (TestNext(',')) {
        Expression();
        ++count;
    }
    return count;
}

int LuaDialectParser::SubExpression(int limit, ConcatRun* run) {
    EnterLevel();
    const int savedPeak = mPeak;
    mPeak = mLevel + mExtraLevels;
    FlushGap();
    const size_t start = mOut.size();
    OperandKind kind = OperandKind::kAny;
    bool bareCall = false;
    if (mToken.kind == kTokNot) {
        Take();
        SubExpression(kUnaryPriority);
        kind = OperandKind::kOther;
    } else if (mToken.kind == '-') {
        Take();
        SubExpression(kUnaryPriority);
        kind = mExpressionKind == OperandKind::kNumber ? OperandKind::kNumber : OperandKind::kAny;
    } else {
        kind = SimpleExpression(bareCall);
    }
    const BinaryOperator* op = FindBinaryOperator(mToken.kind);
    int wraps = 0;
    bool runGoesOn = false;
    while (op && op->left > limit && !mErrors.Failed()) {
        bareCall = false;
        if (op->function) {
            // Everything read so far becomes the first argument of a call,
            // one level deeper for the 5.1 parser.
            ++wraps;
            if (mPeak + wraps > kMaxEmittedLevels) {
                Error("too many syntax levels");
                break;
            }
            std::string call;
            if (start > 0 && LuaDialectIsNameChar(mOut[start - 1]))
                call += ' ';
            call += kLuaDialectName;
            call += '.';
            call += op->function;
            call += '(';
            mOut.insert(start, call);
            mUsesRuntime = true;
            FlushGap();
            Emit(",");
            mLastNumber = false;
            Advance();
            const int right = op->right;
            op = FindBinaryOperator(SubExpression(right));
            Emit(")");
            mLastNumber = false;
            kind = OperandKind::kNumber;
        } else if (op->token == kTokConcat) {
            // A run of concatenations: each `..` of it hands the rest of
            // the run to a nested call, which adds its operands to the run
            // this call started (or continues).
            ConcatRun own;
            ConcatRun& target = run ? *run : own;
            target.kinds.push_back(kind);
            Take();
            target.separators.push_back(mOut.size() - 2);
            const int right = op->right;
            op = FindBinaryOperator(SubExpression(right, &target));
            if (run)
                runGoesOn = true;
            else
                FinishConcatRun(own, start);
            kind = OperandKind::kAny;
        } else {
            const int right = op->right;
            const bool comparison = op->left == 3;
            Take();
            op = FindBinaryOperator(SubExpression(right));
            kind = comparison ? OperandKind::kOther : OperandKind::kAny;
        }
    }
    if (run && !runGoesOn) {
        run->kinds.push_back(kind);
        run->lastStart = start;
        run->lastIsCall = bareCall;
    }
    mExpressionKind = kind;
    mPeak = std::max(savedPeak, mPeak + wraps);
    LeaveLevel();
    return op ? op->token : 0;
}

// A run of three or more operands that may hold a wide string and ends in
// two that may be numbers is written as one call of the dialect's `cat`,
// which joins the run by the dialect's rules: the 5.1 engine would join
// two numbers at the end into a narrow string before a wide string before
// them is seen. Any other run stays as the engine's own concatenation.
void LuaDialectParser::FinishConcatRun(const ConcatRun& run, size_t start) {
    const size_t n = run.kinds.size();
    if (mErrors.Failed() || n < 3 || run.separators.size() + 1 != n)
        return;
    const auto mayBeNumber = [](OperandKind k) {
        return k == OperandKind::kNumber || k == OperandKind::kAny;
    };
    const auto mayBeWide = [](OperandKind k) {
        return k == OperandKind::kWide || k == OperandKind::kAny;
    };
    if (!mayBeNumber(run.kinds[n - 1]) || !mayBeNumber(run.kinds[n - 2]))
        return;
    if (std::none_of(run.kinds.begin(), run.kinds.end() - 2, mayBeWide))
        return;
    // The call puts the first operand one level deeper for the 5.1 parser.
    if (mPeak + 1 > kMaxEmittedLevels)
        return;
    ++mPeak;
    for (const size_t at : run.separators) {
        mOut[at] = ',';
        mOut[at + 1] = ' ';
    }
    // A call as the last argument would pass all its results.
    if (run.lastIsCall) {
        mOut.insert(run.lastStart, "(");
        mOut += ')';
    }
    std::string head;
    if (start > 0 && LuaDialectIsNameChar(mOut[start - 1]))
        head += ' ';
    head += kLuaDialectName;
    head += ".cat(";
    mOut.insert(start, head);
    mOut += ')';
    mLastNumber = false;
    mUsesRuntime = true;
}

LuaDialectParser::OperandKind LuaDialectParser::SimpleExpression(bool& call) {
    call = false;
    switch (mToken.kind) {
    case kTokNumber:
        Take();
        return OperandKind::kNumber;
    case kTokString:
        Take();
        return OperandKind::kNarrow;
    case kTokWString:
        Take();
        return OperandKind::kWide;
    case kTokNil:
    case kTokTrue:
    case kTokFalse:
        Take();
        return OperandKind::kOther;
    case '{':
        Constructor();
        return OperandKind::kOther;
    case kTokFunction:
        Take();
        Body(false, mToken.endLine);
        return OperandKind::kOther;
    default:
        call = PrimaryExpression() == ExpKind::kCall;
        return OperandKind::kAny;
    }
}

LuaDialectParser::ExpKind LuaDialectParser::PrimaryExpression() {
    ExpKind kind = ExpKind::kOther;
    PrefixExpression(kind);
    for (;;) {
        switch (mToken.kind) {
        case '.':
            Take();
            CheckName();
            kind = ExpKind::kVariable;
            break;
        case '[':
            Take();
            Expression();
            Check(']');
            kind = ExpKind::kVariable;
            break;
        case ':':
            Take();
            CheckName();
            FunctionArguments();
            kind = ExpKind::kCall;
            break;
        case '(':
        case '{':
        case kTokString:
        case kTokWString:
            FunctionArguments();
            kind = ExpKind::kCall;
            break;
        default:
            return kind;
        }
    }
}

void LuaDialectParser::PrefixExpression(ExpKind& kind) {
    switch (mToken.kind) {
    case '(': {
        const int line = mToken.endLine;
        Take();
        Expression();
        CheckMatch(')', '(', line);
        kind = ExpKind::kOther;
        break;
    }
    case kTokName:
        UseVariable();
        kind = ExpKind::kVariable;
        break;
    default:
        Error("unexpected symbol");
        kind = ExpKind::kOther;
        break;
    }
}

void LuaDialectParser::FunctionArguments() {
    const int line = mToken.endLine;
    switch (mToken.kind) {
    case '(':
        if (line != mLastLine) {
            Error("ambiguous syntax (function call x new statement)");
            return;
        }
        Take();
        if (mToken.kind != ')')
            ExpressionList();
        CheckMatch(')', '(', line);
        break;
    case '{':
        Constructor();
        break;
    case kTokString:
        Take();
        break;
    case kTokWString:
        // 5.1 takes only a narrow literal without parentheses; the opening
        // one goes on the line of the called expression.
        Emit("(");
        Take();
        Emit(")");
        break;
    default:
        Error("function arguments expected");
        break;
    }
}

void LuaDialectParser::Constructor() {
    const int line = mToken.endLine;
    Check('{');
    do {
        if (mToken.kind == ';') {
            // 5.0 lets a semicolon open the list or follow a separator;
            // 5.1 does not.
            FlushGap();
            Emit(" ");
            Advance();
        }
        if (mToken.kind == '}')
            break;
        switch (mToken.kind) {
        case kTokName:
            LookAhead();
            if (mAhead.kind != '=')
                Expression();
            else
                RecordField();
            break;
        case '[':
            RecordField();
            break;
        default:
            Expression();
            break;
        }
    } while (TestNext(',') || TestNext(';'));
    CheckMatch('}', '{', line);
}

void LuaDialectParser::RecordField() {
    if (mToken.kind == kTokName) {
        CheckName();
    } else {
        Take();
        Expression();
        Check(']');
    }
    Check('=');
    Expression();
}
