#include "framework/core/text/TString.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

// These tests run without a collation module beside the program, so every
// ordering is byte order.

namespace {

// Search flags as plain numbers, for the tables below.
constexpr int kCase = 1;
constexpr int kAll = 2;
constexpr int kBack = 4;

TSearchFlags Flags(int bits) {
    return static_cast<TSearchFlags>(bits);
}

// ---- null, empty and access ------------------------------------------------------

TEST(TString, Null_ReadsAsEmptyText) {
    TString s;
    EXPECT_STREQ(s.CStr(), "");
    EXPECT_EQ(s.Length(), 0);
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(s.Capacity(), 0u);
    EXPECT_EQ(s.CharAt(0), 0);
    EXPECT_EQ(s.ToInt(), 0);
    EXPECT_EQ(s.ToFloat(), 0.0f);
}

TEST(TString, EmptyRecordAndNull_CompareEqualAndSortFirst) {
    TString fromChars("");
    TString null;
    EXPECT_EQ(fromChars.Capacity(), 1u) << "a record even for \"\"";
    EXPECT_EQ(fromChars.Compare(null), 0);
    EXPECT_EQ(null.Compare(fromChars), 0);
    EXPECT_TRUE(fromChars == null);
    EXPECT_TRUE(null < TString("a"));
    EXPECT_TRUE(fromChars < TString("a"));
    EXPECT_EQ(TString("a").Compare(null), 1);
    EXPECT_EQ(TString("a").Compare(fromChars), 1);
}

TEST(TString, CharAt_OutsideTheText_IsZero) {
    TString s("abc");
    EXPECT_EQ(s.CharAt(0), 'a');
    EXPECT_EQ(s.CharAt(2), 'c');
    EXPECT_EQ(s.CharAt(3), 0);
    EXPECT_EQ(s.CharAt(100), 0);
    EXPECT_EQ(s.CharAt(-1), 0);
}

TEST(TString, Capacities_FollowHowTheRecordWasMade) {
    struct Case {
        const char* what;
        TString value;
        uint32_t capacity;
    };
    TString grown("ab");
    grown += 'c';
    TString doubled("0123456789abcdef"); // capacity 17
    doubled += 'g';
    TString shared("hello");
    TString copy(shared);
    copy.ToLower(); // private copy of exactly length + 1
    Case cases[] = {
        {"copied text", TString("hello"), 6},
        {"long copied text", TString("0123456789abcdefghij"), 21},
        {"null char pointer", TString(static_cast<const char*>(nullptr)), 16},
        {"buffer", TString("hello", 5), 16},
        {"long buffer", TString("0123456789abcdefghij", 20), 21},
        {"concatenation", TString("a") + TString("b"), 16},
        {"concatenation of a byte", TString("a") + 'b', 16},
        {"substring", TString("hello").Substring(1, 2), 16},
        {"format that fits", TString::Format("%d", 12345), 6},
        {"growth by appending", grown, 16},
        {"byte appended past the capacity doubles it", doubled, 34},
        {"private copy", copy, 6},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.value.Capacity(), c.capacity) << c.what;
    }
}

TEST(TString, BufferConstruction_CopiesCountBytes) {
    TString s("abcdef", 3);
    EXPECT_STREQ(s.CStr(), "abc");
    TString fromNull(nullptr, 5); // no bytes to copy: empty, not garbage
    EXPECT_STREQ(fromNull.CStr(), "");
}

// ---- numbers -----------------------------------------------------------------------

TEST(TString, ToInt_ReadsLikeAtoi) {
    struct Case {
        const char* text;
        int value;
    } cases[] = {
        {"42", 42},
        {"42abc", 42},
        {"  -17", -17},
        {"+8", 8},
        {"abc", 0},
        {"", 0},
        {"0x10", 0},
        {"12 34", 12},
        {"2147483647", INT_MAX},
        {"99999999999", INT_MAX},
        {"-99999999999", INT_MIN},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TString(c.text).ToInt(), c.value) << '"' << c.text << '"';
    }
}

TEST(TString, ToFloat_ReadsLikeAtof) {
    struct Case {
        const char* text;
        float value;
    } cases[] = {
        {"1.5", 1.5f}, {"-0.25x", -0.25f}, {"  3", 3.0f},
        {"abc", 0.0f}, {"", 0.0f},         {"1e2", 100.0f},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TString(c.text).ToFloat(), c.value) << '"' << c.text << '"';
    }
    EXPECT_TRUE(std::isinf(TString("1e300").ToFloat()));
    EXPECT_GT(TString("1e300").ToFloat(), 0.0f);
    EXPECT_LT(TString("-1e300").ToFloat(), 0.0f);
}

// ---- sharing and copy on write ----------------------------------------------------------

TEST(TString, Copy_SharesTheRecord) {
    TString a("shared");
    TString b(a);
    TString c;
    c = a;
    EXPECT_EQ(a.CStr(), b.CStr());
    EXPECT_EQ(a.CStr(), c.CStr());
    EXPECT_EQ(a.RefCount(), 3u);
    c = c; // self-assignment changes nothing
    EXPECT_EQ(a.RefCount(), 3u);
    b = TString("other");
    EXPECT_EQ(a.RefCount(), 2u);
}

TEST(TString, ChangeOfACopy_LeavesTheOriginalUnchanged) {
    using Change = void (*)(TString&);
    struct Case {
        const char* what;
        Change change;
        const char* changed;
    } cases[] = {
        {"Append", [](TString& s) { s += TString("!"); }, "Hello World!"},
        {"AppendChar", [](TString& s) { s += '!'; }, "Hello World!"},
        {"AppendBuffer", [](TString& s) { s.AppendBuffer("!?", 1); }, "Hello World!"},
        {"ToLower", [](TString& s) { s.ToLower(); }, "hello world"},
        {"Write", [](TString& s) { s.Write(0, "J", 1, false); }, "Jello World"},
        {"Replace", [](TString& s) { s.Replace(TString("World"), TString("There")); },
         "Hello There"},
        {"Erase", [](TString& s) { s.Erase(5); }, "Hello"},
        {"Reserve", [](TString& s) { s.Reserve(64); }, "Hello World"},
    };
    for (const Case& c : cases) {
        TString original("Hello World");
        TString copy(original);
        c.change(copy);
        EXPECT_STREQ(original.CStr(), "Hello World") << c.what;
        EXPECT_STREQ(copy.CStr(), c.changed) << c.what;
        EXPECT_EQ(original.RefCount(), 1u) << c.what;
        EXPECT_EQ(copy.RefCount(), 1u) << c.what;
    }
}

TEST(TString, CopiesOnSeveralThreads_KeepTheCountRight) {
    TString shared("shared between threads");
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&shared] {
            for (int i = 0; i < 20000; ++i) {
                TString copy(shared);
                TString another = copy;
                if (another.Length() != 22) {
                    ADD_FAILURE();
                    return;
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(shared.RefCount(), 1u);
}

TEST(TString, Hash_FollowsTheBytes) {
    std::hash<TString> hash;
    EXPECT_EQ(hash(TString("abc")), hash(TString("abc", 3)));
    EXPECT_EQ(hash(TString()), hash(TString("")));
    std::unordered_set<TString> set{TString("a"), TString("A"), TString("a")};
    EXPECT_EQ(set.size(), 2u);
}

TEST(TString, Move_LeavesTheSourceEmpty) {
    TString a("moving");
    TString b(std::move(a));
    EXPECT_STREQ(b.CStr(), "moving");
    EXPECT_EQ(b.RefCount(), 1u);
    TString c;
    c = std::move(b);
    EXPECT_STREQ(c.CStr(), "moving");
}

TEST(TString, AssignChars_FromOwnText_KeepsIt) {
    TString s("abcdef");
    s = s.CStr() + 2;
    EXPECT_STREQ(s.CStr(), "cdef");
    EXPECT_EQ(s.Capacity(), 5u);
}

// ---- comparison --------------------------------------------------------------------------

TEST(TString, Compare_IsByteOrderWithoutAModule) {
    struct Case {
        const char* a;
        const char* b;
        int result;
    } cases[] = {
        {"a", "b", -1}, {"b", "a", 1}, {"abc", "abc", 0},    {"ab", "abc", -1},
        {"B", "a", -1}, {"a", "B", 1}, {"\xC3\xA9", "z", 1}, {"", "a", -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TString(c.a).Compare(TString(c.b)), c.result) << c.a << " vs " << c.b;
        EXPECT_EQ(CollateStrings(c.a, c.b), c.result) << c.a << " vs " << c.b;
        EXPECT_EQ(TString(c.a) < TString(c.b), c.result < 0) << c.a << " vs " << c.b;
        EXPECT_EQ(TString(c.a) == TString(c.b), c.result == 0) << c.a << " vs " << c.b;
    }
}

TEST(TString, Map_IsOrderedByTheStringOrder) {
    std::map<TString, int> map{{TString("b"), 2}, {TString("a"), 1}, {TString("B"), 0}};
    std::string order;
    for (const auto& [key, value] : map) {
        order += key.CStr();
    }
    EXPECT_EQ(order, "Bab");
}

// ---- search -------------------------------------------------------------------------------

TEST(TString, FindChar_Table) {
    struct Case {
        const char* text;
        char c;
        int flags;
        int start;
        int result;
    } cases[] = {
        {"a\\b\\c", '\\', 0, 0, 1},
        {"a\\b\\c", '\\', kBack, 0, 3}, // the last backslash
        {"a\\b\\c", '\\', kBack, 2, 1}, // the start counts from the end
        {"a\\b\\c", '\\', 0, 2, 3},
        {"a\\b\\c", '\\', 0, 4, -1},
        {"a\\b\\c", '\\', 0, 5, -1},  // start at the end
        {"a\\b\\c", '\\', 0, -1, -1}, // negative start
        {"a\\b\\c", '\\', kBack, 5, -1},
        {"", 'a', 0, 0, -1},
        {"Hello", 'h', 0, 0, -1},
        {"Hello", 'h', kCase, 0, 0},
        {"Hello", 'L', kCase | kBack, 0, 3},
        {"Hello", 0, 0, 0, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TString(c.text).FindChar(c.c, Flags(c.flags), c.start), c.result)
            << '"' << c.text << "\" '" << c.c << "' flags " << c.flags << " start " << c.start;
    }
    EXPECT_EQ(TString().FindChar('a'), -1);
}

TEST(TString, Find_Table) {
    struct Case {
        const char* text;
        const char* needle;
        int flags;
        int start;
        int result;
    } cases[] = {
        {"abcabc", "bc", 0, 0, 1},
        {"abcabc", "bc", 0, 2, 4},
        {"abcabc", "bc", kBack, 0, 4},
        {"abcabc", "bc", kBack, 1, 1},   // positions run from 5 - 1 - 1 = 3 down
        {"abcabc", "bc", kBack, 4, -1},  // only position 0 is tried
        {"abcabc", "abcabcd", 0, 0, -1}, // needle longer than the text
        {"abc", "abcd", kBack, 0, -1},
        {"hello world", "WORLD", 0, 0, -1},
        {"hello world", "WORLD", kCase, 0, 6},
        {"hello world", "O", kCase | kBack, 0, 7},
        {"abc", "", 0, 1, 1}, // an empty needle matches where the search starts
        {"abc", "", kBack, 0, 3},
        {"", "a", 0, 0, -1},
        {"", "", 0, 0, -1},
        {"abc", "c", 0, 3, -1},
        {"abc", "c", 0, -1, -1},
        {"abc", "abc", 0, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TString(c.text).Find(TString(c.needle), Flags(c.flags), c.start), c.result)
            << '"' << c.text << "\" needle \"" << c.needle << "\" flags " << c.flags << " start "
            << c.start;
    }
}

TEST(TString, FindFirstOf_GivesTheLengthWhenNothingMatches) {
    struct Case {
        const char* text;
        const char* set;
        int start;
        int result;
    } cases[] = {
        {"path/to\\file", "/\\", 0, 4},
        {"path/to\\file", "/\\", 5, 7},
        {"path/to\\file", "/\\", 8, 12},
        {"abc", "xyz", 0, 3},
        {"abc", "a", 3, 3},
        {"abc", "a", 10, 3},
        {"abc", "", 0, 3},
        {"", "a", 0, 0},
        {"abc", "c", -5, 3}, // a negative start lies past the end
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TString(c.text).FindFirstOf(TString(c.set), c.start), c.result)
            << '"' << c.text << "\" set \"" << c.set << "\" start " << c.start;
    }
}

// ---- new strings from old ones -----------------------------------------------------------

TEST(TString, Substring_Table) {
    struct Case {
        int start;
        int count;
        const char* result;
    } cases[] = {
        // A negative start lies past the end.
        {2, -1, "cde"}, {0, -1, "abcde"}, {9, -1, ""}, {5, 1, ""},       {1, 0, ""},
        {1, 2, "bc"},   {3, 100, "de"},   {-2, 2, ""}, {0, -7, "abcde"}, {-1, -1, ""},
    };
    TString text("abcde");
    for (const Case& c : cases) {
        EXPECT_STREQ(text.Substring(c.start, c.count).CStr(), c.result)
            << "start " << c.start << " count " << c.count;
    }
    EXPECT_STREQ(TString().Substring(0).CStr(), "");
}

TEST(TString, Concat_JoinsBothTexts) {
    EXPECT_STREQ((TString("ab") + TString("cd")).CStr(), "abcd");
    EXPECT_STREQ((TString() + TString("cd")).CStr(), "cd");
    EXPECT_STREQ((TString("ab") + TString()).CStr(), "ab");
    EXPECT_STREQ((TString("ab") + 'c').CStr(), "abc");
    TString longer = TString("0123456789") + TString("0123456789");
    EXPECT_EQ(longer.Capacity(), 21u);
}

TEST(TString, Format_ShortAndLongOutputs) {
    EXPECT_STREQ(TString::Format("%s-%d-%.1f", "x", 7, 2.5).CStr(), "x-7-2.5");
    std::string big(5000, 'q');
    TString formatted = TString::Format("%s", big.c_str());
    EXPECT_EQ(formatted.Length(), 5000);
    EXPECT_EQ(formatted.ToStd(), big);
    EXPECT_EQ(formatted.Capacity(), 5001u);
    // Exactly at the first buffer's size.
    std::string edge(4096, 'e');
    EXPECT_EQ(TString::Format("%s", edge.c_str()).ToStd(), edge);
    std::string below(4095, 'b');
    EXPECT_EQ(TString::Format("%s", below.c_str()).ToStd(), below);

    va_list none{};
    EXPECT_STREQ(TString::VFormat(nullptr, none).CStr(), "") << "no format, no text";

    TString s("old");
    s.Printf("%s and %s", s.CStr(), "new");
    EXPECT_STREQ(s.CStr(), "old and new");
}

TEST(TString, FromCodePoint_EncodesOrIsEmpty) {
    EXPECT_STREQ(TString::FromCodePoint('A').CStr(), "A");
    EXPECT_STREQ(TString::FromCodePoint(0xE9).CStr(), "\xC3\xA9");
    EXPECT_TRUE(TString::FromCodePoint(0xFEFF).IsEmpty());
    EXPECT_TRUE(TString::FromCodePoint(0x110000).IsEmpty());
}

// ---- changes in place ------------------------------------------------------------------------

TEST(TString, ToLower_FoldsOnlyAsciiLetters) {
    TString s("ABC xyz \xC3\x89 [Z]");
    s.ToLower();
    EXPECT_STREQ(s.CStr(), "abc xyz \xC3\x89 [z]");
    TString empty;
    empty.ToLower();
    EXPECT_EQ(empty.Capacity(), 0u);
}

TEST(TString, Write_Table) {
    struct Case {
        const char* text;
        int position;
        const char* data;
        int count;
        bool terminate;
        const char* result;
        int returned;
    } cases[] = {
        {"hello", 0, "J", 1, false, "Jello", 1},
        {"hello", 0, "J", 1, true, "J", 1},
        {"hello", -1, "!!", 2, false, "hello!!", 7},
        {"hello", 5, "!", 1, true, "hello!", 6},
        {"hello", 3, "LOOO", 4, false, "helLOOO", 7},
        {"hello", 99, "?", 1, false, "hello?", 6}, // past the end: at the end
        {"hello", -5, "?", 1, false, "hello?", 6},
        {"hello", 1, "xyz", 0, false, "hello", 1},
        {"hello", 1, "xyz", -3, false, "hello", 1},
        {"hello", 1, nullptr, 3, false, "hello", 1},
        {"", 0, "abc", 3, false, "abc", 3},
    };
    for (const Case& c : cases) {
        TString s(c.text);
        EXPECT_EQ(s.Write(c.position, c.data, c.count, c.terminate), c.returned) << c.result;
        EXPECT_STREQ(s.CStr(), c.result);
    }
}

TEST(TString, Write_GrowsByDoublingTheCapacity) {
    TString s;
    EXPECT_EQ(s.Write(-1, "abc", 3, true), 3);
    EXPECT_EQ(s.Capacity(), 16u);
    std::string expected = "abc";
    for (int i = 0; i < 14; ++i) {
        char c = static_cast<char>('a' + i);
        s.Write(-1, &c, 1, true);
        expected += c;
    }
    EXPECT_EQ(s.ToStd(), expected);
    EXPECT_EQ(s.Capacity(), 32u);
    std::string tail(40, 't');
    s.Write(-1, tail.data(), 40, true);
    EXPECT_EQ(s.Capacity(), 64u);
    EXPECT_EQ(s.ToStd(), expected + tail);
}

TEST(TString, Write_FromItsOwnTextWhileGrowing_CopiesTheRightBytes) {
    TString s("0123456789abcdef"); // capacity 17: writing at the end must grow
    s.Write(-1, s.CStr(), s.Length(), true);
    EXPECT_STREQ(s.CStr(), "0123456789abcdef0123456789abcdef");
}

TEST(TString, Append_Variants) {
    TString s;
    s += TString("ab");
    EXPECT_EQ(s.Capacity(), 16u);
    s += 'c';
    s += '\0'; // the byte 0 changes nothing
    s.AppendBuffer("defgh", 2);
    s.AppendBuffer(nullptr, 4);
    EXPECT_STREQ(s.CStr(), "abcde");
    s += s; // appending a string to itself
    EXPECT_STREQ(s.CStr(), "abcdeabcde");
    std::string big(100, 'x');
    s += TString(big.c_str());
    EXPECT_EQ(s.Capacity(), 111u);
}

TEST(TString, Reserve_KeepsTheTextAndNeverShrinks) {
    TString s("abc");
    s.Reserve(100);
    EXPECT_EQ(s.Capacity(), 100u);
    EXPECT_STREQ(s.CStr(), "abc");
    s.Reserve(4);
    EXPECT_EQ(s.Capacity(), 100u);
    TString empty;
    empty.Reserve(1);
    EXPECT_EQ(empty.Capacity(), 16u);
    EXPECT_STREQ(empty.CStr(), "");
}

TEST(TString, Replace_Table) {
    struct Case {
        const char* text;
        const char* needle;
        const char* replacement;
        int flags;
        int start;
        const char* result;
    } cases[] = {
        {"a b  c   d", " ", "", kAll, 0, "abcd"}, // every blank, runs included
        {"a b c", " ", "", 0, 0, "ab c"},
        {"a b c", " ", "_", kBack, 0, "a b_c"},
        {"a.b.c.d", ".", "", kAll | kBack, 0, "abcd"},
        {"abab", "ab", "", kAll | kBack, 0, ""},
        {"xabab", "ab", "", kAll | kBack, 0, "x"},
        {"a.b.c", ".", "::", kAll | kBack, 0, "a::b::c"},
        {"a.b.c", ".", "..", kAll, 0, "a..b..c"}, // the replacement is not searched again
        {"a.b.c", ".", "..", kAll | kBack, 0, "a..b..c"},
        {"aaa", "aa", "b", kAll, 0, "ba"},
        {"aaa", "aa", "b", kAll | kBack, 0, "ab"},
        {"Hello hello", "HELLO", "bye", kAll | kCase, 0, "bye bye"},
        {"Hello hello", "HELLO", "bye", kAll, 0, "Hello hello"},
        {"one two one", "one", "three", kAll, 1, "one two three"},
        {"x", "x", "a long replacement text", 0, 0, "a long replacement text"},
        {"abc", "", "z", kAll, 0, "abc"}, // an empty needle changes nothing under kAll
        {"abc", "", "z", kAll | kBack, 0, "abc"},
        {"abc", "", "z", 0, 0, "zabc"}, // otherwise it matches where the search starts
        {"abc", "", "z", 0, 1, "azbc"},
        {"abc", "", "z", kBack, 0, "abcz"},
        {"abc", "", "z", 0, 3, "abc"}, // a start at the end finds nothing
        {"abc", "", "", 0, 0, "abc"},
        {"", "a", "b", kAll, 0, ""},
        {"", "", "b", kAll, 0, ""},
        {"abc", "abcd", "z", kAll, 0, "abc"},
    };
    for (const Case& c : cases) {
        TString s(c.text);
        s.Replace(TString(c.needle), TString(c.replacement), Flags(c.flags), c.start);
        EXPECT_STREQ(s.CStr(), c.result) << '"' << c.text << "\" \"" << c.needle << "\" -> \""
                                         << c.replacement << "\" flags " << c.flags;
    }
}

TEST(TString, Replace_WithArgumentsSharingTheRecord_Works) {
    TString s("abc");
    TString same(s);
    s.Replace(same, TString("x"));
    EXPECT_STREQ(s.CStr(), "x");
    EXPECT_STREQ(same.CStr(), "abc");
    TString t("ab");
    t.Replace(TString("b"), t, TString::kReplaceAll);
    EXPECT_STREQ(t.CStr(), "aab");
}

TEST(TString, Erase_Table) {
    struct Case {
        int start;
        int count;
        const char* result;
    } cases[] = {
        {1, -1, "a"},    {0, -1, ""},      {2, 1, "abde"},   {3, 2, "abc"},   {0, 5, ""},
        {5, 1, "abcde"}, {9, -1, "abcde"}, {-1, 2, "abcde"}, {3, 100, "abc"}, {2, 0, "abcde"},
    };
    for (const Case& c : cases) {
        TString s("abcde");
        s.Erase(c.start, c.count);
        EXPECT_STREQ(s.CStr(), c.result) << "start " << c.start << " count " << c.count;
    }
    TString empty;
    empty.Erase(0);
    EXPECT_STREQ(empty.CStr(), "");
}

// ---- orderings that ignore the locale ----------------------------------------------------

TEST(TString, ByteLess_IsByteOrder) {
    TStringByteLess less;
    EXPECT_TRUE(less(TString("B"), TString("a")));
    EXPECT_FALSE(less(TString("a"), TString("B")));
    EXPECT_FALSE(less(TString(""), TString()));
    EXPECT_EQ(CompareBytes(nullptr, ""), 0);
    EXPECT_EQ(CompareBytes("a", nullptr), 1);
    EXPECT_EQ(CompareBytes("\x80", "\x7F"), 1) << "bytes compare unsigned";
}

// ---- forms the game's code calls ------------------------------------------------------

// Calls that must not compile: flags and start as two plain numbers (the
// order differs between callers), and numbers added as if they were bytes.
template <class S>
concept ReplaceWithTwoNumbers = requires(S s) {
    s.Replace(S(" "), S(""), 0, 2);
};
template <class S>
concept FindCharWithTwoNumbers = requires(S s) {
    s.FindChar(' ', 0, 4);
};
template <class S>
concept FindWithTwoNumbers = requires(S s) {
    s.Find(S(" "), 4, 0);
};
template <class S, class N>
concept AddsNumber = requires(S s, N n) {
    s + n;
};
template <class S, class N>
concept AppendsNumber = requires(S s, N n) {
    s += n;
};

static_assert(!ReplaceWithTwoNumbers<TString>);
static_assert(!FindCharWithTwoNumbers<TString>);
static_assert(!FindWithTwoNumbers<TString>);
static_assert(!AddsNumber<TString, int>);
static_assert(!AddsNumber<TString, unsigned>);
static_assert(!AddsNumber<TString, long>);
static_assert(!AddsNumber<TString, double>);
static_assert(!AddsNumber<TString, bool>);
static_assert(!AppendsNumber<TString, int>);
static_assert(!AppendsNumber<TString, unsigned char>);
static_assert(AddsNumber<TString, char>, "one byte still appends");
static_assert(AppendsNumber<TString, char>);

TEST(TString, Replace_TakesFlagsAndStartInEitherOrder) {
    // Flags then start, and start then flags: the same replacement.
    TString a("a b c d");
    a.Replace(" ", "", TString::kReplaceAll, 2);
    TString b("a b c d");
    b.Replace(" ", "", 2, TString::kReplaceAll);
    EXPECT_STREQ(a.CStr(), "a bcd");
    EXPECT_STREQ(b.CStr(), "a bcd");
    TString c("a b c d");
    c.Replace(" ", "", 0, TString::kReplaceAll);
    EXPECT_STREQ(c.CStr(), "abcd");
    TString d("a b c d");
    d.Replace(" ", "_", 0, TString::kBackwards);
    EXPECT_STREQ(d.CStr(), "a b c_d");
}

TEST(TString, FindChar_AndFind_TakeStartThenFlags) {
    TString text("a/b/c/d");
    EXPECT_EQ(text.FindChar('/', 2), 3);
    EXPECT_EQ(text.FindChar('/', 0, TString::kBackwards), 5);
    EXPECT_EQ(text.FindChar('/', TString::kBackwards, 0), 5);
    EXPECT_EQ(text.FindChar('/', 2, TString::kBackwards), 3); // from index 4 down
    EXPECT_EQ(text.Find("/C", 0, TString::kIgnoreCase), 3);
    EXPECT_EQ(text.Find("/", 4), 5);
}

TEST(TString, ConcatEqualsLess_AreTheOperators) {
    TString a("abc"), b("abd");
    EXPECT_STREQ(a.Concat(b).CStr(), "abcabd");
    EXPECT_STREQ(TString().Concat(TString()).CStr(), "");
    EXPECT_TRUE(a.Equals(TString("abc")));
    EXPECT_FALSE(a.Equals(b));
    EXPECT_TRUE(TString("").Equals(TString()));
    EXPECT_TRUE(a.Less(b));
    EXPECT_FALSE(b.Less(a));
    EXPECT_FALSE(a.Less(a));
}

TEST(TString, NegativeStart_ReadsAsPastTheEnd) {
    // Callers hold starts as unsigned numbers, where -1 is the largest:
    // a start found as -1 must give nothing, not the whole text.
    TString text("key=value");
    int missing = text.FindChar('#');
    ASSERT_EQ(missing, -1);
    EXPECT_STREQ(text.Substring(missing).CStr(), "");
    EXPECT_EQ(text.FindFirstOf("=", missing), text.Length());
    EXPECT_EQ(text.FindChar('k', missing), -1);
    EXPECT_EQ(text.Find("key", missing), -1);
    // -1 + 1: the text behind a missing separator is the whole text.
    EXPECT_STREQ(text.Substring(missing + 1).CStr(), "key=value");
}

// The record keeps the text's length: every change must leave it equal to
// the bytes before the first zero.
TEST(TString, KeptLength_FollowsEveryChange) {
    auto expectLength = [](const TString& s, const char* what) {
        EXPECT_EQ(static_cast<size_t>(s.Length()), std::strlen(s.CStr())) << what;
        EXPECT_EQ(s.IsEmpty(), s.Length() == 0) << what;
    };
    TString s("hello");
    s += ' ';
    s += TString("world");
    expectLength(s, "appends");
    EXPECT_EQ(s.Length(), 11);
    s.Write(5, "\0xyz", 4, false); // a zero byte ends the text there
    expectLength(s, "write with a zero byte");
    EXPECT_STREQ(s.CStr(), "hello");
    s.Write(2, "LL", 2, false); // inside the text, without a terminator
    expectLength(s, "write inside");
    EXPECT_STREQ(s.CStr(), "heLLo");
    s.Write(1, "E", 1, true);
    expectLength(s, "write with a terminator");
    EXPECT_STREQ(s.CStr(), "hE");
    s.Write(-1, "abc", 3, false);
    expectLength(s, "write at the end");
    EXPECT_EQ(s.Length(), 5);
    s.Replace("b", "BBBB", TString::kReplaceAll);
    expectLength(s, "replace longer");
    s.Replace("BB", "", TString::kReplaceAll);
    expectLength(s, "replace shorter");
    EXPECT_STREQ(s.CStr(), "hEac");
    s.Erase(1, 2);
    expectLength(s, "erase");
    EXPECT_STREQ(s.CStr(), "hc");
    s.Erase(1);
    expectLength(s, "erase to the end");
    s.Reserve(1000);
    expectLength(s, "reserve");
    EXPECT_EQ(s.Length(), 1);
    s.AppendBuffer("ab\0cd", 5);
    expectLength(s, "buffer with a zero byte");
    EXPECT_STREQ(s.CStr(), "hab");
    TString fromBuffer("x\0y", 3);
    expectLength(fromBuffer, "built from a buffer with a zero byte");
    EXPECT_EQ(fromBuffer.Length(), 1);
    TString shared(s);
    shared += 'z';
    expectLength(shared, "private copy then append");
    expectLength(s, "the shared original");
    EXPECT_EQ(s.Length(), 3);
    TString plusZero = s + '\0';
    expectLength(plusZero, "plus the byte 0");
    EXPECT_EQ(plusZero.Length(), 3);
    std::string wide(5000, 'w');
    TString formatted = TString::Format("%s%c%s", wide.c_str(), 0, "tail");
    expectLength(formatted, "long format with a zero byte");
    EXPECT_EQ(formatted.Length(), 5000);
}

TEST(TString, AppendingByteByByte_KeepsEveryByte) {
    TString built;
    std::string model;
    for (int i = 0; i < 100000; ++i) {
        char c = static_cast<char>('a' + i % 26);
        built += c;
        model += c;
    }
    EXPECT_EQ(built.Length(), 100000);
    EXPECT_EQ(built.View(), model);
}

} // namespace
