#include "framework/script/engine/LuaApi.h"
#include "framework/script/engine/LuaState.h"
#include "framework/script/engine/LuaStringLibrary.h"
#include "framework/script/engine/LuaWideString.h"

#include <lauxlib.h>
#include <lua.h>

#include <cctype>
#include <cstddef>
#include <cstdlib>
#include <cstring>

// The string library's pattern matching: the patterns of the 5.1 engine,
// item for item and message for message, matched by a backtracking
// matcher of our own that counts its steps, so that a match that would
// backtrack for ever is stopped by the run watchdog like any script that
// never gives control back.
//
// Errors leave the matcher by the engine's long jump: nothing on the
// matcher's frames may need a destructor.

namespace {

// The matcher calls itself once for every capture and every item with a
// quantifier, so a pattern of enough of them would overflow the stack. A
// pattern that would nest deeper than this is refused before matching.
constexpr int kMaxPatternDepth = 200;
constexpr int kMaxCaptures = 32;
// What a capture's length holds while it is open, and for a position
// capture "()".
constexpr ptrdiff_t kOpenCapture = -1;
constexpr ptrdiff_t kPositionCapture = -2;
constexpr char kEscape = '%';
// A pattern without any of these is a plain text for find.
constexpr const char* kSpecials = "^$*+?.([%-";

struct Capture {
    const char* start;
    ptrdiff_t length;
};

// One match of a pattern over a subject. Patterns end at their first 0
// byte; subjects are counted strings.
struct Matcher {
    lua_State* L;
    const char* subject;
    const char* subjectEnd;
    int* stepsLeft; // the state's count of native steps until the watchdog
    int level = 0;  // captures open or closed so far
    Capture captures[kMaxCaptures];

    Matcher(lua_State* state, const char* s, size_t length)
        : L(state), subject(s), subjectEnd(s + length), stepsLeft(&LuaRunStepsLeft(state)) {}
};

unsigned char Byte(const char* p) {
    return static_cast<unsigned char>(*p);
}

[[noreturn]] void Fail(lua_State* L, const char* message) {
    luaL_error(L, "%s", message);
    std::abort(); // luaL_error does not return
}

// Kept out of the matcher's loops, which stay tight without it.
[[gnu::cold, gnu::noinline]] void AskWatchdog(Matcher& m) {
    LuaCheckRunTime(m.L);
}

// Counts steps of the match; a linear scan counts its characters at once.
inline void Step(Matcher& m, ptrdiff_t steps = 1) {
    *m.stepsLeft -= static_cast<int>(steps > kLuaRunCheckSteps ? kLuaRunCheckSteps : steps);
    if (*m.stepsLeft <= 0)
        AskWatchdog(m);
}

// The end of the one-character item that starts at p: past "%x", past the
// "]" of a set, or past a single character.
const char* ItemEnd(Matcher& m, const char* p) {
    const char first = *p++;
    if (first == kEscape) {
        if (*p == '\0')
            Fail(m.L, "malformed pattern (ends with '%')");
        return p + 1;
    }
    if (first == '[') {
        if (*p == '^')
            ++p;
        // The first character always belongs to the set, so "[]]" and
        // "[^]]" hold "]"; an escape takes the next character with it.
        do {
            if (*p == '\0')
                Fail(m.L, "malformed pattern (missing ']')");
            if (*p++ == kEscape && *p != '\0')
                ++p;
        } while (*p != ']');
        return p + 1;
    }
    return p;
}

// Whether c is in the class named by letter (%a, %d, ...); an upper-case
// letter is the complement; any other character stands for itself.
bool InClass(int c, int letter) {
    bool in = false;
    switch (std::tolower(letter)) {
    case 'a':
        in = std::isalpha(c);
        break;
    case 'c':
        in = std::iscntrl(c);
        break;
    case 'd':
        in = std::isdigit(c);
        break;
    case 'l':
        in = std::islower(c);
        break;
    case 'p':
        in = std::ispunct(c);
        break;
    case 's':
        in = std::isspace(c);
        break;
    case 'u':
        in = std::isupper(c);
        break;
    case 'w':
        in = std::isalnum(c);
        break;
    case 'x':
        in = std::isxdigit(c);
        break;
    case 'z':
        in = c == 0;
        break;
    default:
        return letter == c;
    }
    return std::isupper(letter) ? !in : in;
}

// Whether c is in the set from the "[" at open to the "]" at close.
bool InSet(int c, const char* open, const char* close) {
    const char* p = open + 1;
    bool in = true;
    if (*p == '^') {
        in = false;
        ++p;
    }
    for (; p < close; ++p) {
        if (*p == kEscape) {
            ++p;
            if (InClass(c, Byte(p)))
                return in;
        } else if (p[1] == '-' && p + 2 < close) {
            if (Byte(p) <= c && c <= Byte(p + 2))
                return in;
            p += 2;
        } else if (Byte(p) == c) {
            return in;
        }
    }
    return !in;
}

// Whether the subject's character at s matches the item from p to end.
bool ItemMatches(const Matcher& m, const char* s, const char* p, const char* end) {
    if (s >= m.subjectEnd)
        return false;
    const int c = Byte(s);
    switch (*p) {
    case '.':
        return true;
    case kEscape:
        return InClass(c, Byte(p + 1));
    case '[':
        return InSet(c, p, end - 1);
    default:
        return Byte(p) == c;
    }
}

const char* Match(Matcher& m, const char* s, const char* p);

// "x*" and "x+" after its first: as many as match, then fewer until the
// rest of the pattern matches.
const char* Greedy(Matcher& m, const char* s, const char* p, const char* itemEnd) {
    ptrdiff_t count = 0;
    while (ItemMatches(m, s + count, p, itemEnd))
        ++count;
    Step(m, count);
    for (; count >= 0; --count) {
        if (const char* end = Match(m, s + count, itemEnd + 1))
            return end;
    }
    return nullptr;
}

// "x-": as few as let the rest of the pattern match.
const char* Lazy(Matcher& m, const char* s, const char* p, const char* itemEnd) {
    for (;;) {
        if (const char* end = Match(m, s, itemEnd + 1))
            return end;
        if (!ItemMatches(m, s, p, itemEnd))
            return nullptr;
        ++s;
    }
}

const char* OpenCapture(Matcher& m, const char* s, const char* p, ptrdiff_t kind) {
    if (m.level >= kMaxCaptures)
        Fail(m.L, "too many captures");
    m.captures[m.level] = {s, kind};
    ++m.level;
    const char* end = Match(m, s, p);
    if (!end)
        --m.level;
    return end;
}

const char* CloseCapture(Matcher& m, const char* s, const char* p) {
    int open = m.level - 1;
    while (open >= 0 && m.captures[open].length != kOpenCapture)
        --open;
    if (open < 0)
        Fail(m.L, "invalid pattern capture");
    m.captures[open].length = s - m.captures[open].start;
    const char* end = Match(m, s, p);
    if (!end)
        m.captures[open].length = kOpenCapture;
    return end;
}

// "%bxy" (pair at the x): from an x at s to the y that balances it.
const char* Balanced(Matcher& m, const char* s, const char* pair) {
    if (pair[0] == '\0' || pair[1] == '\0')
        Fail(m.L, "unbalanced pattern");
    if (s >= m.subjectEnd || *s != pair[0])
        return nullptr;
    const char* start = s;
    int depth = 1;
    while (++s < m.subjectEnd) {
        if (*s == pair[1]) {
            if (--depth == 0)
                break;
        } else if (*s == pair[0]) {
            ++depth;
        }
    }
    Step(m, s - start);
    return s < m.subjectEnd ? s + 1 : nullptr;
}

// "%1" to "%9": the text a closed capture took, again.
const char* BackReference(Matcher& m, const char* s, int digit) {
    const int index = digit - '1';
    if (index < 0 || index >= m.level || m.captures[index].length == kOpenCapture)
        Fail(m.L, "invalid capture index");
    const Capture& capture = m.captures[index];
    // A position capture has no text and matches nothing.
    if (capture.length < 0 || m.subjectEnd - s < capture.length ||
        std::memcmp(capture.start, s, static_cast<size_t>(capture.length)) != 0)
        return nullptr;
    return s + capture.length;
}

// The end of the match of pattern p at s, or null. Plain items go on in
// the loop; quantifiers and captures call it again for the rest.
const char* Match(Matcher& m, const char* s, const char* p) {
    for (;;) {
        Step(m);
        switch (*p) {
        case '\0':
            return s;
        case '(':
            if (p[1] == ')')
                return OpenCapture(m, s, p + 2, kPositionCapture);
            return OpenCapture(m, s, p + 1, kOpenCapture);
        case ')':
            return CloseCapture(m, s, p + 1);
        case '$':
            if (p[1] == '\0')
                return s == m.subjectEnd ? s : nullptr;
            break; // a "$" inside the pattern is itself
        case kEscape:
            if (p[1] == 'b') {
                s = Balanced(m, s, p + 2);
                if (!s)
                    return nullptr;
                p += 4;
                continue;
            }
            if (p[1] == 'f') {
                p += 2;
                if (*p != '[')
                    Fail(m.L, "missing '[' after '%f' in pattern");
                const char* setEnd = ItemEnd(m, p);
                const int before = s == m.subject ? 0 : Byte(s - 1);
                const int at = s < m.subjectEnd ? Byte(s) : 0;
                if (InSet(before, p, setEnd - 1) || !InSet(at, p, setEnd - 1))
                    return nullptr;
                p = setEnd;
                continue;
            }
            if (std::isdigit(Byte(p + 1))) {
                s = BackReference(m, s, Byte(p + 1));
                if (!s)
                    return nullptr;
                p += 2;
                continue;
            }
            break;
        default:
            break;
        }
        const char* itemEnd = ItemEnd(m, p);
        const bool here = ItemMatches(m, s, p, itemEnd);
        switch (*itemEnd) {
        case '?':
            if (here) {
                if (const char* end = Match(m, s + 1, itemEnd + 1))
                    return end;
            }
            p = itemEnd + 1;
            continue;
        case '*':
            return Greedy(m, s, p, itemEnd);
        case '+':
            return here ? Greedy(m, s + 1, p, itemEnd) : nullptr;
        case '-':
            return Lazy(m, s, p, itemEnd);
        default:
            if (!here)
                return nullptr;
            ++s;
            p = itemEnd;
            continue;
        }
    }
}

// Pushes capture i of a match from s to e; with no captures, capture 0 is
// the whole match.
void PushCapture(Matcher& m, int i, const char* s, const char* e) {
    if (i >= m.level) {
        if (i != 0)
            Fail(m.L, "invalid capture index");
        lua_pushlstring(m.L, s, static_cast<size_t>(e - s));
        return;
    }
    const Capture& capture = m.captures[i];
    if (capture.length == kOpenCapture)
        Fail(m.L, "unfinished capture");
    if (capture.length == kPositionCapture)
        lua_pushinteger(m.L, capture.start - m.subject + 1);
    else
        lua_pushlstring(m.L, capture.start, static_cast<size_t>(capture.length));
}

// Pushes every capture, or the whole match when there are none and s is
// given; returns how many.
int PushCaptures(Matcher& m, const char* s, const char* e) {
    const int count = m.level == 0 && s ? 1 : m.level;
    luaL_checkstack(m.L, count, "too many captures");
    for (int i = 0; i < count; ++i)
        PushCapture(m, i, s, e);
    return count;
}

// The end of the set that starts at p ("[" already read), as the matcher
// reads it: a "]" right after the "[" or "[^" belongs to the set, "%"
// escapes the next character.
size_t SetEnd(const char* p, size_t i, size_t length) {
    if (i < length && p[i] == '^')
        ++i;
    do {
        if (i >= length)
            return length;
        if (p[i] == '%')
            ++i;
        ++i;
    } while (i < length && p[i] != ']');
    return i < length ? i + 1 : length;
}

// How deep the matcher nests on the pattern: its captures and its items
// with a quantifier.
int PatternDepth(const char* p, size_t length) {
    int depth = 0;
    size_t i = p[0] == '^' ? 1 : 0;
    while (i < length) {
        const char c = p[i++];
        if (c == '(' || c == ')') {
            ++depth;
            continue;
        }
        if (c == '%' && i < length) {
            const char kind = p[i++];
            if (kind == 'b') {
                i += 2;
                continue;
            }
            if (kind == 'f') {
                if (i < length && p[i] == '[')
                    i = SetEnd(p, i + 1, length);
                continue;
            }
        } else if (c == '[') {
            i = SetEnd(p, i, length);
        }
        if (i < length && (p[i] == '?' || p[i] == '*' || p[i] == '+' || p[i] == '-')) {
            ++depth;
            ++i;
        }
    }
    return depth;
}

// The pattern at index (already checked to be a string), refused as "bad
// argument (pattern too complex)" when the matcher would nest too deep.
const char* CheckedPattern(lua_State* L, int index) {
    const char* pattern = lua_tostring(L, index);
    if (PatternDepth(pattern, std::strlen(pattern)) > kMaxPatternDepth)
        luaL_argerror(L, index, "pattern too complex");
    return pattern;
}

// A 1-based position, negative from the end, as a 0-based offset within
// [0, length].
size_t StartOffset(lua_Integer position, size_t length) {
    const auto size = static_cast<lua_Integer>(length);
    if (position < 0)
        position += size + 1;
    if (position < 1)
        return 0;
    return position - 1 > size ? length : static_cast<size_t>(position - 1);
}

// The first place of needle in text, or null.
const char* FindText(const char* text, size_t textLength, const char* needle, size_t needleLength) {
    if (needleLength == 0)
        return text;
    while (textLength >= needleLength) {
        const void* first = std::memchr(text, needle[0], textLength - needleLength + 1);
        if (!first)
            return nullptr;
        const char* at = static_cast<const char*>(first);
        if (std::memcmp(at + 1, needle + 1, needleLength - 1) == 0)
            return at;
        textLength -= static_cast<size_t>(at + 1 - text);
        text = at + 1;
    }
    return nullptr;
}

int FindOrMatch(lua_State* L, bool find) {
    size_t length = 0;
    size_t patternLength = 0;
    const char* s = luaL_checklstring(L, 1, &length);
    const char* p = luaL_checklstring(L, 2, &patternLength);
    const size_t start = StartOffset(luaL_optinteger(L, 3, 1), length);
    if (find && (lua_toboolean(L, 4) || !std::strpbrk(p, kSpecials))) {
        const char* at = FindText(s + start, length - start, p, patternLength);
        if (!at) {
            lua_pushnil(L);
            return 1;
        }
        lua_pushinteger(L, at - s + 1);
        lua_pushinteger(L, static_cast<lua_Integer>(at - s + patternLength));
        return 2;
    }
    CheckedPattern(L, 2);
    Matcher m(L, s, length);
    const bool anchored = *p == '^';
    if (anchored)
        ++p;
    const char* from = s + start;
    do {
        m.level = 0;
        if (const char* end = Match(m, from, p)) {
            if (!find)
                return PushCaptures(m, from, end);
            lua_pushinteger(L, from - s + 1);
            lua_pushinteger(L, end - s);
            return PushCaptures(m, nullptr, nullptr) + 2;
        }
    } while (from++ < m.subjectEnd && !anchored);
    lua_pushnil(L);
    return 1;
}

// The iterator gmatch gives: up-values are the subject, the pattern and
// the offset where the next search starts. "^" is an ordinary character
// here.
int GmatchNext(lua_State* L) {
    size_t length = 0;
    const char* s = lua_tolstring(L, lua_upvalueindex(1), &length);
    const char* p = lua_tostring(L, lua_upvalueindex(2));
    Matcher m(L, s, length);
    for (const char* from = s + lua_tointeger(L, lua_upvalueindex(3)); from <= m.subjectEnd;
         ++from) {
        m.level = 0;
        if (const char* end = Match(m, from, p)) {
            // An empty match moves the next search on by one.
            lua_pushinteger(L, end - s + (end == from ? 1 : 0));
            lua_replace(L, lua_upvalueindex(3));
            return PushCaptures(m, from, end);
        }
    }
    return 0;
}

// A replacement text for the match from s to e: "%0" is the whole match,
// "%1".."%9" a capture ("%1" the whole match when there are none), "%"
// before anything else that character.
void AddReplacementText(Matcher& m, luaL_Buffer* buffer, const char* s, const char* e) {
    size_t length = 0;
    const char* text = lua_tolstring(m.L, 3, &length);
    for (size_t i = 0; i < length; ++i) {
        if (text[i] != kEscape) {
            luaL_addchar(buffer, text[i]);
            continue;
        }
        // A "%" at the very end takes the string's closing 0 byte.
        const unsigned char next = Byte(text + ++i);
        if (!std::isdigit(next)) {
            luaL_addchar(buffer, static_cast<char>(next));
        } else if (next == '0') {
            luaL_addlstring(buffer, s, static_cast<size_t>(e - s));
        } else {
            PushCapture(m, next - '1', s, e);
            luaL_addvalue(buffer);
        }
    }
}

// What replaces the match from s to e. A function's result counts as in
// the 5.0 dialect: a string or a number replaces the match, anything else
// replaces it with nothing, and a wide string (no bytes for a narrow
// result) is an error. A table's value: nil or false keeps the match.
void AddReplacement(Matcher& m, luaL_Buffer* buffer, const char* s, const char* e) {
    lua_State* L = m.L;
    switch (lua_type(L, 3)) {
    case LUA_TFUNCTION: {
        lua_pushvalue(L, 3);
        const int count = PushCaptures(m, s, e);
        lua_call(L, count, 1);
        const int type = lua_type(L, -1);
        if (type == LUA_TSTRING || type == LUA_TNUMBER) {
            luaL_addvalue(buffer);
        } else if (LuaIsWString(L, -1)) {
            LuaPushScriptWhere(L);
            lua_pushliteral(L, "invalid replacement value (a wstring)");
            lua_concat(L, 2);
            lua_error(L);
        } else {
            lua_pop(L, 1);
        }
        return;
    }
    case LUA_TTABLE:
        PushCapture(m, 0, s, e);
        lua_gettable(L, 3);
        if (!lua_toboolean(L, -1)) {
            lua_pop(L, 1);
            lua_pushlstring(L, s, static_cast<size_t>(e - s));
        } else if (!lua_isstring(L, -1)) {
            luaL_error(L, "invalid replacement value (a %s)", luaL_typename(L, -1));
        }
        luaL_addvalue(buffer);
        return;
    default:
        AddReplacementText(m, buffer, s, e);
        return;
    }
}

} // namespace

int LuaStringFind(lua_State* L) {
    return FindOrMatch(L, true);
}

int LuaStringMatch(lua_State* L) {
    return FindOrMatch(L, false);
}

int LuaStringGmatch(lua_State* L) {
    luaL_checkstring(L, 1);
    luaL_checkstring(L, 2);
    CheckedPattern(L, 2);
    lua_settop(L, 2);
    lua_pushinteger(L, 0);
    lua_pushcclosure(L, GmatchNext, 3);
    return 1;
}

int LuaStringGsub(lua_State* L) {
    size_t length = 0;
    const char* s = LuaCheckNarrowString(L, 1, &length);
    LuaCheckNarrowString(L, 2, nullptr);
    const int type = lua_type(L, 3);
    luaL_argcheck(L,
                  type == LUA_TNUMBER || type == LUA_TSTRING || type == LUA_TTABLE ||
                      type == LUA_TFUNCTION,
                  3, "string/function/table expected");
    const int most = luaL_optint(L, 4, static_cast<int>(length + 1));
    lua_settop(L, 3);
    const char* p = CheckedPattern(L, 2);
    const bool anchored = *p == '^';
    if (anchored)
        ++p;
    Matcher m(L, s, length);
    luaL_Buffer buffer;
    luaL_buffinit(L, &buffer);
    int count = 0;
    while (count < most) {
        m.level = 0;
        const char* end = Match(m, s, p);
        if (end) {
            ++count;
            AddReplacement(m, &buffer, s, end);
        }
        if (end && end > s)
            s = end;
        else if (s < m.subjectEnd)
            luaL_addchar(&buffer, *s++);
        else
            break;
        if (anchored)
            break;
    }
    luaL_addlstring(&buffer, s, static_cast<size_t>(m.subjectEnd - s));
    luaL_pushresult(&buffer);
    lua_pushinteger(L, count);
    return 2;
}
