#pragma once

// Reading MVC4 vector fonts and paths. A font image is a 12-byte header
// ("MVC4", the glyph count), one 18-byte record per glyph in ascending code
// order, and the glyph outlines as paths: byte commands with their operands,
// ending with command 8. Coordinates are signed 16-bit values in 1/128 of a
// font unit, y down, baseline at 0. Every read is checked against the end of
// the data: a damaged table refuses the image, and a path that runs past its
// data ends there.

#include <cstddef>
#include <cstdint>
#include <vector>

// Path commands.
enum TMvecCommand : uint8_t {
    kMvecGroup = 1,      // new shape group
    kMvecFillStyle = 2,  // u8 first fill style
    kMvecFillStyle2 = 3, // u8 second fill style
    kMvecMove = 4,       // x, y
    kMvecLine = 5,       // x, y
    kMvecCurve = 6,      // control x, y, end x, y
    kMvecColour = 7,     // u8 red, green, blue
    kMvecEnd = 8,
};

constexpr size_t kMvecHeaderSize = 12;
constexpr size_t kMvecRecordSize = 18;

// One glyph record as stored.
struct TMvecGlyphRecord {
    uint32_t code = 0;
    int16_t left = 0;
    int16_t right = 0;
    int16_t top = 0;
    int16_t bottom = 0;
    int16_t advance = 0;
    uint32_t pathOffset = 0;
};

// A path: its first byte and the bytes it may use (up to the end of the
// data it lives in). Paths are read in place and never written.
struct TMvecPath {
    const uint8_t* data = nullptr;
    size_t size = 0;

    bool IsNull() const { return data == nullptr; }
};

// Reads the header and the glyph table. False, with the reason, when the
// data does not start with "MVC4" (reason "not an MVC4 font"), when the table
// runs past the data, when codes are not in ascending order, or when a path
// offset lies outside the data; the records are then empty.
bool ReadMvecTable(const uint8_t* data, size_t size, std::vector<TMvecGlyphRecord>& records,
                   const char*& reason);

// One command read from a path, with its operands.
struct TMvecStep {
    uint8_t command = kMvecEnd;
    int16_t v[4] = {0, 0, 0, 0}; // x, y, or control x, y, x, y
    uint8_t b[3] = {0, 0, 0};    // style byte, or red, green, blue
};

// Reads a path's commands in sequence. An unknown command, or one whose
// operands run past the path's data, reads as the end.
class TMvecPathReader {
public:
    explicit TMvecPathReader(const TMvecPath& path) : mPath(path) {}

    // The next command; kMvecEnd at and after the end.
    TMvecStep Next();
    void Rewind() {
        mAt = 0;
        mDone = false;
    }
    // Bytes read so far, the end command included once reached.
    size_t Consumed() const { return mAt; }

private:
    TMvecPath mPath;
    size_t mAt = 0;
    bool mDone = false;
};

// The number of bytes of a path up to and including its end (or up to where
// it runs out of data).
size_t MvecPathLength(const TMvecPath& path);
