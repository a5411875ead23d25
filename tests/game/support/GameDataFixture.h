#pragma once

// The rules' small data set (tests/data/game: three 3 x 4 board layouts,
// the fifteen tile kinds, two levels per mode, a five-node quest map) and a
// test base that loads it, logs into a folder of its own and leaves the
// game's tables and tuning values as it found them.

#include "framework/core/log/TLog.h"
#include "game/data/ModeFiles.h"
#include "support/LogText.h"
#include "support/TempFolder.h"
#include "velk/data/vlkXmlData.h"
#include "velk/game/GameConfig.h"
#include "velk/game/GameTuning.h"

#include <gtest/gtest.h>

#include <string>

namespace support {

// The folder of the rules' data set, as the game's file layer names an
// absolute path.
inline TString GameDataFolder() {
    return TString(("::" + std::string(CORVALO_TEST_DATA) + "/game").c_str());
}

// Reads the data set's tuning values and every table.
inline void LoadGameDataSet(const TString& folder = GameDataFolder()) {
    ResetGameData();
    vlkXmlData config(folder + TString("/config.xml"));
    ReadGameTuning(config);
    LoadConfigTables(config, folder);
    LoadModeFiles(folder);
}

class GameDataTest : public ::testing::Test {
protected:
    void SetUp() override {
        StartLog(mLogFolder.Path().string().c_str());
        mSavedTuning = gGameTuning;
        ResetGameData();
    }
    void TearDown() override {
        ResetGameData();
        gGameTuning = mSavedTuning;
        StartLog(nullptr);
    }

    static bool LogHas(const std::string& text) {
        return ReadLogText().find(text) != std::string::npos;
    }

    TempFolder mLogFolder;
    TGameTuning mSavedTuning;
};

} // namespace support
