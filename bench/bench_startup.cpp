// The program as a player meets it: starts the real game program with a
// scratch home of its own, under SDL's offscreen driver and then on a
// private X server, and prints the time from its start to the first
// presented frame and to the first idle event, its peak memory after 10 s
// and the processor time it takes at rest over the 20 s after that: the
// medians of several runs. On an X server with xdotool and xmessage at hand
// the rest is measured with the window in front, then again behind another
// window (an xmessage window takes the focus). Goals: the first frame within
// 0.5 s, at rest at most 2% of one core, peak memory on the first screen at
// most 120 MiB. Beside each start of the program, in the same run, LÖVE
// starts a trivial scene (bench/love-first-frame, which says "first frame"
// once its first frame is presented) and the ratio of the two medians is
// printed; without LÖVE the program's figures stand alone.
//
// The program says when it reaches each point through its start-up trace
// (CORVALO_STARTUP_TRACE, lines "seconds step" on the monotonic clock that
// this process reads too).
//
//   bench_startup [--program PATH] [--runs N] [--rest-runs M] [--rest-seconds S]
//
// --runs: start-up runs (5); --rest-runs: runs measured at rest (3), each
// about 10 + S seconds long (S = 20), 12 + 2 S when measured behind another
// window too.

#include "support/LoveRun.h"
#include "support/ProgramRun.h"
#include "support/XServerRound.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Options {
    std::string program = CORVALO_PROGRAM;
    int runs = 5;
    int restRuns = 3;
    double restSeconds = 20.0;
};

// What one run saw; -1 where it saw nothing.
struct RunFigures {
    double firstFrame = -1.0;
    // Processor time the program had used when its first frame was seen:
    // what the start costs whatever else the machine is doing.
    double firstFrameCpu = -1.0;
    double firstIdle = -1.0;
    double peakMiB = -1.0;
    double restCpuPercent = -1.0;
    double restBehindCpuPercent = -1.0;
};

// Whether the rest can be measured in front and behind another window.
bool CanChangeFocus() {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    return driver && std::string(driver) == "x11" && std::getenv("DISPLAY") && OnPath("xdotool") &&
           OnPath("xmessage");
}

void Quietly(const std::string& command) {
    if (std::system((command + " >/dev/null 2>&1").c_str()) != 0)
        std::printf("  could not run: %s\n", command.c_str());
}

// One start of the program; with rest set it also stays for the memory and
// rest figures.
RunFigures RunOnce(const Options& options, bool rest) {
    RunFigures figures;
    char pattern[] = "/tmp/corvalo-startup-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made) {
        std::printf("  cannot make a scratch home\n");
        return figures;
    }
    const fs::path home = made;
    const fs::path trace = home / "trace.txt";
    const double start = Now();
    const pid_t child = StartProgram(options.program, home);
    if (child < 0)
        return figures;
    // Up to 60 s for both points: a loaded machine is slow, not broken.
    while (Now() - start < 60.0 && Alive(child)) {
        if (figures.firstFrame < 0) {
            const double t = StepTime(trace, "first frame");
            figures.firstFrame = t < 0 ? -1.0 : t - start;
            if (t >= 0)
                figures.firstFrameCpu = CpuSeconds(child);
        }
        if (figures.firstIdle < 0) {
            const double t = StepTime(trace, "first idle");
            figures.firstIdle = t < 0 ? -1.0 : t - start;
        }
        if (figures.firstFrame >= 0 && figures.firstIdle >= 0)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    if (rest && figures.firstIdle >= 0) {
        const auto until = [&](double t) {
            while (Now() - start < t && Alive(child))
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
        };
        const bool focus = CanChangeFocus();
        if (focus)
            Quietly("xdotool search --sync --pid " + std::to_string(child) + " windowfocus");
        until(10.0);
        figures.peakMiB = PeakMiB(child);
        // Processor time per wall time from now until t.
        const auto restUntil = [&](double t) {
            const double cpu0 = CpuSeconds(child);
            const double t0 = Now();
            until(t);
            const double cpu1 = CpuSeconds(child);
            const double wall = Now() - t0;
            return cpu0 >= 0 && cpu1 >= 0 && wall > 0 ? 100.0 * (cpu1 - cpu0) / wall : -1.0;
        };
        figures.restCpuPercent = restUntil(10.0 + options.restSeconds);
        if (focus && Alive(child)) {
            const pid_t other = fork();
            if (other == 0) {
                execlp("xmessage", "xmessage", "-geometry", "300x100+0+0", "another window",
                       static_cast<char*>(nullptr));
                _exit(127);
            }
            if (other > 0) {
                Quietly("xdotool search --sync --class xmessage windowfocus");
                until(12.0 + options.restSeconds);
                figures.restBehindCpuPercent = restUntil(12.0 + 2 * options.restSeconds);
                kill(other, SIGTERM);
                waitpid(other, nullptr, 0);
            }
        }
    }
    Stop(child);
    std::error_code ignored;
    fs::remove_all(home, ignored);
    return figures;
}

// LÖVE's start on the trivial scene: the wall time from its start to its
// first frame and the processor time it had used then; false when it said
// nothing within 60 s.
bool LoveFirstFrame(double& wall, double& cpu) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return false;
    const double start = Now();
    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        close(pipeFds[1]);
        const int quiet = open("/dev/null", O_WRONLY);
        if (quiet >= 0)
            dup2(quiet, STDERR_FILENO);
        execlp("love", "love", CORVALO_BENCH_DIR "/love-first-frame", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    std::string said;
    bool seen = false;
    while (!seen && Now() - start < 60.0) {
        pollfd ready{pipeFds[0], POLLIN, 0};
        if (poll(&ready, 1, 100) <= 0)
            continue;
        char buffer[256];
        const ssize_t got = read(pipeFds[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        said.append(buffer, static_cast<size_t>(got));
        seen = said.find("first frame\n") != std::string::npos;
    }
    if (seen) {
        wall = Now() - start;
        cpu = CpuSeconds(child);
    }
    close(pipeFds[0]);
    Stop(child);
    return seen && cpu >= 0;
}

std::string Figure(double value, const char* unit, double scale = 1.0) {
    if (value < 0)
        return "none";
    char text[64];
    std::snprintf(text, sizeof text, "%.3f %s", value * scale, unit);
    return text;
}

int Run(int argc, char** argv) {
    Options options;
    if (!ReadBenchOptions(argc, argv,
                          {{"--program", &options.program},
                           {"--runs", &options.runs, 1.0},
                           {"--rest-runs", &options.restRuns, 0.0},
                           {"--rest-seconds", &options.restSeconds, 1.0}},
                          options.program))
        return 1;
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    std::printf("start-up of %s (SDL_VIDEODRIVER=%s), %d runs:\n", options.program.c_str(),
                driver ? driver : "(default)", options.runs);
    const bool love = HaveLove(CORVALO_BENCH_DIR "/love-first-frame");
    std::vector<double> frames, frameCpus, idles, peaks, rests, restsBehind, loveFrames, loveCpus;
    // Every figure a run saw goes into its median.
    const auto keep = [&](const RunFigures& run) {
        const std::pair<double, std::vector<double>*> figures[] = {
            {run.firstFrame, &frames},    {run.firstFrameCpu, &frameCpus},
            {run.firstIdle, &idles},      {run.peakMiB, &peaks},
            {run.restCpuPercent, &rests}, {run.restBehindCpuPercent, &restsBehind}};
        for (const auto& [value, list] : figures)
            if (value >= 0)
                list->push_back(value);
    };
    for (int i = 0; i < options.runs; ++i) {
        const RunFigures run = RunOnce(options, false);
        std::printf("  run %d: first frame %s (processor time %s), first idle %s\n", i + 1,
                    Figure(run.firstFrame, "s").c_str(), Figure(run.firstFrameCpu, "s").c_str(),
                    Figure(run.firstIdle, "s").c_str());
        keep(run);
        double wall = -1.0, cpu = -1.0;
        if (love && LoveFirstFrame(wall, cpu)) {
            std::printf("  LÖVE run %d: first frame %s (processor time %s)\n", i + 1,
                        Figure(wall, "s").c_str(), Figure(cpu, "s").c_str());
            loveFrames.push_back(wall);
            loveCpus.push_back(cpu);
        }
    }
    for (int i = 0; i < options.restRuns; ++i) {
        const RunFigures run = RunOnce(options, true);
        std::printf("  rest run %d: first frame %s, peak memory at 10 s %s, at rest %s of a core, "
                    "behind another window %s\n",
                    i + 1, Figure(run.firstFrame, "s").c_str(), Figure(run.peakMiB, "MiB").c_str(),
                    Figure(run.restCpuPercent, "%").c_str(),
                    Figure(run.restBehindCpuPercent, "%").c_str());
        keep(run);
    }
    std::printf("median first frame: %s (goal <= 0.5 s)\n", Figure(Median(frames), "s").c_str());
    std::printf("median processor time to the first frame: %s (every thread; on a busy machine "
                "the wall time above grows, this does not)\n",
                Figure(Median(frameCpus), "s").c_str());
    if (!loveFrames.empty() && !frames.empty())
        std::printf("median LÖVE first frame of a trivial scene: %s (processor time %s); ratio "
                    "ours/LÖVE %.2f (processor time %.2f)\n",
                    Figure(Median(loveFrames), "s").c_str(), Figure(Median(loveCpus), "s").c_str(),
                    Median(frames) / Median(loveFrames),
                    Median(loveCpus) > 0 ? Median(frameCpus) / Median(loveCpus) : -1.0);
    std::printf("load average at the end: %.1f\n", LoadAverage());
    std::printf("median first idle event: %s\n", Figure(Median(idles), "s").c_str());
    std::printf("median peak memory on the first screen (after 10 s): %s (goal <= 120 MiB)\n",
                Figure(Median(peaks), "MiB").c_str());
    std::printf("median processor time at rest over %.0f s: %s of one core (goal <= 2%%)\n",
                options.restSeconds, Figure(Median(rests), "%").c_str());
    std::printf("median processor time at rest behind another window: %s of one core (goal "
                "<= 2%%)\n",
                Figure(Median(restsBehind), "%").c_str());
    std::fflush(stdout);
    return frames.empty() ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
    return RunWithXServerRound(argc, argv, Run);
}
