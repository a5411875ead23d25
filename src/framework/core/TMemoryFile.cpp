#include "framework/core/TMemoryFile.h"

#include "framework/core/TFileSystem.h"

#include <cerrno>
#include <cstdint>
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

bool SeekInBlock(int32_t size, int32_t& position, int32_t offset, int32_t origin) {
    int64_t target;
    switch (origin) {
    case kSeekCurrent:
        target = static_cast<int64_t>(position) + offset;
        break;
    case kSeekStart:
        target = offset;
        break;
    case kSeekEnd:
        target = static_cast<int64_t>(size) + offset;
        break;
    default:
        return false;
    }
    if (target < 0 || target > size) {
        position = size;
        return false;
    }
    position = static_cast<int32_t>(target);
    return true;
}

int32_t ReadFromBlock(const unsigned char* data, int32_t size, int32_t& position, void* buffer,
                      int32_t count, bool text) {
    if (!data || !buffer || count <= 0 || position < 0 || position >= size)
        return 0;
    int32_t remaining = size - position;
    if (count > remaining)
        count = remaining;
    unsigned char* out = static_cast<unsigned char*>(buffer);
    if (!text) {
        std::memcpy(out, data + position, static_cast<size_t>(count));
        position += count;
        return count;
    }
    int32_t delivered = 0;
    while (position < size && delivered < count) {
        unsigned char c = data[position++];
        if (c != '\r')
            out[delivered++] = c;
    }
    return delivered;
}

bool TMemoryFile::Open(const char* location, int32_t mode) {
    Close();
    mMode = mode;
    if (mode != kFileReadBinary && mode != kFileReadText)
        return false;
    if (!location || location[0] != '&')
        return false;
    const char* p = location + 1;
    unsigned long long address = 0;
    if (!ParseLocationNumber(p, address) || address == 0 || address > UINTPTR_MAX)
        return false;
    if (*p != ',')
        return false;
    ++p;
    unsigned long long size = 0;
    if (!ParseLocationNumber(p, size) || size > INT32_MAX)
        return false;
    mAddress = reinterpret_cast<const unsigned char*>(static_cast<uintptr_t>(address));
    mSize = static_cast<int32_t>(size);
    mPosition = 0;
    return true;
}

void TMemoryFile::Close() {
    mAddress = nullptr;
    mPosition = 0;
    mSize = 0;
}

void TMemoryFile::UngetByte() {
    Seek(-1, kSeekCurrent);
}

void TMemoryFile::Seek(int32_t offset, int32_t origin) {
    SeekInBlock(mSize, mPosition, offset, origin);
}

int32_t TMemoryFile::Read(void* buffer, int32_t count) {
    return ReadFromBlock(mAddress, mSize, mPosition, buffer, count, mMode == kFileReadText);
}

void RegisterMemoryFile(const TString& name, const void* address, int32_t size) {
    TString key = name;
    key.ToLower();
    if (!address) {
        GetNameTable().erase(key);
        return;
    }
    if (size < 0)
        size = 0;
    GetNameTable()[key] = TString::Format(
        "&%lu,%lu", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(address)),
        static_cast<unsigned long>(size));
}
