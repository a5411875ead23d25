#pragma once

// Builds small MVC4 images and paths for the font and drawer tests.

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace mvectest {

// A path of commands; coordinates in path units (1/128 font unit).
class PathBuilder {
public:
    PathBuilder& Move(int x, int y) { return Op(4, {x, y}); }
    PathBuilder& Line(int x, int y) { return Op(5, {x, y}); }
    PathBuilder& Curve(int cx, int cy, int x, int y) { return Op(6, {cx, cy, x, y}); }
    PathBuilder& Fill(uint8_t style) { return Byte(2, style); }
    PathBuilder& Fill2(uint8_t style) { return Byte(3, style); }
    PathBuilder& Group() {
        bytes.push_back(1);
        return *this;
    }
    PathBuilder& Colour(uint8_t r, uint8_t g, uint8_t b) {
        bytes.insert(bytes.end(), {7, r, g, b});
        return *this;
    }
    // A closed rectangle filled with the text colour.
    PathBuilder& Rect(int x0, int y0, int x1, int y1) {
        Move(x0, y0);
        if (bytes.size() == 5)
            Fill(1);
        return Line(x1, y0).Line(x1, y1).Line(x0, y1).Line(x0, y0);
    }
    std::vector<uint8_t> End() {
        bytes.push_back(8);
        return bytes;
    }
    std::vector<uint8_t> bytes;

private:
    PathBuilder& Op(uint8_t op, std::initializer_list<int> values) {
        bytes.push_back(op);
        for (int v : values) {
            bytes.push_back(static_cast<uint8_t>(v & 0xFF));
            bytes.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
        }
        return *this;
    }
    PathBuilder& Byte(uint8_t op, uint8_t value) {
        bytes.push_back(op);
        bytes.push_back(value);
        return *this;
    }
};

struct GlyphSpec {
    uint32_t code;
    int left, right, top, bottom, advance;
    std::vector<uint8_t> path;
};

inline void Put(std::vector<uint8_t>& out, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>((v >> (8 * i)) & 0xFF));
}

// An MVC4 image of the glyphs, in the given order.
inline std::vector<uint8_t> BuildFont(const std::vector<GlyphSpec>& glyphs) {
    std::vector<uint8_t> out = {'M', 'V', 'C', '4'};
    Put(out, static_cast<uint32_t>(glyphs.size()), 2);
    out.insert(out.end(), 6, 0);
    uint32_t offset = static_cast<uint32_t>(12 + 18 * glyphs.size());
    for (const GlyphSpec& g : glyphs) {
        Put(out, g.code, 4);
        for (int v : {g.left, g.right, g.top, g.bottom, g.advance})
            Put(out, static_cast<uint32_t>(v), 2);
        Put(out, offset, 4);
        offset += static_cast<uint32_t>(g.path.size());
    }
    for (const GlyphSpec& g : glyphs)
        out.insert(out.end(), g.path.begin(), g.path.end());
    return out;
}

} // namespace mvectest
