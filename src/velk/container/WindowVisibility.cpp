#include "velk/container/WindowVisibility.h"

#include "framework/ui/widgets/TButton.h"
#include "framework/ui/widgets/TText.h"
#include "framework/ui/window/TWindow.h"

void SetWindowVisible(TWindow* window, bool show) {
    if (!window)
        return;
    if (show) {
        window->SetFlags(window->GetFlags() | kWindowVisible);
    } else {
        window->SetFlags(window->GetFlags() & ~kWindowVisible);
        window->OnMouseExit();
    }
}

void SetChildVisible(TWindow* parent, const TString& childName, bool show, int32_t depth) {
    if (parent)
        SetWindowVisible(parent->FindChild(childName, depth), show);
}

void SetChildVisible(TWindow* parent, const TString& childName, bool show, int32_t, int32_t depth) {
    SetChildVisible(parent, childName, show, depth);
}

bool IsChildVisible(TWindow* parent, const TString& childName, int32_t depth) {
    TWindow* child = parent ? parent->FindChild(childName, depth) : nullptr;
    return child && child->IsVisible();
}

TButton* CastToButton(TWindow* window) {
    return window && window->IsKindOf(TButton::GetClassId()) ? static_cast<TButton*>(window)
                                                             : nullptr;
}

TText* FindTextChild(TWindow* parent, const TString& childName, int32_t depth) {
    TWindow* child = parent ? parent->FindChild(childName, depth) : nullptr;
    return child && child->IsKindOf(TText::GetClassId()) ? static_cast<TText*>(child) : nullptr;
}
