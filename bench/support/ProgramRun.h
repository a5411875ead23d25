#pragma once

// What the benchmarks that start the real program read of it from outside:
// the monotonic clock its start-up trace writes, the steps of that trace,
// its processor time and its peak memory from /proc, and how to stop it.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <variant>
#include <vector>

inline double Now() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

inline double Median(std::vector<double> values) {
    if (values.empty())
        return -1.0;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2.0;
}

// The time of a step in the trace file, -1 while it is not there.
inline double StepTime(const std::filesystem::path& trace, const std::string& step) {
    std::ifstream in(trace);
    std::string line;
    while (std::getline(in, line)) {
        const size_t blank = line.find(' ');
        if (blank != std::string::npos && line.compare(blank + 1, std::string::npos, step) == 0)
            return std::strtod(line.c_str(), nullptr);
    }
    return -1.0;
}

// The last "frames N" line of the trace: its time and N; false when there
// is none yet.
inline bool LastFrameCount(const std::filesystem::path& trace, double& time, long long& frames) {
    std::ifstream in(trace);
    std::string line;
    bool found = false;
    while (std::getline(in, line)) {
        const size_t blank = line.find(' ');
        if (blank != std::string::npos && line.compare(blank + 1, 7, "frames ") == 0) {
            time = std::strtod(line.c_str(), nullptr);
            frames = std::atoll(line.c_str() + blank + 8);
            found = true;
        }
    }
    return found;
}

// Peak resident memory (VmHWM) in MiB.
inline double PeakMiB(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    return -1.0;
}

// User and system time of the process so far, every thread, in seconds.
inline double CpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The fields after the command name, which ends at the last ")".
    const size_t close = text.rfind(')');
    if (close == std::string::npos)
        return -1.0;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    double ticks = 0;
    // Fields 3..: state is the first here; utime and stime are the 12th and
    // 13th after it.
    for (int i = 0; fields >> field; ++i) {
        if (i == 11 || i == 12)
            ticks += std::strtod(field.c_str(), nullptr);
        if (i == 12)
            return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
    }
    return -1.0;
}

inline double LoadAverage() {
    std::ifstream in("/proc/loadavg");
    double load = -1.0;
    in >> load;
    return load;
}

inline bool Alive(pid_t pid) {
    int status = 0;
    return waitpid(pid, &status, WNOHANG) == 0;
}

inline void Stop(pid_t pid) {
    kill(pid, SIGTERM);
    for (int i = 0; i < 500; ++i) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// Starts the program with "--multiple" and a scratch home of its own (its
// data, config and runtime folders under home, made here), its start-up
// trace written to home/trace.txt and SDL's silent sound device unless the
// environment names another; its standard output and error go to output,
// or nowhere when output is empty. The child's id, or -1 when it could not
// start.
inline pid_t StartProgram(const std::string& program, const std::filesystem::path& home,
                          const std::filesystem::path& output = {}) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::create_directories(home / "data", error);
    fs::create_directories(home / "config", error);
    if (error) {
        std::printf("  cannot make a scratch home in %s\n", home.c_str());
        return -1;
    }
    const pid_t child = fork();
    if (child != 0) {
        if (child < 0)
            std::printf("  cannot start %s\n", program.c_str());
        return child;
    }
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", home.c_str(), 1);
    setenv("CORVALO_STARTUP_TRACE", (home / "trace.txt").c_str(), 1);
    // No sound server here: the mixer runs on SDL's silent device.
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    const int out = output.empty() ? open("/dev/null", O_WRONLY)
                                   : open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out >= 0) {
        dup2(out, STDOUT_FILENO);
        dup2(out, STDERR_FILENO);
    }
    execl(program.c_str(), program.c_str(), "--multiple", static_cast<char*>(nullptr));
    _exit(127);
}

// One "--name value" option of a benchmark's command line: the variable it
// sets and, for a number, the least value it takes.
struct BenchOption {
    const char* name;
    std::variant<std::string*, int*, double*> value;
    double least = 0.0;
};

// Reads the command line's "--name value" pairs into the options named;
// other names are passed over. False, said on standard output, when the
// program to start (the option "--program") is not an executable file.
inline bool ReadBenchOptions(int argc, char** argv, std::initializer_list<BenchOption> options,
                             const std::string& program) {
    for (int i = 1; i + 1 < argc; i += 2) {
        for (const BenchOption& option : options) {
            if (std::string(argv[i]) != option.name)
                continue;
            const char* text = argv[i + 1];
            if (auto* value = std::get_if<std::string*>(&option.value))
                **value = text;
            else if (auto* value = std::get_if<int*>(&option.value))
                **value = std::max(static_cast<int>(option.least), std::atoi(text));
            else if (auto* value = std::get_if<double*>(&option.value))
                **value = std::max(option.least, std::atof(text));
        }
    }
    if (access(program.c_str(), X_OK) != 0) {
        std::printf("no program at %s\n", program.c_str());
        return false;
    }
    return true;
}
