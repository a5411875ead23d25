#include "framework/graphics/cursor/MouseTextureListener.h"

MouseTextureListener::~MouseTextureListener() {
    if (mGone)
        mGone();
}

bool MouseTextureListener::Run() {
    if (!mRestore)
        return false;
    mRestore();
    return true;
}
