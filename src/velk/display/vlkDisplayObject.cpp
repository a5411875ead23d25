#include "velk/display/vlkDisplayObject.h"

void vlkDisplayObject::SetColor(float, float, float, float) {}

void vlkDisplayObject::SetPosition(float x, float y) {
    mX = x;
    mY = y;
}

void vlkDisplayObject::SetX(float x) {
    mX = x;
}

void vlkDisplayObject::SetY(float y) {
    mY = y;
}

void vlkDisplayObject::SetLayer(int32_t layer) {
    mLayer = layer;
}

void vlkDisplayObject::SetHFlip(uint8_t flip) {
    mHFlip = flip;
}

void vlkDisplayObject::SetVFlip(uint8_t flip) {
    mVFlip = flip;
}

void vlkDisplayObject::SetScale(float scale) {
    mScaleX = scale;
    mScaleY = scale;
}

void vlkDisplayObject::SetScaleX(float scale) {
    mScaleX = scale;
}

void vlkDisplayObject::SetScaleY(float scale) {
    mScaleY = scale;
}

void vlkDisplayObject::SetAlpha(float alpha) {
    mAlpha = alpha;
}

void vlkDisplayObject::SetVisible(bool visible) {
    mVisible = visible ? 1 : 0;
}
