#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <unordered_map>
#include <vector>

// One run of equal coverage on a pixel row of a drawn shape: pixels
// [xStart, xEnd) of row y, relative to the shape's pixel position; coverage
// 1 to 16 (of 4 x 4 samples); the coverage layer it was drawn on.
struct TVecRun {
    int16_t xStart = 0;
    int16_t xEnd = 0;
    int16_t y = 0;
    uint8_t coverage = 0;
    uint8_t layer = 0;
};
static_assert(sizeof(TVecRun) == 8, "runs are recorded in 8 bytes");

// What a drawing's runs depend on: the path's bytes (not its address, since
// paths made for one drawing, such as cursor and underline bars, reuse
// addresses), the sub-pixel phase and the drawing state. The drawer only
// makes keys of finite values.
struct TVecShapeKey {
    std::vector<uint8_t> path;
    int32_t subX = 0;
    int32_t subY = 0;
    float xScale = 1.0f;
    float yScale = 1.0f;
    float stroke[2] = {0.0f, 0.0f};
    bool shear = false;
    float cosine = 1.0f;
    float sine = 0.0f;

    bool operator==(const TVecShapeKey& other) const;
    size_t Hash() const;
};

// Recorded runs by shape, bounded by the number of runs it holds: when an
// insertion passes the bound, the least recently used shapes go first (a
// zooming text would otherwise grow it without end).
class TVecRunCache {
public:
    explicit TVecRunCache(size_t runLimit = kDefaultRunLimit) : mLimit(runLimit) {}
    static constexpr size_t kDefaultRunLimit = 1u << 20; // 8 MB of runs

    // The runs of the key, or null; a hit becomes the most recently used.
    const std::vector<TVecRun>* Find(const TVecShapeKey& key);
    void Insert(const TVecShapeKey& key, std::vector<TVecRun> runs);
    void Clear();

    void SetRunLimit(size_t runs);
    size_t GetRunLimit() const { return mLimit; }
    size_t GetRunCount() const { return mRuns; }
    size_t GetShapeCount() const { return mMap.size(); }
    size_t GetEvictions() const { return mEvictions; }

private:
    struct KeyHash {
        size_t operator()(const TVecShapeKey& key) const { return key.Hash(); }
    };
    struct Entry {
        std::vector<TVecRun> runs;
        std::list<const TVecShapeKey*>::iterator use;
    };
    void Trim();

    size_t mLimit;
    size_t mRuns = 0;
    size_t mEvictions = 0;
    std::unordered_map<TVecShapeKey, Entry, KeyHash> mMap;
    std::list<const TVecShapeKey*> mUse; // most recently used first
};
