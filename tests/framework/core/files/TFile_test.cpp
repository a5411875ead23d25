#include "framework/core/files/TDiskFileData.h"
#include "framework/core/files/TFile.h"
#include "framework/core/files/TFileSystem.h"

#include "FileTestTree.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include <string>
#include <vector>

namespace {

class FileTest : public ::testing::Test {
protected:
    void SetUp() override { SetUserDataFolder(TString((tree.Root() + "/user").c_str())); }

    std::string UserPath(const std::string& name) const { return tree.Root() + "/user/" + name; }

    static std::string ReadAll(TFile& file) {
        std::string text;
        char buffer[7]; // small on purpose: reads cross buffer boundaries
        int32_t got;
        while ((got = file.Read(buffer, sizeof buffer)) > 0)
            text.append(buffer, static_cast<size_t>(got));
        return text;
    }

    FileTestTree tree;
};

struct WriteCase {
    int32_t mode;
    const char* before; // null: no file yet
    const char* written;
    const char* after;
};

TEST_F(FileTest, Write_EachWritingMode_StoresBytesWithLfLineEnds) {
    const WriteCase cases[] = {
        {kFileWriteBinary, "old", "a\r\nb\n", "a\r\nb\n"},
        {kFileWriteText, "old", "a\nb\n", "a\nb\n"},
        {kFileAppendBinary, "old\n", "x\r\n", "old\nx\r\n"},
        {kFileAppendText, "old\n", "x\n", "old\nx\n"},
        {kFileAppendText, nullptr, "new\n", "new\n"},
    };
    int index = 0;
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.mode);
        std::string name = std::string("w").append(std::to_string(index++)).append(".txt");
        if (c.before)
            tree.Write(UserPath(name), c.before);
        TFile file;
        ASSERT_TRUE(file.Open(("user:" + name).c_str(), c.mode));
        int32_t length = static_cast<int32_t>(std::string(c.written).size());
        EXPECT_EQ(file.Write(c.written, length), length);
        file.Close();
        EXPECT_EQ(FileTestTree::Read(UserPath(name)), c.after);
    }
}

struct ReadCase {
    int32_t mode;
    const char* content;
    const char* delivered;
};

TEST_F(FileTest, Read_BinaryKeepsCrAndTextDropsIt) {
    const ReadCase cases[] = {
        {kFileReadBinary, "a\r\nb\rc\n", "a\r\nb\rc\n"},
        {kFileReadText, "a\r\nb\rc\n", "a\nbc\n"},
        {kFileReadText, "\r\r\r\r\r\r\r\r\r\rz", "z"},
        {kFileReadText, "", ""},
        {7, "x\r\ny", "x\ny"}, // an unknown mode reads as text
        {-3, "x\r\ny", "x\ny"},
    };
    int index = 0;
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(index);
        std::string name = std::string("r").append(std::to_string(index++)).append(".txt");
        tree.Write(UserPath(name), c.content);
        TFile file;
        ASSERT_TRUE(file.Open(("user:" + name).c_str(), c.mode));
        EXPECT_EQ(ReadAll(file), c.delivered);
        EXPECT_EQ(file.Write("q", 1), 0); // a reading stream does not write
    }
}

TEST_F(FileTest, Text_ReadRequestFillsBufferPastDroppedCr) {
    tree.Write(UserPath("t.txt"), "ab\r\ncd");
    TFile file;
    ASSERT_TRUE(file.Open("user:t.txt", kFileReadText));
    char buffer[5] = {};
    EXPECT_EQ(file.Read(buffer, 5), 5);
    EXPECT_EQ(std::string(buffer, 5), "ab\ncd");
}

TEST_F(FileTest, Seek_OriginsAreCurrentStartEnd) {
    tree.Write(UserPath("s.bin"), "0123456789");
    TFile file;
    ASSERT_TRUE(file.Open("user:s.bin", kFileReadBinary));
    file.Seek(4, kSeekStart);
    EXPECT_EQ(file.Tell(), 4);
    file.Seek(2, kSeekCurrent); // relative, not from the start
    EXPECT_EQ(file.Tell(), 6);
    file.Seek(-3, kSeekEnd);
    EXPECT_EQ(file.Tell(), 7);
    EXPECT_EQ(file.GetSize(), 10);
    EXPECT_EQ(file.Tell(), 7); // GetSize leaves the position alone
    char c = 0;
    EXPECT_EQ(file.Read(&c, 1), 1);
    EXPECT_EQ(c, '7');
}

TEST_F(FileTest, GetcAndUnget_StepBackOneByteOnly) {
    tree.Write(UserPath("g.bin"), "ab");
    TFile* file = FileOpen("user:g.bin", kFileReadBinary);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(FileGetc(file), 'a');
    FileUngetc(file);
    EXPECT_EQ(FileGetc(file), 'a');
    EXPECT_EQ(FileGetc(file), 'b');
    EXPECT_EQ(FileGetc(file), -1); // the read that finds the end
    EXPECT_TRUE(FileEof(file));
    EXPECT_EQ(FileGetc(file), -1); // at the end: no read at all
    FileClose(file);
}

TEST_F(FileTest, Handle_WithoutFile_GivesNeutralResults) {
    TFile file;
    char buffer[4];
    EXPECT_FALSE(file.IsOpen());
    EXPECT_TRUE(file.AtEnd());
    EXPECT_EQ(file.Tell(), -1);
    EXPECT_EQ(file.GetSize(), 0);
    EXPECT_EQ(file.Read(buffer, 4), 0);
    EXPECT_EQ(file.Write(buffer, 4), 0);
    file.Seek(1, kSeekStart);
    file.UngetByte();

    TDiskFileData disk;
    EXPECT_EQ(disk.Tell(), 0);
    EXPECT_EQ(disk.GetSize(), 0);
    EXPECT_TRUE(disk.AtEnd());
    EXPECT_FALSE(disk.Open("", kFileReadBinary));

    EXPECT_EQ(FileTell(nullptr), -1);
    EXPECT_TRUE(FileIsClosed(nullptr));
    EXPECT_EQ(FileGetc(nullptr), -1);
    FileClose(nullptr);
}

TEST_F(FileTest, Open_FailsForMissingFilesAndFolders) {
    std::filesystem::create_directories(tree.Root() + "/user/folder");
    TFile file;
    EXPECT_FALSE(file.Open("user:missing.txt", kFileReadBinary));
    EXPECT_FALSE(file.Open("user:folder", kFileReadBinary));
    EXPECT_FALSE(file.Open("", kFileReadBinary));
    EXPECT_FALSE(file.Open(nullptr, kFileReadBinary));
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(FileOpen("user:missing.txt", kFileReadBinary), nullptr);
}

TEST_F(FileTest, Open_ReadsOnlyRegularFilesAndNeverWaits) {
    // A FIFO in a data folder once blocked the program at its open, and a
    // link to a device fed it without end.
    std::filesystem::create_directories(tree.Root() + "/user");
    ASSERT_EQ(::mkfifo(UserPath("pipe").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", UserPath("zero"));
    tree.Write(UserPath("plain.txt"), "plain");
    for (int32_t mode : std::vector<int32_t>{kFileReadBinary, kFileReadText, 7}) {
        SCOPED_TRACE(mode);
        TFile file;
        EXPECT_FALSE(file.Open("user:pipe", mode));
        EXPECT_FALSE(file.Open("user:zero", mode));
        EXPECT_FALSE(file.Open(("::" + UserPath("pipe")).c_str(), mode));
        EXPECT_FALSE(file.IsOpen());
        ASSERT_TRUE(file.Open("user:plain.txt", mode));
        EXPECT_EQ(ReadAll(file), "plain");
    }
    TDiskFileData disk;
    EXPECT_FALSE(disk.Open(UserPath("pipe").c_str(), kFileReadBinary));
    // Writing is unchanged.
    TFile file;
    ASSERT_TRUE(file.Open("user:plain.txt", kFileWriteBinary));
    EXPECT_EQ(file.Write("new", 3), 3);
}

TEST_F(FileTest, Open_ClosesWhatTheHandleHeld) {
    tree.Write(UserPath("one.txt"), "1");
    TFile file;
    ASSERT_TRUE(file.Open("user:one.txt", kFileReadBinary));
    EXPECT_FALSE(file.Open("user:two.txt", kFileReadBinary));
    EXPECT_FALSE(file.IsOpen());
}

struct GetsCase {
    const char* content;
    int32_t mode;
    int32_t size;
    // Lines as FileGets leaves them; a line ending in '|' came back as null.
    std::vector<std::string> lines;
};

TEST_F(FileTest, Gets_SplitsAtCrAndLfAndDropsUnendedLastLine) {
    const GetsCase cases[] = {
        {"one\ntwo\n", kFileReadBinary, 64, {"one\n", "two\n", "|"}},
        {"one\r\ntwo", kFileReadBinary, 64, {"one\r", "\n", "two|"}},
        {"one\rtwo\r", kFileReadBinary, 64, {"one\r", "two\r", "|"}},
        {"one\r\ntwo\r\n", kFileReadText, 64, {"one\n", "two\n", "|"}},
        {"abcdef\n", kFileReadBinary, 4, {"abc", "def", "\n", "|"}},
        {"ab", kFileReadBinary, 1, {"", "", ""}}, // only the terminator fits
        {"", kFileReadBinary, 8, {"|"}},
    };
    int index = 0;
    for (const GetsCase& c : cases) {
        SCOPED_TRACE(index);
        std::string name = std::string("l").append(std::to_string(index++)).append(".txt");
        tree.Write(UserPath(name), c.content);
        TFile* file = FileOpen(("user:" + name).c_str(), c.mode);
        ASSERT_NE(file, nullptr);
        for (const std::string& expected : c.lines) {
            std::vector<char> buffer(static_cast<size_t>(c.size), 'X');
            char* end = FileGets(file, buffer.data(), c.size);
            std::string line = buffer.data();
            if (end)
                EXPECT_EQ(end, buffer.data() + line.size());
            else
                line += "|";
            EXPECT_EQ(line, expected);
        }
        FileClose(file);
    }
}

} // namespace
