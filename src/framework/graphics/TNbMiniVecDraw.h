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
};
