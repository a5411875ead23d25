#include "framework/graphics/animation/TAnimationFile.h"

#include "framework/core/xml/TXmlNode.h"

#include <gtest/gtest.h>

#include "AnimationTestSupport.h"
#include "support/TempFolder.h"

#include <climits>
#include <string>

namespace {

using animtest::LogCapture;
using animtest::PutFloat;
using animtest::PutInt;
using animtest::PutString;

const std::string kFixtures = std::string(CORVALO_TEST_DATA) + "/animation";

bool ReadXmlText(const std::string& text, TAnimationData& data, const char* name = "test.xml") {
    TXmlNode document;
    document.LoadBuffer(text.data(), text.size(), name);
    return ReadAnimationXml(document, name, data);
}

bool ReadAnmBytes(const std::string& bytes, TAnimationData& data, const char* name = "test.anm") {
    return ReadAnimationAnm(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), name,
                            data);
}

TAnimationData FixtureFromXml() {
    TAnimationData data;
    EXPECT_TRUE(ReadAnimationXmlFile(TString(("::" + kFixtures + "/walk.xml").c_str()), data));
    return data;
}

// A hand-built ".anm" with one frame of a given version; the frame holds
// alpha (version 2 and up) and transform, the image part of version 1 (and
// no other) the four unused floats.
std::string OneFrameAnm(int32_t version, bool withScript) {
    std::string out = "ANIM";
    PutInt(out, 0);
    PutInt(out, version);
    PutString(out, "jump");
    PutString(out, "src");
    out += "IMGN";
    PutInt(out, 1);
    PutInt(out, -2);
    PutInt(out, 64);
    PutInt(out, 32);
    if (version == 1) {
        for (int i = 0; i < 4; ++i)
            PutFloat(out, 9.0f);
    }
    PutString(out, "jump.png");
    PutString(out, "");
    out += "FRMS";
    PutInt(out, 1);
    for (int32_t value : {3, 4, 10, 11, 20, 21}) // regx regy x y w h
        PutInt(out, value);
    if (version >= 2)
        PutFloat(out, 0.25f);
    for (float value : {2.0f, 0.0f, 0.0f, 3.0f, 5.0f, 6.0f})
        PutFloat(out, value);
    PutString(out, "only");
    PutInt(out, 1);
    PutInt(out, 7);
    PutInt(out, -8);
    PutString(out, "tip");
    if (withScript) {
        out += "SCRP";
        PutString(out, "function DoAnim() end\n");
    }
    return out;
}

TEST(AnimationXml, Fixture_ReadsEveryField) {
    const TAnimationData data = FixtureFromXml();
    EXPECT_STREQ(data.mName.CStr(), "walk");
    EXPECT_STREQ(data.mSource.CStr(), "walk frames");
    EXPECT_EQ(data.mImageRegX, -4); // integers keep their sign
    EXPECT_EQ(data.mImageRegY, 2);
    EXPECT_EQ(data.mImageWidth, 96);
    EXPECT_EQ(data.mImageHeight, 32);
    EXPECT_STREQ(data.mImageFileName.CStr(), "walk.png");
    EXPECT_STREQ(data.mMaskFileName.CStr(), "walk_mask.png");
    ASSERT_EQ(data.GetFrameCount(), 3);
    EXPECT_EQ(data.mMaxFrameWidth, 32);
    EXPECT_EQ(data.mMaxFrameHeight, 32);
    EXPECT_EQ(data.mCurrentFrame, 0);
    EXPECT_STREQ(data.mScript.CStr(),
                 "function DoAnim()\n    delay(100);\n    frames{1,2,3,2};\nend\n");

    const TAnimationFrame& first = data.mFrames[0];
    EXPECT_STREQ(first.mName.CStr(), "step1");
    EXPECT_EQ(first.mW, 32);
    EXPECT_EQ(first.mRegX, 16);
    EXPECT_EQ(first.mRegY, 30);
    EXPECT_FLOAT_EQ(first.mAlpha, 1.0f);
    const float firstTransform[6] = {1.0f, 0.0f, 0.0f, 1.0f, 2.5f, -3.0f};
    for (int i = 0; i < 6; ++i)
        EXPECT_FLOAT_EQ(first.mTransform[i], firstTransform[i]) << i;
    ASSERT_EQ(first.GetAnchorCount(), 2);
    EXPECT_STREQ(first.mAnchors[0].mName.CStr(), "hand");
    EXPECT_EQ(first.mAnchors[0].mX, 28);
    EXPECT_EQ(first.mAnchors[0].mY, -6);
    EXPECT_STREQ(first.mAnchors[1].mName.CStr(), "foot");

    const TAnimationFrame& second = data.mFrames[1];
    EXPECT_EQ(second.mX, 32);
    EXPECT_FLOAT_EQ(second.mAlpha, 0.5f);
    EXPECT_EQ(second.GetAnchorCount(), 0);
}

TEST(AnimationXml, FrameWithoutRegistrationOrTransform_TakesThePreviousFrames) {
    const TAnimationData data = FixtureFromXml();
    ASSERT_EQ(data.GetFrameCount(), 3);
    const TAnimationFrame& second = data.mFrames[1];
    EXPECT_EQ(second.mRegX, 16);
    EXPECT_EQ(second.mRegY, 30);
    EXPECT_TRUE(second == second);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(second.mTransform[i], data.mFrames[0].mTransform[i]) << i;
    // A transform of two numbers sets a and b; the rest keep "none" values.
    const TAnimationFrame& third = data.mFrames[2];
    EXPECT_EQ(third.mRegX, -2);
    EXPECT_EQ(third.mRegY, 14);
    EXPECT_FLOAT_EQ(third.mTransform[0], 0.5f);
    EXPECT_FLOAT_EQ(third.mTransform[1], 0.25f);
    EXPECT_FLOAT_EQ(third.mTransform[4], 0.0f);
}

TEST(AnimationXml, FirstFrameWithoutRegistrationOrTransform_HasNone) {
    TAnimationData data;
    ASSERT_TRUE(ReadXmlText(
        "<sequence><img name=\"a.png\"/><framelist><frame w=\"5\" h=\"6\"/></framelist></sequence>",
        data));
    ASSERT_EQ(data.GetFrameCount(), 1);
    EXPECT_EQ(data.mFrames[0].mRegX, 0);
    EXPECT_EQ(data.mFrames[0].mRegY, 0);
    EXPECT_FALSE(data.mFrames[0].HasTransform());
    EXPECT_EQ(data.mScript, MakeDefaultAnimationScript(1));
}

TEST(AnimationXml, ScriptText_IsTheScriptWithoutAttribute) {
    TAnimationData data;
    ASSERT_TRUE(ReadXmlText("<sequence><img/><framelist><frame/></framelist>"
                            "<script>showFrame(2)</script></sequence>",
                            data));
    EXPECT_STREQ(data.mScript.CStr(), "showFrame(2)");
}

TEST(AnimationXml, ScriptAttribute_WinsOverText) {
    TAnimationData data;
    ASSERT_TRUE(ReadXmlText("<sequence><img/><framelist><frame/></framelist>"
                            "<script luascript=\"run()\">ignored()</script></sequence>",
                            data));
    EXPECT_STREQ(data.mScript.CStr(), "run()");
}

struct BrokenXmlCase {
    const char* name;
    const char* text;
    const char* logLine;
};

class AnimationXmlBroken : public ::testing::TestWithParam<BrokenXmlCase> {};

TEST_P(AnimationXmlBroken, FailsWithLogLineAndLeavesRecord) {
    LogCapture log;
    TAnimationData data;
    data.mName = TString("kept");
    EXPECT_FALSE(ReadXmlText(GetParam().text, data, "broken.xml"));
    EXPECT_TRUE(log.Contains(GetParam().logLine)) << log.Text();
    EXPECT_STREQ(data.mName.CStr(), "kept");
}

const BrokenXmlCase kBrokenXml[] = {
    {"NoSequence", "<animation/>", "Animation broken.xml does not contain a sequence node"},
    {"Empty", "", "Animation broken.xml does not contain a sequence node"},
    {"NoImg", "<sequence><framelist><frame/></framelist></sequence>",
     "Animation broken.xml does not contain an img node"},
    {"NoFramelist", "<sequence><img/></sequence>",
     "Animation broken.xml does not contain a framelist node"},
    {"NoFrames", "<sequence><img/><framelist><image/></framelist></sequence>",
     "Animation broken.xml does not contain any frames!"},
    {"CutShort", "<sequence name=\"x\"><img/><framelist><fra",
     "Animation broken.xml does not contain any frames!"},
};

INSTANTIATE_TEST_SUITE_P(Cases, AnimationXmlBroken, ::testing::ValuesIn(kBrokenXml),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AnimationXml, Integers_ReadWithSignAndLeadingDigits) {
    const struct {
        const char* text;
        int32_t expected;
    } cases[] = {
        {"12", 12},
        {"-5", -5},
        {"+7", 7},
        {"  42", 42},
        {"3px", 3},
        {"abc", 0},
        {"", 0},
        {"-", 0},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"99999999999", INT_MAX},
        {"-99999999999", INT_MIN},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseAnimationInt(c.text), c.expected) << c.text;
}

TEST(AnimationFile, DefaultScript_ListsEveryFrame) {
    EXPECT_STREQ(MakeDefaultAnimationScript(3).CStr(),
                 "function DoAnim()\n    delay(60);\n    frames{1,2,3};\nend\n");
    EXPECT_STREQ(MakeDefaultAnimationScript(1).CStr(),
                 "function DoAnim()\n    delay(60);\n    frames{1};\nend\n");
    EXPECT_STREQ(MakeDefaultAnimationScript(0).CStr(), "function DoAnim()\n    delay(60);\nend\n");
}

TEST(AnimationFile, XmlAndAnmOfTheSameAnimation_GiveIdenticalRecords) {
    const TAnimationData fromXml = FixtureFromXml();
    TAnimationData fromAnm;
    ASSERT_TRUE(ReadAnimationAnmFile(TString(("::" + kFixtures + "/walk.anm").c_str()), fromAnm));
    EXPECT_TRUE(fromAnm.SameContent(fromXml));
}

TEST(AnimationFile, RoundTripXmlAnmXml_GivesIdenticalRecords) {
    const TAnimationData original = FixtureFromXml();
    const std::string anm = WriteAnimationAnm(original);
    TAnimationData fromAnm;
    ASSERT_TRUE(ReadAnmBytes(anm, fromAnm));
    EXPECT_TRUE(fromAnm.SameContent(original));

    TAnimationData back;
    ASSERT_TRUE(ReadXmlText(WriteAnimationXml(fromAnm), back));
    EXPECT_TRUE(back.SameContent(original));
    EXPECT_EQ(WriteAnimationAnm(back), anm);
}

TEST(AnimationFile, XmlWriter_KeepsAFrameWithoutTransformAfterOneWithIt) {
    TAnimationData data;
    data.mFrames.resize(2);
    data.mFrames[0].mTransform[0] = 2.0f;
    data.mFrames[1].mName = TString("plain <&> \"\xC3\xA9\"");
    data.mScript = TString("function DoAnim()\n  x = \"<a & b>\";\nend\n");
    data.UpdateLargestFrame();
    TAnimationData back;
    ASSERT_TRUE(ReadXmlText(WriteAnimationXml(data), back));
    EXPECT_FALSE(back.mFrames[1].HasTransform());
    EXPECT_TRUE(back.SameContent(data)) << WriteAnimationXml(data);
}

TEST(AnimationAnm, Version1_SkipsImageFloatsAndHasNoAlpha) {
    TAnimationData data;
    ASSERT_TRUE(ReadAnmBytes(OneFrameAnm(1, true), data));
    EXPECT_EQ(data.mImageRegX, 1);
    EXPECT_EQ(data.mImageRegY, -2);
    EXPECT_STREQ(data.mImageFileName.CStr(), "jump.png");
    ASSERT_EQ(data.GetFrameCount(), 1);
    const TAnimationFrame& frame = data.mFrames[0];
    EXPECT_EQ(frame.mRegX, 3);
    EXPECT_EQ(frame.mRegY, 4);
    EXPECT_EQ(frame.mX, 10);
    EXPECT_EQ(frame.mY, 11);
    EXPECT_EQ(frame.mW, 20);
    EXPECT_EQ(frame.mH, 21);
    EXPECT_FLOAT_EQ(frame.mAlpha, 1.0f);
    EXPECT_FLOAT_EQ(frame.mTransform[0], 2.0f); // read in every version
    EXPECT_FLOAT_EQ(frame.mTransform[5], 6.0f);
    EXPECT_STREQ(frame.mName.CStr(), "only");
    ASSERT_EQ(frame.GetAnchorCount(), 1);
    EXPECT_EQ(frame.mAnchors[0].mY, -8);
    EXPECT_STREQ(frame.mAnchors[0].mName.CStr(), "tip");
    EXPECT_EQ(data.mMaxFrameWidth, 20);
    EXPECT_EQ(data.mMaxFrameHeight, 21);
}

TEST(AnimationAnm, Version2_ReadsAlphaAndNoImageFloats) {
    TAnimationData data;
    ASSERT_TRUE(ReadAnmBytes(OneFrameAnm(2, true), data));
    ASSERT_EQ(data.GetFrameCount(), 1);
    EXPECT_FLOAT_EQ(data.mFrames[0].mAlpha, 0.25f);
    EXPECT_FLOAT_EQ(data.mFrames[0].mTransform[3], 3.0f);
    EXPECT_STREQ(data.mScript.CStr(), "function DoAnim() end\n");
    // The writer gives back exactly that file.
    EXPECT_EQ(WriteAnimationAnm(data), OneFrameAnm(2, true));
}

TEST(AnimationAnm, Version0_HasNeitherImageFloatsNorAlpha) {
    TAnimationData data;
    ASSERT_TRUE(ReadAnmBytes(OneFrameAnm(0, true), data));
    ASSERT_EQ(data.GetFrameCount(), 1);
    EXPECT_STREQ(data.mImageFileName.CStr(), "jump.png");
    EXPECT_EQ(data.mFrames[0].mW, 20);
    EXPECT_FLOAT_EQ(data.mFrames[0].mAlpha, 1.0f);
    EXPECT_STREQ(data.mFrames[0].mName.CStr(), "only");
}

// The crafted files of every version (make_crafted_animations.py) hold one
// animation: each reads to the same record, but for the alphas that only
// version 2 carries.
TEST(AnimationAnm, FixtureOfEachVersion_ReadsToTheSameAnimation) {
    TAnimationData versions[3];
    for (int version = 0; version < 3; ++version) {
        LogCapture log;
        const std::string name = kFixtures + "/version" + std::to_string(version) + ".anm";
        ASSERT_TRUE(ReadAnimationAnmFile(TString(("::" + name).c_str()), versions[version]))
            << version << log.Text();
        const TAnimationData& data = versions[version];
        EXPECT_STREQ(data.mName.CStr(), "jump");
        EXPECT_EQ(data.mImageRegX, -1);
        EXPECT_EQ(data.mImageRegY, 2);
        EXPECT_EQ(data.mImageWidth, 64);
        EXPECT_EQ(data.mImageHeight, 32);
        EXPECT_STREQ(data.mImageFileName.CStr(), "jump.png");
        ASSERT_EQ(data.GetFrameCount(), 2) << version;
        EXPECT_EQ(data.mFrames[1].mX, 32);
        EXPECT_EQ(data.mFrames[1].mRegY, 31);
        EXPECT_FLOAT_EQ(data.mFrames[0].mTransform[4], 2.0f);
        EXPECT_FALSE(data.mFrames[1].HasTransform());
        ASSERT_EQ(data.mFrames[0].GetAnchorCount(), 1);
        EXPECT_STREQ(data.mFrames[0].mAnchors[0].mName.CStr(), "hand");
        EXPECT_STREQ(data.mScript.CStr(), "function DoAnim()\n    frames{1,2};\nend\n");
        EXPECT_FLOAT_EQ(data.mFrames[0].mAlpha, version == 2 ? 0.5f : 1.0f) << version;
    }
    EXPECT_TRUE(versions[0].SameContent(versions[1]));
    versions[2].mFrames[0].mAlpha = 1.0f;
    EXPECT_TRUE(versions[2].SameContent(versions[0]));
}

// Files whose frames leave the image, or that have none: both readers
// refuse them with a log line naming the animation.
TEST(AnimationFile, FramesOutsideTheImageOrNone_AreRefusedByBothReaders) {
    const struct {
        const char* file;
        const char* logLine;
    } cases[] = {
        {"frame-past-int.anm", "frame 1 (x 2147483642, y 0, w 32, h 32) leaves its image of 0 x 0"},
        {"frame-past-int.xml", "frame 2 (x 2147483642, y 0, w 32, h 32) leaves its image of 0 x 0"},
        {"frame-outside.xml", "frame 2 (x 40, y 0, w 32, h 32) leaves its image of 64 x 32"},
        {"zero-frames.anm", "does not contain any frames!"},
    };
    for (const auto& c : cases) {
        LogCapture log;
        const std::string name = "::" + kFixtures + "/" + c.file;
        TAnimationData data;
        EXPECT_FALSE(LoadAnimationData(TString(name.c_str()), TString(), TString(), data))
            << c.file;
        EXPECT_TRUE(log.Contains("Animation " + name)) << log.Text();
        EXPECT_TRUE(log.Contains(c.logLine)) << c.file << "\n" << log.Text();
        EXPECT_EQ(data.GetFrameCount(), 0);
    }
    // Frames that end exactly on the image's edges are inside; a negative
    // place or size is not.
    const struct {
        int32_t x, y, w, h;
        bool inside;
    } frames[] = {
        {0, 0, 64, 32, true},  {32, 16, 32, 16, true}, {0, 0, 0, 0, true},   {33, 0, 32, 32, false},
        {0, 1, 64, 32, false}, {-1, 0, 2, 2, false},   {0, 0, -2, 2, false}, {0, 0, 2, -2, false},
    };
    for (const auto& f : frames) {
        std::string bytes = OneFrameAnm(2, true);
        std::string rectangle;
        for (int32_t value : {f.x, f.y, f.w, f.h})
            PutInt(rectangle, value);
        bytes.replace(bytes.find("FRMS") + 4 + 4 + 8, 16, rectangle);
        LogCapture log;
        TAnimationData anm;
        EXPECT_EQ(ReadAnmBytes(bytes, anm), f.inside)
            << f.x << "," << f.y << " " << f.w << "x" << f.h;
        if (f.inside)
            continue;
        EXPECT_TRUE(log.Contains("leaves its image of 64 x 32")) << log.Text();
        // The same frame written as XML is refused too.
        TAnimationData record;
        ASSERT_TRUE(ReadAnmBytes(OneFrameAnm(2, true), record));
        record.mFrames[0].mX = f.x;
        record.mFrames[0].mY = f.y;
        record.mFrames[0].mW = f.w;
        record.mFrames[0].mH = f.h;
        TAnimationData xml;
        EXPECT_FALSE(ReadXmlText(WriteAnimationXml(record), xml));
    }
}

TEST(AnimationAnm, WithoutScriptChunk_GetsTheDefaultScript) {
    TAnimationData data;
    ASSERT_TRUE(ReadAnmBytes(OneFrameAnm(2, false), data));
    EXPECT_EQ(data.mScript, MakeDefaultAnimationScript(1));
    ASSERT_TRUE(ReadAnmBytes(OneFrameAnm(2, false) + "JUNKmore", data));
    EXPECT_EQ(data.mScript, MakeDefaultAnimationScript(1));
}

TEST(AnimationAnm, EveryCutShortFile_FailsWithLogLine) {
    const std::string whole = OneFrameAnm(2, true);
    const size_t scriptAt = OneFrameAnm(2, false).size();
    for (size_t length = 0; length < whole.size(); ++length) {
        LogCapture log;
        TAnimationData data;
        const bool ok = ReadAnmBytes(whole.substr(0, length), data);
        if (length == scriptAt) {
            // Ends where the script chunk would begin: a file without one.
            EXPECT_TRUE(ok);
            continue;
        }
        EXPECT_FALSE(ok) << length;
        EXPECT_TRUE(log.Contains("Animation test.anm is damaged: ")) << length << log.Text();
        EXPECT_EQ(data.GetFrameCount(), 0);
    }
}

struct DamagedAnmCase {
    const char* name;
    const char* marker; // the int overwritten is found from this text
    int offset;         // of the int, from the marker's first byte
    int32_t value;
    const char* logLine;
};

class AnimationAnmDamaged : public ::testing::TestWithParam<DamagedAnmCase> {};

TEST_P(AnimationAnmDamaged, FailsWithLogLine) {
    std::string bytes = OneFrameAnm(2, true);
    std::string value;
    PutInt(value, GetParam().value);
    const size_t at = bytes.find(GetParam().marker);
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at + GetParam().offset, 4, value);
    LogCapture log;
    TAnimationData data;
    EXPECT_FALSE(ReadAnmBytes(bytes, data));
    EXPECT_TRUE(log.Contains(std::string("Animation test.anm is damaged: ") + GetParam().logLine))
        << log.Text();
}

const DamagedAnmCase kDamagedAnm[] = {
    {"NameLongerThanFile", "jump", -4, 0x7FFFFFFF, "the ANIM chunk is cut short"},
    {"ImageNameLongerThanFile", "jump.png", -4, 1000, "the IMGN chunk is cut short"},
    {"FrameCountPastData", "FRMS", 4, 2, "the frame count is past the end of the data"},
    {"FrameCountHuge", "FRMS", 4, 0x7FFFFFFF, "the frame count is past the end of the data"},
    {"FrameCountNegative", "FRMS", 4, -1, "the frame count is negative"},
    {"AnchorCountPastData", "only", 4, 5, "an anchor count is past the end of the data"},
    {"AnchorNameLongerThanFile", "tip", -4, 100, "the FRMS chunk is cut short"},
    {"AnchorCountNegative", "only", 4, INT_MIN, "an anchor count is negative"},
    {"ScriptLongerThanFile", "SCRP", 4, 1 << 30, "the SCRP chunk is cut short"},
    {"WrongFirstTag", "ANIM", 0, 0x4D494E41 + 1, "no ANIM chunk"},
};

INSTANTIATE_TEST_SUITE_P(Cases, AnimationAnmDamaged, ::testing::ValuesIn(kDamagedAnm),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(AnimationAnm, MissingChunkTags_Fail) {
    const std::string whole = OneFrameAnm(2, true);
    for (const char* tag : {"IMGN", "FRMS"}) {
        std::string bytes = whole;
        bytes.replace(bytes.find(tag), 4, "XXXX");
        LogCapture log;
        TAnimationData data;
        EXPECT_FALSE(ReadAnmBytes(bytes, data)) << tag;
        EXPECT_TRUE(log.Contains(std::string("no ") + tag + " chunk")) << log.Text();
    }
}

class LoadAnimation : public ::testing::Test {
protected:
    std::string Name(const std::string& leaf) const {
        return "::" + (mFolder.Path() / leaf).string();
    }
    void WriteXml(const std::string& leaf, const char* sequenceName) {
        mFolder.Write(leaf,
                      std::string("<sequence name=\"") + sequenceName +
                          "\"><img name=\"i.png\"/><framelist><frame/></framelist></sequence>");
    }
    void WriteAnm(const std::string& leaf, const char* sequenceName) {
        TAnimationData data;
        data.mName = TString(sequenceName);
        data.mFrames.resize(1);
        mFolder.Write(leaf, WriteAnimationAnm(data));
    }
    support::TempFolder mFolder;
};

TEST_F(LoadAnimation, NameWithoutExtension_TriesXmlBeforeAnm) {
    WriteXml("both.xml", "from xml");
    WriteAnm("both.anm", "from anm");
    WriteAnm("only.anm", "only anm");
    TAnimationData data;
    ASSERT_TRUE(LoadAnimationData(TString(Name("both").c_str()), TString(""), TString(""), data));
    EXPECT_STREQ(data.mName.CStr(), "from xml");
    ASSERT_TRUE(LoadAnimationData(TString(Name("only").c_str()), TString(""), TString(""), data));
    EXPECT_STREQ(data.mName.CStr(), "only anm");
    EXPECT_STREQ(data.mAssetName.CStr(), Name("only").c_str());
    EXPECT_STREQ(data.mDirectory.CStr(), Name("").c_str());
}

TEST_F(LoadAnimation, NameThatExists_IsReadByItsOwnExtension) {
    WriteAnm("walk.ANM", "upper anm");
    WriteXml("walk.ANM.xml", "appended");
    TAnimationData data;
    ASSERT_TRUE(
        LoadAnimationData(TString(Name("walk.ANM").c_str()), TString(""), TString(""), data));
    EXPECT_STREQ(data.mName.CStr(), "upper anm");
}

TEST_F(LoadAnimation, ImageAndMaskArguments_ReplaceTheFiles) {
    WriteXml("a.xml", "a");
    TAnimationData data;
    ASSERT_TRUE(
        LoadAnimationData(TString(Name("a.xml").c_str()), TString(""), TString("m.png"), data));
    EXPECT_STREQ(data.mImageFileName.CStr(), "i.png");
    EXPECT_STREQ(data.mMaskFileName.CStr(), "m.png");
    ASSERT_TRUE(
        LoadAnimationData(TString(Name("a.xml").c_str()), TString("other.png"), TString(""), data));
    EXPECT_STREQ(data.mImageFileName.CStr(), "other.png");
    EXPECT_STREQ(data.mMaskFileName.CStr(), "");
}

TEST_F(LoadAnimation, MissingOrUnknownFile_FailsWithLogLine) {
    mFolder.Write("plain.txt", "<sequence/>");
    LogCapture log;
    TAnimationData data;
    EXPECT_FALSE(
        LoadAnimationData(TString(Name("nothing").c_str()), TString(""), TString(""), data));
    EXPECT_TRUE(log.Contains("nothing: no such file, nor with .xml or .anm")) << log.Text();
    EXPECT_FALSE(
        LoadAnimationData(TString(Name("plain.txt").c_str()), TString(""), TString(""), data));
    EXPECT_TRUE(log.Contains("plain.txt is neither .xml nor .anm")) << log.Text();
}

} // namespace
