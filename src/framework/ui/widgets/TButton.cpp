#include "framework/ui/widgets/TButton.h"

#include "framework/core/math/ClampedInt.h"
#include "framework/core/settings/TSettings.h"
#include "framework/graphics/TTexture.h"
#include "framework/script/message/TMessage.h"
#include "framework/script/wrappers/TLuaObjectWrapper.h"
#include "framework/sound/asset/TSound.h"
#include "framework/ui/manager/TWindowManager.h"
#include "framework/ui/script/TWindowScript.h"
#include "framework/ui/widgets/TImage.h"
#include "framework/ui/widgets/TText.h"
#include "framework/ui/window/TModalWindow.h"
#include "framework/ui/window/TWindowStyle.h"

#include <lua.h>

#include <cstdio>

namespace {

void TakeCapture(TWindow* window) {
    if (TWindowManager* manager = TWindowManager::Instance())
        manager->AddCapture(window);
}

void ReleaseCapture(TWindow* window) {
    if (TWindowManager* manager = TWindowManager::Instance())
        manager->RemoveCapture(window);
}

void Post(TMessage* message) {
    if (TWindowManager* manager = TWindowManager::Instance())
        manager->PostMessage(message);
    else
        delete message;
}

// The text as a Lua string literal, whatever bytes it holds.
TString LuaQuoted(const TString& text) {
    std::string out = "\"";
    for (unsigned char c : text.View()) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 32 || c == 127) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\%03u", c);
            out += escape;
        } else {
            out += static_cast<char>(c);
        }
    }
    out += '"';
    return TString(out);
}

bool HasAncestor(const TWindow* window, const TWindow* ancestor) {
    if (!ancestor)
        return false;
    for (const TWindow* w = window; w; w = w->GetParent()) {
        if (w == ancestor)
            return true;
    }
    return false;
}

} // namespace

TButton::LuaAction::~LuaAction() {
    delete mFunction;
}

void TButton::LuaAction::Run(TButton* button) {
    auto* message = new TMessage(TMessage::kCommandOnly, TString("LuaAction:") + button->GetName());
    TWindowManager* manager = TWindowManager::Instance();
    if (manager && manager->GetScript()) {
        // The name goes in quoted, so that no name can end the literal.
        RunLuaString(TString("function GetButtonName() return ") + LuaQuoted(button->GetName()) +
                     TString("; end;"));
    }
    if (manager)
        manager->PassToScript(message, mFunction);
    else
        delete message;
}

TButton::TButton() : TLayeredWindow(4) {}

TButton::~TButton() {
    OnMouseExit();
}

TWindow* TButton::Create() {
    return new TButton;
}

void TButton::Init(TWindowStyle& style) {
    // 1.
    TWindow::Init(style);
    // 2.
    const TString sound = style.GetString("sound");
    const TString rolloverSound = style.GetString("rolloversound");
    const TString mask = style.GetString("mask");
    SetKind(static_cast<uint32_t>(style.GetInt("type", 0)));
    const float scale = static_cast<float>(style.GetNumber("scale", 1.0));
    // 3.
    uint32_t options = 0;
    if (style.GetBool("sendToParent", false))
        options |= 2;
    if (style.GetBool("beginGroup", false))
        options |= 1;
    if (style.GetBool("close", false))
        options |= 4;
    if (style.GetBool("default", false))
        options |= 8;
    if (style.GetBool("cancel", false))
        options |= 16;
    // 4. and 5.
    if (style.GetBool("on", false))
        SetToggleState(true);
    SetOptions(options);
    // 6.
    if (!sound.IsEmpty())
        SetSound(1, sound);
    if (!rolloverSound.IsEmpty())
        SetSound(2, rolloverSound);
    if (!mask.IsEmpty())
        SetMask(TTexture::Get(mask));
    // 7.
    if (std::unique_ptr<TLuaTable> graphics{style.GetTable("graphics")}) {
        const int32_t count = mKind == kPush ? 3 : 4;
        TWindowStyle pictures(graphics.get());
        uint32_t drawFlags = 0;
        if (pictures.GetBool("hflip", false))
            drawFlags |= 1;
        if (pictures.GetBool("vflip", false))
            drawFlags |= 2;
        const bool rotate = pictures.GetBool("rotate", false);
        // The picture of the state shown first is loaded now; the others
        // when their state is first drawn.
        const int32_t shownFirst = mKind != kPush && GetToggleState() ? 1 : 0;
        for (int32_t i = 0; i < count; ++i) {
            const TString name = graphics->GetStringAtIndex(i + 1, TString());
            TImage* image = nullptr;
            if (!name.IsEmpty()) {
                image = new TImage(true);
                image->SetName(TString("image") + TString(std::to_string(i)));
                image->SetDrawFlags(drawFlags);
                image->SetRotate(rotate);
                if (i == shownFirst)
                    image->SetBitmap(TTexture::Get(name), scale);
                else
                    image->SetBitmapOnFirstDraw(name, scale);
            }
            SelectLayer(static_cast<uint32_t>(i));
            if (image)
                AddChild(image, true);
        }
        FitToChildren();
    }
    // 8.
    if (TLuaFunction* command = style.GetFunction("command"))
        SetAction(new LuaAction(command));
    // 9.
    SelectLayer(kAllLayers);
}

void TButton::PostInit(TWindowStyle& style) {
    TWindow::PostInit(style);
    SetState(kNormal);
}

bool TButton::OnAttached() {
    SetState(kNormal);
    return true;
}

void TButton::SetOptions(uint32_t bits) {
    if (bits & 1)
        mFlags |= kWindowBeginsGroup;
    if (bits & 2)
        mOptions |= kSendToParent;
    if (bits & 4)
        mOptions |= kClose;
    if (bits & 8)
        mOptions |= kDefault;
    if (bits & 16)
        mOptions |= kCancel;
}

void TButton::SetSound(int32_t index, const TString& name) {
    if (index >= 0 && index < static_cast<int32_t>(mSounds.size()))
        mSounds[index] = TSound::Get(name);
}

void TButton::SetMask(const std::shared_ptr<TTexture>& texture) {
    uint32_t* pixels = nullptr;
    int32_t pitch = 0;
    if (!texture || !texture->Lock(pixels, pitch))
        return;
    const int32_t width = texture->GetWidth();
    const int32_t height = texture->GetHeight();
    std::vector<TColor32> mask(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x)
            mask[static_cast<size_t>(y) * width + x] = TColor32(pixels[y * pitch + x]);
    }
    texture->Unlock();
    mMask = std::move(mask);
    mMaskWidth = width;
    mMaskHeight = height;
}

void TButton::SetAction(Action* action) {
    mAction.reset(action);
}

void TButton::SetState(int32_t state) {
    const int32_t old = mState;
    mState = state;
    OnStateChange(state, old);
}

void TButton::OnStateChange(int32_t newState, int32_t oldState) {
    // Only states 0 to 2 have a sound entry.
    if (newState != oldState && newState != kPressed && oldState != kActivated && newState >= 0 &&
        newState < static_cast<int32_t>(mSounds.size()) && mSounds[newState] && IsVisible())
        mSounds[newState]->Play(false);
    if (mKind == kPush) {
        if (newState >= kNormal && newState <= kRollover)
            SelectLayer(static_cast<uint32_t>(newState));
        return;
    }
    const bool on = GetToggleState();
    switch (newState) {
    case kNormal:
        SelectLayer(on ? 1 : 0);
        break;
    case kPressed:
        SelectLayer(on ? 0 : 1);
        break;
    case kRollover:
        SelectLayer(on ? 3 : 2);
        break;
    default:
        break;
    }
}

bool TButton::HitsOutside(TPoint point) {
    bool outside = point.x < 0 || point.y < 0 || point.x >= GetWidth() || point.y >= GetHeight();
    if (!outside && HasMask()) {
        const float width = static_cast<float>(GetWidth());
        const float height = static_cast<float>(GetHeight());
        int32_t mx = 0;
        int32_t my = 0;
        if (GetSettingBool(TSettingKey::kFixButtonMask)) {
            mx = ClampedInt(point.x / (width / mMaskWidth), 0, INT32_MAX);
            my = ClampedInt(point.y / (height / mMaskHeight), 0, INT32_MAX);
        } else {
            mx = ClampedInt(point.x * (width / mMaskWidth), 0, INT32_MAX);
            my = ClampedInt(point.y * (height / mMaskHeight), 0, INT32_MAX);
        }
        if (mx >= mMaskWidth || my >= mMaskHeight) {
            outside = true;
        } else {
            const TColor32 pixel = mMask[static_cast<size_t>(my) * mMaskWidth + mx];
            outside = pixel.GetRed() < 20 && pixel.GetGreen() < 20 && pixel.GetBlue() < 20;
        }
    }
    if (outside)
        OnMouseExit();
    return outside;
}

bool TButton::OnMouseDown(TPoint point) {
    if (mState == kNormal)
        TakeCapture(this);
    SetState(kPressed);
    HitsOutside(point);
    return true;
}

bool TButton::OnMouseMove(TPoint point) {
    if (HitsOutside(point))
        return false;
    if (mState != kNormal)
        return true;
    SetState(kRollover);
    TakeCapture(this);
    return true;
}

bool TButton::OnMouseUp(TPoint point) {
    if (mState == kNormal || HitsOutside(point))
        return true;
    if (mState == kPressed && !Press())
        return true;
    if (IsShown())
        SetState(kRollover);
    else
        OnMouseExit();
    return true;
}

bool TButton::OnMouseExit() {
    if (mState != kNormal)
        ReleaseCapture(this);
    SetState(kNormal);
    return true;
}

bool TButton::Press() {
    OnStateChange(kActivated, kPressed);
    if (mSounds[1] && IsShown())
        mSounds[1]->Play(false);
    if (!DoAction()) {
        if (mKind == kRadio)
            SetToggleState(true);
        else if (mKind == kToggle)
            Toggle();
        TWindowManager* manager = TWindowManager::Instance();
        if (manager && GetModalParent() == manager->GetTopModal())
            return true;
    }
    OnMouseExit();
    return false;
}

bool TButton::DoAction() {
    TWindowManager* manager = TWindowManager::Instance();
    // 1.
    TModalWindow* modal = GetModalParent();
    if ((mOptions & kClose) && modal) {
        Post(new TMessage(TMessage::kCloseWindow, modal->GetIdString()));
        lua_State* state =
            manager && manager->GetScript() ? manager->GetScript()->GetState() : nullptr;
        if (state) {
            lua_pushstring(state, GetName().CStr());
            lua_setglobal(state, "gReturnValue");
        }
    }
    // 2.
    TWindow* target = GetParent();
    if ((mOptions & kSendToParent) && manager)
        target = manager->GetTopModal() ? manager->GetTopModal()->GetParent() : nullptr;
    auto* message = new TMessage(TMessage::kButtonPress, GetName(), target);
    // 3.
    if (mAction) {
        mAction->Run(this);
        if (!manager || !HasAncestor(this, manager->GetMainWindow())) {
            if (mOptions & kSendToParent)
                Post(message);
            else
                delete message;
            return true;
        }
    }
    // 4.
    Post(message);
    return false;
}

void TButton::SetToggleState(bool on) {
    if (mKind == kRadio && on && GetParent()) {
        TRadioButtonSpider spider(this);
        GetParent()->ForEachChild(spider, true);
        spider.SetPhase(1);
        GetParent()->ForEachChild(spider, true);
    }
    if (on)
        mOptions |= kOn;
    else
        mOptions &= ~kOn;
    SetState(mState);
    InvalidateWindows();
}

void TButton::Toggle() {
    mOptions ^= kOn;
    SetState(mState);
}

void TButton::SetLabel(const TString& text) {
    TWindow* label = FindChild(TString("label"), true);
    if (label && label->IsKindOf(TText::GetClassId()))
        static_cast<TText*>(label)->SetText(text);
}

TString TButton::GetLabel() const {
    TWindow* label = FindChild(TString("label"), true);
    if (label && label->IsKindOf(TText::GetClassId()))
        return static_cast<TText*>(label)->GetText();
    return TString();
}

bool TRadioButtonSpider::Visit(TWindow* child) {
    if (mPhase == 0) {
        if (child->GetFlags() & kWindowBeginsGroup)
            mGroupStart = child;
        return child != mButton;
    }
    if (!mFound) {
        if (child != mGroupStart)
            return true;
        mFound = true;
    } else if (child->GetFlags() & kWindowBeginsGroup) {
        return false;
    }
    if (child != mButton && child->IsKindOf(TButton::GetClassId()))
        static_cast<TButton*>(child)->SetToggleState(false);
    return true;
}
