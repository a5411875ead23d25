#include "framework/ui/window/TModalWindow.h"

#include "framework/script/message/TMessage.h"
#include "framework/ui/manager/TWindowManager.h"

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
