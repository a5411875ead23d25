#include "framework/ui/window/TModalWindow.h"

#include "framework/core/log/TLog.h"
#include "framework/script/message/TMessage.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/widgets/TButton.h"

#include <cctype>

TModalWindow::TModalWindow() {
    mFlags |= kWindowModal | kWindowTakesFocus;
}

TWindow* TModalWindow::Create() {
    return new TModalWindow;
}

TModalWindow::~TModalWindow() {
    if (TWindowManager* manager = TWindowManager::Instance())
        manager->PostMessage(new TMessage(TMessage::kModalClosed, GetIdString()));
    // The tasks go before the windows they animate.
    mTasks.DeleteAll();
    mCovers.clear();
}

bool TModalWindow::OnAttached() {
    mClock.Start();
    return true;
}

void TModalWindow::PostInit(TWindowStyle& style) {
    FitToChildren();
    TWindow::PostInit(style);
}

bool TModalWindow::OnMessage(TMessage* message) {
    if (message->GetType() != TMessage::kCloseWindow)
        return false;
    if (!message->GetName().IsEmpty()) {
        if (TWindowManager* manager = TWindowManager::Instance())
            manager->DoPopModal(message->GetName());
    }
    return true;
}

void TModalWindow::OnFocusGained(TWindow* previous) {
    if (!mFocusChild)
        return;
    if (TWindowManager* manager = TWindowManager::Instance())
        manager->SetFocus(mFocusChild, previous);
}

void TModalWindow::AddTask(TTask* task) {
    mTasks.AddTask(task);
}

void TModalWindow::RunTasks(int pass) {
    mTasks.RunAll(pass);
}

void TModalWindow::DeleteTasks() {
    mTasks.DeleteAll();
}

void TModalWindow::SetFocusChild(TWindow* window) {
    mFocusChild = window;
    TWindowManager* manager = TWindowManager::Instance();
    if (window && manager && manager->GetFocus() == this)
        manager->SetFocus(window);
}

void TModalWindow::SetCover(TWindow* window, bool covers) {
    if (covers)
        mCovers.insert(window);
    else
        mCovers.erase(window);
    const uint32_t opaque = mCovers.empty() ? 0 : kWindowOpaque;
    if ((mFlags & kWindowOpaque) != opaque)
        SetFlags((mFlags & ~kWindowOpaque) | opaque);
}

bool FindDefault::Visit(TWindow* window) {
    if (window->IsKindOf(TButton::GetClassId()) && window->IsShown()) {
        auto* button = static_cast<TButton*>(window);
        if (button->GetOptions() & TButton::kDefault)
            mDefault = button;
        if (button->GetOptions() & TButton::kCancel)
            mCancel = button;
    }
    if (mDefault && mCancel)
        return false;
    return window->ForEachChild(*this);
}

bool TModalWindow::OnChar(char c) {
    if (c != 13 && c != 27)
        return false;
    auto* message = new TMessage(TMessage::kDefaultAction, "");
    FindDefault finder;
    ForEachChild(finder);
    TButton* button = c == 13 ? finder.GetDefault() : finder.GetCancel();
    if (button && button->DoAction()) {
        // The press took the button out of the tree: the dialog is gone.
        delete message;
        return true;
    }
    TWindowManager* manager = TWindowManager::Instance();
    TWindow* from = manager && manager->GetFocus() ? manager->GetFocus() : this;
    from->SendMessage(message);
    return true;
}

TString TModalWindow::ParseHotkey(const TString& key) {
    std::string text(key.View());
    if (text.empty())
        return TString();
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const char last = static_cast<char>(std::toupper(static_cast<unsigned char>(text.back())));
    if (text.size() > 1 && text[0] == '@')
        return TString("@") + TString(std::string_view(&last, 1));
    std::string result;
    if (text.find("shift-") != std::string::npos)
        result += "shift-";
    if (text.find("ctrl-") != std::string::npos || text.find("control-") != std::string::npos)
        result += "ctrl-";
    if (text.find("alt-") != std::string::npos)
        result += "alt-";
    result += last;
    return TString(result);
}

void TModalWindow::RegisterHotkey(const TString& key, const TString& button) {
    const TString normal = ParseHotkey(key);
    if (button.IsEmpty())
        mHotKeys.erase(normal);
    else
        mHotKeys[normal] = button;
}

bool TModalWindow::OnKeyDown(int8_t key, uint32_t modifiers) {
    // Registered keys end in a capital: a code from 'a' to 'z' (the
    // function keys among them) is none of them.
    const char code = static_cast<char>(key);
    if (code >= 'a' && code <= 'z')
        return false;
    std::string text;
    if (modifiers & 1)
        text += "shift-";
    if (modifiers & 2)
        text += "ctrl-";
    if (modifiers & 4)
        text += "alt-";
    text += code;
    auto found = mHotKeys.find(TString(text));
    if (found == mHotKeys.end())
        found = mHotKeys.find(TString("@") + TString(std::string_view(&code, 1)));
    if (found == mHotKeys.end())
        return false;
    TWindow* window = FindChild(found->second, true);
    if (window && window->IsKindOf(TButton::GetClassId()))
        static_cast<TButton*>(window)->Press();
    else
        LogPrintf("ERROR: Hot key button not found. Button:'%s'", found->second.CStr());
    gSwallowNextChar = true;
    return true;
}
