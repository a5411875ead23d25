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

// In the order the application main calls them.
TEST_F(PortalInstallersTest, Installers_SetTheirFlagsAndSayThatNoPortalHandlerExists) {
    InChildProcess([this] {
        EXPECT_FALSE(IsMsnPortal());
        EXPECT_FALSE(IsQuarrowPortal());
        EXPECT_EQ(GetPortalWaitTime(), 0u);

        InstallAolHandler();
        EXPECT_FALSE(IsMsnPortal());
        EXPECT_FALSE(IsQuarrowPortal());

        InstallMsnHandler();
        EXPECT_TRUE(IsMsnPortal());
        EXPECT_FALSE(IsQuarrowPortal());

        InstallQuarrowHandler();
        EXPECT_TRUE(IsQuarrowPortal());
        EXPECT_EQ(GetPortalWaitTime(), 0u);

        // No handler is pretended: the registry behaves as it does unhosted.
        EXPECT_EQ(TGameState::GetHandlerCount(), 0);
        EXPECT_EQ(TGameState::GetInstance(), registry);
        registry->SetState("pause", "1");
        EXPECT_FALSE(registry->QuerySuspendGame());

        std::string log = Log();
        for (const char* portal : {"aol", "msn", "quarrow"}) {
            std::string line = std::string(portal) + " portal requested, but this build has no "
                                                     "web-portal handler";
            EXPECT_NE(log.find(line), std::string::npos) << portal << "\n" << log;
        }
    });
}

TEST(PortalInstallersEarly, BeforeTheApplicationExists_NoRegistryIsMade) {
    InChildProcess([] {
        SetApplicationPresent(false);
        EXPECT_FALSE(IsMsnPortal());
        InstallMsnHandler();
        EXPECT_EQ(TGameState::GetInstance(), nullptr);
        EXPECT_TRUE(IsMsnPortal());
    });
}

} // namespace
