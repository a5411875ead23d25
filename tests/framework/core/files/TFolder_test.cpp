#include "framework/core/files/TDirectoryIterator.h"
#include "framework/core/files/TFolder.h"
#include "framework/core/settings/TSettings.h"

#include "FileTestTree.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct WideCase {
    const char* utf8;
    std::u16string wide;
};

TEST(FolderText, Utf8ToWide_ConvertsAndReplacesMalformedBytes) {
    const WideCase cases[] = {
        {"", u""},
        {"plain/path.txt", u"plain/path.txt"},
        {"caf\xC3\xA9", u"caf\u00E9"},
        {"\xE2\x82\xAC", u"\u20AC"},
        {"\xF0\x9F\x83\x8F", u"\U0001F0CF"}, // outside the BMP: a pair
        {"a\xFF"
         "b",
         u"a\uFFFDb"},               // invalid lead byte
        {"a\xC3", u"a\uFFFD"},       // cut sequence at the end
        {"\xC0\xAF", u"\uFFFD"},     // overlong "/": one replacement
        {"\xED\xA0\x80", u"\uFFFD"}, // encoded surrogate
        {"\xE2\x82"
         "x",
         u"\uFFFDx"}, // cut sequence in the middle
    };
    for (const WideCase& c : cases) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(Utf8ToWide(c.utf8), c.wide);
    }
    EXPECT_EQ(Utf8ToWide(static_cast<const char*>(nullptr)), u"");
}

TEST(FolderText, WideToUtf8_RoundTripsAndReplacesLoneSurrogates) {
    for (const char* text : {"", "abc", "caf\xC3\xA9", "\xF0\x9F\x83\x8F x"})
        EXPECT_EQ(WideToUtf8(Utf8ToWide(text)).ToStd(), text);
    EXPECT_EQ(WideToUtf8(std::u16string(u"a") + char16_t(0xD800) + u"b").ToStd(), "a\xEF\xBF\xBD"
                                                                                  "b");
    EXPECT_EQ(WideToUtf8(std::u16string(1, char16_t(0xDC00))).ToStd(), "\xEF\xBF\xBD");
    EXPECT_EQ(WideToUtf8(static_cast<const char16_t*>(nullptr)).ToStd(), "");
}

TEST(FolderText, GetFullPath_ResolvesDotsAgainstTheWorkingFolder) {
    FileTestTree tree;
    std::string root = std::filesystem::current_path().string();
    EXPECT_EQ(GetFullPath("a/./b/../c").ToStd(), root + "/a/c");
    EXPECT_EQ(GetFullPath("/x//y/").ToStd(), "/x/y");
    EXPECT_EQ(GetFullPath("").ToStd(), "");
}

// Points HOME, XDG_DATA_HOME and XDG_CONFIG_HOME into a test tree for the
// life of the object, and puts the old values back afterwards.
class EnvironmentGuard {
public:
    EnvironmentGuard() {
        for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"}) {
            const char* value = std::getenv(name);
            mSaved.push_back({name, value ? value : "", value != nullptr});
        }
    }
    ~EnvironmentGuard() {
        for (const Saved& saved : mSaved) {
            if (saved.present)
                ::setenv(saved.name, saved.value.c_str(), 1);
            else
                ::unsetenv(saved.name);
        }
    }

private:
    struct Saved {
        const char* name;
        std::string value;
        bool present;
    };
    std::vector<Saved> mSaved;
};

class DataFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        home = tree.Root() + "/Home User";
        std::filesystem::create_directories(home);
        ::setenv("HOME", home.c_str(), 1);
        ::unsetenv("XDG_DATA_HOME");
        ::unsetenv("XDG_CONFIG_HOME");
    }

    EnvironmentGuard environment;
    FileTestTree tree;
    std::string home;
};

TEST_F(DataFolderTest, GetDataFolder_CreatesPublisherThenGameUnderTheDataHome) {
    TString folder = GetDataFolder(false, "Big Studio", "Card Game");
    EXPECT_EQ(folder.ToStd(), home + "/.local/share/Big Studio/Card Game/");
    EXPECT_TRUE(std::filesystem::is_directory(folder.ToStd()));

    TString common = GetDataFolder(true, "Big Studio", "Card Game");
    EXPECT_EQ(common.ToStd(), home + "/.local/share/common/Big Studio/Card Game/");
    EXPECT_TRUE(std::filesystem::is_directory(common.ToStd()));
}

TEST_F(DataFolderTest, GetDataFolder_DefaultPublisherAndXdgDataHome) {
    std::string data = tree.Root() + "/xdg data";
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    TString folder = GetDataFolder(false, "", "Game");
    EXPECT_EQ(folder.ToStd(), data + "/Nimbrel/Game/");
    EXPECT_TRUE(std::filesystem::is_directory(data + "/Nimbrel/Game"));
    // A relative XDG_DATA_HOME is not valid and is passed over.
    ::setenv("XDG_DATA_HOME", "relative", 1);
    EXPECT_EQ(GetDataFolder(false, "P", "G").ToStd(), home + "/.local/share/P/G/");
}

TEST_F(DataFolderTest, GetDataFolder_PublisherComesFromTheSettingWhenStored) {
    ClearSettings();
    EXPECT_EQ(GetDataFolder(false, "Game").ToStd(), home + "/.local/share/Nimbrel/Game/");
    SetSetting("publisher", "Big Studio");
    EXPECT_EQ(GetDataFolder(false, "Game").ToStd(), home + "/.local/share/Big Studio/Game/");
    EXPECT_EQ(GetDataFolder(true, "Game").ToStd(), home + "/.local/share/common/Big Studio/Game/");
    ClearSettings();
}

TEST_F(DataFolderTest, GetDataFolder_WithoutAnyHomeGivesNothing) {
    ::unsetenv("HOME");
    EXPECT_EQ(GetDataFolder(false, "P", "G").ToStd(), "");
    EXPECT_EQ(GetDataFolder(false, "P", "").ToStd(), "");
    EXPECT_EQ(GetDesktopFolder().ToStd(), "");
}

TEST_F(DataFolderTest, GetDesktopFolder_ReadsUserDirsOrFallsBackToDesktop) {
    EXPECT_EQ(GetDesktopFolder().ToStd(), home + "/Desktop");
    tree.Write(home + "/.config/user-dirs.dirs",
               "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n");
    EXPECT_EQ(GetDesktopFolder().ToStd(), home + "/Schreibtisch");

    char buffer[512];
    EXPECT_EQ(GetDesktopFolder(buffer, sizeof buffer), 0);
    EXPECT_EQ(std::string(buffer), home + "/Schreibtisch");
    int needed = static_cast<int>(home.size() + std::strlen("/Schreibtisch") + 1);
    char small[8];
    EXPECT_EQ(GetDesktopFolder(small, sizeof small), needed);
    EXPECT_EQ(std::strlen(small), sizeof small - 1);
    EXPECT_EQ(GetDesktopFolder(nullptr, 10), -1);
}

TEST(DirectoryIterator, ListsFilesAndFoldersInByteOrder) {
    FileTestTree tree;
    tree.Write("assets/b.txt", "");
    tree.Write("assets/A.txt", "");
    tree.Write("assets/sub/inner.txt", "");
    auto list = [](const char* path, bool withFolders) {
        std::vector<std::string> names;
        TDirectoryIterator it(path);
        TString name;
        bool isDirectory = false;
        while (it.Next(name, withFolders ? &isDirectory : nullptr))
            names.push_back(name.ToStd() + (withFolders && isDirectory ? "/" : ""));
        return names;
    };
    std::vector<std::string> all{"A.txt", "b.txt", "sub/"};
    EXPECT_EQ(list("assets", true), all);
    EXPECT_EQ(list("assets/", true), all);
    EXPECT_EQ(list("assets\\", true), all);
    EXPECT_EQ(list("assets", false), (std::vector<std::string>{"A.txt", "b.txt"}));
    EXPECT_EQ(list("missing", true), std::vector<std::string>{});
    EXPECT_EQ(list(nullptr, true), std::vector<std::string>{});

    TDirectoryIterator it("assets");
    TString name;
    it.Start(nullptr); // closes the listing
    EXPECT_FALSE(it.Next(name, nullptr));
}

} // namespace
