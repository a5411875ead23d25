#pragma once

#include "framework/core/text/TString.h"

#include <cstdint>

// What the menus read and write of a player's record in the game's
// settings: the first-start flag and the avatar. Nothing (false, 0, empty)
// without the settings object.

// The player's "vlkFirstTime" is 0 (the current player by "vlkUser",
// player 0 when none is stored).
bool IsPlayerFirstTime();
// Stores 1 under the same player's "vlkFirstTime".
void ClearPlayerFirstTime();
// Makes the player of that index current ("vlkUser"); nothing for an
// index that is not a player's.
void SetCurrentUser(int32_t index);
// The current player's "UserAvatar" (0 by default): 0 boy, 1 girl, 2 dog,
// 3 cat.
int32_t GetCurrentUserAvatar();
// A player's avatar as a name ("boy", "girl", "dog", "cat"); empty for an
// index that is not a player's or a stored value that names no avatar.
TString GetUserAvatarName(int32_t index);
// The avatar code of a name; 0 (boy) for any other text.
int32_t AvatarCodeOfName(const TString& name);
// The avatar name of a code, empty outside 0-3.
const char* AvatarNameOfCode(int32_t code);
