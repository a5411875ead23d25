#pragma once

#include "game/levels/LevelServices.h"

#include <memory>

class dtUserState;

// The player's progress kept for the running session only, until the
// profile store saves it: one user state, made on first use (after the
// tuning block has been read), that lives as long as the store. Saving
// keeps nothing on disk and says so once in the log.
class SessionProgressStore : public ProgressStore {
public:
    SessionProgressStore();
    ~SessionProgressStore() override;

    dtUserState* GetUserState() override;
    void LoadUserData() override;
    void SaveUserData() override;
    void SaveMetamap() override;
    void SetCurrentUserInt(const TString& key, int value) override;

private:
    void SayNotKept();

    std::unique_ptr<dtUserState> mUser;
    bool mToldNotKept = false;
};
