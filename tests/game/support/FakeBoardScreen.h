#pragma once

#include "framework/ui/window/TWindow.h"
#include "game/board/BoardScreen.h"
#include "game/board/BottomPanel.h"
#include "game/board/TopPanel.h"
#include "game/board/guiCorvalo.h"
#include "game/state/dtUserState.h"

#include <algorithm>
#include <string>
#include <vector>

// A call log shared by the fakes of the board screen and its panels: one
// line per call, "Name" or "Name argument".
struct CallLog {
    std::vector<std::string> calls;

    void Add(std::string call) { calls.push_back(std::move(call)); }
    int Count(const std::string& call) const {
        return static_cast<int>(std::count(calls.begin(), calls.end(), call));
    }
    bool Has(const std::string& call) const { return Count(call) > 0; }
    // Lines that begin with the prefix.
    int CountPrefix(const std::string& prefix) const {
        return static_cast<int>(std::count_if(calls.begin(), calls.end(), [&](const auto& c) {
            return c.compare(0, prefix.size(), prefix) == 0;
        }));
    }
    // Index of the first line equal to call at or after `from`; -1 if none.
    int Find(const std::string& call, int from = 0) const {
        for (size_t i = static_cast<size_t>(std::max(0, from)); i < calls.size(); ++i)
            if (calls[i] == call)
                return static_cast<int>(i);
        return -1;
    }
};

// The bottom panel: records its calls and keeps the shown total.
class FakeBottomPanel : public TWindow, public BottomPanel {
public:
    explicit FakeBottomPanel(CallLog& log) : TWindow(TString("btmCorvalo")), mLog(log) {}

    void SetPlayInfo(int mode, int difficulty, int task, const TString& style) override {
        mLog.Add("SetPlayInfo " + std::to_string(mode) + " " + std::to_string(difficulty) + " " +
                 std::to_string(task) + " " + style.ToStd());
    }
    void SetupClassic(dtUserState* user) override { Setup("SetupClassic", user); }
    void SetupBlitz(dtUserState* user) override { Setup("SetupBlitz", user); }
    void SetupStrategy(dtUserState* user) override { Setup("SetupStrategy", user); }
    void SetupRome(dtUserState* user) override { Setup("SetupRome", user); }
    void SetupJoker(dtUserState* user, int) override { Setup("SetupJoker", user); }
    void ShowClock(bool show) override { mLog.Add(std::string("ShowClock ") + (show ? "1" : "0")); }
    void SetNewRowEnabled(bool on) override {
        newRowEnabled = on;
        mLog.Add(std::string("SetNewRowEnabled ") + (on ? "1" : "0"));
    }
    void UpdateNewRowEnabled(bool on) override {
        if (on != newRowEnabled)
            SetNewRowEnabled(on);
    }
    void ShowNewRowButton(bool show) override {
        newRowButton = show;
        mLog.Add(std::string("ShowNewRowButton ") + (show ? "1" : "0"));
    }
    void UpdateTimeBar(float fraction) override { timeBar = fraction; }
    void UpdateClock(int32_t remaining) override { clock = remaining; }
    void UpdateGoalBar(float fraction) override { goalBar = fraction; }
    void AddScore(int32_t points) override {
        score += points;
        mLog.Add("AddScore " + std::to_string(points));
    }
    int32_t GetScore() const override { return score; }
    void SetAvatarMood(int mood) override { mLog.Add("SetAvatarMood " + std::to_string(mood)); }
    void SetAvatarVisible(bool visible) override {
        mLog.Add(std::string("SetAvatarVisible ") + (visible ? "1" : "0"));
    }
    int32_t StoreScore() override {
        mLog.Add("StoreScore");
        return score;
    }

    int32_t score = 0;
    float timeBar = 0.0f;
    int32_t clock = -1;
    float goalBar = 0.0f;
    bool newRowEnabled = false;
    bool newRowButton = false;

private:
    void Setup(const char* name, dtUserState* user) {
        mLog.Add(std::string(name) + (user ? "" : " null"));
    }
    CallLog& mLog;
};

class FakeTopPanel : public TWindow, public TopPanel {
public:
    explicit FakeTopPanel(CallLog& log) : TWindow(TString("topCorvalo")), mLog(log) {}

    void SetUserState(dtUserState*) override { mLog.Add("SetUserState"); }
    void SetTotalScore(int32_t total) override {
        mLog.Add("SetTotalScore " + std::to_string(total));
    }
    void ShowScoreCard() override { mLog.Add("ShowScoreCard"); }
    void ShowJokerScoreCard(bool bonus) override {
        mLog.Add(std::string("ShowJokerScoreCard ") + (bonus ? "1" : "0"));
    }
    void ShowFloatingText(const TString& text) override {
        mLog.Add("ShowFloatingText " + text.ToStd());
    }
    void UpdateFloatingTexts() override { ++floatingUpdates; }

    int floatingUpdates = 0;

private:
    CallLog& mLog;
};

// The board screen with its three children: the board window, the bottom
// panel and the top panel (each can be left out). The celebration lasts
// `celebrationFrames` calls of IsCelebrating and gives one score burst.
class FakeBoardScreen : public TWindow, public BoardScreen {
public:
    explicit FakeBoardScreen(bool withChildren = true) : TWindow(TString("wndCorvalo")) {
        if (!withChildren)
            return;
        board = new guiCorvalo();
        AddChild(board, false);
        bottom = new FakeBottomPanel(log);
        AddChild(bottom, false);
        top = new FakeTopPanel(log);
        AddChild(top, false);
    }

    void StartCountdown(const TString& text) override { log.Add("StartCountdown " + text.ToStd()); }
    void ResetAchievementPanels() override { log.Add("ResetAchievementPanels"); }
    void SkipCelebration() override { ++skips; }
    void ShowCircle(bool show) override {
        log.Add(std::string("ShowCircle ") + (show ? "1" : "0"));
    }
    void ShowTilesCompleted() override { log.Add("ShowTilesCompleted"); }
    void StartCelebration() override {
        log.Add("StartCelebration");
        celebrating = celebrationFrames;
        burst = true;
    }
    bool IsCelebrating() override {
        if (celebrating > 0) {
            --celebrating;
            return true;
        }
        return false;
    }
    bool TakeScoreBurst() override {
        const bool taken = burst;
        burst = false;
        return taken;
    }
    void CloseCurtains() override { log.Add("CloseCurtains"); }
    void CloseBoard() override { log.Add("CloseBoard"); }
    void ResetBackground() override { log.Add("ResetBackground"); }
    void ShowLives(int lives) override { log.Add("ShowLives " + std::to_string(lives)); }
    void SetBoardWarning(bool on) override {
        log.Add(std::string("SetBoardWarning ") + (on ? "1" : "0"));
    }
    void ShowCombo(int n) override { log.Add("ShowCombo " + std::to_string(n)); }
    void ShowChainedCombo(int n) override { log.Add("ShowChainedCombo " + std::to_string(n)); }
    void ShowSuperCombo(int n) override { log.Add("ShowSuperCombo " + std::to_string(n)); }
    void ShowGridClear() override { log.Add("ShowGridClear"); }
    void ShowAlmostThere() override { log.Add("ShowAlmostThere"); }
    void ShowGood() override { log.Add("ShowGood"); }
    void StopAlmostThere() override { log.Add("StopAlmostThere"); }
    void ShowAchievement(const TString& label) override {
        log.Add("ShowAchievement " + label.ToStd());
    }
    void StartFreeze() override { log.Add("StartFreeze"); }
    void EndFreeze() override { log.Add("EndFreeze"); }
    void PlayGameplayMusic() override { log.Add("PlayGameplayMusic"); }
    void StopGameplayMusic() override { log.Add("StopGameplayMusic"); }

    CallLog log;
    guiCorvalo* board = nullptr;
    FakeBottomPanel* bottom = nullptr;
    FakeTopPanel* top = nullptr;
    int skips = 0;
    int celebrationFrames = 3;
    int celebrating = 0;
    bool burst = false;
};
