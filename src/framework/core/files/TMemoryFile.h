#pragma once

#include "framework/core/files/TBlockFile.h"
#include "framework/core/text/TString.h"

#include <cstdint>

// A read-only file over a block of memory inside the program, opened from
// a location "&address,size" (see RegisterMemoryFile). The block belongs
// to whoever registered it and must outlive the registration.
class TMemoryFile : public TBlockFile {
public:
    TMemoryFile() = default;

    // Only the reading modes 0 and 1 open.
    bool Open(const char* location, int32_t mode) override;
};

// Makes a block of memory readable under a logical name; a null address
// removes the name from the name table.
void RegisterMemoryFile(const TString& name, const void* address, int32_t size);
