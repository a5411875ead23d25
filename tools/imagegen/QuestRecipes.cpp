// The quest's pictures: the world map drawn from the plan that worldgen
// makes of the node table (five worlds, a road per edge, a plate per
// node), the node buttons, the clouds over locked worlds, the path effect
// sprites, the loading screen and the end of the quest.

#include "Recipes.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#ifndef CORVALO_WORLDMAP_PLAN
#define CORVALO_WORLDMAP_PLAN "worldmap_picture.txt"
#endif

namespace imagegen {

namespace {

using palette::Hex;
using palette::Rgb;

struct MapWorld {
    std::string theme;
    double x, y; // the cloud's top-left; the world lies under it
};
struct MapRoad {
    double x1, y1, x2, y2;
};
struct MapPlate {
    double x, y;
    std::string mode;
};
struct MapPlan {
    std::vector<MapWorld> worlds;
    std::vector<MapRoad> roads;
    std::vector<MapPlate> plates;
};

// The plan's lines; a missing file gives an empty plan (a map of sea).
MapPlan ReadMapPlan() {
    MapPlan plan;
    std::ifstream in(CORVALO_WORLDMAP_PLAN);
    if (!in)
        std::fprintf(stderr, "imagegen: no world map plan at %s\n", CORVALO_WORLDMAP_PLAN);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string kind;
        words >> kind;
        if (kind == "world") {
            MapWorld world;
            words >> world.theme >> world.x >> world.y;
            plan.worlds.push_back(world);
        } else if (kind == "road") {
            MapRoad road;
            words >> road.x1 >> road.y1 >> road.x2 >> road.y2;
            plan.roads.push_back(road);
        } else if (kind == "plate") {
            MapPlate plate;
            words >> plate.x >> plate.y >> plate.mode;
            plan.plates.push_back(plate);
        }
    }
    return plan;
}

// A cloud picture is this big; the world is the land under it.
constexpr double kCloudW = 450;
constexpr double kCloudH = 350;

Rgb ThemeGround(const std::string& theme) {
    if (theme == "mountain")
        return Hex(0xB7C4CF);
    if (theme == "forest")
        return Hex(0x5FB35A);
    if (theme == "city")
        return Hex(0xC9B79C);
    if (theme == "beach")
        return Hex(0xF2D98D);
    return Hex(0x2C2F6B); // space
}

Rgb ModeColour(const std::string& mode) {
    if (mode == "classic")
        return palette::kSky;
    if (mode == "blitz")
        return palette::kRose;
    if (mode == "strategy")
        return palette::kLeaf;
    if (mode == "joker")
        return palette::kPlum;
    if (mode == "cradle")
        return palette::kGold;
    return Hex(0x8A8A8A);
}

// A soft-edged blob of land centred in the world's box.
void Land(cairo_t* cr, const MapWorld& world) {
    const double cx = world.x + kCloudW / 2;
    const double cy = world.y + kCloudH / 2;
    const Rgb ground = ThemeGround(world.theme);
    for (int ring = 6; ring >= 0; --ring) {
        cairo_save(cr);
        cairo_translate(cr, cx, cy);
        cairo_scale(cr, kCloudW / 2 + ring * 4, kCloudH / 2 + ring * 4);
        cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
        cairo_restore(cr);
        SetColour(cr, ring == 0 ? ground : Darken(ground, 0.15), ring == 0 ? 1.0 : 0.12);
        cairo_fill(cr);
    }
    // The theme's marks, spread over the land on a fixed grid.
    for (int i = 0; i < 9; ++i) {
        const double mx = cx + (double((i * 37) % 9) - 4) * kCloudW / 11;
        const double my = cy + (double((i * 23) % 7) - 3) * kCloudH / 9;
        cairo_save(cr);
        if (world.theme == "mountain") {
            cairo_move_to(cr, mx - 26, my + 18);
            cairo_line_to(cr, mx, my - 22);
            cairo_line_to(cr, mx + 26, my + 18);
            cairo_close_path(cr);
            SetColour(cr, Hex(0x8D99A6));
            cairo_fill(cr);
            cairo_move_to(cr, mx - 8, my - 10);
            cairo_line_to(cr, mx, my - 22);
            cairo_line_to(cr, mx + 8, my - 10);
            cairo_close_path(cr);
            SetColour(cr, palette::kWhite);
            cairo_fill(cr);
        } else if (world.theme == "forest") {
            cairo_rectangle(cr, mx - 3, my, 6, 14);
            SetColour(cr, Hex(0x7A4E2D));
            cairo_fill(cr);
            cairo_arc(cr, mx, my - 4, 13, 0, 2 * M_PI);
            SetColour(cr, Hex(0x2F8A3A));
            cairo_fill(cr);
        } else if (world.theme == "city") {
            const double h = 24 + (i % 3) * 10;
            cairo_rectangle(cr, mx - 10, my + 14 - h, 20, h);
            SetColour(cr, Hex(0x8C7B9E));
            cairo_fill(cr);
            for (int w = 0; w < 3; ++w) {
                cairo_rectangle(cr, mx - 5, my + 18 - h + w * 8, 4, 4);
                cairo_rectangle(cr, mx + 2, my + 18 - h + w * 8, 4, 4);
            }
            SetColour(cr, palette::kGold, 0.9);
            cairo_fill(cr);
        } else if (world.theme == "beach") {
            cairo_move_to(cr, mx - 16, my);
            cairo_curve_to(cr, mx - 8, my - 6, mx - 4, my + 6, mx + 4, my);
            cairo_curve_to(cr, mx + 8, my - 6, mx + 12, my + 6, mx + 16, my);
            SetColour(cr, Hex(0x3BA7D9));
            cairo_set_line_width(cr, 3);
            cairo_stroke(cr);
        } else {
            StarPath(cr, mx, my, 6, 2.5, 4, 0);
            SetColour(cr, palette::kWhite, 0.9);
            cairo_fill(cr);
        }
        cairo_restore(cr);
    }
}

void WorldMap(cairo_t* cr, int /*w*/, int h) {
    const MapPlan plan = ReadMapPlan();
    // The sea under everything.
    SetVerticalGradient(cr, 0, h, Hex(0x4FB3D9), Hex(0x2E7FB8));
    cairo_paint(cr);
    for (const MapWorld& world : plan.worlds)
        Land(cr, world);
    // Roads: a dark edge under a sandy track.
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int pass = 0; pass < 2; ++pass) {
        for (const MapRoad& road : plan.roads) {
            cairo_move_to(cr, road.x1, road.y1);
            cairo_line_to(cr, road.x2, road.y2);
            cairo_set_line_width(cr, pass == 0 ? 14 : 8);
            SetColour(cr, pass == 0 ? Hex(0x6B4A2B) : Hex(0xE9CF98));
            cairo_stroke(cr);
        }
    }
    // A plate under each node's button, ringed in its mode's colour.
    for (const MapPlate& plate : plan.plates) {
        cairo_arc(cr, plate.x + 2, plate.y + 3, 30, 0, 2 * M_PI);
        SetColour(cr, palette::kBlack, 0.3);
        cairo_fill(cr);
        cairo_arc(cr, plate.x, plate.y, 30, 0, 2 * M_PI);
        SetColour(cr, Hex(0xF4E6C8));
        cairo_fill_preserve(cr);
        cairo_set_line_width(cr, 4);
        SetColour(cr, ModeColour(plate.mode));
        cairo_stroke(cr);
    }
}

// A round node button: its mode's colour, or gold with a tick when done.
DrawFunction NodeButton(const std::string& kind, int state) {
    return [kind, state](cairo_t* cr, int w, int h) {
        const double offset = state == 1 ? palette::kPressedOffset : 0.0;
        Rgb body = kind == "done" ? palette::kGold : ModeColour(kind);
        if (state == 1)
            body = Darken(body, palette::kPressedDarken);
        if (state == 2)
            body = Lighten(body, palette::kRolloverLighten);
        const double cx = w / 2.0 + offset;
        const double cy = h / 2.0 + offset;
        const double r = w / 2.0 - 4;
        cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
        cairo_pattern_t* shade = cairo_pattern_create_radial(cx - r / 3, cy - r / 3, 2, cx, cy, r);
        const Rgb light = Lighten(body, 0.35);
        cairo_pattern_add_color_stop_rgb(shade, 0, light.r, light.g, light.b);
        cairo_pattern_add_color_stop_rgb(shade, 1, body.r, body.g, body.b);
        cairo_set_source(cr, shade);
        cairo_fill_preserve(cr);
        cairo_pattern_destroy(shade);
        cairo_set_line_width(cr, palette::kOutline);
        SetColour(cr, palette::kInk);
        cairo_stroke(cr);
        if (kind == "done") {
            cairo_move_to(cr, cx - 9, cy);
            cairo_line_to(cr, cx - 2, cy + 8);
            cairo_line_to(cr, cx + 10, cy - 8);
            cairo_set_line_width(cr, 5);
            SetColour(cr, palette::kInk);
            cairo_stroke(cr);
        } else {
            StarPath(cr, cx, cy, 11, 5, 5, -M_PI / 2);
            SetColour(cr, palette::kWhite);
            cairo_fill(cr);
        }
    };
}

void NodeLock(cairo_t* cr, int w, int h) {
    const double cx = w / 2.0, cy = h / 2.0;
    cairo_arc(cr, cx, cy, w / 2.0 - 4, 0, 2 * M_PI);
    SetColour(cr, Hex(0x6E6A78));
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, palette::kOutline);
    SetColour(cr, palette::kInk);
    cairo_stroke(cr);
    // A padlock.
    cairo_arc(cr, cx, cy - 4, 7, M_PI, 2 * M_PI);
    cairo_set_line_width(cr, 3);
    SetColour(cr, Hex(0xD9D4E0));
    cairo_stroke(cr);
    RoundedRect(cr, cx - 10, cy - 4, 20, 15, 3);
    SetColour(cr, palette::kGold);
    cairo_fill(cr);
}

void GoalIcon(cairo_t* cr, int w, int h) {
    cairo_arc(cr, w / 2.0, h / 2.0, w / 2.0 - 1, 0, 2 * M_PI);
    SetColour(cr, palette::kRose);
    cairo_fill(cr);
    StarPath(cr, w / 2.0, h / 2.0, 8, 3.5, 5, -M_PI / 2);
    SetColour(cr, palette::kWhite);
    cairo_fill(cr);
}

// A cloud of overlapping puffs filling the picture.
DrawFunction Cloud(double alpha) {
    return [alpha](cairo_t* cr, int w, int h) {
        const double puffs[][3] = {{0.30, 0.45, 0.22}, {0.52, 0.35, 0.25}, {0.72, 0.48, 0.22},
                                   {0.45, 0.62, 0.24}, {0.25, 0.65, 0.18}, {0.70, 0.68, 0.2},
                                   {0.55, 0.55, 0.25}};
        for (const auto& p : puffs) {
            cairo_save(cr);
            cairo_translate(cr, p[0] * w, p[1] * h);
            cairo_scale(cr, p[2] * w, p[2] * h * 0.9);
            cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
            cairo_restore(cr);
            cairo_pattern_t* shade = cairo_pattern_create_linear(0, 0, 0, h);
            cairo_pattern_add_color_stop_rgba(shade, 0, 1, 1, 1, alpha);
            cairo_pattern_add_color_stop_rgba(shade, 1, 0.82, 0.86, 0.93, alpha);
            cairo_set_source(cr, shade);
            cairo_fill(cr);
            cairo_pattern_destroy(shade);
        }
    };
}

void Car(cairo_t* cr, int w, int h) {
    RoundedRect(cr, 4, h * 0.35, w - 8, h * 0.35, 5);
    SetColour(cr, palette::kRose);
    cairo_fill(cr);
    RoundedRect(cr, w * 0.3, h * 0.15, w * 0.4, h * 0.25, 4);
    SetColour(cr, Hex(0xBFE6FF));
    cairo_fill(cr);
    for (double x : {w * 0.28, w * 0.72}) {
        cairo_arc(cr, x, h * 0.72, h * 0.13, 0, 2 * M_PI);
        SetColour(cr, palette::kInk);
        cairo_fill(cr);
    }
}

void Ship(cairo_t* cr, int w, int h) {
    cairo_move_to(cr, 4, h * 0.6);
    cairo_line_to(cr, w - 4, h * 0.6);
    cairo_line_to(cr, w * 0.75, h * 0.85);
    cairo_line_to(cr, w * 0.25, h * 0.85);
    cairo_close_path(cr);
    SetColour(cr, Hex(0x7A4E2D));
    cairo_fill(cr);
    cairo_move_to(cr, w * 0.5, h * 0.1);
    cairo_line_to(cr, w * 0.5, h * 0.55);
    cairo_line_to(cr, w * 0.15, h * 0.55);
    cairo_close_path(cr);
    SetColour(cr, palette::kWhite);
    cairo_fill(cr);
}

void Nothing(cairo_t*, int, int) {}

// Two birds' wings, drawn as a pair of arcs each.
void Birds(cairo_t* cr, int w, int h) {
    const double birds[][3] = {{0.3, 0.4, 1.0}, {0.7, 0.65, 0.8}};
    for (const auto& b : birds) {
        const double x = b[0] * w, y = b[1] * h, s = b[2] * 9;
        cairo_move_to(cr, x - 2 * s, y);
        cairo_curve_to(cr, x - 1.5 * s, y - s, x - 0.5 * s, y - s, x, y);
        cairo_curve_to(cr, x + 0.5 * s, y - s, x + 1.5 * s, y - s, x + 2 * s, y);
        cairo_set_line_width(cr, 2.5);
        SetColour(cr, palette::kInk);
        cairo_stroke(cr);
    }
}

// The loading screen's closed curtain: red velvet folds over the screen.
void ClosedCurtain(cairo_t* cr, int w, int h) {
    const int folds = 16;
    for (int i = 0; i < folds; ++i) {
        const double x = double(w) * i / folds;
        cairo_pattern_t* fold = cairo_pattern_create_linear(x, 0, x + double(w) / folds, 0);
        cairo_pattern_add_color_stop_rgb(fold, 0, 0.45, 0.05, 0.10);
        cairo_pattern_add_color_stop_rgb(fold, 0.5, 0.80, 0.15, 0.20);
        cairo_pattern_add_color_stop_rgb(fold, 1, 0.45, 0.05, 0.10);
        cairo_rectangle(cr, x, 0, double(w) / folds + 1, h);
        cairo_set_source(cr, fold);
        cairo_fill(cr);
        cairo_pattern_destroy(fold);
    }
    SetVerticalGradient(cr, 0, 60, Hex(0xB8862F), Hex(0x7A5418));
    cairo_rectangle(cr, 0, 0, w, 60);
    cairo_fill(cr);
}

void BarBackground(cairo_t* cr, int w, int h) {
    Card(cr, 2, 2, w - 4, h - 4, h / 2.0 - 2, palette::kWellTop, palette::kWellBottom,
         palette::kPanelEdge, false);
}

void Bar(cairo_t* cr, int w, int h) {
    RoundedRect(cr, 4, 4, w - 8, h - 8, h / 2.0 - 4);
    SetVerticalGradient(cr, 4, h - 4, palette::kAccentTop, palette::kAccentBottom);
    cairo_fill(cr);
}

// The loading animation's word and the end of the quest's title.
DrawFunction Title(const char* text, double size) {
    return [text, size](cairo_t* cr, int w, int h) {
        SetFont(cr, true, size);
        CentredText(cr, text, w / 2.0, h / 2.0 + size / 3, palette::kGold, 4, palette::kInk);
    };
}

void QuestPanel(cairo_t* cr, int w, int h) {
    Card(cr, 4, 4, w - 8, h - 8, palette::kCornerRadius, palette::kPanelTop,
         palette::kPanelBottom, palette::kPanelEdge, true);
}

} // namespace

std::vector<Picture> QuestPictures() {
    std::vector<Picture> pictures = {
        {"gpx/worldmap/worldmap.jpg", 1024, 768, Format::kJpeg, WorldMap, {}},
        {"gpx/worldmap/node_lock.png", 48, 48, Format::kPng, NodeLock, {}},
        {"gpx/worldmap/goal.png", 24, 24, Format::kPng, GoalIcon, {}},
        {"gpx/worldmap/cloud_locked.png", 450, 350, Format::kPng, Cloud(0.95), {}},
        {"gpx/worldmap/cloud_unlocked.png", 450, 350, Format::kPng, Cloud(0.8), {}},
        {"fx/tex/carleft.png", 48, 32, Format::kPng, Car, {}},
        {"fx/tex/shipleft.png", 48, 48, Format::kPng, Ship, {}},
        {"fx/tex/empty.png", 8, 8, Format::kPng, Nothing, {}},
        {"gpx/worldmap/birds.png", 64, 32, Format::kPng, Birds, {}},
        {"gpx/loading/curtain_closed.jpg", 1024, 768, Format::kJpeg, ClosedCurtain, {}},
        {"gpx/loading/bar_background.png", 420, 32, Format::kPng, BarBackground, {}},
        {"gpx/loading/bar.png", 420, 32, Format::kPng, Bar, {}},
        {"gpx/loading/loading.png", 360, 80, Format::kPng, Title("Loading", 48), {}},
        {"gpx/loading/ready.png", 360, 80, Format::kPng, Title("Ready!", 48), {}},
        {"gpx/finish/title.png", 800, 140, Format::kPng, Title("Quest complete!", 72), {}},
        {"gpx/finish/panel.png", 520, 260, Format::kPng, QuestPanel, {}},
    };
    const char* kinds[] = {"classic", "blitz", "strategy", "joker", "cradle", "done"};
    const char* states[] = {"_off", "_on", "_off_over"};
    for (const char* kind : kinds)
        for (int s = 0; s < 3; ++s)
            pictures.push_back({std::string("gpx/worldmap/node_") + kind + states[s] + ".png", 48,
                                48, Format::kPng, NodeButton(kind, s), {}});
    return pictures;
}

} // namespace imagegen
