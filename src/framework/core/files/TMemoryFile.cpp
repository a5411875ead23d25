#include "framework/core/files/TMemoryFile.h"

#include "framework/core/files/TFileSystem.h"

#include <cstdint>

bool TMemoryFile::Open(const char* location, int32_t mode) {
    Close();
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
    SetBlock(reinterpret_cast<const unsigned char*>(static_cast<uintptr_t>(address)),
             static_cast<int32_t>(size), mode);
    return true;
}

void RegisterMemoryFile(const TString& name, const void* address, int32_t size) {
    // The same key that lookups use, so "dir\\x.png" is found as "dir/x.png".
    TString key = NameKey(name.CStr());
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
