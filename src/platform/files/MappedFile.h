#pragma once

#include <cstddef>
#include <string>

namespace platform {

// A whole file mapped read-only into memory. Owns the mapping and releases
// it when destroyed or closed; cannot be copied (share it through a
// shared_ptr when several readers need it).
class MappedFile {
public:
    MappedFile() = default;
    ~MappedFile() { Close(); }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    // Maps an existing file for reading. False (nothing mapped) when it
    // cannot be opened or mapped, or is empty; LastError() tells why.
    bool Open(const std::string& path);
    void Close();

    const unsigned char* Data() const { return mData; }
    size_t Size() const { return mSize; }
    bool IsOpen() const { return mData != nullptr; }
    const std::string& LastError() const { return mError; }

private:
    const unsigned char* mData = nullptr;
    size_t mSize = 0;
    std::string mError;
};

} // namespace platform
