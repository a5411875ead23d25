#pragma once

#include "framework/core/files/TFileData.h"

#include <cstdint>

// A read-only file over a block of bytes that someone else holds: the
// common part of the memory files and the pack entry files, which differ
// in how they find their block and, for pack entries, in how they report
// the end. Writing gives nothing.
class TBlockFile : public TFileData {
public:
    // Forgets the block; the reading mode stays.
    void Close() override;
    void UngetByte() override;
    void Seek(int32_t offset, int32_t origin) override;
    int32_t GetSize() override { return mSize; }
    int32_t Tell() override { return mPosition; }
    // Text mode drops CR bytes; every access stays within the block.
    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void*, int32_t) override { return 0; }
    // At the end as soon as the position reaches the size.
    bool AtEnd() override { return mPosition == mSize; }

protected:
    // Reads the block from its start in the given mode.
    void SetBlock(const unsigned char* data, int32_t size, int32_t mode);
    // Moves the position; a target outside 0..size (compared unsigned)
    // puts it at the size and gives false.
    bool SeekBlock(int32_t offset, int32_t origin);

private:
    const unsigned char* mData = nullptr;
    int32_t mSize = 0;
    int32_t mPosition = 0;
    int32_t mMode = kFileReadBinary;
};

// Parses a decimal number of a location text at text; advances text.
bool ParseLocationNumber(const char*& text, unsigned long long& value);
