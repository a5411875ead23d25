#pragma once

// The backdrop of a level: in quick play every five levels change the
// light (morning, noon, afternoon, night) and every twenty the place; the
// quest map's levels take the place of their stretch of the map.

// The "selectBackground(background, shade)" arguments and the ambient
// theme (an index for ThemeName) of a quick-play level (1 first).
struct QuickBackground {
    int background = 0;
    int shade = 0;
    int theme = 0;
};
QuickBackground GetQuickBackground(int level);

// "Mountain", "Forest", "City", "Beach", "Space" for 0 to 4.
const char* ThemeName(int theme);

// The theme of a quest level; null past the map's last stretch (the
// theme stays as it was).
const char* QuestThemeName(int level);
