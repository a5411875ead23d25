#include "velk/container/TDraw2dScope.h"

#include "framework/graphics/draw/NullDrawFixture.h"

namespace {

class Draw2dScopeTest : public NullDrawFixture {};

TEST_F(Draw2dScopeTest, EndsOnlyWhatItBegan) {
    ASSERT_TRUE(graphics->BeginDraw());
    {
        TDraw2dScope outer(graphics->Begin2d());
        EXPECT_TRUE(outer.IsBegun());
        {
            // Already in 2-D drawing: the inner scope began nothing.
            TDraw2dScope inner(graphics->Begin2d());
            EXPECT_FALSE(inner.IsBegun());
        }
        EXPECT_TRUE(graphics->IsIn2d()) << "the inner scope left the outer drawing alone";
    }
    EXPECT_FALSE(graphics->IsIn2d());
    { TDraw2dScope unused; }
    EXPECT_EQ(Log().find("End2d called when not in Begin2d state"), std::string::npos);
    graphics->EndDraw(true);
}

} // namespace
