#pragma once

// Test fixture that stands in for the application object around the
// game-state registry: it marks the application present, makes the
// registry, and at the end deletes it the way the application's destructor
// does. The log goes to a fresh folder so that tests can read their lines.

#include "framework/core/log/TLog.h"
#include "framework/core/system/ApplicationPresence.h"
#include "framework/host/TGameState.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

class RegistryFixture : public ::testing::Test {
protected:
    void SetUp() override {
        StartLog(mLogFolder.Path().c_str());
        SetApplicationPresent(true);
        registry = TGameState::GetInstance();
        ASSERT_NE(registry, nullptr);
    }
    void TearDown() override {
        SetApplicationPresent(false);
        delete TGameState::GetInstance();
        StartLog(nullptr);
    }

    std::string Log() const {
        std::ifstream in(mLogFolder.Path() / "logfile.txt", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    TGameState* registry = nullptr;

private:
    support::TempFolder mLogFolder{"corvalo-host-"};
};
