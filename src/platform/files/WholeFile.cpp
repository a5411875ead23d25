#include "platform/files/WholeFile.h"

#include "platform/files/RegularFile.h"

#include <cstdio>

namespace platform {

bool ReadWholeFile(const std::string& path, std::vector<unsigned char>& bytes, size_t limit) {
    bytes.clear();
    // Only a regular file: a FIFO would block here, a device read for ever.
    FILE* file = OpenRegularFileStream(path);
    if (!file)
        return false;
    unsigned char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + got);
        if (bytes.size() > limit)
            break;
    }
    bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

} // namespace platform
