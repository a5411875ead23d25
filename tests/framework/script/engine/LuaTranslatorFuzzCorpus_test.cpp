// Replays the seeds of the translator's fuzz target through the check its
// entry function makes, so the normal test run checks every seed under the
// sanitizers.

#include "fuzz/LuaTranslatorFuzzEntry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

const std::string kCorpus = std::string(CORVALO_TEST_DATA) + "/../fuzz/corpus/fuzz_lua_translate";

TEST(LuaTranslatorFuzzCorpus, ReplaysSeeds) {
    std::vector<std::filesystem::path> files;
    for (const auto& item : std::filesystem::directory_iterator(kCorpus)) {
        if (item.is_regular_file())
            files.push_back(item.path());
    }
    std::sort(files.begin(), files.end());
    for (const auto& path : files) {
        std::ifstream in(path, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)),
                                std::istreambuf_iterator<char>());
        SCOPED_TRACE(path.string());
        EXPECT_EQ(CheckLuaTranslation(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()),
                  "");
    }
    EXPECT_GE(files.size(), 6u);
}

TEST(LuaTranslatorFuzzCorpus, EmptyInputIsHandled) {
    EXPECT_EQ(CheckLuaTranslation(nullptr, 0), "");
}

// A refusal on the input's third line and a wrapped translation both pass.
TEST(LuaTranslatorFuzzCorpus, RefusedAndAcceptedInputsPass) {
    const std::string refused = "x = 1\n\ny = = 2";
    EXPECT_EQ(CheckLuaTranslation(reinterpret_cast<const uint8_t*>(refused.data()), refused.size()),
              "");
    const std::string accepted = "for k, v in {1} do\n continue\nend";
    EXPECT_EQ(
        CheckLuaTranslation(reinterpret_cast<const uint8_t*>(accepted.data()), accepted.size()),
        "");
}

} // namespace
