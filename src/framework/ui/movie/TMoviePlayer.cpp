#include "framework/ui/movie/TMoviePlayer.h"

#include "framework/core/log/TLog.h"

namespace {

// Stands in for the player until the host integration installs one: no
// movie opens, so the scripts take their path without a movie.
class TNoMoviePlayer : public TMoviePlayer {
public:
    explicit TNoMoviePlayer(const TString& name) : mName(name) {}
    bool Open(bool, bool, bool) override {
        LogPrintf("Movie '%s' not played: this build has no movie player", mName.CStr());
        return false;
    }
    bool IsPlaying() const override { return false; }
    void Close() override {}
    void Update() override {}

private:
    TString mName;
};

TMoviePlayer* MakeNoMoviePlayer(const TString& name) {
    return new TNoMoviePlayer(name);
}

TMoviePlayerMaker gMaker = &MakeNoMoviePlayer;

} // namespace

void SetMoviePlayerMaker(TMoviePlayerMaker maker) {
    gMaker = maker ? maker : &MakeNoMoviePlayer;
}

TMoviePlayer* MakeMoviePlayer(const TString& movieName) {
    return gMaker(movieName);
}
