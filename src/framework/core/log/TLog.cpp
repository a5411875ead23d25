#include "framework/core/log/TLog.h"

#include "platform/files/Folders.h"

#include <malloc.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <unistd.h>

namespace {

// Module state. The lock covers all of it and the file itself, so the sound
// thread and the platform's helper thread may log beside the main thread.
struct LogState {
    std::mutex lock;
    TString path;
    uint32_t writePosition = 0;
    uint32_t memoryInUse = 0;
    uint32_t memoryPeak = 0;
    int32_t memoryLimit = 0;
    bool failureReported = false; // said on stderr that the file takes no lines
};

LogState& State() {
    static LogState state;
    return state;
}

// A copy of one field, taken under the lock.
template <typename T> T ReadUnderLock(T LogState::*field) {
    LogState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    return state.*field;
}

#if defined(__SANITIZE_ADDRESS__)
#define CORVALO_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define CORVALO_ADDRESS_SANITIZER 1
#endif
#endif

#ifdef CORVALO_ADDRESS_SANITIZER
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

// The bytes in use by the program's allocations. The address sanitizer
// serves allocations itself and keeps its own count.
uint64_t AllocatedBytes() {
#ifdef CORVALO_ADDRESS_SANITIZER
    return __sanitizer_get_current_allocated_bytes();
#else
    struct mallinfo2 info = mallinfo2();
    // Blocks in use in the heap arenas and blocks mapped on their own.
    return static_cast<uint64_t>(info.uordblks) + static_cast<uint64_t>(info.hblkhd);
#endif
}

constexpr char kMemoryMaxTag[] = "__MEMORYMAX__";
constexpr size_t kMemoryMaxTagLength = sizeof kMemoryMaxTag - 1;

// The 24-character ctime layout of the local time, without the newline:
// "Wed Dec  9 21:40:41 2026".
TString LocalTimeText() {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    time_t now = time(nullptr);
    struct tm local {};
    if (!localtime_r(&now, &local)) {
        return TString("??? ??? ?? ??:??:?? ????");
    }
    return TString::Format("%.3s %.3s%3d %.2d:%.2d:%.2d %d", kDays[local.tm_wday % 7],
                           kMonths[local.tm_mon % 12], local.tm_mday, local.tm_hour, local.tm_min,
                           local.tm_sec, 1900 + local.tm_year);
}

// The number behind "__MEMORYMAX__=", read like atoi but without running off
// a short text or overflowing.
int32_t ParseMemoryLimit(const char* text) {
    if (std::strlen(text) <= kMemoryMaxTagLength + 1) {
        return 0;
    }
    errno = 0;
    long long value = std::strtoll(text + kMemoryMaxTagLength + 1, nullptr, 10);
    if (value > INT32_MAX) {
        return INT32_MAX;
    }
    if (value < INT32_MIN) {
        return INT32_MIN;
    }
    return static_cast<int32_t>(value);
}

} // namespace

void StartLog(const char* folder) {
    LogState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (folder && std::strncmp(folder, kMemoryMaxTag, kMemoryMaxTagLength) == 0) {
        state.memoryLimit = ParseMemoryLimit(folder);
        return;
    }
    // An empty folder would put the log at the top of the file system.
    if (!folder || !*folder) {
        state.path = TString();
        return;
    }
    // One level only: the parent of the folder must exist already.
    platform::MakeFolder(folder);
    TString path = TString::Format("%s/logfile.txt", folder);
    unlink(path.CStr());
    state.path = path;
    state.writePosition = 0;
    state.failureReported = false;
}

namespace {

// A line the log file did not take (a full disk, a folder made read-only)
// goes to standard error instead, after one line that says why.
void WriteLostLine(LogState& state, const TString& line) {
    if (!state.failureReported) {
        state.failureReported = true;
        std::fprintf(stderr, "The log %s cannot be written; its lines follow here.\n",
                     state.path.CStr());
    }
    std::fputs(line.CStr(), stderr);
}

} // namespace

void LogPrintf(const char* format, ...) {
    TString line = LocalTimeText();
    line = TString::Format("%s: ", line.CStr());
    va_list args;
    va_start(args, format);
    TString message = TString::VFormat(format ? format : "", args);
    va_end(args);
    line = TString::Format("%s%s\n", line.CStr(), message.CStr());

    LogState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    if (state.path.IsEmpty()) {
        return;
    }
    FILE* file = std::fopen(state.path.CStr(), "r+");
    if (!file) {
        file = std::fopen(state.path.CStr(), "w");
    }
    if (!file) {
        WriteLostLine(state, line);
        return;
    }
    bool written = true;
    if (state.writePosition <= kLogWrapLimit) {
        written = std::fseek(file, static_cast<long>(state.writePosition), SEEK_SET) == 0;
    } else {
        written = std::fseek(file, static_cast<long>(kLogWrapTarget), SEEK_SET) == 0;
        state.writePosition = kLogWrapTarget;
        written = written && std::fputs(kLogWrapBanner, file) >= 0;
    }
    written = written && std::fputs(line.CStr(), file) >= 0;
    long position = written ? std::ftell(file) : -1;
    // A full disk shows only when the buffer goes out.
    written = std::fflush(file) == 0 && written;
    written = std::fclose(file) == 0 && written;
    if (!written) {
        WriteLostLine(state, line);
        return;
    }
    if (position >= 0) {
        state.writePosition = static_cast<uint32_t>(position);
    }
}

TString GetLogFilePath() {
    return ReadUnderLock(&LogState::path);
}

uint32_t GetLogWritePosition() {
    return ReadUnderLock(&LogState::writePosition);
}

uint32_t GetMemoryInUse() {
    uint32_t inUse = static_cast<uint32_t>(std::min<uint64_t>(AllocatedBytes(), UINT32_MAX));
    LogState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.memoryInUse = inUse;
    state.memoryPeak = std::max(state.memoryPeak, inUse);
    return inUse;
}

uint32_t GetMemoryPeak() {
    GetMemoryInUse();
    return ReadUnderLock(&LogState::memoryPeak);
}

int32_t GetMemoryLimit() {
    return ReadUnderLock(&LogState::memoryLimit);
}
