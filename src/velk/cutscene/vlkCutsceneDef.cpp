#include "velk/cutscene/vlkCutsceneDef.h"

#include <cstring>

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The pair of characters from start (fewer at the end of the text).
int ReadPair(const TString& text, int start) {
    const int end = start + 2 < text.Length() ? start + 2 : text.Length();
    int value = 0;
    int weight = 1;
    for (int i = end - 1; i >= start; --i) {
        const int digit = HexDigit(text.CharAt(i));
        if (digit < 0)
            return 255;
        value += digit * weight;
        weight *= 16;
    }
    return value;
}

} // namespace

bool vlkAction::FindParam(const char* paramName, TString& value) const {
    bool found = false;
    for (const vlkActionParam& param : params) {
        if (param.name.View() == paramName) {
            value = param.value;
            found = true;
        }
    }
    return found;
}

float vlkAction::ParamFloat(const char* paramName, float fallback) const {
    TString value;
    return FindParam(paramName, value) ? value.ToFloat() : fallback;
}

int32_t vlkAction::ParamInt(const char* paramName, int32_t fallback) const {
    TString value;
    return FindParam(paramName, value) ? value.ToInt() : fallback;
}

TVec3 vlkAction::ParamXyz() const {
    return TVec3(ParamFloat("x", 0.0f), ParamFloat("y", 0.0f), ParamFloat("z", 0.0f));
}

bool vlkAction::ParamVisible() const {
    TString value;
    return !FindParam("value", value) || value.View() == "true";
}

TColor ParseHexColour(const TString& text) {
    float channels[4];
    for (int i = 0; i < 4; ++i)
        channels[i] = static_cast<float>(ReadPair(text, i * 2)) / 255.0f;
    return TColor(channels[0], channels[1], channels[2], channels[3]);
}
