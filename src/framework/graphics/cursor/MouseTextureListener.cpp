#include "framework/graphics/cursor/MouseTextureListener.h"

#include "framework/graphics/display/TDXContext.h"

MouseTextureListener::~MouseTextureListener() {
    if (mContext)
        mContext->DetachRestoreListener();
}

bool MouseTextureListener::Run() {
    if (!mContext)
        return false;
    mContext->RestoreMouseImage();
    return true;
}
