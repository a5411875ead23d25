#include "framework/ui/window/TWindow.h"

#include "framework/core/settings/TSettings.h"
#include "framework/core/system/TEvent.h"
#include "framework/graphics/TGraphics.h"
#include "framework/script/message/TLuaMessage.h"
#include "framework/script/message/TMessage.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/script/TScriptBinding.h"
#include "framework/ui/window/TModalWindow.h"
#include "framework/ui/window/TWindowAnim.h"
#include "framework/ui/window/TWindowStyle.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

bool gSwallowNextChar = false;

namespace {

uint32_t gNextWindowId = 0;

void MarkDirty() {
    if (TWindowManager* manager = TWindowManager::Instance())
        manager->Invalidate();
}

bool IsPointerEvent(uint32_t type) {
    return (type >= kEventLeftButtonDown && type <= kEventPointerMove) || type == kEventHover;
}

// The window and every ancestor below the modal root (or the root of the
// tree) are visible, and so is the window where the walk stops.
bool IsVisibleAlongChain(const TWindow* window) {
    while (!window->IsModalRoot() && window->GetParent()) {
        if (!window->IsVisible())
            return false;
        window = window->GetParent();
    }
    return window->IsVisible();
}

// Positions from 0 to 40000 are plain, sizes from 0 to 80000.
// The largest position or size placement works with.
constexpr int32_t kPlacementLimit = 1 << 24;

bool IsPlainPosition(int32_t p) {
    return p >= 0 && p <= 40000;
}
bool IsPlainSize(int32_t s) {
    return s >= 0 && s <= 80000;
}

// One axis of the placement: a position and a size in the coded range,
// resolved against the parent's extent.
struct AxisPlacement {
    int32_t parentExtent = 0;
    bool hasParent = false;
    bool alignGiven = false;

    int32_t Decode(int32_t p, int32_t s) const {
        if (p > 106666)
            return p - kMax + parentExtent;
        if (p > 40000)
            return parentExtent / 2 - s / 2 + p - kCenter;
        if (!alignGiven && p < 0)
            return p + parentExtent;
        return p;
    }

    void CentredFill(int32_t& p, int32_t& s) const {
        int32_t d = p > 106666 ? p - kMax + parentExtent : p - kCenter;
        if (d >= 0) {
            s = s - kMax + parentExtent - 2 * d;
            p = 2 * d;
        } else {
            s = s - kMax + parentExtent + 2 * d;
            p = 0;
        }
    }

    // False when the pair cannot be placed yet.
    bool Resolve(int32_t& p, int32_t& s, bool centreBit, bool edgeBit) const {
        if (p <= 40000 || p > 106666) {
            if (centreBit) {
                if (s == 0)
                    return false;
                p -= s / 2;
            } else if (edgeBit) {
                if (s == 0)
                    return false;
                p -= s;
            }
        }
        if (!hasParent)
            return true;
        if (s > 80000) {
            if (p > 40000) {
                CentredFill(p, s);
            } else {
                p = Decode(p, s);
                s += parentExtent - p - kMax;
            }
        } else if (s >= 0) {
            p = Decode(p, s);
        } else {
            s = -s;
            if (s > 80000) {
                if (p > 40000) {
                    CentredFill(p, s);
                } else {
                    p = Decode(p, s);
                    s = p;
                    p = kMax - p;
                }
            } else {
                p = Decode(p, s);
                p -= s;
            }
        }
        return true;
    }
};

// Takes each direct child's right and bottom edge into the largest so far.
class GetLargest : public TWindowSpider {
public:
    GetLargest(int32_t width, int32_t height) : right(width), bottom(height) {}
    bool Visit(TWindow* child) override {
        right = std::max(right, child->GetRect().right);
        bottom = std::max(bottom, child->GetRect().bottom);
        return true;
    }
    int32_t right;
    int32_t bottom;
};

// Removes each child and hands it to the manager for deletion.
class ChildrenDelete : public TWindowSpider {
public:
    explicit ChildrenDelete(TWindow* parent) : mParent(parent) {}
    bool Visit(TWindow* child) override {
        mParent->RemoveChild(child);
        if (TWindowManager* manager = TWindowManager::Instance())
            manager->QueueDelete(child);
        else
            child->DeleteThis(1);
        return true;
    }

private:
    TWindow* mParent;
};

} // namespace

TWindow::TWindow() : mId(gNextWindowId++) {}

TWindow::TWindow(const TString& name) : TWindow() {
    mName = name;
}

TWindow* TWindow::Create() {
    return new TWindow;
}

TWindow::~TWindow() {
    // Script functions bound to this window do nothing from now on.
    ForgetScriptBindings(this);
    if (mAnimator) {
        mAnimator->ForgetWindow();
        // An animator that joined no task list is the window's own.
        if (mAnimatorPending)
            delete mAnimator;
        mAnimator = nullptr;
    }
    MarkDirty();
    if (TModalWindow* modal = GetModalParent())
        modal->SetCover(this, false);
    // A window deleted while still attached leaves its parent's list.
    if (mParent)
        mParent->mChildren.remove(this);
    // The children keep their parent while they go, so that they can leave
    // the cover set of the modal above them.
    while (!mChildren.empty()) {
        TWindow* child = mChildren.front();
        mChildren.pop_front();
        child->DeleteThis(1);
    }
    if (TWindowManager* manager = TWindowManager::Instance())
        manager->OnWindowRemoved(this);
}

void TWindow::DeleteThis(uint32_t flags) {
    if (flags & 1)
        delete this;
    else
        this->~TWindow();
}

void TWindow::Init(TWindowStyle& style) {
    mName = style.GetString("name", TString());
    ApplyAlignment(style);
}

void TWindow::PostInit(TWindowStyle& style) {
    if (style.GetBool("fit", false))
        FitToChildren();
    ApplyAlignment(style);
}

void TWindow::ApplyAlignment(TWindowStyle& style) {
    // Positions and sizes are kept well inside the integers, so that the
    // placement's sums and negations cannot overflow whatever a script
    // gives; the coded range ends far below the limit.
    const auto placed = [](int32_t value) {
        return std::clamp(value, -kPlacementLimit, kPlacementLimit);
    };
    int32_t x = placed(style.GetInt("x", 0));
    int32_t y = placed(style.GetInt("y", 0));
    int32_t w = placed(style.GetInt("w", GetWidth()));
    int32_t h = placed(style.GetInt("h", GetHeight()));
    // 1. and 2.: coded values wait for a parent with a size, and for a size.
    if (mParent) {
        if ((!IsPlainPosition(x) || !IsPlainSize(w)) && mParent->GetWidth() == 0)
            return;
        if ((!IsPlainPosition(y) || !IsPlainSize(h)) && mParent->GetHeight() == 0)
            return;
    }
    if (!IsPlainPosition(x) && w == 0)
        return;
    if (!IsPlainPosition(y) && h == 0)
        return;
    // 3.
    int32_t align = style.GetInt("align", -1);
    const bool alignGiven = align != -1;
    if (!alignGiven)
        align = 0;
    // 4.
    AxisPlacement horizontal{mParent ? mParent->GetWidth() : 0, mParent != nullptr, alignGiven};
    AxisPlacement vertical{mParent ? mParent->GetHeight() : 0, mParent != nullptr, alignGiven};
    if (!horizontal.Resolve(x, w, align & 1, align & 2))
        return;
    if (!vertical.Resolve(y, h, align & 4, align & 8))
        return;
    // 5. and 6.: only what is still 0 is filled.
    SetPosition(mRect.left != 0 ? mRect.left : x, mRect.top != 0 ? mRect.top : y);
    SetSize(GetWidth() != 0 ? GetWidth() : w, GetHeight() != 0 ? GetHeight() : h);
}

TPoint TWindow::ResolvePlacedPoint(int32_t x, int32_t y, int32_t align) const {
    int32_t w = GetWidth();
    int32_t h = GetHeight();
    AxisPlacement horizontal{mParent ? mParent->GetWidth() : 0, mParent != nullptr, false};
    AxisPlacement vertical{mParent ? mParent->GetHeight() : 0, mParent != nullptr, false};
    horizontal.Resolve(x, w, align & 1, align & 2);
    vertical.Resolve(y, h, align & 4, align & 8);
    return TPoint(x, y);
}

bool TWindow::AddChild(TWindow* child, bool notify) {
    if (!child)
        return false;
    if (std::find(mChildren.begin(), mChildren.end(), child) == mChildren.end()) {
        mChildren.push_front(child);
        child->mParent = this;
    }
    if (notify && !child->OnAttached()) {
        TModalWindow* modal = child->GetModalParent();
        child->mParent = nullptr;
        mChildren.remove(child);
        if (modal)
            child->WithdrawCovers(modal);
        child->SetSize(child->GetWidth(), child->GetHeight());
        return false;
    }
    child->AdoptPendingAnimators();
    return true;
}

TWindow* TWindow::RemoveChild(TWindow* child) {
    auto it = std::find(mChildren.begin(), mChildren.end(), child);
    if (it == mChildren.end())
        return nullptr;
    MarkDirty();
    mChildren.erase(it);
    // The whole subtree leaves the modal's cover set: a covering window
    // inside a removed group must not keep the modal opaque.
    if (TModalWindow* modal = child->GetModalParent())
        child->WithdrawCovers(modal);
    TWindow* oldParent = child->mParent;
    child->mParent = nullptr;
    return oldParent;
}

void TWindow::WithdrawCovers(TModalWindow* modal) {
    modal->SetCover(this, false);
    for (TWindow* child : mChildren)
        child->WithdrawCovers(modal);
}

bool TWindow::OnMouseHover(TPoint) {
    TWindowManager* manager = TWindowManager::Instance();
    return manager && manager->HandleHover();
}

void TWindow::SetName(const TString& name) {
    mName = name;
}

TString TWindow::GetIdString() const {
    char text[16];
    std::snprintf(text, sizeof text, "%8x", mId);
    return TString(text);
}

TWindow* TWindow::SetParent(TWindow* parent) {
    TWindow* previous = mParent;
    mParent = parent;
    return previous;
}

TWindow* TWindow::FindChild(const TString& name, bool recursive) const {
    if (mName == name)
        return const_cast<TWindow*>(this);
    if (!recursive)
        return nullptr;
    for (TWindow* child : mChildren) {
        if (TWindow* found = child->FindChild(name, true))
            return found;
    }
    return nullptr;
}

TWindow* TWindow::FindChild(const TString& name, int32_t depth) const {
    if (mName == name)
        return const_cast<TWindow*>(this);
    if (depth == 0)
        return nullptr;
    for (TWindow* child : mChildren) {
        if (TWindow* found = child->FindChild(name, depth < 0 ? int32_t(-1) : depth - 1))
            return found;
    }
    return nullptr;
}

TModalWindow* TWindow::GetModalParent() const {
    for (TWindow* window = mParent; window; window = window->mParent) {
        if (window->IsModalRoot()) {
            return window->IsKindOf(TModalWindow::GetClassId()) ? static_cast<TModalWindow*>(window)
                                                                : nullptr;
        }
    }
    return nullptr;
}

bool TWindow::ForEachChild(TWindowSpider& spider, bool fromBack) {
    bool answer = true;
    if (!fromBack) {
        for (auto it = mChildren.begin(); it != mChildren.end();) {
            TWindow* child = *it++;
            if (!(answer = spider.Visit(child)))
                break;
        }
        return answer;
    }
    auto it = mChildren.end();
    while (it != mChildren.begin()) {
        TWindow* child = *--it;
        const bool first = it == mChildren.begin();
        auto next = first ? it : std::prev(it);
        if (!(answer = spider.Visit(child)) || first)
            break;
        it = std::next(next);
    }
    return answer;
}

void TWindow::DeleteChildren() {
    ChildrenDelete spider(this);
    ForEachChild(spider);
}

TRect TWindow::GetScreenRect() const {
    TRect rect = mRect;
    for (const TWindow* window = mParent; window; window = window->mParent) {
        rect.left += window->mRect.left;
        rect.right += window->mRect.left;
        rect.top += window->mRect.top;
        rect.bottom += window->mRect.top;
    }
    return rect;
}

TPoint TWindow::LocalToScreen(TPoint point) const {
    TRect screen = GetScreenRect();
    return TPoint(point.x + screen.left, point.y + screen.top);
}

TPoint TWindow::ScreenToLocal(TPoint point) const {
    TRect screen = GetScreenRect();
    return TPoint(point.x - screen.left, point.y - screen.top);
}

TPoint TWindow::ChildToParent(TPoint point) const {
    return TPoint(point.x + mRect.left, point.y + mRect.top);
}

TPoint TWindow::ParentToChild(TPoint point) const {
    return TPoint(point.x - mRect.left, point.y - mRect.top);
}

void TWindow::SetPosition(int32_t x, int32_t y) {
    const int32_t width = GetWidth();
    const int32_t height = GetHeight();
    mRect = TRect(x, y, x + width, y + height);
    MarkDirty();
}

void TWindow::SetSize(int32_t width, int32_t height) {
    mRect.right = mRect.left + width;
    mRect.bottom = mRect.top + height;
    MarkDirty();
    if (TModalWindow* modal = GetModalParent()) {
        TWindowManager* manager = TWindowManager::Instance();
        TWindow* main = manager ? manager->GetMainWindow() : nullptr;
        modal->SetCover(this, (mFlags & kWindowOpaque) && IsShown() && main &&
                                  width == main->GetWidth() && height == main->GetHeight());
    }
}

void TWindow::ReportCover(int32_t width, int32_t height) {
    if (TModalWindow* modal = GetModalParent()) {
        modal->SetCover(this, (mFlags & kWindowOpaque) && IsShown() && GetWidth() == width &&
                                  GetHeight() == height);
    }
}

void TWindow::ReportCovers(TModalWindow* modal) {
    ReportCover(modal->GetWidth(), modal->GetHeight());
    for (TWindow* child : mChildren) {
        if (!child->IsModalRoot())
            child->ReportCovers(modal);
    }
}

void TWindow::SetFlags(uint32_t flags) {
    const uint32_t old = mFlags;
    mFlags = (old & 0xFFu) | (flags & 0xFF00u);
    if ((old ^ mFlags) & kWindowVisible)
        MarkDirty();
    // Only a shown picture hides what lies below its dialog: shown or
    // hidden, a group takes the pictures in it along.
    if (TModalWindow* modal = GetModalParent()) {
        if ((old ^ mFlags) & kWindowVisible)
            ReportCovers(modal);
        else
            ReportCover(modal->GetWidth(), modal->GetHeight());
    }
}

void TWindow::FitToChildren() {
    GetLargest largest(GetWidth(), GetHeight());
    ForEachChild(largest);
    SetSize(largest.right, largest.bottom);
}

TWindow* TWindow::ChildAt(TPoint point) const {
    for (TWindow* child : mChildren) {
        if (child->mRect.Contains(point.x, point.y) && IsVisibleAlongChain(child))
            return child;
    }
    return const_cast<TWindow*>(this);
}

TWindow* TWindow::DeepestChildAt(TPoint point, int32_t depth) {
    if (depth == 0)
        return nullptr;
    TWindow* child = ChildAt(point);
    if (child == this)
        return this;
    return child->DeepestChildAt(child->ParentToChild(point), depth < 0 ? int32_t(-1) : depth - 1);
}

bool TWindow::HandleEvent(const TEvent& event, bool focusDone) {
    const TPoint point(event.x, event.y);
    const auto low = static_cast<char>(event.code & 0xFF);
    bool handled = false;
    // 1.
    switch (event.type) {
    case kEventLeftButtonDown:
        handled = OnMouseDown(point);
        break;
    case kEventOtherButton:
        handled = OnMouseButton(point, event.code);
        break;
    case kEventLeftButtonUp:
        handled = OnMouseUp(point);
        break;
    case kEventPointerMove:
        handled = OnMouseMove(point);
        break;
    case kEventHover:
        handled = OnMouseHover(point);
        break;
    case kEventKeyDown:
        handled = OnKeyDown(static_cast<int8_t>(event.code & 0xFF), event.modifiers);
        break;
    case kEventKeyUp:
        handled = OnKeyUp(static_cast<int8_t>(event.code & 0xFF));
        break;
    case kEventCharacter:
        if (gSwallowNextChar) {
            gSwallowNextChar = false;
            return true;
        }
        handled = OnChar(low);
        break;
    case kEventUnicodeCharacter: {
        if (gSwallowNextChar) {
            gSwallowNextChar = false;
            return true;
        }
        TString text = TString::FromCodePoint(static_cast<uint32_t>(event.code));
        handled = OnText(text);
        if (!handled && text.Length() == 1)
            handled = OnChar(low);
        break;
    }
    default:
        break;
    }
    // 2. The focus moves once per left press, handled or not.
    if (event.type == kEventLeftButtonDown && !focusDone) {
        for (TWindow* window = this; window; window = window->mParent) {
            if (window->mFlags & kWindowTakesFocus) {
                if (TWindowManager* manager = TWindowManager::Instance())
                    manager->SetFocus(window);
                focusDone = true;
                break;
            }
        }
    }
    // 3.
    if (handled)
        return true;
    // 4. The modal fallback.
    if (IsModalRoot()) {
        if (GetSettingBool("overlaymouse"))
            return false;
        TString text;
        if (event.type == kEventLeftButtonUp)
            text = "mouse:up";
        else if (event.type == kEventKeyDown)
            text = TString("raw:") + TString(&low, 1);
        if (!text.IsEmpty()) {
            if (TWindowManager* manager = TWindowManager::Instance())
                manager->PostMessage(new TMessage(TMessage::kPressAnyKey, text));
        }
        return false;
    }
    // 5.
    TEvent copy = event;
    const bool pointer = IsPointerEvent(event.type);
    if (pointer) {
        TPoint inParent = ChildToParent(point);
        copy.x = inParent.x;
        copy.y = inParent.y;
    }
    if (!mParent)
        return false;
    // 6. A window lower in the parent's stacking order under the point.
    // Only pointer events have a point: key and character events go from
    // the focus up through its ancestors, so that a window that happens to
    // lie at (0,0) never takes them.
    auto it = std::find(mParent->mChildren.begin(), mParent->mChildren.end(), this);
    if (pointer && it != mParent->mChildren.end()) {
        for (++it; it != mParent->mChildren.end(); ++it) {
            TWindow* sibling = *it;
            if (!sibling->mRect.Contains(copy.x, copy.y) || !IsVisibleAlongChain(sibling))
                continue;
            const TPoint screen = mParent->LocalToScreen(TPoint(copy.x, copy.y));
            TWindow* target = sibling->DeepestChildAt(sibling->ScreenToLocal(screen), -1);
            TPoint handed = target->ScreenToLocal(screen);
            copy.x = handed.x;
            copy.y = handed.y;
            return target->HandleEvent(copy, focusDone);
        }
    }
    // 7.
    return mParent->HandleEvent(copy, focusDone);
}

void TWindow::SendMessage(TMessage* message) {
    if (!message)
        return;
    for (TWindow* window = this; window; window = window->mParent) {
        if (window->OnMessage(message)) {
            delete message;
            return;
        }
        if (!window->IsModalRoot())
            continue;
        TWindow* focus = window->IsKindOf(TModalWindow::GetClassId())
                             ? static_cast<TModalWindow*>(window)->GetFocusChild()
                             : nullptr;
        if (focus) {
            if (message->IsKindOf(TLuaMessageWrapper::ClassId())) {
                TMessage* plain =
                    new TMessage(message->GetType(), message->GetName(), message->GetTarget());
                delete message;
                message = plain;
            }
            if (focus->OnMessage(message)) {
                delete message;
                return;
            }
        }
        if (TWindowManager* manager = TWindowManager::Instance())
            manager->PassToScript(message, nullptr);
        else
            delete message;
        return;
    }
    // No modal window above: the message is dropped.
    delete message;
}

bool TWindow::DrawTree(int pass) {
    // 1. and 2.
    if (!IsVisible())
        return false;
    if (pass == 1) {
        if (!(mFlags & kWindowFirstPass) || !mParent || !(mParent->mFlags & kWindowDrawnFirstPass))
            return false;
        mFlags |= kWindowDrawnFirstPass;
    } else if (pass == 2 && (mFlags & kWindowDrawnFirstPass)) {
        return false;
    }
    // 3.
    TGraphics* graphics = TGraphics::Get();
    const TRect screen = GetScreenRect();
    const TRect area = TRect::Intersection(graphics->GetClipRect(), screen);
    if (area.right <= area.left || area.bottom <= area.top)
        return true;
    // 4. The top-most child is drawn last.
    graphics->PushViewport(screen);
    graphics->PushClipRect(area);
    Draw();
    for (auto it = mChildren.rbegin(); it != mChildren.rend(); ++it) {
        if (!((*it)->mFlags & kWindowModal))
            (*it)->DrawTree(pass);
    }
    DrawOverlay();
    graphics->PopViewport();
    graphics->PopClipRect();
    return true;
}

TModalWindow* TWindow::GetAnimationOwner() {
    if (IsKindOf(TModalWindow::GetClassId()))
        return static_cast<TModalWindow*>(this);
    return GetModalParent();
}

TWindowAnim* TWindow::GetAnimator() {
    if (mAnimator)
        return mAnimator;
    mAnimator = new TWindowAnim(this);
    if (TModalWindow* owner = GetAnimationOwner()) {
        mAnimator->SetClock(&owner->GetClock());
        owner->AddTask(mAnimator);
        mAnimatorPending = false;
    } else {
        // Joins its modal's list once the window is attached under one.
        mAnimatorPending = true;
    }
    return mAnimator;
}

void TWindow::AdoptPendingAnimators() {
    if (mAnimator && mAnimatorPending) {
        if (TModalWindow* owner = GetAnimationOwner()) {
            mAnimator->SetClock(&owner->GetClock());
            owner->AddTask(mAnimator);
            mAnimatorPending = false;
        }
    }
    for (TWindow* child : mChildren)
        child->AdoptPendingAnimators();
}

void TWindow::ScheduleAnimation(uint32_t delay, bool repeat, bool fromNow, bool catchUp) {
    GetAnimator()->Delay(delay, repeat, fromNow, catchUp);
}

TWindowAnim* TWindow::DetachAnimator() {
    TWindowAnim* animator = mAnimator;
    if (animator)
        animator->ForgetWindow();
    mAnimator = nullptr;
    mAnimatorPending = false;
    return animator;
}

bool TWindowClearFlags::Visit(TWindow* window) {
    window->mFlags &= mMask;
    if (mRecursive)
        window->ForEachChild(*this);
    return true;
}

bool TModalPoppedSpider::Visit(TWindow* window) {
    window->OnModalPopped();
    window->ForEachChild(*this);
    return true;
}

bool TWindow::IsShown() const {
    for (const TWindow* window = this; window; window = window->mParent) {
        if (!window->IsVisible())
            return false;
        if (window->IsModalRoot())
            return true;
    }
    return false;
}
