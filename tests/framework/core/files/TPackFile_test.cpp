#include "framework/core/files/TAssetScan.h"
#include "framework/core/files/TFile.h"
#include "framework/core/files/TFileSystem.h"
#include "framework/core/files/TMemoryFile.h"
#include "framework/core/files/TPackFile.h"
#include "framework/core/files/TPackWriter.h"

#include "FileTestTree.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// Little-endian pack bytes built by hand, so damaged tables can be made.
class PackBytes {
public:
    PackBytes& Magic(const char* magic = "NBPK") {
        mBytes.append(magic, 4);
        return *this;
    }
    PackBytes& Int(int32_t value) {
        uint32_t bits = static_cast<uint32_t>(value);
        for (int i = 0; i < 4; ++i)
            mBytes.push_back(static_cast<char>(bits >> (8 * i)));
        return *this;
    }
    PackBytes& Entry(const std::string& name, int32_t offset, int32_t size) {
        mBytes.push_back(static_cast<char>(name.size()));
        mBytes += name;
        return Int(offset).Int(size);
    }
    PackBytes& Raw(const std::string& bytes) {
        mBytes += bytes;
        return *this;
    }
    const std::string& Bytes() const { return mBytes; }

private:
    std::string mBytes;
};

class PackTest : public ::testing::Test {
protected:
    static std::string ReadAll(TFile& file, int32_t chunk = 5) {
        std::string text;
        std::vector<char> buffer(static_cast<size_t>(chunk));
        int32_t got;
        while ((got = file.Read(buffer.data(), chunk)) > 0)
            text.append(buffer.data(), static_cast<size_t>(got));
        return text;
    }

    // A pack of one entry "text.txt" holding "ab\r\ncd\r\n".
    void WriteSimplePack(const std::string& path, const std::string& content = "ab\r\ncd\r\n") {
        PackBytes pack;
        int32_t offset = 8 + 1 + 8 + 8;
        pack.Magic().Int(1).Entry("Text.TXT", offset, static_cast<int32_t>(content.size()));
        pack.Raw(content);
        tree.Write(path, pack.Bytes());
    }

    FileTestTree tree;
};

TEST_F(PackTest, Writer_RoundTripsTheSampleFolder) {
    std::vector<TPackSource> sources;
    TString error;
    ASSERT_TRUE(CollectPackSources(CORVALO_TEST_DATA "/files/sample", sources, error))
        << error.CStr();
    ASSERT_EQ(sources.size(), 4u);
    EXPECT_EQ(sources[0].name.ToStd(), "Cursor.PNG"); // byte order: capitals first
    EXPECT_EQ(sources[2].name.ToStd(), "loc/en/strings.txt");
    std::filesystem::create_directories("assets");
    ASSERT_TRUE(WritePackFile("assets/sample.nbp", sources, error)) << error.CStr();

    InitFileSystem();
    for (const TPackSource& source : sources) {
        SCOPED_TRACE(source.name.CStr());
        TString key = source.name;
        key.ToLower();
        EXPECT_EQ(ResolvePath(key.CStr(), true).CharAt(0), '@');
        TFile file;
        ASSERT_TRUE(file.Open(key.CStr(), kFileReadBinary));
        EXPECT_EQ(ReadAll(file), FileTestTree::Read(source.path.ToStd()));
    }
}

TEST_F(PackTest, Writer_RefusesAFileOrAFolderItCannotList) {
    tree.Write("source/a.txt", "a");
    std::vector<TPackSource> sources;
    TString error;
    EXPECT_FALSE(CollectPackSources("source/a.txt", sources, error));
    EXPECT_EQ(error.ToStd(), "cannot list source/a.txt");
    EXPECT_FALSE(CollectPackSources("missing", sources, error));
    EXPECT_EQ(error.ToStd(), "cannot list missing");
    if (::geteuid() == 0)
        GTEST_SKIP() << "every folder can be listed by root";
    // A subfolder that is there but cannot be read would leave files out.
    tree.Write("source/locked/b.txt", "b");
    std::filesystem::permissions("source/locked", std::filesystem::perms::owner_exec);
    bool collected = CollectPackSources("source", sources, error);
    std::filesystem::permissions("source/locked", std::filesystem::perms::owner_all);
    EXPECT_FALSE(collected);
    EXPECT_EQ(error.ToStd(), "cannot list source/locked");
}

TEST_F(PackTest, Writer_RefusesFifosAndDevicesWithAReason) {
    // A FIFO once blocked the pack tool for ever, and a link to /dev/zero
    // made it read gigabytes.
    tree.Write("source/a.txt", "a");
    std::filesystem::create_directories("pipe");
    ASSERT_EQ(::mkfifo("pipe/fifo", 0600), 0);
    tree.Write("zero/a.txt", "a");
    std::filesystem::create_symlink("/dev/zero", "zero/z.bin");
    struct {
        const char* folder;
        const char* error;
    } cases[] = {
        {"pipe", "not a regular file: pipe/fifo"},
        {"zero", "not a regular file: zero/z.bin"},
    };
    for (const auto& c : cases) {
        std::vector<TPackSource> sources;
        TString error;
        EXPECT_FALSE(CollectPackSources(c.folder, sources, error)) << c.folder;
        EXPECT_EQ(error.ToStd(), c.error);
    }
    // Sources named by hand are read only when they are regular files too.
    TString error;
    EXPECT_FALSE(WritePackFile("out.nbp", {{"fifo", "pipe/fifo"}}, error));
    EXPECT_EQ(error.ToStd(), "cannot read pipe/fifo");
    EXPECT_FALSE(std::filesystem::exists("out.nbp"));
}

TEST_F(PackTest, Writer_FailingOverAnExistingPack_KeepsTheOldPack) {
    tree.Write("source/big.bin", std::string(20000, 'b'));
    tree.Write("old.nbp", "the old pack");
    std::vector<TPackSource> sources;
    TString error;
    ASSERT_TRUE(CollectPackSources("source", sources, error)) << error.CStr();
    // The child may write 4,000 bytes per file, as on a nearly full disk.
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4000, 4000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        bool written = WritePackFile("old.nbp", sources, error);
        ::_exit(!written && error.View().find("cannot write old.nbp") == 0 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(FileTestTree::Read("old.nbp"), "the old pack");
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(".")) {
        files += entry.is_regular_file() ? 1 : 0;
    }
    EXPECT_EQ(files, 1u) << "no temporary file is left behind";
    // With room on the disk the pack is replaced.
    ASSERT_TRUE(WritePackFile("old.nbp", sources, error)) << error.CStr();
    EXPECT_EQ(FileTestTree::Read("old.nbp").size(), 8u + 1 + 7 + 8 + 20000);
}

TEST_F(PackTest, Tool_PacksAFolderThatTheInspectorLists) {
    std::string tools = std::string(CORVALO_BINARY_DIR) + "/tools/";
    if (!std::filesystem::exists(tools + "nbpack") ||
        !std::filesystem::exists(tools + "nbpackinspect"))
        GTEST_SKIP() << "the pack tools are not built";
    std::string pack = tree.Root() + "/tool.nbp";
    std::string listing = tree.Root() + "/listing.txt";
    ASSERT_EQ(
        std::system(
            (tools + "nbpack " CORVALO_TEST_DATA "/files/sample " + pack + " > /dev/null").c_str()),
        0);
    ASSERT_EQ(std::system((tools + "nbpackinspect list " + pack + " > " + listing).c_str()), 0);
    std::string text = FileTestTree::Read(listing);
    EXPECT_NE(text.find("4 entries"), std::string::npos);
    EXPECT_NE(text.find("scripts/main.lua\t"), std::string::npos);
    tree.Write("cut.nbp", FileTestTree::Read(pack).substr(0, 30));
    EXPECT_NE(std::system((tools + "nbpackinspect list cut.nbp 2> /dev/null").c_str()), 0);

    // An entry comes back out with the bytes of its source file.
    std::string extracted = tree.Root() + "/main.lua";
    ASSERT_EQ(
        std::system(
            (tools + "nbpackinspect extract " + pack + " scripts/main.lua " + extracted).c_str()),
        0);
    EXPECT_EQ(FileTestTree::Read(extracted),
              FileTestTree::Read(CORVALO_TEST_DATA "/files/sample/scripts/main.lua"));

    // Names resolve against a tree with the pack and a loose file in its
    // assets folder; an unresolved name makes the tool fail.
    std::filesystem::create_directories(tree.Root() + "/game/assets");
    std::filesystem::copy_file(pack, tree.Root() + "/game/assets/tool.nbp");
    tree.Write("game/assets/Loose.txt", "loose");
    std::string resolved = tree.Root() + "/resolved.txt";
    EXPECT_NE(std::system((tools + "nbpackinspect resolve " + tree.Root() +
                           "/game scripts/main.lua LOOSE.TXT missing.txt > " + resolved)
                              .c_str()),
              0);
    text = FileTestTree::Read(resolved);
    EXPECT_NE(text.find("scripts/main.lua\t@0:"), std::string::npos) << text;
    EXPECT_NE(text.find("LOOSE.TXT\tassets/Loose.txt\t5 bytes"), std::string::npos) << text;
    EXPECT_NE(text.find("missing.txt\t(not found)"), std::string::npos) << text;
}

struct DamagedCase {
    const char* what;
    std::string bytes;
    const char* logged;
};

TEST_F(PackTest, Damaged_PackRegistersNothingAndSaysWhy) {
    const DamagedCase cases[] = {
        {"bad magic", PackBytes().Magic("NBPX").Int(0).Bytes(), "no NBPK"},
        {"short header", PackBytes().Magic().Raw("\1").Bytes(), "too short"},
        {"negative count", PackBytes().Magic().Int(-1).Bytes(), "negative entry count"},
        {"huge count", PackBytes().Magic().Int(INT32_MAX).Entry("a", 0, 1).Bytes(), "does not fit"},
        {"truncated table",
         PackBytes()
             .Magic()
             .Int(3)
             .Entry("a", 0, 1)
             .Entry("b", 0, 1)
             .Raw("\x0c"
                  "abcdefgh")
             .Bytes(),
         "table ends inside entry 2"},
        {"name past the end",
         PackBytes().Magic().Int(1).Raw("\xff").Raw(std::string(20, 'n')).Bytes(),
         "table ends inside entry 0"},
        {"offset past the end", PackBytes().Magic().Int(1).Entry("a", 1000, 1).Bytes(), "outside"},
        {"size past the end", PackBytes().Magic().Int(1).Entry("a", 0, 1000).Bytes(), "outside"},
        {"negative size", PackBytes().Magic().Int(1).Entry("a", 0, -5).Bytes(), "outside"},
        {"negative offset", PackBytes().Magic().Int(1).Entry("a", -8, 4).Bytes(), "outside"},
        {"offset and size overflow",
         PackBytes().Magic().Int(1).Entry("a", INT32_MAX, INT32_MAX).Bytes(), "outside"},
        {"nameless entry", PackBytes().Magic().Int(1).Entry("", 0, 1).Bytes(), "no name"},
        {"one bad entry after a good one",
         PackBytes().Magic().Int(2).Entry("good", 0, 4).Entry("bad", 0, 9999).Bytes(), "outside"},
    };
    for (const DamagedCase& c : cases) {
        SCOPED_TRACE(c.what);
        FileTestTree::ResetFileSystem();
        tree.Write("assets/damaged.nbp", c.bytes);
        EXPECT_FALSE(LoadPack(GetNameTable(), "::assets/damaged.nbp"));
        EXPECT_TRUE(GetNameTable().empty());
        EXPECT_TRUE(GetPackList().empty());
        std::string log = tree.Log();
        EXPECT_NE(log.find("assets/damaged.nbp"), std::string::npos) << log;
        EXPECT_NE(log.find(c.logged), std::string::npos) << log;
    }
}

TEST_F(PackTest, Damaged_ReloadKeepsTheEarlierGoodPack) {
    WriteSimplePack("assets/p.nbp", "good");
    ASSERT_TRUE(LoadPack(GetNameTable(), "::assets/p.nbp"));
    tree.Write("assets/p2.nbp", PackBytes().Magic().Int(5).Bytes());
    std::filesystem::rename("assets/p2.nbp", "assets/p.nbp");
    EXPECT_FALSE(LoadPack(GetNameTable(), "::assets/p.nbp"));
    TFile file;
    ASSERT_TRUE(file.Open("text.txt", kFileReadBinary));
    EXPECT_EQ(ReadAll(file), "good");
}

TEST_F(PackTest, Reload_OpenFileKeepsItsMapping) {
    WriteSimplePack("assets/p.nbp", "first version");
    ASSERT_TRUE(LoadPack(GetNameTable(), "::assets/p.nbp"));
    TFile before;
    ASSERT_TRUE(before.Open("text.txt", kFileReadBinary));

    // A new pack file replaces the old one, which stays mapped.
    WriteSimplePack("assets/p2.nbp", "second");
    std::filesystem::rename("assets/p2.nbp", "assets/p.nbp");
    ASSERT_TRUE(LoadPack(GetNameTable(), "::assets/p.nbp"));
    EXPECT_EQ(GetPackList().size(), 1u); // same index
    EXPECT_EQ(ReadAll(before), "first version");

    TFile after;
    ASSERT_TRUE(after.Open("text.txt", kFileReadBinary));
    EXPECT_EQ(ReadAll(after), "second");
    ClearPackList();
    EXPECT_EQ(ReadAll(after), ""); // at its end; its mapping is still valid
    after.Seek(0, kSeekStart);
    EXPECT_EQ(ReadAll(after), "second");
}

TEST_F(PackTest, Reload_ForgetsNamesThatTheNewTableNoLongerHas) {
    // First version: "keep.txt" and "gone.txt"; second: "keep.txt" only,
    // at an offset where the first version had "gone.txt".
    int32_t table1 = 8 + (1 + 8 + 8) * 2;
    tree.Write("assets/p.nbp", PackBytes()
                                   .Magic()
                                   .Int(2)
                                   .Entry("keep.txt", table1, 4)
                                   .Entry("gone.txt", table1 + 4, 4)
                                   .Raw("KEEPGONE")
                                   .Bytes());
    ASSERT_TRUE(LoadPack(GetNameTable(), "::assets/p.nbp"));
    GetNameTable()["loose.txt"] = "assets/loose.txt";
    int32_t table2 = 8 + 1 + 8 + 8;
    tree.Write("assets/p2.nbp",
               PackBytes().Magic().Int(1).Entry("keep.txt", table2, 8).Raw("new keep").Bytes());
    std::filesystem::rename("assets/p2.nbp", "assets/p.nbp");
    ASSERT_TRUE(LoadPack(GetNameTable(), "::assets/p.nbp"));

    EXPECT_EQ(ResolvePath("gone.txt", true).ToStd(), "");
    TFile file;
    EXPECT_FALSE(file.Open("gone.txt", kFileReadBinary));
    ASSERT_TRUE(file.Open("keep.txt", kFileReadBinary));
    EXPECT_EQ(ReadAll(file), "new keep");
    // Names of other origins stay.
    EXPECT_EQ(ResolvePath("loose.txt", false).ToStd(), "assets/loose.txt");
}

TEST_F(PackTest, LogicalName_MapsThePackWhereTheNameLeads) {
    // The name leads into a folder that is not the working directory's.
    WriteSimplePack("assets/sub/p.nbp", "mapped");
    GetNameTable()["extra.nbp"] = "assets/sub/p.nbp";
    ASSERT_TRUE(LoadPack(GetNameTable(), "extra.nbp"));
    ASSERT_EQ(GetPackList().size(), 1u);
    EXPECT_NE(GetPackList()[0].GetData(), nullptr);
    EXPECT_EQ(GetPackList()[0].GetName().ToStd(), "extra.nbp");
    TFile file;
    ASSERT_TRUE(file.Open("text.txt", kFileReadBinary));
    EXPECT_EQ(ReadAll(file), "mapped");
    EXPECT_EQ(tree.Log().find("Failed to open flat file"), std::string::npos) << tree.Log();
}

TEST_F(PackTest, MissingPack_LoadsNothing) {
    EXPECT_FALSE(LoadPack(GetNameTable(), "::assets/none.nbp"));
    EXPECT_FALSE(LoadPack(GetNameTable(), "none.nbp"));
    EXPECT_TRUE(GetPackList().empty());
    EXPECT_TRUE(GetNameTable().empty());
}

TEST_F(PackTest, Unmapped_PackKeepsEntriesThatFailToOpenWithALogLine) {
    // A pack that opens as a file but has no disk path to map: a block of
    // memory registered under a name.
    std::string bytes = PackBytes().Magic().Int(1).Entry("inside.txt", 25, 2).Raw("hi").Bytes();
    RegisterMemoryFile("memory.nbp", bytes.data(), static_cast<int32_t>(bytes.size()));
    ASSERT_TRUE(LoadPack(GetNameTable(), "memory.nbp"));
    EXPECT_NE(tree.Log().find("Failed to open flat file memory.nbp"), std::string::npos);
    EXPECT_EQ(ResolvePath("inside.txt", true).ToStd(), "@0:25,2");
    TFile file;
    EXPECT_FALSE(file.Open("inside.txt", kFileReadBinary));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_NE(tree.Log().find("error reading @0:25,2 from flat file"), std::string::npos);
}

TEST_F(PackTest, FlatFile_TextModeDropsCrAndBinaryKeepsIt) {
    WriteSimplePack("assets/p.nbp");
    ASSERT_TRUE(LoadPack(GetNameTable(), "::assets/p.nbp"));
    TFile file;
    ASSERT_TRUE(file.Open("TEXT.txt", kFileReadBinary));
    EXPECT_EQ(ReadAll(file), "ab\r\ncd\r\n");
    ASSERT_TRUE(file.Open("text.txt", kFileReadText));
    EXPECT_EQ(ReadAll(file, 3), "ab\ncd\n");
    EXPECT_EQ(file.Write("x", 1), 0);
}

TEST_F(PackTest, FlatFile_AtEndOnlyAfterAskingForMoreThanRemains) {
    WriteSimplePack("assets/p.nbp", "abcd");
    ASSERT_TRUE(LoadPack(GetNameTable(), "::assets/p.nbp"));
    TFile file;
    ASSERT_TRUE(file.Open("text.txt", kFileReadBinary));
    char buffer[8];
    EXPECT_EQ(file.Read(buffer, 4), 4);
    EXPECT_FALSE(file.AtEnd());
    EXPECT_EQ(file.Read(buffer, 1), 0);
    EXPECT_TRUE(file.AtEnd());
    file.UngetByte();
    EXPECT_FALSE(file.AtEnd());
    EXPECT_EQ(file.Tell(), 3);
    file.Seek(-10, kSeekCurrent); // before the start: goes to the end
    EXPECT_EQ(file.Tell(), 4);
    file.Seek(100, kSeekStart);
    EXPECT_EQ(file.Tell(), 4);
    file.Seek(-1, kSeekEnd);
    EXPECT_EQ(file.Tell(), 3);
    EXPECT_EQ(file.Read(buffer, -4), 0);
    // A seek that misses the entry leaves the flag; one inside clears it.
    EXPECT_EQ(file.Read(buffer, 8), 1);
    EXPECT_TRUE(file.AtEnd());
    file.Seek(100, kSeekStart);
    EXPECT_TRUE(file.AtEnd());
    file.Seek(0, kSeekStart);
    EXPECT_FALSE(file.AtEnd());
    file.Seek(-1, kSeekStart);
    EXPECT_EQ(file.Tell(), 4);
    EXPECT_FALSE(file.AtEnd());
}

TEST_F(PackTest, FlatFile_MalformedOrOutOfRangeLocationsFail) {
    WriteSimplePack("assets/p.nbp", "abcd");
    ASSERT_TRUE(LoadPack(GetNameTable(), "::assets/p.nbp"));
    const char* locations[] = {"@",     "@x:0,1", "@0",          "@0:",     "@0:1",
                               "@0:1,", "@1:0,1", "@0:0,999999", "@0:-1,2", "@0:99999,0"};
    for (const char* location : locations) {
        TFlatFileMap file;
        EXPECT_FALSE(file.Open(location, kFileReadBinary)) << location;
        EXPECT_EQ(file.Read(nullptr, 0), 0);
    }
    EXPECT_NE(tree.Log().find("outside the pack"), std::string::npos);
}

TEST_F(PackTest, MemoryFile_ReadsRegisteredBlocks) {
    static const char block[] = "one\r\ntwo";
    RegisterMemoryFile("__SystemCursor__.png", block, 8);
    EXPECT_EQ(ResolvePath("__systemcursor__.png", true).CharAt(0), '&');
    TFile file;
    ASSERT_TRUE(file.Open("__systemcursor__.png", kFileReadBinary));
    EXPECT_EQ(file.GetSize(), 8);
    char buffer[8];
    EXPECT_EQ(file.Read(buffer, 7), 7);
    EXPECT_FALSE(file.AtEnd());
    EXPECT_EQ(file.Read(buffer, 1), 1);
    EXPECT_TRUE(file.AtEnd()); // as soon as the position reaches the size
    file.Seek(-3, kSeekCurrent);
    EXPECT_EQ(file.Tell(), 5);
    // Wherever a seek lands on the size, the file is at its end.
    file.Seek(-1, kSeekStart);
    EXPECT_EQ(file.Tell(), 8);
    EXPECT_TRUE(file.AtEnd());
    file.UngetByte();
    EXPECT_EQ(file.Tell(), 7);
    EXPECT_FALSE(file.AtEnd());

    ASSERT_TRUE(file.Open("__systemcursor__.png", kFileReadText));
    EXPECT_EQ(ReadAll(file), "one\ntwo");
    EXPECT_FALSE(file.Open("__systemcursor__.png", kFileWriteBinary));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(file.Open("__systemcursor__.png", kFileAppendText));

    RegisterMemoryFile("__systemcursor__.png", nullptr, 0);
    EXPECT_FALSE(FileExists("__systemcursor__.png"));

    // Registered under the same key that lookups use: "\\" reads as "/".
    RegisterMemoryFile("Cursors\\Arrow.PNG", block, 3);
    ASSERT_TRUE(file.Open("cursors/arrow.png", kFileReadBinary));
    EXPECT_EQ(ReadAll(file), "one");
    RegisterMemoryFile("cursors\\arrow.png", nullptr, 0);
    EXPECT_FALSE(FileExists("Cursors/Arrow.png"));
}

TEST_F(PackTest, MemoryFile_MalformedLocationsFail) {
    for (const char* location : {"&", "&0,5", "&12", "&12,", "&12,-1", "&x,1", "&12,99999999999"}) {
        TMemoryFile file;
        EXPECT_FALSE(file.Open(location, kFileReadBinary)) << location;
    }
}

TEST_F(PackTest, LoadPacksInFolder_TakesNbpNamesInOrder) {
    WriteSimplePack("assets/b.nbp", "from b");
    WriteSimplePack("assets/a.nbp", "from a");
    WriteSimplePack("assets/c.NBP", "upper-case extension is no pack");
    LoadPacksInFolder("assets", GetNameTable());
    EXPECT_EQ(GetPackList().size(), 2u);
    TFile file;
    ASSERT_TRUE(file.Open("text.txt", kFileReadBinary));
    EXPECT_EQ(ReadAll(file), "from b");
}

} // namespace
