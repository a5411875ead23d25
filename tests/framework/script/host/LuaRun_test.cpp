// The luarun tool: a script file runs through the host, its coroutine is
// resumed until it ends, and what the host logged reaches standard error.

#include "framework/script/ScriptFixture.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <sys/wait.h>

namespace {

class LuaRunTest : public ScriptFixture {
protected:
    void SetUp() override {
        ScriptFixture::SetUp();
        mTool = std::string(CORVALO_BINARY_DIR) + "/tools/luarun";
    }
    // Runs the tool in the test folder; standard output and error go to files.
    int RunTool(const std::string& arguments) {
        std::string command = mTool + " " + arguments + " > out.txt 2> err.txt";
        int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    static std::string Read(const char* name) {
        std::ifstream in(name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::string mTool;
};

TEST_F(LuaRunTest, RunsTheCoroutineToItsEnd) {
    if (!std::filesystem::exists(mTool))
        GTEST_SKIP() << "luarun is not built";
    // The tool's state has io and os for its own use.
    Write("assets/scripts/fine.lua",
          "return function()\n"
          "  coroutine.yield(); io.write('done ', type(os.time()), '\\n')\n"
          "end\n");
    EXPECT_EQ(RunTool("scripts/fine.lua"), 0) << Read("err.txt");
    EXPECT_EQ(Read("out.txt"), "done number\n");
    // A coroutine that fails, after yields or at once, makes the run fail.
    Write("assets/scripts/at_once.lua", "return function() error('at once') end\n");
    EXPECT_EQ(RunTool("scripts/at_once.lua"), 1);
    EXPECT_NE(Read("err.txt").find("at once"), std::string::npos) << Read("err.txt");
    Write("assets/scripts/walk.lua", "print('start', L\"w\" .. 1)\n"
                                     "return function()\n"
                                     "  for i = 1, 3 do print('step', i); coroutine.yield() end\n"
                                     "  error('stopped here')\n"
                                     "end\n");
    EXPECT_EQ(RunTool("scripts/walk.lua"), 1);
    EXPECT_EQ(Read("out.txt"), "start\tw1\nstep\t1\nstep\t2\nstep\t3\n");
    EXPECT_NE(Read("err.txt").find("lua_resume ERROR: "), std::string::npos) << Read("err.txt");
    EXPECT_NE(Read("err.txt").find("stopped here"), std::string::npos) << Read("err.txt");
}

TEST_F(LuaRunTest, MissingOrBrokenFilesFail) {
    if (!std::filesystem::exists(mTool))
        GTEST_SKIP() << "luarun is not built";
    Write("broken.lua", "x = = 1");
    EXPECT_EQ(RunTool("none.lua"), 1);
    EXPECT_NE(Read("err.txt").find("cannot find none.lua"), std::string::npos);
    EXPECT_EQ(RunTool((mFolder.Path() / "broken.lua").string()), 1);
    EXPECT_NE(Read("err.txt").find("Lua error: "), std::string::npos) << Read("err.txt");
    // Read wherever it lies: the tool runs the files its user names.
    EXPECT_NE(Read("err.txt").find("broken.lua:1:"), std::string::npos) << Read("err.txt");
    EXPECT_EQ(RunTool(""), 2);
}

} // namespace
