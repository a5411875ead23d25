#include "velk/actor/vlkActor.h"

#include "velk/display/vlkClip.h"

vlkActor::~vlkActor() {
    mDisplayObject.reset();
}

void vlkActor::Draw() {
    if (mRenderer) {
        mRenderer->DrawActor(this);
    }
}

void vlkActor::Update(uint32_t) {}

void vlkActor::SetPositionXYZ(float x, float y, float z) {
    if (!mDisplayObject) {
        return;
    }
    mDisplayObject->SetPosition(x, y);
    mDisplayObject->SetScale(z);
    mDisplayObject->Draw();
}

void vlkActor::SetPosition(float x, float y) {
    if (!mDisplayObject) {
        return;
    }
    mDisplayObject->SetPosition(x, y);
    mDisplayObject->Draw();
}

TString vlkActor::ToString() const {
    return TString::Format(" (actor) x:%f y:%f z:%f", static_cast<double>(mX),
                           static_cast<double>(mY), static_cast<double>(mZ));
}

vlkSprite* vlkActor::GetSprite() const {
    return static_cast<vlkSprite*>(mDisplayObject.get());
}

vlkClip* vlkActor::GetClip() const {
    if (mDisplayObject && (mDisplayObject->GetKind() & vlkDisplayObject::kKindClip)) {
        return static_cast<vlkClip*>(mDisplayObject.get());
    }
    return nullptr;
}

void vlkActor::SetDisplayObject(std::unique_ptr<vlkDisplayObject> object) {
    mDisplayObject = std::move(object);
}

uint64_t vlkActor::GetLook() {
    static uint64_t count = 0;
    return ++count;
}
