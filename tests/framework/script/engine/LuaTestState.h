#pragma once

// A script state opened the framework's way for the engine tests, with
// helpers that run a snippet and describe its results or its error. The
// dialect's W (wide string from UTF-16LE bytes) is made a global here so
// snippets can build wide strings without the translator.

#include "framework/script/engine/LuaState.h"
#include "framework/script/engine/LuaTranslator.h"
#include "framework/script/engine/LuaWideString.h"

#include <lauxlib.h>
#include <lua.h>

#include <gtest/gtest.h>

#include <string>

namespace support {

class LuaTestState {
public:
    LuaTestState() : mState(LuaOpenState()) {
        if (!mState)
            return;
        LuaOpenToolLibraries(mState);
        lua_getfield(mState, LUA_REGISTRYINDEX, kLuaDialectName);
        lua_getfield(mState, -1, "W");
        lua_setglobal(mState, "W");
        lua_pop(mState, 1);
        // A wide string from an ASCII text: WS("abc").
        Run("function WS(s) return W((string.gsub(s, '.', '%0\\0'))) end");
    }
    ~LuaTestState() {
        if (mState)
            lua_close(mState);
    }
    LuaTestState(const LuaTestState&) = delete;
    LuaTestState& operator=(const LuaTestState&) = delete;

    lua_State* L() const { return mState; }

    // Runs code; true when it compiled and ran. The results are described
    // into mResult (comma-separated), the error text into mError.
    bool Run(const std::string& code) {
        mResult.clear();
        mError.clear();
        int base = lua_gettop(mState);
        int status = LuaLoadBuffer(mState, code.data(), code.size(), "=test");
        if (status == 0)
            status = lua_pcall(mState, 0, LUA_MULTRET, 0);
        if (status != 0) {
            const char* text = lua_tostring(mState, -1);
            mError = text ? text : "(no text)";
            lua_settop(mState, base);
            return false;
        }
        for (int i = base + 1; i <= lua_gettop(mState); ++i) {
            if (i > base + 1)
                mResult += ",";
            mResult += Describe(i);
        }
        lua_settop(mState, base);
        return true;
    }

    // The results of "return <expression>", or "error: <text>".
    std::string Eval(const std::string& expression) {
        return Run("return " + expression) ? mResult : "error: " + mError;
    }

    // The error text of code that must fail; "no error" otherwise.
    std::string Error(const std::string& code) { return Run(code) ? "no error" : mError; }

    // A value as the tests compare it: wide strings as L"...", strings
    // as they are, others through tostring.
    std::string Describe(int index) {
        if (LuaIsWString(mState, index)) {
            lua_getglobal(mState, "string");
            lua_getfield(mState, -1, "format");
            lua_pushliteral(mState, "%Q");
            lua_pushvalue(mState, index);
            lua_call(mState, 2, 1);
            std::string text = lua_tostring(mState, -1);
            lua_pop(mState, 2);
            return text;
        }
        if (lua_type(mState, index) == LUA_TSTRING) {
            size_t size = 0;
            const char* text = lua_tolstring(mState, index, &size);
            return std::string(text, size);
        }
        lua_getglobal(mState, "tostring");
        lua_pushvalue(mState, index);
        lua_call(mState, 1, 1);
        std::string text = lua_tostring(mState, -1);
        lua_pop(mState, 1);
        return text;
    }

    std::string mResult;
    std::string mError;

private:
    lua_State* mState;
};

} // namespace support
