#pragma once

// The picture recipes: each picture the game loads by path, with its size,
// its file kind and the function that draws it; and the animations, whose
// frames are drawn from a time parameter and packed by tools/animpack.

#include "Canvas.h"

#include <functional>
#include <string>
#include <vector>

namespace imagegen {

enum class Format { kPng, kJpeg };

struct Picture {
    std::string path; // under assets/, with its extension
    int width = 0;
    int height = 0;
    Format format = Format::kPng;
    DrawFunction draw;
    // Applied to the read-back pixels before they are written (or empty).
    std::function<void(Image&)> finish;
};

struct Animation {
    std::string path; // the animation's XML under assets/, e.g. "gpx/anim/sparkle.xml"
    int frames = 0;
    int width = 0;
    int height = 0;
    // t runs from 0 (first frame) towards 1 (one step before the first
    // frame again, so a looping animation has no repeated frame).
    std::function<void(cairo_t*, int width, int height, double t)> draw;
    // The animation's script (empty: every frame once, in order).
    std::string script{};
    // Every frame registered at its top-left corner (for clips that code
    // places at a window's top-left) instead of its centre.
    bool registerTopLeft = false;
};

// SVG sources are read from svgFolder.
std::vector<Picture> Pictures(const std::string& svgFolder);
std::vector<Animation> Animations();
// The board's tile faces, backs and clips (TileRecipes.cpp).
std::vector<Picture> TilePictures();
std::vector<Animation> TileAnimations();
// The bottom panel's bars, icons, new-row button and spark
// (BottomPanelRecipes.cpp).
std::vector<Picture> BottomPanelPictures();
std::vector<Animation> BottomPanelAnimations();
// The board screen's HUD clips, effect sprites, achievement panel and
// icons (BoardEffectRecipes.cpp).
std::vector<Picture> BoardEffectPictures();
std::vector<Animation> BoardEffectAnimations();
// A "DoAnim" that shows the frames again and again, `ms` each.
std::string LoopingScript(int frames, int ms);
// The four avatars of the bottom panel and the score card (AvatarRecipes.cpp).
std::vector<Animation> AvatarAnimations();
// The register screen's avatar buttons (four looks each) and the locked
// avatar (AvatarRecipes.cpp).
std::vector<Picture> AvatarButtonPictures();
// The menus' title, plates, mode panels, difficulty buttons, lock, tip,
// player rows and avatar highlight (MenuRecipes.cpp).
std::vector<Picture> MenuPictures();
// A padlock of that height centred on (cx, cy).
void Padlock(cairo_t* cr, double cx, double cy, double size);
// The board screen's backgrounds, board frames, heart and score card
// (BoardSceneRecipes.cpp).
std::vector<Picture> BoardScenePictures();
// The world map (from worldgen's plan), its buttons and clouds, the path
// sprites, the loading screen and the end of the quest (QuestRecipes.cpp).
std::vector<Picture> QuestPictures();
// The menus' and pop-ups' meter and tool tip (ScreenRecipes.cpp).
std::vector<Picture> ScreenPictures();
// The cross-promotion screen's game buttons and logos (XSellRecipes.cpp).
std::vector<Picture> XSellPictures();

// The cursor's transparent pixels carry the colour key (255, 0, 255) so
// that the software cursor, which shows every other pixel opaque, leaves
// them out; faint edge pixels become transparent too.
void ApplyCursorKey(Image& image);
// True when a pixel is one the software cursor leaves out.
bool IsCursorKey(const uint8_t* rgba);

} // namespace imagegen
