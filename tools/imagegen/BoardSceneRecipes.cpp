// The board screen's scenery: the twenty quick-play backgrounds (five
// places, each in four lights), the three board frames, which are drawn
// around the board windows of the game's configuration so that they sit
// around the tiles, the life heart and the score card.

#include "Recipes.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

#ifndef CORVALO_BOARD_CONFIG
#define CORVALO_BOARD_CONFIG "assets/config.xml"
#endif
#ifndef CORVALO_BOARD_FRAME_MARGIN
#define CORVALO_BOARD_FRAME_MARGIN 16
#endif

namespace imagegen {

using palette::Hex;
using palette::Rgb;

namespace {

const double kPi = std::acos(-1.0);

// ---- light --------------------------------------------------------------

enum Light { kMorning, kNoon, kAfternoon, kNight };

struct Sky {
    Rgb top, horizon;
    // What the light does to the land: mixed towards the tint by amount.
    Rgb tint;
    double amount;
    // The sun (or the moon at night): place and colour.
    double sunX, sunY, sunRadius;
    Rgb sun;
};

Sky SkyOf(Light light) {
    switch (light) {
    case kMorning:
        return {Hex(0x7FB3E8), Hex(0xFFD9B0), Hex(0xFFB88A), 0.18, 180, 300, 46, Hex(0xFFF1C9)};
    case kNoon:
        return {Hex(0x2E7FD6), Hex(0xBFE3FF), Hex(0xFFFFFF), 0.0, 620, 110, 40, Hex(0xFFFBE0)};
    case kAfternoon:
        return {Hex(0x5A6FC0), Hex(0xFFB067), Hex(0xFF8A3D), 0.22, 860, 330, 52, Hex(0xFFD36B)};
    case kNight:
    default:
        return {Hex(0x0B1030), Hex(0x2B3570), Hex(0x0E1640), 0.55, 780, 130, 34, Hex(0xF2F0DC)};
    }
}

Rgb Lit(const Sky& sky, Rgb colour) {
    return Mix(colour, sky.tint, sky.amount);
}

// A small fixed random source, so the same recipe gives the same picture.
struct Dice {
    uint32_t state;
    double Next() {
        state = state * 1664525u + 1013904223u;
        return (state >> 8) / double(1u << 24);
    }
};

void PaintSky(cairo_t* cr, int w, double horizon, const Sky& sky, bool stars) {
    SetVerticalGradient(cr, 0, horizon, sky.top, sky.horizon);
    cairo_rectangle(cr, 0, 0, w, horizon);
    cairo_fill(cr);
    if (stars) {
        Dice dice{7};
        for (int i = 0; i < 160; ++i) {
            const double x = dice.Next() * w, y = dice.Next() * horizon * 0.9;
            const double r = 0.6 + dice.Next() * 1.4;
            cairo_new_path(cr);
            cairo_arc(cr, x, y, r, 0, 2 * kPi);
            SetColour(cr, palette::kWhite, 0.35 + dice.Next() * 0.6);
            cairo_fill(cr);
        }
    }
}

// The sun with a soft glow, or the moon with its shadow bite.
void PaintSun(cairo_t* cr, const Sky& sky, bool moon) {
    cairo_pattern_t* glow = cairo_pattern_create_radial(sky.sunX, sky.sunY, sky.sunRadius * 0.5,
                                                        sky.sunX, sky.sunY, sky.sunRadius * 3.2);
    cairo_pattern_add_color_stop_rgba(glow, 0, sky.sun.r, sky.sun.g, sky.sun.b, 0.45);
    cairo_pattern_add_color_stop_rgba(glow, 1, sky.sun.r, sky.sun.g, sky.sun.b, 0.0);
    cairo_set_source(cr, glow);
    cairo_arc(cr, sky.sunX, sky.sunY, sky.sunRadius * 3.2, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_pattern_destroy(glow);
    cairo_arc(cr, sky.sunX, sky.sunY, sky.sunRadius, 0, 2 * kPi);
    SetColour(cr, sky.sun);
    cairo_fill(cr);
    if (moon) {
        cairo_arc(cr, sky.sunX + sky.sunRadius * 0.45, sky.sunY - sky.sunRadius * 0.2,
                  sky.sunRadius * 0.85, 0, 2 * kPi);
        SetColour(cr, sky.top);
        cairo_fill(cr);
    }
}

void Cloud(cairo_t* cr, double x, double y, double s, Rgb colour, double alpha) {
    cairo_new_path(cr);
    cairo_arc(cr, x, y, 26 * s, 0, 2 * kPi);
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + 30 * s, y - 12 * s, 32 * s, 0, 2 * kPi);
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + 64 * s, y, 24 * s, 0, 2 * kPi);
    cairo_new_sub_path(cr);
    cairo_rectangle(cr, x, y, 64 * s, 24 * s);
    SetColour(cr, colour, alpha);
    cairo_fill(cr);
}

void Clouds(cairo_t* cr, const Sky& sky, Light light) {
    if (light == kNight)
        return;
    const Rgb colour = Lit(sky, palette::kWhite);
    Cloud(cr, 90, 150, 1.2, colour, 0.8);
    Cloud(cr, 430, 90, 0.9, colour, 0.7);
    Cloud(cr, 720, 200, 1.4, colour, 0.75);
}

// A band of land whose top follows a sum of waves.
void Ridge(cairo_t* cr, int w, int h, double base, double amplitude, double phase, double waves,
           Rgb top, Rgb bottom) {
    cairo_move_to(cr, 0, h);
    for (int x = 0; x <= w; x += 6) {
        const double u = x / double(w);
        const double y = base - amplitude * (0.65 * std::sin(u * kPi * waves + phase) +
                                             0.35 * std::sin(u * kPi * waves * 2.3 + phase * 2));
        cairo_line_to(cr, x, y);
    }
    cairo_line_to(cr, w, h);
    cairo_close_path(cr);
    SetVerticalGradient(cr, base - amplitude, h, top, bottom);
    cairo_fill(cr);
}

// ---- the five places ----------------------------------------------------

void Conifer(cairo_t* cr, double x, double ground, double height, Rgb colour) {
    const double width = height * 0.42;
    for (int tier = 0; tier < 3; ++tier) {
        const double top = ground - height + tier * height * 0.22;
        const double bottom = ground - height * 0.12 - (2 - tier) * height * 0.12;
        const double half = width * (0.55 + tier * 0.22);
        cairo_move_to(cr, x, top);
        cairo_line_to(cr, x + half, bottom);
        cairo_line_to(cr, x - half, bottom);
        cairo_close_path(cr);
    }
    SetColour(cr, colour);
    cairo_fill(cr);
    cairo_rectangle(cr, x - height * 0.04, ground - height * 0.14, height * 0.08, height * 0.14);
    SetColour(cr, Darken(colour, 0.45));
    cairo_fill(cr);
}

void Forest(cairo_t* cr, int w, int h, const Sky& sky) {
    Ridge(cr, w, h, 470, 40, 0.4, 2.2, Lit(sky, Hex(0x7FB77E)), Lit(sky, Hex(0x4E8C55)));
    Dice dice{11};
    for (int i = 0; i < 30; ++i) {
        const double x = i * 36 + dice.Next() * 20;
        Conifer(cr, x, 520 + dice.Next() * 20, 90 + dice.Next() * 50, Lit(sky, Hex(0x3C7A4A)));
    }
    Ridge(cr, w, h, 600, 30, 1.7, 3.0, Lit(sky, Hex(0x4FA05A)), Lit(sky, Hex(0x2F6B3A)));
    for (int i = 0; i < 16; ++i) {
        const double x = i * 68 + dice.Next() * 30;
        Conifer(cr, x, 690 + dice.Next() * 30, 150 + dice.Next() * 80, Lit(sky, Hex(0x24573A)));
    }
    Ridge(cr, w, h, 740, 12, 0.2, 4.0, Lit(sky, Hex(0x3B8A47)), Lit(sky, Hex(0x22542B)));
}

void Mountain(cairo_t* cr, int w, int h, const Sky& sky) {
    const struct {
        double x, peak, base, half;
        Rgb colour;
    } peaks[] = {
        {120, 210, 560, 260, Hex(0x8C8FB8)}, {480, 150, 560, 300, Hex(0x7F83AD)},
        {850, 230, 560, 280, Hex(0x9396BE)}, {300, 300, 620, 260, Hex(0x6B6F99)},
        {700, 280, 620, 280, Hex(0x676B94)},
    };
    for (const auto& p : peaks) {
        const Rgb rock = Lit(sky, p.colour);
        cairo_move_to(cr, p.x - p.half, p.base);
        cairo_line_to(cr, p.x - p.half * 0.35, p.peak + (p.base - p.peak) * 0.35);
        cairo_line_to(cr, p.x, p.peak);
        cairo_line_to(cr, p.x + p.half * 0.3, p.peak + (p.base - p.peak) * 0.28);
        cairo_line_to(cr, p.x + p.half, p.base);
        cairo_close_path(cr);
        SetVerticalGradient(cr, p.peak, p.base, Lighten(rock, 0.1), Darken(rock, 0.25));
        cairo_fill(cr);
        // The snow cap.
        const double cap = (p.base - p.peak) * 0.22;
        cairo_move_to(cr, p.x, p.peak);
        cairo_line_to(cr, p.x + p.half * 0.3 * 0.8, p.peak + cap);
        cairo_line_to(cr, p.x + p.half * 0.08, p.peak + cap * 0.75);
        cairo_line_to(cr, p.x - p.half * 0.1, p.peak + cap * 1.05);
        cairo_line_to(cr, p.x - p.half * 0.35 * 0.7, p.peak + cap);
        cairo_close_path(cr);
        SetColour(cr, Lit(sky, Hex(0xF4F7FF)));
        cairo_fill(cr);
    }
    Ridge(cr, w, h, 585, 18, 2.1, 2.5, Lit(sky, Hex(0x88B36A)), Lit(sky, Hex(0x557F45)));
    Ridge(cr, w, h, 730, 18, 0.9, 3.5, Lit(sky, Hex(0x5E9350)), Lit(sky, Hex(0x3A6634)));
}

void City(cairo_t* cr, int w, int h, const Sky& sky, bool night) {
    Dice dice{23};
    for (int layer = 0; layer < 2; ++layer) {
        const Rgb wall = Lit(sky, layer == 0 ? Hex(0x8A90B4) : Hex(0x555C86));
        const double ground = layer == 0 ? 560 : 640;
        double x = -20;
        while (x < w) {
            const double bw = 50 + dice.Next() * 70;
            const double bh = (layer == 0 ? 180 : 140) + dice.Next() * (layer == 0 ? 220 : 200);
            cairo_rectangle(cr, x, ground - bh, bw - 6, bh);
            SetVerticalGradient(cr, ground - bh, ground, Lighten(wall, 0.08), Darken(wall, 0.2));
            cairo_fill(cr);
            // Windows: lit at night, glinting by day.
            for (double wy = ground - bh + 14; wy < ground - 14; wy += 22)
                for (double wx = x + 8; wx < x + bw - 18; wx += 16) {
                    const bool lit = dice.Next() < (night ? 0.55 : 0.25);
                    cairo_rectangle(cr, wx, wy, 8, 11);
                    if (night)
                        SetColour(cr, lit ? Hex(0xFFD77A) : Darken(wall, 0.3), lit ? 0.95 : 1.0);
                    else
                        SetColour(cr, lit ? Hex(0xDDEBFF) : Darken(wall, 0.15), 0.9);
                    cairo_fill(cr);
                }
            x += bw;
        }
    }
    cairo_rectangle(cr, 0, 640, w, h - 640);
    SetVerticalGradient(cr, 640, h, Lit(sky, Hex(0x4A4F66)), Lit(sky, Hex(0x2E3244)));
    cairo_fill(cr);
}

void Palm(cairo_t* cr, double x, double ground, double height, const Sky& sky) {
    cairo_move_to(cr, x - 7, ground);
    cairo_curve_to(cr, x - 4, ground - height * 0.5, x + 20, ground - height * 0.85, x + 34,
                   ground - height);
    cairo_line_to(cr, x + 42, ground - height + 4);
    cairo_curve_to(cr, x + 28, ground - height * 0.82, x + 8, ground - height * 0.5, x + 7, ground);
    cairo_close_path(cr);
    SetColour(cr, Lit(sky, Hex(0x8A5A32)));
    cairo_fill(cr);
    const double cx = x + 38, cy = ground - height;
    for (int i = 0; i < 7; ++i) {
        const double a = kPi * (0.05 + i * 0.15) + kPi;
        const double ex = cx + std::cos(a) * 95, ey = cy + std::sin(a) * 40 + 40;
        cairo_move_to(cr, cx, cy);
        cairo_curve_to(cr, cx + std::cos(a) * 40, cy - 30, ex, ey - 30, ex, ey);
        cairo_curve_to(cr, ex - std::cos(a) * 10, ey - 34, cx + std::cos(a) * 40, cy - 14, cx, cy);
        SetColour(cr, Lit(sky, Hex(0x2F8F4A)));
        cairo_fill(cr);
    }
}

void Beach(cairo_t* cr, int w, int h, const Sky& sky) {
    // The sea, with bands of light on it.
    cairo_rectangle(cr, 0, 470, w, 180);
    SetVerticalGradient(cr, 470, 650, Lit(sky, Hex(0x2E8FC8)), Lit(sky, Hex(0x3CC1D6)));
    cairo_fill(cr);
    for (int i = 0; i < 8; ++i) {
        cairo_rectangle(cr, sky.sunX - 120 + i * 13, 480 + i * 18, 240 - i * 26, 3);
        SetColour(cr, sky.sun, 0.5 - i * 0.05);
        cairo_fill(cr);
    }
    // The sand and its wet edge.
    cairo_move_to(cr, 0, 640);
    cairo_curve_to(cr, 300, 610, 700, 660, w, 620);
    cairo_line_to(cr, w, h);
    cairo_line_to(cr, 0, h);
    cairo_close_path(cr);
    SetVerticalGradient(cr, 610, h, Lit(sky, Hex(0xF5DDA6)), Lit(sky, Hex(0xE2B873)));
    cairo_fill(cr);
    cairo_move_to(cr, 0, 640);
    cairo_curve_to(cr, 300, 610, 700, 660, w, 620);
    SetColour(cr, palette::kWhite, 0.7);
    cairo_set_line_width(cr, 5);
    cairo_stroke(cr);
    Palm(cr, 60, 720, 300, sky);
    Palm(cr, 930, 700, 240, sky);
}

void Planet(cairo_t* cr, double x, double y, double r, Rgb colour, bool ring) {
    cairo_arc(cr, x, y, r, 0, 2 * kPi);
    cairo_pattern_t* body = cairo_pattern_create_radial(x - r * 0.4, y - r * 0.4, r * 0.1, x, y, r);
    const Rgb light = Lighten(colour, 0.35), dark = Darken(colour, 0.55);
    cairo_pattern_add_color_stop_rgb(body, 0, light.r, light.g, light.b);
    cairo_pattern_add_color_stop_rgb(body, 1, dark.r, dark.g, dark.b);
    cairo_set_source(cr, body);
    cairo_fill(cr);
    cairo_pattern_destroy(body);
    if (ring) {
        cairo_save(cr);
        cairo_translate(cr, x, y);
        cairo_scale(cr, 1.0, 0.28);
        cairo_arc(cr, 0, 0, r * 1.7, 0, 2 * kPi);
        cairo_restore(cr);
        SetColour(cr, Lighten(colour, 0.5), 0.8);
        cairo_set_line_width(cr, 5);
        cairo_stroke(cr);
    }
}

// Space keeps its stars in every light; the light tints the nebula.
void Space(cairo_t* cr, int w, int h, Light light) {
    const Rgb nebulae[] = {Hex(0xC0508A), Hex(0x3A7BD5), Hex(0xE08A3C), Hex(0x6A3FC0)};
    const Rgb nebula = nebulae[light];
    PaintSky(cr, w, h, Sky{Hex(0x070A1E), Hex(0x1A1240), {}, 0, 0, 0, 0, {}}, true);
    for (int i = 0; i < 3; ++i) {
        const double x = 260 + i * 280, y = 260 + (i % 2) * 180, r = 300 - i * 40;
        cairo_pattern_t* cloud = cairo_pattern_create_radial(x, y, 0, x, y, r);
        cairo_pattern_add_color_stop_rgba(cloud, 0, nebula.r, nebula.g, nebula.b, 0.4);
        cairo_pattern_add_color_stop_rgba(cloud, 1, nebula.r, nebula.g, nebula.b, 0.0);
        cairo_set_source(cr, cloud);
        cairo_paint(cr);
        cairo_pattern_destroy(cloud);
    }
    Planet(cr, 150, 560, 90, Mix(Hex(0xE0A060), nebula, 0.3), true);
    Planet(cr, 880, 140, 46, Mix(Hex(0x70C0E0), nebula, 0.2), false);
    Planet(cr, 960, 620, 24, Hex(0xB0B0C8), false);
}

void Scene(cairo_t* cr, int w, int h, int place, Light light) {
    const Sky sky = SkyOf(light);
    if (place == 4) {
        Space(cr, w, h, light);
        return;
    }
    const double horizon = place == 3 ? 480 : 600;
    PaintSky(cr, w, horizon, sky, light == kNight);
    cairo_rectangle(cr, 0, horizon, w, h - horizon);
    SetColour(cr, sky.horizon);
    cairo_fill(cr);
    PaintSun(cr, sky, light == kNight);
    Clouds(cr, sky, light);
    switch (place) {
    case 0:
        Forest(cr, w, h, sky);
        break;
    case 1:
        Mountain(cr, w, h, sky);
        break;
    case 2:
        City(cr, w, h, sky, light == kNight);
        break;
    default:
        Beach(cr, w, h, sky);
        break;
    }
}

// ---- the board frames ---------------------------------------------------

struct BoardWindow {
    int rows = 0, cols = 0;
    int x = 0, y = 0, w = 0, h = 0;
};

// The board windows of the configuration's "gameMode" table, in order.
std::vector<BoardWindow> ReadBoardWindows(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    const std::string xml = text.str();
    std::vector<BoardWindow> boards;
    const size_t begin = xml.find("<gameMode");
    const size_t end = xml.find("</gameMode>");
    if (begin == std::string::npos || end == std::string::npos) {
        std::fprintf(stderr, "imagegen: %s has no \"gameMode\" table; no board frames\n",
                     path.c_str());
        return boards;
    }
    const std::string table = xml.substr(begin, end - begin);
    const std::regex mode("<mode[^>]*>([\\s\\S]*?)</mode>");
    const std::regex row("<row>\\s*(\\d+)\\s*</row>");
    const std::regex col("<col>\\s*(\\d+)\\s*</col>");
    const std::regex window("<window>\\s*(\\d+)\\s*,\\s*(\\d+)\\s*,\\s*(\\d+)\\s*,\\s*(\\d+)\\s*</"
                            "window>");
    for (auto it = std::sregex_iterator(table.begin(), table.end(), mode);
         it != std::sregex_iterator(); ++it) {
        const std::string body = (*it)[1];
        std::smatch r, c, wnd;
        if (!std::regex_search(body, r, row) || !std::regex_search(body, c, col) ||
            !std::regex_search(body, wnd, window)) {
            std::fprintf(stderr, "imagegen: a board of %s lacks its row, col or window\n",
                         path.c_str());
            continue;
        }
        boards.push_back({std::stoi(r[1]), std::stoi(c[1]), std::stoi(wnd[1]), std::stoi(wnd[2]),
                          std::stoi(wnd[3]), std::stoi(wnd[4])});
    }
    return boards;
}

// A gilded band round a window of the board, with a dark glass inside it
// that lets the background show through behind the tiles.
void BoardFrame(cairo_t* cr, int w, int h) {
    const double m = CORVALO_BOARD_FRAME_MARGIN;
    const double band = m + 2;
    // The glass.
    RoundedRect(cr, m - 2, m - 2, w - 2 * m + 4, h - 2 * m + 4, palette::kSmallRadius);
    SetColour(cr, Hex(0x10142E), 0.45);
    cairo_fill(cr);
    // The band: the outer rounded shape less the inner one.
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
    RoundedRect(cr, 1, 1, w - 2, h - 2, palette::kCornerRadius + 4);
    RoundedRect(cr, band - 2, band - 2, w - 2 * band + 4, h - 2 * band + 4, palette::kSmallRadius);
    SetVerticalGradient(cr, 0, h, Lighten(palette::kGoldRim, 0.25), Darken(palette::kGoldRim, 0.3));
    cairo_fill_preserve(cr);
    SetColour(cr, Darken(palette::kGoldRim, 0.6));
    cairo_set_line_width(cr, palette::kOutline);
    cairo_stroke(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    // A light line along the middle of the band and studs at the corners.
    RoundedRect(cr, band / 2, band / 2, w - band, h - band, palette::kCornerRadius);
    SetColour(cr, Lighten(palette::kGoldRim, 0.6), 0.7);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    const double studs[4][2] = {{band / 2, band / 2},
                                {w - band / 2, band / 2},
                                {band / 2, h - band / 2},
                                {w - band / 2, h - band / 2}};
    for (const auto& s : studs) {
        cairo_new_path(cr);
        cairo_arc(cr, s[0], s[1], band * 0.42, 0, 2 * kPi);
        SetColour(cr, palette::kRose);
        cairo_fill_preserve(cr);
        SetColour(cr, Darken(palette::kRose, 0.5));
        cairo_set_line_width(cr, 1.5);
        cairo_stroke(cr);
    }
}

// ---- the heart and the score card ---------------------------------------

void HeartShape(cairo_t* cr, double cx, double cy, double r) {
    cairo_new_path(cr);
    cairo_arc(cr, cx - r * 0.5, cy - r * 0.2, r * 0.52, kPi * 0.75, kPi * 2.0);
    cairo_arc(cr, cx + r * 0.5, cy - r * 0.2, r * 0.52, kPi, kPi * 2.25);
    cairo_line_to(cr, cx, cy + r * 0.95);
    cairo_close_path(cr);
}

void LifeHeart(cairo_t* cr, int w, int h) {
    const double cx = w / 2.0, cy = h / 2.0, r = std::min(w, h) * 0.46;
    HeartShape(cr, cx + 1.5, cy + 2, r);
    SetColour(cr, palette::kBlack, palette::kShadowAlpha);
    cairo_fill(cr);
    HeartShape(cr, cx, cy, r);
    SetVerticalGradient(cr, cy - r, cy + r, Lighten(palette::kRed, 0.3),
                        Darken(palette::kRed, 0.25));
    cairo_fill_preserve(cr);
    SetColour(cr, Darken(palette::kRed, 0.6));
    cairo_set_line_width(cr, palette::kOutline);
    cairo_stroke(cr);
    cairo_new_path(cr);
    cairo_arc(cr, cx - r * 0.45, cy - r * 0.3, r * 0.18, 0, 2 * kPi);
    SetColour(cr, palette::kWhite, 0.75);
    cairo_fill(cr);
}

// Where the card's script puts its texts and the avatar: the picture
// leaves room for them (title band, a plate per score line, the avatar's
// stage on the left).
void ScoreCard(cairo_t* cr, int w, int h) {
    Card(cr, 6, 6, w - 12, h - 12, palette::kCornerRadius * 2, palette::kPanelTop,
         palette::kPanelBottom, palette::kPanelEdge, true);
    // The title ribbon.
    RoundedRect(cr, 30, 20, w - 60, 62, palette::kCornerRadius);
    SetVerticalGradient(cr, 20, 82, palette::kButtonTop, palette::kButtonBottom);
    cairo_fill_preserve(cr);
    SetColour(cr, palette::kButtonEdge);
    cairo_set_line_width(cr, palette::kOutline);
    cairo_stroke(cr);
    for (int i = 0; i < 2; ++i) {
        const double x = i == 0 ? 58 : w - 58;
        StarPath(cr, x, 51, 17, 7, 5, 0);
        SetColour(cr, palette::kGold);
        cairo_fill_preserve(cr);
        SetColour(cr, Darken(palette::kGoldRim, 0.5));
        cairo_set_line_width(cr, 1.5);
        cairo_stroke(cr);
    }
    // The avatar's stage: a soft spotlight.
    cairo_pattern_t* spot = cairo_pattern_create_radial(135, 230, 10, 135, 230, 115);
    cairo_pattern_add_color_stop_rgba(spot, 0, 1, 1, 1, 0.9);
    cairo_pattern_add_color_stop_rgba(spot, 1, 1, 1, 1, 0.0);
    cairo_set_source(cr, spot);
    cairo_arc(cr, 135, 230, 115, 0, 2 * kPi);
    cairo_fill(cr);
    cairo_pattern_destroy(spot);
    // Three score plates.
    for (int i = 0; i < 3; ++i) {
        const double y = 110 + i * 62;
        RoundedRect(cr, 255, y, 350, 48, palette::kSmallRadius);
        SetVerticalGradient(cr, y, y + 48, palette::kFieldTop, palette::kFieldBottom);
        cairo_fill_preserve(cr);
        SetColour(cr, palette::kPanelEdge);
        cairo_set_line_width(cr, 1.5);
        cairo_stroke(cr);
    }
}

} // namespace

std::vector<Picture> BoardScenePictures() {
    std::vector<Picture> pictures;
    const char* places[] = {"forest", "mountain", "city", "beach", "space"};
    const char* lights[] = {"morning", "noon", "afternoon", "night"};
    for (int place = 0; place < 5; ++place)
        for (int light = 0; light < 4; ++light)
            pictures.push_back(
                {std::string("gpx/backgrounds/") + places[place] + "_" + lights[light] + ".jpg",
                 1024,
                 768,
                 Format::kJpeg,
                 [place, light](cairo_t* cr, int w, int h) {
                     Scene(cr, w, h, place, static_cast<Light>(light));
                 },
                 {}});
    const int margin = CORVALO_BOARD_FRAME_MARGIN;
    for (const BoardWindow& board : ReadBoardWindows(CORVALO_BOARD_CONFIG))
        pictures.push_back({"gpx/board/frame" + std::to_string(board.cols) + "x" +
                                std::to_string(board.rows) + ".png",
                            board.w + 2 * margin,
                            board.h + 2 * margin,
                            Format::kPng,
                            BoardFrame,
                            {}});
    pictures.push_back({"gpx/board/heart.png", 44, 40, Format::kPng, LifeHeart, {}});
    pictures.push_back({"gpx/board/score_card.png", 635, 389, Format::kPng, ScoreCard, {}});
    return pictures;
}

} // namespace imagegen
