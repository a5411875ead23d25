#pragma once

// Cut-scene objects on the null graphics back end: pictures of given sizes
// written into the test's folder, actions made on the spot.

#include "framework/core/tasks/TTaskList.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "framework/script/animation/TAnimatedSprite.h"
#include "platform/graphics/PngWriter.h"
#include "velk/cutscene/vlkCutsceneDef.h"

#include "framework/graphics/draw/NullDrawFixture.h"

#include <string>
#include <utility>
#include <vector>

class CutsceneSpriteFixture : public NullDrawFixture {
protected:
    void SetUp() override {
        NullDrawFixture::SetUp();
        TAnimatedSprite::SetTaskList(&mTasks);
    }
    void TearDown() override {
        mTasks.DeleteAll();
        TAnimatedSprite::SetTaskList(nullptr);
        NullDrawFixture::TearDown();
    }

    // An opaque picture of that size; its "::" name.
    TString Picture(const std::string& name, int32_t width, int32_t height,
                    uint32_t argb = 0xFF3080C0u) {
        std::filesystem::create_directories((mFolder.Path() / name).parent_path());
        const std::vector<uint32_t> pixels(static_cast<size_t>(width * height), argb);
        const std::string path = (mFolder.Path() / name).string();
        EXPECT_TRUE(platform::WritePngFile(path, pixels.data(), width, height, width));
        return TString(("::" + path).c_str());
    }

    static vlkAction Make(const char* property, const char* function,
                          const std::vector<std::pair<const char*, const char*>>& params = {}) {
        vlkAction action;
        action.property = property;
        action.function = function;
        for (const auto& [name, value] : params)
            action.params.push_back({name, value});
        return action;
    }

    // The number of draws of one frame in which draw() runs.
    template <typename DrawCall> size_t CountDraws(DrawCall draw) {
        Device().ClearDraws();
        EXPECT_TRUE(graphics->BeginDraw(false));
        EXPECT_TRUE(graphics->Begin2d());
        draw();
        graphics->End2d();
        graphics->EndDraw(false);
        return Device().Draws().size();
    }

    TAssetManager mAssets;
    TTaskList mTasks;
};
