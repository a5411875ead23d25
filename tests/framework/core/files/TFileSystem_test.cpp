#include "framework/core/files/TAssetScan.h"
#include "framework/core/files/TFile.h"
#include "framework/core/files/TFileSystem.h"
#include "framework/core/files/TPackWriter.h"

#include "FileTestTree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

class FileSystemTest : public ::testing::Test {
protected:
    // Data folders with capital letters, as a home folder or publisher
    // name may have them.
    void SetUp() override {
        user = tree.Root() + "/Home/.local/share/Publisher Co/Game";
        common = tree.Root() + "/Home/.local/share/common/Publisher Co/Game";
        desktop = tree.Root() + "/Home/Desktop";
        for (const std::string& folder : {user, common, desktop})
            std::filesystem::create_directories(folder);
        SetFolders();
    }

    void SetFolders() {
        SetUserDataFolder(TString(user.c_str()));
        SetCommonDataFolder(TString(common.c_str()));
        SetDesktopFolder(TString(desktop.c_str()));
    }

    // A pack in the tree built from name/content pairs.
    void MakePack(const std::string& path,
                  const std::vector<std::pair<std::string, std::string>>& entries) {
        std::vector<TPackSource> sources;
        int index = 0;
        for (const auto& [name, content] : entries) {
            std::string source = tree.Write("packsrc/" + std::to_string(index++), content);
            sources.push_back({TString(name.c_str()), TString(source.c_str())});
        }
        std::filesystem::create_directories(
            std::filesystem::path(tree.Root() + "/" + path).parent_path());
        TString error;
        ASSERT_TRUE(WritePackFile(TString((tree.Root() + "/" + path).c_str()), sources, error))
            << error.CStr();
    }

    static std::string Contents(const char* name) {
        TFile file;
        if (!file.Open(name, kFileReadBinary))
            return "(not opened)";
        std::string text(static_cast<size_t>(file.GetSize()), '\0');
        text.resize(static_cast<size_t>(file.Read(text.data(), file.GetSize())));
        return text;
    }

    static std::string Location(const char* name, bool forReading = true) {
        return ResolvePath(name, forReading).ToStd();
    }

    FileTestTree tree;
    std::string user;
    std::string common;
    std::string desktop;
};

TEST_F(FileSystemTest, Scan_RegistersAssetsUnderLowerCaseKeysWithDiskPaths) {
    tree.Write("assets/scripts/main.lua", "main");
    tree.Write("assets/Images/Tile.PNG", "png");
    InitFileSystem();
    struct {
        const char* name;
        const char* location;
    } cases[] = {
        {"scripts/main.lua", "assets/scripts/main.lua"},
        {"SCRIPTS/Main.LUA", "assets/scripts/main.lua"},
        {"assets/scripts/main.lua", "assets/scripts/main.lua"},
        {"assets\\scripts\\main.lua", "assets/scripts/main.lua"},
        {"images/tile.png", "assets/Images/Tile.PNG"}, // the disk's case is kept
        {"scripts/other.lua", ""},
        {"scripts", ""}, // folders are not entries
    };
    for (const auto& c : cases)
        EXPECT_EQ(Location(c.name), c.location) << c.name;
    EXPECT_EQ(Contents("Images/TILE.png"), "png");
}

TEST_F(FileSystemTest, HiddenList_KeepsNamesOutOfTheScanOnly) {
    tree.Write("assets/secret.txt", "s");
    tree.Write("assets/sub/Hidden.txt", "h");
    tree.Write("assets/later.txt", "l");
    tree.Write("final.txt", "Secret.TXT\r\n\tsub/hidden.txt  ");
    InitFileSystem();
    EXPECT_EQ(GetNameTable().count("secret.txt"), 0u);
    EXPECT_EQ(GetNameTable().count("sub/hidden.txt"), 0u);
    EXPECT_EQ(Location("secret.txt"), "");
    EXPECT_EQ(Location("sub/hidden.txt"), "");
    EXPECT_FALSE(IsNameVisible("secret.txt"));
    // A name hidden after the scan stays found: it is in the table.
    ApplyHiddenNameList("later.txt", true);
    EXPECT_FALSE(IsNameVisible("later.txt"));
    EXPECT_EQ(Location("later.txt"), "assets/later.txt");
    ApplyHiddenNameList("later.txt", false);
    EXPECT_TRUE(IsNameVisible("later.txt"));
}

TEST_F(FileSystemTest, HiddenList_DashStarEmptiesTheSet) {
    EXPECT_FALSE(ApplyHiddenNameList("a b", true));
    EXPECT_TRUE(ApplyHiddenNameList("c -* d", true));
    EXPECT_TRUE(IsNameVisible("a"));
    EXPECT_TRUE(IsNameVisible("c"));
    EXPECT_FALSE(IsNameVisible("d"));
}

TEST_F(FileSystemTest, HiddenList_FirstPeekReadsItsOwnFileAndLargeListsAreIgnored) {
    tree.Write("assets/a.txt", "a");
    tree.Write("assets/b.txt", "b");
    tree.Write("final.txt", "a.txt");
    tree.Write("firstpeek.txt", "b.txt");
    SetFirstPeek(true);
    InitFileSystem();
    EXPECT_NE(Location("a.txt"), "");
    EXPECT_EQ(Location("b.txt"), "");

    // The list is read while it is smaller than 100000 bytes.
    SetFirstPeek(false);
    FileTestTree::ResetFileSystem();
    tree.Write("final.txt", "a.txt" + std::string(99999 - 5, ' '));
    InitFileSystem();
    EXPECT_EQ(Location("a.txt"), "");
    EXPECT_EQ(tree.Log().find("too large"), std::string::npos);

    FileTestTree::ResetFileSystem();
    tree.Write("final.txt", "a.txt" + std::string(100000 - 5, ' '));
    InitFileSystem();
    EXPECT_NE(Location("a.txt"), "");
    EXPECT_NE(tree.Log().find("too large"), std::string::npos);
}

TEST_F(FileSystemTest, DataFolders_ScannedUnderTheirPrefixes) {
    tree.Write(user + "/Saves/Slot1.dat", "u");
    tree.Write(common + "/shared.dat", "c");
    InitFileSystem();
    EXPECT_EQ(Location("user:saves/slot1.dat"), user + "/Saves/Slot1.dat");
    EXPECT_EQ(Location("common:shared.dat"), common + "/shared.dat");
    EXPECT_EQ(Contents("USER:Saves/Slot1.dat"), "u");
}

TEST_F(FileSystemTest, DataFolders_PathWithCapitalsStillResolvesOnTheNextRun) {
    // First run: the game writes a save.
    InitFileSystem();
    {
        TFile file;
        ASSERT_TRUE(file.Open("user:prefsdb.dat", kFileWriteBinary));
        EXPECT_EQ(file.Write("data", 4), 4);
    }
    // Second run: a fresh table, filled by the scan of the same folders.
    FileTestTree::ResetFileSystem();
    SetFolders();
    InitFileSystem();
    EXPECT_TRUE(FileExists("user:prefsdb.dat"));
    EXPECT_EQ(Contents("user:prefsdb.dat"), "data");
}

TEST_F(FileSystemTest, DataFolders_NameResolvedForWritingDoesNotExistUntilWritten) {
    InitFileSystem();
    EXPECT_EQ(Location("user:never.dat", false), user + "/never.dat");
    EXPECT_FALSE(FileExists("user:never.dat"));
    EXPECT_EQ(Contents("user:never.dat"), "(not opened)");

    {
        TFile file;
        ASSERT_TRUE(file.Open("user:never.dat", kFileWriteBinary));
    }
    EXPECT_TRUE(FileExists("user:never.dat"));
    std::filesystem::remove(user + "/never.dat");
    EXPECT_FALSE(FileExists("user:never.dat"));
}

TEST_F(FileSystemTest, DataFolders_ReadingNeedsReadAndWritePermission) {
    tree.Write(user + "/locked.dat", "x");
    ::chmod((user + "/locked.dat").c_str(), 0444);
    EXPECT_FALSE(FileExists("user:locked.dat"));
    EXPECT_EQ(Location("user:locked.dat", false), user + "/locked.dat");
}

TEST_F(FileSystemTest, DataFolders_WritingCreatesMissingFolders) {
    TFile file;
    ASSERT_TRUE(file.Open("user:new/sub/file.dat", kFileWriteText));
    EXPECT_TRUE(std::filesystem::is_directory(user + "/new/sub"));
    ASSERT_TRUE(file.Open("common:a/b.dat", kFileAppendBinary));
    EXPECT_TRUE(std::filesystem::is_directory(common + "/a"));
    ASSERT_TRUE(file.Open("desktop:Note.txt", kFileWriteText));
    EXPECT_TRUE(std::filesystem::exists(desktop + "/Note.txt"));
    // Reading never creates anything.
    EXPECT_FALSE(file.Open("user:other/x.dat", kFileReadBinary));
    EXPECT_FALSE(std::filesystem::exists(user + "/other"));
}

TEST_F(FileSystemTest, DataFolders_WritingElsewhereCreatesNoFolders) {
    // A desktop whose path merely starts with the user folder's text lies
    // outside it: no folders are made there.
    std::string lookalike = user + "Extra";
    std::filesystem::create_directories(lookalike);
    SetDesktopFolder(TString(lookalike.c_str()));
    TFile file;
    EXPECT_FALSE(file.Open("desktop:new/x.txt", kFileWriteBinary));
    EXPECT_FALSE(std::filesystem::exists(lookalike + "/new"));
    std::filesystem::create_directories(lookalike + "/made");
    EXPECT_TRUE(file.Open("desktop:made/x.txt", kFileWriteBinary));
}

TEST_F(FileSystemTest, ScanAssetFolder_KeysFollowTheFolderAndPrefix) {
    tree.Write("assets/sub/a.txt", "a");
    tree.Write("Extra/Dir/B.txt", "b");
    tree.Write("dot/c.txt", "c");
    ScanAssetFolder("assets/sub", "");
    ScanAssetFolder("Extra/Dir", "");
    ScanAssetFolder("dot", ".");
    ScanAssetFolder("dot", "Pre/");
    EXPECT_EQ(Location("sub/a.txt"), "assets/sub/a.txt");
    EXPECT_EQ(Location("extra/dir/b.txt"), "Extra/Dir/B.txt");
    EXPECT_EQ(Location("c.txt"), "dot/c.txt"); // a prefix "." is no prefix
    EXPECT_EQ(Location("pre/c.txt"), "dot/c.txt");
    EXPECT_EQ(GetNameTable().size(), 4u);
}

TEST_F(FileSystemTest, ScanAssetFolder_AFolderThatCannotBeListedIsLogged) {
    tree.Write("assets/open/a.txt", "a");
    tree.Write("assets/locked/b.txt", "b");
    if (::geteuid() == 0)
        GTEST_SKIP() << "every folder can be listed by root";
    ::chmod("assets/locked", 0100);
    ScanAssetFolder("assets", "");
    ::chmod("assets/locked", 0700);
    EXPECT_EQ(Location("open/a.txt"), "assets/open/a.txt");
    EXPECT_EQ(Location("locked/b.txt"), "");
    EXPECT_NE(tree.Log().find("cannot list assets/locked"), std::string::npos) << tree.Log();
}

TEST_F(FileSystemTest, DataFolders_RefuseNamesOutsideTheirFolder) {
    SetDesktopFolder("");
    EXPECT_EQ(Location("desktop:x.txt", false), ""); // never the disk's root
    EXPECT_EQ(Location("user:../escape.txt", false), "");
    EXPECT_EQ(Location("user:a/../../escape.txt", false), "");
    EXPECT_EQ(Location("user:", false), "");
    EXPECT_NE(tree.Log().find("refused"), std::string::npos);
    EXPECT_EQ(Location("user:a..b.txt", false), user + "/a..b.txt");
}

TEST_F(FileSystemTest, HostedControl_SkipsDataFolderScanButResolvesUserNames) {
    tree.Write(user + "/scanned.dat", "x");
    SetHostedControl(true);
    InitFileSystem();
    EXPECT_EQ(GetNameTable().count("user:scanned.dat"), 0u);
    EXPECT_TRUE(FileExists("user:scanned.dat"));
}

TEST_F(FileSystemTest, DoubleColon_PathKeepsItsCaseAndMustExist) {
    tree.Write("Data/Mixed.TXT", "m");
    EXPECT_EQ(Location("::Data/Mixed.TXT"), "Data/Mixed.TXT");
    EXPECT_EQ(Contents("::Data/Mixed.TXT"), "m");
    EXPECT_EQ(Location("::Data/missing.txt", false), "");
    EXPECT_EQ(Location("::Data", true), "");
    EXPECT_EQ(GetNameTable().size(), 0u);
}

TEST_F(FileSystemTest, Packs_LooseFileWinsAndLaterPackWins) {
    tree.Write("assets/shared.txt", "loose");
    MakePack("assets/a.nbp", {{"shared.txt", "pack a"}, {"Scripts/Main.lua", "a"}, {"x", "a"}});
    MakePack("assets/b.nbp", {{"X", "b"}});
    InitFileSystem();
    EXPECT_EQ(Contents("shared.txt"), "loose");
    EXPECT_EQ(Contents("scripts/main.lua"), "a");
    EXPECT_EQ(Contents("x"), "b");
    EXPECT_EQ(Location("x").substr(0, 3), "@1:");
}

TEST_F(FileSystemTest, Packs_OnlyTheTopOfTheAssetsFolderHoldsPacks) {
    MakePack("assets/sub/inner.nbp", {{"inner.txt", "i"}});
    std::filesystem::create_directories(user);
    MakePack("Home/.local/share/Publisher Co/Game/user.nbp", {{"fromuser.txt", "u"}});
    InitFileSystem();
    EXPECT_EQ(Location("inner.txt"), "");
    EXPECT_EQ(Location("fromuser.txt"), "");
    // The pack files themselves are ordinary entries.
    EXPECT_EQ(Location("sub/inner.nbp"), "assets/sub/inner.nbp");
}

TEST_F(FileSystemTest, Scan_SkipsSvnFoldersAndLinkLoops) {
    tree.Write("assets/.svn/entries", "svn");
    tree.Write("assets/real/file.txt", "f");
    std::filesystem::create_directory_symlink(tree.Root() + "/assets",
                                              tree.Root() + "/assets/real/loop");
    std::filesystem::create_directory_symlink(tree.Root() + "/elsewhere",
                                              tree.Root() + "/assets/linked");
    tree.Write("elsewhere/outside.txt", "o");
    InitFileSystem();
    EXPECT_EQ(Location(".svn/entries"), "");
    EXPECT_EQ(Contents("real/file.txt"), "f");
    EXPECT_EQ(Contents("linked/outside.txt"), "o"); // links to other folders are followed
    EXPECT_EQ(Location("real/loop/real/file.txt"), "");
    EXPECT_NE(tree.Log().find("leads back"), std::string::npos);
}

TEST_F(FileSystemTest, NextRegisteredName_WalksOneFolderInByteOrder) {
    for (const char* name : {"loc/en/strings.xml", "loc/de/strings.xml", "loc/readme.txt",
                             "loc/Z.txt", "locale.txt", "other/x.txt"})
        tree.Write(std::string("assets/") + name, "x");
    InitFileSystem();
    auto walk = [](const char* folder, bool recursive) {
        std::vector<std::string> names;
        TString name;
        while (NextRegisteredName(folder, name, recursive))
            names.push_back(name.ToStd());
        return names;
    };
    EXPECT_EQ(walk("loc/", false), (std::vector<std::string>{"loc/readme.txt", "loc/z.txt"}));
    EXPECT_EQ(walk("LOC/", true),
              (std::vector<std::string>{"loc/de/strings.xml", "loc/en/strings.xml",
                                        "loc/readme.txt", "loc/z.txt"}));
    EXPECT_EQ(walk("missing/", true), std::vector<std::string>{});
}

TEST_F(FileSystemTest, NextRegisteredName_ListsTopLevelAndDataFolderNames) {
    // As the start-up uses it: plug-in modules at the top of the assets,
    // string files directly in the user data folder.
    tree.Write("assets/Game.nbmod", "m");
    tree.Write("assets/scripts/inner.nbmod", "m");
    tree.Write(user + "/Strings_DE.xml", "s");
    tree.Write(user + "/saves/strings_x.xml", "s");
    InitFileSystem();
    auto walk = [](const char* folder) {
        std::vector<std::string> names;
        TString name;
        while (NextRegisteredName(folder, name, false))
            names.push_back(name.ToStd());
        return names;
    };
    EXPECT_EQ(walk(""), (std::vector<std::string>{"game.nbmod", "user:strings_de.xml"}));
    EXPECT_EQ(walk("user:"), (std::vector<std::string>{"user:strings_de.xml"}));
}

TEST_F(FileSystemTest, DeletedAsset_IsFoundUnderNoSpellingOfItsName) {
    tree.Write("assets/gone.txt", "g");
    InitFileSystem();
    for (const char* name : {"gone.txt", "assets/gone.txt", "assets\\GONE.txt"})
        EXPECT_TRUE(FileExists(name)) << name;
    std::filesystem::remove("assets/gone.txt");
    for (const char* name : {"gone.txt", "assets/gone.txt", "assets\\GONE.txt"})
        EXPECT_FALSE(FileExists(name)) << name;
    // Writing still resolves it, so the file can be made again.
    EXPECT_EQ(Location("assets/gone.txt", false), "assets/gone.txt");
}

TEST_F(FileSystemTest, ClearNameRegistry_ForgetsEveryName) {
    tree.Write("assets/a.txt", "a");
    InitFileSystem();
    ASSERT_TRUE(FileExists("a.txt"));
    ClearNameRegistry();
    EXPECT_FALSE(FileExists("a.txt"));
}

} // namespace
