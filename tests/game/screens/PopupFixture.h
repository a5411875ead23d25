#pragma once

// (The pop-ups' own fixture, beside the menus' ScreenFixture.h.)

// What the screen tests share: a window manager with its window script (in
// which the screens register their script functions), the recording level
// services, a hand clock for the windows' animators, and window tables
// written as Lua literals.

#include "framework/core/tasks/TClock.h"
#include "framework/core/tasks/TTaskList.h"
#include "framework/graphics/asset/TAssetManager.h"
#include "framework/script/animation/TAnimatedSprite.h"
#include "framework/ui/widgets/TImage.h"
#include "framework/ui/widgets/TText.h"
#include "framework/ui/window/TWindowAnim.h"
#include "framework/ui/window/TWindowStyle.h"

#include "framework/graphics/draw/NullDrawFixture.h"
#include "framework/ui/WindowFixture.h"
#include "support/TempFolder.h"
#include "velk/assets/TAssetLists.h"
#include "velk/globals/GameGlobals.h"
#include "game/support/FakeLevelServices.h"

#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <memory>
#include <string>

class ScreenFixture : public NullDrawFixture {
protected:
    void SetUp() override {
        NullDrawFixture::SetUp();
        TAnimatedSprite::SetTaskList(&mTasks);
        manager = MakeTestManager(host, script);
        services = std::make_unique<ScopedLevelServices>(fakes.Services());
        root = new TWindow(TString("root"));
        root->SetSize(1024, 768);
    }
    void TearDown() override {
        root->DeleteThis();
        if (mLists) {
            delete gAssetLists;
            gAssetLists = mSavedLists;
        }
        services.reset();
        manager.reset();
        mTasks.DeleteAll();
        TAnimatedSprite::SetTaskList(nullptr);
        NullDrawFixture::TearDown();
    }

    // Calls a script function the screen registered, as a script would.
    bool CallScript(const std::string& statement) {
        return script->DoLuaString(TString(statement.c_str()));
    }

    // Adds a child image or window of that name to the parent.
    static TImage* AddImage(TWindow* parent, const char* name) {
        auto* image = static_cast<TImage*>(TImage::Create());
        image->SetName(TString(name));
        parent->AddChild(image, false);
        return image;
    }
    static TWindow* AddWindow(TWindow* parent, const char* name, TRect rect = TRect()) {
        auto* window = new TWindow(TString(name));
        window->SetPosition(rect.left, rect.top);
        window->SetSize(rect.right - rect.left, rect.bottom - rect.top);
        parent->AddChild(window, false);
        return window;
    }
    static TText* AddText(TWindow* parent, const char* name, const char* text = "") {
        auto* label = static_cast<TText*>(TText::Create());
        label->SetName(TString(name));
        parent->AddChild(label, false);
        label->CreateLayout(TString(text), 200, 30, 0, TString("__DEFAULT"), 16,
                            TColor(1.0f, 1.0f, 1.0f, 1.0f));
        return label;
    }

    // Puts the window under the root on the hand clock and runs its
    // PostInit with the table (nothing: every key at its default).
    void Open(TWindow* window, const std::string& table = "") {
        root->AddChild(window, false);
        window->GetAnimator()->SetClock(&clock);
        std::unique_ptr<TLuaTable> style = table.empty() ? nullptr : lua.Table(table);
        TWindowStyle view(style.get());
        window->PostInit(view);
    }

    // An asset list in which each name is an animation of four 32 x 32
    // frames with the sequence "DoAnim", and each image name a picture.
    void InstallAssets(std::initializer_list<const char*> animations,
                       std::initializer_list<const char*> images = {}) {
        static const char kSpin[] = CORVALO_TEST_DATA "/animation/spin";
        std::string list = "<assets><fixedAssets>";
        for (const char* name : animations)
            list += std::string("<image name=\"") + name + "\" path=\"::" + kSpin + ".xml\"/>";
        for (const char* name : images)
            list += std::string("<image name=\"") + name + "\" path=\"::" + kSpin + ".png\"/>";
        list += "</fixedAssets></assets>";
        const auto file = mFiles.Path() / "screenassets.xml";
        std::ofstream(file) << list;
        mSavedLists = gAssetLists;
        gAssetLists = new TAssetLists(TString(("::" + file.string()).c_str()));
        gAssetLists->LoadFixedAssets();
        mLists = true;
    }

    TestWindowHost* host = nullptr;
    TWindowScript* script = nullptr;
    std::unique_ptr<TWindowManager> manager;
    FakeLevelServices fakes;
    std::unique_ptr<ScopedLevelServices> services;
    TClock clock;
    LuaStyles lua;
    TWindow* root = nullptr;

private:
    support::TempFolder mFiles{"corvalo-screens-"};
    TAssetManager mAssets;
    TTaskList mTasks;
    TAssetLists* mSavedLists = nullptr;
    bool mLists = false;
};
