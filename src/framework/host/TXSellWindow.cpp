#include "framework/host/TXSellWindow.h"

#include "framework/core/log/TLog.h"
#include "framework/core/xml/TXmlNode.h"
#include "framework/host/THostServices.h"
#include "framework/script/engine/LuaApi.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/script/TWindowScript.h"
#include "framework/ui/widgets/TText.h"
#include "framework/ui/window/TWindowStyle.h"

#include <lua.h>

#include <new>
#include <vector>

namespace {

const char* const kSetupFunction = "SetupXSell";
const char* const kLaunchFunction = "LaunchGameLink";

TXSellWindow* WindowOf(lua_State* L) {
    return static_cast<TXSellWindow*>(LuaToPointerBox(L, lua_upvalueindex(1)));
}

int CallSetupXSell(lua_State* L) {
    if (TXSellWindow* window = WindowOf(L))
        window->SetupXSell();
    return 0;
}

int CallLaunchGameLink(lua_State* L) {
    // Numbers are truncated toward zero; anything else is no link.
    int n = -1;
    if (lua_type(L, 1) == LUA_TNUMBER) {
        double value = lua_tonumber(L, 1);
        if (value > -2.0 && value < 100.0)
            n = static_cast<int>(value);
    }
    if (TXSellWindow* window = WindowOf(L))
        window->LaunchGameLink(n);
    return 0;
}

TString Numbered(const char* stem, int n) {
    return TString::Format("%s%d", stem, n);
}

} // namespace

TXSellWindow::TXSellWindow() {
    RegisterScriptFunctions();
}

TXSellWindow::~TXSellWindow() {
    UnregisterScriptFunctions();
}

TWindow* TXSellWindow::Create() {
    return new (std::nothrow) TXSellWindow;
}

void TXSellWindow::RegisterScriptFunctions() {
    TWindowManager* manager = TWindowManager::Instance();
    TWindowScript* script = manager ? manager->GetScript() : nullptr;
    lua_State* L = script ? script->GetState() : nullptr;
    if (!L)
        return;
    mScriptState = L;
    LuaPushPointerBox(L, this);
    lua_pushcclosure(L, CallSetupXSell, 1);
    lua_setglobal(L, kSetupFunction);
    LuaPushPointerBox(L, this);
    lua_pushcclosure(L, CallLaunchGameLink, 1);
    lua_setglobal(L, kLaunchFunction);
}

void TXSellWindow::UnregisterScriptFunctions() {
    // Only while the state is still the window script's, and only the
    // globals that are still this window's: a later window may own them.
    TWindowManager* manager = TWindowManager::Instance();
    TWindowScript* script = manager ? manager->GetScript() : nullptr;
    lua_State* L = mScriptState;
    if (!L || !script || script->GetState() != L)
        return;
    const struct {
        const char* name;
        lua_CFunction function;
    } globals[] = {{kSetupFunction, CallSetupXSell}, {kLaunchFunction, CallLaunchGameLink}};
    for (const auto& global : globals) {
        lua_getglobal(L, global.name);
        bool ours = false;
        if (lua_tocfunction(L, -1) == global.function && lua_getupvalue(L, -1, 1)) {
            ours = LuaToPointerBox(L, -1) == this;
            lua_pop(L, 1);
        }
        lua_pop(L, 1);
        if (ours) {
            lua_pushnil(L);
            lua_setglobal(L, global.name);
        }
    }
}

void TXSellWindow::Init(TWindowStyle& style) {
    TWindow::Init(style);
    mConfig = style.GetString("config", "xsell/xsell.xml");
    mAutoExpand = style.GetBool("autoexpand", false);
}

void TXSellWindow::Hide(const TString& name) {
    if (TWindow* window = FindChild(name, true))
        window->SetFlags(window->GetFlags() & ~kWindowVisible);
}

void TXSellWindow::SetupXSell() {
    TXmlNode document;
    document.LoadFile(mConfig);
    TXmlNode* root = document.FindChild("xsell");
    if (!root)
        LogPrintf("TXSellWindow: '%s' has no \"xsell\" element; no game is shown", mConfig.CStr());
    int games = 0;
    bool siteLink = false;
    for (size_t i = 0; root && i < root->GetChildCount(); ++i) {
        TXmlNode* child = root->GetChild(i);
        const TString& name = child->GetName();
        if (name.View() == "gameinfo") {
            if (games == kDescriptions) {
                LogPrintf("TXSellWindow: '%s' describes more than %d games; the rest are ignored",
                          mConfig.CStr(), kDescriptions);
                break;
            }
            ++games;
            TWindow* window = FindChild(Numbered("descrip", games), true);
            if (window && window->IsKindOf(TText::GetClassId())) {
                TString text = child->GetAttribute("description");
                TString linkText = child->GetAttribute("linktext");
                if (!linkText.IsEmpty()) {
                    text.Append(TString(" <u><font color=\"003cff\"><a id='"));
                    text.Append(Numbered("xsellbutton", games));
                    text.Append(TString("'>"));
                    text.Append(linkText);
                    text.Append(TString("</a></font></u>"));
                }
                static_cast<TText*>(window)->SetText(text);
            }
            if (games <= kGameLinks)
                mGameLinks[games - 1] = child->GetAttribute("link");
            else
                LogPrintf("TXSellWindow: game %d has no link; only %d games have one", games,
                          kGameLinks);
        } else if (name.View() == "sitelink") {
            siteLink = true;
            mSiteLink = child->GetAttribute("link");
        } else if (name.View() == "centertext") {
            const char* lines[][2] = {{"centertext1", "text1"}, {"centertext2", "text2"}};
            for (const auto& line : lines) {
                TWindow* window = FindChild(TString(line[0]), true);
                if (window && window->IsKindOf(TText::GetClassId()))
                    static_cast<TText*>(window)->SetText(child->GetAttribute(line[1]));
            }
        }
    }
    if (!siteLink)
        Hide("gamesite");
    for (int n = games + 1; n <= kDescriptions; ++n) {
        Hide(Numbered("descrip", n));
        Hide(Numbered("xsellbutton", n));
    }
    // The table places each button and logo by its centre.
    std::vector<TString> centred;
    for (int n = 1; n <= kGameLinks; ++n)
        centred.push_back(Numbered("xsellbutton", n));
    for (const char* name : {"sitelogo", "nimbrellogo", "gamesite"})
        centred.push_back(TString(name));
    for (const TString& name : centred) {
        TWindow* window = FindChild(name, true);
        if (!window)
            continue;
        TRect rect = window->GetScreenRect();
        TPoint topLeft(rect.left, rect.top);
        TPoint bottomRight(rect.right, rect.bottom);
        if (mAutoExpand && window->GetParent()) {
            topLeft = window->GetParent()->ScreenToLocal(topLeft);
            bottomRight = window->GetParent()->ScreenToLocal(bottomRight);
        }
        // Integer division toward zero, as C++ divides.
        window->SetPosition(topLeft.x - (bottomRight.x - topLeft.x) / 2,
                            topLeft.y - (bottomRight.y - topLeft.y) / 2);
    }
}

void TXSellWindow::LaunchGameLink(int n) {
    if (n < 0 || n > kGameLinks) {
        LogPrintf("LaunchGameLink: no link %d; links are 0 (the site) to %d", n, kGameLinks);
        return;
    }
    const TString& link = n == 0 ? mSiteLink : mGameLinks[n - 1];
    if (link.IsEmpty()) {
        LogPrintf("LaunchGameLink: link %d is empty; nothing opens", n);
        return;
    }
    THostServices* services = GetHostServices();
    if (!services) {
        LogPrintf("LaunchGameLink: nothing can open '%s' here", link.CStr());
        return;
    }
    services->OpenUrl(link);
}
