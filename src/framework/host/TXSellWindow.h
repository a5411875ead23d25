#pragma once

#include "framework/core/text/TString.h"
#include "framework/ui/window/TWindow.h"

struct lua_State;

// A cross-promotion screen: other games, each with a description and a
// link, a link to a games site, two centred lines and logos. The content
// comes from an XML file ("xsell/xsell.xml" unless the window table's
// "config" names another), the layout from the screen's window table, which
// provides the windows "descrip1".."descrip8" (texts), "xsellbutton1".."8",
// "gamesite", "centertext1", "centertext2", "sitelogo" and "nimbrellogo";
// missing ones are skipped. Scripts fill it with SetupXSell() and open a
// link with LaunchGameLink(n): 0 the site, 1 to 7 a game. The window
// manager makes it under the type name "XSellWindow".
class TXSellWindow : public TWindow {
public:
    static constexpr int kGameLinks = 7;
    static constexpr int kDescriptions = 8;

    TXSellWindow();
    const char* GetClassName() const override { return "TXSellWindow"; }
    bool IsKindOf(TWindowClassId id) const override {
        return id == GetClassId() || TWindow::IsKindOf(id);
    }
    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }
    static TWindowClassId GetClassId() { return &Create; }

    // "config" (default "xsell/xsell.xml") and "autoexpand" (default false).
    void Init(TWindowStyle& style) override;

    // Fills the windows from the file, hides those of games the file does
    // not describe and centres the buttons and logos on their places.
    void SetupXSell();
    // Opens link n: the site for 0, game n for 1 to 7; nothing (with a log
    // line) for other numbers and for an empty link.
    void LaunchGameLink(int n);

    const TString& GetGameLink(int n) const { return mGameLinks[n - 1]; }
    const TString& GetSiteLink() const { return mSiteLink; }
    const TString& GetConfig() const { return mConfig; }

protected:
    ~TXSellWindow() override;

private:
    void RegisterScriptFunctions();
    void UnregisterScriptFunctions();
    void Hide(const TString& name);

    TString mGameLinks[kGameLinks];
    TString mSiteLink;
    TString mConfig = "xsell/xsell.xml";
    bool mAutoExpand = false;
    lua_State* mScriptState = nullptr;
};
