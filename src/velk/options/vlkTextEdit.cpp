#include "velk/options/vlkTextEdit.h"

#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/script/TWindowScript.h"
#include "framework/ui/window/TModalWindow.h"
#include "framework/ui/window/TWindowStyle.h"
#include "velk/container/WindowVisibility.h"
#include "velk/options/EnterKeyStatement.h"

#include <new>

namespace {

constexpr int32_t kEnterKey = 13;

} // namespace

TWindow* vlkTextEdit::Create() {
    return new (std::nothrow) vlkTextEdit;
}

void vlkTextEdit::Init(TWindowStyle& style) {
    mNoClearPending = !style.GetBool("clearAtBeginning", false);
    mWindowToEnable = style.GetString("windowToEnable");
    mEnterFunction = style.GetString("onEnterKey");
    mHasEnterFunction = !mEnterFunction.IsEmpty();
    TTextEdit::Init(style);
}

bool vlkTextEdit::ClearIfPending() {
    if (mNoClearPending)
        return false;
    mNoClearPending = true;
    SetText(TString(""));
    UpdateWindowToEnable(0);
    return true;
}

bool vlkTextEdit::OnMouseUp(TPoint point) {
    if (ClearIfPending())
        return true;
    return TText::OnMouseUp(point);
}

// The text field reads its cursor before it asks AllowEdit, so a pending
// clear is done before the field edits; and since the field asks before it
// changes the text (and not at all for Delete), the window to enable is
// set from the text the edit left.
bool vlkTextEdit::OnText(const TString& text) {
    ClearIfPending();
    const bool handled = TTextEdit::OnText(text);
    UpdateWindowToEnable(0);
    return handled;
}

bool vlkTextEdit::OnKeyDown(int8_t key, uint32_t modifiers) {
    const bool edits = key == kKeyLeft || key == kKeyRight || key == kKeyDelete ||
                       key == kKeyInsert || (key == 'V' && (modifiers & kModControl));
    if (edits)
        ClearIfPending();
    const bool handled = TTextEdit::OnKeyDown(key, modifiers);
    if (edits)
        UpdateWindowToEnable(0);
    return handled;
}

bool vlkTextEdit::AllowEdit(int32_t kind, int32_t character) {
    ClearIfPending();
    if (kind == kInsert) {
        if (!TTextEdit::AllowEdit(kind, character))
            return false;
        UpdateWindowToEnable(+1);
        return true;
    }
    if (kind == kEnter && character == kEnterKey && mHasEnterFunction) {
        RunEnterFunction();
        return true;
    }
    return TTextEdit::AllowEdit(kind, character);
}

void vlkTextEdit::UpdateWindowToEnable(int32_t delta) {
    if (mWindowToEnable.IsEmpty())
        return;
    TModalWindow* modal = GetModalParent();
    TWindow* window = modal ? modal->FindChild(mWindowToEnable, int32_t{-1}) : nullptr;
    if (!window)
        return;
    SetWindowVisible(window, static_cast<int32_t>(GetText().Length()) + delta > 0);
    InvalidateWindows();
}

void vlkTextEdit::RunEnterFunction() {
    if (!mEnterFunction.IsEmpty())
        RunLuaString(MakeEnterKeyStatement(mEnterFunction, GetText()));
}
