#include "framework/host/PortalInstallers.h"

#include "framework/core/ApplicationPresence.h"
#include "framework/host/TGameState.h"

#include "RegistryFixture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using PortalInstallersTest = RegistryFixture;

// The portal flags are process-wide and are never cleared, so one test walks
// through the installers in the order the application main calls them.
TEST_F(PortalInstallersTest, Installers_SetTheirFlagsAndSayThatNoPortalHandlerExists) {
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
}

TEST(PortalInstallersEarly, BeforeTheApplicationExists_NoRegistryIsMade) {
    SetApplicationPresent(false);
    InstallMsnHandler();
    EXPECT_EQ(TGameState::GetInstance(), nullptr);
    EXPECT_TRUE(IsMsnPortal());
}

} // namespace
