#pragma once

// Runs dialect source on the stock engine the way the loader does: the
// translation is loaded under its chunk name, and a wrapped chunk is first
// called with the dialect table to get the real chunk. Until the engine
// has its wide strings, the table's W returns the literal's UTF-16LE bytes
// as a plain string, so tests can look at them.

#include "framework/script/engine/LuaBitwise.h"
#include "framework/script/engine/LuaTranslator.h"

#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>

#include <cstdio>
#include <string>
#include <string_view>

namespace support {

class DialectRunner {
public:
    DialectRunner() {
        mState = luaL_newstate();
        luaL_openlibs(mState);
    }
    ~DialectRunner() { lua_close(mState); }
    DialectRunner(const DialectRunner&) = delete;
    DialectRunner& operator=(const DialectRunner&) = delete;

    lua_State* State() { return mState; }

    // Translates and loads; leaves the chunk on the stack and returns "" or
    // returns the translation's or the engine's error.
    std::string Load(std::string_view source, const std::string& chunkName) {
        mLast = TranslateLuaSource(source, chunkName);
        if (!mLast.ok)
            return mLast.error;
        if (luaL_loadbuffer(mState, mLast.source.data(), mLast.source.size(), chunkName.c_str()) !=
            0) {
            std::string error = std::string("engine: ") + lua_tostring(mState, -1);
            lua_pop(mState, 1);
            return error;
        }
        if (mLast.wrapped) {
            lua_newtable(mState);
            LuaRegisterBitwise(mState, -1);
            lua_pushcfunction(mState, [](lua_State* L) {
                lua_settop(L, 1);
                return 1;
            });
            lua_setfield(mState, -2, "W");
            lua_call(mState, 1, 1);
        }
        return "";
    }

    // Runs the source and gives its results joined by ",", each through
    // tostring; or "error: " and the message with a traceback.
    std::string Run(std::string_view source, const std::string& chunkName = "=test") {
        const int top = lua_gettop(mState);
        lua_getglobal(mState, "debug");
        lua_getfield(mState, -1, "traceback");
        lua_remove(mState, -2);
        std::string error = Load(source, chunkName);
        if (!error.empty()) {
            lua_settop(mState, top);
            return "error: " + error;
        }
        if (lua_pcall(mState, 0, LUA_MULTRET, top + 1) != 0) {
            error = "error: " + std::string(lua_tostring(mState, -1));
            lua_settop(mState, top);
            return error;
        }
        std::string results;
        const int count = lua_gettop(mState) - top - 1;
        for (int i = 0; i < count; ++i) {
            lua_getglobal(mState, "tostring");
            lua_pushvalue(mState, top + 2 + i);
            lua_call(mState, 1, 1);
            size_t length = 0;
            const char* text = lua_tolstring(mState, -1, &length);
            if (i > 0)
                results += ",";
            results.append(text ? text : "?", length);
            lua_pop(mState, 1);
        }
        lua_settop(mState, top);
        return results;
    }

    const TLuaTranslation& Last() const { return mLast; }

private:
    lua_State* mState = nullptr;
    TLuaTranslation mLast;
};

// The source as a UTF-16LE chunk with its byte-order mark; the source's
// bytes are taken as UTF-8.
inline std::string Utf16Chunk(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

} // namespace support
