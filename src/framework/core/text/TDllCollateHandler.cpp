#include "framework/core/text/TDllCollateHandler.h"

#include "framework/core/log/TLog.h"
#include "platform/files/Folders.h"
#include "platform/paths/ProgramPath.h"

#include <cstdint>
#include <utility>

std::unique_ptr<TDllCollateHandler> TDllCollateHandler::Create() {
    return CreateFromFolder(platform::ProgramFolder());
}

std::unique_ptr<TDllCollateHandler>
TDllCollateHandler::CreateFromFolder(const std::string& folder) {
    // Only a module in a named folder: a bare file name would be searched
    // for on the system's library path.
    if (folder.empty() || folder.back() != '/') {
        return nullptr;
    }
    std::string path = folder + kModuleName;
    // No module is the usual case and is not worth a log line.
    if (!platform::PathExists(path)) {
        return nullptr;
    }
    auto module = std::make_unique<platform::SharedModule>();
    if (!module->Load(path)) {
        LogPrintf("Locale module %s not loaded (%s); texts sort byte by byte", path.c_str(),
                  module->LastError().c_str());
        return nullptr;
    }
    auto function = reinterpret_cast<CollateFunction>(module->FindSymbol(kExportName));
    if (!function) {
        LogPrintf("Locale module %s has no %s; texts sort byte by byte", path.c_str(), kExportName);
        return nullptr; // the module unloads with its owner
    }
    return std::unique_ptr<TDllCollateHandler>(new TDllCollateHandler(std::move(module), function));
}

TDllCollateHandler::TDllCollateHandler(std::unique_ptr<platform::SharedModule> module,
                                       CollateFunction function)
    : mModule(std::move(module)), mCollate(function) {}

TDllCollateHandler::TDllCollateHandler(TDllCollateHandler&& other) noexcept
    : mModule(std::move(other.mModule)), mCollate(std::exchange(other.mCollate, nullptr)) {}

int TDllCollateHandler::Compare(const char* a, const char* b) const {
    if (!mCollate) {
        return 0;
    }
    int result = static_cast<int8_t>(static_cast<uint8_t>(mCollate(a, b)));
    return result < 0 ? -1 : (result > 0 ? 1 : 0);
}
