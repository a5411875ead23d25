#pragma once

#include "framework/script/engine/LuaDialectLexer.h"

#include <string>
#include <string_view>
#include <vector>

// Reads one chunk of the dialect with Lua 5.0's grammar and writes the
// equivalent Lua 5.1 text as it goes: tokens are copied with the blanks
// between them, and only the dialect's constructs are rewritten, each on
// the lines of the tokens it replaces, so line numbers stay the same.
//
// Rewrites: wide literals, the bitwise operators and the values of a
// generic `for` (a table there is iterated, as in 5.0) become calls into
// the dialect table, and so do runs of concatenations that could end in
// numbers after a wide string (one call of `cat` for the whole run); `continue` and `break N`
// become breaks out of an added `repeat ... until true` around a loop body, with a flag local for
// jumps over more than one loop; a repeat body gets a `do ... end` of its own so that its locals
// stay out of the `until` condition; nested long brackets and texts with carriage returns are
// written out in forms 5.1 reads the same way. One parser serves one translation.
class LuaDialectParser {
public:
    LuaDialectParser(std::u16string_view text, bool wide, LuaDialectErrors& errors);

    // Parses the whole chunk; false after a syntax error (see the errors).
    bool Translate();

    // The 5.1 text (not wrapped).
    std::string& Output() { return mOut; }
    // Whether the text calls into the dialect table.
    bool UsesRuntime() const { return mUsesRuntime; }

private:
    struct Loop {
        size_t bodyPos = 0;
        int id = 0;
        int savedPeak = 0;
        // A continue leads to this loop: its body is wrapped.
        bool wrap = false;
        // The loop has a jump flag local.
        bool flag = false;
        // A break out of this loop leaves its wrapper first.
        bool breakThroughWrap = false;
        std::vector<size_t> directBreaks;
        // Flags of outer loops whose jumps pass through this loop.
        std::vector<int> passing;
    };
    struct Function {
        std::vector<Loop> loops;
        // Locals as 5.1 counts them (with the hidden ones of loops).
        int locals = 0;
        // Names of the active locals, for finding up-values.
        std::vector<std::u16string_view> names;
        // Up-values: where each is found in the enclosing function (a local
        // there, or one of its up-values).
        std::vector<std::pair<bool, size_t>> upvalues;
    };
    enum class ExpKind { kOther, kVariable, kCall };
    // What an operand of a concatenation may be at run time, as far as
    // its text tells.
    enum class OperandKind { kNumber, kNarrow, kWide, kOther, kAny };
    // The operands of a run of concatenations and where its `..` tokens
    // were written.
    struct ConcatRun {
        std::vector<OperandKind> kinds;
        std::vector<size_t> separators;
        // Where the last operand starts, and whether it is a bare call.
        size_t lastStart = 0;
        bool lastIsCall = false;
    };

    // Tokens.
    void Advance();
    void LookAhead();
    void FlushGap();
    void EmitGap(const LuaDialectToken& token);
    void EmitTokenText();
    void Emit(std::string_view text) { mOut.append(text); }
    void EmitWord(std::string_view text);
    void Take();
    bool TestNext(int kind);
    void Check(int kind);
    void CheckMatch(int what, int who, int line);
    void CheckName();
    void CheckVariableName();
    void Error(std::string_view message);
    void ErrorExpected(int kind);
    bool BlockFollow() const;

    // Emission of texts that need rewriting.
    void EmitNarrowString();
    void EmitLongString();
    void EmitWideString();
    void EmitComment(size_t& i, size_t end, bool last);

    // Grammar.
    void EnterLevel();
    void LeaveLevel() { --mLevel; }
    void DeclareLocals(int count);
    std::u16string_view TokenName() const {
        return mText.substr(mToken.start, mToken.end - mToken.start);
    }
    // Looks a name up as 5.0 does, noting the up-values it makes; false
    // for a global.
    bool Resolve(size_t function, std::u16string_view name, bool& isLocal, size_t& index);
    void UseVariable();
    void Chunk();
    void Block();
    bool Statement();
    void IfStatement(int line);
    void WhileStatement(int line);
    void ForStatement(int line);
    void RepeatStatement(int line);
    void FunctionStatement(int line);
    void LocalFunction(int line);
    void LocalStatement();
    void ReturnStatement();
    void JumpStatement(bool isContinue);
    void ExpressionStatement();
    void Assignment(ExpKind kind);
    void Body(bool needSelf, int line);
    void ParameterList();
    int ExpressionList();
    void Expression() { SubExpression(0); }
    // Reads an expression of operators above limit. run is the run of
    // concatenations the expression continues (the right operand of a
    // `..`), or null.
    int SubExpression(int limit, ConcatRun* run = nullptr);
    void FinishConcatRun(const ConcatRun& run, size_t start);
    OperandKind SimpleExpression(bool& call);
    ExpKind PrimaryExpression();
    void PrefixExpression(ExpKind& kind);
    void FunctionArguments();
    void Constructor();
    void RecordField();

    // Loops.
    void OpenLoop();
    void CloseLoopBody();
    void EmitChecksAfterLoop(const Loop& loop);
    // Reads the `do ... end` body of a while or for loop (who) that starts
    // on line; false after an error.
    bool LoopBody(int who, int line);
    std::string FlagName(int id) const;

    std::u16string_view mText;
    bool mWide;
    LuaDialectErrors& mErrors;
    LuaDialectLexer mLexer;
    LuaDialectToken mToken;
    LuaDialectToken mAhead;
    bool mHasAhead = false;
    bool mGapDone = false;
    int mLastLine = 1;
    bool mLastNumber = false;
    std::string mOut;
    bool mUsesRuntime = false;
    std::vector<Function> mFunctions;
    // The kind of the expression SubExpression read last.
    OperandKind mExpressionKind = OperandKind::kAny;
    int mLevel = 0;
    // Syntax levels the 5.1 engine will see beyond 5.0's: the chunk's
    // wrapper and the blocks around repeat bodies; mPeak is the deepest
    // level the 5.1 engine will see in the expression or loop body being
    // read, counting the wrappers found so far.
    int mExtraLevels = 1;
    int mPeak = 0;
    int mNextLoopId = 0;
};
