#pragma once

#include "velk/display/vlkDisplayObject.h"

#include <memory>
#include <vector>

// A display object whose framework sprite has children. The child
// operations act on the framework sprites only: a child display object
// stays its owner's. The owned list is deleted with the container; nothing
// in the studio layer fills it.
class vlkDisplayObjectContainer : public vlkDisplayObject {
public:
    ~vlkDisplayObjectContainer() override;

    // Adds the child's framework sprite to this one's children, taking it
    // from a former parent first.
    virtual void AddChild(vlkDisplayObject* child);
    // False when the child's sprite is not a child of this one's.
    virtual bool RemoveChild(vlkDisplayObject* child);
    virtual void RemoveAllChildren();

protected:
    std::unique_ptr<std::vector<std::unique_ptr<vlkDisplayObject>>> mOwnedChildren;
};
