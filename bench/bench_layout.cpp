// Text layout speed: a paragraph of 300 words with markup (bold, italic,
// links, a font change, soft hyphens) laid out again and again into a block
// of 480 pixels at 16 pixels a line, with the built-in font. Prints
// milliseconds a layout and how many layouts fit in a frame budget of 12 ms.

#include "framework/graphics/text/TFontCache.h"
#include "framework/graphics/text/TTextLayout.h"

#include "support/RichParagraph.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace {

constexpr double kFrameBudgetMs = 12.0;

} // namespace

int main() {
    const std::string text = bench::RichParagraph();
    const TColor black(0.0f, 0.0f, 0.0f, 1.0f);
    TTextLayout* layout = TTextLayout::Create(text.c_str(), 480, 2000, 0, "", 16, black);
    const int lines = layout->GetLineCount();
    constexpr int kRounds = 200;
    double best = 1e9;
    for (int turn = 0; turn < 3; ++turn) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kRounds; ++i)
            layout->SetBlockSize(480 + (i & 1), 2000); // each change lays out again
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count() /
            kRounds;
        best = ms < best ? ms : best;
    }
    std::printf("bench_layout: 300 words, %zu bytes, %d lines at 16 px in 480 px\n", text.size(),
                lines);
    std::printf("layout: %.3f ms each (best of 3 turns of %d); %.0f layouts fit in %.0f ms\n", best,
                kRounds, kFrameBudgetMs / best, kFrameBudgetMs);
    TTextLayout::Destroy(layout);
    ClearFontCache();
    return 0;
}
