#pragma once

// Runs dialect source on the framework's engine through its loader, which
// translates it. Results are shown through tostring, except wide strings,
// which are shown as the UTF-16LE bytes of their units so tests can look
// at them.

#include "framework/script/engine/LuaState.h"
#include "framework/script/engine/LuaTranslator.h"
#include "framework/script/engine/LuaWideString.h"

#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace support {

// The UTF-16LE bytes of the units, as the runner shows a wide result.
inline std::string Utf16LeBytes(std::u16string_view units) {
    std::string bytes;
    for (char16_t u : units) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    return bytes;
}

class DialectRunner {
public:
    DialectRunner() {
        mState = LuaOpenState();
        LuaOpenToolLibraries(mState);
    }
    ~DialectRunner() { lua_close(mState); }
    DialectRunner(const DialectRunner&) = delete;
    DialectRunner& operator=(const DialectRunner&) = delete;

    lua_State* State() { return mState; }

    // Loads through the framework's loader; leaves the chunk on the stack
    // and returns "", or returns the translation's error, or the engine's
    // with "engine: " before it (a translation the engine refuses).
    std::string Load(std::string_view source, const std::string& chunkName) {
        mLast = TranslateLuaSource(source, chunkName);
        if (LuaLoadBuffer(mState, source.data(), source.size(), chunkName.c_str()) != 0) {
            std::string error =
                (mLast.ok ? "engine: " : "") + std::string(lua_tostring(mState, -1));
            lua_pop(mState, 1);
            return error;
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
            if (i > 0)
                results += ",";
            if (LuaIsWString(mState, top + 2 + i)) {
                size_t units = 0;
                const char16_t* text = LuaToWString(mState, top + 2 + i, &units);
                results += Utf16LeBytes(std::u16string_view(text, units));
                continue;
            }
            lua_getglobal(mState, "tostring");
            lua_pushvalue(mState, top + 2 + i);
            lua_call(mState, 1, 1);
            size_t length = 0;
            const char* text = lua_tolstring(mState, -1, &length);
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
    return "\xFF\xFE" + Utf16LeBytes(text);
}

// A dialect source and the text a test expects of it: its results as the
// runner shows them, or its error.
struct DialectCase {
    const char* source;
    const char* expected;
};

// Runs each case in a runner of its own and checks its results.
inline void RunDialectCases(const DialectCase* cases, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        DialectRunner runner;
        SCOPED_TRACE(cases[i].source);
        EXPECT_EQ(runner.Run(cases[i].source), cases[i].expected);
    }
}

} // namespace support
