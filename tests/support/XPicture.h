#pragma once

// The game's 1024 x 768 picture in a window of a real X server: where it
// stands when a full screen of another size shows it scaled with bars, the
// window's point that shows a place of it, the window's pictures brought
// back to 1024 x 768 (ImageMagick's import and convert) and the colours
// read from them.

#include "support/XProgram.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace support {

// Where the game's picture stands in its window: scaled by `scale`, its
// top left corner at (left, top).
struct PictureFit {
    double scale = 1;
    int left = 0;
    int top = 0;
};

inline PictureFit FitOfWindow(const std::string& window) {
    std::string said;
    RunProgram({"xdotool", "getwindowgeometry", "--shell", window}, &said);
    int width = 1024, height = 768;
    std::istringstream in(said);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("WIDTH=", 0) == 0)
            width = std::atoi(line.c_str() + 6);
        if (line.rfind("HEIGHT=", 0) == 0)
            height = std::atoi(line.c_str() + 7);
    }
    PictureFit fit;
    fit.scale = std::min(width / 1024.0, height / 768.0);
    fit.left = static_cast<int>((width - 1024 * fit.scale) / 2);
    fit.top = static_cast<int>((height - 768 * fit.scale) / 2);
    return fit;
}

// The window's point that shows the place (x, y) of the game's picture:
// the middle of the picture's pixel.
inline std::pair<int, int> OnScreen(const PictureFit& fit, int x, int y) {
    return {fit.left + static_cast<int>((x + 0.5) * fit.scale),
            fit.top + static_cast<int>((y + 0.5) * fit.scale)};
}

// The window's picture into path, brought back to the game's 1024 x 768.
inline void CaptureWindow(const std::string& window, const std::string& path) {
    EXPECT_EQ(RunProgram({"import", "-window", window, path}), 0) << path;
    const PictureFit fit = FitOfWindow(window);
    if (fit.scale == 1 && fit.left == 0 && fit.top == 0)
        return;
    const std::string area = std::to_string(static_cast<int>(1024 * fit.scale)) + "x" +
                             std::to_string(static_cast<int>(768 * fit.scale)) + "+" +
                             std::to_string(fit.left) + "+" + std::to_string(fit.top);
    EXPECT_EQ(RunProgram({"convert", path, "-crop", area, "+repage", "-resize", "1024x768!", path}),
              0)
        << path;
}

// The mean red, green and blue (0 to 1) of a box of a picture; -1 each
// when it cannot be read.
inline std::vector<double> MeanColourIn(const std::string& path, int x, int y, int w, int h) {
    std::string said;
    RunProgram({"convert", path, "-crop",
                std::to_string(w) + "x" + std::to_string(h) + "+" + std::to_string(x) + "+" +
                    std::to_string(y),
                "-format", "%[fx:mean.r] %[fx:mean.g] %[fx:mean.b]", "info:"},
               &said);
    std::istringstream in(said);
    std::vector<double> rgb(3, -1.0);
    in >> rgb[0] >> rgb[1] >> rgb[2];
    return rgb;
}

inline double Brightness(const std::vector<double>& rgb) {
    return (rgb[0] + rgb[1] + rgb[2]) / 3;
}
// How far from grey: the largest difference of the channels.
inline double Saturation(const std::vector<double>& rgb) {
    return *std::max_element(rgb.begin(), rgb.end()) - *std::min_element(rgb.begin(), rgb.end());
}

} // namespace support
