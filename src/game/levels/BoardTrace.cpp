#include "game/levels/BoardTrace.h"

#include "framework/core/log/TLog.h"
#include "game/board/BoardSlots.h"
#include "game/board/BoardTile.h"
#include "game/levels/lvCorvaloJoker.h"
#include "game/levels/lvCorvaloLevel.h"
#include "game/levels/lvCorvaloRome.h"
#include "game/state/dtLevelState.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

BoardTrace::BoardTrace(std::string path) : mPath(std::move(path)) {}

std::unique_ptr<BoardTrace> BoardTrace::FromEnvironment() {
    const char* path = std::getenv("CORVALO_BOARD_TRACE");
    if (!path || !*path)
        return nullptr;
    return std::make_unique<BoardTrace>(path);
}

std::string BoardTrace::Describe(const lvCorvaloLevel* level) const {
    std::ostringstream text;
    text << "level " << mLevels;
    const dtLevelState* state = level ? level->GetLevelState() : nullptr;
    if (!state || !level->GetGeometry()) {
        text << " none\n";
        return text.str();
    }
    const auto* joker = dynamic_cast<const lvCorvaloJoker*>(level);
    const auto* rome = dynamic_cast<const lvCorvaloRome*>(level);
    const BoardSlots& slots = state->GetSlots();
    const int slotCount = level->SlotCount();
    text << " mode " << level->GetModeId() << " input " << level->IsInputEnabled() << " busy "
         << level->IsAnyTileBusy() << " outcome " << level->GetOutcome() << " ended "
         << level->IsEnded() << " face " << (joker ? joker->GetFaceKind() : 0) << "\n";
    for (int slot = level->FirstPlaySlot(); slot < slotCount; ++slot) {
        const BoardTile* tile = slots.tile[slot];
        if (!tile || slots.kind[slot] == 0)
            continue;
        const bool marked = rome && static_cast<size_t>(slot) < rome->GetMarks().size() &&
                            rome->GetMarks()[static_cast<size_t>(slot)] != 0;
        const TRect box = tile->GetHitBounds();
        text << "slot " << slot << " kind " << slots.kind[slot] << " open "
             << level->IsClickable(slot) << " mark " << marked << " at "
             << box.left + level->GetBoardX() << " " << box.top + level->GetBoardY() << " "
             << box.right + level->GetBoardX() << " " << box.bottom + level->GetBoardY() << "\n";
    }
    text << "end\n";
    return text.str();
}

void BoardTrace::Write(const lvCorvaloLevel* level) {
    std::string text = Describe(level);
    if (text != mWritten)
        WriteText(text);
}

void BoardTrace::WriteClosed() {
    WriteText("closed\n");
}

void BoardTrace::WriteText(const std::string& text) {
    if (mFailed)
        return;
    const std::string partial = mPath + ".partial";
    std::FILE* file = std::fopen(partial.c_str(), "w");
    const bool written = file && std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool closed = file && std::fclose(file) == 0;
    if (!written || !closed || std::rename(partial.c_str(), mPath.c_str()) != 0) {
        // One line, then silence: a trace that cannot be written must not
        // fill the log at every frame.
        LogPrintf("board trace: cannot write \"%s\"; the trace stops", mPath.c_str());
        mFailed = true;
        return;
    }
    mWritten = text;
}
