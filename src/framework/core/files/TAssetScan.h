#pragma once

#include "framework/core/text/TString.h"

// The start-up scan that fills the name table (see TFileSystem.h): the
// hidden-name list, the packs and files of the assets folder, and the files
// of the data folders. Main thread only.

// Start-up switches taken from the settings by the application: "firstpeek"
// selects "firstpeek.txt" in place of "final.txt" as the hidden-name list;
// "activex" (running as a hosted control) skips the data-folder scans.
void SetFirstPeek(bool firstPeek);
void SetHostedControl(bool hosted);

// Reads the hidden-name list and scans the assets and data folders.
void InitFileSystem();
// Registers the files under a disk folder (keys prefix + relative path).
// The packs of the assets folder itself are loaded before its files, so
// that loose files of the same name replace their entries.
void ScanAssetFolder(const TString& folder, const TString& prefix);
