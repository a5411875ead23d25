#pragma once

#include "velk/cutscene/vlkObjectCS.h"

#include <memory>

// A cut-scene object (type "clouds") that scrolls one picture endlessly:
// the lead sprite moves by one picture width over the duration and jumps
// back, the follower always beside it covering the gap. It listens to its
// own lead. Sprite actions ("position", "alpha", ...) go to the lead;
// "time" "set" gives the duration in ms, "direction" "set" "left" scrolls
// left and any other word right. Every action restarts the scroll from
// where the lead stands.
class vlkClouds : public vlkObjectCS, public vlkISpriteCS {
public:
    explicit vlkClouds(vlkISpriteCS* listener);
    ~vlkClouds() override;

    bool Init(const vlkObjectDef* def) override;
    bool SetAction(const vlkAction* action) override;
    void StartAction() override { StartScroll(); }
    bool Update(uint32_t dt) override;
    // Both sprites, whatever this object's own visible flag says.
    void Draw() override;
    bool HitTest(int32_t x, int32_t y) override;
    void SetPosition(float x, float y, float z) override;

    void OnMoveStep(vlkSpriteCS* sprite) override;
    void OnMoveEnd(vlkSpriteCS* sprite) override;

    void StartScroll();

    vlkSpriteCS& GetLead() { return *mLead; }
    vlkSpriteCS& GetFollower() { return *mFollower; }
    uint32_t GetDuration() const { return mDuration; }
    uint32_t GetDirection() const { return mDirection; }

private:
    std::unique_ptr<vlkSpriteCS> mLead;
    std::unique_ptr<vlkSpriteCS> mFollower;
    TVec3 mStart;
    TVec3 mTarget;
    uint32_t mDuration = 6000;
    // 0 scrolls to the left, 1 to the right.
    uint32_t mDirection = 0;
};
