#include "platform/desktop/SystemCursor.h"

#include <zlib.h>

#include <array>

namespace platform {

namespace {

constexpr int kSide = 32;

struct Point {
    double x;
    double y;
};

// The arrow's outline: the tip, down the left edge, in to the tail, along
// the tail and back out to the right wing.
constexpr std::array<Point, 7> kArrow = {{
    {0.0, 0.0},
    {0.0, 17.0},
    {4.0, 13.5},
    {7.0, 20.5},
    {10.5, 19.0},
    {7.5, 12.5},
    {13.0, 12.5},
}};

bool InArrow(double x, double y) {
    bool inside = false;
    for (size_t i = 0, j = kArrow.size() - 1; i < kArrow.size(); j = i++) {
        const Point& a = kArrow[i];
        const Point& b = kArrow[j];
        if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x)
            inside = !inside;
    }
    return inside;
}

bool Covered(int x, int y) {
    return x >= 0 && y >= 0 && x < kSide && y < kSide && InArrow(x + 0.5, y + 0.5);
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(value >> 24);
    out.push_back((value >> 16) & 0xFF);
    out.push_back((value >> 8) & 0xFF);
    out.push_back(value & 0xFF);
}

void PutChunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
    PutBigEndian(out, static_cast<uint32_t>(data.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0, &out[start], static_cast<uInt>(out.size() - start));
    PutBigEndian(out, static_cast<uint32_t>(crc));
}

std::vector<uint8_t> EncodePng(const CursorImage& image) {
    // Rows of RGBA, each behind filter type 0.
    std::vector<uint8_t> raw;
    raw.reserve(static_cast<size_t>(image.height) * (1 + image.width * 4));
    for (int y = 0; y < image.height; ++y) {
        raw.push_back(0);
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* pixel = &image.bgra[static_cast<size_t>(y * image.width + x) * 4];
            raw.insert(raw.end(), {pixel[2], pixel[1], pixel[0], pixel[3]});
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()),
                  Z_BEST_COMPRESSION) != Z_OK)
        return {};
    packed.resize(packedSize);

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBigEndian(header, static_cast<uint32_t>(image.width));
    PutBigEndian(header, static_cast<uint32_t>(image.height));
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8 bits, RGBA, deflate, no filter, no interlace
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", packed);
    PutChunk(png, "IEND", {});
    return png;
}

} // namespace

CursorImage SystemCursorImage() {
    CursorImage image;
    image.width = kSide;
    image.height = kSide;
    image.bgra.assign(static_cast<size_t>(kSide * kSide) * 4, 0);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            if (!Covered(x, y))
                continue;
            // A pixel beside an uncovered one is edge (black), else body.
            bool edge = !Covered(x - 1, y) || !Covered(x + 1, y) || !Covered(x, y - 1) ||
                        !Covered(x, y + 1);
            uint8_t shade = edge ? 0x00 : 0xFF;
            uint8_t* pixel = &image.bgra[static_cast<size_t>(y * kSide + x) * 4];
            pixel[0] = pixel[1] = pixel[2] = shade;
            pixel[3] = 0xFF;
        }
    }
    return image;
}

const std::vector<uint8_t>& SystemCursorPng() {
    static const std::vector<uint8_t> png = EncodePng(SystemCursorImage());
    return png;
}

} // namespace platform
