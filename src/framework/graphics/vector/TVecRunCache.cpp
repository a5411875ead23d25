#include "framework/graphics/vector/TVecRunCache.h"

#include <cstring>

namespace {

// Eight bytes at a time: every drawn glyph hashes its path.
uint64_t Mix(uint64_t hash, const void* data, size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        uint64_t word;
        std::memcpy(&word, p + i, 8);
        hash = (hash ^ word) * 0x9E3779B97F4A7C15ull;
        hash ^= hash >> 29;
    }
    for (; i < size; ++i)
        hash = (hash ^ p[i]) * 1099511628211ull;
    return hash;
}

} // namespace

bool TVecShapeKey::operator==(const TVecShapeKey& other) const {
    return subX == other.subX && subY == other.subY && xScale == other.xScale &&
           yScale == other.yScale && stroke[0] == other.stroke[0] && stroke[1] == other.stroke[1] &&
           shear == other.shear && cosine == other.cosine && sine == other.sine &&
           path == other.path;
}

size_t TVecShapeKey::Hash() const {
    uint64_t h = 14695981039346656037ull;
    h = Mix(h, path.data(), path.size());
    const int32_t ints[3] = {subX, subY, shear ? 1 : 0};
    h = Mix(h, ints, sizeof ints);
    // Adding zero turns -0 into 0, which compares equal to it and so must
    // hash the same.
    const float floats[6] = {xScale + 0.0f,    yScale + 0.0f, stroke[0] + 0.0f,
                             stroke[1] + 0.0f, cosine + 0.0f, sine + 0.0f};
    h = Mix(h, floats, sizeof floats);
    return static_cast<size_t>(h);
}

const std::vector<TVecRun>* TVecRunCache::Find(const TVecShapeKey& key) {
    auto found = mMap.find(key);
    if (found == mMap.end())
        return nullptr;
    mUse.splice(mUse.begin(), mUse, found->second.use);
    return &found->second.runs;
}

void TVecRunCache::Insert(const TVecShapeKey& key, std::vector<TVecRun> runs) {
    auto found = mMap.find(key);
    if (found != mMap.end()) {
        mRuns -= found->second.runs.size();
        mUse.erase(found->second.use);
        mMap.erase(found);
    }
    const size_t count = runs.size();
    auto [at, inserted] = mMap.emplace(key, Entry{std::move(runs), {}});
    (void)inserted;
    mUse.push_front(&at->first);
    at->second.use = mUse.begin();
    mRuns += count;
    Trim();
}

void TVecRunCache::Clear() {
    mMap.clear();
    mUse.clear();
    mRuns = 0;
}

void TVecRunCache::SetRunLimit(size_t runs) {
    mLimit = runs;
    Trim();
}

// The newest shape stays even when it alone passes the bound, so that the
// drawing that just made it can replay it.
void TVecRunCache::Trim() {
    while (mRuns > mLimit && mUse.size() > 1) {
        const TVecShapeKey* oldest = mUse.back();
        mUse.pop_back();
        auto found = mMap.find(*oldest);
        if (found == mMap.end())
            continue;
        mRuns -= found->second.runs.size();
        mMap.erase(found);
        ++mEvictions;
    }
}
