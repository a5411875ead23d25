#pragma once

#include <cstdint>
#include <vector>

// One vertex of the drawer's line lists, laid out as the draw front's
// 32-byte vertices: position, z, rhw, diffuse and specular colours
// (0xAARRGGBB) and texture coordinates.
struct TVecVertex {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.1f;
    float rhw = 0.5f;
    uint32_t diffuse = 0;
    uint32_t specular = 0;
    float u = 0.0f;
    float v = 0.0f;
};
static_assert(sizeof(TVecVertex) == 32, "the draw front's vertices are 32 bytes");

// Where the vector drawer's spans go when it is not writing into a locked
// target: the draw front, which draws each vertex pair as one horizontal
// line of a line list. Calibration draws into an offscreen target of the
// sink's making and reads it back; a sink that cannot do that answers false
// and the drawer keeps its fallback offsets.
class TVecDrawSink {
public:
    virtual ~TVecDrawSink() = default;

    // Spans are drawn untextured.
    virtual void ClearTexture() {}
    // The top-left corner of the current viewport in target pixels: text
    // drawn to the screen is placed relative to it.
    virtual void GetViewportOrigin(float& x, float& y) {
        x = 0.0f;
        y = 0.0f;
    }
    // count vertices, two per line.
    virtual void DrawLineList(const TVecVertex* vertices, int count) = 0;

    // Makes a width x height target that the following line lists draw into;
    // false when it cannot be made.
    virtual bool BeginCalibrationTarget(int /*width*/, int /*height*/) { return false; }
    // Clears the rectangle [x0, x1) x [y0, y1) of the target to transparent.
    virtual void ClearCalibrationRect(int /*x0*/, int /*y0*/, int /*x1*/, int /*y1*/) {}
    // Reads the target back as 0xAARRGGBB words, row by row from the top;
    // false when it cannot be read.
    virtual bool ReadCalibrationTarget(std::vector<uint32_t>& /*pixels*/, int& /*width*/,
                                       int& /*height*/) {
        return false;
    }
    // Drawing goes to the screen again; the target is released.
    virtual void EndCalibrationTarget() {}
};
