#include "platform/system/NetworkAdapters.h"

#include <gtest/gtest.h>

#include "support/FakeNetworkAdapters.h"

namespace {

class AdapterTree : public ::testing::Test {
protected:
    support::FakeNetworkAdapters mAdapters{"corvalo-net-"};
};

} // namespace

TEST_F(AdapterTree, FirstByName_SkipsLoopbackAndEmptyAddresses) {
    mAdapters.Add("lo", "00:00:00:00:00:00", "772");
    mAdapters.Add("wlp2s0", "aa:bb:cc:dd:ee:ff");
    mAdapters.Add("enp3s0", "00:11:22:33:44:55");
    mAdapters.Add("docker0", "00:00:00:00:00:00");
    mAdapters.Add("can0", nullptr);
    mAdapters.Add("abc-loop", "01:02:03:04:05:06", "772");
    platform::AdapterAddress address;
    ASSERT_TRUE(platform::FirstAdapterAddress(address, mAdapters.Root().string()));
    EXPECT_EQ(address.name, "enp3s0");
    EXPECT_EQ(address.bytes, (std::vector<uint8_t>{0x00, 0x11, 0x22, 0x33, 0x44, 0x55}));
}

TEST_F(AdapterTree, OnlyLoopback_FindsNothing) {
    mAdapters.Add("lo", "00:00:00:00:00:00", "772");
    platform::AdapterAddress address;
    address.name = "untouched";
    EXPECT_FALSE(platform::FirstAdapterAddress(address, mAdapters.Root().string()));
    EXPECT_EQ(address.name, "untouched");
}

TEST_F(AdapterTree, MissingRoot_FindsNothing) {
    platform::AdapterAddress address;
    EXPECT_FALSE(platform::FirstAdapterAddress(address, (mAdapters.Root() / "absent").string()));
}

TEST(HardwareAddress, Parse) {
    struct Case {
        const char* text;
        bool ok;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"00:11:22:33:44:55", true, {0x00, 0x11, 0x22, 0x33, 0x44, 0x55}},
        {"AA:bb:0F", true, {0xAA, 0xBB, 0x0F}},
        {"", false, {}},
        {"0:11", false, {}},
        {"00:11:", false, {}},
        {"00-11-22", false, {}},
        {"zz:11", false, {}},
        {"001122", false, {}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes{9};
        EXPECT_EQ(platform::ParseHardwareAddress(c.text, bytes), c.ok) << c.text;
        if (c.ok) {
            EXPECT_EQ(bytes, c.bytes) << c.text;
        } else {
            EXPECT_EQ(bytes, std::vector<uint8_t>{9}) << c.text;
        }
    }
}
