#include "platform/modules/SharedModule.h"

#include <gtest/gtest.h>

#include <cmath>
#include <dlfcn.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <utility>
#include <zlib.h>

namespace {

TEST(SharedModule, Load_MissingFile_FailsWithAReason) {
    platform::SharedModule module;
    EXPECT_FALSE(module.Load("/nonexistent/folder/nblocale.so"));
    EXPECT_FALSE(module.IsLoaded());
    EXPECT_FALSE(module.LastError().empty());
    EXPECT_EQ(module.FindSymbol("nbCollate"), nullptr);
}

TEST(SharedModule, Load_SystemLibrary_FindsItsExports) {
    platform::SharedModule module;
    ASSERT_TRUE(module.Load("libm.so.6")) << module.LastError();
    EXPECT_TRUE(module.IsLoaded());
    EXPECT_NE(module.FindSymbol("cos"), nullptr);
    EXPECT_EQ(module.FindSymbol("no_such_export_here"), nullptr);
    module.Unload();
    EXPECT_FALSE(module.IsLoaded());
    EXPECT_EQ(module.FindSymbol("cos"), nullptr);
}

TEST(SharedModule, FailedLoad_LeavesNoEarlierModuleBehind) {
    platform::SharedModule module;
    ASSERT_TRUE(module.Load("libm.so.6")) << module.LastError();
    EXPECT_TRUE(module.LastError().empty());
    EXPECT_FALSE(module.Load("/nonexistent/folder/nblocale.so"));
    EXPECT_FALSE(module.IsLoaded()) << "a failed load reports the earlier module as loaded";
    EXPECT_EQ(module.FindSymbol("cos"), nullptr);
    EXPECT_FALSE(module.LastError().empty());
}

TEST(SharedModule, Move_HandsTheModuleOver) {
    platform::SharedModule first;
    ASSERT_TRUE(first.Load("libm.so.6"));
    platform::SharedModule second(std::move(first));
    EXPECT_FALSE(first.IsLoaded());
    EXPECT_TRUE(second.IsLoaded());
    platform::SharedModule third;
    third = std::move(second);
    EXPECT_FALSE(second.IsLoaded());
    EXPECT_NE(third.FindSymbol("cos"), nullptr);
}

// Open descriptors of this process.
size_t OpenFileCount() {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

TEST(SharedModule, LoadFromMemory_LoadsTheBytesOfALibrary) {
    Dl_info info{};
    double (*cosine)(double) = std::cos;
    ASSERT_NE(dladdr(reinterpret_cast<void*>(cosine), &info), 0);
    std::ifstream in(info.dli_fname, std::ios::binary);
    std::string bytes(std::istreambuf_iterator<char>(in), {});
    ASSERT_FALSE(bytes.empty()) << info.dli_fname;

    size_t before = OpenFileCount();
    platform::SharedModule module;
    ASSERT_TRUE(module.LoadFromMemory(bytes.data(), bytes.size(), "maths")) << module.LastError();
    EXPECT_NE(module.FindSymbol("cos"), nullptr);
    module.Unload();
    EXPECT_FALSE(module.IsLoaded());
    EXPECT_EQ(OpenFileCount(), before) << "the in-memory file is closed with the module";
}

// The library file that holds a function of this program.
std::string LibraryOf(void* function) {
    Dl_info info{};
    return dladdr(function, &info) != 0 && info.dli_fname ? info.dli_fname : "";
}

TEST(SharedModule, LoadOpenFile_LoadsTheFileThatWasOpenedNotWhatThePathNamesLater) {
    double (*cosine)(double) = std::cos;
    std::string maths = LibraryOf(reinterpret_cast<void*>(cosine));
    std::string zlib = LibraryOf(reinterpret_cast<void*>(&zlibVersion));
    ASSERT_FALSE(maths.empty());
    ASSERT_FALSE(zlib.empty());
    char folder[] = "/tmp/corvalo-module-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    std::filesystem::path checked = std::filesystem::path(folder) / "checked.nbmod";
    std::filesystem::path other = std::filesystem::path(folder) / "other.nbmod";
    std::filesystem::copy_file(maths, checked);
    std::filesystem::copy_file(zlib, other);

    size_t before = OpenFileCount();
    int fd = open(checked.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    // The name now leads to another library.
    std::filesystem::rename(other, checked);
    platform::SharedModule module;
    ASSERT_TRUE(module.LoadOpenFile(fd)) << module.LastError();
    EXPECT_NE(module.FindSymbol("cos"), nullptr);
    EXPECT_EQ(module.FindSymbol("zlibVersion"), nullptr);
    module.Unload();
    EXPECT_EQ(OpenFileCount(), before) << "the descriptor is closed with the module";

    platform::SharedModule none;
    EXPECT_FALSE(none.LoadOpenFile(-1));
    EXPECT_FALSE(none.LastError().empty());
    std::filesystem::remove_all(folder);
}

TEST(SharedModule, LoadFromMemory_BytesThatAreNoLibrary_FailAndKeepNothingOpen) {
    size_t before = OpenFileCount();
    platform::SharedModule module;
    const char bytes[] = "not a library";
    EXPECT_FALSE(module.LoadFromMemory(bytes, sizeof bytes, "text"));
    EXPECT_FALSE(module.IsLoaded());
    EXPECT_FALSE(module.LastError().empty());
    EXPECT_EQ(OpenFileCount(), before);
}

} // namespace
