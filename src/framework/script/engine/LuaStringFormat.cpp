#include "framework/script/engine/LuaStringLibrary.h"

#include "framework/script/engine/LuaApi.h"
#include "framework/script/engine/LuaWideString.h"

#include <lauxlib.h>
#include <lua.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

// Everything here may be left by a script error (a long jump): no object
// with a destructor lives across a call into the engine.

namespace {

constexpr const char* kFlags = "-+ #0";
// Room for one formatted item: a width and a precision of up to 99 each
// around the longest %f of a double.
constexpr size_t kItemSize = 512;
constexpr size_t kSpecSize = 16;

// Truncates toward zero; NaN gives 0, values past the 64-bit range clamp.
int64_t Truncate(lua_Number value) {
    if (value != value)
        return 0;
    if (value >= 9.2233720368547758e18)
        return INT64_MAX;
    if (value <= -9.2233720368547758e18)
        return INT64_MIN;
    return static_cast<int64_t>(value);
}

// Rounds to the nearest integer (halves to even) and keeps the low 32
// bits; values past the 64-bit range (and NaN) give 0.
uint32_t RoundLow32(lua_Number value) {
    return static_cast<uint32_t>(LuaTruncatedBits(std::nearbyint(value)));
}

// Reads flags, width and precision after a '%' into spec ("%...").
const char* ScanSpec(lua_State* L, const char* format, const char* end, char* spec) {
    const char* start = format;
    while (format < end && *format != 0 && std::strchr(kFlags, *format))
        ++format;
    if (format - start > 5)
        luaL_error(L, "invalid format (repeated flags)");
    for (int digits = 0; digits < 2 && format < end && *format >= '0' && *format <= '9'; ++digits)
        ++format;
    if (format < end && *format == '.') {
        ++format;
        for (int digits = 0; digits < 2 && format < end && *format >= '0' && *format <= '9';
             ++digits)
            ++format;
    }
    if (format < end && *format >= '0' && *format <= '9')
        luaL_error(L, "invalid format (width or precision too long)");
    spec[0] = '%';
    std::memcpy(spec + 1, start, format - start);
    spec[format - start + 1] = 0;
    return format;
}

// spec followed by a length modifier and a conversion letter.
void CompleteSpec(char* spec, const char* tail) {
    size_t length = std::strlen(spec);
    std::memcpy(spec + length, tail, std::strlen(tail) + 1);
}

bool HasPrecision(const char* spec) {
    return std::strchr(spec, '.') != nullptr;
}

// Which escape letter a control unit 7..13 takes.
char EscapeLetter(unsigned unit) {
    static const char letters[] = "abtnvfr";
    return unit >= 7 && unit <= 13 ? letters[unit - 7] : 0;
}

void AddQuotedOld(luaL_Buffer* buffer, const char* text, size_t size) {
    luaL_addchar(buffer, '"');
    for (size_t i = 0; i < size; ++i) {
        char c = text[i];
        if (c == '"' || c == '\\' || c == '\n') {
            luaL_addchar(buffer, '\\');
            luaL_addchar(buffer, c);
        } else if (c == 0) {
            luaL_addlstring(buffer, "\\000", 4);
        } else {
            luaL_addchar(buffer, c);
        }
    }
    luaL_addchar(buffer, '"');
}

// One unit (or byte) of a %Q text; hexDigits is 4 for units, 2 for bytes.
void AddQuotedUnit(luaL_Buffer* buffer, unsigned unit, int hexDigits) {
    if (char letter = EscapeLetter(unit)) {
        luaL_addchar(buffer, '\\');
        luaL_addchar(buffer, letter);
    } else if (unit == '"' || unit == '\\') {
        luaL_addchar(buffer, '\\');
        luaL_addchar(buffer, static_cast<char>(unit));
    } else if (unit >= 0x20 && unit < 0x7F) {
        luaL_addchar(buffer, static_cast<char>(unit));
    } else {
        char text[8];
        std::snprintf(text, sizeof text, "\\x%0*x", hexDigits, unit);
        luaL_addstring(buffer, text);
    }
}

void AddQuotedNew(lua_State* L, luaL_Buffer* buffer, int arg) {
    if (LuaIsWString(L, arg)) {
        size_t n = 0;
        const char16_t* units = LuaToWString(L, arg, &n);
        luaL_addchar(buffer, 'L');
        luaL_addchar(buffer, '"');
        for (size_t i = 0; i < n; ++i)
            AddQuotedUnit(buffer, units[i], 4);
        luaL_addchar(buffer, '"');
        return;
    }
    size_t size = 0;
    const char* text = LuaCheckNarrowString(L, arg, &size);
    luaL_addchar(buffer, '"');
    for (size_t i = 0; i < size; ++i)
        AddQuotedUnit(buffer, static_cast<unsigned char>(text[i]), 2);
    luaL_addchar(buffer, '"');
}

void AddLittleEndian(luaL_Buffer* buffer, uint64_t bits, int bytes) {
    for (int i = 0; i < bytes; ++i)
        luaL_addchar(buffer, static_cast<char>((bits >> (8 * i)) & 0xFF));
}

void AddRawNumber(lua_State* L, luaL_Buffer* buffer, int arg, char size) {
    switch (size) {
    case 'F': {
        double value = luaL_checknumber(L, arg);
        uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        AddLittleEndian(buffer, bits, 8);
        break;
    }
    case 'f': {
        float value = static_cast<float>(luaL_checknumber(L, arg));
        uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        AddLittleEndian(buffer, bits, 4);
        break;
    }
    case 'd':
        AddLittleEndian(buffer, RoundLow32(luaL_checknumber(L, arg)), 4);
        break;
    case 'w':
        AddLittleEndian(buffer, RoundLow32(luaL_checknumber(L, arg)), 2);
        break;
    case 'b':
        AddLittleEndian(buffer, LuaTruncatedBits(luaL_checknumber(L, arg)), 1);
        break;
    default:
        break;
    }
}

} // namespace

int LuaStringFormat(lua_State* L) {
    int top = lua_gettop(L);
    int arg = 1;
    size_t formatSize = 0;
    const char* format = luaL_checklstring(L, arg, &formatSize);
    const char* end = format + formatSize;
    luaL_Buffer buffer;
    luaL_buffinit(L, &buffer);
    while (format < end) {
        if (*format != '%') {
            luaL_addchar(&buffer, *format++);
            continue;
        }
        if (++format < end && *format == '%') {
            luaL_addchar(&buffer, *format++);
            continue;
        }
        char spec[kSpecSize + 8];
        format = ScanSpec(L, format, end, spec);
        if (format >= end)
            return luaL_error(L, "invalid option to `format'");
        char conversion = *format++;
        if (++arg > top)
            return luaL_argerror(L, arg, "no value");
        char item[kItemSize];
        int length = 0;
        switch (conversion) {
        case 'c':
            CompleteSpec(spec, "c");
            length = std::snprintf(item, sizeof item, spec,
                                   static_cast<int>(Truncate(luaL_checknumber(L, arg))));
            break;
        case 'd':
        case 'i':
            CompleteSpec(spec, conversion == 'd' ? "lld" : "lli");
            length = std::snprintf(item, sizeof item, spec,
                                   static_cast<long long>(Truncate(luaL_checknumber(L, arg))));
            break;
        case 'o':
        case 'u':
        case 'x':
        case 'X': {
            char tail[2] = {conversion, 0};
            CompleteSpec(spec, tail);
            length = std::snprintf(item, sizeof item, spec,
                                   static_cast<unsigned>(RoundLow32(luaL_checknumber(L, arg))));
            break;
        }
        case 'e':
        case 'E':
        case 'f':
        case 'g':
        case 'G': {
            char tail[2] = {conversion, 0};
            CompleteSpec(spec, tail);
            length = std::snprintf(item, sizeof item, spec,
                                   static_cast<double>(luaL_checknumber(L, arg)));
            break;
        }
        case 'q': {
            size_t size = 0;
            const char* text = LuaCheckNarrowString(L, arg, &size);
            AddQuotedOld(&buffer, text, size);
            continue;
        }
        case 'Q':
            AddQuotedNew(L, &buffer, arg);
            continue;
        case 's': {
            size_t size = 0;
            const char* text = LuaCheckNarrowString(L, arg, &size);
            if (!HasPrecision(spec) && size >= 100) {
                // Too long to be worth formatting: as it is, zeros and all.
                // A shorter one is formatted as text, so a zero byte ends
                // it and the width and precision count up to there.
                lua_pushvalue(L, arg);
                luaL_addvalue(&buffer);
                continue;
            }
            CompleteSpec(spec, "s");
            length = std::snprintf(item, sizeof item, spec, text);
            break;
        }
        case 'B': {
            int type = lua_type(L, arg);
            if (type != LUA_TBOOLEAN && type != LUA_TNIL) {
                const char* message =
                    lua_pushfstring(L, "%s expected, got %s", "boolean", LuaTypeName(L, arg));
                return luaL_argerror(L, arg, message);
            }
            CompleteSpec(spec, "s");
            length =
                std::snprintf(item, sizeof item, spec, lua_toboolean(L, arg) ? "true" : "false");
            break;
        }
        case 'b': {
            char size = format < end ? *format++ : 0;
            AddRawNumber(L, &buffer, arg, size);
            continue;
        }
        default:
            return luaL_error(L, "invalid option `%%%c' to `format'", conversion);
        }
        if (length > 0)
            luaL_addlstring(&buffer, item,
                            static_cast<size_t>(length) < sizeof item ? length : sizeof item - 1);
    }
    luaL_pushresult(&buffer);
    return 1;
}
