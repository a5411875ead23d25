#pragma once

#include "framework/core/text/TColor32.h"
#include "framework/ui/window/TLayeredWindow.h"

#include <array>
#include <memory>
#include <vector>

class TLuaFunction;
class TSound;
class TTexture;

// The push button, toggle and radio button: one picture per visual state
// in its four layers, a press and a rollover sound, an optional mask that
// limits the clickable area to its non-black pixels. A press runs the
// button's action and posts kButtonPress to its owner (and kCloseWindow to
// its dialog for a closing button); a radio button turned on turns off the
// others of its group among its siblings.
class TButton : public TLayeredWindow {
public:
    enum Kind : uint32_t { kPush = 0, kToggle = 1, kRadio = 2 };
    enum State : int32_t { kNormal = 0, kPressed = 1, kRollover = 2, kActivated = 3 };

    // Option bits.
    static constexpr uint32_t kSendToParent = 0x1;
    static constexpr uint32_t kOn = 0x2;
    static constexpr uint32_t kClose = 0x4;
    static constexpr uint32_t kDefault = 0x8;
    static constexpr uint32_t kCancel = 0x10;

    // What a press runs before its message is posted.
    class Action {
    public:
        virtual ~Action() = default;
        virtual void Run(TButton* button) = 0;
    };
    // Calls a script function, which can ask GetButtonName() who called.
    class LuaAction : public Action {
    public:
        explicit LuaAction(TLuaFunction* function) : mFunction(function) {}
        ~LuaAction() override;
        void Run(TButton* button) override;

    private:
        TLuaFunction* mFunction;
    };

    TButton();

    const char* GetClassName() const override { return "TButton"; }
    bool IsKindOf(TWindowClassId id) const override {
        return id == GetClassId() || TLayeredWindow::IsKindOf(id);
    }
    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }
    static TWindowClassId GetClassId() { return &Create; }

    bool OnAttached() override;
    void Init(TWindowStyle& style) override;
    void PostInit(TWindowStyle& style) override;
    bool OnMouseDown(TPoint point) override;
    bool OnMouseUp(TPoint point) override;
    bool OnMouseMove(TPoint point) override;
    bool OnMouseExit() override;

    // Plays the press sound and runs the press; true while the button stays
    // in the top dialog.
    virtual bool Press();
    virtual void OnStateChange(int32_t newState, int32_t oldState);
    virtual void SetState(int32_t state);
    int32_t GetState() const { return mState; }

    void SetKind(uint32_t kind) { mKind = kind & 0xF; }
    uint32_t GetKind() const { return mKind; }
    // Option bits of the table: 1 beginGroup, 2 sendToParent, 4 close,
    // 8 default, 16 cancel. Only adds.
    void SetOptions(uint32_t bits);
    uint32_t GetOptions() const { return mOptions; }
    void SetSound(int32_t index, const TString& name);
    const std::shared_ptr<TSound>& GetSound(int32_t index) const { return mSounds[index]; }
    // Copies the texture's pixels; a texture that cannot be locked keeps the
    // old mask.
    void SetMask(const std::shared_ptr<TTexture>& texture);
    bool HasMask() const { return !mMask.empty() && mMaskWidth > 0 && mMaskHeight > 0; }
    void SetAction(Action* action);
    Action* GetAction() const { return mAction.get(); }

    void SetToggleState(bool on);
    bool GetToggleState() const { return (mOptions & kOn) != 0; }
    void Toggle();
    void SetLabel(const TString& text);
    TString GetLabel() const;

    // Outside the rectangle or on a black pixel of the mask; an outside
    // answer leaves through OnMouseExit first.
    bool HitsOutside(TPoint point);
    // Posts the press's messages and runs the action; true when the action
    // took the button out of the window tree.
    bool DoAction();

protected:
    ~TButton() override;

private:
    uint32_t mKind = kPush;
    int32_t mState = kNormal;
    uint32_t mOptions = 0;
    std::unique_ptr<Action> mAction;
    std::array<std::shared_ptr<TSound>, 3> mSounds;
    TString mText;
    std::vector<TColor32> mMask;
    int32_t mMaskWidth = 0;
    int32_t mMaskHeight = 0;
};

// Turns off the radio buttons of the group of the button being turned on,
// walking its siblings oldest first: phase 0 finds the group's first
// button, phase 1 turns off the rest of the group.
class TRadioButtonSpider : public TWindowSpider {
public:
    explicit TRadioButtonSpider(TButton* button) : mButton(button) {}
    bool Visit(TWindow* child) override;
    void SetPhase(int32_t phase) { mPhase = phase; }

private:
    int32_t mPhase = 0;
    bool mFound = false;
    TWindow* mGroupStart = nullptr;
    TButton* mButton;
};
