#include "platform/modules/SharedModule.h"

#include <dlfcn.h>
#include <utility>

namespace platform {

SharedModule::~SharedModule() {
    Unload();
}

SharedModule::SharedModule(SharedModule&& other) noexcept
    : mHandle(std::exchange(other.mHandle, nullptr)), mError(std::move(other.mError)) {}

SharedModule& SharedModule::operator=(SharedModule&& other) noexcept {
    if (this != &other) {
        Unload();
        mHandle = std::exchange(other.mHandle, nullptr);
        mError = std::move(other.mError);
    }
    return *this;
}

bool SharedModule::Load(const std::string& path) {
    Unload();
    mHandle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!mHandle) {
        const char* error = dlerror();
        mError = error ? error : "unknown error";
        return false;
    }
    mError.clear();
    return true;
}

void SharedModule::Unload() {
    if (mHandle) {
        dlclose(mHandle);
        mHandle = nullptr;
    }
}

void* SharedModule::FindSymbol(const char* name) const {
    return mHandle ? dlsym(mHandle, name) : nullptr;
}

} // namespace platform
