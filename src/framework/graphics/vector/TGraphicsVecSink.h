#pragma once

#include "framework/graphics/vector/TVecDrawSink.h"

#include <cstdint>
#include <vector>

// The vector drawer's way to the screen: spans go to the draw front
// (TGraphics) as line lists of screen-pixel vertices, untextured, placed in
// the current viewport. Calibration draws its test spans into the top rows
// of the back buffer in a frame of its own (which is never presented) and
// reads them back; it needs a display at least as wide as the strip and no
// frame open. The platform object gives its drawer one of these.
class TGraphicsVecSink : public TVecDrawSink {
public:
    void ClearTexture() override;
    void DrawLineList(const TVecVertex* vertices, int count) override;
    void GetViewportOrigin(float& x, float& y) override;

    bool BeginCalibrationTarget(int width, int height) override;
    void ClearCalibrationRect(int x0, int y0, int x1, int y1) override;
    bool ReadCalibrationTarget(std::vector<uint32_t>& pixels, int& width, int& height) override;
    void EndCalibrationTarget() override;

private:
    bool OpenFrame();
    void CloseFrame();

    bool mCalibrating = false;
    bool mFrameOpen = false;
    int mWidth = 0;
    int mHeight = 0;
};
