#pragma once

// Reads the board trace that the game writes when "CORVALO_BOARD_TRACE"
// names a file (src/game/levels/BoardTrace.h), and plays it as a player
// with perfect memory would: the next clicks that win.

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace support {

struct TracedSlot {
    int slot = 0;
    int kind = 0;
    bool open = false;
    bool mark = false;
    int left = 0, top = 0, right = 0, bottom = 0;

    int CentreX() const { return (left + right) / 2; }
    int CentreY() const { return (top + bottom) / 2; }
};

struct TracedBoard {
    // False when the text was not a whole trace (a missing file).
    bool read = false;
    bool closed = false;
    // No level stands (between two levels).
    bool none = false;
    int level = 0;
    int mode = 0;
    bool input = false;
    bool busy = false;
    int outcome = 0;
    bool ended = false;
    int face = 0;
    std::vector<TracedSlot> slots;

    // A level that takes clicks now.
    bool Playing() const { return read && !closed && !none && input && outcome == 0 && !ended; }
    const TracedSlot* Find(int slot) const {
        for (const TracedSlot& s : slots)
            if (s.slot == slot)
                return &s;
        return nullptr;
    }
};

inline TracedBoard ParseBoardTrace(const std::string& text) {
    TracedBoard board;
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line))
        return board;
    if (line == "closed") {
        board.read = board.closed = true;
        return board;
    }
    std::istringstream head(line);
    std::string word;
    head >> word >> board.level;
    if (word != "level" || !head)
        return board;
    head >> word;
    if (word == "none") {
        board.read = board.none = true;
        return board;
    }
    int input = 0, busy = 0, ended = 0;
    head >> board.mode >> word >> input >> word >> busy >> word >> board.outcome >> word >> ended >>
        word >> board.face;
    if (!head)
        return board;
    board.input = input != 0;
    board.busy = busy != 0;
    board.ended = ended != 0;
    while (std::getline(in, line)) {
        if (line == "end") {
            board.read = true;
            return board;
        }
        std::istringstream row(line);
        TracedSlot s;
        int open = 0, mark = 0;
        row >> word >> s.slot >> word >> s.kind >> word >> open >> word >> mark >> word >> s.left >>
            s.top >> s.right >> s.bottom;
        if (!row)
            return board;
        s.open = open != 0;
        s.mark = mark != 0;
        board.slots.push_back(s);
    }
    return board; // cut short: not read
}

// The clicks of one move of a player who knows every face: in Joker a
// card of the round's face not yet found; else a pair of pictures (one on
// a Rome mark first), else a lone sidewinder, showtime or freeze, else a
// picture with a bomb. Empty when nothing on the board can be played.
inline std::vector<const TracedSlot*> PerfectMove(const TracedBoard& board) {
    constexpr int kFirstPicture = 1, kLastPicture = 8, kBomb = 10, kSidewinder = 11, kShowtime = 12,
                  kFreeze = 13;
    if (board.face != 0) {
        for (const TracedSlot& s : board.slots)
            if (s.open && s.kind == board.face)
                return {&s};
        return {};
    }
    std::vector<const TracedSlot*> byKind[16];
    for (const TracedSlot& s : board.slots)
        if (s.open && s.kind > 0 && s.kind < 16)
            byKind[s.kind].push_back(&s);
    std::vector<const TracedSlot*> best;
    int bestMarks = -1;
    for (int kind = kFirstPicture; kind <= kLastPicture; ++kind) {
        std::vector<const TracedSlot*>& slots = byKind[kind];
        if (slots.size() < 2)
            continue;
        std::stable_partition(slots.begin(), slots.end(),
                              [](const TracedSlot* s) { return s->mark; });
        const int marks = slots[0]->mark + slots[1]->mark;
        if (marks > bestMarks) {
            bestMarks = marks;
            best = {slots[0], slots[1]};
        }
    }
    if (!best.empty())
        return best;
    for (int kind : {kSidewinder, kShowtime, kFreeze})
        if (!byKind[kind].empty())
            return {byKind[kind][0]};
    if (!byKind[kBomb].empty())
        for (int kind = kFirstPicture; kind <= kLastPicture; ++kind)
            if (!byKind[kind].empty())
                return {byKind[kind][0], byKind[kBomb][0]};
    return {};
}

} // namespace support
