#pragma once

#include "framework/ui/window/TWindow.h"

#include <cstdint>
#include <memory>
#include <vector>

class TButton;
class TImage;

// One mode's panel of the quick play screen: the easy, medium and hard
// buttons ("btnDifficulty1" to "btnDifficulty3"), each with a lock picture
// ("bmpDifficulty%d_lock1") shown in its place while the difficulty is
// locked. The window table opens a difficulty with a non-zero "st_easy",
// "st_medium" or "st_hard"; the quick play screen then locks and opens them
// from the player's progress. The buttons belong to the window tree.
class clsPanelModeGame : public TWindow {
public:
    static constexpr int32_t kDifficultyCount = 3;

    struct PanelDifficulty {
        TButton* button = nullptr;
        TImage* lock = nullptr;
        bool locked = false;
    };

    clsPanelModeGame() = default;

    const char* GetClassName() const override { return "clsPanelModeGame"; }
    bool IsKindOf(TWindowClassId id) const override {
        return id == GetClassId() || TWindow::IsKindOf(id);
    }
    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }
    static TWindowClassId GetClassId() { return &Create; }

    // A panel that lacks one of the three buttons keeps no difficulties and
    // says it is incomplete.
    void PostInit(TWindowStyle& style) override;

    // Shows the lock in the button's place when locked, the button when
    // not. An unchanged flag is left alone unless forced; an index outside
    // 0-2 (or a panel without that difficulty) does nothing.
    void SetDifficultyLocked(int32_t index, bool locked, bool force);
    void ClearDifficulties();

    const std::vector<std::unique_ptr<PanelDifficulty>>& GetDifficulties() const {
        return mDifficulties;
    }
    bool IsIncomplete() const { return mIncomplete != 0; }
    bool IsDifficultyLocked(int32_t index) const;

protected:
    ~clsPanelModeGame() override = default;

private:
    std::vector<std::unique_ptr<PanelDifficulty>> mDifficulties;
    uint8_t mIncomplete = 0;
};
