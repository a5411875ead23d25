#include "platform/files/MappedFile.h"
#include "platform/files/RegularFile.h"
#include "platform/files/ReplacingFile.h"
#include "platform/files/WholeFile.h"

#include <gtest/gtest.h>

#include "support/TempFolder.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

class RegularFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        regular = folder.Write("regular.txt", "bytes");
        fifo = root + "/fifo";
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        std::filesystem::create_symlink(regular, root + "/to-regular");
        std::filesystem::create_symlink("/dev/zero", root + "/to-zero");
        std::filesystem::create_symlink(fifo, root + "/to-fifo");
    }

    static std::string ReadAll(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    support::TempFolder folder{"corvalo-regular-"};
    const std::string root = folder.Path().string();
    std::string regular;
    std::string fifo;
};

// None of these opens waits: a FIFO without a writer once blocked the
// program for ever, and /dev/zero fed it without end.
TEST_F(RegularFileTest, OpensOnlyRegularFilesAndNeverWaits) {
    struct {
        std::string path;
        bool opens;
        int error;
    } cases[] = {
        {regular, true, 0},           {root + "/to-regular", true, 0},
        {fifo, false, EINVAL},        {root + "/to-fifo", false, EINVAL},
        {"/dev/zero", false, EINVAL}, {root + "/to-zero", false, EINVAL},
        {root, false, EISDIR},        {root + "/missing", false, ENOENT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        std::string error;
        int fd = platform::OpenRegularFile(c.path, &error);
        if (c.opens) {
            ASSERT_GE(fd, 0) << error;
            char buffer[8] = {};
            EXPECT_EQ(::read(fd, buffer, sizeof buffer), 5);
            EXPECT_EQ(std::string(buffer), "bytes");
            ::close(fd);
        } else {
            EXPECT_EQ(fd, -1);
            EXPECT_EQ(errno, c.error);
            EXPECT_FALSE(error.empty());
        }
        EXPECT_EQ(platform::IsRegularFile(c.path), c.opens);
        FILE* stream = platform::OpenRegularFileStream(c.path);
        EXPECT_EQ(stream != nullptr, c.opens);
        if (stream)
            std::fclose(stream);
    }
}

TEST_F(RegularFileTest, WholeFileAndMappingRefuseFifosAndDevices) {
    std::vector<unsigned char> bytes;
    EXPECT_TRUE(platform::ReadWholeFile(regular, bytes));
    EXPECT_EQ(bytes.size(), 5u);
    for (const std::string& path : {fifo, root + "/to-zero"}) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(platform::ReadWholeFile(path, bytes));
        EXPECT_TRUE(bytes.empty());
        platform::MappedFile mapped;
        EXPECT_FALSE(mapped.Open(path));
        EXPECT_EQ(mapped.LastError(), "not a regular file");
    }
}

TEST_F(RegularFileTest, ReplacingFile_PutsTheNewBytesInPlaceOnlyWhenComplete) {
    std::string error;
    {
        platform::ReplacingFile out;
        ASSERT_TRUE(out.Open(regular, error)) << error;
        EXPECT_NE(out.TemporaryPath(), regular);
        EXPECT_EQ(std::filesystem::path(out.TemporaryPath()).parent_path(),
                  std::filesystem::path(regular).parent_path());
        EXPECT_TRUE(out.Write("new ", 4));
        EXPECT_TRUE(out.Write("content", 7));
        EXPECT_EQ(ReadAll(regular), "bytes") << "the old file stays until the commit";
        ASSERT_TRUE(out.Commit(error)) << error;
    }
    EXPECT_EQ(ReadAll(regular), "new content");
    {
        // Dropped without a commit: nothing changes and nothing is left.
        platform::ReplacingFile out;
        ASSERT_TRUE(out.Open(regular, error)) << error;
        out.Write("lost", 4);
    }
    EXPECT_EQ(ReadAll(regular), "new content");
    // Through a link the file it leads to is replaced; the link stays.
    {
        platform::ReplacingFile out;
        ASSERT_TRUE(out.Open(root + "/to-regular", error)) << error;
        out.Write("linked", 6);
        ASSERT_TRUE(out.Commit(error)) << error;
    }
    EXPECT_TRUE(std::filesystem::is_symlink(root + "/to-regular"));
    EXPECT_EQ(ReadAll(regular), "linked");
    // A folder that cannot take the new file says why.
    platform::ReplacingFile out;
    EXPECT_FALSE(out.Open(root + "/missing/file", error));
    EXPECT_NE(error.find("cannot create"), std::string::npos) << error;
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(root)) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 5u) << "no temporary file is left behind";
}

TEST_F(RegularFileTest, ReplacingFile_FullDiskKeepsTheOldFile) {
    // The child process may write 1000 bytes per file, as on a full disk.
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{1000, 1000};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        platform::ReplacingFile out;
        std::string error;
        if (!out.Open(regular, error))
            ::_exit(3);
        std::string big(5000, 'x');
        out.Write(big.data(), big.size());
        bool committed = out.Commit(error);
        ::_exit(!committed && error.find("cannot write") != std::string::npos ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadAll(regular), "bytes");
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(root)) {
        (void)entry;
        ++files;
    }
    EXPECT_EQ(files, 5u) << "no temporary file is left behind";
}

} // namespace
