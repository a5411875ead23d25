#include "framework/core/xml/TXmlNode.h"

#include "framework/core/log/TLog.h"
#include "framework/core/xml/TGetChar.h"
#include "framework/core/xml/TPackedXml.h"
#include "framework/core/xml/TStringTable.h"
#include "framework/core/xml/TXmlParser.h"

#include "support/TempFolder.h"
#include "support/ZxmlImage.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

using support::PackZxml;
using support::SetHeader32;

const std::string kXmlData = std::string(CORVALO_TEST_DATA) + "/xml";

// Compact picture of a tree: [name attr="quoted" attr=bare 'text' [child]...]
std::string Dump(const TXmlNode& node) {
    std::string out;
    if (!node.GetText().IsEmpty()) {
        out.append("'").append(node.GetText().ToStd()).append("'");
    }
    for (size_t i = 0; i < node.GetChildCount(); ++i) {
        const TXmlNode* child = node.GetChild(i);
        if (!out.empty()) {
            out += ' ';
        }
        out += '[';
        out += child->GetName().ToStd();
        for (size_t a = 0; a < child->GetAttributeCount(); ++a) {
            const TXmlAttribute* attribute = child->GetAttributeAt(a);
            out += ' ' + attribute->mName.ToStd() + '=';
            out += attribute->mQuoted ? '"' + attribute->mValue.ToStd() + '"'
                                      : attribute->mValue.ToStd();
        }
        const std::string inner = Dump(*child);
        if (!inner.empty()) {
            out += ' ' + inner;
        }
        out += ']';
    }
    return out;
}

std::string Parse(const std::string& text) {
    TXmlNode document;
    document.LoadBuffer(text.data(), text.size(), "test");
    return Dump(document);
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

// Sends the log to a fresh file for one test and reads it back.
class LogCapture {
public:
    LogCapture() {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        mFolder = std::string(CORVALO_BINARY_DIR) + "/xml_test_logs";
        std::filesystem::create_directories(mFolder);
        std::string leaf = std::string(info->test_suite_name()) + "_" + info->name();
        for (char& c : leaf) {
            if (c == '<' || c == '>' || c == ' ' || c == '/') {
                c = '_';
            }
        }
        mFolder += "/" + leaf;
        StartLog(mFolder.c_str());
    }
    ~LogCapture() { StartLog(nullptr); }
    std::string Text() const { return ReadWholeFile(mFolder + "/logfile.txt"); }
    bool Contains(const std::string& text) const { return Text().find(text) != std::string::npos; }

private:
    std::string mFolder;
};

struct ParseCase {
    const char* name;
    std::string input;
    const char* expected;
};

class TXmlParserCases : public ::testing::TestWithParam<ParseCase> {};

TEST_P(TXmlParserCases, BuildsTree) {
    EXPECT_EQ(Parse(GetParam().input), GetParam().expected) << "input: " << GetParam().input;
}

const ParseCase kTokenizerCases[] = {
    {"EmptyElementWithQuotedAttribute", R"(<a x="1"/>)", R"([a x="1"])"},
    {"EmptyElementWithBlankBeforeSlash", "<a />", "[a]"},
    {"WordEndingInSlashBeforeCloseIsGivenBack", "<a b/>", "[a]"},
    {"BareValueBeforeSlash", "<a k=v/>", "[a k=v]"},
    {"TextWordsJoinedBySingleBlanks", "<a>   one  \t\n  two   </a>", "[a 'one two']"},
    {"EqualsAndWordsWithoutBlanksAreThreeWords", "<a>x=1</a>", "[a 'x = 1']"},
    {"GreaterThanInTextIsAWord", "<a>x>y</a>", "[a 'x > y']"},
    {"EntitiesForMarkupAreText", "<a>&lt;b&gt;</a>", "[a '<b>']"},
    {"EntityLedLessThanWordIsText", "<a>&lt;b c</a>", "[a '<b c']"},
    {"DecimalReference", "<a>&#65;</a>", "[a 'A']"},
    {"DecimalReferenceModulo256", "<a>&#321;</a>", "[a 'A']"},
    {"DecimalReferenceStopsAtFirstNonDigit", "<a>&#66abc;</a>", "[a 'B']"},
    {"ReferenceGivingZeroIsDropped", "<a>&#x41;B</a>", "[a 'B']"},
    {"ReferenceOf256IsDropped", "<a>C&#256;D</a>", "[a 'CD']"},
    {"ReferenceWithoutSemicolonStays", "<a>&#65 x</a>", "[a '&#65 x']"},
    {"UnknownEntityStays", "<a>&nbsp; &</a>", "[a '&nbsp; &']"},
    {"ReplacementIsNotRescanned", "<a>&amp;lt;</a>", "[a '&lt;']"},
    {"AllFiveNamedEntities", "<a>&amp;&lt;&gt;&quot;&apos;</a>", "[a '&<>\"'']"},
    {"UnquotedAttributeValue", "<a k=v></a>", "[a k=v]"},
    {"EmptyQuotedValueCounts", R"(<a k=""/>)", R"([a k=""])"},
    {"ApostropheQuotedValue", "<a x='1' y='two words'/>", R"([a x="1" y="two words"])"},
    {"EachQuoteHoldsTheOther", R"(<a x='say "hi"' y="it's"/>)", R"([a x="say "hi"" y="it's"])"},
    {"EmptyApostropheQuotedValue", "<a k=''/>", R"([a k=""])"},
    {"ApostropheInTextIsALetter", "<a>'tis Tom's</a>", "[a ''tis Tom's']"},
    {"NameWithoutValueIsDropped", R"(<a flag k="v"></a>)", R"([a k="v"])"},
    {"EntitiesInAttributeValue", R"(<a k="&lt;&amp;&gt;"/>)", R"([a k="<&>"])"},
    {"QuotedTextKeepsInnerBlanks", R"(<a>say "two  words" now</a>)", "[a 'say two  words now']"},
    {"QuotedRunHoldsMarkupCharacters", R"(<a>"x<y>=z"</a>)", "[a 'x<y>=z']"},
    {"QuotedTokenStartingWithLessThanOpensElement", R"(<a>"<b" c="1">x</a>)",
     R"([a [c ="1" 'x']])"},
    {"DeclarationBecomesChild", R"(<?xml version="1.0"?><root/>)",
     R"([?xml version="1.0"] [root])"},
    {"DoctypeIsChildless", "<!DOCTYPE html><r>t</r>", "[!DOCTYPE] [r 't']"},
    {"CommentIsChildNamedAfterFirstWord", "<!-- a comment --><r/>", "[!--] [r]"},
    {"CommentJoinedToFirstWord", "<!--note--><r/>", "[!--note--] [r]"},
    {"CommentWordsReadAsAttributes", R"(<!-- key = "v" -->)", R"([!-- key="v"])"},
    {"GreaterThanInsideCommentEndsIt", "<!-- a > b -->", "'b -- >' [!--]"},
    {"EndTagClosesInnermostWhateverItsName", "<a><b>t</c>u</a>", "[a 'u' [b 't']]"},
    {"EndTagRestIsPassedOver", "<a><b>t</b junk=\"1\">u</a>", "[a 'u' [b 't']]"},
    {"FileCutShortKeepsWhatWasRead", "<a><b>text", "[a [b 'text']]"},
    {"FileCutInsideTagKeepsElement", "<a><b k=\"1\"", R"([a [b k="1"]])"},
    {"StrayEndTagEndsDocument", "</x><a/>", ""},
    {"EntityLedSlashIsNotSelfClosing", "<a &#47;>t</a>", "[a 't']"},
    {"EntityLedGreaterThanInTagIsName", "<a &gt; k=\"1\">t</a>", R"([a k="1" 't'])"},
    {"TwoByteCharacterInText", "<a>caf\xC3\xA9</a>", "[a 'caf\xC3\xA9']"},
    {"LeadByteSwallowsDelimiter", "<a>\xC3</a>", "[a '\xC3</a >']"},
    {"CharacterCutByEndIsNotStored", "<a>x \xE2\x82", "[a 'x']"},
    {"RawZeroByteIsDropped", std::string("<a>x\0y</a>", 10), "[a 'xy']"},
    {"EmptyTagIsNoElement", "<a><>x</a>", "[a 'x']"},
    {"LessThanAsTagName", "<a><<b>x</a>", "[a [< 'x']]"},
    {"EmptyInput", "", ""},
    {"OnlyBlanks", " \r\n\t ", ""},
    {"TopLevelText", "hello <a/> world", "'hello world' [a]"},
};

INSTANTIATE_TEST_SUITE_P(Tokenizer, TXmlParserCases, ::testing::ValuesIn(kTokenizerCases),
                         [](const ::testing::TestParamInfo<ParseCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(TXmlNode, Parse_NestingPastLimit_StopsWithLogLine) {
    LogCapture log;
    std::string text;
    for (int i = 0; i < 100000; ++i) {
        text += "<a>";
    }
    text += "<z/>";
    TXmlNode document;
    document.LoadBuffer(text.data(), text.size(), "deep.xml");
    int depth = 0;
    for (const TXmlNode* node = &document; node->HasChildren(); node = node->GetChild(0)) {
        EXPECT_EQ(node->GetChildCount(), 1u);
        ++depth;
    }
    EXPECT_EQ(depth, TXmlParser::kMaxXmlDepth + 1);
    EXPECT_EQ(document.FindChild("z"), nullptr);
    EXPECT_TRUE(log.Contains("deep.xml")) << log.Text();
    EXPECT_TRUE(log.Contains("nested deeper than 256 levels")) << log.Text();
}

TEST(TXmlNode, Parse_NestingAtLimit_IsRead) {
    std::string text;
    for (int i = 0; i < TXmlParser::kMaxXmlDepth; ++i) {
        text += "<a>";
    }
    text += "deep";
    TXmlNode document;
    document.LoadBuffer(text.data(), text.size());
    const TXmlNode* node = &document;
    while (node->HasChildren()) {
        node = node->GetChild(0);
    }
    EXPECT_EQ(node->GetText(), TString("deep"));
}

// A builder that records the calls the parser makes, each with the name of
// the node that receives it ("doc" for the document).
class RecordingNode : public TXmlNode {
public:
    RecordingNode(std::vector<std::string>& calls, std::string name)
        : mCalls(calls), mLabel(std::move(name)) {}
    TXmlNode* AddChild(const TString& name) override {
        Record("add " + name.ToStd());
        mChildren.push_back(std::make_unique<RecordingNode>(mCalls, name.ToStd()));
        return mChildren.back().get();
    }
    void EndChild(const TString& token) override { Record("end " + token.ToStd()); }
    int AppendText(const char* token, int length) override {
        Record("text " + std::string(token, static_cast<size_t>(length)));
        return length;
    }
    void AddAttribute(const TString& name, const TString& value, bool quoted) override {
        Record("attr " + name.ToStd() + "=" + value.ToStd() + (quoted ? " q" : ""));
    }

private:
    void Record(const std::string& call) { mCalls.push_back(mLabel + ": " + call); }

    std::vector<std::string>& mCalls;
    std::string mLabel;
    std::vector<std::unique_ptr<RecordingNode>> mChildren;
};

// AddChild and EndChild go to the node whose content is being read: a tag
// that needs no content is ended on its parent, an end tag on the element
// it closes, whatever name it carries.
TEST(TXmlNode, Parse_SubclassReceivesBuildCalls) {
    struct Case {
        const char* text;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {R"(<a k="v"><b/>hi</a>)",
         {"doc: add a", "a: attr k=v q", "a: add b", "a: end b", "a: text hi", "a: end /a"}},
        {R"(<?xml v="1"?><!-- c --><a><b>t</c>u</a>)",
         {"doc: add ?xml", "?xml: attr v=1 q", "doc: end ?xml", "doc: add !--", "doc: end !--",
          "doc: add a", "a: add b", "b: text t", "b: end /c", "a: text u", "a: end /a"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> calls;
        RecordingNode document(calls, "doc");
        document.LoadBuffer(c.text, std::strlen(c.text));
        EXPECT_EQ(calls, c.expected) << c.text;
    }
}

TEST(TXmlNode, Parse_MatchesOverFileSourceAndMemorySource) {
    const std::string path = kXmlData + "/sample.xml";
    TGetCharFile file(TString(("::" + path).c_str()));
    ASSERT_TRUE(file.IsOpen());
    TXmlNode fromFile;
    TXmlParser(file, "sample.xml").Parse(fromFile);
    EXPECT_EQ(Dump(fromFile), Parse(ReadWholeFile(path)));
    EXPECT_NE(fromFile.FindChild("settings"), nullptr);
}

TEST(TGetChar, StringSource_UngetAndRewind) {
    const char data[] = "ab";
    TGetCharString source(data, 2);
    EXPECT_EQ(source.Unget('x'), -1);
    EXPECT_EQ(source.GetByte(), 'a');
    EXPECT_EQ(source.GetByte(), 'b');
    EXPECT_EQ(source.GetByte(), -1);
    EXPECT_EQ(source.Unget('b'), 'b');
    EXPECT_EQ(source.GetByte(), 'b');
    source.Rewind();
    EXPECT_EQ(source.GetByte(), 'a');
}

TEST(TGetChar, FileSource_UngetRewindAndReopen) {
    TGetCharFile source(TString(("::" + kXmlData + "/sample.xml").c_str()));
    ASSERT_TRUE(source.IsOpen());
    EXPECT_EQ(source.Unget('x'), -1);
    EXPECT_EQ(source.GetByte(), '<');
    EXPECT_EQ(source.GetByte(), '?');
    EXPECT_EQ(source.Unget('?'), '?');
    EXPECT_EQ(source.GetByte(), '?');
    source.Rewind();
    EXPECT_EQ(source.GetByte(), '<');
    EXPECT_TRUE(source.Reopen());
    EXPECT_EQ(source.GetByte(), '<');

    TGetCharFile missing(TString(("::" + kXmlData + "/no_such_file.xml").c_str()));
    EXPECT_FALSE(missing.IsOpen());
    EXPECT_EQ(missing.GetByte(), -1);
}

TEST(TXmlNode, LoadFile_ReadsSampleDocument) {
    TXmlNode document;
    document.LoadFile(TString(("::" + kXmlData + "/sample.xml").c_str()));
    ASSERT_TRUE(document.HasChildren());
    EXPECT_EQ(document.GetChild(0)->GetName(), TString("?xml"));
    TXmlNode* settings = document.FindChild("settings");
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->FindChild("gamename")->GetText(), TString("Corvalo"));
    EXPECT_EQ(settings->FindChild("title")->GetText(), TString("Caf\xC3\xA9 & cards"));
    TString value;
    bool quoted = false;
    EXPECT_TRUE(settings->FindChild("volume")->GetAttribute(value, "muted", &quoted));
    EXPECT_EQ(value, TString("no"));
    EXPECT_FALSE(quoted);
    TXmlNode* levels = settings->FindChild("levels");
    ASSERT_NE(levels, nullptr);
    EXPECT_EQ(levels->GetChildCount(), 2u);
    EXPECT_EQ(levels->GetChild(0)->GetText(), TString("first level"));
}

TEST(TXmlNode, LoadFile_PackedFileParsesLikePlainFile) {
    TXmlNode plain;
    plain.LoadFile(TString(("::" + kXmlData + "/sample.xml").c_str()));
    TXmlNode packed;
    packed.LoadFile(TString(("::" + kXmlData + "/sample.zxml").c_str()));
    ASSERT_TRUE(packed.HasChildren());
    EXPECT_EQ(Dump(packed), Dump(plain));
}

TEST(TXmlNode, LoadFile_MissingOrDamagedFileGivesEmptyNode) {
    LogCapture log;
    TXmlNode missing;
    missing.LoadFile(TString(("::" + kXmlData + "/no_such_file.xml").c_str()));
    EXPECT_FALSE(missing.HasChildren());
    TXmlNode damaged;
    damaged.LoadFile(TString(("::" + kXmlData + "/damaged.zxml").c_str()));
    EXPECT_FALSE(damaged.HasChildren());
    EXPECT_TRUE(damaged.GetText().IsEmpty());
    EXPECT_TRUE(log.Contains("damaged.zxml")) << log.Text();
}

TEST(TXmlNode, LoadFile_FifoOrDeviceIsNotRead) {
    // "assets/settings.xml" or a user string file made a FIFO once froze
    // start-up; a link to /dev/zero would be read without end.
    support::TempFolder folder("corvalo-xmlfifo-");
    const std::string fifo = (folder.Path() / "settings.xml").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string zero = (folder.Path() / "strings_extra.xml").string();
    std::filesystem::create_symlink("/dev/zero", zero);
    for (const std::string& path : {fifo, zero}) {
        SCOPED_TRACE(path);
        TXmlNode document;
        document.LoadFile(TString(("::" + path).c_str()));
        EXPECT_FALSE(document.HasChildren());
        TStringTable table;
        EXPECT_FALSE(table.LoadFile(TString(("::" + path).c_str())));
    }
}

TEST(TXmlNode, LoadBuffer_PackedMadeByZlibParsesLikePlain) {
    const std::string text = ReadWholeFile(kXmlData + "/sample.xml");
    const std::string packed = PackZxml(text);
    EXPECT_EQ(Parse(packed), Parse(text));
    EXPECT_FALSE(Parse(text).empty());
}

struct DamageCase {
    const char* name;
    void (*damage)(std::string& image);
    const char* logText;
};

const DamageCase kDamageCases[] = {
    {"HeaderCutShort", [](std::string& image) { image.resize(10); }, "header cut short"},
    {"StreamCutShort", [](std::string& image) { image.resize(image.size() - 20); }, "packed size"},
    {"ChecksumBroken",
     [](std::string& image) { image.back() = static_cast<char>(image.back() ^ 0x55); },
     "zlib error"},
    {"StreamGarbage",
     [](std::string& image) {
         for (size_t i = 14; i < image.size(); i += 3) {
             image[i] = static_cast<char>(image[i] ^ 0xA5);
         }
     },
     "zlib error"},
    {"UnpackedSizeTooSmall", [](std::string& image) { SetHeader32(image, 8, 10); }, "zlib error"},
    {"UnpackedSizeHuge", [](std::string& image) { SetHeader32(image, 8, 0xFFFFFFF0u); },
     "not possible"},
    {"UnpackedSizeBeyondDeflateRatio",
     [](std::string& image) { SetHeader32(image, 8, kMaxUnpackedXmlSize); }, "not possible"},
};

class TPackedXmlDamage : public ::testing::TestWithParam<DamageCase> {};

TEST_P(TPackedXmlDamage, GivesEmptyDocumentAndLogLine) {
    LogCapture log;
    std::string image = PackZxml(ReadWholeFile(kXmlData + "/sample.xml"));
    GetParam().damage(image);
    std::vector<char> out = {'x'};
    EXPECT_FALSE(ReadXmlBuffer(image.data(), image.size(), out, "damaged-case"));
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(Parse(image), "");
    EXPECT_TRUE(log.Contains(GetParam().logText)) << log.Text();
    EXPECT_TRUE(log.Contains("damaged-case")) << log.Text();
}

INSTANTIATE_TEST_SUITE_P(Damage, TPackedXmlDamage, ::testing::ValuesIn(kDamageCases),
                         [](const ::testing::TestParamInfo<DamageCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(TPackedXml, PackedSizePastEndIsCutToFile) {
    LogCapture log;
    std::string image = PackZxml("<a>packed</a>");
    SetHeader32(image, 4, 0x7FFFFFFF);
    EXPECT_EQ(Parse(image), "[a 'packed']");
    EXPECT_TRUE(log.Contains("passes the end of the file")) << log.Text();
}

TEST(TPackedXml, EmptyUnpackedSizeIsEmptyDocument) {
    std::string image = PackZxml("");
    std::vector<char> out;
    EXPECT_TRUE(ReadXmlBuffer(image.data(), image.size(), out, "empty"));
    EXPECT_TRUE(out.empty());
}

TEST(TPackedXml, PlainDataIsCopied) {
    const std::string text = "<a/>";
    std::vector<char> out;
    EXPECT_TRUE(ReadXmlBuffer(text.data(), text.size(), out, "plain"));
    EXPECT_EQ(std::string(out.begin(), out.end()), text);
    EXPECT_FALSE(IsPackedXml("ZXM", 3));
    EXPECT_TRUE(IsPackedXml("ZXML", 4));
}

TEST(TXmlNode, ToString_QuotedAttribute) {
    const std::unique_ptr<TXmlNode> node = TXmlNode::TXmlNodeFromName(TString("n"));
    EXPECT_FALSE(node->HasChildren());
    EXPECT_TRUE(node->GetText().IsEmpty());
    node->SetAttribute("k", TString("v"));
    EXPECT_EQ(node->ToString(), TString("<n\n    k=\"v\">\n</n>\n"));
}

TEST(TXmlNode, ToString_NestedTextAndBareAttribute) {
    const std::string text = "<root><item id=7>hello  world</item><empty/></root>";
    TXmlNode document;
    document.LoadBuffer(text.data(), text.size());
    EXPECT_EQ(document.FindChild("root")->ToString(), TString("<root>\n"
                                                              "    <item\n"
                                                              "        id=7>\n"
                                                              "    hello world\n"
                                                              "    </item>\n"
                                                              "    <empty>\n"
                                                              "    </empty>\n"
                                                              "</root>\n"));
}

TEST(TXmlNode, ToString_TwoByteLetterAsTwoReferencesAndBack) {
    TXmlNode node(TString("t"));
    node.SetText(TString("caf\xC3\xA9"));
    const TString written = node.ToString();
    EXPECT_EQ(written, TString("<t>\ncaf&#195;&#169;\n</t>\n"));
    TXmlNode document;
    document.LoadBuffer(written.CStr(), static_cast<size_t>(written.Length()));
    EXPECT_EQ(document.FindChild("t")->GetText(), TString("caf\xC3\xA9"));
}

TEST(TXmlNode, ToString_LargeTreeIsComplete) {
    TXmlNode root(TString("root"));
    for (int i = 0; i < 500; ++i) {
        root.AddChild(TString("child"))->SetAttribute("index", TString::Format("%d", i));
    }
    const TString first = root.ToString();
    const TString second = root.ToString();
    EXPECT_GT(first.Length(), 4096);
    EXPECT_EQ(first, second);
    TXmlNode document;
    document.LoadBuffer(first.CStr(), static_cast<size_t>(first.Length()));
    EXPECT_EQ(document.FindChild("root")->GetChildCount(), 500u);
}

struct EscapeCase {
    const char* input;
    const char* expected;
};

TEST(TXmlText, EscapeXmlText_Table) {
    const EscapeCase cases[] = {
        {"", ""},
        {"plain text", "plain text"},
        {"a&b<c>d\"e'f", "a&amp;b&lt;c&gt;d&quot;e&apos;f"},
        {"line\nbreak\ttab", "line&#10;break&#9;tab"},
        {"\x7F\x80\xFF", "\x7F&#128;&#255;"},
    };
    for (const EscapeCase& c : cases) {
        EXPECT_EQ(EscapeXmlText(c.input), TString(c.expected)) << c.input;
    }
    EXPECT_EQ(EscapeXmlText(nullptr), TString(""));
}

TEST(TXmlText, DecodeXmlEntities_EntityLedFlag) {
    struct Case {
        const char* input;
        const char* text;
        bool led;
    };
    const Case cases[] = {
        {"&lt;x", "<x", true},         {"x&lt;", "x<", false}, {"&#0;<", "<", true},
        {"&bogus;", "&bogus;", false}, {"&#;", "", true},      {"&", "&", false},
    };
    for (const Case& c : cases) {
        bool led = !c.led;
        EXPECT_EQ(DecodeXmlEntities(c.input, std::strlen(c.input), &led), TString(c.text))
            << c.input;
        EXPECT_EQ(led, c.led) << c.input;
    }
}

// Trees written by ToString read back into the same tree.
TEST(TXmlNode, ToString_RoundTripTable) {
    const char* documents[] = {
        R"(<a x="1"/>)",
        R"(<a k=bare q="quoted value"><b>text with &lt;markup&gt; &amp; "quotes"</b></a>)",
        "<root><x>caf\xC3\xA9 \xE2\x82\xAC</x><y a=\"&#10;\"/><z/></root>",
        R"(<settings><volume>80</volume><name>O'Brien</name><empty k=""/></settings>)",
        "<a><b><c><d>deep</d></c></b>tail</a>",
    };
    for (const char* text : documents) {
        TXmlNode first;
        first.LoadBuffer(text, std::strlen(text));
        ASSERT_TRUE(first.HasChildren()) << text;
        const TString written = first.GetChild(0)->ToString();
        TXmlNode second;
        second.LoadBuffer(written.CStr(), static_cast<size_t>(written.Length()));
        EXPECT_EQ(Dump(second), Dump(first)) << text << "\nwritten:\n" << written.CStr();
    }
}

TEST(TXmlNode, Accessors_ChildWalkAttributesAndFind) {
    const std::string text = R"(<?xml version="1.0"?><r><a/><b k="1" k="2"/><a/></r>)";
    TXmlNode document;
    document.LoadBuffer(text.data(), text.size());
    EXPECT_EQ(document.FindChild("?xml")->GetName(), TString("?xml"));
    TXmlNode* root = document.FindChild("r");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->FindChild("A"), nullptr);
    EXPECT_EQ(root->FindChild("a"), root->GetChild(0));

    std::vector<std::string> names;
    TString name;
    TXmlNode* child = nullptr;
    root->BeginChildren();
    while (root->NextChild(name, child)) {
        names.push_back(name.ToStd());
        EXPECT_EQ(child->GetName(), name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "a"}));
    root->BeginChildren();
    EXPECT_TRUE(root->NextChild(name, child));
    EXPECT_EQ(name, TString("a"));

    TXmlNode* b = root->FindChild("b");
    TString value;
    bool quoted = false;
    EXPECT_TRUE(b->GetAttribute(value, "k", &quoted));
    EXPECT_EQ(value, TString("1"));
    EXPECT_TRUE(quoted);
    bool untouched = true;
    value = "old";
    EXPECT_FALSE(b->GetAttribute(value, "missing", &untouched));
    EXPECT_TRUE(value.IsEmpty());
    EXPECT_TRUE(untouched);

    EXPECT_EQ(b->GetAttribute("k"), TString("1"));
    EXPECT_TRUE(b->GetAttribute("missing").IsEmpty());

    b->SetAttribute("k", TString("3"));
    EXPECT_EQ(Dump(*root), R"([a] [b k="3" k="2"] [a])");
    b->SetAttribute("new", TString("n"));
    EXPECT_EQ(b->GetAttributeCount(), 3u);
    EXPECT_TRUE(b->GetAttribute(value, "new", &quoted));
    EXPECT_EQ(value, TString("n"));
}

TEST(TXmlNode, AppendText_AddsBlankBetweenPieces) {
    TXmlNode node;
    EXPECT_EQ(node.AppendText("one", 3), 3);
    EXPECT_EQ(node.AppendText("two", 3), 7);
    EXPECT_EQ(node.AppendText("", 0), 8);
    EXPECT_EQ(node.GetText(), TString("one two "));
}

TEST(TXmlNode, AppendText_GoesOnAfterTheTextWasReadOrSet) {
    TXmlNode node;
    node.AppendText("one", 3);
    EXPECT_EQ(node.GetText(), TString("one"));
    EXPECT_EQ(node.AppendText("two", 3), 7);
    EXPECT_EQ(node.GetText(), TString("one two"));
    node.SetText(TString("set"));
    EXPECT_EQ(node.AppendText("more", 4), 8);
    node.FinishText();
    EXPECT_EQ(node.GetText(), TString("set more"));
    EXPECT_EQ(node.AppendText("last", 4), 13);
    EXPECT_NE(node.ToString().View().find("set more last"), std::string_view::npos);
}

// Inputs shaped to be slow: each took minutes when the text of an element
// was measured again at every word, or every "&#" searched the rest of its
// word for a ";". They are read in well under a second now.
TEST(TXmlNode, Parse_LongTextInOneElementIsReadInLinearTime) {
    std::string file = "<settings>";
    const size_t words = 800000; // 4 MB
    for (size_t i = 0; i < words; ++i) {
        file += "word ";
    }
    file += "</settings>";
    TXmlNode root;
    root.LoadBuffer(file.data(), file.size());
    const TXmlNode* settings = root.FindChild("settings");
    ASSERT_NE(settings, nullptr);
    const TString text = settings->GetText();
    EXPECT_EQ(static_cast<size_t>(text.Length()), words * 5 - 1);
    EXPECT_EQ(text.View().substr(0, 10), "word word ");
}

TEST(TXmlNode, Parse_ReferencesWithoutSemicolonAreReadInLinearTime) {
    std::string word;
    for (int i = 0; i < 1 << 21; ++i) { // 4 MB of "&#"
        word += "&#";
    }
    std::string file = "<a>" + word + " &#65;</a>";
    TXmlNode root;
    root.LoadBuffer(file.data(), file.size());
    const TXmlNode* a = root.FindChild("a");
    ASSERT_NE(a, nullptr);
    // Without a ";" after them the pairs stay as they are; the reference
    // in the next word is still read.
    EXPECT_EQ(a->GetText().ToStd(), word + " A");
}

} // namespace
