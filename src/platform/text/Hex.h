#pragma once

namespace platform {

// The value of one hexadecimal digit (either case), or -1 for any other
// character. Takes the character as an int so bytes, 16-bit units and the
// end-of-text marker of the readers above can all be asked about.
inline int HexDigitValue(int c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

} // namespace platform
