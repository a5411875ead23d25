#pragma once

// Helpers of the animation tests: a log sent to a fresh file per test, and
// the little-endian pieces of hand-built ".anm" files.

#include "framework/core/log/TLog.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace animtest {

class LogCapture {
public:
    explicit LogCapture(const char* area = "animation_test_logs") {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string leaf = std::string(info->test_suite_name()) + "_" + info->name();
        for (char& c : leaf) {
            if (c == '<' || c == '>' || c == ' ' || c == '/')
                c = '_';
        }
        mFolder = std::string(CORVALO_BINARY_DIR) + "/" + area + "/" + leaf;
        std::filesystem::remove_all(mFolder);
        std::filesystem::create_directories(mFolder);
        StartLog(mFolder.c_str());
    }
    ~LogCapture() { StartLog(nullptr); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::string Text() const {
        std::ifstream in(mFolder + "/logfile.txt", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bool Contains(const std::string& text) const { return Text().find(text) != std::string::npos; }

private:
    std::string mFolder;
};

inline void PutInt(std::string& out, int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        out += static_cast<char>((bits >> shift) & 0xFF);
}

inline void PutFloat(std::string& out, float value) {
    int32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    PutInt(out, bits);
}

inline void PutString(std::string& out, const std::string& text) {
    PutInt(out, static_cast<int32_t>(text.size()));
    out += text;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace animtest
