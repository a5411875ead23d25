#include "framework/host/PortalInstallers.h"

#include "framework/core/system/ApplicationPresence.h"
#include "framework/host/TGameState.h"

#include "RegistryFixture.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <unistd.h>

namespace {

using PortalInstallersTest = RegistryFixture;

// The portal flags are process-wide and are never cleared, so each test sets
// them in a child process of its own: whatever the order and however often
// the tests run, every one starts with no portal flag set. The child
// writes its failures to standard error, where the parent shows them, and
// exits with 1 when there were any.
[[noreturn]] void RunAndExit(const std::function<void()>& body) {
    ::testing::TestPartResultArray results;
    {
        ::testing::ScopedFakeTestPartResultReporter reporter(
            ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
        body();
    }
    int failures = 0;
    for (int i = 0; i < results.size(); ++i) {
        const ::testing::TestPartResult& result = results.GetTestPartResult(i);
        if (result.failed()) {
            ++failures;
            std::fprintf(stderr, "%s:%d: %s\n", result.file_name(), result.line_number(),
                         result.message());
        }
    }
    std::fflush(nullptr);
    _exit(failures > 0 ? 1 : 0);
}

void InChildProcess(const std::function<void()>& body) {
    EXPECT_EXIT(RunAndExit(body), ::testing::ExitedWithCode(0), "");
}

// Every installer, the aol one first.
TEST_F(PortalInstallersTest, Installers_SetTheirFlagsAndRegisterOneHandler) {
    InChildProcess([this] {
        EXPECT_FALSE(IsMsnPortal());
        EXPECT_FALSE(IsQuarrowPortal());
        EXPECT_EQ(GetPortalWaitTime(), 0u);

        InstallAolHandler();
        EXPECT_FALSE(IsMsnPortal());
        EXPECT_FALSE(IsQuarrowPortal());
        EXPECT_EQ(TGameState::GetHandlerCount(), 1);

        InstallMsnHandler();
        EXPECT_TRUE(IsMsnPortal());
        EXPECT_FALSE(IsQuarrowPortal());

        InstallQuarrowHandler();
        InstallMsnHandler(); // "-pq=" installs the msn handler once more
        EXPECT_TRUE(IsQuarrowPortal());
        EXPECT_EQ(GetPortalWaitTime(), 0u);
        EXPECT_EQ(TGameState::GetHandlerCount(), 1);
        EXPECT_EQ(TGameState::GetInstance(), registry);
    });
}

TEST(PortalInstallersEarly, BeforeTheApplicationExists_NoRegistryIsMade) {
    InChildProcess([] {
        SetApplicationPresent(false);
        EXPECT_FALSE(IsMsnPortal());
        InstallMsnHandler();
        EXPECT_EQ(TGameState::GetInstance(), nullptr);
        EXPECT_TRUE(IsMsnPortal());
        // The handler waits in the list for the registry.
        EXPECT_EQ(TGameState::GetHandlerCount(), 1);
    });
}

} // namespace
