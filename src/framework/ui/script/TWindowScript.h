#pragma once

#include "framework/script/host/TScript.h"
#include "framework/ui/window/TWindow.h"

#include <map>
#include <vector>

class TLuaFunction;
class TMessage;
class TMoviePlayer;
class TWindowStyle;

// Told of every window that a script creates, once it is set up and is the
// current window.
class TWindowCreationListener {
public:
    virtual ~TWindowCreationListener() = default;
    virtual void OnWindowCreated(TWindow* window, TWindowStyle& style) = 0;
};

// The window script: the script of the window manager, the one Lua state in
// which screen scripts, dialogs and the game's script callbacks run. It
// gives scripts the functions through which they build windows, read and
// change them, open and close modal windows and exchange messages; keeps
// the window types scripts create by name; keeps the stack of current
// windows (the last is the one script calls address); and bridges the
// screen coroutine, which waits for messages in HandleGetMessage, with
// native messages and native calls. The application makes it and hands it
// to the window manager, which owns it from then on. Main thread only.
class TWindowScript : public TScript {
public:
    // How deep a script may nest windows (the top modal counts as one):
    // the shipped screens nest fewer than ten; GenericCreate below this
    // depth fails with a Lua error.
    static constexpr int kMaxWindowDepth = 100;

    // Where the coroutine stands.
    enum WaitState : uint32_t {
        kResumeFailed = 0,
        kNotWaiting = 1,
        kWaitingForMessage = 3,
    };

    explicit TWindowScript(lua_State* state = nullptr);
    // Stops the movie, collects the state's garbage, then closes it.
    ~TWindowScript() override;

    // Runs the playing movie's step, the script stack kept as it was.
    void UpdateMovie();
    TMoviePlayer* GetMovie() const { return mMovie; }

    // The option that tells the script functions that a string table is
    // loaded. Returns the previous value.
    bool SetStringTableFlag(bool flag) {
        bool previous = mStringTableLoaded;
        mStringTableLoaded = flag;
        return previous;
    }
    bool GetStringTableFlag() const { return mStringTableLoaded; }

    // ---- Current windows
    // Empties the stack and pushes the window (null leaves it empty).
    void SetCurrentWindow(TWindow* window);
    void PushWindow(TWindow* window);
    // Pops the stack, never its last element.
    void PopWindow();
    TWindow* GetCurrentWindow() const { return mWindows.empty() ? nullptr : mWindows.back(); }
    size_t GetCurrentWindowCount() const { return mWindows.size(); }

    // ---- Window types
    // Defines the script constructor of the type (calling it with a table
    // gives a closure that builds the window when its dialog is made) and
    // keeps the creator; a second registration replaces the first.
    void RegisterWindowType(const TString& typeName, TWindowCreator creator);
    // The creator of the type, null when none is registered.
    TWindowCreator FindWindowType(const TString& typeName) const;

    // Hangs a new window under the current window, sets it up from the
    // script table on top of the stack and makes it the current window;
    // true when it joined the tree. A window that finds no current window
    // or that the parent refuses is deleted.
    bool AttachNewWindow(TWindow* window);
    void SetCreationListener(TWindowCreationListener* listener) { mCreationListener = listener; }

    // ---- The coroutine
    // Hands a native message (owned from then on; may be null) and a
    // command (left to the caller; may be null) to the script: queued on
    // the script side while the coroutine runs or has not started; the
    // command run at once (and the message dropped) while the coroutine is
    // suspended somewhere else than waiting for messages; else the
    // coroutine is resumed with them. False in the middle case.
    bool DeliverMessage(TMessage* message, const TLuaFunction* command);
    // A close request: a coroutine suspended in a yield is resumed once,
    // with no values.
    void ResumeOnClose();
    uint32_t GetWaitState() const { return mWaitState; }
    // True while the coroutine is suspended waiting for a message.
    bool IsWaitingForMessage() const { return mWaitState == kWaitingForMessage && InCoroutine(); }

    bool Step() override;

protected:
    // A native call that arrived while the coroutine waits: the coroutine
    // is resumed with nil and the call's closure, which the script's loop
    // runs; what the coroutine yields next is the call's result.
    bool DeliverCall() override;

private:
    // Resumes the coroutine with the values on top of the main state; what
    // it yields is dropped. A failed resume leaves kResumeFailed.
    bool ResumeWith(int values, bool keepResults);
    void RegisterFunctions();
    // The window of that name in the top modal's tree, or below the
    // current window; null when none.
    TWindow* FindInTopModal(const TString& name) const;
    TWindow* FindBelowCurrent(const TString& name) const;

    // ---- The script functions, in the order they are registered
    int PostCreate(lua_State* state);
    TString GetLabel(const TString& name);
    void RegisterHotkey(const TString& key, const TString& button);
    void SetLabel(const TString& name, const TString& text);
    TString TagHotKey(const TString& hotKey, const TString& label, const TString& unused);
    void SetBitmap(const TString& name, const TString& image, double scale);
    void SetPosition(const TString& name, int32_t x, int32_t y);
    int SetCommand(lua_State* state);
    int StripKeyFromLabel(lua_State* state);
    void SetWindowName(const TString& name);
    int FillRect(lua_State* state);
    double GetTimer();
    // The second argument, when given, stands for an absent setting.
    TString GetConfig(const TString& name, const TString& absent);
    bool IsEnabled(const TString& name);
    void DoSelectLayer(int32_t layer);
    bool EnableWindow(const TString& name, bool enable);
    bool GetButtonToggleState(const TString& name);
    void SetButtonToggleState(const TString& name, bool on);
    void ScriptPopWindow();
    void RealSetFocus(const TString& name);
    int StringToClipboard(lua_State* state);
    void UpdateWindow();
    TString PushModal(const TString& fileName);
    void ClearModalChildren();
    int32_t GetWindowDepth();
    void DoPopModal(const TString& name);
    int HandleGetMessage(lua_State* state);
    int GenericCreate(lua_State* state);
    int CreateNamedMessage(lua_State* state);
    int CreateCloseMessage(lua_State* state);
    int PostMessage(lua_State* state);
    int PostMessageToParent(lua_State* state);
    TString GetString(const TString& label, const TString& a1, const TString& a2, const TString& a3,
                      const TString& a4, const TString& a5);
    bool StartMovie(const TString& name, bool translate, bool allowInput);
    bool IsMoviePlaying();
    void StopMovie();
    bool ImageLoaded(const TString& name);
    void DestroyWindow(const TString& name);
    void DoFitToChildren();

    // Posts the message object at index 1, with the target.
    void PostScriptMessage(lua_State* state, TWindow* target);

    std::vector<TWindow*> mWindows;
    std::map<TString, TWindowCreator> mWindowTypes;
    uint32_t mWaitState = kNotWaiting;
    TWindowCreationListener* mCreationListener = nullptr;
    bool mStringTableLoaded = false;
    TMoviePlayer* mMovie = nullptr;
};

// Runs a Lua statement in the window manager's script; false when there is
// no window script or the statement failed.
bool RunLuaString(const TString& statement);
