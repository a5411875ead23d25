#include "game/board/guiCorvalo.h"

#include "framework/graphics/TGraphics.h"
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

void guiCorvalo::Draw() {
    TGraphics* graphics = TGraphics::Get();
    if (!graphics || !graphics->Begin2d())
        return;
    if (mHasBoard && mBoard)
        mBoard->DrawAll();
    graphics->End2d();
}
