#pragma once

// The vector drawer: draws vector-font outlines and shapes through the draw
// front. The platform object makes it with the first display mode and owns
// it. Drawing and calibration come with the graphics work.
class TNbMiniVecDraw {
public:
    TNbMiniVecDraw() = default;
    TNbMiniVecDraw(const TNbMiniVecDraw&) = delete;
    TNbMiniVecDraw& operator=(const TNbMiniVecDraw&) = delete;
    virtual ~TNbMiniVecDraw() = default;

    // Measures the display's sub-pixel offsets; drawing does not use them
    // yet, so this only counts its runs.
    void Calibrate() { ++mCalibrations; }
    int GetCalibrationCount() const { return mCalibrations; }

private:
    int mCalibrations = 0;
};
