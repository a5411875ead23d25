#pragma once

#include <string>
#include <string_view>

// The source translator: every Lua text the program loads is written in the
// framework's dialect of Lua 5.0 (wide literals, UTF-16 chunks, bitwise
// operators, continue, break N, 5.0 scoping) and passes through here on its
// way to the stock 5.1 engine. The translation keeps every token on its
// original line, so error messages and tracebacks name the original lines.
//
// A first line that starts with '#' ("#!/usr/bin/lua") is skipped, as 5.0
// skipped it in every chunk; the line still counts.
//
// A chunk that needs the dialect's run-time helpers (wide literals, bitwise
// operators, generic `for`, some runs of concatenations) is wrapped: its translation, run once with
// the dialect table as its only argument, returns the function that is the real chunk. The helpers
// are reached through the wrapper's local named kLuaDialectName; dialect source may not use a name
// that starts with it. To the debug library the real chunk of a wrapped translation is a function
// defined on line 1, not a main chunk: tracebacks name it "function <chunk:1>" instead of "main
// chunk", on the same lines.
//
// The grammar is 5.0's. What 5.1 added (`#`, `%`, `...` as an expression,
// `[==[` brackets, hexadecimal numbers) is a syntax error, as it was in
// 5.0. A UTF-16 chunk's narrow literals take characters below 256 as
// bytes; a larger one there is "invalid wide char", since it has no byte
// (a wide literal holds it). A last odd byte of a UTF-16 chunk is ignored.
// Loop variables of `for` are fresh in each pass as in 5.1: in 5.0 closures
// shared one variable and assigning to it steered the loop.

inline constexpr const char* kLuaDialectName = "__dialect__";

struct TLuaTranslation {
    bool ok = false;
    // The 5.1 source, with as many lines as the original.
    std::string source;
    // When !ok: the message, as the engine words a syntax error
    // ("chunk:line: message near 'token'").
    std::string error;
    // True when the source is wrapped as described above.
    bool wrapped = false;
};

// chunkName is the name the engine would show for the chunk (as given to
// luaL_loadbuffer: "=stdin", "@file.lua" or the source itself).
TLuaTranslation TranslateLuaSource(std::string_view text, std::string_view chunkName);
