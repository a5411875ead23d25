#include "framework/script/host/TScriptCode.h"

#include "framework/script/engine/LuaState.h"
#include "framework/script/engine/TLuaStateUser.h"
#include "framework/script/wrappers/TLuaObjectWrapper.h"

#include <lauxlib.h>
#include <lua.h>

#include <string>

namespace {

// The bytecode writer hands its blocks over one by one.
int AppendBlock(lua_State*, const void* block, size_t size, void* buffer) {
    static_cast<std::string*>(buffer)->append(static_cast<const char*>(block), size);
    return 0;
}

// A scratch state closed whatever way the compilation ends.
struct ScratchState {
    lua_State* state = LuaOpenState();
    ~ScratchState() {
        if (state) {
            LuaCloseState(state);
        }
    }
};

} // namespace

TScriptCode::TScriptCode(const char* code, uint32_t size) : mCode(code, size), mSize(size) {}

const void* TScriptCode::ClassId() {
    static const char id = 0;
    return &id;
}

std::shared_ptr<TScriptCode> TScriptCode::Compile(const TString& fileName, const TString& luaPath,
                                                  TString* error) {
    TAssetManager* manager = TAssetManager::Instance();
    if (manager) {
        auto found = std::dynamic_pointer_cast<TScriptCode>(manager->Find(fileName));
        if (found) {
            return found;
        }
    }
    ScratchState scratch;
    if (!scratch.state) {
        if (error) {
            *error = "cannot open a Lua state";
        }
        return nullptr;
    }
    lua_State* L = scratch.state;
    TString path = luaPath.IsEmpty() ? TString("assets/?;../?;?") : luaPath;
    lua_pushlstring(L, path.CStr(), path.Length());
    lua_setglobal(L, "LUA_PATH");
    if (LuaLoadFile(L, fileName.CStr()) != 0) {
        if (error) {
            *error = LuaValueText(L, -1);
        }
        return nullptr;
    }
    std::string buffer;
    if (lua_dump(L, AppendBlock, &buffer) != 0 || buffer.empty()) {
        if (error) {
            *error = TString::Format("cannot write the compiled form of %s", fileName.CStr());
        }
        return nullptr;
    }
    auto code = std::make_shared<TScriptCode>(buffer.data(), static_cast<uint32_t>(buffer.size()));
    if (manager) {
        manager->Register(fileName, code);
    }
    return code;
}
