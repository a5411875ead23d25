#pragma once

#include "framework/core/TFileData.h"
#include "framework/core/TString.h"

#include <cstddef>

// A read-only file over a block of memory inside the program, opened from
// a location "&address,size" (see RegisterMemoryFile). The block belongs
// to whoever registered it and must outlive the registration.
class TMemoryFile : public TFileData {
public:
    TMemoryFile() = default;

    // Only the reading modes 0 and 1 open.
    bool Open(const char* location, int32_t mode) override;
    void Close() override;
    void UngetByte() override;
    void Seek(int32_t offset, int32_t origin) override;
    int32_t GetSize() override { return mSize; }
    int32_t Tell() override { return mPosition; }
    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void*, int32_t) override { return 0; }
    bool AtEnd() override { return mPosition == mSize; }

private:
    const unsigned char* mAddress = nullptr;
    int32_t mPosition = 0;
    int32_t mSize = 0;
    int32_t mMode = kFileReadBinary;
};

// Makes a block of memory readable under a logical name; a null address
// removes the name from the name table.
void RegisterMemoryFile(const TString& name, const void* address, int32_t size);

// Shared by the in-memory file objects: the position after a seek (a
// position outside 0..size, compared unsigned, becomes the size), and a
// read of up to count bytes from data[position] that drops CR bytes in
// text mode. Both keep every access within size.
bool SeekInBlock(int32_t size, int32_t& position, int32_t offset, int32_t origin);
int32_t ReadFromBlock(const unsigned char* data, int32_t size, int32_t& position, void* buffer,
                      int32_t count, bool text);
// Parses a decimal number of a location text at text; advances text.
bool ParseLocationNumber(const char*& text, unsigned long long& value);
