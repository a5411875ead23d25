#include "velk/cutscene/vlkCutscene.h"
#include "velk/cutscene/vlkSoundCS.h"

#include "CutsceneTestSupport.h"
#include "framework/script/ScriptFixture.h"

#include <gtest/gtest.h>

using namespace cutscenetest;

namespace {

class CutsceneLoaderTest : public ScriptFixture {
protected:
    TString Scene(const std::string& body, const std::string& fps = "fps=\"30\"") {
        return WriteScene(mFolder, "scene" + std::to_string(++mCount) + ".xml", body, fps);
    }
    int mCount = 0;
};

TEST_F(CutsceneLoaderTest, ChildTagsInAnyCase_ObjectTypesExactly) {
    vlkCutscene scene;
    ASSERT_TRUE(scene.Load(Scene(R"xml(
        <Object name="a" type="sound" resource="beep" order="continue()"/>
        <OBJECT name="b" type="Sprite" resource="x.png"/>
        <object name="c" type="SOUND"/>
        <object name="d" type="sound"/>
        <TextStyle name="s"/>
        <Keyframe time="10"><ACTION object="a" property="sound" function="stop">
          <Param name="loop" value="true"/></ACTION></Keyframe>
        <unknown/>)xml")));
    const vlkCutsceneDef def = scene.GetDefinition();
    EXPECT_EQ(def.name.ToStd(), "test");
    EXPECT_EQ(def.fps, 30);
    EXPECT_EQ(scene.GetFrameInterval(), 33u);
    ASSERT_EQ(def.objects.size(), 4u) << "every object record is kept";
    EXPECT_EQ(def.objects[0].order.ToStd(), "continue()");
    EXPECT_EQ(def.objects[0].resource.ToStd(), "beep");
    ASSERT_EQ(scene.GetObjects().size(), 2u) << "the types Sprite and SOUND make nothing";
    EXPECT_EQ(scene.GetObjects()[0]->GetName().ToStd(), "a");
    EXPECT_EQ(scene.GetObjects()[1]->GetName().ToStd(), "d");
    EXPECT_EQ(scene.GetObjects()[0]->GetCommand().ToStd(), "continue");
    EXPECT_EQ(scene.CountTextStyles(), 1u);
    ASSERT_EQ(scene.CountKeyframes(), 1u);
    ASSERT_EQ(def.keyframes[0].actions.size(), 1u);
    ASSERT_EQ(def.keyframes[0].actions[0].params.size(), 1u);
    EXPECT_EQ(def.keyframes[0].actions[0].params[0].value.ToStd(), "true");
}

TEST_F(CutsceneLoaderTest, KeyframesKeepFileOrderInTheTimeLine) {
    vlkCutscene scene;
    ASSERT_TRUE(scene.Load(Scene(Keyframe(0) + Keyframe(500) + Keyframe(200) + Keyframe(900))));
    EXPECT_EQ(scene.GetTimeLine().GetTimes(), (std::vector<uint32_t>{0, 500, 200, 900}));
}

TEST_F(CutsceneLoaderTest, AfterStopIsTrueOnlyForTheExactWord) {
    const struct {
        const char* attribute;
        bool expected;
    } cases[] = {{"afterstop=\"true\"", true}, {"afterstop=\"True\"", false},
                 {"afterstop=\"1\"", false},   {"afterstop=\"TRUE\"", false},
                 {"afterstop=\"\"", false},    {"", false}};
    for (const auto& c : cases) {
        vlkCutscene scene;
        ASSERT_TRUE(scene.Load(Scene(Keyframe(0, "", c.attribute))));
        EXPECT_EQ(scene.GetDefinition().keyframes[0].afterStop, c.expected) << c.attribute;
    }
}

TEST_F(CutsceneLoaderTest, TextStyleFromFileSetsEveryField) {
    vlkCutscene scene;
    ASSERT_TRUE(scene.Load(Scene(R"xml(
        <textstyle name="bare"/>
        <textstyle name="full" width="300" height="40" size="25" font="font/helsinki.mvec"
                   hjustify="HRight" vjustify="VBottom" color="FF000080"/>
        <textstyle name="centred" hjustify="HCenter" vjustify="VCenter"/>
        <textstyle name="unknown" hjustify="hcenter" vjustify="Middle"/>)xml")));
    const auto styles = scene.GetDefinition().textStyles;
    ASSERT_EQ(styles.size(), 4u);
    EXPECT_EQ(styles[0].font.ToStd(), "") << "no font attribute: an empty name, not Arial";
    EXPECT_EQ(styles[0].width, 0);
    EXPECT_EQ(styles[0].height, 0);
    EXPECT_EQ(styles[0].size, 0);
    EXPECT_EQ(styles[0].justify, 0u);
    EXPECT_EQ(styles[0].colour, TColor(0.0f, 0.0f, 0.0f, 0.0f));
    EXPECT_EQ(styles[1].width, 300);
    EXPECT_EQ(styles[1].height, 40);
    EXPECT_EQ(styles[1].size, 25);
    EXPECT_EQ(styles[1].font.ToStd(), "font/helsinki.mvec");
    EXPECT_EQ(styles[1].justify, 2u | 8u);
    EXPECT_FLOAT_EQ(styles[1].colour.r, 1.0f);
    EXPECT_FLOAT_EQ(styles[1].colour.a, 128.0f / 255.0f);
    EXPECT_EQ(styles[2].justify, 1u | 4u);
    EXPECT_EQ(styles[3].justify, 0u) << "the words are compared exactly";
    // The style every cut-scene keeps besides its list.
    const vlkTextStyle& fallback = scene.GetDefaultTextStyle();
    EXPECT_EQ(fallback.font.ToStd(), "Arial");
    EXPECT_EQ(fallback.size, 12);
    EXPECT_EQ(fallback.width, 100);
    EXPECT_EQ(fallback.height, 50);
    EXPECT_EQ(fallback.justify, 5u);
    EXPECT_EQ(fallback.colour, TColor(0.0f, 0.0f, 0.0f, 1.0f));
}

TEST_F(CutsceneLoaderTest, RepeatedParamTheLastOneCounts) {
    vlkAction action;
    action.params = {{"value", "1"}, {"time", "5"}, {"value", "7"}};
    EXPECT_EQ(action.ParamInt("value", -1), 7);
    EXPECT_EQ(action.ParamInt("time", -1), 5);
    EXPECT_EQ(action.ParamInt("missing", -1), -1);
    EXPECT_FLOAT_EQ(action.ParamFloat("value", 0.0f), 7.0f);
    action.params = {{"x", "3.5"}, {"z", "-2"}};
    const TVec3 xyz = action.ParamXyz();
    EXPECT_EQ(xyz, TVec3(3.5f, 0.0f, -2.0f));
    EXPECT_TRUE(action.ParamVisible()) << "no value shows";
    action.params = {{"value", "true"}, {"value", "TRUE"}};
    EXPECT_FALSE(action.ParamVisible()) << "the last value, compared exactly";
}

TEST_F(CutsceneLoaderTest, FpsOutsideOneToAThousandIsRefused) {
    const struct {
        const char* fps;
        bool loads;
        uint32_t interval;
    } cases[] = {{"fps=\"0\"", false, 0},    {"", false, 0},
                 {"fps=\"-30\"", false, 0},  {"fps=\"abc\"", false, 0},
                 {"fps=\"1001\"", false, 0}, {"fps=\"1\"", true, 1000},
                 {"fps=\"1000\"", true, 1},  {"fps=\"60\"", true, 16}};
    for (const auto& c : cases) {
        vlkCutscene scene;
        const size_t mark = Mark();
        EXPECT_EQ(scene.Load(Scene("<object name=\"a\" type=\"sound\"/>" + Keyframe(0), c.fps)),
                  c.loads)
            << c.fps;
        if (c.loads) {
            EXPECT_EQ(scene.GetFrameInterval(), c.interval) << c.fps;
            EXPECT_EQ(scene.GetObjects().size(), 1u);
        } else {
            EXPECT_NE(LogSince(mark).find("it must be 1 to 1000"), std::string::npos) << c.fps;
            EXPECT_TRUE(scene.GetObjects().empty());
            EXPECT_EQ(scene.GetTimeLine().GetCount(), 0u);
        }
    }
}

TEST_F(CutsceneLoaderTest, MissingFileOrRootIsRefusedAndEmptiesTheScene) {
    vlkCutscene scene;
    ASSERT_TRUE(scene.Load(Scene("<object name=\"a\" type=\"sound\"/>" + Keyframe(0))));
    ASSERT_EQ(scene.GetObjects().size(), 1u);
    size_t mark = Mark();
    EXPECT_FALSE(scene.Load(TString(("::" + (mFolder.Path() / "absent.xml").string()).c_str())));
    EXPECT_NE(LogSince(mark).find("nothing read from"), std::string::npos);
    EXPECT_TRUE(scene.GetObjects().empty());
    EXPECT_EQ(scene.GetTimeLine().GetCount(), 0u);
    EXPECT_EQ(scene.CountKeyframes(), 1u) << "the definition keeps what it held";

    mark = Mark();
    const TString other(("::" + mFolder.Write("other.xml", "<Scene fps=\"30\"/>")).c_str());
    EXPECT_FALSE(scene.Load(other));
    EXPECT_NE(LogSince(mark).find("has no Cutscene element"), std::string::npos);
}

TEST_F(CutsceneLoaderTest, ColourParseTable) {
    const struct {
        const char* text;
        float r, g, b, a;
    } cases[] = {
        {"FF000080", 1.0f, 0.0f, 0.0f, 128.0f / 255.0f},
        {"00ff7fFF", 0.0f, 1.0f, 127.0f / 255.0f, 1.0f},
        {"", 0.0f, 0.0f, 0.0f, 0.0f},
        {"FF", 1.0f, 0.0f, 0.0f, 0.0f},
        {"FFF", 1.0f, 15.0f / 255.0f, 0.0f, 0.0f},
        {"GG0000FF", 1.0f, 0.0f, 0.0f, 1.0f},
        {"0x112233", 1.0f, 17.0f / 255.0f, 34.0f / 255.0f, 51.0f / 255.0f},
        {"12 45678", 18.0f / 255.0f, 1.0f, 86.0f / 255.0f, 120.0f / 255.0f},
        {"FF000080FF", 1.0f, 0.0f, 0.0f, 128.0f / 255.0f},
    };
    for (const auto& c : cases) {
        const TColor colour = ParseHexColour(c.text);
        EXPECT_FLOAT_EQ(colour.r, c.r) << c.text;
        EXPECT_FLOAT_EQ(colour.g, c.g) << c.text;
        EXPECT_FLOAT_EQ(colour.b, c.b) << c.text;
        EXPECT_FLOAT_EQ(colour.a, c.a) << c.text;
    }
}

TEST_F(CutsceneLoaderTest, CopiesShareNothing) {
    vlkCutscene scene;
    ASSERT_TRUE(scene.Load(Scene("<object name=\"a\" type=\"sound\"/><object name=\"b\" "
                                 "type=\"sound\"/>" +
                                 Keyframe(0, Action("System", "", "Stop")) + Keyframe(100))));
    vlkCutscene copy(scene);
    ASSERT_EQ(copy.GetObjects().size(), 2u);
    EXPECT_NE(copy.GetObjects()[0].get(), scene.GetObjects()[0].get());
    EXPECT_EQ(copy.GetTimeLine().GetTimes(), scene.GetTimeLine().GetTimes());
    EXPECT_EQ(copy.GetFrameInterval(), 33u);
    // Running the copy's keyframes lower-cases its own records only.
    copy.Play();
    copy.Update(10);
    EXPECT_TRUE(copy.IsWaitingAtStop());
    EXPECT_EQ(copy.GetDefinition().keyframes[0].actions[0].object.ToStd(), "system");
    EXPECT_EQ(scene.GetDefinition().keyframes[0].actions[0].object.ToStd(), "System");
    // A second LoadFrom does not pile up the event times.
    copy.LoadFrom(scene);
    copy.LoadFrom(scene);
    EXPECT_EQ(copy.GetTimeLine().GetCount(), 2u);
    EXPECT_EQ(copy.GetObjects().size(), 2u);
}

} // namespace
