// The board frames that the build draws and places (scripts/board_frames.lua
// and the frame pictures in the build's assets) stand round every tile of
// their board as the game's configuration places the tiles.

#include "game/data/GameTables.h"
#include "game/data/ModeFiles.h"
#include "velk/data/vlkXmlData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

namespace {

const std::string kAssets = std::string(CORVALO_BINARY_DIR) + "/assets/";
// Half a tile picture: tiles are drawn centred on their slot's position.
constexpr float kHalfTileW = 28.0f;
constexpr float kHalfTileH = 30.0f;

struct Frame {
    std::string name, image;
    int x = 0, y = 0, w = 0, h = 0;
};

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The frames the build wrote, each with its picture's size (from the PNG
// header).
std::vector<Frame> BuiltFrames() {
    std::vector<Frame> frames;
    const std::string lua = Read(kAssets + "scripts/board_frames.lua");
    const std::regex entry("name = '([^']+)', image = '([^']+)', x = (-?\\d+), y = (-?\\d+)");
    for (auto it = std::sregex_iterator(lua.begin(), lua.end(), entry);
         it != std::sregex_iterator(); ++it) {
        Frame frame{(*it)[1], (*it)[2], std::stoi((*it)[3]), std::stoi((*it)[4])};
        const std::string png = Read(kAssets + frame.image);
        if (png.size() >= 24) {
            auto word = [&](size_t at) {
                return (static_cast<unsigned char>(png[at]) << 24) |
                       (static_cast<unsigned char>(png[at + 1]) << 16) |
                       (static_cast<unsigned char>(png[at + 2]) << 8) |
                       static_cast<unsigned char>(png[at + 3]);
            };
            frame.w = static_cast<int>(word(16));
            frame.h = static_cast<int>(word(20));
        }
        frames.push_back(frame);
    }
    return frames;
}

TEST(BoardFrames, EachFrameStandsRoundEveryPlayTileOfItsBoard) {
    BuildBoardGeometry(vlkXmlData(TString(("::" + kAssets + "config.xml").c_str())));
    const std::vector<Frame> frames = BuiltFrames();
    const char* names[] = {"bmpFrame7x8", "bmpFrame9x10", "bmpFrame11x12"};
    ASSERT_EQ(3, GetGameModeCount());
    ASSERT_EQ(3u, frames.size());
    for (int board = 0; board < 3; ++board) {
        const Frame& frame = frames[static_cast<size_t>(board)];
        const TGameModeRecord& geometry = *GetGameModeRecord(board);
        EXPECT_EQ(names[board], frame.name);
        ASSERT_GT(frame.w, 0) << frame.image;
        // The board window's slot positions are inside the board window.
        const float left = static_cast<float>(geometry.window[0]);
        const float top = static_cast<float>(geometry.window[1]);
        float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
        for (int slot = geometry.col; slot < geometry.positionCount; ++slot) {
            const TVec2& p = geometry.positions[static_cast<size_t>(slot)];
            minX = std::min(minX, left + p.x - kHalfTileW);
            maxX = std::max(maxX, left + p.x + kHalfTileW);
            minY = std::min(minY, top + p.y - kHalfTileH);
            maxY = std::max(maxY, top + p.y + kHalfTileH);
        }
        // The frame's band (some 16 px) lies round the tiles, close to
        // them on every side.
        const float gaps[4] = {minX - static_cast<float>(frame.x),
                               minY - static_cast<float>(frame.y),
                               static_cast<float>(frame.x + frame.w) - maxX,
                               static_cast<float>(frame.y + frame.h) - maxY};
        for (float gap : gaps) {
            EXPECT_GE(gap, 12.0f) << frame.name;
            EXPECT_LT(gap, 40.0f) << frame.name;
        }
    }
    MutableGameTables().geometry.clear();
}

} // namespace
