// The four avatars (a boy, a girl, a dog and a cat) of the bottom panel and
// the score card. Each character is one drawing function over a pose: how
// high it bounces, how it squashes, where its arms, ears and tail point and
// how its eyes and mouth look. An animation is a pose as a function of its
// time. The frames are registered at their top-left corner: the panel and
// the card place the clip from a window's top-left, and the figure stands
// on the bottom of its frame.

#include "Recipes.h"

#include <cmath>
#include <functional>
#include <string>

namespace imagegen {

using palette::Rgb;

namespace {

const double kPi = std::acos(-1.0);

constexpr int kAvatarW = 150;
constexpr int kAvatarH = 170;
// The middle of the figure and the line its feet stand on.
constexpr double kMid = kAvatarW / 2.0;
constexpr double kGround = 164;
// The figures are drawn in a box of the frame's size and shrunk a little
// about their feet, so that a jump keeps the head inside the frame.
constexpr double kFigureScale = 0.92;

enum class Eyes { kOpen, kBlink, kHappy, kWide };
enum class Mouth { kSmile, kOpen, kWorried };

struct Pose {
    double bounce = 0;     // pixels the figure is lifted off the ground
    double squash = 1;     // height factor about the feet (the width makes up for it)
    double shiver = 0;     // pixels sideways
    double armLeft = 0.15; // radians from hanging straight down, outwards
    double armRight = 0.15;
    double bend = 0.2; // elbow: positive turns the forearm in towards the body
    double ears = 0;   // radians: positive lifts the ears, negative lays them back
    double tail = 0;   // radians: positive raises the tail
    Eyes eyes = Eyes::kOpen;
    Mouth mouth = Mouth::kSmile;
    double sweat = -1;   // 0..1: a drop running down the temple (< 0: none)
    double sparkle = -1; // 0..1: stars twinkling round the head (< 0: none)
};

// ---- shared pieces ----

// Fills the current path with a soft top-to-bottom gradient of the colour
// and outlines it in a dark shade of it.
void Fill(cairo_t* cr, Rgb colour, double top, double bottom) {
    SetVerticalGradient(cr, top, bottom, Lighten(colour, 0.18), Darken(colour, 0.08));
    cairo_fill_preserve(cr);
    SetColour(cr, Darken(colour, 0.6));
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
}

void Ellipse(cairo_t* cr, double cx, double cy, double rx, double ry) {
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, rx, ry);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
    cairo_restore(cr);
}

// A thick outlined stroke along the current path (limbs, tails).
void Limb(cairo_t* cr, Rgb colour, double width) {
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    SetColour(cr, Darken(colour, 0.6));
    cairo_set_line_width(cr, width + 4);
    cairo_stroke_preserve(cr);
    SetColour(cr, colour);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
}

// An arm from the shoulder: `side` -1 is the figure's right (our left), +1
// its left. The upper arm points `angle` from straight down, outwards; the
// forearm turns `bend` further round (in towards the body when the arm is
// raised). Draws the sleeve over the upper arm when a sleeve colour is given
// and ends in a round hand or paw.
void Arm(cairo_t* cr, double side, double shoulderX, double shoulderY, double angle, double bend,
         double upper, double lower, Rgb skin, const Rgb* sleeve, double width, double hand) {
    const double ex = shoulderX + side * upper * std::sin(angle);
    const double ey = shoulderY + upper * std::cos(angle);
    const double hx = ex + side * lower * std::sin(angle + bend);
    const double hy = ey + lower * std::cos(angle + bend);
    cairo_move_to(cr, shoulderX, shoulderY);
    cairo_line_to(cr, ex, ey);
    cairo_line_to(cr, hx, hy);
    Limb(cr, skin, width);
    if (sleeve) {
        cairo_move_to(cr, shoulderX, shoulderY);
        cairo_line_to(cr, shoulderX + side * upper * 0.55 * std::sin(angle),
                      shoulderY + upper * 0.55 * std::cos(angle));
        Limb(cr, *sleeve, width + 3);
    }
    cairo_new_path(cr);
    cairo_arc(cr, hx, hy, hand, 0, 2 * kPi);
    Fill(cr, skin, hy - hand, hy + hand);
}

void DrawEyes(cairo_t* cr, double cx, double cy, double spacing, double size, Eyes eyes) {
    for (double side : {-1.0, 1.0}) {
        const double x = cx + side * spacing;
        cairo_new_path(cr);
        switch (eyes) {
        case Eyes::kOpen:
        case Eyes::kWide: {
            const bool wide = eyes == Eyes::kWide;
            const double rx = size * (wide ? 1.05 : 0.8), ry = size * (wide ? 1.25 : 1.05);
            Ellipse(cr, x, cy, rx, ry);
            SetColour(cr, palette::kWhite);
            cairo_fill_preserve(cr);
            SetColour(cr, palette::kInk);
            cairo_set_line_width(cr, 1.5);
            cairo_stroke(cr);
            const double pupil = size * (wide ? 0.38 : 0.6);
            cairo_arc(cr, x + side * (wide ? 0 : 0.8), cy + (wide ? 0 : 1), pupil, 0, 2 * kPi);
            SetColour(cr, palette::kInk);
            cairo_fill(cr);
            cairo_arc(cr, x - pupil * 0.35, cy - pupil * 0.4, pupil * 0.35, 0, 2 * kPi);
            SetColour(cr, palette::kWhite);
            cairo_fill(cr);
            break;
        }
        case Eyes::kBlink:
            cairo_move_to(cr, x - size * 0.8, cy + 1);
            cairo_curve_to(cr, x - size * 0.3, cy + size * 0.5, x + size * 0.3, cy + size * 0.5,
                           x + size * 0.8, cy + 1);
            SetColour(cr, palette::kInk);
            cairo_set_line_width(cr, 2);
            cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
            cairo_stroke(cr);
            break;
        case Eyes::kHappy:
            // Closed in a smile: arches.
            cairo_move_to(cr, x - size * 0.85, cy + size * 0.35);
            cairo_curve_to(cr, x - size * 0.5, cy - size * 0.75, x + size * 0.5, cy - size * 0.75,
                           x + size * 0.85, cy + size * 0.35);
            SetColour(cr, palette::kInk);
            cairo_set_line_width(cr, 2.5);
            cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
            cairo_stroke(cr);
            break;
        }
    }
}

void DrawMouth(cairo_t* cr, double cx, double cy, double width, Mouth mouth) {
    cairo_new_path(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    switch (mouth) {
    case Mouth::kSmile:
        cairo_move_to(cr, cx - width / 2, cy - 1);
        cairo_curve_to(cr, cx - width / 4, cy + width * 0.35, cx + width / 4, cy + width * 0.35,
                       cx + width / 2, cy - 1);
        SetColour(cr, palette::kInk);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
        break;
    case Mouth::kOpen:
        // A wide open laugh with a tongue.
        cairo_move_to(cr, cx - width * 0.6, cy - 2);
        cairo_line_to(cr, cx + width * 0.6, cy - 2);
        cairo_curve_to(cr, cx + width * 0.55, cy + width * 0.75, cx - width * 0.55,
                       cy + width * 0.75, cx - width * 0.6, cy - 2);
        cairo_close_path(cr);
        SetColour(cr, Darken(palette::kRed, 0.45));
        cairo_fill_preserve(cr);
        cairo_save(cr);
        cairo_clip_preserve(cr);
        cairo_new_path(cr);
        Ellipse(cr, cx, cy + width * 0.55, width * 0.35, width * 0.25);
        SetColour(cr, palette::kRose);
        cairo_fill(cr);
        cairo_restore(cr);
        SetColour(cr, palette::kInk);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
        break;
    case Mouth::kWorried:
        // A small open "o" under a wobbly lip.
        Ellipse(cr, cx, cy + 3, width * 0.22, width * 0.28);
        SetColour(cr, Darken(palette::kRed, 0.45));
        cairo_fill_preserve(cr);
        SetColour(cr, palette::kInk);
        cairo_set_line_width(cr, 2);
        cairo_stroke(cr);
        break;
    }
}

void Cheeks(cairo_t* cr, double cx, double cy, double spacing) {
    for (double side : {-1.0, 1.0}) {
        cairo_new_path(cr);
        Ellipse(cr, cx + side * spacing, cy, 5, 3.2);
        SetColour(cr, palette::kCheek, 0.45);
        cairo_fill(cr);
    }
}

// A sweat drop by the temple, sliding down as u runs from 0 to 1.
void Sweat(cairo_t* cr, double x, double y, double u) {
    if (u < 0)
        return;
    const double dy = y + 14 * u;
    cairo_new_path(cr);
    cairo_move_to(cr, x, dy - 7);
    cairo_curve_to(cr, x + 5, dy, x + 5, dy + 4, x, dy + 4);
    cairo_curve_to(cr, x - 5, dy + 4, x - 5, dy, x, dy - 7);
    cairo_close_path(cr);
    SetColour(cr, palette::kIce, 1.0 - 0.6 * u);
    cairo_fill_preserve(cr);
    SetColour(cr, palette::kSky, 1.0 - 0.6 * u);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
}

// Stars round the head, each growing and shrinking in its own turn.
void Sparkles(cairo_t* cr, double u) {
    if (u < 0)
        return;
    const double places[4][2] = {{18, 30}, {132, 24}, {24, 92}, {128, 84}};
    const Rgb colours[4] = {palette::kGold, palette::kRose, palette::kSky, palette::kGold};
    for (int i = 0; i < 4; ++i) {
        const double phase = std::fmod(u + i * 0.25, 1.0);
        const double size = 9 * std::sin(kPi * phase);
        if (size < 0.5)
            continue;
        StarPath(cr, places[i][0], places[i][1], size, size * 0.4, 4, phase * kPi / 2);
        SetColour(cr, colours[i]);
        cairo_fill_preserve(cr);
        SetColour(cr, palette::kWhite, 0.9);
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
    }
}

// The ground shadow (it shrinks as the figure leaves the ground), then the
// figure's own transform: lifted, squashed about its feet, shaken.
void Stage(cairo_t* cr, const Pose& pose) {
    const double shrink = 1.0 / (1.0 + pose.bounce / 25.0);
    cairo_new_path(cr);
    Ellipse(cr, kMid, kGround - 1, 36 * shrink, 4 * shrink);
    SetColour(cr, palette::kBlack, 0.25 * shrink);
    cairo_fill(cr);
    cairo_translate(cr, kMid + pose.shiver, kGround - pose.bounce);
    cairo_scale(cr, kFigureScale * (1.0 + (1.0 - pose.squash) * 0.6), kFigureScale * pose.squash);
    cairo_translate(cr, -kMid, -kGround);
}

// A child's legs from the hips (`hip` either side of the middle, at
// height `top`) down to the shoes, which stand on the ground.
void Legs(cairo_t* cr, double hip, double top, double width, double shoe, double shoeWidth,
          Rgb shoeColour) {
    for (double side : {-1.0, 1.0}) {
        cairo_move_to(cr, kMid + side * hip, top);
        cairo_line_to(cr, kMid + side * (hip + 2), 155);
        Limb(cr, palette::kSkin, width);
        cairo_new_path(cr);
        Ellipse(cr, kMid + side * shoe, 158, shoeWidth, 6);
        Fill(cr, shoeColour, 152, 164);
    }
}

// ---- the characters, drawn standing in the frame's box ----

void DrawBoy(cairo_t* cr, const Pose& pose) {
    const Rgb shirt = palette::kSky;
    Legs(cr, 10, 128, 10, 15, 11, palette::kShoe);
    // Shorts, then the shirt over their waist.
    RoundedRect(cr, kMid - 21, 118, 42, 20, 5);
    Fill(cr, palette::kShorts, 118, 138);
    RoundedRect(cr, kMid - 22, 90, 44, 36, 12);
    Fill(cr, shirt, 90, 126);
    StarPath(cr, kMid, 108, 8, 3.5, 5, 0);
    SetColour(cr, palette::kWhite, 0.9);
    cairo_fill(cr);
    // Ears, head, face.
    for (double side : {-1.0, 1.0}) {
        cairo_new_path(cr);
        cairo_arc(cr, kMid + side * 30, 62, 7, 0, 2 * kPi);
        Fill(cr, palette::kSkin, 55, 69);
    }
    cairo_new_path(cr);
    cairo_arc(cr, kMid, 58, 31, 0, 2 * kPi);
    Fill(cr, palette::kSkin, 27, 89);
    DrawEyes(cr, kMid, 62, 11, 6, pose.eyes);
    Cheeks(cr, kMid, 73, 19);
    DrawMouth(cr, kMid, 77, 14, pose.mouth);
    // Hair: a cap over the top of the head with a spiky fringe.
    cairo_new_path(cr);
    cairo_arc(cr, kMid, 58, 33, kPi * 1.02, kPi * 1.98);
    const double fringe[][2] = {{28, 52},  {18, 44},  {12, 50},  {4, 41},  {-4, 48},
                                {-12, 40}, {-20, 47}, {-26, 42}, {-32, 55}};
    for (const auto& point : fringe)
        cairo_line_to(cr, kMid + point[0], point[1]);
    cairo_close_path(cr);
    Fill(cr, palette::kBoyHair, 24, 56);
    // A tuft on the crown.
    cairo_move_to(cr, kMid - 3, 27);
    cairo_curve_to(cr, kMid - 2, 18, kMid + 6, 14, kMid + 10, 16);
    cairo_curve_to(cr, kMid + 6, 19, kMid + 5, 23, kMid + 6, 27);
    cairo_close_path(cr);
    Fill(cr, palette::kBoyHair, 14, 27);
    Sweat(cr, kMid + 27, 40, pose.sweat);
    // Arms last: they wave in front of everything.
    Arm(cr, -1, kMid - 20, 97, pose.armLeft, pose.bend, 21, 20, palette::kSkin, &shirt, 9, 6.5);
    Arm(cr, 1, kMid + 20, 97, pose.armRight, pose.bend, 21, 20, palette::kSkin, &shirt, 9, 6.5);
}

void DrawGirl(cairo_t* cr, const Pose& pose) {
    const Rgb dress = palette::kRose;
    Legs(cr, 9, 130, 9, 14, 10, palette::kRed);
    // Hair behind the head, down to the shoulders.
    cairo_new_path(cr);
    cairo_move_to(cr, kMid - 34, 96);
    cairo_curve_to(cr, kMid - 44, 50, kMid - 30, 20, kMid, 21);
    cairo_curve_to(cr, kMid + 30, 20, kMid + 44, 50, kMid + 34, 96);
    cairo_curve_to(cr, kMid + 15, 102, kMid - 15, 102, kMid - 34, 96);
    cairo_close_path(cr);
    Fill(cr, palette::kGirlHair, 21, 100);
    // A dress flaring from the shoulders, with a white collar.
    cairo_new_path(cr);
    cairo_move_to(cr, kMid - 17, 90);
    cairo_line_to(cr, kMid + 17, 90);
    cairo_curve_to(cr, kMid + 24, 110, kMid + 30, 128, kMid + 33, 140);
    cairo_curve_to(cr, kMid + 10, 146, kMid - 10, 146, kMid - 33, 140);
    cairo_curve_to(cr, kMid - 30, 128, kMid - 24, 110, kMid - 17, 90);
    cairo_close_path(cr);
    Fill(cr, dress, 90, 146);
    for (int i = 0; i < 5; ++i) {
        cairo_new_path(cr);
        cairo_arc(cr, kMid - 18 + i * 9, 134, 2.2, 0, 2 * kPi);
        SetColour(cr, palette::kWhite, 0.85);
        cairo_fill(cr);
    }
    cairo_new_path(cr);
    cairo_move_to(cr, kMid - 12, 90);
    cairo_curve_to(cr, kMid - 8, 100, kMid - 2, 98, kMid, 94);
    cairo_curve_to(cr, kMid + 2, 98, kMid + 8, 100, kMid + 12, 90);
    cairo_close_path(cr);
    Fill(cr, palette::kWhite, 90, 100);
    // Head and face.
    cairo_new_path(cr);
    cairo_arc(cr, kMid, 58, 30, 0, 2 * kPi);
    Fill(cr, palette::kSkin, 28, 88);
    DrawEyes(cr, kMid, 62, 11, 6, pose.eyes);
    if (pose.eyes == Eyes::kOpen || pose.eyes == Eyes::kWide) {
        // Lashes.
        SetColour(cr, palette::kInk);
        cairo_set_line_width(cr, 1.5);
        for (double side : {-1.0, 1.0}) {
            cairo_move_to(cr, kMid + side * 16, 57);
            cairo_line_to(cr, kMid + side * 20, 54);
        }
        cairo_stroke(cr);
    }
    Cheeks(cr, kMid, 72, 18);
    DrawMouth(cr, kMid, 77, 13, pose.mouth);
    // Fringe over the forehead, and two bunches with bows that swing with
    // the ears' angle.
    cairo_new_path(cr);
    cairo_arc(cr, kMid, 58, 32, kPi * 1.0, kPi * 2.0);
    cairo_curve_to(cr, kMid + 26, 44, kMid + 14, 40, kMid + 4, 46);
    cairo_curve_to(cr, kMid - 4, 38, kMid - 20, 40, kMid - 32, 58);
    cairo_close_path(cr);
    Fill(cr, palette::kGirlHair, 26, 58);
    for (double side : {-1.0, 1.0}) {
        cairo_save(cr);
        cairo_translate(cr, kMid + side * 31, 42);
        cairo_rotate(cr, -side * (0.35 + pose.ears));
        cairo_new_path(cr);
        Ellipse(cr, side * 10, 10, 9, 16);
        Fill(cr, palette::kGirlHair, -6, 26);
        cairo_new_path(cr);
        cairo_move_to(cr, 0, 0);
        cairo_line_to(cr, -8, -6);
        cairo_line_to(cr, -8, 6);
        cairo_close_path(cr);
        cairo_move_to(cr, 0, 0);
        cairo_line_to(cr, 8, -6);
        cairo_line_to(cr, 8, 6);
        cairo_close_path(cr);
        Fill(cr, palette::kPlum, -6, 6);
        cairo_restore(cr);
    }
    Sweat(cr, kMid + 26, 44, pose.sweat);
    Arm(cr, -1, kMid - 17, 97, pose.armLeft, pose.bend, 20, 19, palette::kSkin, &dress, 8, 6);
    Arm(cr, 1, kMid + 17, 97, pose.armRight, pose.bend, 20, 19, palette::kSkin, &dress, 8, 6);
}

// A curved tail from its root, raised by `angle`.
void Tail(cairo_t* cr, double rootX, double rootY, double angle, double length, Rgb colour,
          double width, double curl) {
    const double a = -0.4 - angle; // 0 lies out to the side, a bit up
    const double tx = rootX + length * std::cos(a);
    const double ty = rootY + length * std::sin(a);
    cairo_move_to(cr, rootX, rootY);
    cairo_curve_to(
        cr, rootX + length * 0.5 * std::cos(a + curl), rootY + length * 0.5 * std::sin(a + curl),
        tx - length * 0.2 * std::cos(a - curl), ty - length * 0.2 * std::sin(a - curl), tx, ty);
    Limb(cr, colour, width);
}

// The sizes of an animal's body: an upright oval with a light belly, on
// two round feet.
struct BodyShape {
    double centreY, width, height; // the oval's centre and radii
    double bellyWidth, bellyHeight;
    double footX, footWidth, footHeight; // feet either side of the middle
};

void AnimalBody(cairo_t* cr, const BodyShape& body, Rgb coat, Rgb feet) {
    cairo_new_path(cr);
    Ellipse(cr, kMid, body.centreY, body.width, body.height);
    Fill(cr, coat, body.centreY - body.height, 156);
    cairo_new_path(cr);
    Ellipse(cr, kMid, 130, body.bellyWidth, body.bellyHeight);
    SetColour(cr, palette::kMuzzle, 0.9);
    cairo_fill(cr);
    for (double side : {-1.0, 1.0}) {
        cairo_new_path(cr);
        Ellipse(cr, kMid + side * body.footX, 157, body.footWidth, body.footHeight);
        Fill(cr, feet, 150, 164);
    }
}

void DrawDog(cairo_t* cr, const Pose& pose) {
    const Rgb coat = palette::kDogCoat;
    Tail(cr, kMid + 20, 136, pose.tail, 34, coat, 8, 0.8);
    // Body with a light belly, and two round feet.
    AnimalBody(cr, {124, 28, 32, 17, 22, 15, 12, 7}, coat, coat);
    // A red collar with a gold tag.
    RoundedRect(cr, kMid - 22, 88, 44, 8, 4);
    Fill(cr, palette::kRed, 88, 96);
    cairo_new_path(cr);
    cairo_arc(cr, kMid, 99, 4.5, 0, 2 * kPi);
    Fill(cr, palette::kGold, 95, 104);
    // Head: round, with a patch round one eye and a light muzzle.
    cairo_new_path(cr);
    Ellipse(cr, kMid, 58, 33, 31);
    Fill(cr, coat, 27, 89);
    cairo_new_path(cr);
    Ellipse(cr, kMid + 11, 58, 10, 11);
    SetColour(cr, palette::kDogPatch, 0.85);
    cairo_fill(cr);
    cairo_new_path(cr);
    Ellipse(cr, kMid, 76, 17, 12);
    Fill(cr, palette::kMuzzle, 64, 88);
    DrawEyes(cr, kMid, 58, 11, 6, pose.eyes);
    cairo_new_path(cr);
    Ellipse(cr, kMid, 69, 6, 4.5);
    SetColour(cr, palette::kInk);
    cairo_fill(cr);
    cairo_new_path(cr);
    cairo_arc(cr, kMid - 2, 67.5, 1.5, 0, 2 * kPi);
    SetColour(cr, palette::kWhite, 0.8);
    cairo_fill(cr);
    DrawMouth(cr, kMid, 79, 12, pose.mouth);
    // Floppy ears hanging from the top of the head: flapped outwards when
    // glad, hanging limp when afraid. Each is drawn as the left one,
    // mirrored for the right.
    for (double side : {-1.0, 1.0}) {
        cairo_save(cr);
        cairo_translate(cr, kMid + side * 24, 36);
        cairo_rotate(cr, side * (pose.ears >= 0 ? 0.1 - 1.1 * pose.ears : 0.18));
        cairo_scale(cr, side, 1);
        cairo_new_path(cr);
        cairo_move_to(cr, 6, 0);
        cairo_curve_to(cr, 22, 6, 20, 30, 10, 38);
        cairo_curve_to(cr, 2, 42, -2, 34, -6, 0);
        cairo_close_path(cr);
        cairo_restore(cr);
        Fill(cr, palette::kDogPatch, 36, 78);
    }
    Sweat(cr, kMid - 28, 42, pose.sweat);
    Arm(cr, -1, kMid - 20, 104, pose.armLeft, pose.bend, 15, 14, coat, nullptr, 10, 7.5);
    Arm(cr, 1, kMid + 20, 104, pose.armRight, pose.bend, 15, 14, coat, nullptr, 10, 7.5);
}

void DrawCat(cairo_t* cr, const Pose& pose) {
    const Rgb coat = palette::kCatCoat;
    Tail(cr, kMid + 18, 142, pose.tail + 0.5, 46, coat, 7, -1.2);
    // Body, belly and white feet.
    AnimalBody(cr, {126, 25, 30, 14, 20, 13, 11, 6.5}, coat, palette::kMuzzle);
    // Pointed ears (behind the head): up when glad, flat when afraid.
    for (double side : {-1.0, 1.0}) {
        cairo_save(cr);
        cairo_translate(cr, kMid + side * 20, 38);
        cairo_rotate(cr, side * (0.3 - pose.ears));
        cairo_new_path(cr);
        cairo_move_to(cr, -11, 6);
        cairo_line_to(cr, side * 2, -24);
        cairo_line_to(cr, 11, 6);
        cairo_close_path(cr);
        Fill(cr, coat, -24, 6);
        cairo_move_to(cr, -6, 3);
        cairo_line_to(cr, side * 1.5, -15);
        cairo_line_to(cr, 6, 3);
        cairo_close_path(cr);
        SetColour(cr, palette::kInnerEar);
        cairo_fill(cr);
        cairo_restore(cr);
    }
    // Head with stripes on the brow and a white muzzle.
    cairo_new_path(cr);
    Ellipse(cr, kMid, 62, 33, 28);
    Fill(cr, coat, 34, 90);
    SetColour(cr, palette::kCatStripe);
    cairo_set_line_width(cr, 3);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int i = -1; i <= 1; ++i) {
        cairo_move_to(cr, kMid + i * 7, 36);
        cairo_line_to(cr, kMid + i * 6, 45);
    }
    cairo_stroke(cr);
    cairo_new_path(cr);
    Ellipse(cr, kMid - 8, 76, 11, 9);
    Ellipse(cr, kMid + 8, 76, 11, 9);
    SetColour(cr, palette::kMuzzle);
    cairo_fill(cr);
    DrawEyes(cr, kMid, 60, 12, 6.5, pose.eyes);
    // Nose, whiskers, mouth.
    cairo_move_to(cr, kMid - 4, 70);
    cairo_line_to(cr, kMid + 4, 70);
    cairo_line_to(cr, kMid, 74);
    cairo_close_path(cr);
    SetColour(cr, palette::kInnerEar);
    cairo_fill_preserve(cr);
    SetColour(cr, Darken(palette::kInnerEar, 0.5));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    SetColour(cr, palette::kInk, 0.7);
    cairo_set_line_width(cr, 1.2);
    for (double side : {-1.0, 1.0}) {
        for (int i = -1; i <= 1; ++i) {
            cairo_move_to(cr, kMid + side * 14, 76 + i * 3);
            cairo_line_to(cr, kMid + side * 32, 74 + i * 6);
        }
    }
    cairo_stroke(cr);
    if (pose.mouth == Mouth::kSmile) {
        // The cat's "w".
        cairo_move_to(cr, kMid - 7, 77);
        cairo_curve_to(cr, kMid - 5, 81, kMid - 1, 81, kMid, 76);
        cairo_curve_to(cr, kMid + 1, 81, kMid + 5, 81, kMid + 7, 77);
        SetColour(cr, palette::kInk);
        cairo_set_line_width(cr, 1.8);
        cairo_stroke(cr);
    } else {
        DrawMouth(cr, kMid, 80, 11, pose.mouth);
    }
    Sweat(cr, kMid + 28, 46, pose.sweat);
    Arm(cr, -1, kMid - 18, 106, pose.armLeft, pose.bend, 14, 13, coat, nullptr, 9, 7);
    Arm(cr, 1, kMid + 18, 106, pose.armRight, pose.bend, 14, 13, coat, nullptr, 9, 7);
}

// ---- the moods as poses over time ----

// Standing: breathing, arms swaying a little, the tail wagging slowly, one
// blink.
Pose StandPose(double t, int frames) {
    const double s = std::sin(2 * kPi * t);
    Pose pose;
    pose.bounce = 1.0 + s;
    pose.squash = 1.0 - 0.015 * s;
    pose.armLeft = 0.14 + 0.05 * s;
    pose.armRight = 0.14 - 0.05 * s;
    pose.ears = 0.06 * s;
    pose.tail = 0.35 * std::sin(4 * kPi * t);
    const int frame = static_cast<int>(std::lround(t * frames));
    pose.eyes = frame == frames * 3 / 4 ? Eyes::kBlink : Eyes::kOpen;
    return pose;
}

// Happy: a hop with both arms up and waving, crouching on landing.
Pose HappyPose(double t) {
    const double hop = std::sin(kPi * t);
    const double wave = std::sin(4 * kPi * t);
    Pose pose;
    pose.bounce = 16 * hop;
    pose.squash = 1.0 - 0.1 * std::pow(1.0 - hop, 3);
    pose.armLeft = 2.3 + 0.3 * wave;
    pose.armRight = 2.3 - 0.3 * wave;
    pose.bend = -0.35;
    pose.ears = 0.45 * hop;
    pose.tail = 0.5 + 0.5 * wave;
    pose.eyes = Eyes::kHappy;
    pose.mouth = Mouth::kOpen;
    return pose;
}

// Scared: shaking on the spot, hands to the cheeks, eyes wide, ears and
// tail down, a drop of sweat running.
Pose ScarePose(double t, int frames) {
    const int frame = static_cast<int>(std::lround(t * frames));
    Pose pose;
    pose.shiver = frame % 2 ? 2.0 : -2.0;
    pose.squash = 0.96;
    pose.armLeft = 1.9 + (frame % 2 ? 0.05 : 0.0);
    pose.armRight = 1.9 + (frame % 2 ? 0.0 : 0.05);
    pose.bend = 2.1;
    pose.ears = -0.5;
    pose.tail = -0.9;
    pose.eyes = Eyes::kWide;
    pose.mouth = Mouth::kWorried;
    pose.sweat = t;
    return pose;
}

// Winning: two jumps with both arms straight up, pumping, and stars round
// the head.
Pose WinPose(double t) {
    const double jump = std::fabs(std::sin(2 * kPi * t));
    const double pump = std::sin(4 * kPi * t);
    Pose pose;
    pose.bounce = 12 * jump;
    pose.squash = 1.0 - 0.08 * std::pow(1.0 - jump, 3);
    pose.armLeft = 2.8 + 0.18 * pump;
    pose.armRight = 2.8 + 0.18 * pump;
    pose.bend = -0.15;
    pose.ears = 0.5;
    pose.tail = 0.6 + 0.6 * std::sin(8 * kPi * t);
    pose.eyes = Eyes::kHappy;
    pose.mouth = Mouth::kOpen;
    pose.sparkle = t;
    return pose;
}

// Greeting: a little hop, then the right arm waves overhead while the
// left one stays down; the eyes smile. Plays once and ends.
Pose GreetPose(double t) {
    const double hop = t < 0.25 ? std::sin(kPi * t / 0.25) : 0.0;
    // Five half-waves over the frames: no two frames in a row alike.
    const double wave = std::sin(5 * kPi * t);
    Pose pose;
    pose.bounce = 8 * hop;
    pose.squash = 1.0 - 0.05 * hop;
    pose.armLeft = 0.2;
    pose.armRight = 2.5 + 0.35 * wave;
    pose.bend = -0.3 + 0.3 * wave;
    pose.ears = 0.3 * std::fabs(wave);
    pose.tail = 0.4 + 0.4 * wave;
    pose.eyes = Eyes::kHappy;
    pose.mouth = Mouth::kOpen;
    return pose;
}

// A script that plays every frame once, `delay` milliseconds each, and ends.
std::string OnceScript(int frames, int delay) {
    std::string list;
    for (int i = 1; i <= frames; ++i)
        list += (i > 1 ? "," : "") + std::to_string(i);
    return "function DoAnim()\n    delay(" + std::to_string(delay) + ");\n    frames{" + list +
           "};\nend\n";
}

// A script that plays every frame, `delay` milliseconds each, for ever; and
// the same loop under each of `extra` further sequence names.
std::string LoopScript(int frames, int delay, const char* extra = nullptr) {
    std::string list;
    for (int i = 1; i <= frames; ++i)
        list += (i > 1 ? "," : "") + std::to_string(i);
    std::string script = "function DoAnim()\n    delay(" + std::to_string(delay) +
                         ");\n    while true do\n        frames{" + list + "};\n    end\nend\n";
    if (extra)
        script += std::string("\nfunction ") + extra + "()\n    DoAnim();\nend\n";
    return script;
}

using CharacterDraw = void (*)(cairo_t*, const Pose&);

constexpr int kStandFrames = 12;
constexpr int kHappyFrames = 12;
// Lose: the figure sags, arms hanging, eyes shut and a worried mouth,
// with a slow sigh that lifts and drops the shoulders.
Pose LosePose(double t) {
    const double s = std::sin(2 * kPi * t);
    Pose pose;
    pose.squash = 0.94 + 0.02 * s;
    pose.armLeft = 0.05;
    pose.armRight = 0.05;
    pose.bend = 0.05;
    pose.ears = -0.7;
    pose.tail = -1.0;
    pose.eyes = Eyes::kBlink;
    pose.mouth = Mouth::kWorried;
    pose.sweat = t;
    return pose;
}

constexpr int kScareFrames = 10;
constexpr int kLoseFrames = 12;
constexpr int kWinFrames = 16;
constexpr int kGreetFrames = 16;

} // namespace

std::vector<Animation> AvatarAnimations() {
    const struct {
        const char* prefix;
        CharacterDraw draw;
    } characters[] = {{"m", DrawBoy}, {"f", DrawGirl}, {"d", DrawDog}, {"c", DrawCat}};
    std::vector<Animation> animations;
    for (const auto& character : characters) {
        const CharacterDraw draw = character.draw;
        const std::string folder = std::string("gpx/avatar/") + character.prefix + "avatar_";
        const auto add = [&](const char* mood, int frames, int delay,
                             std::function<Pose(double)> pose, const char* extra = nullptr) {
            Animation animation{folder + mood + ".xml", frames, kAvatarW, kAvatarH,
                                [draw, pose](cairo_t* cr, int, int, double t) {
                                    const Pose now = pose(t);
                                    cairo_save(cr);
                                    Stage(cr, now);
                                    draw(cr, now);
                                    cairo_restore(cr);
                                    Sparkles(cr, now.sparkle);
                                }};
            animation.script = LoopScript(frames, delay, extra);
            animation.registerTopLeft = true;
            animations.push_back(std::move(animation));
        };
        add("stand", kStandFrames, 110, [](double t) { return StandPose(t, kStandFrames); });
        add("happy", kHappyFrames, 60, HappyPose);
        add("scare", kScareFrames, 50, [](double t) { return ScarePose(t, kScareFrames); });
        add("score_win", kWinFrames, 70, WinPose, "win");
        add("greeting", kGreetFrames, 70, GreetPose);
        animations.back().script = OnceScript(kGreetFrames, 70);
        add("score_lose", kLoseFrames, 120, LosePose);
    }
    return animations;
}

std::vector<Picture> AvatarButtonPictures() {
    const struct {
        const char* name;
        CharacterDraw draw;
    } characters[] = {{"boy", DrawBoy}, {"girl", DrawGirl}, {"dog", DrawDog}, {"cat", DrawCat}};
    // The plate of a button in its look: off, on (chosen), off and on under
    // the pointer.
    const char* looks[] = {"off", "on", "off_over", "on_over"};
    std::vector<Picture> pictures;
    for (const auto& character : characters) {
        for (int look = 0; look < 4; ++look) {
            const CharacterDraw draw = character.draw;
            const bool on = look == 1 || look == 3;
            const bool over = look >= 2;
            pictures.push_back(
                {std::string("gpx/register/avatar_") + character.name + "_" + looks[look] + ".png",
                 120,
                 136,
                 Format::kPng,
                 [draw, on, over](cairo_t* cr, int w, int h) {
                     Rgb top = over ? Lighten(palette::kPanelTop, 0.1) : palette::kPanelTop;
                     Rgb bottom = on ? Lighten(palette::kGold, 0.35) : palette::kPanelBottom;
                     Card(cr, 4, 3, w - 8, h - 10, palette::kCornerRadius, top, bottom,
                          on ? Darken(palette::kGold, 0.4) : palette::kPanelEdge, true);
                     if (on || over) {
                         RoundedRect(cr, 7, 6, w - 14, h - 16, palette::kCornerRadius - 2);
                         SetColour(cr, on ? palette::kGold : palette::kAccentTop, 0.9);
                         cairo_set_line_width(cr, on ? 4 : 2.5);
                         cairo_stroke(cr);
                     }
                     cairo_save(cr);
                     const double scale = 0.72;
                     cairo_translate(cr, (w - kAvatarW * scale) / 2.0, 8);
                     cairo_scale(cr, scale, scale);
                     Pose pose = StandPose(0.0, kStandFrames);
                     if (on)
                         pose.eyes = Eyes::kHappy;
                     Stage(cr, pose);
                     draw(cr, pose);
                     cairo_restore(cr);
                 },
                 {}});
        }
    }
    // The picture in place of an avatar not earned yet: a grey plate with a
    // shadowy figure and a padlock.
    pictures.push_back({"gpx/register/avatar_lock.png",
                        120,
                        136,
                        Format::kPng,
                        [](cairo_t* cr, int w, int h) {
                            Card(cr, 4, 3, w - 8, h - 10, palette::kCornerRadius,
                                 Rgb{0.80, 0.78, 0.82}, Rgb{0.60, 0.58, 0.64},
                                 Rgb{0.35, 0.33, 0.39}, true);
                            Ellipse(cr, w / 2.0, 46, 24, 24);
                            SetColour(cr, Rgb{0.45, 0.43, 0.50}, 0.8);
                            cairo_fill(cr);
                            Ellipse(cr, w / 2.0, 100, 34, 26);
                            cairo_fill(cr);
                            Padlock(cr, w / 2.0, 78, 52);
                        },
                        {}});
    return pictures;
}

} // namespace imagegen
