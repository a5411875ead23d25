#pragma once

struct lua_State;

// The string library's additions: string.format with the conversions the
// framework's scripts use, string.lualex, string.pack and string.unpack,
// the pattern functions below in place of the stock ones; and the string
// table made the per-type table of strings, so s:upper() and s.len reach
// it.
void LuaOpenStringAdditions(lua_State* L);

// string.find, string.match, string.gmatch and string.gsub, with the 5.1
// engine's patterns, results and messages, over a matcher of our own that
// counts its steps and asks the run watchdog (LuaCheckRunTime), so a match
// that backtracks for ever is stopped like a script that never returns. A
// pattern that would nest more than 200 captures and quantified items deep
// is refused as "bad argument #2 (pattern too complex)"; a plain find
// (fourth argument true, or a pattern without special characters) is a
// plain search. gsub reads what a replacement function returns as the 5.0
// dialect did: a string or a number replaces the match, a wide string is
// an error, anything else removes the match.
int LuaStringFind(lua_State* L);
int LuaStringMatch(lua_State* L);
int LuaStringGmatch(lua_State* L);
int LuaStringGsub(lua_State* L);

// string.format: the stock conversions, and
//   %B  a boolean (or nil, which is false) as "true" or "false";
//   %bF %bf %bd %bw %bb  the number as raw little-endian bytes: 8-byte
//       double, 4-byte float, 4-byte and 2-byte integers (rounded to the
//       nearest, halves to even), 1 byte (truncated); another letter after
//       %b writes nothing (the argument is still used up);
//   %Q  a wide string as L"..." or a string as "...", escaped so that it
//       reads back (\a \b \t \n \v \f \r, \" and \\, other unprintable units
//       as \x%04x, bytes as \x%02x).
// %o %u %x %X round to the nearest integer (halves to even) and take its
// low 32 bits; %c %d %i truncate toward zero.
int LuaStringFormat(lua_State* L);

// string.pack(format, ...) and string.unpack(data, format [, init]).
// Letters: blank and comma are skipped; < and = pick little-endian, >
// big-endian. Numbers (a count repeats them): b signed and c unsigned
// byte, B boolean byte, h/H signed/unsigned 16 bits, i/I and l/L
// signed/unsigned 32 bits (integers truncate toward zero and keep their
// low bits), f 4-byte float, d and n 8-byte double. Strings: A the count
// is the length (packing without a count writes the whole string; with
// one, cuts or pads with zeros), p P a a length of 1, 2 or 4 bytes before
// the string, z ended by a 0. A leading w makes a string letter work on
// wide strings (lengths in units, units in the chosen byte order).
// An unknown letter raises "bad code `X'" for argument 1. unpack returns
// the position after the last item read, then the items; it stops early
// when the data runs out.
int LuaStringPack(lua_State* L);
int LuaStringUnpack(lua_State* L);

// string.lualex(s [, flag]): s with its escape sequences (\a \b \f \n \r
// \t \v, \ddd up to three decimal digits, \x and up to two hex digits)
// replaced by what they stand for; a backslash before any other character
// gives that character, or, when flag is a non-zero number, stays as it is.
int LuaStringLex(lua_State* L);
