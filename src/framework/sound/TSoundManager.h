#pragma once

// The sound manager and the start-up registration of the Ogg builder, for
// the application frame.
#include "framework/sound/manager/TSoundManager.h"
#include "framework/sound/source/TOggDataSource.h"
