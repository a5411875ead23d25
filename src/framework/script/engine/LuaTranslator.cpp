#include "framework/script/engine/LuaTranslator.h"

#include "framework/script/engine/LuaDialectParser.h"

namespace {

// The wrapper's first and last pieces; the first goes before the first
// character of line 1, the last after the last character of the text.
constexpr std::string_view kWrapperHead = "local __dialect__=...;return function() ";
constexpr std::string_view kWrapperTail = " end";
static_assert(kWrapperHead.substr(6, 11) == kLuaDialectName);

// The characters of a chunk: 16-bit little-endian after the byte-order mark
// FF FE (a last odd byte is ignored), bytes otherwise.
std::u16string ReadCharacters(std::string_view text, bool& wide) {
    wide = text.size() >= 2 && static_cast<unsigned char>(text[0]) == 0xFF &&
           static_cast<unsigned char>(text[1]) == 0xFE;
    std::u16string characters;
    if (wide) {
        const size_t count = (text.size() - 2) / 2;
        characters.resize(count);
        for (size_t i = 0; i < count; ++i) {
            const auto low = static_cast<unsigned char>(text[2 + 2 * i]);
            const auto high = static_cast<unsigned char>(text[3 + 2 * i]);
            characters[i] = static_cast<char16_t>(low | (high << 8));
        }
    } else {
        characters.resize(text.size());
        for (size_t i = 0; i < text.size(); ++i)
            characters[i] = static_cast<unsigned char>(text[i]);
    }
    return characters;
}

} // namespace

// The wrapped chunk's inner function takes no arguments: a 5.0 main chunk
// is not a vararg function, and a vararg one would hide the global `arg`
// behind a local of that name.
TLuaTranslation TranslateLuaSource(std::string_view text, std::string_view chunkName) {
    TLuaTranslation result;
    bool wide = false;
    std::u16string characters = ReadCharacters(text, wide);
    // A first line starting with '#' ("#!/usr/bin/lua") is not Lua: it is
    // skipped, in every chunk as in files, its line end kept so the line
    // numbers stay right.
    if (!characters.empty() && characters[0] == '#') {
        for (char16_t& c : characters) {
            if (c == '\n')
                break;
            c = ' ';
        }
    }
    LuaDialectErrors errors(LuaDialectChunkId(chunkName));
    LuaDialectParser parser(characters, wide, errors);
    if (!parser.Translate()) {
        result.error = errors.Message();
        return result;
    }
    result.ok = true;
    result.source = std::move(parser.Output());
    if (parser.UsesRuntime()) {
        result.source.insert(0, kWrapperHead);
        result.source.append(kWrapperTail);
        result.wrapped = true;
    }
    return result;
}
