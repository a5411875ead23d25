// The functions that the window script gives screen scripts: building
// windows, reading and changing them by name, modal windows, messages and
// the modal loop's wait, movies. Each is a member of TWindowScript bound
// as a script global.

#include "framework/core/log/TLog.h"
#include "framework/core/settings/TSettings.h"
#include "framework/core/tasks/FrameworkTime.h"
#include "framework/core/xml/TStringTable.h"
#include "framework/graphics/TGraphics.h"
#include "framework/graphics/TTexture.h"
#include "framework/script/message/TLuaMessage.h"
#include "framework/script/message/TMessage.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/movie/TMoviePlayer.h"
#include "framework/ui/script/TScriptBinding.h"
#include "framework/ui/script/TWindowScript.h"
#include "framework/ui/widgets/TButton.h"
#include "framework/ui/widgets/TImage.h"
#include "framework/ui/widgets/TText.h"
#include "framework/ui/window/TLayeredWindow.h"
#include "framework/ui/window/TModalWindow.h"
#include "framework/ui/window/TWindowStyle.h"

#include <lauxlib.h>
#include <lua.h>

#include <cctype>

namespace {

TString ArgumentText(lua_State* state, int index) {
    size_t length = 0;
    const char* text = lua_tolstring(state, index, &length);
    return text ? TString(text, length) : TString();
}

// Elements 1 to 4 of the table at the index; a missing element reads 0.
void ReadFour(lua_State* state, int index, double (&values)[4]) {
    for (int i = 0; i < 4; ++i) {
        values[i] = 0;
        if (!lua_istable(state, index))
            continue;
        lua_rawgeti(state, index, i + 1);
        values[i] = lua_tonumber(state, -1);
        lua_pop(state, 1);
    }
}

TWindowManager* Manager() {
    return TWindowManager::Instance();
}

} // namespace

void TWindowScript::RegisterFunctions() {
    lua_State* main = GetMainState();
    BindScriptFunction(main, "PostCreate", this, &TWindowScript::PostCreate);
    BindScriptFunction(main, "GetLabel", this, &TWindowScript::GetLabel);
    BindScriptFunction(main, "_RegisterHotkey", this, &TWindowScript::RegisterHotkey);
    BindScriptFunction(main, "SetLabel", this, &TWindowScript::SetLabel);
    BindScriptFunction(main, "TagHotKey", this, &TWindowScript::TagHotKey);
    BindScriptFunction(main, "_SetBitmap", this, &TWindowScript::SetBitmap);
    BindScriptFunction(main, "SetPosition", this, &TWindowScript::SetPosition);
    BindScriptFunction(main, "SetCommand", this, &TWindowScript::SetCommand);
    BindScriptFunction(main, "StripKeyFromLabel", this, &TWindowScript::StripKeyFromLabel);
    BindScriptFunction(main, "SetWindowName", this, &TWindowScript::SetWindowName);
    BindScriptFunction(main, "FillRect", this, &TWindowScript::FillRect);
    BindScriptFunction(main, "GetTimer", this, &TWindowScript::GetTimer);
    BindScriptFunction(main, "GetConfig", this, &TWindowScript::GetConfig);
    BindScriptFunction(main, "IsEnabled", this, &TWindowScript::IsEnabled);
    BindScriptFunction(main, "DoSelectLayer", this, &TWindowScript::DoSelectLayer);
    BindScriptFunction(main, "EnableWindow", this, &TWindowScript::EnableWindow);
    BindScriptFunction(main, "GetButtonToggleState", this, &TWindowScript::GetButtonToggleState);
    BindScriptFunction(main, "SetButtonToggleState", this, &TWindowScript::SetButtonToggleState);
    BindScriptFunction(main, "PopWindow", this, &TWindowScript::ScriptPopWindow);
    BindScriptFunction(main, "RealSetFocus", this, &TWindowScript::RealSetFocus);
    BindScriptFunction(main, "StringToClipboard", this, &TWindowScript::StringToClipboard);
    BindScriptFunction(main, "UpdateWindow", this, &TWindowScript::UpdateWindow);
    BindScriptFunction(main, "PushModal", this, &TWindowScript::PushModal);
    BindScriptFunction(main, "ClearModalChildren", this, &TWindowScript::ClearModalChildren);
    BindScriptFunction(main, "GetWindowDepth", this, &TWindowScript::GetWindowDepth);
    BindScriptFunction(main, "DoPopModal", this, &TWindowScript::DoPopModal);
    BindScriptFunction(main, "HandleGetMessage", this, &TWindowScript::HandleGetMessage);
    BindScriptFunction(main, "GenericCreate", this, &TWindowScript::GenericCreate);
    BindScriptFunction(main, "CreateNamedMessage", this, &TWindowScript::CreateNamedMessage);
    BindScriptFunction(main, "CreateCloseMessage", this, &TWindowScript::CreateCloseMessage);
    BindScriptFunction(main, "PostMessage", this, &TWindowScript::PostMessage);
    BindScriptFunction(main, "PostMessageToParent", this, &TWindowScript::PostMessageToParent);
    BindScriptFunction(main, "_GetString", this, &TWindowScript::GetString);
    BindScriptFunction(main, "StartMovie", this, &TWindowScript::StartMovie);
    BindScriptFunction(main, "IsMoviePlaying", this, &TWindowScript::IsMoviePlaying);
    BindScriptFunction(main, "StopMovie", this, &TWindowScript::StopMovie);
    BindScriptFunction(main, "ImageLoaded", this, &TWindowScript::ImageLoaded);
    BindScriptFunction(main, "DestroyWindow", this, &TWindowScript::DestroyWindow);
    BindScriptFunction(main, "DoFitToChildren", this, &TWindowScript::DoFitToChildren);
}

TWindow* TWindowScript::FindInTopModal(const TString& name) const {
    TWindowManager* manager = Manager();
    TWindow* top = manager ? manager->GetTopModal() : nullptr;
    return top ? top->FindChild(name, true) : nullptr;
}

TWindow* TWindowScript::FindBelowCurrent(const TString& name) const {
    TWindow* current = GetCurrentWindow();
    return current ? current->FindChild(name, true) : nullptr;
}

int TWindowScript::PostCreate(lua_State* state) {
    TWindow* current = GetCurrentWindow();
    if (!current || !lua_istable(state, 1))
        return 0;
    lua_pushvalue(state, 1);
    auto* table = new TLuaTable(state);
    TWindowStyle style(table);
    current->PostInit(style);
    QueueRelease(table);
    return 0;
}

TString TWindowScript::GetLabel(const TString& name) {
    TWindowManager* manager = Manager();
    if (!manager || !manager->GetTopModal())
        return TString();
    TWindow* window = FindInTopModal(name);
    if (!window)
        return name + TString("_is_not_found");
    if (window->IsKindOf(TText::GetClassId()))
        return static_cast<TText*>(window)->GetText();
    if (window->IsKindOf(TButton::GetClassId()))
        return static_cast<TButton*>(window)->GetLabel();
    return name + TString("_is_not_a_TText_window_or_TButton");
}

void TWindowScript::RegisterHotkey(const TString& key, const TString& button) {
    TWindowManager* manager = Manager();
    TWindow* top = manager ? manager->GetTopModal() : nullptr;
    if (key.IsEmpty() || !top || !top->IsKindOf(TModalWindow::GetClassId()))
        return;
    static_cast<TModalWindow*>(top)->RegisterHotkey(key, button);
}

void TWindowScript::SetLabel(const TString& name, const TString& text) {
    TWindow* window = FindInTopModal(name);
    if (!window)
        return;
    if (window->IsKindOf(TText::GetClassId()))
        static_cast<TText*>(window)->SetText(text);
    else if (window->IsKindOf(TButton::GetClassId()))
        static_cast<TButton*>(window)->SetLabel(text);
}

TString TWindowScript::TagHotKey(const TString& hotKey, const TString& label, const TString&) {
    if (hotKey.IsEmpty())
        return label;
    const auto key = static_cast<unsigned char>(hotKey.CStr()[hotKey.Length() - 1]);
    const std::string_view text = label.View();
    for (size_t i = 0; i < text.size(); ++i) {
        const auto letter = static_cast<unsigned char>(text[i]);
        if (std::tolower(letter) == std::tolower(key)) {
            return TString(text.substr(0, i)) + TString("<u>") + TString(text.substr(i, 1)) +
                   TString("</u>") + TString(text.substr(i + 1));
        }
    }
    return label;
}

void TWindowScript::SetBitmap(const TString& name, const TString& image, double scale) {
    TWindow* window = FindInTopModal(name);
    if (!window || !window->IsKindOf(TImage::GetClassId()))
        return;
    static_cast<TImage*>(window)->SetBitmap(TTexture::Get(image), static_cast<float>(scale));
}

void TWindowScript::SetPosition(const TString& name, int32_t x, int32_t y) {
    if (TWindow* window = FindInTopModal(name)) {
        const TPoint point = window->PlacedPosition(x, y);
        window->SetPosition(point.x, point.y);
    }
}

int TWindowScript::SetCommand(lua_State* state) {
    TWindow* window = FindInTopModal(ArgumentText(state, 1));
    if (!window || !window->IsKindOf(TButton::GetClassId()) || !lua_isfunction(state, 2))
        return 0;
    lua_pushvalue(state, 2);
    auto* function = new TLuaFunction(state);
    static_cast<TButton*>(window)->SetAction(new TButton::LuaAction(function));
    return 0;
}

int TWindowScript::StripKeyFromLabel(lua_State* state) {
    const TString label = ArgumentText(state, 1);
    const std::string_view text = label.View();
    const size_t amp = text.find('&');
    TString stripped = label;
    TString key;
    if (amp != std::string_view::npos) {
        stripped = TString(text.substr(0, amp)) + TString(text.substr(amp + 1));
        // A letter of more than one byte cannot be a key.
        if (amp + 1 < text.size() && (static_cast<unsigned char>(text[amp + 1]) & 0x80) == 0)
            key = TString("@") + TString(text.substr(amp + 1, 1));
    }
    luaL_checkstack(state, 2, "StripKeyFromLabel");
    lua_pushlstring(state, stripped.CStr(), stripped.Length());
    lua_pushlstring(state, key.CStr(), key.Length());
    return 2;
}

void TWindowScript::SetWindowName(const TString& name) {
    if (TWindow* current = GetCurrentWindow())
        current->SetName(name);
}

int TWindowScript::FillRect(lua_State* state) {
    if (!TGraphics::Exists())
        return 0;
    double rect[4];
    double colour[4];
    ReadFour(state, 1, rect);
    ReadFour(state, 2, colour);
    auto whole = [](double value) { return LuaToInteger<int32_t>(value); };
    const TRect area(whole(rect[0]), whole(rect[1]), whole(rect[2]), whole(rect[3]));
    TGraphics* graphics = TGraphics::Get();
    graphics->PushClipRect(area);
    graphics->FillRect(area, TColor(static_cast<float>(colour[0]), static_cast<float>(colour[1]),
                                    static_cast<float>(colour[2]), static_cast<float>(colour[3])));
    graphics->PopClipRect();
    return 0;
}

double TWindowScript::GetTimer() {
    return GetFrameworkTime();
}

TString TWindowScript::GetConfig(const TString& name, const TString& absent) {
    return GetSetting(name, absent);
}

bool TWindowScript::IsEnabled(const TString& name) {
    return GetSettingBool(name);
}

void TWindowScript::DoSelectLayer(int32_t layer) {
    TWindow* current = GetCurrentWindow();
    if (current && current->IsKindOf(TLayeredWindow::GetClassId()))
        static_cast<TLayeredWindow*>(current)->SelectLayer(static_cast<uint32_t>(layer));
}

bool TWindowScript::EnableWindow(const TString& name, bool enable) {
    TWindow* window = FindInTopModal(name);
    if (!window)
        return false;
    if (enable) {
        window->SetFlags(window->GetFlags() | kWindowVisible);
    } else {
        window->SetFlags(window->GetFlags() & ~kWindowVisible);
        if (window->IsKindOf(TButton::GetClassId()))
            window->OnMouseExit();
    }
    Manager()->Invalidate();
    return true;
}

bool TWindowScript::GetButtonToggleState(const TString& name) {
    TWindow* window = FindInTopModal(name);
    return window && window->IsKindOf(TButton::GetClassId()) &&
           static_cast<TButton*>(window)->GetToggleState();
}

void TWindowScript::SetButtonToggleState(const TString& name, bool on) {
    TWindow* window = FindInTopModal(name);
    if (window && window->IsKindOf(TButton::GetClassId()))
        static_cast<TButton*>(window)->SetToggleState(on);
}

void TWindowScript::ScriptPopWindow() {
    PopWindow();
}

void TWindowScript::RealSetFocus(const TString& name) {
    TWindowManager* manager = Manager();
    if (!manager)
        return;
    // Without a match the focus goes, and nobody is told it arrived.
    manager->SetFocus(FindBelowCurrent(name));
}

int TWindowScript::StringToClipboard(lua_State* state) {
    // Without a text the clipboard keeps what it holds.
    TWindowManager* manager = Manager();
    const bool stored = lua_isstring(state, 1) && manager && manager->GetHost() &&
                        manager->GetHost()->SetClipboardString(ArgumentText(state, 1));
    lua_pushboolean(state, stored ? 1 : 0);
    return 1;
}

void TWindowScript::UpdateWindow() {
    if (TWindowManager* manager = Manager())
        manager->Invalidate();
}

TString TWindowScript::PushModal(const TString& fileName) {
    TWindowManager* manager = Manager();
    if (!manager)
        return TString();
    TWindow* modal = TModalWindow::Create();
    modal->SetName(fileName);
    manager->PushModal(modal);
    return modal->GetIdString();
}

void TWindowScript::ClearModalChildren() {
    TWindowManager* manager = Manager();
    TWindow* top = manager ? manager->GetTopModal() : nullptr;
    if (!top)
        return;
    if (top->IsKindOf(TModalWindow::GetClassId()))
        static_cast<TModalWindow*>(top)->DeleteTasks();
    top->DeleteChildren();
    top->SetSize(0, 0);
    top->SetPosition(0, 0);
}

int32_t TWindowScript::GetWindowDepth() {
    TWindowManager* manager = Manager();
    int32_t depth = 0;
    for (TWindow* window = manager ? manager->GetTopModal() : nullptr; window;
         window = window->GetParent())
        ++depth;
    return depth;
}

void TWindowScript::DoPopModal(const TString& name) {
    if (TWindowManager* manager = Manager())
        manager->DoPopModal(name);
}

int TWindowScript::HandleGetMessage(lua_State* state) {
    if (lua_pushthread(state)) {
        lua_pop(state, 1);
        return luaL_error(state, "HandleGetMessage: a screen waits for messages only inside the "
                                 "screen coroutine (a DoModal outside it cannot wait)");
    }
    lua_pop(state, 1);
    if (lua_gettop(state) == 1)
        Delay(static_cast<uint32_t>(LuaCheckedInt(state, 1)), true, true);
    else
        Suspend();
    mWaitState = kWaitingForMessage;
    luaL_checkstack(state, 1, "HandleGetMessage");
    lua_getglobal(state, "gYieldResult");
    return lua_yield(state, 1);
}

int TWindowScript::GenericCreate(lua_State* state) {
    if (!lua_istable(state, 1)) {
        LogPrintf("GenericCreate: the window's settings are not a table");
        lua_pushboolean(state, 0);
        return 1;
    }
    // Checked before anything is made: the error leaves this function.
    int depth = 0;
    for (const TWindow* window = GetCurrentWindow(); window; window = window->GetParent())
        ++depth;
    if (depth >= kMaxWindowDepth) {
        LogPrintf("GenericCreate: windows nest deeper than %d; not made", kMaxWindowDepth);
        return luaL_error(state, "windows nest deeper than %d", kMaxWindowDepth);
    }
    lua_settop(state, 1);
    lua_pushvalue(state, 1);
    auto* table = new TLuaTable(state);
    TWindowStyle style(table);
    const TString typeName = style.GetString("typename", TString());
    QueueRelease(table);
    TWindowCreator creator = FindWindowType(typeName);
    bool made = false;
    if (!creator) {
        LogPrintf("GenericCreate: no window type '%s'; nothing made", typeName.CStr());
    } else {
        // AttachNewWindow reads the table on top of the main state.
        lua_State* main = GetMainState();
        lua_pushvalue(state, 1);
        if (main != state)
            lua_xmove(state, main, 1);
        made = AttachNewWindow(creator());
        lua_pop(main, 1);
    }
    lua_pushboolean(state, made ? 1 : 0);
    return 1;
}

int TWindowScript::CreateNamedMessage(lua_State* state) {
    const int32_t type = LuaCheckedInt(state, 1);
    PushMessageObject(state, new TMessage(type, ArgumentText(state, 2)));
    return 1;
}

int TWindowScript::CreateCloseMessage(lua_State* state) {
    TWindow* current = GetCurrentWindow();
    PushMessageObject(state,
                      new TMessage(TMessage::kCloseWindow, current ? current->GetIdString() : ""));
    return 1;
}

void TWindowScript::PostScriptMessage(lua_State* state, TWindow* target) {
    TWindowManager* manager = Manager();
    if (!ToMessage(state, 1)) {
        LogPrintf("PostMessage: the argument is not a message (%s)", luaL_typename(state, 1));
        return;
    }
    if (!manager)
        return;
    lua_pushvalue(state, 1);
    auto* message = new TLuaMessageWrapper(state);
    message->SetTarget(target);
    manager->PostMessage(message);
}

int TWindowScript::PostMessage(lua_State* state) {
    PostScriptMessage(state, nullptr);
    return 0;
}

int TWindowScript::PostMessageToParent(lua_State* state) {
    TWindowManager* manager = Manager();
    TWindow* top = manager ? manager->GetTopModal() : nullptr;
    PostScriptMessage(state, top ? top->GetParent() : nullptr);
    return 0;
}

TString TWindowScript::GetString(const TString& label, const TString& a1, const TString& a2,
                                 const TString& a3, const TString& a4, const TString& a5) {
    if (!label.IsEmpty() && label.CStr()[0] == '#')
        return label.Substring(1);
    TWindowManager* manager = Manager();
    const TStringTable* table =
        manager && manager->GetHost() ? manager->GetHost()->GetStringTable() : nullptr;
    return table ? table->GetString(label, a1, a2, a3, a4, a5) : label;
}

bool TWindowScript::StartMovie(const TString& name, bool translate, bool allowInput) {
    if (name.IsEmpty())
        return false;
    StopMovie();
    TMoviePlayer* movie = MakeMoviePlayer(name);
    if (!movie)
        return false;
    if (!movie->Open(false, translate, allowInput)) {
        delete movie;
        return false;
    }
    mMovie = movie;
    return true;
}

bool TWindowScript::IsMoviePlaying() {
    return mMovie && mMovie->IsPlaying();
}

void TWindowScript::StopMovie() {
    if (!mMovie)
        return;
    TMoviePlayer* movie = mMovie;
    mMovie = nullptr;
    movie->Close();
    delete movie;
}

bool TWindowScript::ImageLoaded(const TString& name) {
    TWindow* window = FindInTopModal(name);
    return window && window->IsKindOf(TImage::GetClassId()) &&
           static_cast<TImage*>(window)->GetBitmap() != nullptr;
}

void TWindowScript::DestroyWindow(const TString& name) {
    TWindow* window = FindBelowCurrent(name);
    TWindowManager* manager = Manager();
    if (!window || !manager)
        return;
    if (window == GetCurrentWindow()) {
        LogPrintf("DestroyWindow: '%s' is the current window; not destroyed", name.CStr());
        return;
    }
    if (TWindow* parent = window->GetParent())
        parent->RemoveChild(window);
    manager->QueueDelete(window);
}

void TWindowScript::DoFitToChildren() {
    if (TWindow* current = GetCurrentWindow())
        current->FitToChildren();
}
