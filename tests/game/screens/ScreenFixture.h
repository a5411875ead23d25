#pragma once

// The screens' windows made as the window script makes them (see
// WindowTableFixture), with the game's asset lists, curtains, spies on
// script functions and stored players.

#include "framework/core/files/TAssetScan.h"
#include "framework/core/files/TFileSystem.h"
#include "framework/core/tasks/TTaskList.h"
#include "framework/script/animation/TAnimatedSprite.h"
#include "framework/script/host/TScript.h"
#include "velk/assets/TAssetLists.h"
#include "velk/globals/GameGlobals.h"
#include "velk/support/WindowTableFixture.h"

#include <lua.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>

class ScreenFixture : public WindowTableFixture {
protected:
    void TearDown() override {
        if (gAssetLists) {
            delete gAssetLists;
            gAssetLists = nullptr;
        }
        WindowTableFixture::TearDown();
    }

    // The game's asset lists over a list of the test's own: each short
    // name an animation that plays four frames of 60 ms and ends.
    void UseAnimations(std::initializer_list<std::string> names) {
        const std::filesystem::path data = CORVALO_TEST_DATA "/animation";
        const std::filesystem::path folder = mGame / "assets" / "gpx" / "test";
        std::filesystem::create_directories(folder);
        std::filesystem::copy_file(data / "spin.xml", folder / "spin.xml",
                                   std::filesystem::copy_options::overwrite_existing);
        std::filesystem::copy_file(data / "spin.png", folder / "spin.png",
                                   std::filesystem::copy_options::overwrite_existing);
        std::string list = "<assets><fixedAssets>\n";
        for (const std::string& name : names)
            list += "<image name=\"" + name + "\" path=\"gpx/test/spin.xml\"/>\n";
        list += "</fixedAssets></assets>\n";
        WriteAsset("assets.xml", list);
        ClearNameRegistry();
        InitFileSystem();
        delete gAssetLists;
        gAssetLists = new TAssetLists(TString("assets.xml"));
        gAssetLists->LoadFixedAssets();
    }
    // A curtain of the test's own that ends after ms of its time (half as
    // long at the speed the screens play it).
    void WriteCurtain(const std::string& file, int ms) {
        WriteAsset(file, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                         "<Cutscene name=\"curtain\" fps=\"30\">\n"
                         "  <keyframe name=\"start\" time=\"0\"/>\n"
                         "  <keyframe name=\"end\" time=\"" +
                             std::to_string(ms) + "\"/>\n</Cutscene>\n");
    }
    // Defines the named script functions so that each call is noted in
    // the global list "gCalls"; Calls() gives them joined by commas.
    void SpyOn(std::initializer_list<const char*> functions) {
        Run("gCalls = {}");
        for (const char* name : functions)
            Run(std::string("function ") + name + "() table.insert(gCalls, '" + name + "') end");
    }
    std::string Calls() {
        Run("gCallText = table.concat(gCalls, ',')");
        return Global("gCallText");
    }
    // Runs the animation tasks (the figures' scripts) at the clock's time.
    static void RunTasks() {
        if (TTaskList* tasks = TAnimatedSprite::GetTaskList())
            tasks->RunAll(0);
    }

    // A stored player of that name, the name handed over as it stands.
    void AddPlayer(const std::string& name) {
        lua_State* L = Script()->GetState();
        lua_pushlstring(L, name.data(), name.size());
        lua_setglobal(L, "gNewPlayerName");
        EXPECT_TRUE(Run("qvd_createNewUser(gNewPlayerName)"));
    }
    void SetGlobalText(const char* name, const std::string& value) {
        lua_State* L = Script()->GetState();
        lua_pushlstring(L, value.data(), value.size());
        lua_setglobal(L, name);
    }
};
