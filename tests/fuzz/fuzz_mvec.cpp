// Feeds arbitrary bytes to the MVC4 font reader and, as a path with drawing
// state, to the vector drawer: nothing may be read or written outside the
// data and the target, and every glyph the reader accepts must be found.

#include "MvecFuzzEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return FuzzMvec(data, size);
}
