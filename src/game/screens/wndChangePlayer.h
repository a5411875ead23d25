#pragma once

#include "framework/core/text/TColor32.h"
#include "framework/ui/window/TWindow.h"

#include <cstdint>
#include <vector>

class TButton;
class TText;

// The window behind the player list: the script's radio buttons
// "btnUser1".."btnUserN" with their name labels "lblUser1".."lblUserN" (N
// is "gMaximumNumberOfPlayers"). It hands the script the stored players
// (through the script's UpdatePlayerChoices), colours the labels every
// 50 ms by the state of their buttons, keeps only the highlighted button
// ("gv_Current_Player") turned on, and answers which player is chosen. The
// buttons and labels belong to the window tree.
class wndChangePlayer : public TWindow {
public:
    static const TColor kOrange;
    static const TColor kWhite;
    static const TColor kDarkPurple;

    // Registers the script functions and reads the maximum.
    wndChangePlayer();

    const char* GetClassName() const override { return "wndChangePlayer"; }
    bool IsKindOf(TWindowClassId id) const override {
        return id == GetClassId() || TWindow::IsKindOf(id);
    }
    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }
    static TWindowClassId GetClassId() { return &Create; }

    void PostInit(TWindowStyle& style) override;
    bool OnAnimate() override;

    // Calls UpdatePlayerChoices(current, count, names) with the names of
    // the first players up to the maximum as a table of texts.
    void SetPlayerChoices();
    // The index of the player whose button is turned on, 0 when none is.
    int32_t GetSelectedUser();
    TString GetSelectedPlayerName();
    TString GetSelectedPlayerAvatar();
    // Makes that player current (only an index below the count).
    void UpdateSelectedPlayerName(int32_t index);

    int32_t GetMaximum() const { return mMaximum; }
    int32_t GetHighlighted() const { return mHighlighted; }
    const std::vector<TButton*>& GetButtons() const { return mButtons; }
    const std::vector<TText*>& GetLabels() const { return mLabels; }

protected:
    ~wndChangePlayer() override = default;

private:
    TButton* FindButton(int32_t number) const;

    std::vector<TButton*> mButtons;
    std::vector<TText*> mLabels;
    int32_t mMaximum = 0;
    int32_t mHighlighted = 0;
};
