#include "framework/graphics/text/TTextLayout.h"

#include <string>

namespace {

std::string ColorText(const TColor& c) {
    auto byte = [](float v) { return static_cast<unsigned>(v * 255.0f + 0.5f); };
    return std::string(
        TString::Format("%02x%02x%02x%02x", byte(c.r), byte(c.g), byte(c.b), byte(c.a)).CStr());
}

// The run's characters as written, with a line feed shown as "\n".
std::string RunText(const TString& text, const TTextRun& run) {
    std::string out;
    for (int32_t i = run.start; i <= run.end && i < text.Length(); ++i) {
        const char c = text.CharAt(i);
        if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
    return out;
}

} // namespace

TString TraceTextLayout(const TTextLayout& layout) {
    std::string out(TString::Format("block %dx%d align %d font %s size %d lines %d height %d\n",
                                    layout.GetWidth(), layout.GetHeight(), layout.GetAlignment(),
                                    layout.GetFontName().CStr(), layout.GetFontSize(),
                                    layout.GetLineCount(), layout.GetTextHeight())
                        .CStr());
    for (int32_t i = 0; i < layout.GetLineCount(); ++i) {
        const TTextLine& line = *layout.GetLines()[i];
        out += TString::Format("line %d x %d+%.2f height %d baseline %d\n", i, line.x, line.xOffset,
                               line.height, line.baseline)
                   .CStr();
        for (const TTextRun& run : line.runs) {
            out += TString::Format("  run %d..%d x %d..%d size %d baseline %d", run.start, run.end,
                                   run.startX, run.endX, run.size, run.baseline)
                       .CStr();
            if (run.bold)
                out += " bold";
            if (run.italic)
                out += " italic";
            if (run.underline)
                out += " underline";
            if (run.cursor)
                out += " cursor";
            if (run.styledFont)
                out += " fallback";
            if (!run.font)
                out += " nofont";
            if (!run.linkId.IsEmpty())
                out += " link " + std::string(run.linkId.CStr()) + " " + ColorText(run.linkColor);
            if (run.outlineSize != 0.0f)
                out += TString::Format(" outline %.1f ", run.outlineSize).CStr() +
                       ColorText(run.outlineColor);
            if (run.tabPosition)
                out += TString::Format(" tab %d", run.tabPosition).CStr();
            if (run.styleDepth)
                out += TString::Format(" depth %d", run.styleDepth).CStr();
            out +=
                " color " + ColorText(run.color) + " \"" + RunText(layout.GetText(), run) + "\"\n";
        }
    }
    const TRect bounds = layout.GetTextBounds(1.0f);
    out += TString::Format("bounds %d %d %d %d (layout left %d top %d right %d offset %.2f)\n",
                           bounds.left, bounds.top, bounds.right, bounds.bottom,
                           layout.GetBoundsLeft(), layout.GetBoundsTop(), layout.GetBoundsRight(),
                           layout.GetVerticalOffset())
               .CStr();
    return TString(out);
}
