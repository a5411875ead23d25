#pragma once

#include "framework/ui/widgets/TTextEdit.h"

// The player-name field of the game's screens. Three settings of its
// window table add to a text field: "clearAtBeginning" empties the text at
// the first click or edit (for a hint such as "Your name"),
// "windowToEnable" names a window of the same dialog (usually its OK
// button) that is shown only while the field holds text, and "onEnterKey"
// names a script function that Enter calls with the text.
class vlkTextEdit : public TTextEdit {
public:
    vlkTextEdit() = default;

    const char* GetClassName() const override { return "vlkTextEdit"; }
    bool IsKindOf(TWindowClassId id) const override {
        return id == GetClassId() || TTextEdit::IsKindOf(id);
    }
    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }
    static TWindowClassId GetClassId() { return &Create; }

    void Init(TWindowStyle& style) override;
    // The first click of a field that clears at the beginning only clears.
    bool OnMouseUp(TPoint point) override;
    bool OnText(const TString& text) override;
    bool OnKeyDown(int8_t key, uint32_t modifiers) override;
    bool AllowEdit(int32_t kind, int32_t character) override;

    bool IsClearPending() const { return !mNoClearPending; }
    const TString& GetWindowToEnable() const { return mWindowToEnable; }
    const TString& GetEnterFunction() const { return mEnterFunction; }

protected:
    ~vlkTextEdit() override = default;

private:
    // Empties the text when a clear is pending; true when it did.
    bool ClearIfPending();
    // Shows the window to enable while the text, with delta characters
    // more or fewer, is not empty, and hides it otherwise.
    void UpdateWindowToEnable(int32_t delta);
    void RunEnterFunction();

    bool mNoClearPending = true;
    TString mWindowToEnable;
    TString mEnterFunction;
    bool mHasEnterFunction = false;
};
