// The game's own data files as shipped in assets/: they parse with the
// roots their readers expect and hold what start-up reads.

#include "framework/core/xml/TXmlNode.h"
#include "velk/assets/TAssetLists.h"
#include "velk/data/vlkXmlData.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TString Shipped(const std::string& name) {
    return TString(("::" + std::string(CORVALO_TEST_DATA) + "/../../assets/" + name).c_str());
}

TEST(ShippedData, EveryFileHasItsReadersRoot) {
    struct Case {
        const char* file;
        const char* root;
    } cases[] = {
        {"config.xml", "xmlData"},  {"game.xml", "xmlData"},      {"classic.xml", "xmlData"},
        {"blitz.xml", "xmlData"},   {"strategy.xml", "xmlData"},  {"rome.xml", "xmlData"},
        {"romegpx.xml", "xmlData"}, {"joker.xml", "xmlData"},     {"assets.xml", "assets"},
        {"fx.xml", "FXFiles"},      {"settings.xml", "settings"},
    };
    for (const Case& c : cases) {
        TXmlNode document;
        document.LoadFile(Shipped(c.file));
        EXPECT_NE(document.FindChild(c.root), nullptr) << c.file;
    }
}

TEST(ShippedData, ConfigurationNamesItsFilesAndValues) {
    vlkXmlData config(Shipped("config.xml"));
    EXPECT_GT(config.GetValue("game", "lives").ToInt(), 0);
    EXPECT_EQ(config.GetValueOr("game", "gameAssets", "").ToStd(), "assets.xml");
    EXPECT_EQ(config.GetValueOr("game", "fx", "").ToStd(), "fx.xml");
    for (const char* key :
         {"score", "bomb", "freeze", "wild", "sidewinder", "showtime", "screen1", "screen5"})
        EXPECT_GT(config.GetValue("achieve", key).ToInt(), 0) << key;
    for (const char* key : {"preLevel", "freeze", "goldenAnim", "standAnim", "matchAnim",
                            "bonusMatchAnim", "vanishAnim", "hideAnim", "showAnim"})
        EXPECT_GT(config.GetValue("time", key).ToInt(), 0) << key;
    // Comments make no tables.
    EXPECT_EQ(config.GetValueOr("!--", "x", "none").ToStd(), "none");

    TXmlNode settings;
    settings.LoadFile(Shipped("settings.xml"));
    ASSERT_NE(settings.FindChild("settings"), nullptr);
    TXmlNode* locale = settings.FindChild("settings")->FindChild("locale");
    ASSERT_NE(locale, nullptr);
    EXPECT_EQ(locale->GetText().ToStd(), "en");
}

TEST(ShippedData, AssetListNamesTheMenuMusicWithItsExtension) {
    TAssetLists lists(Shipped("assets.xml"));
    const TAssetListEntry* music = lists.FindFixedEntry("main_menu");
    ASSERT_NE(music, nullptr);
    EXPECT_EQ(music->kind, 2);
    for (const TAssetListEntry& entry : lists.GetFixedEntries())
        EXPECT_NE(entry.path.View().find('.'), std::string_view::npos) << entry.name.ToStd();
}

} // namespace
