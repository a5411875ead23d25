#include "game/startup/GameWindowTypes.h"

#include "framework/core/text/TString.h"
#include "framework/ui/window/TWindow.h"
#include "velk/options/vlkOptionsDialog.h"
#include "velk/options/vlkTextEdit.h"

#include <new>
#include <string_view>
#include <utility>

namespace {

constexpr const char* kTypeNames[kGameWindowTypeCount] = {
    "wndMainMenu",
    "wndChangePlayer",
    "vlkTextEdit",
    "wndCorvalo",
    "guiCorvalo",
    "btmCorvalo",
    "wndLoseLife",
    "wndCutscene",
    "topCorvalo",
    "wndLoading",
    "wndMove",
    "wndRegisterUser",
    "vlkOptionsDialog",
    "clsText",
    "wndCredits",
    "clsPanelModeGame",
    "clsMetamapButton",
    "wndMetamap",
    "wndQuickPlay",
    "wndAchievements",
    "wndCreditsFade",
    "wndInstructions",
    "wndInstructionLevel",
    "wndPause",
    "wndReward",
    "wndQuestPanel",
    "wndFinishQuest",
    "wndGoalPanel",
    "wndAvatarUnlocked",
    "wndToolTip",
};

// A plain window standing in for the class of type I.
template <size_t I> TWindow* CreatePlaceholder() {
    return new (std::nothrow) TWindow(TString(kTypeNames[I]));
}

// The class's own creator where the class exists, else the placeholder.
template <size_t I> constexpr GameWindowCreator CreatorOf() {
    constexpr std::string_view name = kTypeNames[I];
    if constexpr (name == "vlkTextEdit")
        return &vlkTextEdit::Create;
    else if constexpr (name == "vlkOptionsDialog")
        return &vlkOptionsDialog::Create;
    else
        return &CreatePlaceholder<I>;
}

template <size_t... I>
constexpr std::array<GameWindowType, kGameWindowTypeCount> MakeTable(std::index_sequence<I...>) {
    return {{{kTypeNames[I], CreatorOf<I>()}...}};
}

constexpr std::array<GameWindowType, kGameWindowTypeCount> kGameWindowTypes =
    MakeTable(std::make_index_sequence<kGameWindowTypeCount>());

} // namespace

const std::array<GameWindowType, kGameWindowTypeCount>& GetGameWindowTypes() {
    return kGameWindowTypes;
}
