#include "game/screens/clsPanelModeGame.h"

#include "framework/ui/widgets/TButton.h"
#include "framework/ui/widgets/TImage.h"
#include "framework/ui/window/TWindowStyle.h"
#include "velk/container/WindowVisibility.h"

#include <cstdio>
#include <new>

namespace {

constexpr int32_t kSearchDepth = 2;
constexpr const char* kOpenKeys[clsPanelModeGame::kDifficultyCount] = {"st_easy", "st_medium",
                                                                       "st_hard"};

template <typename T> T* ChildOfClass(const TWindow& parent, const char* name) {
    TWindow* child = parent.FindChild(TString(name), kSearchDepth);
    return child && child->IsKindOf(T::GetClassId()) ? static_cast<T*>(child) : nullptr;
}

} // namespace

TWindow* clsPanelModeGame::Create() {
    return new (std::nothrow) clsPanelModeGame();
}

void clsPanelModeGame::PostInit(TWindowStyle& style) {
    TWindow::PostInit(style);
    for (int32_t d = 1; d <= kDifficultyCount; ++d) {
        char name[32];
        std::snprintf(name, sizeof(name), "btnDifficulty%d", d);
        TButton* button = ChildOfClass<TButton>(*this, name);
        if (!button) {
            mIncomplete = 1;
            ClearDifficulties();
            return;
        }
        auto entry = std::make_unique<PanelDifficulty>();
        entry->button = button;
        std::snprintf(name, sizeof(name), "bmpDifficulty%d_lock1", d);
        entry->lock = ChildOfClass<TImage>(*this, name);
        entry->locked = style.GetInt(kOpenKeys[d - 1], 0) == 0;
        mDifficulties.push_back(std::move(entry));
    }
    for (int32_t i = static_cast<int32_t>(mDifficulties.size()) - 1; i >= 0; --i)
        SetDifficultyLocked(i, mDifficulties[static_cast<size_t>(i)]->locked, true);
}

void clsPanelModeGame::SetDifficultyLocked(int32_t index, bool locked, bool force) {
    if (index < 0 || index >= static_cast<int32_t>(mDifficulties.size()))
        return;
    PanelDifficulty& entry = *mDifficulties[static_cast<size_t>(index)];
    if (entry.locked == locked && !force)
        return;
    SetWindowVisible(entry.lock, locked);
    SetWindowVisible(entry.button, !locked);
    entry.locked = locked;
}

void clsPanelModeGame::ClearDifficulties() {
    mDifficulties.clear();
}

bool clsPanelModeGame::IsDifficultyLocked(int32_t index) const {
    if (index < 0 || index >= static_cast<int32_t>(mDifficulties.size()))
        return true;
    return mDifficulties[static_cast<size_t>(index)]->locked;
}
