#pragma once

#include "framework/core/text/TString.h"

#include <map>

// Logical file names. A name resolves to a location text:
//   a disk path ("assets/scripts/main.lua", "/home/x/.local/share/P/G/a.dat"),
//   "@" pack ":" offset "," size  (an entry of a loaded pack file),
//   "&" address "," size          (a registered block of memory).
// Prefixes: "::" takes a path unchanged, "user:", "common:" and "desktop:"
// name files in the data folders; any other name is found only in the name
// table that the start-up scan of the assets folder and its packs fills
// (a leading "assets/" or "assets\" is dropped). Keys are lower-case; the
// locations keep the case they have on disk. Main thread only.

using TNameTable = std::map<TString, TString, TStringByteLess>;

// The table key of a logical name: lower-case, with "\" read as "/".
TString NameKey(const char* name);

// A folder text without the "/" or "\\" it ends with (a lone "/" stays).
TString StripTrailingSlash(const TString& folder);

// The one name table (lower-case logical name -> location).
TNameTable& GetNameTable();

// Folders the platform hands over at start-up, before InitFileSystem.
// Each may be empty. A trailing "/" is dropped.
void SetDesktopFolder(const TString& folder);
void SetUserDataFolder(const TString& folder);
void SetCommonDataFolder(const TString& folder);
TString GetDesktopFolderText();
TString GetUserDataFolderText();
TString GetCommonDataFolderText();
// The player's usual data folder when it could not be written and the user
// data folder is another one ("" otherwise): what is saved there is read,
// never written.
void SetUnwritableUserDataFolder(const TString& folder);
TString GetUnwritableUserDataFolderText();

// The assets folder, relative to the working directory ("assets" unless
// set otherwise). Packs are loaded from its top level only.
void SetAssetsFolder(const TString& folder);
TString GetAssetsFolder();

// Location of a logical name; empty when it does not resolve. Resolving a
// data-folder name for writing enters it in the table.
TString ResolvePath(const char* name, bool forReading);
bool FileExists(const char* name);

// Adds (or removes) the blank-separated names of text to the hidden set;
// the token "-*" empties the set and makes the result true.
bool ApplyHiddenNameList(const char* text, bool add);
bool IsNameVisible(const TString& name);
// Walks the table keys of a logical folder: start with an empty name, call
// again with the name it gave. Not recursive: keys in subfolders are skipped.
bool NextRegisteredName(const TString& folder, TString& name, bool recursive);
// Empties the name table and the hidden-name set.
void ClearNameRegistry();
