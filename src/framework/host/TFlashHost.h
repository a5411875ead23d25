#pragma once

#include "framework/core/text/TString.h"
#include "framework/ui/movie/TMoviePlayer.h"

// The player of the screens' movies (StartMovie). The movies are Flash
// movies, and no Flash player exists on this system: opening one says so
// in the log with the movie's name and fails without changing anything
// (cursor, capture, the window manager's flags), so the scripts take their
// way without the movie (a splash shows its picture). The application frame
// installs it as the movie player maker.
class TFlashHost : public TMoviePlayer {
public:
    explicit TFlashHost(const TString& movieName) : mMovieName(movieName) {}
    ~TFlashHost() override { Close(); }
    TFlashHost(const TFlashHost&) = delete;
    TFlashHost& operator=(const TFlashHost&) = delete;

    // The maker to install with SetMoviePlayerMaker.
    static TMoviePlayer* Make(const TString& movieName);

    bool Open(bool first, bool translate, bool allowInput) override;
    bool IsPlaying() const override { return false; }
    void Close() override {}
    void Update() override {}

    const TString& GetMovieName() const { return mMovieName; }

private:
    TString mMovieName;
};
