#include "game/data/GameIds.h"

#include <iterator>

namespace {

const char* const kKindNames[kTileKindCount] = {
    "",         "star", "diamond", "shamrock",   "heart",    "sun",    "horseshoe", "lightning",
    "mushroom", "wild", "bomb",    "sidewinder", "showtime", "freeze", "golden",    "joker"};

TString Lowered(TString text) {
    text.ToLower();
    return text;
}

} // namespace

int TileKindFromName(const TString& name) {
    const TString lowered = Lowered(name);
    for (int kind = 1; kind < kTileKindCount; ++kind)
        if (lowered == TString(kKindNames[kind]))
            return kind;
    return -1;
}

int TileTypeFromName(const TString& name) {
    const TString lowered = Lowered(name);
    if (lowered == TString("game"))
        return kTileTypeGame;
    if (lowered == TString("bonus"))
        return kTileTypeBonus;
    if (lowered == TString("special"))
        return kTileTypeSpecial;
    return -1;
}

int ModeNameToId(const TString& name) {
    static const struct {
        const char* name;
        int id;
    } kModes[] = {{"classic", kModeClassic},
                  {"strategy", kModeStrategy},
                  {"blitz", kModeBlitz},
                  {"joker", kModeJoker},
                  {"cradle", kModeRome}};
    for (const auto& mode : kModes)
        if (name.Equals(TString(mode.name)))
            return mode.id;
    return kModeNone;
}

const char* TileKindName(int kind) {
    return kind > 0 && kind < static_cast<int>(std::size(kKindNames)) ? kKindNames[kind] : "";
}
