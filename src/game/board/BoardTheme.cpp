#include "game/board/BoardTheme.h"

namespace {

constexpr int kLevelsPerShade = 5;
constexpr int kShades = 4;
constexpr int kThemes = 5;
// The background picture of each theme.
constexpr int kThemeBackground[kThemes] = {1, 0, 2, 3, 4};
constexpr const char* kThemeNames[kThemes] = {"Mountain", "Forest", "City", "Beach", "Space"};

} // namespace

QuickBackground GetQuickBackground(int level) {
    // Levels below 1 count as the first.
    const int step = level > 1 ? (level - 1) / kLevelsPerShade : 0;
    QuickBackground result;
    result.theme = (step / kShades) % kThemes;
    result.background = kThemeBackground[result.theme];
    result.shade = step % kShades;
    return result;
}

const char* ThemeName(int theme) {
    return theme >= 0 && theme < kThemes ? kThemeNames[theme] : kThemeNames[0];
}

const char* QuestThemeName(int level) {
    if (level < 10)
        return "Mountain";
    if (level <= 20)
        return "Forest";
    if (level <= 31)
        return "City";
    if (level <= 42)
        return "Beach";
    if (level <= 55)
        return "Space";
    return nullptr;
}
