#include "game/progress/SessionProgressStore.h"

#include "framework/core/log/TLog.h"
#include "game/state/dtUserState.h"

SessionProgressStore::SessionProgressStore() = default;
SessionProgressStore::~SessionProgressStore() = default;

dtUserState* SessionProgressStore::GetUserState() {
    if (!mUser)
        mUser = std::make_unique<dtUserState>();
    return mUser.get();
}

void SessionProgressStore::LoadUserData() {
    GetUserState();
}

void SessionProgressStore::SaveUserData() {
    SayNotKept();
}

void SessionProgressStore::SaveMetamap() {
    SayNotKept();
}

void SessionProgressStore::SetCurrentUserInt(const TString& key, int) {
    LogPrintf("SessionProgressStore: \"%s\" is kept for this session only", key.CStr());
}

void SessionProgressStore::SayNotKept() {
    if (mToldNotKept)
        return;
    mToldNotKept = true;
    LogPrintf("SessionProgressStore: the player's progress is kept for this session only");
}
