#pragma once

#include "framework/core/text/TString.h"

#include <cstdint>
#include <list>

class vlkActor;

// The actors of a level, owned, in the order they were added. Its update
// deletes the actors that were marked dead before it reached them; an
// actor that dies during its own Update goes at the next one.
class vlkActorList {
public:
    vlkActorList() = default;
    vlkActorList(const vlkActorList&) = delete;
    vlkActorList& operator=(const vlkActorList&) = delete;
    virtual ~vlkActorList();

    // Takes ownership; null is ignored.
    virtual void Add(vlkActor* actor);
    virtual void DrawAll();
    // The looks of every actor, in order, as one number.
    uint64_t GetLook() const;
    virtual void Update(uint32_t elapsed);
    virtual void Clear();
    // "[name]\n", then each actor's text on a line of its own.
    virtual void Dump(TString& out, const TString& name) const;

    int Count() const { return static_cast<int>(mActors.size()); }
    bool Contains(const vlkActor* actor) const;

private:
    std::list<vlkActor*> mActors;
};
