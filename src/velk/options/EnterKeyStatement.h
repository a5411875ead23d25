#pragma once

#include "framework/core/text/TString.h"

// The text as a Lua string literal in single quotes: quotes, backslashes,
// line breaks and other control bytes are escaped, so the script reads back
// exactly the text, and a text can never end the literal early.
TString QuoteLuaString(const TString& text);

// The statement that a name edit runs when Enter is pressed: the function
// called with the edit's text, "F('T');" for plain text.
TString MakeEnterKeyStatement(const TString& function, const TString& text);
