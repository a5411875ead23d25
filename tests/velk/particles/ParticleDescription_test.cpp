#include "velk/particles/TParticleDescription.h"
#include "velk/particles/TParticleSystem.h"

#include "framework/core/log/TLog.h"
#include "framework/core/settings/TSettings.h"
#include "framework/core/xml/TXmlNode.h"
#include "support/LogText.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using Desc = TParticleEmitterDesc;

// The description of a "parsys" snippet.
TParticleDescription Read(const std::string& xml) {
    TXmlNode document;
    document.LoadBuffer(xml.data(), xml.size(), "snippet");
    TParticleDescription description;
    TXmlNode* parsys = document.FindChild("parsys");
    EXPECT_NE(parsys, nullptr) << xml;
    if (parsys) {
        ReadParticleDescription(*parsys, description);
    }
    return description;
}

// One emitter's description from the children of its element.
Desc Emitter(const std::string& inner) {
    const TParticleDescription description =
        Read("<parsys name=\"p\"><emitter name=\"e\" texture=\"t.png\">" + inner +
             "</emitter></parsys>");
    EXPECT_EQ(description.emitters.size(), 1u) << inner;
    return description.emitters.empty() ? Desc() : description.emitters[0];
}

TEST(ParticleDescription, EmitterElements_AsATable) {
    struct Case {
        const char* xml;
        std::function<bool(const Desc&)> holds;
        const char* what;
    } cases[] = {
        {"",
         [](const Desc& d) {
             return d.equation == 0 && d.sourceFactor == 6 && d.destinationFactor == 7;
         },
         "no blend: add, srcalpha, oneminussrcalpha"},
        {"<blend equ=\"Min\"/>",
         [](const Desc& d) {
             return d.equation == 3 && d.sourceFactor == 6 && d.destinationFactor == 6;
         },
         "blend with only equ: both factors 6"},
        {"<blend equ=\"ReverseSubtract\" src=\"ONE\" dst=\"Zero\"/>",
         [](const Desc& d) {
             return d.equation == 2 && d.sourceFactor == 1 && d.destinationFactor == 0;
         },
         "equation and factors without regard to case"},
        {"<blend equ=\"subtract\" src=\"srcalphasaturate\" dst=\"oneminusconstantalpha\"/>",
         [](const Desc& d) {
             return d.equation == 1 && d.sourceFactor == 14 && d.destinationFactor == 13;
         },
         "the last names of the tables"},
        {"<blend equ=\"LogicOp\" src=\"bogus\" dst=\"\"/>",
         [](const Desc& d) {
             return d.equation == 5 && d.sourceFactor == 6 && d.destinationFactor == 6;
         },
         "unknown factors are 6"},
        {"<blend equ=\"mul\" dst=\"one\"/>",
         [](const Desc& d) { return d.equation == 0 && d.destinationFactor == 1; },
         "unknown equation is add"},
        {"<particles count=\"12\" cycles=\"3\" folltray=\"TRUE\" elinked=\"T\"/>",
         [](const Desc& d) {
             return d.count == 12 && d.cycles == 3 && d.followTrajectory && d.linked;
         },
         "count, cycles, booleans in capitals"},
        {"<particles folltray=\"yes\" elinked=\"0\"/>",
         [](const Desc& d) { return !d.followTrajectory && !d.linked && d.count == 0; },
         "yes and 0 are false"},
        {"<particles Count=\"12\"/>", [](const Desc& d) { return d.count == 0; },
         "attribute names are exact"},
        {"<PARTICLES count=\"5\"><InitLinkStart center=\"1\" rotate=\"true\" translate=\"t\" "
         "scale=\"no\"/></PARTICLES>",
         [](const Desc& d) {
             return d.count == 5 && d.linkCenter && d.linkRotate && d.linkTranslate && !d.linkScale;
         },
         "element names in any case"},
        {"<scale x=\"2\" y=\"3\"/><rotate z=\"90\"/>",
         [](const Desc& d) {
             return d.scale[0] == 2.0f && d.scale[1] == 3.0f && d.scale[2] == 0.0f &&
                    d.rotate[0] == 0.0f && d.rotate[2] == 90.0f;
         },
         "scale and rotate: a missing attribute is 0"},
        {"<particles><COLOR><start><inferior red=\"10\" green=\"20\" blue=\"30\" alpha=\"40\"/>"
         "<superior red=\"50\"/></start></COLOR></particles>",
         [](const Desc& d) {
             return d.colour[Desc::ColourIndex(0, 0, 0)] == 10.0f &&
                    d.colour[Desc::ColourIndex(0, 0, 3)] == 40.0f &&
                    d.colour[Desc::ColourIndex(0, 1, 0)] == 50.0f &&
                    d.colour[Desc::ColourIndex(0, 1, 1)] == 0.0f &&
                    d.colour[Desc::ColourIndex(1, 0, 0)] == 1.0f &&
                    d.colour[Desc::ColourIndex(1, 1, 3)] == 1.0f;
         },
         "only start: every finish channel keeps 1.0"},
        {"<particles><time><life inferior=\"100\" superior=\"200\"/><fade "
         "superior=\"50\"/></time></particles>",
         [](const Desc& d) {
             return d.times[Desc::TimeIndex(0, 0)] == 0 && d.times[Desc::TimeIndex(1, 0)] == 100 &&
                    d.times[Desc::TimeIndex(1, 1)] == 200 && d.times[Desc::TimeIndex(2, 0)] == 0 &&
                    d.times[Desc::TimeIndex(2, 1)] == 50;
         },
         "times"},
        {"<particles><transform><acceleration><translate><superior x=\"1\" y=\"2\" "
         "z=\"3\"/></translate>"
         "</acceleration><Position><Center><inferior "
         "y=\"-4\"/></Center></Position></transform></particles>",
         [](const Desc& d) {
             return d.motion[Desc::MotionIndex(Desc::kAcceleration, Desc::kTranslate, 1, 0)] ==
                        1.0f &&
                    d.motion[Desc::MotionIndex(Desc::kAcceleration, Desc::kTranslate, 1, 2)] ==
                        3.0f &&
                    d.motion[Desc::MotionIndex(Desc::kPosition, Desc::kCenter, 0, 1)] == -4.0f;
         },
         "motion ranges by block, component, bound"},
        {"<blend dst=\"one\"/><blend equ=\"max\"/>",
         [](const Desc& d) { return d.equation == 4 && d.destinationFactor == 6; },
         "a later element overwrites the earlier"},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(c.holds(Emitter(c.xml))) << c.what << ": " << c.xml;
    }
}

TEST(ParticleDescription, RootNameProjectionAndEmitters) {
    const TParticleDescription empty = Read("<parsys name=\"Glow\"/>");
    EXPECT_STREQ(empty.name.CStr(), "Glow");
    EXPECT_TRUE(empty.emitters.empty());
    EXPECT_EQ(empty.projection.type, 3u);
    EXPECT_EQ(empty.projection.right, 640.0f);
    EXPECT_EQ(empty.projection.bottom, 480.0f);
    EXPECT_EQ(empty.projection.zfar, -100.0f);

    struct Case {
        const char* type;
        uint32_t expected;
    } types[] = {{"gluperspective", 0}, {"glfrustum", 1}, {"glortho2d", 2},
                 {"GLORTHO2D", 3},      {"glortho", 3},   {"", 3}};
    for (const Case& c : types) {
        const TParticleDescription d = Read(std::string("<parsys><projection type=\"") + c.type +
                                            "\" right=\"800\" fovy=\"45\"/></parsys>");
        EXPECT_EQ(d.projection.type, c.expected) << c.type;
        EXPECT_EQ(d.projection.right, 800.0f);
        EXPECT_EQ(d.projection.bottom, 0.0f);
        EXPECT_EQ(d.projection.fovy, 45.0f);
    }

    const TParticleDescription two = Read("<parsys><Emitter name=\"a-very-long-emitter-name\" "
                                          "texture=\"tex/a-very-long-texture.png\"/>"
                                          "<other/><EMITTER name=\"b\"/></parsys>");
    ASSERT_EQ(two.emitters.size(), 2u);
    // Names are kept whole.
    EXPECT_STREQ(two.emitters[0].name.CStr(), "a-very-long-emitter-name");
    EXPECT_STREQ(two.emitters[0].texture.CStr(), "tex/a-very-long-texture.png");
    EXPECT_STREQ(two.emitters[1].name.CStr(), "b");
}

class ParticleFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearSettings();
        StartLog(mFolder.Path().string().c_str());
    }
    void TearDown() override {
        StartLog(nullptr);
        ClearSettings();
    }
    std::string File(const std::string& name, const std::string& bytes) {
        return "::" + mFolder.Write(name, bytes);
    }
    support::TempFolder mFolder{"corvalo-parsys-"};
};

TEST_F(ParticleFileTest, Load_ReplacesTheEmittersAndRefusesFilesWithoutParsys) {
    const std::string two = File("two.xml", "<parsys name=\"two\"><emitter name=\"a\"/>"
                                            "<emitter name=\"b\"/></parsys>");
    const std::string one = File("one.xml", "<parsys name=\"one\"><emitter name=\"c\"/></parsys>");
    const std::string other = File("other.xml", "<path name=\"p\"/>");
    const std::string empty = File("empty.xml", "");

    TParticleSystem system;
    ASSERT_TRUE(system.LoadParticleSystem(TString(two.c_str())));
    EXPECT_EQ(system.GetEmitterCount(), 2);
    EXPECT_STREQ(system.GetFileName().CStr(), two.c_str());

    // A copy takes the description and file name; loading again into it
    // replaces its emitters rather than adding to them.
    TParticleSystem copy(system);
    EXPECT_EQ(copy.GetEmitterCount(), 2);
    EXPECT_STREQ(copy.GetFileName().CStr(), two.c_str());
    EXPECT_STREQ(copy.GetEmitter(1)->GetName().CStr(), "b");
    ASSERT_TRUE(copy.LoadParticleSystem(TString(one.c_str())));
    EXPECT_EQ(copy.GetEmitterCount(), 1);
    EXPECT_STREQ(copy.GetDescription().name.CStr(), "one");
    EXPECT_STREQ(copy.GetEmitter(0)->GetName().CStr(), "c");
    EXPECT_EQ(copy.GetEmitter(1), nullptr);

    for (const std::string& bad : {other, empty, std::string("::/no/such/file.xml")}) {
        EXPECT_FALSE(system.LoadParticleSystem(TString(bad.c_str()))) << bad;
        EXPECT_EQ(system.GetEmitterCount(), 2) << bad;
        EXPECT_STREQ(system.GetFileName().CStr(), two.c_str());
    }
    EXPECT_NE(support::ReadLogText().find("is no particle file"), std::string::npos);
}

// Damaged numbers of a particle file: each held to its range or its
// default with a line naming the file, the element and the value, and the
// system still loads.
TEST_F(ParticleFileTest, DamagedNumbers_AreHeldToTheirRanges) {
    struct Case {
        const char* what;
        const char* inner;
        std::function<bool(const Desc&)> holds;
        const char* line;
    } cases[] = {
        {"a count of -1", "<particles count=\"-1\"/>", [](const Desc& d) { return d.count == 0; },
         "<particles> \"count\" is -1, outside 0 to 4096; 0 is used"},
        {"a count past what the screen shows", "<particles count=\"2000000000\"/>",
         [](const Desc& d) { return d.count == 4096; }, "<particles> \"count\" is 2000000000"},
        {"negative cycles", "<particles count=\"5\" cycles=\"-7\"/>",
         [](const Desc& d) { return d.count == 5 && d.cycles == 0; },
         "<particles> \"cycles\" is -7"},
        {"a negative life",
         "<particles count=\"2\"><time><life inferior=\"-100\" superior=\"99999999999\"/>"
         "</time></particles>",
         [](const Desc& d) {
             return d.times[Desc::TimeIndex(1, 0)] == 0 &&
                    d.times[Desc::TimeIndex(1, 1)] == 3600000;
         },
         "<life> \"inferior\" is -100"},
        {"NaN in a colour keeps the default, infinity is the range's end",
         "<particles><color><start><inferior red=\"nan\" green=\"inf\"/></start></color>"
         "</particles>",
         [](const Desc& d) {
             return d.colour[Desc::ColourIndex(0, 0, 0)] == 1.0f &&
                    d.colour[Desc::ColourIndex(0, 0, 1)] == 1000000.0f;
         },
         "<inferior> \"red\" is nan"},
        {"NaN in a scale keeps its 1", "<scale x=\"nan\" y=\"2\"/>",
         [](const Desc& d) {
             return d.scale[0] == 1.0f && d.scale[1] == 2.0f && d.scale[2] == 0.0f;
         },
         "<scale> \"x\" is nan"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string file =
            File("bad.xml", std::string("<parsys name=\"p\"><emitter name=\"e\">") + c.inner +
                                "</emitter></parsys>");
        TParticleSystem system;
        ASSERT_TRUE(system.LoadParticleSystem(TString(file.c_str())));
        ASSERT_EQ(system.GetDescription().emitters.size(), 1u);
        EXPECT_TRUE(c.holds(system.GetDescription().emitters[0]));
        const std::string log = support::ReadLogText();
        EXPECT_NE(log.find(file + ": " + c.line), std::string::npos) << log;
    }
}

} // namespace
