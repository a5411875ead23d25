#include "velk/game/vlkGameLevel.h"

#include "framework/core/system/ApplicationPresence.h"
#include "framework/host/TGameState.h"

#include <gtest/gtest.h>

namespace {

TEST(GetGameStateValue, ReadsTheRegistryAndIsEmptyWithoutIt) {
    SetApplicationPresent(false);
    EXPECT_EQ("", GetGameStateValue(TString("pause")).ToStd());

    SetApplicationPresent(true);
    TGameState* registry = TGameState::GetInstance();
    ASSERT_NE(nullptr, registry);
    EXPECT_EQ("", GetGameStateValue(TString("pause")).ToStd());
    registry->SetStateInt(TString("pause"), 0);
    EXPECT_EQ("0", GetGameStateValue(TString("pause")).ToStd());
    registry->SetState(TString("pause"), TString("1"));
    EXPECT_EQ("1", GetGameStateValue(TString("pause")).ToStd());
    EXPECT_EQ("", GetGameStateValue(TString("never set")).ToStd());

    SetApplicationPresent(false);
    delete TGameState::GetInstance();
}

} // namespace
