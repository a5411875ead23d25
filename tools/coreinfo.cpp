// coreinfo: shows the core services at work on this machine.
//
//   coreinfo [--seed N] [--count K] [--log FOLDER]
//
// Prints the computer id (and the adapter it comes from), the first K numbers
// of the random generator seeded with N (5489 and 10 by default), and, with
// --log, fills FOLDER/logfile.txt past its wrap point and shows where the
// wrap-around banner landed.

#include "framework/core/log/TLog.h"
#include "framework/core/math/TRandom.h"
#include "framework/core/system/TComputerId.h"
#include "platform/files/WholeFile.h"
#include "platform/system/NetworkAdapters.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void Usage() {
    std::fprintf(stderr, "usage: coreinfo [--seed N] [--count K] [--log FOLDER]\n");
}

// The line that starts at offset, without its newline.
std::string LineAt(const std::string& text, size_t offset) {
    size_t end = text.find('\n', offset);
    return text.substr(offset, end == std::string::npos ? std::string::npos : end - offset);
}

// The last whole line that ends at or before offset.
std::string LineBefore(const std::string& text, size_t offset) {
    size_t end = text.rfind('\n', offset - 1);
    if (end == std::string::npos) {
        return "";
    }
    size_t start = end == 0 ? 0 : text.rfind('\n', end - 1);
    start = start == std::string::npos ? 0 : start + 1;
    return text.substr(start, end - start);
}

int ShowLogWrap(const char* folder) {
    StartLog(folder);
    if (GetLogFilePath().IsEmpty()) {
        std::fprintf(stderr, "coreinfo: no log path for %s\n", folder);
        return 1;
    }
    int lines = 0;
    bool wrapped = false;
    uint32_t previous = 0;
    // Write until the position has come back once, then a few lines more.
    for (int after = 0; after < 5 && lines < 100000; ++lines) {
        LogPrintf("coreinfo line %05d: the quick brown fox jumps over the lazy dog", lines);
        uint32_t position = GetLogWritePosition();
        if (position == previous) {
            std::fprintf(stderr, "coreinfo: the log at %s is not being written\n",
                         GetLogFilePath().CStr());
            return 1;
        }
        if (position < previous) {
            wrapped = true;
        }
        if (wrapped) {
            ++after;
        }
        previous = position;
    }

    std::vector<unsigned char> bytes;
    if (!platform::ReadWholeFile(GetLogFilePath().ToStd(), bytes)) {
        std::fprintf(stderr, "coreinfo: cannot read %s back\n", GetLogFilePath().CStr());
        return 1;
    }
    const std::string text(bytes.begin(), bytes.end());
    const std::string banner = kLogWrapBanner;
    size_t bannerAt = text.find(banner);
    std::printf("log file:       %s\n", GetLogFilePath().CStr());
    std::printf("lines written:  %d\n", lines);
    std::printf("file size:      %zu bytes\n", text.size());
    std::printf("write position: %u\n", GetLogWritePosition());
    std::printf("first line:     %s\n", LineAt(text, 0).c_str());
    if (bannerAt == std::string::npos) {
        std::printf("banner:         not found\n");
        return 1;
    }
    size_t afterBanner = bannerAt + banner.size();
    std::printf("banner at:      %zu (%zu bytes)\n", bannerAt, banner.size());
    std::printf("line before:    %s\n", LineBefore(text, bannerAt).c_str());
    std::printf("banner text:    %s\n", LineAt(text, bannerAt + 4).c_str());
    std::printf("newest lines:\n");
    size_t offset = afterBanner;
    while (offset < GetLogWritePosition()) {
        std::string line = LineAt(text, offset);
        std::printf("  @%-7zu %s\n", offset, line.c_str());
        offset += line.size() + 1;
    }
    if (offset < text.size()) {
        std::printf("older text kept from @%zu: %s\n", offset, LineAt(text, offset).c_str());
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    uint32_t seed = 5489;
    int count = 10;
    const char* logFolder = nullptr;
    for (int i = 1; i < argc; ++i) {
        bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--seed") == 0 && hasValue) {
            seed = static_cast<uint32_t>(std::strtoul(argv[++i], nullptr, 0));
        } else if (std::strcmp(argv[i], "--count") == 0 && hasValue) {
            count = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--log") == 0 && hasValue) {
            logFolder = argv[++i];
        } else {
            Usage();
            return 2;
        }
    }

    platform::AdapterAddress adapter;
    if (platform::FirstAdapterAddress(adapter)) {
        std::printf("adapter:        %s (", adapter.name.c_str());
        for (size_t i = 0; i < adapter.bytes.size(); ++i) {
            std::printf(i ? ":%02x" : "%02x", adapter.bytes[i]);
        }
        std::printf(")\n");
    } else {
        std::printf("adapter:        none (the id is random on every start)\n");
    }
    std::printf("computer id:    %s\n", GetComputerId().CStr());
    TGuid guid;
    if (NewGuid(guid)) {
        std::printf("a new GUID:     ");
        for (uint8_t byte : guid.bytes) {
            std::printf("%02x", byte);
        }
        std::printf("\n");
    }

    TRandom random;
    random.Seed(seed);
    std::printf("random, seed %u:\n", seed);
    for (int i = 0; i < count; ++i) {
        std::printf("  %2d: %u\n", i + 1, random.Next());
    }

    if (logFolder) {
        return ShowLogWrap(logFolder);
    }
    return 0;
}
