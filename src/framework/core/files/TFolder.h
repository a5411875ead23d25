#pragma once

#include "framework/core/text/TString.h"

#include <string>

// Text conversions and folder finders of the file layer. The framework
// keeps file names in UTF-8; UTF-16 forms are returned by value, so any
// thread may convert.

// UTF-16 form of a UTF-8 text. Malformed bytes become U+FFFD.
std::u16string Utf8ToWide(const char* text);
std::u16string Utf8ToWide(const TString& text);
// UTF-8 form of UTF-16 units. Unpaired surrogates become U+FFFD.
TString WideToUtf8(const char16_t* text);
TString WideToUtf8(const std::u16string& text);

// Absolute form of a path; empty on failure.
TString GetFullPath(const TString& path);

// The desktop folder, without a trailing "/"; empty when unknown.
TString GetDesktopFolder();
// Buffer form: -1 without a buffer or desktop; 0 when the path and one
// more character fit in size bytes; otherwise that needed length (the
// buffer then holds as much of the path as fits, terminated).
int GetDesktopFolder(char* buffer, int size);

// The game's data folder: base + publisher + "/" + name + "/", with both
// levels created (the base too when missing). The base is the per-user data
// folder, or the shared "common" one when common is true. An empty
// publisher means "Nimbrel". Empty when no base folder is known or the name
// is empty; the folder text is still given when creation fails (the later
// file opens fail then).
TString GetDataFolder(bool common, const TString& publisher, const TString& name);
// The same with the publisher taken from the setting "publisher" when it is
// stored (even when empty), "Nimbrel" otherwise.
TString GetDataFolder(bool common, const TString& name);
