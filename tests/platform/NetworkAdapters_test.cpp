#include "platform/system/NetworkAdapters.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// A stand-in for the system's adapter folder: one folder per adapter with
// "address" and "type" files.
class AdapterTree : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "corvalo-net-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        mRoot = pattern;
    }
    void TearDown() override { fs::remove_all(mRoot); }

    void Add(const std::string& name, const char* address, const char* type = "1") {
        fs::create_directories(mRoot / name);
        if (address) {
            std::ofstream(mRoot / name / "address") << address << "\n";
        }
        std::ofstream(mRoot / name / "type") << type << "\n";
    }

    fs::path mRoot;
};

} // namespace

TEST_F(AdapterTree, FirstByName_SkipsLoopbackAndEmptyAddresses) {
    Add("lo", "00:00:00:00:00:00", "772");
    Add("wlp2s0", "aa:bb:cc:dd:ee:ff");
    Add("enp3s0", "00:11:22:33:44:55");
    Add("docker0", "00:00:00:00:00:00");
    Add("can0", nullptr);
    Add("abc-loop", "01:02:03:04:05:06", "772");
    platform::AdapterAddress address;
    ASSERT_TRUE(platform::FirstAdapterAddress(address, mRoot.string()));
    EXPECT_EQ(address.name, "enp3s0");
    EXPECT_EQ(address.bytes, (std::vector<uint8_t>{0x00, 0x11, 0x22, 0x33, 0x44, 0x55}));
}

TEST_F(AdapterTree, OnlyLoopback_FindsNothing) {
    Add("lo", "00:00:00:00:00:00", "772");
    platform::AdapterAddress address;
    address.name = "untouched";
    EXPECT_FALSE(platform::FirstAdapterAddress(address, mRoot.string()));
    EXPECT_EQ(address.name, "untouched");
}

TEST_F(AdapterTree, MissingRoot_FindsNothing) {
    platform::AdapterAddress address;
    EXPECT_FALSE(platform::FirstAdapterAddress(address, (mRoot / "absent").string()));
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
