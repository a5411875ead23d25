#include "velk/actor/vlkActor.h"

#include "framework/core/settings/TSettings.h"
#include "framework/graphics/sprite/TSprite.h"
#include "velk/display/vlkClip.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// Counts what it is asked to draw.
class CountingRenderer : public vlkActorRenderer {
public:
    void DrawActor(vlkActor* actor) override { drawn.push_back(actor); }
    std::vector<vlkActor*> drawn;
};

// Counts the draws of a display object.
class CountingSprite : public vlkSprite {
public:
    explicit CountingSprite(int* draws) : mDraws(draws) {}
    void Draw() override { ++*mDraws; }

private:
    int* mDraws;
};

class ActorTest : public ::testing::Test {
protected:
    void SetUp() override { ClearSettings(); }
    void TearDown() override { ClearSettings(); }
};

TEST_F(ActorTest, PositionSetters_WithoutADisplayObjectDoNothing) {
    vlkActor actor;
    actor.SetPosition(1.0f, 2.0f);
    actor.SetPositionXYZ(1.0f, 2.0f, 3.0f);
    EXPECT_EQ(actor.GetDisplayObject(), nullptr);
    EXPECT_EQ(actor.GetClip(), nullptr);
    EXPECT_EQ(actor.GetX(), 0.0f);
    // No renderer: nothing to call.
    actor.Draw();
}

TEST_F(ActorTest, PositionSetters_MoveScaleAndDrawTheDisplayObjectButNotTheActor) {
    int draws = 0;
    vlkActor actor;
    actor.SetDisplayObject(std::make_unique<CountingSprite>(&draws));
    actor.SetPosition(10.0f, 20.0f);
    vlkDisplayObject* object = actor.GetDisplayObject();
    EXPECT_EQ(object->GetX(), 10.0f);
    EXPECT_EQ(object->GetY(), 20.0f);
    EXPECT_EQ(draws, 1);
    actor.SetPositionXYZ(30.0f, 40.0f, 2.5f);
    EXPECT_EQ(object->GetX(), 30.0f);
    EXPECT_EQ(object->GetScaleX(), 2.5f);
    EXPECT_EQ(object->GetScaleY(), 2.5f);
    EXPECT_EQ(actor.GetSprite()->GetSprite()->GetDrawSpec().mTransform.m[1][1], 2.5f);
    EXPECT_EQ(draws, 2);
    EXPECT_EQ(actor.GetX(), 0.0f);
    EXPECT_EQ(actor.GetZ(), 0.0f);

    actor.SetX(1.0f);
    actor.SetY(2.0f);
    actor.SetZ(3.0f);
    EXPECT_EQ(object->GetX(), 30.0f);
    EXPECT_EQ(actor.GetY(), 2.0f);
}

TEST_F(ActorTest, Draw_HandsTheActorToItsRenderer) {
    CountingRenderer renderer;
    vlkActor actor;
    actor.SetRenderer(&renderer);
    EXPECT_EQ(actor.GetRenderer(), &renderer);
    actor.Draw();
    actor.Draw();
    ASSERT_EQ(renderer.drawn.size(), 2u);
    EXPECT_EQ(renderer.drawn[0], &actor);
}

TEST_F(ActorTest, GetClip_IsTheObjectOnlyForAClip) {
    vlkActor withSprite;
    withSprite.SetDisplayObject(std::make_unique<vlkSprite>());
    EXPECT_EQ(withSprite.GetClip(), nullptr);
    EXPECT_EQ(withSprite.GetSprite(), withSprite.GetDisplayObject());

    vlkActor withClip;
    auto clip = std::make_unique<vlkClip>();
    vlkClip* raw = clip.get();
    withClip.SetDisplayObject(std::move(clip));
    EXPECT_EQ(withClip.GetClip(), raw);
    EXPECT_EQ(withClip.GetSprite(), raw);
}

TEST_F(ActorTest, ToString_StartsWithABlankAndPrintsSixDecimals) {
    vlkActor actor;
    actor.SetX(1.0f);
    actor.SetY(2.0f);
    EXPECT_STREQ(actor.ToString().CStr(), " (actor) x:1.000000 y:2.000000 z:0.000000");
    actor.SetZ(-0.5f);
    EXPECT_STREQ(actor.ToString().CStr(), " (actor) x:1.000000 y:2.000000 z:-0.500000");
}

TEST_F(ActorTest, Destruction_DeletesTheDisplayObjectAndReleasesItsSprite) {
    std::weak_ptr<TSprite> sprite;
    {
        vlkActor actor;
        actor.SetDisplayObject(std::make_unique<vlkClip>());
        sprite = actor.GetDisplayObject()->GetSprite();
        EXPECT_FALSE(sprite.expired());
    }
    EXPECT_TRUE(sprite.expired());
}

} // namespace
