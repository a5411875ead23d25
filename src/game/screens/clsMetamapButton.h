#pragma once

#include "framework/ui/window/TWindow.h"

#include <cstdint>

class TButton;
class TImage;

// One level node of the world map: a lock while the node is closed, the
// open button once the player may play it, the finish button once it is
// done. Its window table gives its node number ("id") and mode ("type");
// the world map opens and completes it.
class clsMetamapButton : public TWindow {
public:
    enum State : int32_t { kLocked = 0, kOpen = 1, kCompleted = 2 };

    clsMetamapButton() = default;

    const char* GetClassName() const override { return "clsMetamapButton"; }
    bool IsKindOf(TWindowClassId id) const override {
        return id == GetClassId() || TWindow::IsKindOf(id);
    }
    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }
    static TWindowClassId GetClassId() { return &Create; }

    // A node without an "id" (or a negative one), or of a mode the game
    // does not know, looks up no children and stays as it is.
    void PostInit(TWindowStyle& style) override;

    void SetOpen();
    void SetCompleted();

    // 1 classic, 2 strategy, 3 blitz, 4 joker, 5 cradle; 0 for another type.
    int32_t GetMode() const { return mMode; }
    int32_t GetNodeId() const { return mNodeId; }
    int32_t GetState() const { return mState; }
    TButton* GetOpenButton() const { return mOpenButton; }
    TImage* GetLockImage() const { return mLockImage; }
    TButton* GetFinishButton() const { return mFinishButton; }

    // The mode number of a "type" text; 0 when it names no mode.
    static int32_t ModeOfType(const TString& type);

protected:
    ~clsMetamapButton() override = default;

private:
    TButton* mOpenButton = nullptr;
    TImage* mLockImage = nullptr;
    TButton* mFinishButton = nullptr;
    int32_t mMode = 0;
    int32_t mNodeId = -1;
    int32_t mState = kLocked;
};
