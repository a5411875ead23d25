// Prints the cost of copying, comparing, searching and appending with
// TString beside std::string over the same data, for short, medium and long
// texts. A TString copy shares the record, so its cost does not grow with
// the length; std::string copies the bytes.
//
// Usage: bench_tstring [scale]   (scale multiplies the iteration counts)

#include "framework/core/text/TString.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

// Keeps results observable so the loops are not optimised away.
volatile size_t gSink = 0;

// Makes the compiler assume that memory changed, so work on unchanged
// inputs is not hoisted out of the loop.
inline void Clobber() {
    asm volatile("" ::: "memory");
}

template <class Body> double NanosecondsPerOperation(long iterations, Body body) {
    auto start = Clock::now();
    size_t sink = 0;
    for (long i = 0; i < iterations; ++i) {
        sink += body(i);
        Clobber();
    }
    auto elapsed = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
    gSink = gSink + sink;
    return elapsed / static_cast<double>(iterations);
}

std::string MakeText(int length) {
    std::string text;
    text.reserve(length);
    for (int i = 0; i < length; ++i) {
        text += static_cast<char>('a' + (i * 7 + i / 26) % 26);
    }
    return text;
}

void Row(const char* operation, int length, double ours, double standard) {
    std::printf("%-22s %8d %14.1f %14.1f %9.2f\n", operation, length, ours, standard,
                standard > 0 ? ours / standard : 0.0);
}

} // namespace

int main(int argc, char** argv) {
    double scale = argc > 1 ? std::atof(argv[1]) : 1.0;
    if (!(scale > 0)) {
        scale = 1.0;
    }
    std::printf("%-22s %8s %14s %14s %9s\n", "operation", "length", "TString ns", "std ns",
                "ratio");
    for (int length : {8, 1024, 65536}) {
        // Fewer rounds for longer texts keep the whole run short.
        long rounds = static_cast<long>(scale * (length <= 8      ? 2000000
                                                 : length <= 1024 ? 200000
                                                                  : 4000));
        std::string base = MakeText(length);
        std::string needleText = "#end#";
        std::string haystack = base + needleText;

        TString ours(base.c_str());
        std::string standard = base;
        Row("copy", length,
            NanosecondsPerOperation(rounds,
                                    [&](long) {
                                        TString copy(ours);
                                        return static_cast<size_t>(copy.CStr()[0]);
                                    }),
            NanosecondsPerOperation(rounds, [&](long) {
                std::string copy(standard);
                return static_cast<size_t>(copy[0]);
            }));

        // Equal texts in separate records: both compare every byte.
        TString oursA(base.c_str()), oursB(base.c_str());
        std::string standardA = base, standardB = base;
        Row("compare (equal)", length,
            NanosecondsPerOperation(
                rounds, [&](long) { return static_cast<size_t>(oursA.Compare(oursB) + 1); }),
            NanosecondsPerOperation(rounds, [&](long) {
                return static_cast<size_t>(standardA.compare(standardB) + 1);
            }));

        TString oursHay(haystack.c_str()), oursNeedle(needleText.c_str());
        long findRounds = std::max(1L, rounds / 4);
        Row("find (at the end)", length,
            NanosecondsPerOperation(
                findRounds, [&](long) { return static_cast<size_t>(oursHay.Find(oursNeedle)); }),
            NanosecondsPerOperation(findRounds, [&](long) { return haystack.find(needleText); }));

        // Building the text one byte at a time, per appended byte.
        long buildRounds = std::max(1L, static_cast<long>(scale * 4000000) / length / 8);
        if (length > 8192) {
            buildRounds = 2; // two builds of a long text are enough to measure
        }
        auto perByte = [&](double perBuild) { return perBuild / length; };
        Row("append byte (+=)", length,
            perByte(NanosecondsPerOperation(buildRounds,
                                            [&](long) {
                                                TString text;
                                                for (int i = 0; i < length; ++i) {
                                                    text += base[i];
                                                }
                                                return static_cast<size_t>(text.Length());
                                            })),
            perByte(NanosecondsPerOperation(buildRounds, [&](long) {
                std::string text;
                for (int i = 0; i < length; ++i) {
                    text += base[i];
                }
                return text.size();
            })));
        Row("write byte at the end", length,
            perByte(NanosecondsPerOperation(buildRounds,
                                            [&](long) {
                                                TString text;
                                                for (int i = 0; i < length; ++i) {
                                                    text.Write(-1, &base[i], 1, true);
                                                }
                                                return static_cast<size_t>(text.Length());
                                            })),
            perByte(NanosecondsPerOperation(buildRounds, [&](long) {
                std::string text;
                for (int i = 0; i < length; ++i) {
                    text.push_back(base[i]);
                }
                return text.size();
            })));
    }
    // Words appended to one growing text, as a reader gathers an element's
    // text: the cost per appended byte must not grow with the text.
    for (int total : {64 * 1024, 2 * 1024 * 1024}) {
        TString word("word ");
        std::string standardWord = "word ";
        int words = total / word.Length();
        auto perByte = [&](double perBuild) { return perBuild / total; };
        Row("append word (+=)", total,
            perByte(NanosecondsPerOperation(2,
                                            [&](long) {
                                                TString text;
                                                for (int i = 0; i < words; ++i) {
                                                    text += word;
                                                }
                                                return static_cast<size_t>(text.Length());
                                            })),
            perByte(NanosecondsPerOperation(2, [&](long) {
                std::string text;
                for (int i = 0; i < words; ++i) {
                    text += standardWord;
                }
                return text.size();
            })));
    }
    std::printf("(checksum %zu)\n", static_cast<size_t>(gSink));
    return 0;
}
