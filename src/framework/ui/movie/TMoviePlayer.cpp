#include "framework/ui/movie/TMoviePlayer.h"

#include "framework/core/log/TLog.h"

namespace {

TMoviePlayerMaker gMaker = nullptr;

} // namespace

void SetMoviePlayerMaker(TMoviePlayerMaker maker) {
    gMaker = maker;
}

TMoviePlayer* MakeMoviePlayer(const TString& movieName) {
    if (!gMaker) {
        LogPrintf("Movie '%s' not played: no movie player is installed", movieName.CStr());
        return nullptr;
    }
    return gMaker(movieName);
}
