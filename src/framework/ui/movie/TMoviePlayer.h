#pragma once

#include "framework/core/text/TString.h"

// The player of the movies that screen scripts start (StartMovie): the
// window script makes one per movie through the installed maker, opens it
// and deletes it when it does not open, steps it from the event pump and
// closes and deletes it at the end. The application frame installs the
// host integration's player; until then no player is made, every movie
// fails to start and the scripts go on without it (a splash shows its
// picture instead).
class TMoviePlayer {
public:
    virtual ~TMoviePlayer() = default;

    // Starts the movie: the first flag as the host passes it (always false
    // from the scripts), then whether its texts are translated and whether
    // the player takes input. False when the movie cannot be shown.
    virtual bool Open(bool first, bool translate, bool allowInput) = 0;
    virtual bool IsPlaying() const = 0;
    virtual void Close() = 0;
    // One step of the playing movie.
    virtual void Update() = 0;
};

using TMoviePlayerMaker = TMoviePlayer* (*)(const TString& movieName);

// Installs the maker of players; null removes it.
void SetMoviePlayerMaker(TMoviePlayerMaker maker);
// A new player for the movie from the installed maker; null (with a log
// line) when none is installed.
TMoviePlayer* MakeMoviePlayer(const TString& movieName);
