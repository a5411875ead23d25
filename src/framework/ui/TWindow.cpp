#include "framework/ui/TWindow.h"

TWindow::~TWindow() {
    for (TWindow* child : mChildren) {
        delete child;
    }
}

void TWindow::SetSize(int width, int height) {
    mRect.right = mRect.left + width;
    mRect.bottom = mRect.top + height;
    mNeedsRedraw = true;
}

void TWindow::AddChild(TWindow* child) {
    if (!child) {
        return;
    }
    child->mParent = this;
    mChildren.push_back(child);
}
