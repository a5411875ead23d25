#include "framework/script/engine/LuaStringLibrary.h"

#include "framework/script/engine/LuaApi.h"
#include "framework/script/engine/LuaWideString.h"

#include <lauxlib.h>
#include <lua.h>

#include <cmath>
#include <cstdint>
#include <cstring>

// Everything here may be left by a script error (a long jump): no object
// with a destructor lives across a call into the engine.

namespace {

// One item of a pack format.
struct PackItem {
    char letter = 0;
    bool wide = false;
    bool counted = false; // a count was written
    int count = 1;
};

// Reads the next item, applying byte-order letters on the way; false at
// the end of the format.
bool NextItem(lua_State* L, const char*& format, const char* end, bool& little, PackItem& item) {
    while (format < end) {
        char c = *format++;
        if (c == ' ' || c == ',')
            continue;
        if (c == '<' || c == '=') {
            little = true;
            continue;
        }
        if (c == '>') {
            little = false;
            continue;
        }
        item = PackItem();
        if (c == 'w') {
            item.wide = true;
            if (format >= end)
                luaL_argerror(L, 1, "bad code `w'");
            c = *format++;
        }
        item.letter = c;
        if (format < end && *format >= '0' && *format <= '9') {
            long long count = 0;
            while (format < end && *format >= '0' && *format <= '9') {
                count = count * 10 + (*format++ - '0');
                if (count > 0x7FFFFFFF)
                    luaL_argerror(L, 1, "count too large");
            }
            item.counted = true;
            item.count = static_cast<int>(count);
        }
        return true;
    }
    return false;
}

int BadCode(lua_State* L, char letter) {
    return luaL_argerror(L, 1, lua_pushfstring(L, "bad code `%c'", letter));
}

// Size in bytes of a number letter; 0 for other letters.
int NumberSize(char letter) {
    switch (letter) {
    case 'b':
    case 'c':
    case 'B':
        return 1;
    case 'h':
    case 'H':
        return 2;
    case 'i':
    case 'I':
    case 'l':
    case 'L':
    case 'f':
        return 4;
    case 'd':
    case 'n':
        return 8;
    default:
        return 0;
    }
}

// Size in bytes of the length before a string of letter p, P or a.
int PrefixSize(char letter) {
    return letter == 'p' ? 1 : letter == 'P' ? 2 : 4;
}

void AddBits(luaL_Buffer* buffer, uint64_t bits, int size, bool little) {
    for (int i = 0; i < size; ++i) {
        int shift = 8 * (little ? i : size - 1 - i);
        luaL_addchar(buffer, static_cast<char>((bits >> shift) & 0xFF));
    }
}

uint64_t ReadBits(const unsigned char* data, int size, bool little) {
    uint64_t bits = 0;
    for (int i = 0; i < size; ++i) {
        int shift = 8 * (little ? i : size - 1 - i);
        bits |= static_cast<uint64_t>(data[i]) << shift;
    }
    return bits;
}

void PackNumber(lua_State* L, luaL_Buffer* buffer, const PackItem& item, int arg, bool little) {
    int size = NumberSize(item.letter);
    if (item.letter == 'B') {
        if (!lua_isboolean(L, arg))
            luaL_argerror(L, arg, "expected a boolean");
        luaL_addchar(buffer, lua_toboolean(L, arg) ? 1 : 0);
        return;
    }
    lua_Number value = luaL_checknumber(L, arg);
    if (item.letter == 'f') {
        float single = static_cast<float>(value);
        uint32_t bits = 0;
        std::memcpy(&bits, &single, sizeof bits);
        AddBits(buffer, bits, 4, little);
    } else if (item.letter == 'd' || item.letter == 'n') {
        double number = value;
        uint64_t bits = 0;
        std::memcpy(&bits, &number, sizeof bits);
        AddBits(buffer, bits, 8, little);
    } else {
        AddBits(buffer, LuaTruncatedBits(value), size, little);
    }
}

// A string argument as bytes, or as units (unitSize 2) when wide.
const char* StringArgument(lua_State* L, int arg, bool wide, size_t& length) {
    if (wide)
        return reinterpret_cast<const char*>(LuaCheckWString(L, arg, &length));
    return LuaCheckNarrowString(L, arg, &length);
}

// Adds length units of a string (bytes, or native char16_t when wide).
void AddUnits(luaL_Buffer* buffer, const char* data, size_t length, bool wide, bool little) {
    if (!wide) {
        luaL_addlstring(buffer, data, length);
        return;
    }
    const char16_t* units = reinterpret_cast<const char16_t*>(data);
    for (size_t i = 0; i < length; ++i)
        AddBits(buffer, units[i], 2, little);
}

void AddZeros(luaL_Buffer* buffer, size_t bytes) {
    for (size_t i = 0; i < bytes; ++i)
        luaL_addchar(buffer, 0);
}

// Pushes a string read from data (length units), wide or narrow.
void PushUnits(lua_State* L, const unsigned char* data, size_t length, bool wide, bool little) {
    if (!wide) {
        lua_pushlstring(L, reinterpret_cast<const char*>(data), length);
        return;
    }
    char16_t* units = static_cast<char16_t*>(lua_newuserdata(L, length > 0 ? length * 2 : 1));
    for (size_t i = 0; i < length; ++i)
        units[i] = static_cast<char16_t>(ReadBits(data + 2 * i, 2, little));
    LuaPushLWString(L, units, length);
    lua_remove(L, -2);
}

void PushNumber(lua_State* L, const PackItem& item, const unsigned char* data, bool little) {
    int size = NumberSize(item.letter);
    uint64_t bits = ReadBits(data, size, little);
    switch (item.letter) {
    case 'B':
        lua_pushboolean(L, bits != 0);
        return;
    case 'b':
        lua_pushnumber(L, static_cast<int8_t>(bits));
        return;
    case 'h':
        lua_pushnumber(L, static_cast<int16_t>(bits));
        return;
    case 'i':
    case 'l':
        lua_pushnumber(L, static_cast<int32_t>(bits));
        return;
    case 'f': {
        uint32_t word = static_cast<uint32_t>(bits);
        float single = 0;
        std::memcpy(&single, &word, sizeof single);
        lua_pushnumber(L, single);
        return;
    }
    case 'd':
    case 'n': {
        double number = 0;
        std::memcpy(&number, &bits, sizeof number);
        lua_pushnumber(L, number);
        return;
    }
    default: // c H I L: unsigned
        lua_pushnumber(L, static_cast<lua_Number>(bits));
        return;
    }
}

} // namespace

int LuaStringPack(lua_State* L) {
    size_t formatSize = 0;
    const char* format = luaL_checklstring(L, 1, &formatSize);
    const char* end = format + formatSize;
    bool little = true;
    int arg = 1;
    luaL_Buffer buffer;
    luaL_buffinit(L, &buffer);
    PackItem item;
    while (NextItem(L, format, end, little, item)) {
        if (NumberSize(item.letter) > 0) {
            for (int i = 0; i < item.count; ++i)
                PackNumber(L, &buffer, item, ++arg, little);
            continue;
        }
        size_t unitSize = item.wide ? 2 : 1;
        switch (item.letter) {
        case 'A': {
            size_t length = 0;
            const char* data = StringArgument(L, ++arg, item.wide, length);
            size_t wanted = item.counted ? static_cast<size_t>(item.count) : length;
            AddUnits(&buffer, data, wanted < length ? wanted : length, item.wide, little);
            if (wanted > length)
                AddZeros(&buffer, (wanted - length) * unitSize);
            break;
        }
        case 'p':
        case 'P':
        case 'a':
            for (int i = 0; i < item.count; ++i) {
                size_t length = 0;
                const char* data = StringArgument(L, ++arg, item.wide, length);
                int prefix = PrefixSize(item.letter);
                if (prefix < 4 ? length >> (8 * prefix) != 0 : length > 0xFFFFFFFFu)
                    luaL_argerror(L, arg, "string too long for its length prefix");
                AddBits(&buffer, length, prefix, little);
                AddUnits(&buffer, data, length, item.wide, little);
            }
            break;
        case 'z':
            for (int i = 0; i < item.count; ++i) {
                size_t length = 0;
                const char* data = StringArgument(L, ++arg, item.wide, length);
                AddUnits(&buffer, data, length, item.wide, little);
                AddZeros(&buffer, unitSize);
            }
            break;
        default:
            return BadCode(L, item.letter);
        }
    }
    luaL_pushresult(&buffer);
    return 1;
}

int LuaStringUnpack(lua_State* L) {
    size_t size = 0;
    const unsigned char* data =
        reinterpret_cast<const unsigned char*>(luaL_checklstring(L, 1, &size));
    size_t formatSize = 0;
    const char* format = luaL_checklstring(L, 2, &formatSize);
    const char* end = format + formatSize;
    lua_Number init = luaL_optnumber(L, 3, 1);
    size_t position =
        init > 1 ? (init > static_cast<lua_Number>(size) + 1 ? size : static_cast<size_t>(init) - 1)
                 : 0;
    lua_settop(L, 2);
    bool little = true;
    bool done = false;
    PackItem item;
    while (!done && NextItem(L, format, end, little, item)) {
        luaL_checkstack(L, 2, "too many results to unpack");
        size_t unitSize = item.wide ? 2 : 1;
        size_t left = size - position;
        if (int itemSize = NumberSize(item.letter)) {
            for (int i = 0; i < item.count && !done; ++i) {
                luaL_checkstack(L, 1, "too many results to unpack");
                if (left < static_cast<size_t>(itemSize)) {
                    done = true;
                    break;
                }
                PushNumber(L, item, data + position, little);
                position += itemSize;
                left -= itemSize;
            }
            continue;
        }
        switch (item.letter) {
        case 'A': {
            size_t length = static_cast<size_t>(item.count);
            if (left / unitSize < length) {
                done = true;
                break;
            }
            PushUnits(L, data + position, length, item.wide, little);
            position += length * unitSize;
            break;
        }
        case 'p':
        case 'P':
        case 'a':
            for (int i = 0; i < item.count && !done; ++i) {
                luaL_checkstack(L, 1, "too many results to unpack");
                int prefix = PrefixSize(item.letter);
                if (left < static_cast<size_t>(prefix)) {
                    done = true;
                    break;
                }
                size_t length = ReadBits(data + position, prefix, little);
                if ((left - prefix) / unitSize < length) {
                    done = true;
                    break;
                }
                PushUnits(L, data + position + prefix, length, item.wide, little);
                position += prefix + length * unitSize;
                left = size - position;
            }
            break;
        case 'z':
            for (int i = 0; i < item.count && !done; ++i) {
                luaL_checkstack(L, 1, "too many results to unpack");
                size_t length = 0;
                while (length < left / unitSize &&
                       ReadBits(data + position + length * unitSize, unitSize, little) != 0)
                    ++length;
                if (length >= left / unitSize) {
                    done = true;
                    break;
                }
                PushUnits(L, data + position, length, item.wide, little);
                position += (length + 1) * unitSize;
                left = size - position;
            }
            break;
        default:
            return BadCode(L, item.letter);
        }
    }
    lua_pushnumber(L, static_cast<lua_Number>(position + 1));
    lua_insert(L, 3);
    return lua_gettop(L) - 2;
}
