#include "framework/core/xml/TStringTable.h"

#include "framework/core/log/TLog.h"
#include "framework/core/settings/TSettings.h"
#include "framework/core/xml/TPackedXml.h"

#include "support/ZxmlImage.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using support::PackZxml;
using support::SetHeader32;

const std::string kXmlData = std::string(CORVALO_TEST_DATA) + "/xml";

TString DataFile(const char* name) {
    return TString(("::" + kXmlData + "/" + name).c_str());
}

// Sends the log to a fresh file for one test and reads it back.
class LogCapture {
public:
    LogCapture() {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string leaf = std::string(info->test_suite_name()) + "_" + info->name();
        for (char& c : leaf) {
            if (c == '/' || c == '<' || c == '>' || c == ' ') {
                c = '_';
            }
        }
        mFolder = std::string(CORVALO_BINARY_DIR) + "/stringtable_test_logs";
        std::filesystem::create_directories(mFolder);
        mFolder += "/" + leaf;
        StartLog(mFolder.c_str());
    }
    ~LogCapture() { StartLog(nullptr); }
    std::string Text() const {
        std::ifstream in(mFolder + "/logfile.txt", std::ios::binary);
        std::stringstream buffer;
        buffer << in.rdbuf();
        return buffer.str();
    }
    bool Contains(const std::string& text) const { return Text().find(text) != std::string::npos; }

private:
    std::string mFolder;
};

std::string Row(const std::string& label, const std::string& text) {
    return "<Row><Cell><Data ss:Type=\"String\">" + label +
           "</Data></Cell><Cell><Data ss:Type=\"String\">" + text + "</Data></Cell></Row>\n";
}

TStringTable MakeTable(const std::vector<std::pair<std::string, std::string>>& rows) {
    std::string text = "<Workbook><Worksheet><Table>\n";
    for (const auto& row : rows) {
        text += Row(row.first, row.second);
    }
    text += "</Table></Worksheet></Workbook>\n";
    TStringTable table;
    EXPECT_TRUE(table.LoadBuffer(text.data(), text.size()));
    return table;
}

TEST(TStringTable, LoadFile_ReadsSpreadsheetRows) {
    TStringTable table;
    ASSERT_TRUE(table.LoadFile(DataFile("strings.xml")));
    EXPECT_EQ(table.GetCount(), 7u);
    EXPECT_EQ(table.GetString(TString("LABEL")), TString("TEXT"));
    EXPECT_EQ(table.GetString(TString("title")), TString("Corvalo & Friends"));
    EXPECT_EQ(table.GetString(TString("score"), TString("1"), TString("2")), TString("1 of 2"));
    // A decimal reference is one byte, as the XML reader reads it.
    EXPECT_EQ(table.GetString(TString("quote")), TString("\"Caf\xE9\" <b>"));
    ASSERT_NE(table.FindStored(TString("lonely")), nullptr);
    EXPECT_TRUE(table.FindStored(TString("lonely"))->IsEmpty());
    EXPECT_EQ(table.GetString(TString("twolines")), TString("first\nsecond"));
    EXPECT_EQ(table.GetString(TString("FLASH_intro")), TString("Welcome"));
}

TEST(TStringTable, LoadFile_PackedFileGivesSameTable) {
    TStringTable plain;
    TStringTable packed;
    ASSERT_TRUE(plain.LoadFile(DataFile("strings.xml")));
    ASSERT_TRUE(packed.LoadFile(DataFile("strings.zxml")));
    std::vector<TString> plainLabels;
    std::vector<TString> packedLabels;
    plain.GetLabels(plainLabels);
    packed.GetLabels(packedLabels);
    ASSERT_EQ(packedLabels, plainLabels);
    for (const TString& label : plainLabels) {
        EXPECT_EQ(*packed.FindStored(label), *plain.FindStored(label)) << label.CStr();
    }
}

TEST(TStringTable, LoadFile_SecondFileReplacesLabels_ReloadEmpties) {
    TStringTable table;
    ASSERT_TRUE(table.LoadFile(DataFile("strings.xml")));
    ASSERT_TRUE(table.LoadFile(DataFile("strings_more.xml")));
    EXPECT_EQ(table.GetString(TString("title")), TString("Replaced title"));
    EXPECT_EQ(table.GetString(TString("42")), TString("answer"));
    EXPECT_EQ(table.GetCount(), 8u);

    ASSERT_TRUE(table.Reload(DataFile("strings_more.xml")));
    EXPECT_EQ(table.GetCount(), 2u);
    EXPECT_EQ(table.FindStored(TString("score")), nullptr);
}

TEST(TStringTable, LoadFile_MissingOrDamagedFileLeavesTable) {
    LogCapture log;
    TStringTable table;
    ASSERT_TRUE(table.LoadFile(DataFile("strings.xml")));
    EXPECT_FALSE(table.LoadFile(DataFile("no_such_strings.xml")));
    EXPECT_TRUE(log.Contains("no_such_strings.xml")) << log.Text();

    std::ifstream in(kXmlData + "/strings.zxml", std::ios::binary);
    std::string image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(image.size(), 40u);
    image[image.size() - 2] = static_cast<char>(image[image.size() - 2] ^ 0x5A);
    EXPECT_FALSE(table.LoadBuffer(image.data(), image.size(), "broken.zxml"));
    EXPECT_TRUE(log.Contains("broken.zxml")) << log.Text();
    EXPECT_EQ(table.GetCount(), 7u);
    EXPECT_EQ(table.GetString(TString("title")), TString("Corvalo & Friends"));
}

TEST(TStringTable, LoadFile_DamagedTextSaysSoOnceWithTheReason) {
    const std::string good =
        "<Workbook><Table>\n" + Row("a", "A") + Row("b", "B") + "</Table></Workbook>\n";
    const std::string cut = good.substr(0, good.find("B</Data>") + 1); // inside the last cell
    std::string zero = good;
    zero[good.find(Row("b", "B"))] = '\0';
    struct Case {
        const char* name;
        std::string text;
        const char* reason; // null: not damaged
        size_t rows;        // kept
    };
    const Case cases[] = {
        {"good", good, nullptr, 2},
        {"cut_in_cell", cut, "row 2 is cut short inside a cell", 2},
        {"cut_after_cell", good.substr(0, good.rfind("</Row>")), "row 2 is not closed", 2},
        {"zero_byte", zero, "a zero byte at offset", 1},
        {"no_rows", "<Workbook><Table></Table></Workbook>", "it holds no rows", 0},
        {"binary", std::string("\x89PNG\r\n\x1a\n", 8), "it holds no rows", 0},
        {"empty", "", "it is empty", 0},
    };
    const std::filesystem::path folder =
        std::filesystem::path(CORVALO_BINARY_DIR) / "stringtable_test_files";
    std::filesystem::create_directories(folder);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = (folder / (std::string(c.name) + ".xml")).string();
        std::ofstream(path, std::ios::binary) << c.text;
        LogCapture log;
        TStringTable table;
        EXPECT_TRUE(table.LoadFile(TString(("::" + path).c_str())));
        EXPECT_EQ(table.GetCount(), c.rows);
        const std::string text = log.Text();
        size_t said = 0;
        for (size_t at = text.find("is damaged"); at != std::string::npos;
             at = text.find("is damaged", at + 1))
            ++said;
        EXPECT_EQ(said, c.reason ? 1u : 0u) << text;
        if (c.reason) {
            EXPECT_TRUE(log.Contains(c.reason)) << text;
            EXPECT_TRUE(log.Contains(std::string(c.name) + ".xml")) << text;
        }
    }
}

TEST(TStringTable, LoadBuffer_PackedImages) {
    const std::string sheet = Row("k", "packed text") + Row("n", "two");
    struct Case {
        const char* name;
        void (*change)(std::string& image);
        bool loads;
        const char* logText; // null: nothing logged
    };
    const Case cases[] = {
        {"Intact", [](std::string&) {}, true, nullptr},
        {"PackedSizePastEndIsCutToFile",
         [](std::string& image) { SetHeader32(image, 4, 0xFFFFFFFFu); }, true,
         "passes the end of the file"},
        {"UnpackedSizeBeyondCap",
         [](std::string& image) { SetHeader32(image, 8, kMaxUnpackedXmlSize + 1); }, false,
         "not possible"},
        {"UnpackedSizeTooSmall", [](std::string& image) { SetHeader32(image, 8, 8); }, false,
         "zlib error"},
        {"StreamCutShort", [](std::string& image) { image.resize(image.size() / 2); }, false,
         "zlib error"},
        {"HeaderOnly", [](std::string& image) { image.resize(kPackedXmlHeaderSize - 1); }, false,
         "header cut short"},
    };
    for (const Case& c : cases) {
        LogCapture log;
        std::string image = PackZxml(sheet);
        c.change(image);
        TStringTable table = MakeTable({{"old", "kept"}});
        EXPECT_EQ(table.LoadBuffer(image.data(), image.size(), "packed-case"), c.loads) << c.name;
        EXPECT_EQ(table.GetString(TString("old")), TString("kept")) << c.name;
        if (c.loads) {
            EXPECT_EQ(table.GetString(TString("k")), TString("packed text")) << c.name;
            EXPECT_EQ(table.GetCount(), 3u) << c.name;
        } else {
            EXPECT_EQ(table.GetCount(), 1u) << c.name;
        }
        if (c.logText) {
            EXPECT_TRUE(log.Contains(c.logText)) << c.name << "\n" << log.Text();
            EXPECT_TRUE(log.Contains("packed-case")) << c.name << "\n" << log.Text();
        } else {
            EXPECT_FALSE(log.Contains("packed-case")) << c.name << "\n" << log.Text();
        }
    }
}

struct ScanCase {
    const char* name;
    std::string file;
    std::vector<std::pair<std::string, std::string>> expected;
};

TEST(TStringTable, LoadBuffer_RowAndCellScanTable) {
    const ScanCase cases[] = {
        {"OneCellRowHasEmptyText", "<Row><Cell><Data>solo</Data></Cell></Row>", {{"solo", ""}}},
        {"EmptyCell",
         "<Row><Data ss:Type=\"String\">e</Data><Data ss:Type=\"String\"></Data>",
         {{"e", ""}}},
        {"CellsAreNotTrimmed",
         "<Row><Data>  a </Data><Data>\n two \n</Data>",
         {{"  a ", "\n two \n"}}},
        {"RowWithoutDataAddsNothing",
         "<Row><Cell ss:Index=\"2\"/></Row><Row><Data>b</Data><Data>B</Data>",
         {{"b", "B"}}},
        {"SecondCellInNextRowIsNotTaken",
         "<Row><Data>c</Data></Row><Row><Data>d</Data><Data>D</Data>",
         {{"c", ""}, {"d", "D"}}},
        {"EntitiesDecoded",
         "<Row><Data>&amp;k</Data><Data>&lt;&#65;&gt;&#0;</Data>",
         {{"&k", "<A>"}}},
        {"TextBeforeFirstRowIgnored",
         "<Data>x</Data><Data>y</Data><Row><Data>r</Data><Data>R</Data>",
         {{"r", "R"}}},
        {"CellCutByEndOfFile",
         "<Row><Data>k</Data><Data>tail without end",
         {{"k", "tail without end"}}},
        {"DataWithoutCloseBracket", "<Row><Data>k</Data><Data", {{"k", ""}}},
        {"LaterRowReplacesEarlier",
         "<Row><Data>k</Data><Data>1</Data><Row><Data>k</Data><Data>2</Data>",
         {{"k", "2"}}},
        {"ZeroByteEndsText",
         std::string("<Row><Data>a</Data><Data>A</Data>\0<Row><Data>b</Data>", 54),
         {{"a", "A"}}},
        {"NoRows", "<Workbook/>", {}},
    };
    for (const ScanCase& c : cases) {
        TStringTable table;
        EXPECT_TRUE(table.LoadBuffer(c.file.data(), c.file.size())) << c.name;
        std::vector<TString> labels;
        table.GetLabels(labels);
        ASSERT_EQ(labels.size(), c.expected.size()) << c.name;
        for (const auto& row : c.expected) {
            const TString* stored = table.FindStored(TString(row.first.c_str()));
            ASSERT_NE(stored, nullptr) << c.name << ": " << row.first;
            EXPECT_EQ(stored->ToStd(), row.second) << c.name;
        }
    }
}

TEST(TStringTable, LoadBuffer_RowsWithoutCellsAreReadInLinearTime) {
    // Rows without a cell once made the reader search the rest of the file
    // for the next cell, and a "<Data" without ">" the rest of the file for
    // its ">": files like these took minutes. Both shapes, then one real
    // row that must still be read.
    std::string file = "<Table>";
    for (int i = 0; i < 200000; ++i) {
        file += "<Row/>";
    }
    for (int i = 0; i < 200000; ++i) {
        file += "<Row<Data";
    }
    file += "<Row><Data>last</Data><Data>text</Data></Row></Table>";
    TStringTable table;
    ASSERT_TRUE(table.LoadBuffer(file.data(), file.size()));
    // Each "<Row<Data" row reads its cell up to the first ">" after it, the
    // one of the last "<Row>": an empty label with an empty text.
    EXPECT_EQ(table.GetCount(), 2u);
    ASSERT_NE(table.FindStored(TString("")), nullptr);
    EXPECT_EQ(table.FindStored(TString(""))->ToStd(), "");
    ASSERT_NE(table.FindStored(TString("last")), nullptr);
    EXPECT_EQ(table.FindStored(TString("last"))->ToStd(), "text");
}

struct ExpandCase {
    const char* name;
    const char* label;
    std::vector<const char*> arguments;
    const char* expected;
};

TEST(TStringTable, GetString_EscapeTable) {
    LogCapture log;
    const TStringTable table = MakeTable({
        {"of", "%1% of %2%"},
        {"percent", "100%%"},
        {"title", "Hello %1%"},
        {"withtitle", "[%title%]"},
        {"arg", "[%1%]"},
        {"six", "%6%"},
        {"zero", "%0%"},
        {"padded", "%001%"},
        {"huge", "%99999999999999999999%"},
        {"missinglabel", "%nolabel%"},
        {"trailing", "ends in %"},
        {"unmatched", "50% off"},
        {"all", "%1%%2%%3%%4%%5%"},
        {"plain", "no escapes"},
    });
    const ExpandCase cases[] = {
        {"ArgumentsInserted", "of", {"3", "10"}, "3 of 10"},
        {"DoublePercent", "percent", {}, "100%"},
        {"LabelEscapeInsertsStoredText", "withtitle", {}, "[Hello %1%]"},
        {"ArgumentNamingLabel", "arg", {"%title%"}, "[Hello %1%]"},
        {"ArgumentDoublePercent", "arg", {"%%"}, "[%]"},
        {"ArgumentEmpty", "arg", {""}, "[]"},
        {"ArgumentMissingLabel", "arg", {"%nolabel%"}, "#####"},
        {"ArgumentPercentLed", "arg", {"%x"}, "#####"},
        {"ArgumentSingleOrTriplePercent", "arg", {"%"}, "#####"},
        {"SixthArgument", "six", {"a", "b", "c", "d", "e"}, "#####"},
        {"ArgumentZero", "zero", {"a"}, "#####"},
        {"LeadingZerosAreDecimal", "padded", {"p"}, "p"},
        {"HugeNumber", "huge", {"a"}, "#####"},
        {"MissingLabelEscape", "missinglabel", {}, "#####"},
        {"TrailingPercentKept", "trailing", {}, "ends in %"},
        {"UnmatchedPercentNamesNoLabel", "unmatched", {}, "#####"},
        {"FiveArguments", "all", {"1", "2", "3", "4", "5"}, "12345"},
        {"PlainText", "plain", {"ignored"}, "no escapes"},
        {"MissingLabel", "nope", {}, "#####"},
    };
    for (const ExpandCase& c : cases) {
        TString args[5];
        for (size_t i = 0; i < c.arguments.size() && i < 5; ++i) {
            args[i] = TString(c.arguments[i]);
        }
        EXPECT_EQ(
            table.GetString(TString(c.label), args[0], args[1], args[2], args[3], args[4]).ToStd(),
            c.expected)
            << c.name;
    }
    EXPECT_TRUE(log.Contains(" ##### : Missing string for label 'nope'")) << log.Text();
    EXPECT_TRUE(log.Contains(" ##### : Missing string for label 'six'")) << log.Text();
    EXPECT_TRUE(
        log.Contains("Non-matched percent (%) escape found in string trailing, 'ends in %'"))
        << log.Text();
    EXPECT_TRUE(log.Contains("Non-matched percent (%) escape found in string unmatched, '50% off'"))
        << log.Text();
    EXPECT_FALSE(log.Contains("label 'plain'")) << log.Text();
}

TEST(TStringTable, GetString_UnmatchedPercentNamingALabelWalksOn) {
    // The rest of the text after the lone "%" names a label, and the walk
    // then goes on over the same bytes as plain text.
    const TStringTable table = MakeTable({{"t", "a%b"}, {"b", "B"}});
    EXPECT_EQ(table.GetString(TString("t")), TString("aBb"));
}

TEST(TStringTable, GetString_ExpansionIsCutAtTheBoundWithOneLogLine) {
    LogCapture log;
    // 5,000 escapes of a 1,000-byte label would make 5 MB.
    std::string many;
    for (int i = 0; i < 5000; ++i) {
        many += "%B%";
    }
    const TStringTable table = MakeTable({{"A", many}, {"B", std::string(1000, 'b')}});
    for (int pass = 0; pass < 2; ++pass) {
        TString text;
        EXPECT_TRUE(table.Expand(text, TString("A")));
        EXPECT_EQ(static_cast<size_t>(text.Length()), TStringTable::kMaxExpandedSize);
        EXPECT_EQ(text.View().find_first_not_of('b'), std::string_view::npos);
    }
    const std::string logged = log.Text();
    const std::string line =
        "String for label 'A' expands past 1048576 bytes; the text is cut there";
    ASSERT_NE(logged.find(line), std::string::npos) << logged;
    EXPECT_EQ(logged.find(line, logged.find(line) + 1), std::string::npos) << "logged once";
    // A text under the bound is whole.
    EXPECT_EQ(table.GetString(TString("B")).ToStd(), std::string(1000, 'b'));
}

TEST(TStringTable, GetString_CutKeepsUtf8LettersWhole) {
    LogCapture log;
    // "x" and then two-byte letters: the bound falls inside a letter.
    std::string letters;
    for (int i = 0; i < 1000; ++i) {
        letters += "\xC3\xA9";
    }
    std::string many = "x";
    for (int i = 0; i < 600; ++i) {
        many += "%E%";
    }
    const TStringTable table = MakeTable({{"U", many}, {"E", letters}});
    const std::string text = table.GetString(TString("U")).ToStd();
    ASSERT_EQ(text.size(), TStringTable::kMaxExpandedSize - 1);
    EXPECT_EQ(text.substr(text.size() - 2), "\xC3\xA9");
}

TEST(TStringTable, Expand_TellsAFailedLookUpFromAStoredMarker) {
    LogCapture log;
    const TStringTable table = MakeTable({{"marker", "#####"}, {"bad", "%nolabel%"}});
    TString text;
    EXPECT_TRUE(table.Expand(text, TString("marker")));
    EXPECT_EQ(text.ToStd(), "#####");
    EXPECT_FALSE(table.Expand(text, TString("bad")));
    EXPECT_EQ(text.ToStd(), "#####");
    EXPECT_FALSE(table.Expand(text, TString("absent")));
}

class StringTestMode : public ::testing::Test {
protected:
    void SetUp() override { SetSetting(TString("stringtest"), TString("1")); }
    void TearDown() override { SetSetting(TString("stringtest"), TString("0")); }
};

TEST_F(StringTestMode, GetString_ShowsEveryByteButBlanksAsX) {
    const TStringTable table =
        MakeTable({{"two", "ab cd"}, {"utf8", "caf\xC3\xA9"}, {"args", "%1% x"}});
    EXPECT_EQ(table.GetString(TString("two")), TString("xx xx"));
    EXPECT_EQ(table.GetString(TString("utf8")), TString("xxxxx"));
    EXPECT_EQ(table.GetString(TString("args"), TString("a b")), TString("x x x"));
    EXPECT_EQ(table.GetString(TString("none")), TString("#####"));
}

TEST(TStringTable, GetString_StringTestOffLeavesText) {
    SetSetting(TString("stringtest"), TString("0"));
    const TStringTable table = MakeTable({{"two", "ab cd"}});
    EXPECT_EQ(table.GetString(TString("two")), TString("ab cd"));
}

std::vector<std::string> Sorted(const std::vector<TString>& list) {
    std::vector<std::string> out;
    for (const TString& item : list) {
        out.push_back(item.ToStd());
    }
    std::sort(out.begin(), out.end());
    return out;
}

TEST(TStringTable, GetFlashLabels_PrefixedLabelsWin) {
    const TStringTable table =
        MakeTable({{"FLASH_a", "1"}, {"FLASH_b", "2"}, {"flash01_02", "3"}, {"other", "4"}});
    std::vector<TString> list = {TString("kept")};
    table.GetFlashLabels(list);
    EXPECT_EQ(Sorted(list), (std::vector<std::string>{"FLASH_a", "FLASH_b", "kept"}));
}

TEST(TStringTable, GetFlashLabels_NumberedLabelsWhenNoPrefix) {
    const TStringTable table = MakeTable({{"flash01_02", "1"},
                                          {"flash7", "2"},
                                          {"flash 3_4", "2b"},
                                          {"flashy", "3"},
                                          {"other", "4"},
                                          {"", "empty label"},
                                          {"Flash_x", "5"},
                                          {"flash123", "6"}});
    std::vector<TString> list;
    table.GetFlashLabels(list);
    EXPECT_EQ(Sorted(list),
              (std::vector<std::string>{"", "flash 3_4", "flash01_02", "flash123", "flash7"}));
}

TEST(TStringTable, GetFlashLabels_UnfinishedPrefixIsNoFlashLabel) {
    // sscanf reports the end of its input for these as it does for the
    // empty label, but none of them carries a number.
    const TStringTable table = MakeTable({{"f", "1"},
                                          {"fla", "2"},
                                          {"flash", "3"},
                                          {"flash ", "4"},
                                          {"flash_1", "5"},
                                          {"flash2", "6"},
                                          {"flash1_", "7"}});
    std::vector<TString> list;
    table.GetFlashLabels(list);
    EXPECT_EQ(Sorted(list), (std::vector<std::string>{"flash1_", "flash2"}));
}

TEST(TStringTable, GetFlashLabels_AppendsInTableOrder) {
    const TStringTable table =
        MakeTable({{"FLASH_c", "1"}, {"FLASH_a", "2"}, {"x", "3"}, {"FLASH_b", "4"}});
    std::vector<TString> all;
    table.GetLabels(all);
    std::vector<TString> expected;
    for (const TString& label : all) {
        if (label.View().rfind("FLASH_", 0) == 0) {
            expected.push_back(label);
        }
    }
    std::vector<TString> list;
    table.GetFlashLabels(list);
    EXPECT_EQ(list, expected);
    EXPECT_EQ(list.size(), 3u);
}

TEST(TStringTable, Clear_EmptiesTable) {
    TStringTable table = MakeTable({{"a", "A"}});
    EXPECT_EQ(table.GetCount(), 1u);
    table.Clear();
    EXPECT_EQ(table.GetCount(), 0u);
    EXPECT_EQ(table.GetString(TString("a")), TString("#####"));
}

} // namespace
