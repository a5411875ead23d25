#pragma once

#include "framework/core/math/TVector.h"
#include "framework/core/text/TColor32.h"
#include "framework/core/text/TString.h"

#include <cstdint>
#include <vector>

// The records a cut-scene file is read into. Plain values: copying a
// definition copies every string and list, so copies of one scene share
// nothing.

// One "object" element: the object's name (actions address it by name),
// its type ("sprite", "particle", "text", "sound", "clouds"), what it
// shows or plays, and its click command.
struct vlkObjectDef {
    TString name;
    TString type;
    TString resource;
    TString order;
};

// One "textstyle" element. The defaults are those of the style every
// cut-scene keeps besides its list; a style read from a file sets every
// field (absent numbers 0, no font, left and top).
struct vlkTextStyle {
    TString name;
    int32_t width = 100;
    int32_t height = 50;
    // TTextAlign bits; centred both ways by default.
    uint32_t justify = 5;
    TString font = "Arial";
    int32_t size = 12;
    TColor colour{0.0f, 0.0f, 0.0f, 1.0f};
};

struct vlkActionParam {
    TString name;
    TString value;
};

// One "action": the object it addresses ("system" for the player's own
// flow verbs), the property and the function, and its parameters in file
// order. A repeated parameter name is allowed; the last one counts.
struct vlkAction {
    TString name;
    TString object;
    TString property;
    TString function;
    std::vector<vlkActionParam> params;

    // The value of the last parameter of that name; false without one.
    bool FindParam(const char* paramName, TString& value) const;
    float ParamFloat(const char* paramName, float fallback) const;
    int32_t ParamInt(const char* paramName, int32_t fallback) const;
    // "x", "y" and "z", each 0 when absent.
    TVec3 ParamXyz() const;
    // "value": "true" shows, anything else hides; no parameter shows.
    bool ParamVisible() const;
};

struct vlkKeyframe {
    TString name;
    // Milliseconds from the start of the scene.
    uint32_t time = 0;
    bool afterStop = false;
    std::vector<vlkAction> actions;
};

struct vlkCutsceneDef {
    TString name;
    int32_t fps = 0;
    std::vector<vlkObjectDef> objects;
    std::vector<vlkTextStyle> textStyles;
    std::vector<vlkKeyframe> keyframes;
};

// Reads "RRGGBBAA" two characters per channel, each pair divided by 255.
// A pair is read from its last digit backwards; a pair holding anything
// but hexadecimal digits gives 255, a pair past the end of the text 0. So
// "FF000080" is red at about half opacity and "" is transparent black.
TColor ParseHexColour(const TString& text);
