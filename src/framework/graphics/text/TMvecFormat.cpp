#include "framework/graphics/text/TMvecFormat.h"

#include <cstring>

namespace {

uint16_t U16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
int16_t S16(const uint8_t* p) {
    return static_cast<int16_t>(U16(p));
}
uint32_t U32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// Operand bytes of each command; -1 for a byte that is no command.
int OperandBytes(uint8_t command) {
    switch (command) {
    case kMvecGroup:
    case kMvecEnd:
        return 0;
    case kMvecFillStyle:
    case kMvecFillStyle2:
        return 1;
    case kMvecMove:
    case kMvecLine:
        return 4;
    case kMvecCurve:
        return 8;
    case kMvecColour:
        return 3;
    default:
        return -1;
    }
}

} // namespace

bool ReadMvecTable(const uint8_t* data, size_t size, std::vector<TMvecGlyphRecord>& records,
                   const char*& reason) {
    records.clear();
    if (!data || size < 4 || std::memcmp(data, "MVC4", 4) != 0) {
        reason = "not an MVC4 font";
        return false;
    }
    if (size < kMvecHeaderSize) {
        reason = "the header is cut short";
        return false;
    }
    const size_t count = U16(data + 4);
    const size_t tableEnd = kMvecHeaderSize + count * kMvecRecordSize;
    if (tableEnd > size) {
        reason = "the glyph table runs past the end of the data";
        return false;
    }
    records.resize(count);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = data + kMvecHeaderSize + i * kMvecRecordSize;
        TMvecGlyphRecord& r = records[i];
        r.code = U32(p);
        r.left = S16(p + 4);
        r.right = S16(p + 6);
        r.top = S16(p + 8);
        r.bottom = S16(p + 10);
        r.advance = S16(p + 12);
        r.pathOffset = U32(p + 14);
        if (i > 0 && r.code <= records[i - 1].code) {
            reason = "the glyph codes are not in ascending order";
            records.clear();
            return false;
        }
        if (r.pathOffset < tableEnd || r.pathOffset >= size) {
            reason = "a glyph's path lies outside the data";
            records.clear();
            return false;
        }
    }
    reason = "";
    return true;
}

TMvecStep TMvecPathReader::Next() {
    TMvecStep step;
    if (mDone || !mPath.data || mAt >= mPath.size) {
        mDone = true;
        return step;
    }
    const uint8_t command = mPath.data[mAt];
    const int operands = OperandBytes(command);
    if (operands < 0 || mAt + 1 + static_cast<size_t>(operands) > mPath.size) {
        // A byte that is no command, or operands cut off by the end of the
        // data: the path ends here.
        mDone = true;
        mAt = mPath.size;
        return step;
    }
    const uint8_t* p = mPath.data + mAt + 1;
    step.command = command;
    switch (command) {
    case kMvecFillStyle:
    case kMvecFillStyle2:
        step.b[0] = p[0];
        break;
    case kMvecColour:
        step.b[0] = p[0];
        step.b[1] = p[1];
        step.b[2] = p[2];
        break;
    case kMvecMove:
    case kMvecLine:
        step.v[0] = S16(p);
        step.v[1] = S16(p + 2);
        break;
    case kMvecCurve:
        for (int i = 0; i < 4; ++i)
            step.v[i] = S16(p + 2 * i);
        break;
    default:
        break;
    }
    mAt += 1 + static_cast<size_t>(operands);
    if (command == kMvecEnd)
        mDone = true;
    return step;
}

size_t MvecPathLength(const TMvecPath& path) {
    // The reader's rules without decoding the operands: this runs for every
    // glyph drawn.
    size_t at = 0;
    while (path.data && at < path.size) {
        const uint8_t command = path.data[at];
        const int operands = OperandBytes(command);
        if (operands < 0 || at + 1 + static_cast<size_t>(operands) > path.size)
            return path.size;
        at += 1 + static_cast<size_t>(operands);
        if (command == kMvecEnd)
            return at;
    }
    return at;
}
