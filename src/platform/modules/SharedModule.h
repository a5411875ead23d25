#pragma once

#include <cstddef>
#include <string>

namespace platform {

// A native module (an ELF shared object) loaded at run time. Owns the
// loaded handle and unloads it when destroyed; can be moved, not copied.
class SharedModule {
public:
    SharedModule() = default;
    ~SharedModule();
    SharedModule(SharedModule&& other) noexcept;
    SharedModule& operator=(SharedModule&& other) noexcept;
    SharedModule(const SharedModule&) = delete;
    SharedModule& operator=(const SharedModule&) = delete;

    // Loads the module at path; false (and an empty object) when it cannot
    // be loaded. LastError() tells why.
    bool Load(const std::string& path);
    // Loads a module from bytes held in memory (a module read out of a pack
    // file): they go into an anonymous in-memory file, which is loaded
    // through its /proc/self/fd path and kept open while the module is
    // loaded (for good when the module stays resident after unloading), so
    // that no later module can be given the same path. The name only labels
    // the in-memory file.
    bool LoadFromMemory(const void* data, size_t size, const std::string& name);
    // Loads the module that an open descriptor reads, whatever its path
    // names by now: a caller that checked the file it opened loads exactly
    // that file. Takes the descriptor over (closed on failure, else kept
    // open while the module is loaded, as for a module from memory).
    bool LoadOpenFile(int fd);
    void Unload();
    bool IsLoaded() const { return mHandle != nullptr; }

    // Address of an exported symbol, or null.
    void* FindSymbol(const char* name) const;

    const std::string& LastError() const { return mError; }

private:
    void* mHandle = nullptr;
    // The descriptor behind a module loaded from memory or from an open
    // file; -1 for none.
    int mImageFd = -1;
    std::string mError;
};

} // namespace platform
