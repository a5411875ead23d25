#pragma once

#include "framework/core/tasks/TClock.h"
#include "framework/core/tasks/TTaskList.h"
#include "framework/ui/window/TWindow.h"

#include <map>
#include <set>

class TButton;
class TTask;

// The root of a dialog or screen on the window manager's modal stack: it
// stops event bubbling and messages, owns the task list and the clock of
// the animations of the windows inside it, remembers which of them has the
// focus, and knows which of them cover it whole (it is then opaque, and
// nothing below it is drawn).
class TModalWindow : public TWindow {
public:
    TModalWindow();

    const char* GetClassName() const override { return "TModalWindow"; }
    bool IsKindOf(TWindowClassId id) const override {
        return id == GetClassId() || TWindow::IsKindOf(id);
    }
    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }
    static TWindowClassId GetClassId() { return &Create; }

    // Starts or resumes the clock.
    bool OnAttached() override;
    // Fits to the children first.
    void PostInit(TWindowStyle& style) override;
    // Takes kCloseWindow: with a name the top modal is popped with it.
    bool OnMessage(TMessage* message) override;
    // Hands the focus on to the remembered focus child.
    void OnFocusGained(TWindow* previous) override;
    // Enter presses the shown default button, Escape the shown cancel
    // button; then kDefaultAction goes out from the focus window.
    bool OnChar(char c) override;
    // A registered hot key presses its button.
    bool OnKeyDown(int8_t key, uint32_t modifiers) override;

    // Maps the key text to a button name; an empty name removes the key.
    virtual void RegisterHotkey(const TString& key, const TString& button);
    // The hot key's normal form: "@" and the capital key for "@" texts,
    // else the modifiers in the order shift-, ctrl-, alt- and the capital
    // key ("Control-Shift-s" gives "shift-ctrl-S").
    static TString ParseHotkey(const TString& key);
    const std::map<TString, TString>& GetHotkeys() const { return mHotKeys; }

    // The animation tasks of the windows inside; the modal owns them.
    void AddTask(TTask* task);
    void RunTasks(int pass);
    void DeleteTasks();
    TTaskList& GetTasks() { return mTasks; }
    TClock& GetClock() { return mClock; }

    void SetFocusChild(TWindow* window);
    TWindow* GetFocusChild() const { return mFocusChild; }
    // Forgets the focus child when it is the window.
    void ForgetFocusChild(TWindow* window) {
        if (mFocusChild == window)
            mFocusChild = nullptr;
    }

    // Adds the window to the cover set or takes it out; the modal is
    // opaque while the set is not empty.
    void SetCover(TWindow* window, bool covers);
    bool IsCoveredBy(TWindow* window) const { return mCovers.count(window) != 0; }
    size_t GetCoverCount() const { return mCovers.size(); }

protected:
    // Posts kModalClosed named with the modal's id.
    ~TModalWindow() override;

private:
    TTaskList mTasks;
    TWindow* mFocusChild = nullptr;
    std::set<TWindow*> mCovers;
    TClock mClock;
    std::map<TString, TString> mHotKeys;
};

// Finds a modal's shown default and cancel buttons, top-most first, depth
// first; a later match replaces an earlier one until both are found.
class FindDefault : public TWindowSpider {
public:
    bool Visit(TWindow* window) override;
    TButton* GetDefault() const { return mDefault; }
    TButton* GetCancel() const { return mCancel; }

private:
    TButton* mDefault = nullptr;
    TButton* mCancel = nullptr;
};
