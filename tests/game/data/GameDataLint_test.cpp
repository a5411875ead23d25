#include "game/data/GameDataLint.h"

#include "game/data/LevelRecords.h"
#include "game/data/MetamapNodes.h"
#include "game/support/GameDataFixture.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const kDataFiles[] = {"config.xml",  "game.xml",     "classic.xml",
                                  "blitz.xml",   "strategy.xml", "rome.xml",
                                  "romegpx.xml", "joker.xml",    "metamap.xml"};

std::string ShippedFolder() {
    return std::string(CORVALO_TEST_DATA) + "/../../assets";
}

std::string ReadText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

class GameDataLintTest : public support::GameDataTest {
protected:
    // The shipped data files copied, one of them changed: `from` replaced
    // by `to` once.
    TString Variant(const std::string& file, const std::string& from, const std::string& to) {
        for (const char* name : kDataFiles) {
            std::string text = ReadText(std::filesystem::path(ShippedFolder()) / name);
            if (file == name) {
                const size_t at = text.find(from);
                EXPECT_NE(at, std::string::npos) << file << " holds no " << from;
                if (at != std::string::npos)
                    text.replace(at, from.size(), to);
            }
            mData.Write(name, text);
        }
        return TString(("::" + mData.Path().string()).c_str());
    }

    support::TempFolder mData;
};

TEST_F(GameDataLintTest, ShippedData_HoldsTogether) {
    const std::vector<std::string> problems =
        LoadAndLintGameData(TString(("::" + ShippedFolder()).c_str()));
    EXPECT_TRUE(problems.empty()) << Joined(problems);
    // It did read the data.
    EXPECT_GE(GetClassicLevelCount(), 56);
    EXPECT_EQ(GetNodeCount(), 56);
    EXPECT_EQ(GetGameModeCount(), 3);
}

TEST_F(GameDataLintTest, BrokenVariants_AreReported) {
    const struct {
        const char* file;
        const char* from;
        const char* to;
        const char* reported;
    } cases[] = {
        {"config.xml", R"(<tile name="golden"><type>special</type></tile>)", "",
         "tile kind golden is defined 0 times"},
        {"config.xml", R"(<tile name="diamond">)", R"(<tile name="star">)",
         "tile kind star is defined 2 times"},
        {"config.xml", R"(<tile name="joker"><type>special</type>)",
         R"(<tile name="joker"><type>bonus</type>)", "tile kind joker has type 101 (102 wanted)"},
        {"config.xml", R"(<tile name="sun">)", R"(<tile name="moon">)",
         "tile record 5 names no tile kind (\"moon\")"},
        {"config.xml", "<velocity>6.0</velocity>", "<velocity>0</velocity>", "game.velocity is 0"},
        {"config.xml", "<hideAnim>200</hideAnim>", "", "time.hideAnim is 0"},
        {"config.xml", "<screen1>1</screen1>", "<screen1>2</screen1>",
         "achieve.screen1 is 2 (1 at most)"},
        {"config.xml", "<screen5>5</screen5>", "<screen5>6</screen5>", "achieve.screen5 is 6"},
        {"config.xml", "<wild>15</wild>", "<wild>99</wild>", "threshold 99 is out of the quest"},
        {"config.xml", "<window>376,112,518,592</window>", "<window>376,112</window>",
         "\"window\" has 2 of its four values"},
        {"config.xml", "<position>37,629,74,74</position>", "<position>37,629,40,74</position>",
         "board 1: a pitch of 40 x 74 leaves no room"},
        {"config.xml", "<window>347,64,576,640</window>", "<window>347,64,576,600</window>",
         "board 2: play slot 9 at (32, 608) is outside its 576 x 600 window"},
        {"config.xml", "<row>12</row><col>11</col>", "<row>11</row><col>11</col>",
         "board 3 is 11 x 11 (11 x 12 wanted)"},
        {"classic.xml", "<tiles>star,diamond,shamrock</tiles>", "<tiles>star,moon,shamrock</tiles>",
         "classic.xml: level 1: tile 2 has no known kind name"},
        {"classic.xml", "<quota>22</quota>", "<quota>90</quota>",
         "classic.xml: level 1: quota 90 is beyond a paced player"},
        {"classic.xml", "<timeMatchDec>20</timeMatchDec>", "<timeMatchDec>61</timeMatchDec>",
         "classic.xml: level 1: timeMatch 1500 less 20 steps of 61 falls below 300 ms"},
        {"classic.xml", "<mode>1</mode>", "<mode>4</mode>", "classic.xml: level 1: mode 4"},
        {"classic.xml", "<tiles>star,diamond,shamrock</tiles><bonus></bonus>",
         "<tiles>star,diamond,shamrock</tiles><bonus>bomb</bonus>",
         "classic.xml: level 1: 4 kinds, 3 chances and 3 caps"},
        {"blitz.xml", "<maxBonus>1,1,1</maxBonus>", "<maxBonus>1,1</maxBonus>",
         "blitz.xml: level 25: 8 kinds, 8 chances and 7 caps; cut to 7"},
        {"blitz.xml", "<quota>41</quota>", "<quota>60</quota>", "blitz.xml: level 33: quota 60"},
        {"strategy.xml", "<errorRow>9</errorRow>", "<errorRow>0</errorRow>",
         "strategy.xml: level 1: quota 12, errorRow 0"},
        {"strategy.xml", "<quota>12</quota>", "<quota>45</quota>",
         "strategy.xml: level 1: quota 45 is beyond 12.6 on board 1"},
        {"rome.xml", "<gpx>2</gpx>", "<gpx>30</gpx>",
         "rome.xml: level 2: gpx row 30 has 99 slots for a board of 63"},
        {"rome.xml", "<gpx>3</gpx>", "<gpx>99</gpx>", "rome.xml: level 3: gpx 99 names no row"},
        {"romegpx.xml", "<board name=\"1\"><gpx>1,", "<board name=\"1\"><gpx>",
         "rome.xml: level 1: gpx row 1 has 66 slots for a board of 63"},
        {"rome.xml", "<timer><mode1>120</mode1>", "<timer><mode1>20</mode1>",
         "marks (a paced player clears 8.8 in 20 s)"},
        {"joker.xml", "<level name=\"1\"><mode>1</mode>", "<level name=\"1\"><mode>4</mode>",
         "joker.xml: level 1: mode 4 is no board layout (1 to 3); dropped"},
        {"joker.xml", "<init_tiles>2</init_tiles>", "<init_tiles>20</init_tiles>",
         "joker.xml: level 1: 22 good cards on a board of 56"},
        {"joker.xml", "<mode1>10</mode1>", "<mode1>19</mode1>", "joker.xml: index.mode1 is 19"},
        {"metamap.xml", "<level>55</level>", "<level>99</level>",
         "metamap.xml: node 56: level 99 is not in its mode's table"},
        {"metamap.xml", "<node name=\"30\">", "<node name=\"31\">",
         "metamap.xml: 29 nodes (56 wanted)"},
        {"metamap.xml", "<level>9</level><neighbors>11</neighbors>", "<level>9</level>",
         "metamap.xml: node 11 cannot be reached"},
        {"metamap.xml", "<reward>wild</reward>", "",
         "metamap.xml: node 5 deals wild before the quest rewards it"},
        {"metamap.xml", "<mode>strategy</mode><level>2</level>",
         "<mode>rome</mode><level>2</level>", "node 3 has the unknown mode \"rome\""},
    };
    for (const auto& c : cases) {
        const std::vector<std::string> problems =
            LoadAndLintGameData(Variant(c.file, c.from, c.to));
        const std::string text = Joined(problems);
        EXPECT_NE(text.find(c.reported), std::string::npos)
            << c.file << ": " << c.from << " -> " << c.to << "\nreported:\n"
            << text;
    }
}

TEST_F(GameDataLintTest, UnreadableFolder_IsOneProblem) {
    const std::vector<std::string> problems =
        LoadAndLintGameData(TString(("::" + (mData.Path() / "nothing").string()).c_str()));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("config.xml: cannot be read"), std::string::npos);
}

} // namespace
