#include "framework/core/files/TBlockFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

bool ParseLocationNumber(const char*& text, unsigned long long& value) {
    if (!text || *text < '0' || *text > '9')
        return false;
    errno = 0;
    char* end = nullptr;
    value = std::strtoull(text, &end, 10);
    if (errno != 0 || end == text)
        return false;
    text = end;
    return true;
}

void TBlockFile::Close() {
    mData = nullptr;
    mPosition = 0;
    mSize = 0;
}

void TBlockFile::SetBlock(const unsigned char* data, int32_t size, int32_t mode) {
    mData = data;
    mSize = size;
    mMode = mode;
    mPosition = 0;
}

void TBlockFile::UngetByte() {
    Seek(-1, kSeekCurrent);
}

void TBlockFile::Seek(int32_t offset, int32_t origin) {
    SeekBlock(offset, origin);
}

bool TBlockFile::SeekBlock(int32_t offset, int32_t origin) {
    int64_t target;
    switch (origin) {
    case kSeekCurrent:
        target = static_cast<int64_t>(mPosition) + offset;
        break;
    case kSeekStart:
        target = offset;
        break;
    case kSeekEnd:
        target = static_cast<int64_t>(mSize) + offset;
        break;
    default:
        return false;
    }
    if (target < 0 || target > mSize) {
        mPosition = mSize;
        return false;
    }
    mPosition = static_cast<int32_t>(target);
    return true;
}

int32_t TBlockFile::Read(void* buffer, int32_t count) {
    if (!mData || !buffer || count <= 0 || mPosition < 0 || mPosition >= mSize)
        return 0;
    int32_t remaining = mSize - mPosition;
    if (count > remaining)
        count = remaining;
    unsigned char* out = static_cast<unsigned char*>(buffer);
    if (mMode != kFileReadText) {
        std::memcpy(out, mData + mPosition, static_cast<size_t>(count));
        mPosition += count;
        return count;
    }
    int32_t delivered = 0;
    while (mPosition < mSize && delivered < count) {
        unsigned char c = mData[mPosition++];
        if (c != '\r')
            out[delivered++] = c;
    }
    return delivered;
}
