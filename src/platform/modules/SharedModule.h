#pragma once

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
    void Unload();
    bool IsLoaded() const { return mHandle != nullptr; }

    // Address of an exported symbol, or null.
    void* FindSymbol(const char* name) const;

    const std::string& LastError() const { return mError; }

private:
    void* mHandle = nullptr;
    std::string mError;
};

} // namespace platform
