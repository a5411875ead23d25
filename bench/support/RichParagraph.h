#pragma once

// A paragraph of 300 words of rich text (bold, italic, links, a font
// change, soft hyphens) for the layout and text benchmarks.

#include <iterator>
#include <string>

namespace bench {

inline std::string RichParagraph() {
    const char* words[] = {"turn",
                           "two",
                           "tiles",
                           "<b>match</b>",
                           "the",
                           "pair",
                           "<i>and",
                           "build</i>",
                           "a",
                           "<a id='x'>combo</a>",
                           "before",
                           "the",
                           "clock",
                           "runs",
                           "out;",
                           "<font size='20'>power</font>",
                           "ups",
                           "clear",
                           "the",
                           "board",
                           "won\xC2\xAD"
                           "der\xC2\xAD"
                           "ful"};
    std::string text;
    for (int i = 0; i < 300; ++i) {
        if (i)
            text += ' ';
        text += words[i % std::size(words)];
    }
    return text;
}

} // namespace bench
