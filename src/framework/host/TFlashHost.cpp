#include "framework/host/TFlashHost.h"

#include "framework/core/log/TLog.h"

TMoviePlayer* TFlashHost::Make(const TString& movieName) {
    return new TFlashHost(movieName);
}

bool TFlashHost::Open(bool, bool, bool) {
    LogPrintf("Movie '%s' not played: no Flash player exists on this system", mMovieName.CStr());
    return false;
}
