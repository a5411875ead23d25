#pragma once

// An application with its window manager, screen and window script, the
// game asset map and the game's settings, and windows made under the screen
// from Lua tables as the window script makes them.

#include "framework/app/AppFixture.h"
#include "framework/script/host/TScript.h"
#include "framework/script/wrappers/TLuaObjectWrapper.h"
#include "framework/sound/manager/TSoundManager.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/window/TWindowStyle.h"
#include "velk/assets/TGameAssetMap.h"
#include "velk/globals/GameGlobals.h"
#include "velk/settings/vlkGameSettings.h"

#include <lua.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

class WindowTableFixture : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        SetSetting(TSettingKey::kEncryptionKey, "KrvdsPomeXXX");
        BuildApplication();
        ASSERT_TRUE(mApplication->CreateMainWindow());
        mApplication->SetDisplayMode(1024, 768, false);
        // Before the settings, which set the volumes from what is stored.
        if (mWithSound) {
            ASSERT_TRUE(mApplication->InitSoundManager() || TSoundManager::Instance());
        }
        gGameAssetMap = new TGameAssetMap;
        gGameSettings = new vlkGameSettings;
        manager = mApplication->GetWindowManager();
        screen = manager->GetMainWindow();
        ASSERT_NE(screen, nullptr);
    }
    void TearDown() override {
        DestroyGameGlobals();
        DestroyGameAssetMap();
        AppFixture::TearDown();
    }

    TScript* Script() const { return GetGameScript(); }

    // A window of the class under the parent, set up from the table's
    // fields; PostInit waits for its children unless told not to.
    template <typename T = TWindow>
    T* Make(TWindowCreator create, const std::string& fields, TWindow* parent,
            bool postInit = true) {
        T* window = static_cast<T*>(create());
        parent->AddChild(window);
        EXPECT_TRUE(Script()->DoLuaString(TString(("gTestTable = {" + fields + "}").c_str())));
        lua_State* L = Script()->GetState();
        lua_getglobal(L, "gTestTable");
        auto table = std::make_unique<TLuaTable>(L);
        TWindowStyle style(table.get());
        window->Init(style);
        if (postInit)
            window->PostInit(style);
        mTables.push_back({window, std::move(table)});
        return window;
    }
    // PostInit of a window made with postInit false, from its own table.
    void PostInit(TWindow* window) {
        for (auto& made : mTables)
            if (made.window == window) {
                TWindowStyle style(made.table.get());
                window->PostInit(style);
                return;
            }
        ADD_FAILURE() << "no table for the window";
    }
    bool Run(const std::string& statement) {
        return Script()->DoLuaString(TString(statement.c_str()));
    }
    // A global as text; "(nil)" for nil, "?" for a value with no text.
    std::string Global(const char* name) {
        lua_State* L = Script()->GetState();
        lua_getglobal(L, name);
        std::string text = lua_isnil(L, -1)      ? "(nil)"
                           : lua_tostring(L, -1) ? lua_tostring(L, -1)
                                                 : "?";
        lua_pop(L, 1);
        return text;
    }

    struct Made {
        TWindow* window;
        std::unique_ptr<TLuaTable> table;
    };
    TWindowManager* manager = nullptr;
    TWindow* screen = nullptr;
    std::vector<Made> mTables;
    // Set by a fixture whose windows play sounds, before SetUp.
    bool mWithSound = false;
};
