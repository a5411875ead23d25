#include "framework/core/settings/TCommandLine.h"

#include "framework/core/settings/TSettings.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

class TCommandLineTest : public ::testing::Test {
protected:
    void SetUp() override { ClearSettings(); }
    void TearDown() override { ClearSettings(); }

    static std::map<std::string, std::string> StoredPairs(const char* commandLine) {
        ClearSettings();
        TCommandLine(commandLine).StoreOptions();
        std::map<std::string, std::string> pairs;
        for (const char* name : {"a", "b", "c", "d", "-msn", "x y"}) {
            if (HasSetting(name)) {
                pairs[name] = GetSetting(name).CStr();
            }
        }
        EXPECT_EQ(GetSettingCount(), pairs.size()) << commandLine;
        return pairs;
    }
};

TEST_F(TCommandLineTest, FromArguments_JoinsAllButTheProgramName) {
    const char* argv[] = {"/opt/game/corvalo", "-url=abc", "--multiple", nullptr};
    EXPECT_STREQ(TCommandLine::FromArguments(3, argv).GetText().CStr(), "-url=abc --multiple");
    EXPECT_STREQ(TCommandLine::FromArguments(1, argv).GetText().CStr(), "");
    EXPECT_STREQ(TCommandLine::FromArguments(0, nullptr).GetText().CStr(), "");
}

TEST_F(TCommandLineTest, FromArguments_QuotesArgumentsWithBlanksAsWindowsPassedThem) {
    const char* argv[] = {"corvalo", "-wd=/my games/x", "plain", "two words",
                          "",        "tab\there",       "a b=c", nullptr};
    EXPECT_STREQ(TCommandLine::FromArguments(7, argv).GetText().CStr(),
                 "-wd=\"/my games/x\" plain \"two words\" \"\" \"tab\there\" \"a b=c\"");
    // What a switch reads back is the argument as it was given.
    const char* wd[] = {"corvalo", "--multiple", "-wd=/my games/x", "-url=u"};
    TCommandLine line = TCommandLine::FromArguments(4, wd);
    EXPECT_STREQ(line.GetPathValue("-wd=").CStr(), "/my games/x");
    EXPECT_STREQ(line.GetWord("-url=").CStr(), "u");
}

TEST_F(TCommandLineTest, QuoteArgument_EscapesEmbeddedQuotesAsWindowsDoes) {
    struct Case {
        const char* argument;
        const char* quoted;
    } cases[] = {
        {"say\"hi", "\"say\\\"hi\""},
        {"-wd=/my \"odd\" dir", "-wd=\"/my \\\"odd\\\" dir\""},
        {"-wd=\"/x", "-wd=\"\\\"/x\""},
        {"\"", "\"\\\"\""},
        // Backslashes are doubled only where a quote follows them.
        {"-wd=C:\\my dir\\", "-wd=\"C:\\my dir\\\\\""},
        {"a\\\"b", "\"a\\\\\\\"b\""},
        {"C:\\plain\\path", "C:\\plain\\path"},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(TCommandLine::QuoteArgument(c.argument).CStr(), c.quoted) << c.argument;
    }
}

TEST_F(TCommandLineTest, FromArguments_AQuoteInsideAnArgumentLeavesTheOtherSwitchesAlone) {
    const char* odd[] = {"corvalo", "-wd=/my \"odd\" dir", "-url=u", "options=a=1", nullptr};
    TCommandLine line = TCommandLine::FromArguments(4, odd);
    EXPECT_STREQ(line.GetPathValue("-wd=").CStr(), "/my \"odd\" dir") << line.GetText().CStr();
    EXPECT_STREQ(line.GetWord("-url=").CStr(), "u");
    line.StoreOptions();
    EXPECT_STREQ(GetSetting("a").CStr(), "1");

    // An opening quote that is never closed stays inside its own argument.
    const char* open[] = {"corvalo", "-wd=\"/x", "-url=v", nullptr};
    line = TCommandLine::FromArguments(3, open);
    EXPECT_STREQ(line.GetPathValue("-wd=").CStr(), "\"/x") << line.GetText().CStr();
    EXPECT_STREQ(line.GetWord("-url=").CStr(), "v");

    const char* slashes[] = {"corvalo", "-wd=C:\\my dir\\", "-url=w", nullptr};
    line = TCommandLine::FromArguments(3, slashes);
    EXPECT_STREQ(line.GetPathValue("-wd=").CStr(), "C:\\my dir\\") << line.GetText().CStr();
    EXPECT_STREQ(line.GetWord("-url=").CStr(), "w");
}

TEST_F(TCommandLineTest, FromArguments_OptionsGivenAsOneArgumentStoreTheirOwnNames) {
    using Pairs = std::map<std::string, std::string>;
    struct Case {
        const char* argument;
        Pairs pairs;
    } cases[] = {
        {"options=a=b c", {{"a", "b"}}},
        {"options=a=1 b=2", {{"a", "1"}, {"b", "2"}}},
        {"options=a=x y&b=2", {{"a", "x y"}, {"b", "2"}}},
        {"options=a=\"q\"", {{"a", "\"q\""}}},
        {"options=a=1&b=2", {{"a", "1"}, {"b", "2"}}},
    };
    for (const Case& c : cases) {
        const char* argv[] = {"corvalo", c.argument, "-msn", nullptr};
        TString text = TCommandLine::FromArguments(3, argv).GetText();
        EXPECT_EQ(StoredPairs(text.CStr()), c.pairs) << text.CStr();
    }
}

TEST_F(TCommandLineTest, GetPathValue_QuotedToTheNextQuoteElseToTheFirstBlank) {
    struct Case {
        const char* line;
        const char* value;
    } cases[] = {
        {"-wd=\"C:/my dir\" -x", "C:/my dir"},
        {"-wd=C:/my dir", "C:/my"},
        {"-wd=", ""},
        {"-wd= x", ""},
        {"-wd=\"open ended", "open ended"},
        {"-wd=\"", ""},
        {"-wd=\"\"", ""},
        {"--multiple", ""},
        {"a -wd=b -wd=c", "b"},
        // Inside quotes, \" is a quote of the value and \\ before a quote
        // one backslash; other backslashes are kept as they stand.
        {"-wd=\"a \\\"b\\\" c\" -x", "a \"b\" c"},
        {"-wd=\"C:\\dir\\\\\" -x", "C:\\dir\\"},
        {"-wd=\"C:\\dir\\x\" -x", "C:\\dir\\x"},
        {"-wd=a\\\"b", "a\\\"b"},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(TCommandLine(c.line).GetPathValue("-wd=").CStr(), c.value) << c.line;
    }
}

TEST_F(TCommandLineTest, CheatCode_AsTheLastWordReadsNothingPastTheEnd) {
    struct Case {
        const char* line;
        const char* code;
    } cases[] = {
        {"--cheat", ""},          {"--cheat ", ""},       {"x --cheat=ab12 y", "ab12"},
        {"--cheat ab12", "ab12"}, {"--cheatab12", "b12"},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(TCommandLine(c.line).GetCheatCode().CStr(), c.code) << c.line;
    }
}

TEST_F(TCommandLineTest, ProcessCommandLine_IsKeptForEveryReader) {
    TCommandLine::SetProcessCommandLine(TCommandLine(TString("-msn --cheat 1234")));
    EXPECT_STREQ(TCommandLine::GetProcessCommandLine().GetText().CStr(), "-msn --cheat 1234");
    EXPECT_TRUE(TCommandLine::GetProcessCommandLine().HasSwitch("-msn"));
}

TEST_F(TCommandLineTest, FindSwitch_IsACaseSensitiveSearchAnywhere) {
    struct Case {
        const char* line;
        const char* name;
        int at;
    } cases[] = {
        {"-msn", "-msn", 0},   {"game -msn", "-msn", 5},
        {"-MSN", "-msn", -1},  {"x--multiplex", "--multiple", 1}, // inside another word too
        {"", "-msn", -1},      {"-msn", "", -1},
        {"-msn", nullptr, -1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TCommandLine(c.line).FindSwitch(c.name), c.at) << c.line;
    }
}

TEST_F(TCommandLineTest, Values_BehindTheSwitch) {
    struct Case {
        const char* line;
        const char* name;
        int maxLength;
        const char* value;
        const char* word;
    } cases[] = {
        {"-url=abc def", "-url=", -1, "abc def", "abc"},
        {"-wd=/tmp/x -msn", "-wd=", -1, "/tmp/x -msn", "/tmp/x"},
        {"-wnd=1f", "-wnd=", -1, "1f", "1f"},
        {"-url=", "-url=", -1, "", ""},
        {"-url= abc", "-url=", -1, " abc", ""},
        {"-msn", "-url=", -1, "", ""},
        {"-wd=/a/very/long/folder/name", "-wd=", 7, "/a/very", "/a/very"},
        {"-wd=/a b", "-wd=", 0, "", ""},
    };
    for (const Case& c : cases) {
        TCommandLine line(c.line);
        EXPECT_STREQ(line.GetValue(c.name, c.maxLength).CStr(), c.value) << c.line;
        EXPECT_STREQ(line.GetWord(c.name, c.maxLength).CStr(), c.word) << c.line;
    }
}

TEST_F(TCommandLineTest, CheatCode_SkipsOneSeparatorAndEndsAtABlank) {
    struct Case {
        const char* line;
        const char* code;
    } cases[] = {
        {"--cheat 1a2b3c", "1a2b3c"},
        {"--cheat=1a2b3c -msn", "1a2b3c"},
        {"-msn --cheat:abc", "abc"},
        {"--cheat  abc", ""}, // the second blank ends the code at once
        {"--cheat", ""},
        {"--cheat ", ""},
        {"-msn", ""},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(TCommandLine(c.line).GetCheatCode().CStr(), c.code) << c.line;
    }
}

TEST_F(TCommandLineTest, StoreDownloadUrl_TakesTheTextUpToTheFirstBlank) {
    TCommandLine("-url=abc def").StoreDownloadUrl();
    EXPECT_STREQ(GetSetting("downloadurl").CStr(), "abc");
    ClearSettings();
    TCommandLine("-msn").StoreDownloadUrl();
    EXPECT_FALSE(HasSetting("downloadurl"));
}

TEST_F(TCommandLineTest, StoreStringTestAndCheatCode) {
    TCommandLine line("--stringtest --cheat 00ff");
    line.StoreStringTest();
    line.StoreCheatCode();
    EXPECT_STREQ(GetSetting("stringtest").CStr(), "1");
    EXPECT_STREQ(GetSetting("cheatcode").CStr(), "00ff");
    EXPECT_FALSE(HasSetting("cheatmode")) << "no encryption key: the cheat mode is left alone";
    ClearSettings();
    TCommandLine("-msn").StoreStringTest();
    TCommandLine("-msn").StoreCheatCode();
    EXPECT_EQ(GetSettingCount(), 0u);
}

TEST_F(TCommandLineTest, CheatCodeFromTheCommandLine_TurnsCheatModeOn) {
    SetSetting("computerid", "00:16:3e:00:00:01");
    SetSetting("encryptionkey", "k");
    TString code = MakeCheatCode("00:16:3e:00:00:01", "k");
    TCommandLine((TString("--cheat ") + code + TString(" -msn")).CStr()).StoreCheatCode();
    EXPECT_STREQ(GetSetting("cheatmode").CStr(), "1");
}

TEST_F(TCommandLineTest, StoreOptions_Pairs) {
    using Pairs = std::map<std::string, std::string>;
    struct Case {
        const char* line;
        Pairs pairs;
    } cases[] = {
        {"options=a=1&b=2 c=3", {{"a", "1"}, {"b", "2"}, {"c", "3"}}},
        {"options= a=1", {}},
        {"options=a", {}},
        {"options=", {}},
        {"-msn options=a=1", {{"a", "1"}}},
        {"options=a=1 -msn", {{"a", "1"}}}, // a word without "=" ends the pairs
        {"options=a=1 -msn=2", {{"a", "1"}, {"-msn", "2"}}},
        {"options=a=1&b", {{"a", "1"}}},
        {"options=a=&b=2", {{"a", ""}, {"b", "2"}}},
        {"options=a=1&", {{"a", "1"}}},
        {"options=a=1  b=2", {{"a", "1"}}},                // a second blank stops the list
        {"options=a=x y&b=2", {{"a", "x y"}, {"b", "2"}}}, // "&" wins over a blank
        {"options=a=1=2", {{"a", "1=2"}}},
        {"options=a=1&a=2", {{"a", "2"}}},
        {"-msn", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StoredPairs(c.line), c.pairs) << c.line;
    }
}

} // namespace
