#pragma once

#include "framework/core/text/TString.h"

#include <cstdint>

class TButton;
class TText;
class TWindow;

// Small window functions that the game's screens use everywhere.

// Shows or hides a window through its visible flag; a hidden window also
// loses the pointer (OnMouseExit). Nothing for a null window.
void SetWindowVisible(TWindow* window, bool show);
// The same for the child of that name, searched down to depth levels (-1
// every level); nothing for a null parent or when there is no such child.
void SetChildVisible(TWindow* parent, const TString& childName, bool show, int32_t depth);
// The form the screens call, with a spare number that nothing reads.
void SetChildVisible(TWindow* parent, const TString& childName, bool show, int32_t unused,
                     int32_t depth);
// Whether the named child, found down to depth levels, has its visible
// flag; false for a null parent or no such child.
bool IsChildVisible(TWindow* parent, const TString& childName, int32_t depth);
// The named child, found down to depth levels, when it is a text window;
// null for a null parent, no such child or another kind of window.
TText* FindTextChild(TWindow* parent, const TString& childName, int32_t depth);
// The window as a button when it is one, else null.
TButton* CastToButton(TWindow* window);
