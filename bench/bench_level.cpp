// A level with nobody playing, as a player meets it: lays out the real game
// program with the build's assets and a start-up script that opens the
// board of a Classic level, starts it with a scratch home of its own under
// SDL's offscreen driver and then on a private X server, waits for the
// board to come to rest, and then counts over S seconds the frames it
// presents (its start-up trace says "frames N" every few frames) and the
// processor time it takes, every thread. Prints the share of a core, the
// frames a second, the processor milliseconds a frame and the peak memory
// in the level. Beside it, in the same run and on the same display, LÖVE
// draws one still picture the size of the window every 12 ms (the scene in
// bench/love-still), and the ratio of the two frame costs is printed. The
// goals: at rest a frame costs no more than LÖVE's, the process takes at
// most 30% of a core on the X server, and the peak memory in the level is
// at most 150 MiB. Under the offscreen driver the window is never in front,
// so the program draws at its background rate (a frame every 200 ms): the
// round on the X server is the one a player meets.
//
//   bench_level [--program PATH] [--settle SECONDS] [--seconds S] [--runs N]
//
// --settle: seconds from the board's opening to the measure (9: the
// curtains and the count-down are over); --seconds: the measure (8);
// --runs: runs of each, interleaved (2).

#include "support/LoveRun.h"
#include "support/ProgramRun.h"
#include "support/XServerRound.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Options {
    std::string program = CORVALO_PROGRAM;
    double settle = 9.0;
    double seconds = 8.0;
    int runs = 2;
};

// What one measure saw; -1 where it saw nothing.
struct Figures {
    double corePercent = -1.0;
    double framesPerSecond = -1.0;
    double msPerFrame = -1.0;
    double peakMiB = -1.0;
};

bool FileHas(const fs::path& file, const std::string& text) {
    std::ifstream in(file);
    const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return all.find(text) != std::string::npos;
}

// The program folder: the program, the build's assets, and the start-up
// script that opens the board of the level over the shipped one.
bool LayOut(const fs::path& folder, const std::string& program) {
    std::error_code error;
    fs::create_directories(folder, error);
    fs::copy_file(program, folder / "corvalo", error);
    if (error)
        return false;
    fs::copy(CORVALO_ASSETS_DIR, folder / "assets", fs::copy_options::recursive, error);
    if (error)
        return false;
    fs::copy_file(CORVALO_BOARD_DATA "/scripts/main.lua", folder / "assets/scripts/main.lua",
                  fs::copy_options::overwrite_existing, error);
    if (error)
        return false;
    std::ofstream level(folder / "assets/scripts/board_level.lua");
    level << "gGameMode = 'Classic'\ngGameStyle = 'quick'\ngGameDifficulty = 'easy'\n";
    return static_cast<bool>(level);
}

Figures RunGame(const fs::path& scratch, const Options& options) {
    Figures figures;
    const fs::path home = scratch / "home";
    std::error_code ignored;
    fs::remove_all(home, ignored);
    const fs::path trace = home / "trace.txt";
    const fs::path output = home / "output.txt";
    const pid_t child = StartProgram((scratch / "game" / "corvalo").string(), home, output);
    if (child < 0)
        return figures;
    const auto sleepFor = [](double seconds) {
        std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    };
    // Up to 60 s for the board to open: a loaded machine is slow.
    const double start = Now();
    while (Now() - start < 60.0 && Alive(child) && !FileHas(output, "open scripts/game.lua"))
        sleepFor(0.05);
    if (!FileHas(output, "open scripts/game.lua")) {
        std::printf("  the board did not open\n");
        Stop(child);
        return figures;
    }
    sleepFor(options.settle);
    double t0 = 0, t1 = 0;
    long long n0 = 0, n1 = 0;
    const double cpu0 = CpuSeconds(child);
    const double wall0 = Now();
    const bool counted0 = LastFrameCount(trace, t0, n0);
    sleepFor(options.seconds);
    const double cpu1 = CpuSeconds(child);
    const double wall1 = Now();
    const bool counted1 = LastFrameCount(trace, t1, n1);
    figures.peakMiB = PeakMiB(child);
    if (Alive(child) && cpu0 >= 0 && cpu1 >= 0) {
        const double cpu = cpu1 - cpu0;
        figures.corePercent = 100.0 * cpu / (wall1 - wall0);
        if (counted0 && counted1 && n1 > n0 && t1 > t0) {
            figures.framesPerSecond = static_cast<double>(n1 - n0) / (t1 - t0);
            figures.msPerFrame = 1000.0 * cpu / (figures.framesPerSecond * (wall1 - wall0));
        }
    }
    Stop(child);
    return figures;
}

// LÖVE's still picture over as long a measure; its frames and processor
// time from its own line.
Figures RunLoveStill(const Options& options) {
    Figures figures;
    std::string said;
    rusage usage{};
    if (!RunLoveScene(CORVALO_BENCH_DIR "/love-still", said, usage,
                      {{"STILL_SECONDS", std::to_string(options.seconds)}}))
        return figures;
    long long frames = 0;
    double seconds = 0, cpu = 0, ms = 0;
    const size_t at = said.find("love:");
    if (at == std::string::npos ||
        std::sscanf(said.c_str() + at, "love: %lld frames in %lf s, processor %lf s = %lf", &frames,
                    &seconds, &cpu, &ms) != 4 ||
        frames <= 0 || seconds <= 0) {
        std::printf("  LÖVE: no figure in its output:\n%s\n", said.c_str());
        return figures;
    }
    figures.corePercent = 100.0 * cpu / seconds;
    figures.framesPerSecond = static_cast<double>(frames) / seconds;
    figures.msPerFrame = ms;
    figures.peakMiB = static_cast<double>(usage.ru_maxrss) / 1024.0;
    return figures;
}

void Print(const char* who, int run, const Figures& f) {
    std::printf("  %s run %d: %.1f%% of a core, %.1f frames/s, %.3f ms processor/frame, peak "
                "%.1f MiB\n",
                who, run, f.corePercent, f.framesPerSecond, f.msPerFrame, f.peakMiB);
    std::fflush(stdout);
}

int Run(int argc, char** argv) {
    Options options;
    if (!ReadBenchOptions(argc, argv,
                          {{"--program", &options.program},
                           {"--settle", &options.settle, 0.0},
                           {"--seconds", &options.seconds, 1.0},
                           {"--runs", &options.runs, 1.0}},
                          options.program))
        return 1;
    char pattern[] = "/tmp/corvalo-level-XXXXXX";
    const char* made = mkdtemp(pattern);
    if (!made || !LayOut(fs::path(made) / "game", options.program)) {
        std::printf("cannot lay out the program in a scratch folder\n");
        return 1;
    }
    const fs::path scratch = made;
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    const char* threads = std::getenv("LP_NUM_THREADS");
    std::printf("a Classic level at rest (SDL_VIDEODRIVER=%s, LP_NUM_THREADS=%s), %d runs of "
                "%.0f s:\n",
                driver ? driver : "(default)", threads ? threads : "(unset)", options.runs,
                options.seconds);
    const bool love = HaveLove(CORVALO_BENCH_DIR "/love-still");
    std::vector<double> shares, rates, costs, peaks, loveShares, loveCosts;
    for (int i = 0; i < options.runs; ++i) {
        const Figures game = RunGame(scratch, options);
        Print("game", i + 1, game);
        if (game.msPerFrame > 0) {
            shares.push_back(game.corePercent);
            rates.push_back(game.framesPerSecond);
            costs.push_back(game.msPerFrame);
            peaks.push_back(game.peakMiB);
        }
        if (love) {
            const Figures still = RunLoveStill(options);
            Print("LÖVE still picture", i + 1, still);
            if (still.msPerFrame > 0) {
                loveShares.push_back(still.corePercent);
                loveCosts.push_back(still.msPerFrame);
            }
        }
    }
    std::error_code ignored;
    fs::remove_all(scratch, ignored);
    if (costs.empty()) {
        std::printf("no figures\n");
        return 1;
    }
    std::printf("median at rest: %.1f%% of a core (goal <= 30%% on an X server), %.1f frames/s, "
                "%.3f ms processor/frame\n",
                Median(shares), Median(rates), Median(costs));
    if (!loveCosts.empty())
        std::printf("median LÖVE still picture: %.1f%% of a core, %.3f ms processor/frame; "
                    "ratio ours/LÖVE %.2f (goal <= 1)\n",
                    Median(loveShares), Median(loveCosts), Median(costs) / Median(loveCosts));
    std::printf("median peak memory in the level: %.1f MiB (goal <= 150 MiB)\n", Median(peaks));
    std::printf("load average at the end: %.1f\n", LoadAverage());
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    return RunWithXServerRound(argc, argv, Run);
}
