#include "game/progress/SessionProgressStore.h"

#include "game/state/dtUserState.h"

#include <gtest/gtest.h>

// The progress a level writes is there again for the next level of the
// session: loading neither drops nor replaces the user state.
TEST(SessionProgressStore, KeepsOneUserStateAcrossLoadsAndSaves) {
    SessionProgressStore store;
    dtUserState* user = store.GetUserState();
    ASSERT_NE(user, nullptr);
    user->levelOffset = 1;
    user->modeLevel[kModeClassic][0] = 4;
    store.SaveUserData();
    store.LoadUserData();
    store.SaveMetamap();
    EXPECT_EQ(store.GetUserState(), user);
    EXPECT_EQ(store.GetUserState()->levelOffset, 1);
    EXPECT_EQ(store.GetUserState()->modeLevel[kModeClassic][0], 4);
}
