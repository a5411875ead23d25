#pragma once

// What the tests of the quest's screens share: a window manager with its
// script (WidgetFixture), the level services' fakes (statements run by the
// screens are recorded there), an asset list and an effect list written
// into a folder of their own, and a hand clock on the screen's animator.

#include "framework/core/log/TLog.h"
#include "framework/core/tasks/TClock.h"
#include "framework/ui/widgets/WidgetFixture.h"
#include "framework/ui/window/TWindowAnim.h"
#include "game/levels/LevelServices.h"
#include "velk/assets/TAssetLists.h"
#include "velk/game/FxMap.h"
#include "velk/globals/GameGlobals.h"

#include "game/support/FakeLevelServices.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace screentest {

// A cut-scene of one invisible object that ends after `ms`.
inline std::string SceneOf(int ms) {
    return "<Cutscene name=\"s\" fps=\"100\"><object name=\"a\" type=\"sound\"/>"
           "<keyframe name=\"in\" time=\"0\"/><keyframe name=\"end\" time=\"" +
           std::to_string(ms) + "\"/></Cutscene>";
}

class ScreenTest : public WidgetFixture {
protected:
    void SetUp() override {
        WidgetFixture::SetUp();
        StartLog(mLogFolder.Path().string().c_str());
        mServices = std::make_unique<ScopedLevelServices>(fakes.Services());
        fakes.states.values["WindowActivated"] = "1";
    }
    void TearDown() override {
        gAssetLists = nullptr;
        mAssets.reset();
        if (!mLowerFolder.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(mLowerFolder, ignored);
        }
        ClearFxMap();
        mServices.reset();
        StartLog(nullptr);
        WidgetFixture::TearDown();
    }

    // Effect names to files written beside the list ("name" -> file text),
    // and to files that exist (the game's own, "name" -> path).
    void Effects(const std::vector<std::pair<std::string, std::string>>& effects,
                 const std::vector<std::pair<std::string, std::string>>& files = {}) {
        std::string list = "<FXFiles>";
        for (const auto& [name, text] : effects) {
            const std::string file = WriteLowerCase("fx/" + name + ".xml", text);
            list += "<fx name=\"" + name + "\" path=\"::" + file + "\"/>";
        }
        for (const auto& [name, path] : files)
            list += "<fx name=\"" + name + "\" path=\"::" + path + "\"/>";
        LoadFxMap(TString(("::" + mFolder.Write("fx.xml", list + "</FXFiles>")).c_str()));
    }
    // An asset list file; the global asset lists read it.
    void Assets(const std::string& body) {
        const std::string file = mFolder.Write("assets.xml", "<assets>" + body + "</assets>");
        mAssets = std::make_unique<TAssetLists>(TString(("::" + file).c_str()));
        gAssetLists = mAssets.get();
    }
    // The effect list lower-cases its paths: effect files go to a folder
    // whose whole path is lower case.
    std::string WriteLowerCase(const std::string& name, const std::string& text) {
        if (mLowerFolder.empty()) {
            std::string leaf = "corvalo-fx-" + mFolder.Path().filename().string();
            for (char& c : leaf)
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            mLowerFolder = std::filesystem::temp_directory_path() / leaf;
        }
        const std::filesystem::path file = mLowerFolder / name;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
        return file.string();
    }
    size_t Count(const std::string& statement) const {
        size_t n = 0;
        for (const std::string& s : fakes.scripts.statements)
            n += s == statement;
        return n;
    }

    FakeLevelServices fakes;
    TClock clock;
    support::TempFolder mFolder;
    support::TempFolder mLogFolder;

private:
    std::filesystem::path mLowerFolder;
    std::unique_ptr<ScopedLevelServices> mServices;
    std::unique_ptr<TAssetLists> mAssets;
};

} // namespace screentest
