#include "framework/core/system/TComputerId.h"

#include <gtest/gtest.h>

#include "platform/system/NetworkAdapters.h"
#include "support/FakeNetworkAdapters.h"

#include <string>

namespace {

// Even positions hold codes 64 to 95; odd position 2i+1 holds 66+i to 73+i.
void ExpectIdShape(const std::string& id) {
    ASSERT_EQ(id.size(), 16u) << id;
    for (int i = 0; i < 8; ++i) {
        EXPECT_GE(id[2 * i], 64) << id;
        EXPECT_LE(id[2 * i], 95) << id;
        EXPECT_GE(id[2 * i + 1], 66 + i) << id;
        EXPECT_LE(id[2 * i + 1], 73 + i) << id;
    }
}

} // namespace

TEST(ComputerId, FromAddress_MapsPairsOfBytes) {
    struct Case {
        uint8_t address[8];
        const char* id;
    } cases[] = {
        {{0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x00, 0x00}, "QBSDQDWHQFFJWKDK"},
        // Only the first characters of pairs 4 and 5 change.
        {{0x00, 0x11, 0x22, 0x33, 0x44, 0x56, 0x00, 0x00}, "QBSDQDWHRFEJWKDK"},
        // Bytes 6 and 7 of the field are replaced, whatever they held.
        {{0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0xAB, 0xCD}, "QBSDQDWHQFFJWKDK"},
        {{0, 0, 0, 0, 0, 0, 0, 0}, "@B@C@D@E@F@G@H@I"},
        {{0xFF, 0, 0xFF, 0, 0xFF, 0, 0, 0}, "_I_J_K_L_M@G_O@I"},
    };
    for (const Case& c : cases) {
        std::string id = ComputerIdFromAddress(c.address).ToStd();
        EXPECT_EQ(id, c.id);
        ExpectIdShape(id);
    }
}

TEST(ComputerId, Guid_IsRandomVersionFour) {
    TGuid first;
    TGuid second;
    ASSERT_TRUE(NewGuid(first));
    ASSERT_TRUE(NewGuid(second));
    EXPECT_NE(std::string(first.bytes, first.bytes + 16),
              std::string(second.bytes, second.bytes + 16));
    EXPECT_EQ(first.bytes[7] >> 4, 4);
    EXPECT_EQ(first.bytes[8] >> 6, 2);
}

class ComputerIdTree : public ::testing::Test {
protected:
    support::FakeNetworkAdapters mAdapters{"corvalo-id-"};
};

TEST_F(ComputerIdTree, FirstAdapter_GivesStableId) {
    mAdapters.Add("lo", "00:00:00:00:00:00", "772");
    mAdapters.Add("eth1", "00:11:22:33:44:56", "1");
    mAdapters.Add("eth0", "00:11:22:33:44:55", "1");
    EXPECT_EQ(GetComputerId(mAdapters.Root().c_str()).ToStd(), "QBSDQDWHQFFJWKDK");
    EXPECT_EQ(GetComputerId(mAdapters.Root().c_str()).ToStd(), "QBSDQDWHQFFJWKDK");
}

TEST_F(ComputerIdTree, NoAdapter_GivesRandomIdEachTime) {
    mAdapters.Add("lo", "00:00:00:00:00:00", "772");
    std::string first = GetComputerId(mAdapters.Root().c_str()).ToStd();
    std::string second = GetComputerId(mAdapters.Root().c_str()).ToStd();
    ExpectIdShape(first);
    ExpectIdShape(second);
    EXPECT_NE(first, second);
}

TEST(ComputerId, ThisMachine_HasWellFormedStableIdWhenItHasAnAdapter) {
    std::string id = GetComputerId().ToStd();
    ExpectIdShape(id);
    platform::AdapterAddress adapter;
    if (platform::FirstAdapterAddress(adapter)) {
        EXPECT_EQ(GetComputerId().ToStd(), id);
    }
}
