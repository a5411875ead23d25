#pragma once

#include <cstdint>

// An integer rectangle, half open: it holds x when left <= x < right and y
// when top <= y < bottom. Union and intersection work on the edges alone,
// so an intersection of disjoint rectangles keeps its crossed edges
// (right < left or bottom < top) for callers that test for that.
struct TRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    TRect() = default;
    TRect(int32_t left_, int32_t top_, int32_t right_, int32_t bottom_)
        : left(left_), top(top_), right(right_), bottom(bottom_) {}

    bool Contains(int32_t x, int32_t y) const {
        return left <= x && x < right && top <= y && y < bottom;
    }
    // This becomes the smallest rectangle around a and b.
    void Union(const TRect& a, const TRect& b);
    // This becomes the overlap of a and b (crossed when they are disjoint).
    void Intersect(const TRect& a, const TRect& b);
    // The overlap of a and b (crossed when they are disjoint).
    static TRect Intersection(const TRect& a, const TRect& b) {
        TRect r;
        r.Intersect(a, b);
        return r;
    }

    bool operator==(const TRect& other) const = default;
};
