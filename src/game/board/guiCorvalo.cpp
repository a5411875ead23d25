#include "game/board/guiCorvalo.h"

#include "framework/graphics/TGraphics.h"
#include "framework/ui/manager/TWindowManager.h"
#include "velk/actor/vlkActorList.h"

#include <new>

guiCorvalo::guiCorvalo() : TWindow(TString("guiCorvalo")) {}

TWindow* guiCorvalo::Create() {
    return new (std::nothrow) guiCorvalo();
}

bool guiCorvalo::IsKindOf(TWindowClassId id) const {
    return id == GetCreator() || TWindow::IsKindOf(id);
}

void guiCorvalo::SetBoard(vlkActorList* board) {
    mBoard = board;
    mHasBoard = board ? 1 : 0;
}

void guiCorvalo::OnBeforeFrame() {
    const uint64_t look = mHasBoard && mBoard ? mBoard->GetLook() : 0;
    const TRect rect = GetScreenRect();
    if (look == mLook && rect == mLookRect)
        return;
    InvalidateScreenRect(mLookRect);
    InvalidateScreenRect(rect);
    mLook = look;
    mLookRect = rect;
}

void guiCorvalo::Draw() {
    TGraphics* graphics = TGraphics::Get();
    if (!graphics || !graphics->Begin2d())
        return;
    if (mHasBoard && mBoard)
        mBoard->DrawAll();
    graphics->End2d();
}
