#include "game/screens/clsMetamapButton.h"

#include "framework/ui/widgets/TButton.h"
#include "framework/ui/widgets/TImage.h"
#include "framework/ui/window/TWindowStyle.h"
#include "velk/container/WindowVisibility.h"

#include <new>

namespace {

template <typename T> T* ChildOfClass(const TWindow& parent, const char* name) {
    TWindow* child = parent.FindChild(TString(name), int32_t{1});
    return child && child->IsKindOf(T::GetClassId()) ? static_cast<T*>(child) : nullptr;
}

} // namespace

TWindow* clsMetamapButton::Create() {
    return new (std::nothrow) clsMetamapButton();
}

int32_t clsMetamapButton::ModeOfType(const TString& type) {
    struct Entry {
        const char* type;
        int32_t mode;
    };
    static constexpr Entry kModes[] = {
        {"classic", 1}, {"blitz", 3}, {"strategy", 2}, {"cradle", 5}, {"joker", 4},
    };
    for (const Entry& entry : kModes)
        if (type == TString(entry.type))
            return entry.mode;
    return 0;
}

void clsMetamapButton::PostInit(TWindowStyle& style) {
    TWindow::PostInit(style);
    mNodeId = style.GetInt("id", -1);
    if (mNodeId < 0)
        return;
    mMode = ModeOfType(style.GetString("type", TString()));
    if (mMode == 0)
        return;
    mOpenButton = ChildOfClass<TButton>(*this, "btnMetamap");
    mLockImage = ChildOfClass<TImage>(*this, "bmpLock");
    mFinishButton = ChildOfClass<TButton>(*this, "btnFinish");
    mState = kLocked;
    SetWindowVisible(mLockImage, true);
    SetWindowVisible(mOpenButton, false);
    SetWindowVisible(mFinishButton, false);
}

void clsMetamapButton::SetOpen() {
    mState = kOpen;
    SetWindowVisible(mLockImage, false);
    SetWindowVisible(mOpenButton, true);
    SetWindowVisible(mFinishButton, false);
}

void clsMetamapButton::SetCompleted() {
    mState = kCompleted;
    SetWindowVisible(mLockImage, false);
    SetWindowVisible(mOpenButton, false);
    SetWindowVisible(mFinishButton, true);
}
