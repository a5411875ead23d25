#include "velk/cutscene/vlkObjectCS.h"

vlkObjectCS::vlkObjectCS(vlkISpriteCS* listener) : mListener(listener) {
    mDef.order = "nop()";
}

vlkObjectCS::~vlkObjectCS() = default;

bool vlkObjectCS::Init(const vlkObjectDef* def) {
    if (!def)
        return false;
    mDef = *def;
    return true;
}

bool vlkObjectCS::SetAction(const vlkAction* action) {
    if (!action)
        return false;
    mAction = *action;
    return true;
}

void vlkObjectCS::SetPosition(float x, float y, float z) {
    mOffset = TVec3(x, y, z);
}

TString vlkObjectCS::GetCommand() const {
    const int open = mDef.order.FindChar('(');
    return open < 0 ? TString() : mDef.order.Substring(0, open);
}

bool ReachedAll(const float* step, const float* current, const float* target, int count) {
    bool moving = false;
    for (int i = 0; i < count; ++i) {
        if (step[i] > 0.0f && current[i] >= target[i])
            return true;
        if (step[i] < 0.0f && current[i] <= target[i])
            return true;
        moving = moving || step[i] != 0.0f;
    }
    return !moving;
}

bool ReachedOne(float step, float current, float target) {
    return step >= 0.0f ? current >= target : current <= target;
}
