#include "velk/cutscene/vlkClouds.h"

#include "velk/cutscene/vlkSpriteCS.h"

vlkClouds::vlkClouds(vlkISpriteCS* listener)
    : vlkObjectCS(listener), mLead(std::make_unique<vlkSpriteCS>(this)),
      mFollower(std::make_unique<vlkSpriteCS>(this)) {
    mKind = kKindClouds;
    mLead->SetVisible(true);
    mFollower->SetVisible(true);
    mLead->SetHooks(&vlkISpriteCS::OnMoveStep, &vlkISpriteCS::OnMoveEnd);
}

vlkClouds::~vlkClouds() = default;

bool vlkClouds::Init(const vlkObjectDef* def) {
    if (!vlkObjectCS::Init(def))
        return false;
    mLead->LoadResource(mDef.resource);
    mFollower->LoadResource(mDef.resource);
    return true;
}

bool vlkClouds::SetAction(const vlkAction* action) {
    if (!vlkObjectCS::SetAction(action))
        return false;
    if (mLead->SetAction(action))
        return true;
    if (mAction.function.View() != "set")
        return false;
    if (mAction.property.View() == "time") {
        mDuration = static_cast<uint32_t>(mAction.ParamInt("value", 0));
        return true;
    }
    if (mAction.property.View() == "direction") {
        TString value;
        if (!mAction.FindParam("value", value)) {
            mDirection = 0;
            return true;
        }
        value.ToLower();
        mDirection = value.View() == "left" ? 0 : 1;
        return true;
    }
    return false;
}

// The scroll works in the clouds' own frame (the lead's position without
// the cut-scene's offset), so a placed cut-scene does not drift.
void vlkClouds::StartScroll() {
    mStart = mLead->GetOwnPosition();
    const float width = static_cast<float>(mLead->GetWidth());
    mTarget = mStart;
    mTarget.x += mDirection == 0 ? -width : width;
    mLead->MoveTo(mTarget, mDuration);
}

// The follower stands on the pixel where the lead is drawn, one width on.
void vlkClouds::OnMoveStep(vlkSpriteCS* /*sprite*/) {
    const TVec3 drawn = mLead->GetPosition();
    const float width = static_cast<float>(mLead->GetWidth());
    mFollower->SetPositionNow(TVec3(drawn.x - mOffset.x + (mDirection == 0 ? width : -width),
                                    drawn.y - mOffset.y, drawn.z - mOffset.z));
}

// The follower follows the lead's jump at once, so no frame shows a gap.
void vlkClouds::OnMoveEnd(vlkSpriteCS* sprite) {
    mLead->SetPositionNow(mStart);
    mLead->MoveTo(mTarget, mDuration);
    OnMoveStep(sprite);
}

bool vlkClouds::Update(uint32_t dt) {
    return mLead->Update(dt);
}

void vlkClouds::Draw() {
    mLead->Draw();
    mFollower->Draw();
}

bool vlkClouds::HitTest(int32_t x, int32_t y) {
    return mLead->HitTest(x, y) || mFollower->HitTest(x, y);
}

void vlkClouds::SetPosition(float x, float y, float z) {
    vlkObjectCS::SetPosition(x, y, z);
    mLead->SetPosition(x, y, z);
    mFollower->SetPosition(x, y, z);
}
