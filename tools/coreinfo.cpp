// coreinfo: shows the core services at work on this machine.
//
//   coreinfo [--seed N] [--count K] [--log FOLDER]
//
// Prints the computer id (and the adapter it comes from), the first K numbers
// of the random generator seeded with N (5489 and 10 by default), and, with
// --log, fills FOLDER/logfile.txt past its wrap point and shows where the
// wrap-around banner landed. N and K are whole numbers (decimal, or hex
// with "0x"); anything else is refused with status 2.

#include "framework/core/log/TLog.h"
#include "framework/core/math/TRandom.h"
#include "framework/core/system/TComputerId.h"
#include "platform/files/WholeFile.h"
#include "platform/system/NetworkAdapters.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// More numbers than anyone reads on a terminal.
constexpr unsigned long long kMaxCount = 1000000;

void Usage() {
    std::fprintf(stderr, "usage: coreinfo [--seed N] [--count K] [--log FOLDER]\n");
}

// A whole number from 0 to max, decimal or with a "0x" prefix, and nothing
// else: no sign, no blanks, no text after it. False (with a message) for
// anything else, so a mistyped value is not taken as 0 or wrapped around.
bool ParseNumber(const char* option, const char* text, unsigned long long max,
                 unsigned long long& value) {
    const bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* digits = hex ? text + 2 : text;
    const bool digitFirst = std::isxdigit(static_cast<unsigned char>(digits[0])) &&
                            (hex || std::isdigit(static_cast<unsigned char>(digits[0])));
    char* end = nullptr;
    errno = 0;
    value = digitFirst ? std::strtoull(digits, &end, hex ? 16 : 10) : 0;
    if (!digitFirst || *end != 0 || errno == ERANGE || value > max) {
        std::fprintf(stderr, "coreinfo: %s takes a whole number from 0 to %llu, not \"%s\"\n",
                     option, max, text);
        return false;
    }
    return true;
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
        unsigned long long number = 0;
        if (std::strcmp(argv[i], "--seed") == 0 && hasValue) {
            if (!ParseNumber("--seed", argv[++i], UINT32_MAX, number)) {
                return 2;
            }
            seed = static_cast<uint32_t>(number);
        } else if (std::strcmp(argv[i], "--count") == 0 && hasValue) {
            if (!ParseNumber("--count", argv[++i], kMaxCount, number)) {
                return 2;
            }
            count = static_cast<int>(number);
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
