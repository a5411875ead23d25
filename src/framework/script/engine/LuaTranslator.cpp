#include "framework/script/engine/LuaTranslator.h"

// Placeholder until the translator lands: hands the text on unchanged, so
// the engine layer can already load plain 5.1 sources through one entry.
TLuaTranslation TranslateLuaSource(std::string_view text, std::string_view) {
    TLuaTranslation result;
    result.ok = true;
    result.source.assign(text);
    return result;
}
