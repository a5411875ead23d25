#pragma once

#include "framework/core/text/TString.h"
#include "framework/graphics/asset/TAssetManager.h"

#include <cstdint>
#include <memory>

// A script file compiled to the engine's bytecode, shared by file name
// through the asset manager. The manager holds it weakly, so a compiled
// script is reused only while some holder keeps it; after that the next
// Compile compiles the file again.
class TScriptCode : public TAsset {
public:
    TScriptCode(const char* code, uint32_t size);

    const char* GetClassName() const override { return "TScriptCode"; }
    static const void* ClassId();
    bool IsKindOf(const void* classId) const override {
        return classId == ClassId() || TAsset::IsKindOf(classId);
    }

    // The bytecode, zero bytes included.
    const char* GetCode() const { return mCode.CStr(); }
    uint32_t GetSize() const { return mSize; }

    // The compiled script of the file: the live asset registered under the
    // name, else the file compiled in a scratch state with "LUA_PATH" set
    // to the search path ("assets/?;../?;?" when it is empty) and
    // registered under the name. Empty when the file cannot be compiled;
    // the compiler's message then goes to error when it is given.
    static std::shared_ptr<TScriptCode>
    Compile(const TString& fileName, const TString& luaPath = TString(), TString* error = nullptr);

private:
    TString mCode;
    uint32_t mSize = 0;
};
