#include "velk/actor/vlkActorList.h"

#include "velk/actor/vlkActor.h"
#include "velk/display/vlkDisplayObject.h"
#include "velk/display/vlkLookHash.h"

#include <algorithm>

vlkActorList::~vlkActorList() {
    Clear();
}

void vlkActorList::Add(vlkActor* actor) {
    if (actor)
        mActors.push_back(actor);
}

void vlkActorList::DrawAll() {
    for (vlkActor* actor : mActors)
        actor->Draw();
}

uint64_t vlkActorList::GetLook() const {
    vlkLookHash hash;
    hash.Add(mActors.size());
    for (vlkActor* actor : mActors) {
        hash.Add(actor);
        hash.Add(actor->GetLook());
    }
    return hash.Value();
}

void vlkActorList::Update(uint32_t elapsed) {
    for (auto it = mActors.begin(); it != mActors.end();) {
        vlkActor* actor = *it;
        if (actor->IsDead()) {
            it = mActors.erase(it);
            delete actor;
        } else {
            // An actor that dies here stays until the next update.
            actor->Update(elapsed);
            ++it;
        }
    }
}

void vlkActorList::Clear() {
    std::list<vlkActor*> actors;
    actors.swap(mActors);
    for (vlkActor* actor : actors)
        delete actor;
}

void vlkActorList::Dump(TString& out, const TString& name) const {
    out += TString::Format("[%s]\n", name.CStr());
    for (const vlkActor* actor : mActors) {
        out += actor->ToString();
        out += '\n';
    }
}

bool vlkActorList::Contains(const vlkActor* actor) const {
    return std::find(mActors.begin(), mActors.end(), actor) != mActors.end();
}
