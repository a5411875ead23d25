// The bottom panel of the board screen: the strip along the bottom (it
// hides the board's entry row) and the bar's plates over it (the time bar
// runs in its groove), the column on
// the left (goal count, goal bar, best combo, the avatar's corner), the two
// bars' fills, the task panel and icons, the mode icons, the clock, the
// new-row button and the spark that rides the time bar.
//
// Screen places the panel code fixes: the bottom bar is centred at
// (519.5, 739), the column at (127, 352); the time bar's fill starts at
// x 290.5 and is its picture less 20 px long; the goal bar grows up from
// (127, 523); the goal count sits at (122, 135), under the hearts.

#include "Recipes.h"

#include <cmath>

namespace imagegen {

using palette::Rgb;

namespace {

const double kPi = std::acos(-1.0);

// The bottom bar: 1024 x 70 centred at (519.5, 739), so it covers y 704
// to 774 and x 7.5 to 1031.5.
constexpr int kBarW = 1024;
constexpr int kBarH = 70;
constexpr double kBarLeft = 519.5 - kBarW / 2.0;
constexpr double kBarTop = 739.0 - kBarH / 2.0;

// The time bar's fill picture: 420 wide, so 400 px of fill.
constexpr int kTimeW = 420;
constexpr int kTimeH = 18;
// The groove around the fill, in screen pixels.
constexpr double kGrooveX0 = 284, kGrooveX1 = 697, kGrooveY0 = 727, kGrooveY1 = 751;

// The left column: 230 x 660 centred at (127, 352): y 22 to 682.
constexpr int kColumnW = 230;
constexpr int kColumnH = 660;
constexpr double kColumnLeft = 127.0 - kColumnW / 2.0;
constexpr double kColumnTop = 352.0 - kColumnH / 2.0;

// The goal bar: 28 x 260, grown up from (127, 523).
constexpr int kGoalW = 28;
constexpr int kGoalH = 260;
// The board screen's three hearts (44 x 40, 50 px apart from (24, 76)),
// and the goal count's plate centred near (122, 135) under them.
constexpr double kHeartsX0 = 24, kHeartsY = 76, kHeartW = 44, kHeartH = 40, kHeartStep = 50;
constexpr double kGoalPlateX0 = 18, kGoalPlateX1 = 236, kGoalPlateY0 = 124, kGoalPlateY1 = 162;
// The best combo's (or Joker round's) plate under the goal; the avatar
// (150 x 170, placed by its top-left corner) stands at the column's foot.
constexpr double kComboY = 170;
// The foot of the quest task's column: the avatars stand under it (their
// tops at y 532 in the board script).
constexpr double kTaskColumnFoot = 530;

constexpr Rgb kHudTop = palette::Hex(0x3C3566);
constexpr Rgb kHudBottom = palette::Hex(0x211C3D);
constexpr Rgb kHudEdge = palette::Hex(0x120F24);
constexpr Rgb kHudInset = palette::Hex(0x16122B);

// A groove cut into a panel: dark, with a light lower lip.
void Groove(cairo_t* cr, double x, double y, double w, double h, double radius) {
    RoundedRect(cr, x, y, w, h, radius);
    SetVerticalGradient(cr, y, y + h, Darken(kHudInset, 0.3), kHudInset);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1.5);
    SetColour(cr, kHudEdge);
    cairo_stroke(cr);
    RoundedRect(cr, x + 0.5, y + 1.5, w - 1, h - 1, radius);
    SetColour(cr, palette::kWhite, 0.12);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
}

// The HUD's gold-rimmed dark panel body on the current path.
void HudBody(cairo_t* cr, double y0, double y1) {
    SetVerticalGradient(cr, y0, y1, kHudTop, kHudBottom);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 3);
    SetColour(cr, palette::kGoldRim);
    cairo_stroke_preserve(cr);
    cairo_set_line_width(cr, 1);
    SetColour(cr, kHudEdge);
    cairo_stroke(cr);
}

// A path with the top corners rounded and the bottom square.
void TopRoundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    cairo_new_path(cr);
    cairo_move_to(cr, x, y + h);
    cairo_line_to(cr, x, y + r);
    cairo_arc(cr, x + r, y + r, r, kPi, 1.5 * kPi);
    cairo_line_to(cr, x + w - r, y);
    cairo_arc(cr, x + w - r, y + r, r, 1.5 * kPi, 2 * kPi);
    cairo_line_to(cr, x + w, y + h);
    cairo_close_path(cr);
}

// A groove of the bottom bar, given in screen places.
void BarGroove(cairo_t* cr, double x0, double y0, double x1, double y1, double r) {
    Groove(cr, x0 - kBarLeft, y0 - kBarTop, x1 - x0, y1 - y0, r);
}

// A gold stud between two plates of the bottom bar, at screen x.
void BarStud(cairo_t* cr, double x) {
    cairo_new_path(cr);
    cairo_arc(cr, x - kBarLeft, 739 - kBarTop, 2.2, 0, 2 * kPi);
    SetColour(cr, palette::kGold, 0.85);
    cairo_fill(cr);
}

// The bottom strip, which every mode shows: the bar's body with the plates
// for the level and the two scores. The board script puts it at (8, 704),
// half a pixel right of the bar's place, so it is drawn half a pixel to the
// left in its picture.
void BottomStrip(cairo_t* cr, int w, int h) {
    cairo_translate(cr, -0.5, 0);
    TopRoundedRect(cr, 1.5, 2.5, w - 3, h + 4, 16);
    HudBody(cr, 2, h);
    BarGroove(cr, 14, 716, 176, 762, 8);   // level
    BarGroove(cr, 706, 716, 858, 762, 8);  // score
    BarGroove(cr, 864, 716, 1016, 762, 8); // total
    BarStud(cr, 861.0);
}

// The bottom bar's own plates over the strip: the new-row button's or the
// clock's and the time bar's groove, which Joker hides with the time bar.
void BottomBar(cairo_t* cr, int /*w*/, int /*h*/) {
    BarGroove(cr, 182, 716, 280, 762, 8);                          // new row / clock
    BarGroove(cr, kGrooveX0, kGrooveY0, kGrooveX1, kGrooveY1, 10); // time bar
    for (double x : {179.0, 281.5, 702.0})
        BarStud(cr, x);
}

// The glass rim over the time bar's groove (a child picture at (281, 723),
// hidden with the bar in Joker).
void TimeBarRim(cairo_t* cr, int w, int h) {
    RoundedRect(cr, 2, 2, w - 4, h - 4, 11);
    cairo_set_line_width(cr, 2.5);
    SetColour(cr, palette::kGoldRim);
    cairo_stroke(cr);
    // A soft highlight along the top of the glass.
    RoundedRect(cr, 10, 5, w - 20, 5, 2.5);
    SetColour(cr, palette::kWhite, 0.22);
    cairo_fill(cr);
}

// The time bar's fill: flat at the ends, since it is stretched.
void TimeBarFill(cairo_t* cr, int w, int h) {
    cairo_rectangle(cr, 0, 0, w, h);
    cairo_pattern_t* fill = cairo_pattern_create_linear(0, 0, 0, h);
    const Rgb top = Lighten(palette::kAccentTop, 0.35);
    cairo_pattern_add_color_stop_rgb(fill, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(fill, 0.45, palette::kAccentTop.r, palette::kAccentTop.g,
                                     palette::kAccentTop.b);
    cairo_pattern_add_color_stop_rgb(fill, 1, palette::kAccentBottom.r, palette::kAccentBottom.g,
                                     palette::kAccentBottom.b);
    cairo_set_source(cr, fill);
    cairo_fill(cr);
    cairo_pattern_destroy(fill);
    cairo_rectangle(cr, 0, 2, w, 3);
    SetColour(cr, palette::kWhite, 0.35);
    cairo_fill(cr);
}

// The goal bar's fill: gold at the top, orange at its foot.
void GoalBarFill(cairo_t* cr, int w, int h) {
    cairo_rectangle(cr, 0, 0, w, h);
    cairo_pattern_t* fill = cairo_pattern_create_linear(0, 0, w, 0);
    const Rgb edge = palette::kOrange;
    const Rgb middle = Lighten(palette::kGold, 0.2);
    cairo_pattern_add_color_stop_rgb(fill, 0, edge.r, edge.g, edge.b);
    cairo_pattern_add_color_stop_rgb(fill, 0.4, middle.r, middle.g, middle.b);
    cairo_pattern_add_color_stop_rgb(fill, 1, edge.r, edge.g, edge.b);
    cairo_set_source(cr, fill);
    cairo_fill(cr);
    cairo_pattern_destroy(fill);
    cairo_rectangle(cr, 6, 0, 3, h);
    SetColour(cr, palette::kWhite, 0.45);
    cairo_fill(cr);
}

// The hearts row and the goal count's plate under it, in column
// coordinates. The hearts are the board screen's own pictures, which lie
// under the panel: the column leaves a hole where each one shows.
void LivesAndGoal(cairo_t* cr) {
    Groove(cr, kHeartsX0 - 6 - kColumnLeft, kHeartsY - 6 - kColumnTop, 3 * kHeartStep + 2,
           kHeartH + 12, 10);
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    for (int i = 0; i < 3; ++i)
        RoundedRect(cr, kHeartsX0 + i * kHeartStep - kColumnLeft, kHeartsY - kColumnTop, kHeartW,
                    kHeartH, 8);
    cairo_fill(cr);
    cairo_restore(cr);
    Groove(cr, kGoalPlateX0 - kColumnLeft, kGoalPlateY0 - kColumnTop, kGoalPlateX1 - kGoalPlateX0,
           kGoalPlateY1 - kGoalPlateY0, 10);
}

void ColumnBody(cairo_t* cr, int w, int h) {
    RoundedRect(cr, 1.5, 1.5, w - 3, h - 3, 16);
    HudBody(cr, 0, h);
    LivesAndGoal(cr);
}

// The left column with the goal bar's groove and the best combo's plate.
void LeftColumn(cairo_t* cr, int w, int h) {
    ColumnBody(cr, w, h);
    Groove(cr, 127 - 22 - kColumnLeft, 523 - kGoalH - 8 - kColumnTop, 44, kGoalH + 16, 14);
    Groove(cr, 20, kComboY - kColumnTop, w - 40, 38, 8);
}

// The column of a quest level with a task: the task's note takes the goal
// bar's place.
void TaskColumn(cairo_t* cr, int w, int /*h*/) {
    // The note is a child window, over the panel's own drawing: it ends
    // above the avatar, which would stand behind it otherwise.
    ColumnBody(cr, w, static_cast<int>(kTaskColumnFoot - kColumnTop));
    const double y0 = 214 - kColumnTop, y1 = kTaskColumnFoot - 14 - kColumnTop;
    RoundedRect(cr, 16, y0, w - 32, y1 - y0, 10);
    SetVerticalGradient(cr, y0, y1, palette::kPanelTop, palette::kPanelBottom);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 2);
    SetColour(cr, palette::kPanelEdge);
    cairo_stroke(cr);
    // Ruled lines, like a note.
    for (double y = y0 + 56; y < y1 - 20; y += 34) {
        cairo_move_to(cr, 30, y + 0.5);
        cairo_line_to(cr, w - 30, y + 0.5);
    }
    SetColour(cr, palette::kSky, 0.25);
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    // A pin at the top.
    cairo_new_path(cr);
    cairo_arc(cr, w / 2.0, y0 + 6, 7, 0, 2 * kPi);
    SetVerticalGradient(cr, y0 - 1, y0 + 13, Lighten(palette::kRose, 0.3), palette::kRose);
    cairo_fill(cr);
    Groove(cr, 20, kComboY - kColumnTop, w - 40, 38, 8);
}

// The glass tube over the goal bar (a child picture at (103, 251)).
void GoalTube(cairo_t* cr, int w, int h) {
    RoundedRect(cr, 2, 2, w - 4, h - 4, 16);
    cairo_set_line_width(cr, 2.5);
    SetColour(cr, palette::kGoldRim);
    cairo_stroke(cr);
    RoundedRect(cr, w - 17, 14, 5, h - 28, 2.5);
    SetColour(cr, palette::kWhite, 0.2);
    cairo_fill(cr);
    // Quarter marks.
    for (int i = 1; i < 4; ++i) {
        const double y = 12 + (h - 24) * i / 4.0;
        cairo_move_to(cr, 3, y);
        cairo_line_to(cr, 10, y);
        cairo_move_to(cr, w - 10, y);
        cairo_line_to(cr, w - 3, y);
    }
    SetColour(cr, palette::kGold, 0.8);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);
}

// ---- icons ----

// A round medal behind an icon.
void Medal(cairo_t* cr, int w, int h, Rgb colour) {
    const double cx = w / 2.0, cy = h / 2.0, r = w / 2.0 - 2;
    cairo_new_path(cr);
    cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
    SetVerticalGradient(cr, cy - r, cy + r, Lighten(colour, 0.25), Darken(colour, 0.2));
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 2);
    SetColour(cr, palette::kGoldRim);
    cairo_stroke(cr);
}

void SmallCard(cairo_t* cr, double x, double y, double w, double h, double turn, Rgb top,
               Rgb bottom) {
    cairo_save(cr);
    cairo_translate(cr, x + w / 2, y + h / 2);
    cairo_rotate(cr, turn);
    RoundedRect(cr, -w / 2, -h / 2, w, h, 3);
    SetVerticalGradient(cr, -h / 2, h / 2, top, bottom);
    cairo_fill_preserve(cr);
    SetColour(cr, palette::kInk);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void ClassicIcon(cairo_t* cr, int w, int h) {
    Medal(cr, w, h, palette::kSky);
    SmallCard(cr, w * 0.22, h * 0.24, w * 0.32, h * 0.44, -0.3, palette::kBackTop,
              palette::kBackBottom);
    SmallCard(cr, w * 0.44, h * 0.26, w * 0.32, h * 0.44, 0.25, palette::kFaceTop,
              palette::kFaceBottom);
    StarPath(cr, w * 0.6, h * 0.48, w * 0.1, w * 0.045, 5, 0.25);
    SetColour(cr, palette::kGold);
    cairo_fill(cr);
}

void StrategyIcon(cairo_t* cr, int w, int h) {
    Medal(cr, w, h, palette::kLeaf);
    // A bulb: a glass circle, a neck and a screw.
    const double cx = w / 2.0;
    cairo_new_path(cr);
    cairo_arc(cr, cx, h * 0.42, w * 0.2, 0.75 * kPi, 2.25 * kPi);
    cairo_line_to(cr, cx + w * 0.09, h * 0.66);
    cairo_line_to(cr, cx - w * 0.09, h * 0.66);
    cairo_close_path(cr);
    SetVerticalGradient(cr, h * 0.2, h * 0.66, palette::kWhite, palette::kGold);
    cairo_fill_preserve(cr);
    SetColour(cr, palette::kInk);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    cairo_rectangle(cr, cx - w * 0.09, h * 0.68, w * 0.18, h * 0.1);
    SetColour(cr, palette::kSteel);
    cairo_fill(cr);
}

void BlitzIcon(cairo_t* cr, int w, int h) {
    Medal(cr, w, h, palette::kRose);
    cairo_move_to(cr, w * 0.56, h * 0.14);
    cairo_line_to(cr, w * 0.3, h * 0.54);
    cairo_line_to(cr, w * 0.48, h * 0.54);
    cairo_line_to(cr, w * 0.4, h * 0.86);
    cairo_line_to(cr, w * 0.72, h * 0.42);
    cairo_line_to(cr, w * 0.53, h * 0.42);
    cairo_close_path(cr);
    SetVerticalGradient(cr, h * 0.14, h * 0.86, palette::kWhite, palette::kGold);
    cairo_fill_preserve(cr);
    SetColour(cr, palette::kInk);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
}

void JokerIcon(cairo_t* cr, int w, int h) {
    Medal(cr, w, h, palette::kPlum);
    // A jester's hat: three points with bells.
    const double base = h * 0.66;
    cairo_move_to(cr, w * 0.2, base);
    cairo_curve_to(cr, w * 0.18, h * 0.45, w * 0.12, h * 0.3, w * 0.16, h * 0.24);
    cairo_curve_to(cr, w * 0.3, h * 0.32, w * 0.4, h * 0.4, w * 0.5, h * 0.46);
    cairo_curve_to(cr, w * 0.5, h * 0.32, w * 0.48, h * 0.2, w * 0.5, h * 0.14);
    cairo_curve_to(cr, w * 0.52, h * 0.2, w * 0.5, h * 0.32, w * 0.5, h * 0.46);
    cairo_curve_to(cr, w * 0.6, h * 0.4, w * 0.7, h * 0.32, w * 0.84, h * 0.24);
    cairo_curve_to(cr, w * 0.88, h * 0.3, w * 0.82, h * 0.45, w * 0.8, base);
    cairo_close_path(cr);
    SetVerticalGradient(cr, h * 0.14, base, palette::kGold, palette::kOrange);
    cairo_fill_preserve(cr);
    SetColour(cr, palette::kInk);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    cairo_rectangle(cr, w * 0.2, base, w * 0.6, h * 0.1);
    SetColour(cr, palette::kWhite);
    cairo_fill_preserve(cr);
    SetColour(cr, palette::kInk);
    cairo_stroke(cr);
    for (double x : {0.16, 0.5, 0.84}) {
        cairo_new_path(cr);
        cairo_arc(cr, w * x, h * (x == 0.5 ? 0.14 : 0.24), w * 0.05, 0, 2 * kPi);
        SetColour(cr, palette::kWhite);
        cairo_fill(cr);
    }
}

void RomeIcon(cairo_t* cr, int w, int h) {
    Medal(cr, w, h, palette::kOrange);
    // A column: capital, fluted shaft, base.
    const double cx = w / 2.0;
    cairo_rectangle(cr, cx - w * 0.22, h * 0.22, w * 0.44, h * 0.08);
    cairo_rectangle(cr, cx - w * 0.14, h * 0.3, w * 0.28, h * 0.4);
    cairo_rectangle(cr, cx - w * 0.24, h * 0.7, w * 0.48, h * 0.09);
    SetVerticalGradient(cr, h * 0.22, h * 0.79, palette::kWhite, palette::kWellTop);
    cairo_fill_preserve(cr);
    SetColour(cr, palette::kInk);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    for (double dx : {-0.07, 0.0, 0.07}) {
        cairo_move_to(cr, cx + w * dx, h * 0.33);
        cairo_line_to(cr, cx + w * dx, h * 0.67);
    }
    SetColour(cr, palette::kSteel);
    cairo_stroke(cr);
}

void ClockIcon(cairo_t* cr, int w, int h) {
    const double cx = w / 2.0, cy = h / 2.0 + 1, r = w / 2.0 - 3;
    cairo_rectangle(cr, cx - 3, 0.5, 6, 4);
    SetColour(cr, palette::kGoldRim);
    cairo_fill(cr);
    cairo_new_path(cr);
    cairo_arc(cr, cx, cy, r, 0, 2 * kPi);
    SetVerticalGradient(cr, cy - r, cy + r, palette::kWhite, palette::kWellTop);
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 2.5);
    SetColour(cr, palette::kGoldRim);
    cairo_stroke(cr);
    cairo_move_to(cr, cx, cy);
    cairo_line_to(cr, cx, cy - r * 0.65);
    cairo_move_to(cr, cx, cy);
    cairo_line_to(cr, cx + r * 0.45, cy + r * 0.2);
    SetColour(cr, palette::kInk);
    cairo_set_line_width(cr, 2);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(cr);
}

// Two rows of cards rising under an arrow.
void NewRowIcon(cairo_t* cr, int w, int h) {
    for (int i = 0; i < 3; ++i)
        SmallCard(cr, 2 + i * (w - 4) / 3.0, h * 0.62, (w - 4) / 3.0 - 1.5, h * 0.34, 0,
                  palette::kBackTop, palette::kBackBottom);
    cairo_move_to(cr, w / 2.0, 1);
    cairo_line_to(cr, w * 0.85, h * 0.36);
    cairo_line_to(cr, w * 0.62, h * 0.36);
    cairo_line_to(cr, w * 0.62, h * 0.56);
    cairo_line_to(cr, w * 0.38, h * 0.56);
    cairo_line_to(cr, w * 0.38, h * 0.36);
    cairo_line_to(cr, w * 0.15, h * 0.36);
    cairo_close_path(cr);
    SetVerticalGradient(cr, 1, h * 0.56, palette::kWhite, palette::kLeaf);
    cairo_fill_preserve(cr);
    SetColour(cr, palette::kInk);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
}

enum class Press { kOff, kOn, kOver };

DrawFunction NewRowButton(Press state) {
    return [state](cairo_t* cr, int w, int h) {
        Rgb top = palette::kButtonTop, bottom = palette::kButtonBottom;
        if (state == Press::kOn) {
            top = Darken(top, palette::kPressedDarken);
            bottom = Darken(bottom, palette::kPressedDarken);
        } else if (state == Press::kOver) {
            top = Lighten(top, palette::kRolloverLighten);
            bottom = Lighten(bottom, palette::kRolloverLighten);
        }
        const double shift = state == Press::kOn ? palette::kPressedOffset : 0.0;
        Card(cr, 2, 2 + shift, w - 4, h - 5, 9, top, bottom, palette::kButtonEdge, false);
        RoundedRect(cr, 6, 5 + shift, w - 12, (h - 5) / 2.0 - 3, 6);
        SetColour(cr, palette::kWhite, state == Press::kOn ? 0.12 : 0.3);
        cairo_fill(cr);
    };
}

// A wild card with a rainbow star.
void WildTaskIcon(cairo_t* cr, int w, int h) {
    SmallCard(cr, w * 0.2, h * 0.1, w * 0.6, h * 0.8, 0.12, palette::kPowerTop,
              palette::kPowerBottom);
    const Rgb colours[] = {palette::kRose, palette::kOrange, palette::kGold,
                           palette::kLeaf, palette::kSky,    palette::kPlum};
    for (int i = 0; i < 6; ++i) {
        cairo_new_path(cr);
        cairo_arc(cr, w / 2.0, h / 2.0, w * 0.24, -kPi / 2 + i * kPi / 3,
                  -kPi / 2 + (i + 1) * kPi / 3);
        cairo_line_to(cr, w / 2.0, h / 2.0);
        cairo_close_path(cr);
        SetColour(cr, colours[i]);
        cairo_fill(cr);
    }
    StarPath(cr, w / 2.0, h / 2.0, w * 0.16, w * 0.07, 5, 0);
    SetColour(cr, palette::kWhite);
    cairo_fill(cr);
}

// A broom: a handle and a bound fan of straw.
void BroomTaskIcon(cairo_t* cr, int w, int h) {
    cairo_save(cr);
    cairo_translate(cr, w / 2.0, h / 2.0);
    cairo_rotate(cr, 0.55);
    cairo_rectangle(cr, -2.5, -h * 0.46, 5, h * 0.56);
    SetVerticalGradient(cr, -h * 0.46, h * 0.1, Lighten(palette::kPanelEdge, 0.2),
                        Darken(palette::kPanelEdge, 0.2));
    cairo_fill(cr);
    cairo_move_to(cr, -w * 0.08, h * 0.08);
    cairo_line_to(cr, w * 0.08, h * 0.08);
    cairo_line_to(cr, w * 0.2, h * 0.44);
    cairo_line_to(cr, -w * 0.2, h * 0.44);
    cairo_close_path(cr);
    SetVerticalGradient(cr, h * 0.08, h * 0.44, palette::kGold, palette::kOrange);
    cairo_fill_preserve(cr);
    SetColour(cr, palette::kInk);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
    for (double x = -0.12; x <= 0.121; x += 0.06) {
        cairo_move_to(cr, w * x * 0.6, h * 0.14);
        cairo_line_to(cr, w * x, h * 0.42);
    }
    SetColour(cr, Darken(palette::kOrange, 0.3));
    cairo_set_line_width(cr, 1);
    cairo_stroke(cr);
    cairo_rectangle(cr, -w * 0.09, h * 0.06, w * 0.18, h * 0.06);
    SetColour(cr, palette::kRose);
    cairo_fill(cr);
    cairo_restore(cr);
}

// The spark on the time bar's end: a pulsing light with rays turning
// around it; t runs once around the loop.
void NewRowSpark(cairo_t* cr, int w, int h, double t) {
    const double cx = w / 2.0, cy = h / 2.0;
    const double pulse = 0.5 + 0.5 * std::sin(2 * kPi * t);
    cairo_pattern_t* halo = cairo_pattern_create_radial(cx, cy, 0, cx, cy, w * 0.45);
    cairo_pattern_add_color_stop_rgba(halo, 0, 1, 1, 1, 0.9);
    cairo_pattern_add_color_stop_rgba(halo, 0.3, palette::kIce.r, palette::kIce.g, palette::kIce.b,
                                      0.45 + 0.3 * pulse);
    cairo_pattern_add_color_stop_rgba(halo, 1, palette::kAccentTop.r, palette::kAccentTop.g,
                                      palette::kAccentTop.b, 0.0);
    cairo_set_source(cr, halo);
    cairo_paint(cr);
    cairo_pattern_destroy(halo);
    StarPath(cr, cx, cy, w * (0.3 + 0.08 * pulse), w * 0.05, 4, t * kPi / 2);
    SetColour(cr, palette::kWhite, 0.9);
    cairo_fill(cr);
    StarPath(cr, cx, cy, w * (0.2 + 0.06 * (1 - pulse)), w * 0.04, 4, kPi / 4 - t * kPi / 2);
    SetColour(cr, palette::kIce, 0.8);
    cairo_fill(cr);
}

Picture Png(const std::string& path, int w, int h, DrawFunction draw) {
    return {path, w, h, Format::kPng, std::move(draw), {}};
}

} // namespace

std::vector<Picture> BottomPanelPictures() {
    return {
        Png("gpx/hud/bottomstrip.png", kBarW, kBarH, BottomStrip),
        Png("gpx/hud/layoutbar01.png", kBarW, kBarH, BottomBar),
        Png("gpx/hud/layoutbar02.png", kColumnW, kColumnH, LeftColumn),
        Png("gpx/hud/goaloriented.png", kColumnW, kColumnH, TaskColumn),
        Png("gpx/hud/timebar.png", kTimeW, kTimeH, TimeBarFill),
        Png("gpx/hud/timebar_rim.png", 422, 32, TimeBarRim),
        Png("gpx/hud/goalbar.png", kGoalW, kGoalH, GoalBarFill),
        Png("gpx/hud/goalbar_tube.png", 48, kGoalH + 24, GoalTube),
        Png("gpx/hud/icon_wild.png", 40, 40, WildTaskIcon),
        Png("gpx/hud/icon_broom.png", 40, 40, BroomTaskIcon),
        Png("gpx/hud/mode_classic.png", 44, 44, ClassicIcon),
        Png("gpx/hud/mode_strategy.png", 44, 44, StrategyIcon),
        Png("gpx/hud/mode_blitz.png", 44, 44, BlitzIcon),
        Png("gpx/hud/mode_joker.png", 44, 44, JokerIcon),
        Png("gpx/hud/mode_rome.png", 44, 44, RomeIcon),
        Png("gpx/hud/clock.png", 32, 32, ClockIcon),
        Png("gpx/hud/newrow.png", 26, 26, NewRowIcon),
        Png("gpx/hud/newrow_button_off.png", 94, 44, NewRowButton(Press::kOff)),
        Png("gpx/hud/newrow_button_on.png", 94, 44, NewRowButton(Press::kOn)),
        Png("gpx/hud/newrow_button_off_over.png", 94, 44, NewRowButton(Press::kOver)),
    };
}

std::vector<Animation> BottomPanelAnimations() {
    return {{"gpx/hud/anim/newrowfx.xml", 12, 40, 40, NewRowSpark, LoopingScript(12, 50)}};
}

} // namespace imagegen
