#pragma once

#include <memory>
#include <string>

class lvCorvaloLevel;

// The board as the rules see it, written to a file for a program that
// drives the game in a test (a scripted player with perfect memory): every
// tile's face and where it stands on the screen. Nothing is written unless
// the environment variable "CORVALO_BOARD_TRACE" names the file; the game
// has no other way to turn it on, so a player at the screen never sees it.
//
// The game object writes the board after each frame in which it changed.
// The file is written whole under another name and renamed over the old
// one, so a reader never sees half of it. Its lines:
//   level N mode M input 0|1 busy 0|1 outcome O ended 0|1 face K
//   slot S kind K open 0|1 mark 0|1 at LEFT TOP RIGHT BOTTOM
//   ...
//   end
// N counts the levels made since the board screen opened (a new level,
// round or try after Continue counts one more); M the mode id (1 Classic,
// 2 Strategy, 3 Blitz, 4 Joker, 5 Rome); "input" whether the level takes
// clicks; "busy" whether a tile is still turning, sliding or falling; O the
// level's outcome (0 playing, 1 won, 2 lost, 3 time up); K after "face" the
// Joker round's card kind to find (0 in the other modes). One "slot" line
// for each slot in play that holds a tile: its kind (1-8 the pictures, 9
// wild, 10 bomb, 11 sidewinder, 12 showtime, 13 freeze, 14 golden, 15
// joker), whether a click on it is taken now, whether it lies on a Rome
// mark, and its face's box in the screen's picture (1024 x 768). Without a
// level the first line is "level N none"; once the board screen has closed
// the file holds "closed".
class BoardTrace {
public:
    explicit BoardTrace(std::string path);

    // The trace the environment asks for; null when it asks for none.
    static std::unique_ptr<BoardTrace> FromEnvironment();

    // The file's text for a level (null: none).
    std::string Describe(const lvCorvaloLevel* level) const;
    // Writes the level's text when it differs from what was last written.
    void Write(const lvCorvaloLevel* level);
    // A new level was made.
    void CountLevel() { ++mLevels; }
    // The board screen has closed.
    void WriteClosed();

private:
    void WriteText(const std::string& text);

    std::string mPath;
    std::string mWritten;
    int mLevels = 0;
    bool mFailed = false;
};
