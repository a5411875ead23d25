#include "velk/display/vlkDisplayObjectContainer.h"

#include "framework/graphics/sprite/TSprite.h"

vlkDisplayObjectContainer::~vlkDisplayObjectContainer() = default;

void vlkDisplayObjectContainer::AddChild(vlkDisplayObject* child) {
    if (!child) {
        return;
    }
    std::shared_ptr<TSprite> childSprite = child->GetSprite();
    std::shared_ptr<TSprite> own = GetSprite();
    if (own && childSprite) {
        own->AddChild(childSprite);
    }
}

bool vlkDisplayObjectContainer::RemoveChild(vlkDisplayObject* child) {
    std::shared_ptr<TSprite> own = GetSprite();
    if (!child || !own) {
        return false;
    }
    return own->RemoveChild(child->GetSprite());
}

void vlkDisplayObjectContainer::RemoveAllChildren() {
    std::shared_ptr<TSprite> own = GetSprite();
    if (own) {
        own->RemoveAllChildren();
    }
}
