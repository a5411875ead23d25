#pragma once

// The game's one look: every picture the image generator draws takes its
// colours, corner radii, outlines, shadows and lettering from here. A change
// of look is a change in this file.

namespace palette {

struct Rgb {
    double r, g, b;
};

constexpr Rgb Hex(unsigned value) {
    return {((value >> 16) & 0xFF) / 255.0, ((value >> 8) & 0xFF) / 255.0, (value & 0xFF) / 255.0};
}

// Text and outlines.
constexpr Rgb kInk = Hex(0x2B2A33);
constexpr Rgb kWhite = Hex(0xFFFFFF);
constexpr Rgb kBlack = Hex(0x000000);

// Light panels (dialogs, text fields) with dark text on them.
constexpr Rgb kPanelTop = Hex(0xFFF7E8);
constexpr Rgb kPanelBottom = Hex(0xF4DEBB);
constexpr Rgb kPanelEdge = Hex(0xB9864A);
constexpr Rgb kPanelInner = Hex(0xFFFDF7);
constexpr Rgb kFieldTop = Hex(0xF1EBE0);
constexpr Rgb kFieldBottom = Hex(0xFFFFFF);

// Push buttons: warm orange.
constexpr Rgb kButtonTop = Hex(0xFFBE55);
constexpr Rgb kButtonBottom = Hex(0xF0811F);
constexpr Rgb kButtonEdge = Hex(0x9C4A0C);

// Check boxes, radio buttons and sliders: teal marks on light wells.
constexpr Rgb kAccentTop = Hex(0x4FD3C1);
constexpr Rgb kAccentBottom = Hex(0x1C9486);
constexpr Rgb kAccentEdge = Hex(0x0F5F56);
constexpr Rgb kWellTop = Hex(0xE2D6C3);
constexpr Rgb kWellBottom = Hex(0xFFFBF2);

// Symbol colours (saturated, for marks on light faces and sparkles).
constexpr Rgb kGold = Hex(0xFFD23F);
constexpr Rgb kRose = Hex(0xF0506E);
constexpr Rgb kLeaf = Hex(0x3DBE5A);
constexpr Rgb kSky = Hex(0x3A8EE6);
constexpr Rgb kPlum = Hex(0x9B5DE5);

// The menu's sky, top to horizon, and its hills.
constexpr Rgb kDuskTop = Hex(0x2F4F9A);
constexpr Rgb kDuskMiddle = Hex(0x8E6FC2);
constexpr Rgb kDuskHorizon = Hex(0xFFC98B);
constexpr Rgb kHillFar = Hex(0x6C5AA8);
constexpr Rgb kHillNear = Hex(0x3F3C7E);

// How much lighter a rollover is and how much darker a pressed state.
constexpr double kRolloverLighten = 0.18;
constexpr double kPressedDarken = 0.16;
constexpr double kPressedOffset = 1.0;

// Shapes.
constexpr double kCornerRadius = 10.0;
constexpr double kSmallRadius = 6.0;
constexpr double kOutline = 2.0;
constexpr double kLightEdge = 1.0;
constexpr double kShadowOffset = 3.0;
constexpr double kShadowBlur = 4.0;
constexpr double kShadowAlpha = 0.35;

// Veils laid over the screen behind dialogs.
constexpr double kVeilAlpha = 0.6;

// The four avatars: skin and hair of the boy and the girl, their clothes,
// and the dog's and the cat's coats.
constexpr Rgb kSkin = Hex(0xFFD2AE);
constexpr Rgb kCheek = Hex(0xFF8C8C);
constexpr Rgb kBoyHair = Hex(0x6B3E1E);
constexpr Rgb kGirlHair = Hex(0xE0782E);
constexpr Rgb kShorts = Hex(0x2E4C8C);
constexpr Rgb kShoe = Hex(0x4A3B36);
constexpr Rgb kDogCoat = Hex(0xC98A4B);
constexpr Rgb kDogPatch = Hex(0x7A4B24);
constexpr Rgb kCatCoat = Hex(0x9AA3B5);
constexpr Rgb kCatStripe = Hex(0x646C80);
constexpr Rgb kMuzzle = Hex(0xFFF4E6);
constexpr Rgb kInnerEar = Hex(0xF7A8B8);

// Lettering: Debian's DejaVu fonts (the build passes their paths).
#ifndef CORVALO_FONT_REGULAR
#define CORVALO_FONT_REGULAR "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
#endif
#ifndef CORVALO_FONT_BOLD
#define CORVALO_FONT_BOLD "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
#endif
constexpr const char* kFontRegular = CORVALO_FONT_REGULAR;
constexpr const char* kFontBold = CORVALO_FONT_BOLD;

// JPEG quality for opaque full-screen pictures.
constexpr int kJpegQuality = 90;

// Board tiles: light faces for the ordinary kinds, dark faces with a gold
// rim for the power-ups, the two backs, and the symbol colours that only
// tiles use.
constexpr Rgb kFaceTop = Hex(0xFFFDF6);
constexpr Rgb kFaceBottom = Hex(0xEFE6D2);
constexpr Rgb kFaceEdge = Hex(0x9A8F7A);
constexpr Rgb kPowerTop = Hex(0x3A3458);
constexpr Rgb kPowerBottom = Hex(0x1E1A30);
constexpr Rgb kGoldRim = Hex(0xE8B21C);
constexpr Rgb kBackTop = Hex(0x2A4FB0);
constexpr Rgb kBackBottom = Hex(0x142A6E);
constexpr Rgb kBackEdge = Hex(0x0B1840);
constexpr Rgb kBonusTop = Hex(0xFFC85A);
constexpr Rgb kBonusBottom = Hex(0xD98A1E);
constexpr Rgb kBonusEdge = Hex(0x8A4E08);
constexpr Rgb kOrange = Hex(0xFF8A1F);
constexpr Rgb kSteel = Hex(0x8C9AAB);
constexpr Rgb kViolet = Hex(0x8A3FFC);
constexpr Rgb kTeal = Hex(0x16B3A6);
constexpr Rgb kMagenta = Hex(0xE23CB4);
constexpr Rgb kIce = Hex(0x9FE4FF);
constexpr Rgb kRed = Hex(0xE02B2B);
constexpr Rgb kStem = Hex(0xF2E3C4);
constexpr double kTileRadius = 7.0;

} // namespace palette
