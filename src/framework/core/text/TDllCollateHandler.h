#pragma once

#include "platform/modules/SharedModule.h"

#include <memory>
#include <string>

// Locale-aware ordering of texts through the optional module "nblocale.so"
// beside the program. Its export "nbCollate" takes two zero-terminated
// byte strings and returns -1, 0 or 1. The string comparison creates one
// handler on its first use and keeps it for the life of the process.
class TDllCollateHandler {
public:
    using CollateFunction = int (*)(const char*, const char*);

    static constexpr const char* kModuleName = "nblocale.so";
    static constexpr const char* kExportName = "nbCollate";

    // The handler for the module beside the program, or null when the
    // module is missing or lacks the export.
    static std::unique_ptr<TDllCollateHandler> Create();
    // The same for a module in the given folder (with its trailing "/";
    // anything else finds no module). A module that is there but cannot be
    // loaded or lacks the export is logged and unloaded again.
    static std::unique_ptr<TDllCollateHandler> CreateFromFolder(const std::string& folder);

    TDllCollateHandler(TDllCollateHandler&& other) noexcept;
    virtual ~TDllCollateHandler() = default;

    // -1, 0 or 1. Only the low byte of the module's result is read, as a
    // signed value, so any other result does not leak into orderings.
    int Compare(const char* a, const char* b) const;

private:
    TDllCollateHandler(std::unique_ptr<platform::SharedModule> module, CollateFunction function);

    std::unique_ptr<platform::SharedModule> mModule;
    CollateFunction mCollate = nullptr;
};
