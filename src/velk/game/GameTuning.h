#pragma once

#include "framework/core/text/TString.h"

#include <array>
#include <vector>

// The gameplay constants, read once at start-up from the configuration
// file and the mode files and only read afterwards. Each value is named
// after the table and key that fill it (score.match is the key "match" of
// the table "score"); a missing or empty key leaves 0 or empty.
struct TGameTuning {
    struct Game {
        int lives = 0;
        int bonus = 0;
        float velocity = 0.0f;
        int bonusRound = 0;
        TString facebook;
        // The effects list file and the quest-map node file.
        TString fx;
        TString metamap;
    } game;

    struct Score {
        int match = 0;
        int chain = 0;
        int deltaChain = 0;
        int combo = 0;
        int deltaCombo = 0;
        int bonus = 0;
        int deltaBonus = 0;
        int clearedAllTiles = 0;
        int jokerBonus = 0;
    } score;

    struct Time {
        int preLevel = 0;
        int initLevel = 0;
        int freeze = 0;
        int showtime = 0;
        int showCards = 0;
        int revealWait = 0;
        int intervalShowCards = 0;
        int intervalHideCards = 0;
        int showGolden = 0;
        int intervalShowGolden = 0;
        int clearTiles = 0;
        // The periods of a level's interval timers: goldenAnim, standAnim,
        // matchAnim, bonusMatchAnim.
        std::array<int, 4> timerPeriods{};
        int vanishAnim = 0;
        int hideAnim = 0;
        int showAnim = 0;
    } time;

    // The achievement thresholds by achievement number: score, bomb,
    // freeze, wild, showtime, sidewinder, screen1, screen5.
    enum Achievement {
        kScore,
        kBomb,
        kFreeze,
        kWild,
        kShowtime,
        kSidewinder,
        kScreen1,
        kScreen5,
        kAchievementCount
    };
    struct Achieve {
        std::array<int, kAchievementCount> thresholds{};
        std::vector<int> unlockInQuestMode;
    } achieve;

    struct Animation {
        int spritetext = 0;
    } animation;

    // Values of the mode files, filled by their loaders: a value per
    // difficulty (mode1 to mode3) and the combo bonuses.
    struct ModeValues {
        std::array<int, 3> timer{};
        std::array<int, 3> index{};
        std::vector<int> combos;
    } blitz, rome, joker;
};

// The one set of values.
extern TGameTuning gGameTuning;
