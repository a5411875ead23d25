#pragma once

#include <cstddef>

// The script half of the window framework, which the window script runs
// once its native functions exist: the constants that scripts and native
// code share, the dialog-building vocabulary (nested constructor tables),
// the modal loop that waits for messages, and the helpers built on them.
extern const char kScreenInitLibraryName[];
extern const char kScreenInitLibrary[];
extern const size_t kScreenInitLibrarySize;
