#pragma once

#include "framework/core/math/TPoint.h"
#include "framework/core/math/TRect.h"
#include "framework/core/text/TString.h"

#include <cstdint>
#include <list>
#include <type_traits>

class TMessage;
class TModalWindow;
class TWindow;
class TWindowAnim;
class TWindowSpider;
class TWindowStyle;
struct TEvent;

// Makes a window of one class. The creator's address is also the class's
// identity, which IsKindOf compares.
using TWindowCreator = TWindow* (*)();
using TWindowClassId = TWindowCreator;

// Window flag bits.
inline constexpr uint32_t kWindowModal = 0x1;
inline constexpr uint32_t kWindowTakesFocus = 0x2;
inline constexpr uint32_t kWindowFirstPass = 0x4;
inline constexpr uint32_t kWindowBeginsGroup = 0x8;
inline constexpr uint32_t kWindowVisible = 0x100;
inline constexpr uint32_t kWindowDrawnFirstPass = 0x400;
inline constexpr uint32_t kWindowOpaque = 0x800;

// Placement codes of the "x", "y", "w" and "h" keys.
inline constexpr int32_t kCenter = 80000;
inline constexpr int32_t kMax = 160000;

// Set when a key press fired a hot key, so that the character event of the
// same press is eaten.
extern bool gSwallowNextChar;

// The node of the window tree: a rectangle inside its parent, a name, flag
// bits and an ordered list of owned children, the front of which is the
// top-most child (drawn last, hit first). The window manager draws windows
// and hands them pointer, key, message and animation calls through the
// virtual operations; every window type derives from it. Windows are made
// by their class's creator, set up from a script table (Init, then
// PostInit once the children exist) and destroyed through DeleteThis.
class TWindow {
public:
    TWindow();
    explicit TWindow(const TString& name);
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;

    // ---- Class identity
    virtual const char* GetClassName() const { return "TWindow"; }
    virtual bool IsKindOf(TWindowClassId id) const { return id == GetClassId(); }
    static TWindow* Create();
    static TWindowCreator GetCreator() { return &Create; }
    static TWindowClassId GetClassId() { return &Create; }
    // Destroys the window; frees it when bit 0 of the flags is set.
    virtual void DeleteThis(uint32_t flags = 1);

    // ---- Life in the tree
    // After the window got a parent through AddChild with notification, or
    // became the main window; false makes AddChild undo the add.
    virtual bool OnAttached() { return true; }
    // "name", then placement.
    virtual void Init(TWindowStyle& style);
    // "fit", then placement again.
    virtual void PostInit(TWindowStyle& style);
    virtual void Draw() {}
    virtual void DrawOverlay() {}
    // Called on every shown window of the screen before the manager decides
    // whether a frame is due: a window that draws something that moves by
    // itself asks here for the rectangles where it changed since the last
    // frame (InvalidateScreenRect), or for the whole screen.
    virtual void OnBeforeFrame() {}
    // Inserts the child at the front; with notify asks its OnAttached.
    virtual bool AddChild(TWindow* child, bool notify = true);
    // Takes the child out of the list; gives back its former parent.
    virtual TWindow* RemoveChild(TWindow* child);
    virtual void OnModalPopped() {}
    virtual void OnScale(float, uint32_t) {}
    virtual bool OnMessage(TMessage*) { return false; }
    // The animator's step; true keeps the task scheduled.
    virtual bool OnAnimate() { return false; }

    // ---- Input, points in the window's own coordinates
    virtual bool OnMouseDown(TPoint) { return false; }
    virtual bool OnMouseButton(TPoint, int32_t) { return false; }
    virtual bool OnMouseUp(TPoint) { return false; }
    virtual bool OnMouseMove(TPoint) { return false; }
    virtual bool OnMouseExit() { return false; }
    virtual bool OnChar(char) { return false; }
    virtual bool OnText(const TString&) { return false; }
    // Key codes are signed bytes: the arrows and paging keys are negative.
    virtual bool OnKeyDown(int8_t, uint32_t) { return false; }
    virtual bool OnKeyUp(int8_t) { return false; }
    virtual bool OnMouseHover(TPoint);
    virtual void OnFocusGained(TWindow*) {}

    // ---- Names and identity
    const TString& GetName() const { return mName; }
    void SetName(const TString& name);
    uint32_t GetId() const { return mId; }
    // The serial number as eight hexadecimal digits padded with blanks.
    TString GetIdString() const;

    // ---- Tree
    TWindow* GetParent() const { return mParent; }
    // Plain assignment, the child list is not touched.
    TWindow* SetParent(TWindow* parent);
    const std::list<TWindow*>& GetChildren() const { return mChildren; }
    size_t GetChildCount() const { return mChildren.size(); }
    // This window when its name matches, else (recursive only) the first
    // match among the children, top-most first, depth first.
    TWindow* FindChild(const TString& name, bool recursive) const;
    // The same down to depth levels below this window: -1 every level, 0
    // the window itself.
    TWindow* FindChild(const TString& name, int32_t depth) const;
    template <typename T>
    requires(std::is_integral_v<T> && !std::is_same_v<T, bool> &&
             !std::is_same_v<T, int32_t>) TWindow* FindChild(const TString& name,
                                                             T depth) const = delete;
    // The nearest proper ancestor flagged modal, when it is a TModalWindow.
    TModalWindow* GetModalParent() const;
    // Visits the direct children, top-most first (or from the back); stops
    // at the first false, which it gives back. The next entry is taken
    // before each visit, so a visitor may remove the child it is given.
    bool ForEachChild(TWindowSpider& spider, bool fromBack = false);
    // Removes every child and hands it to the manager for deletion.
    void DeleteChildren();

    // ---- Geometry
    const TRect& GetRect() const { return mRect; }
    int32_t GetWidth() const { return mRect.right - mRect.left; }
    int32_t GetHeight() const { return mRect.bottom - mRect.top; }
    TRect GetLocalRect() const { return TRect(0, 0, GetWidth(), GetHeight()); }
    TRect GetScreenRect() const;
    void GetScreenRect(TRect& out) const { out = GetScreenRect(); }
    TPoint LocalToScreen(TPoint point) const;
    TPoint ScreenToLocal(TPoint point) const;
    TPoint ChildToParent(TPoint point) const;
    TPoint ParentToChild(TPoint point) const;
    void SetPosition(int32_t x, int32_t y);
    void SetSize(int32_t width, int32_t height);
    // Where placement codes (kCenter, kMax, negative offsets from the far
    // edge) put the window's top-left corner inside its parent.
    TPoint PlacedPosition(int32_t x, int32_t y) const { return ResolvePlacedPoint(x, y, 0); }
    // Grows the window to its children's largest right and bottom edges.
    void FitToChildren();

    // ---- Flags
    uint32_t GetFlags() const { return mFlags; }
    // Keeps bits 0-7 and takes bits 8-15 of the value.
    void SetFlags(uint32_t flags);
    bool IsVisible() const { return (mFlags & kWindowVisible) != 0; }
    bool IsModalRoot() const { return (mFlags & kWindowModal) != 0; }
    // Visible along the chain up to a modal root, which must be reached; a
    // modal root answers its own visible bit.
    bool IsShown() const;

    // ---- Hit testing and routing
    // The top-most child under the point that is visible along its chain;
    // this window when none is.
    TWindow* ChildAt(TPoint point) const;
    // Follows ChildAt down at most depth levels (-1 no limit); null at 0.
    TWindow* DeepestChildAt(TPoint point, int32_t depth);
    // Hands the event to this window, then to the windows below it under
    // the point and to its ancestors until one handles it.
    bool HandleEvent(const TEvent& event, bool focusDone = false);

    // ---- Messages
    // Offers the message to this window and its ancestors up to the modal
    // root, then to the modal's focus child, then to the scripts.
    void SendMessage(TMessage* message);

    // ---- Drawing and animation
    // Draws the window and its subtree in the pass; false when skipped.
    bool DrawTree(int pass);
    // The window's animation task, made on first use.
    TWindowAnim* GetAnimator();
    void ScheduleAnimation(uint32_t delay, bool repeat, bool fromNow, bool catchUp);
    // Unlinks the animator and gives it to the caller.
    TWindowAnim* DetachAnimator();

protected:
    virtual ~TWindow();

    // Reads "x", "y", "w", "h" and "align" and fills what is still 0.
    void ApplyAlignment(TWindowStyle& style);
    // A point given as placement codes, resolved against the parent's
    // size with the window's own size and the anchor bits of align (1 and
    // 2 horizontal, 4 and 8 vertical), as if "align" were not given.
    TPoint ResolvePlacedPoint(int32_t x, int32_t y, int32_t align) const;
    // Tells the modal parent whether this window covers a rectangle of the
    // given size.
    void ReportCover(int32_t width, int32_t height);
    // The same for this window and every window inside it (not inside a
    // modal of its own).
    void ReportCovers(TModalWindow* modal);

    TWindow* mParent = nullptr;
    std::list<TWindow*> mChildren;
    TRect mRect;
    TString mName;
    uint32_t mFlags = kWindowVisible;
    uint32_t mId = 0;
    TWindowAnim* mAnimator = nullptr;

private:
    friend class TWindowAnim;
    friend class TWindowClearFlags;
    // The modal whose task list the window's animator joins.
    TModalWindow* GetAnimationOwner();
    // Hands the animators of the subtree that joined no list yet to the
    // owner they now have.
    void AdoptPendingAnimators();
    // Withdraws every window of the subtree from the modal's cover set.
    void WithdrawCovers(TModalWindow* modal);
    // True while the animator belongs to no task list.
    bool mAnimatorPending = false;
};

// The visitor over a window's children.
class TWindowSpider {
public:
    virtual ~TWindowSpider() = default;
    // True to go on.
    virtual bool Visit(TWindow* child) = 0;
};

// ANDs each visited window's flags with the mask; recursive, it visits the
// children too.
class TWindowClearFlags : public TWindowSpider {
public:
    TWindowClearFlags(uint32_t mask, bool recursive) : mMask(mask), mRecursive(recursive) {}
    bool Visit(TWindow* window) override;

private:
    uint32_t mMask;
    bool mRecursive;
};

// Calls each visited window's OnModalPopped and visits its children.
class TModalPoppedSpider : public TWindowSpider {
public:
    bool Visit(TWindow* window) override;
};
