#pragma once

#include <algorithm>
#include <chrono>
#include <vector>

// The frame counts of the drawing benchmarks: a round draws kWarmUp +
// kFrames frames and is run kRounds times.
constexpr int kWarmUp = 30;
constexpr int kFrames = 300;
constexpr int kRounds = 3;

// Seconds on the steady clock.
inline double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A round's milliseconds a frame: the median after the warm-up, and the mean
// of the first kFrames frames (warm-up included), as the LÖVE reference
// counts them; after the warm-up, the slowest frame and the frames over
// twice the median.
struct FrameFigures {
    double medianMs = 0;
    double meanFirstMs = 0;
    double slowestMs = 0;
    int slowFrames = 0;
};

inline FrameFigures SummariseFrames(const std::vector<double>& times) {
    FrameFigures figures;
    double first = 0;
    for (int i = 0; i < kFrames && i < static_cast<int>(times.size()); ++i)
        first += times[i];
    figures.meanFirstMs = first / kFrames;
    if (static_cast<int>(times.size()) <= kWarmUp)
        return figures;
    std::vector<double> measured(times.begin() + kWarmUp, times.end());
    std::sort(measured.begin(), measured.end());
    figures.medianMs = measured[measured.size() / 2];
    figures.slowestMs = measured.back();
    for (const double ms : measured)
        figures.slowFrames += ms > 2.0 * figures.medianMs ? 1 : 0;
    return figures;
}
