#include "game/board/BoardActionQueue.h"

#include "framework/core/log/TLog.h"
#include "framework/core/tasks/TClock.h"
#include "game/board/BoardScreen.h"
#include "game/board/BoardTile.h"
#include "game/board/GetLocalizedString.h"
#include "game/data/GameIds.h"
#include "game/data/LevelRecords.h"
#include "game/data/TileKinds.h"
#include "game/random/GameRandom.h"
#include "game/state/dtLevelState.h"
#include "game/timers/IntervalTimer.h"
#include "velk/game/GameTuning.h"

#include <algorithm>
#include <set>
#include <utility>

namespace {

bool Listed(const std::vector<uint32_t>& list, uint32_t slot) {
    return std::find(list.begin(), list.end(), slot) != list.end();
}

uint32_t Period(int value) {
    return value > 0 ? static_cast<uint32_t>(value) : 0u;
}

// Display states the reveals look at.
constexpr int32_t kStanding = 6;
constexpr int32_t kVanishing = 7;
constexpr int32_t kFaceUpState = 2;

// The Joker level's commands that the queue writes.
constexpr int32_t kJokerShowFace = 104;
constexpr int32_t kJokerHideToBonusBack = 105;

} // namespace

BoardActionQueue::BoardActionQueue(uint32_t geometryIndex, TClock* clock, dtLevelState* levelState)
    : mClock(clock), mGeometryIndex(geometryIndex), mLevelState(levelState) {
    if (!mClock) {
        LogPrintf("BoardActionQueue: no clock given; the board's shows run on a stopped one\n");
        mOwnClock = std::make_unique<TClock>();
        mClock = mOwnClock.get();
    }
    mTimer = std::make_unique<IntervalTimer>(*mClock, 0);
    mGeometry = GetGameModeRecord(static_cast<int>(geometryIndex));
    if (!mGeometry)
        LogPrintf("BoardActionQueue: no board layout %u; the shows find no slots\n", geometryIndex);
    if (!mLevelState)
        LogPrintf("BoardActionQueue: no level state; the shows find no slots\n");
}

BoardActionQueue::~BoardActionQueue() {
    Abort();
}

void BoardActionQueue::SetMode(int32_t mode) {
    if (mode >= 1 && mode <= 5)
        mMode = static_cast<uint32_t>(mode);
}

void BoardActionQueue::SetRoundTitle(bool showModeTitle, uint32_t roundNumber) {
    mShowModeTitle = showModeTitle ? 1 : 0;
    mRoundNumber = roundNumber;
}

// ---- posting ----

void BoardActionQueue::Post(Posted posted) {
    mPending.push_back(std::move(posted));
}

void BoardActionQueue::StartGo() {
    mCurrent = kGo;
    mPhase = 1;
}

void BoardActionQueue::PostSameKindClear(const std::vector<uint32_t>& slots,
                                         uint32_t referenceIndex) {
    mClearedReady = 0;
    Post({kSameKindClear, slots, {}, referenceIndex});
}

void BoardActionQueue::PostMatch(const std::vector<uint32_t>& slots) {
    mMatchReady = 0;
    mMatchResult = 0;
    Post({kMatch, slots, {}, 0});
}

void BoardActionQueue::PostHideAllExcept(const std::vector<uint32_t>& slots) {
    Post({kHideAllExcept, slots, {}, 0});
}

void BoardActionQueue::PostSidewinder(const std::vector<uint32_t>& slots) {
    mSidewinderReady = 0;
    mSidewinderResult = 0;
    Post({kSidewinder, slots, {}, 0});
}

void BoardActionQueue::PostRevealFirstRow() {
    Post({kRevealFirstRow, {}, {}, 0});
}

void BoardActionQueue::PostRevealAlternate() {
    Post({kRevealAlternate, {}, {}, 0});
}

void BoardActionQueue::PostRevealSweep() {
    Post({kRevealSweep, {}, {}, 0});
}

void BoardActionQueue::PostRevealRows() {
    Post({kRevealRows, {}, {}, 0});
}

void BoardActionQueue::PostRevealAll() {
    Post({kRevealAll, {}, {}, 0});
}

bool BoardActionQueue::PostHint(const std::vector<uint32_t>& slots) {
    mHintGiven = slots;
    mHintCandidates.clear();
    for (uint32_t slot = Columns(); slot < PlayEnd(); ++slot) {
        if (IsGameTile(slot) && !Listed(slots, slot))
            mHintCandidates.push_back(slot);
    }
    const bool recordModes = mMode == 1 || mMode == 2 || mMode == 3 || mMode == 5;
    if (recordModes && mHintCandidates.size() <= LevelTileCount())
        return false;
    if (mHintCandidates.size() < 4)
        return false;
    Post({kHint, mHintGiven, mHintCandidates, 0});
    return true;
}

void BoardActionQueue::PostGolden() {
    Post({kGolden, {}, {}, 0});
}

void BoardActionQueue::Abort() {
    if (mCurrent == kNone)
        return;
    mPhase = 1;
    mPending.clear();
    mCurrent = kNone;
    Post({kCancel, {}, {}, 0});
}

void BoardActionQueue::PostJokerRoundEnd() {
    Post({kJokerRoundEnd, {}, {}, 0});
}

void BoardActionQueue::PostRound() {
    Post({kRound, {}, {}, 0});
}

void BoardActionQueue::PostJokerShowAll() {
    Post({kJokerShowAll, {}, {}, 0});
}

// ---- results ----

namespace {

int32_t Take(uint32_t current, uint8_t& ready, uint32_t result) {
    if (current != BoardActionQueue::kNone || !ready)
        return -1;
    ready = 0;
    return static_cast<int32_t>(result);
}

} // namespace

int32_t BoardActionQueue::TakeClearedCount() {
    return Take(mCurrent, mClearedReady, mClearedResult);
}

int32_t BoardActionQueue::TakeMatchCount() {
    return Take(mCurrent, mMatchReady, mMatchResult);
}

int32_t BoardActionQueue::TakeSidewinderCount() {
    return Take(mCurrent, mSidewinderReady, mSidewinderResult);
}

// ---- the loop ----

void BoardActionQueue::Begin(Posted& posted) {
    mCurrent = posted.action;
    mPhase = 1;
    switch (posted.action) {
    case kSameKindClear:
        mSameKindList = std::move(posted.slots);
        mReferenceIndex = posted.reference;
        break;
    case kMatch:
    case kHideAllExcept:
        mMatchList = std::move(posted.slots);
        break;
    case kSidewinder:
        mSidewinderList = std::move(posted.slots);
        break;
    case kHint:
        mHintGiven = std::move(posted.slots);
        mHintCandidates = std::move(posted.candidates);
        break;
    default:
        break;
    }
}

void BoardActionQueue::Update() {
    if (!mLevelState)
        return;
    if (mCurrent == kNone && !mPending.empty()) {
        Posted posted = std::move(mPending.front());
        mPending.pop_front();
        Begin(posted);
    }
    switch (mCurrent) {
    case kGo:
        StepGo();
        break;
    case kSameKindClear:
        StepSameKindClear();
        break;
    case kMatch:
        StepMatch();
        break;
    case kHideAllExcept:
        StepHideAllExcept();
        break;
    case kSidewinder:
        StepSidewinder();
        break;
    case kRevealFirstRow:
        StepRevealFirstRow();
        break;
    case kRevealAlternate:
        StepRevealAlternate();
        break;
    case kRevealSweep:
        StepRevealSweep();
        break;
    case kRevealRows:
        StepRevealRows();
        break;
    case kRevealAll:
        StepRevealAll();
        break;
    case kHint:
        StepHint();
        break;
    case kGolden:
        StepGolden();
        break;
    case kCancel:
        StepCancel();
        break;
    case kJokerRoundEnd:
        StepJokerRoundEnd();
        break;
    case kRound:
        StepRound();
        break;
    case kJokerShowAll:
        StepJokerShowAll();
        break;
    default:
        break;
    }
}

// ---- the board ----

uint32_t BoardActionQueue::Columns() const {
    return mGeometry && mGeometry->col > 0 ? static_cast<uint32_t>(mGeometry->col) : 0u;
}

uint32_t BoardActionQueue::Rows() const {
    return mGeometry && mGeometry->row > 0 ? static_cast<uint32_t>(mGeometry->row) : 0u;
}

uint32_t BoardActionQueue::SlotCount() const {
    return mLevelState ? static_cast<uint32_t>(mLevelState->GetSlots().Size()) : 0u;
}

uint32_t BoardActionQueue::PlayEnd() const {
    return std::min((Rows() + 1) * Columns(), SlotCount());
}

uint32_t BoardActionQueue::KindAt(uint32_t slot) const {
    if (slot >= SlotCount())
        return 0;
    const int32_t kind = mLevelState->GetSlots().kind[slot];
    return kind > 0 ? static_cast<uint32_t>(kind) : 0u;
}

int32_t BoardActionQueue::TypeAt(uint32_t slot) const {
    const uint32_t kind = KindAt(slot);
    if (kind == 0)
        return 0;
    const TTileKindRecord* record = GetTileKind(static_cast<int>(kind));
    return record ? record->type : 0;
}

bool BoardActionQueue::IsGameTile(uint32_t slot) const {
    return TypeAt(slot) == kTileTypeGame;
}

int32_t BoardActionQueue::DisplayStateAt(uint32_t slot) const {
    return slot < SlotCount() ? mLevelState->GetSlots().state[slot] : 0;
}

int32_t BoardActionQueue::CommandAt(uint32_t slot) const {
    return slot < SlotCount() ? mLevelState->GetSlots().command[slot] : kCmdNone;
}

void BoardActionQueue::SetCommand(uint32_t slot, int32_t command) {
    if (slot < SlotCount())
        mLevelState->GetSlots().command[slot] = command;
}

bool BoardActionQueue::IsSpecial(uint32_t slot) const {
    return mMode == kModeRome && slot < mSpecialSlots.size() && mSpecialSlots[slot] != 0;
}

void BoardActionQueue::Reveal(uint32_t slot) {
    SetCommand(slot, IsSpecial(slot) ? kCmdAppearFaint : kCmdRevealFaint);
}

void BoardActionQueue::Hide(uint32_t slot) {
    SetCommand(slot, IsSpecial(slot) ? kCmdFaintToBonusBack : kCmdHideFaint);
}

bool BoardActionQueue::IsSettled() const {
    for (uint32_t slot = Columns(); slot < PlayEnd(); ++slot) {
        if (mLevelState->GetSlots().busy[slot])
            return false;
    }
    return true;
}

bool BoardActionQueue::NoneBusy(const std::vector<uint32_t>& slots) const {
    for (uint32_t slot : slots) {
        if (slot < SlotCount() && mLevelState->GetSlots().busy[slot])
            return false;
    }
    return true;
}

bool BoardActionQueue::NoTileBusy() const {
    const BoardSlots* slots = mLevelState ? &mLevelState->GetSlots() : nullptr;
    for (uint32_t slot = 0; slot < SlotCount(); ++slot) {
        if (slots->kind[slot] != 0 && slots->busy[slot])
            return false;
    }
    return true;
}

std::vector<uint32_t> BoardActionQueue::PlayGameTiles() const {
    std::vector<uint32_t> slots;
    for (uint32_t slot = Columns(); slot < PlayEnd(); ++slot) {
        if (IsGameTile(slot))
            slots.push_back(slot);
    }
    return slots;
}

uint32_t BoardActionQueue::LevelTileCount() const {
    if (!mLevelState)
        return 0;
    const TTileDeal* deal = nullptr;
    switch (mMode) {
    case kModeClassic:
        deal = mLevelState->classic;
        break;
    case kModeStrategy:
        deal = mLevelState->strategy;
        break;
    case kModeBlitz:
        deal = mLevelState->blitz;
        break;
    case kModeRome:
        deal = mLevelState->rome;
        break;
    default:
        break;
    }
    return deal ? static_cast<uint32_t>(deal->kinds.size()) : 0u;
}

void BoardActionQueue::AddBombVictims(const std::vector<uint32_t>& listed, int32_t command) {
    const size_t n = listed.size();
    if (n < 3 || KindAt(listed[n - 2]) != kTileBomb)
        return;
    const uint32_t kind = KindAt(listed[n - 3]);
    if (kind == 0)
        return;
    for (uint32_t slot = 0; slot < SlotCount(); ++slot) {
        if (KindAt(slot) != kind || Listed(listed, slot))
            continue;
        if (command == kCmdRevealFaint)
            Reveal(slot);
        else
            SetCommand(slot, command);
        mExtraList.push_back(slot);
    }
}

bool BoardActionQueue::CanReveal(uint32_t slot) const {
    const int32_t state = DisplayStateAt(slot);
    return IsGameTile(slot) && state != kVanishing && state != kStanding;
}

void BoardActionQueue::HideShownTiles() {
    for (uint32_t slot : PlayGameTiles()) {
        if (DisplayStateAt(slot) != kVanishing)
            Hide(slot);
    }
}

void BoardActionQueue::Arm(uint32_t period) {
    mTimer->SetPeriod(period);
    mTimer->StartAlarm();
}

void BoardActionQueue::Restart() {
    mTimer->StartAlarm();
}

bool BoardActionQueue::Rang() {
    return mTimer->AlarmDue();
}

TString BoardActionQueue::ModeTitle() const {
    static const char* const kModeNames[6] = {"", "Classic", "Strategy", "Blitz", "Joker", "Rome"};
    if (mMode < 1 || mMode > 5)
        return TString("");
    return GetLocalizedString(TString(kModeNames[mMode]) + TString(" Upcase")) + TString(" ") +
           GetLocalizedString(TString("Mode")) + TString("_");
}

// ---- the actions ----

void BoardActionQueue::StepGo() {
    const TGameTuning::Time& time = gGameTuning.time;
    switch (mPhase) {
    case 1:
        Arm(Period(time.preLevel));
        Next();
        break;
    case 2: {
        if (!Rang())
            return;
        const TString text = ModeTitle() + GetLocalizedString(TString("Anim_Go"));
        if (mBoardScreen)
            mBoardScreen->StartCountdown(text);
        for (uint32_t slot : PlayGameTiles())
            SetCommand(slot, mMode == kModeRome && IsSpecial(slot) ? kCmdAppearUp : kCmdTurnUp);
        Arm(Period(time.initLevel));
        Next();
        break;
    }
    case 3:
        if (!Rang())
            return;
        mWorkList = PlayGameTiles();
        // A uniform shuffle: each place takes one of the entries not placed
        // yet, all equally likely.
        for (size_t i = mWorkList.size(); i > 1; --i)
            std::swap(mWorkList[i - 1], mWorkList[RandomBelow(static_cast<int>(i))]);
        mStepIndex = 0;
        Arm(Period(time.intervalHideCards));
        Next();
        break;
    case 4:
        if (mStepIndex >= mWorkList.size()) {
            Next();
            return;
        }
        if (!Rang())
            return;
        {
            const uint32_t slot = mWorkList[mStepIndex++];
            SetCommand(slot, IsSpecial(slot) ? kCmdDisappearToBonusBack : kCmdTurnDown);
        }
        Restart();
        break;
    default:
        if (IsSettled())
            End();
        break;
    }
}

void BoardActionQueue::StepSameKindClear() {
    switch (mPhase) {
    case 1: {
        mExtraList.clear();
        const bool known = mReferenceIndex < mSameKindList.size();
        if (!known)
            LogPrintf("BoardActionQueue: same-kind clear with reference %u of %zu slots; only "
                      "the slots go\n",
                      mReferenceIndex, mSameKindList.size());
        const uint32_t kind = known ? KindAt(mSameKindList[mReferenceIndex]) : 0;
        for (uint32_t slot = 0; kind != 0 && slot < SlotCount(); ++slot) {
            if (KindAt(slot) == kind && !Listed(mSameKindList, slot)) {
                SetCommand(slot, kCmdRevealFaint);
                mExtraList.push_back(slot);
            }
        }
        mClearedResult = 0;
        Arm(Period(gGameTuning.time.showCards));
        Next();
        break;
    }
    case 2:
        if (!Rang())
            return;
        for (uint32_t slot : mExtraList) {
            if (BoardTile* tile = mLevelState->GetSlots().tile[slot])
                tile->SetBombed(true);
            SetCommand(slot, kCmdRemove);
        }
        for (uint32_t slot : mSameKindList)
            SetCommand(slot, kCmdRemove);
        mClearedResult = static_cast<uint32_t>(mExtraList.size() + mSameKindList.size());
        Next();
        break;
    default:
        if (!IsSettled())
            return;
        mClearedReady = 1;
        End();
        break;
    }
}

void BoardActionQueue::StepMatch() {
    switch (mPhase) {
    case 1: {
        mTimer->StopAlarm();
        mExtraList.clear();
        const size_t n = mMatchList.size();
        if (n >= 3 && KindAt(mMatchList[n - 2]) == kTileBomb) {
            AddBombVictims(mMatchList, kCmdRevealFaint);
            Arm(Period(gGameTuning.time.showCards));
            Next();
        } else {
            mPhase = 3;
        }
        break;
    }
    case 2:
        if (!Rang())
            return;
        for (uint32_t slot : mExtraList)
            SetCommand(slot, kCmdRemove);
        Next();
        break;
    case 3:
        for (uint32_t slot : mMatchList)
            SetCommand(slot, kCmdRemove);
        mMatchResult = static_cast<uint32_t>(mExtraList.size() + mMatchList.size());
        mExtraList.clear();
        mMatchList.clear();
        Next();
        break;
    case 4:
        if (!IsSettled())
            return;
        for (uint32_t slot : PlayGameTiles())
            Reveal(slot);
        Next();
        break;
    default:
        if (!IsSettled())
            return;
        mMatchReady = 1;
        End();
        break;
    }
}

void BoardActionQueue::StepHideAllExcept() {
    if (mPhase == 1) {
        for (uint32_t slot = 0; slot < SlotCount(); ++slot) {
            if (IsGameTile(slot) && !Listed(mMatchList, slot))
                Hide(slot);
        }
        Next();
        return;
    }
    if (NoTileBusy())
        End();
}

void BoardActionQueue::StepSidewinder() {
    switch (mPhase) {
    case 1: {
        mExtraList.clear();
        BoardSlots& slots = mLevelState->GetSlots();
        for (uint32_t slot : mSidewinderList) {
            if (slot < SlotCount() && slots.tile[slot])
                slots.tile[slot]->SetWind(true);
        }
        AddBombVictims(mSidewinderList, kCmdRevealFaint);
        const uint32_t columns = Columns();
        if (!mSidewinderList.empty() && columns > 0) {
            const uint32_t origin = mSidewinderList.back();
            const uint32_t row = origin / columns;
            const uint32_t column = origin % columns;
            std::vector<uint32_t> walk;
            for (uint32_t c = 0; c < columns; ++c)
                walk.push_back(row * columns + c);
            // The column from the entry row up.
            for (uint32_t r = 0; r <= Rows(); ++r)
                walk.push_back(r * columns + column);
            for (uint32_t slot : walk) {
                // A bomb victim already goes with the extra slots; listing
                // it again would count it twice.
                if (KindAt(slot) == 0 || Listed(mSidewinderList, slot) || Listed(mExtraList, slot))
                    continue;
                mSidewinderList.push_back(slot);
                if (IsGameTile(slot)) {
                    SetCommand(slot, kCmdRevealFaint);
                    if (slots.tile[slot])
                        slots.tile[slot]->SetWind(true);
                }
            }
        }
        Arm(Period(gGameTuning.time.showCards));
        Next();
        break;
    }
    case 2:
        if (!Rang())
            return;
        for (uint32_t slot : mExtraList)
            SetCommand(slot, kCmdRemove);
        for (uint32_t slot : mSidewinderList)
            SetCommand(slot, kCmdRemove);
        mSidewinderResult = static_cast<uint32_t>(mExtraList.size() + mSidewinderList.size());
        mExtraList.clear();
        mSidewinderList.clear();
        Next();
        break;
    default:
        if (!IsSettled())
            return;
        mSidewinderReady = 1;
        End();
        break;
    }
}

void BoardActionQueue::StepRevealFirstRow() {
    std::vector<uint32_t> row;
    for (uint32_t slot = Columns(); slot < std::min(2 * Columns(), SlotCount()); ++slot)
        row.push_back(slot);
    switch (mPhase) {
    case 1:
        for (uint32_t slot : row) {
            if (CanReveal(slot))
                SetCommand(slot, kCmdRevealFaint);
        }
        Arm(Period(gGameTuning.time.showCards));
        Next();
        break;
    case 2:
        if (!Rang())
            return;
        for (uint32_t slot : row) {
            if (IsGameTile(slot) && DisplayStateAt(slot) != kVanishing)
                SetCommand(slot, kCmdHideFaint);
        }
        Next();
        break;
    default:
        if (NoneBusy(row))
            End();
        break;
    }
}

void BoardActionQueue::StepRevealAlternate() {
    switch (mPhase) {
    case 1:
        if (IsSettled())
            Next();
        break;
    case 2:
        for (uint32_t slot = Columns(); slot < PlayEnd(); slot += 2) {
            if (CanReveal(slot))
                Reveal(slot);
        }
        Arm(Period(gGameTuning.time.showCards));
        Next();
        break;
    case 3:
        if (!Rang())
            return;
        for (uint32_t slot = Columns(); slot < PlayEnd(); slot += 2) {
            if (IsGameTile(slot) && DisplayStateAt(slot) != kVanishing)
                Hide(slot);
        }
        Next();
        break;
    default:
        if (IsSettled())
            End();
        break;
    }
}

void BoardActionQueue::StepRevealSweep() {
    const uint32_t columns = Columns();
    switch (mPhase) {
    case 1:
        mCounter = 0;
        Arm(Period(gGameTuning.time.intervalShowCards));
        Next();
        break;
    case 2:
        if (IsSettled())
            Next();
        break;
    case 3:
        if (!Rang())
            return;
        for (uint32_t r = 1; r <= Rows() && mCounter < columns; ++r) {
            // Odd rows run left to right, even rows right to left.
            const uint32_t slot =
                (r % 2 == 1) ? r * columns + mCounter : (r + 1) * columns - 1 - mCounter;
            if (CanReveal(slot))
                Reveal(slot);
        }
        ++mCounter;
        if (mCounter < columns) {
            Restart();
        } else {
            Arm(Period(gGameTuning.time.showCards));
            Next();
        }
        break;
    case 4:
        if (!Rang())
            return;
        HideShownTiles();
        Next();
        break;
    default:
        if (IsSettled())
            End();
        break;
    }
}

void BoardActionQueue::StepRevealRows() {
    const uint32_t columns = Columns();
    auto revealRow = [this, columns](uint32_t row) {
        for (uint32_t slot = row * columns; slot < (row + 1) * columns && slot < SlotCount();
             ++slot) {
            if (CanReveal(slot))
                Reveal(slot);
        }
    };
    switch (mPhase) {
    case 1: {
        if (!IsSettled())
            return;
        uint32_t last = 0;
        for (uint32_t slot = SlotCount(); slot-- > 1;) {
            if (IsGameTile(slot)) {
                last = columns > 0 ? slot / columns : 0;
                break;
            }
        }
        if (last == 0) {
            End();
            return;
        }
        mSecondCounter = last;
        mCounter = 1;
        Arm(Period(gGameTuning.time.intervalShowCards));
        Next();
        break;
    }
    case 2:
        if (!Rang())
            return;
        revealRow(mCounter);
        ++mCounter;
        if (mCounter > mSecondCounter) {
            mCounter = mSecondCounter;
            Next();
        }
        Restart();
        break;
    case 3:
        if (!Rang())
            return;
        revealRow(mCounter);
        --mCounter;
        if (mCounter == 0) {
            Arm(Period(gGameTuning.time.showCards));
            Next();
        } else {
            Restart();
        }
        break;
    case 4:
        if (!Rang())
            return;
        HideShownTiles();
        Next();
        break;
    default:
        if (IsSettled())
            End();
        break;
    }
}

void BoardActionQueue::StepRevealAll() {
    switch (mPhase) {
    case 1:
        if (!IsSettled())
            return;
        for (uint32_t slot : PlayGameTiles()) {
            if (mMode == kModeJoker) {
                if (CommandAt(slot) != kCmdMatch)
                    SetCommand(slot, kJokerShowFace);
            } else if (DisplayStateAt(slot) != kStanding) {
                Reveal(slot);
            }
        }
        Arm(Period(gGameTuning.time.showCards));
        Next();
        break;
    case 2:
        if (Rang())
            Next();
        break;
    case 3:
        if (!IsSettled())
            return;
        for (uint32_t slot : PlayGameTiles()) {
            if (mMode == kModeJoker) {
                if (CommandAt(slot) != kCmdMatch)
                    SetCommand(slot, kJokerHideToBonusBack);
            } else {
                Hide(slot);
            }
        }
        Next();
        break;
    default:
        if (IsSettled())
            End();
        break;
    }
}

void BoardActionQueue::PickHint() {
    mHintPicks.clear();
    const size_t count = mHintCandidates.size();
    if (count == 0)
        return;
    std::set<uint32_t> kinds;
    for (uint32_t slot : mHintCandidates)
        kinds.insert(KindAt(slot));
    std::set<uint32_t> tried;
    uint32_t tries = mMode == kModeJoker ? 0 : LevelTileCount();
    // A drawn kind that was tried already is drawn again without using up
    // a try; once every kind among the candidates was tried there is no
    // pair to find.
    while (tries > 0 && tried.size() < kinds.size()) {
        const size_t first = static_cast<size_t>(RandomBelow(static_cast<int>(count)));
        const uint32_t kind = KindAt(mHintCandidates[first]);
        if (!tried.insert(kind).second)
            continue;
        --tries;
        for (size_t step = 1; step < count; ++step) {
            const size_t other = (first + step) % count;
            if (KindAt(mHintCandidates[other]) == kind) {
                mHintPicks = {static_cast<uint32_t>(first), static_cast<uint32_t>(other)};
                break;
            }
        }
        if (!mHintPicks.empty())
            break;
    }
    for (int added = 0; added < 2 && mHintPicks.size() < count; ++added) {
        uint32_t pick;
        do {
            pick = static_cast<uint32_t>(RandomBelow(static_cast<int>(count)));
        } while (Listed(mHintPicks, pick));
        mHintPicks.push_back(pick);
    }
}

void BoardActionQueue::StepHint() {
    switch (mPhase) {
    case 1:
        if (IsSettled())
            Next();
        break;
    case 2:
        PickHint();
        Next();
        break;
    case 3:
        for (uint32_t pick : mHintPicks) {
            const uint32_t slot = mHintCandidates[pick];
            if (DisplayStateAt(slot) != kStanding)
                Reveal(slot);
        }
        Arm(Period(gGameTuning.time.showCards));
        Next();
        break;
    case 4:
        if (!Rang())
            return;
        for (uint32_t pick : mHintPicks)
            Hide(mHintCandidates[pick]);
        for (uint32_t slot : mHintGiven)
            SetCommand(slot, IsSpecial(slot) ? kCmdDisappearToBonusBack : kCmdTurnDown);
        Next();
        break;
    default:
        if (IsSettled())
            End();
        break;
    }
}

void BoardActionQueue::StepGolden() {
    const uint32_t columns = Columns();
    switch (mPhase) {
    case 1:
        for (uint32_t slot = columns; slot < PlayEnd(); ++slot) {
            if (TypeAt(slot) == kTileTypeBonus)
                SetCommand(slot, kCmdRemove);
        }
        Next();
        break;
    case 2:
        if (IsSettled())
            Next();
        break;
    case 3: {
        const BoardSlots& slots = mLevelState->GetSlots();
        for (uint32_t slot = columns; slot < PlayEnd(); ++slot) {
            if (slots.kind[slot] != 0 && slots.tile[slot] && slots.tile[slot]->IsMoving())
                return;
        }
        mWorkList.clear();
        for (uint32_t c = 0; c < columns; ++c) {
            for (uint32_t r = 1; r <= Rows(); ++r) {
                const uint32_t slot = r * columns + c;
                if (slot >= SlotCount())
                    continue;
                SetCommand(slot, kCmdRevealFaint);
                if (slots.kind[slot] == 0)
                    mWorkList.push_back(slot);
            }
        }
        mGoldenCount = 0;
        mStepIndex = 0;
        Arm(Period(gGameTuning.time.intervalShowGolden));
        Next();
        break;
    }
    default:
        if (mStepIndex >= mWorkList.size()) {
            End();
            return;
        }
        if (!Rang())
            return;
        {
            const uint32_t slot = mWorkList[mStepIndex++];
            // The queue's own layout places the tile: one table of layouts
            // serves every board, whatever the level record's size code.
            if (mLevelState->CreateTile(static_cast<int>(mGeometryIndex), kTileGolden,
                                        static_cast<int>(slot))) {
                SetCommand(slot, kCmdGoldenBurst);
                ++mGoldenCount;
            }
        }
        Restart();
        break;
    }
}

void BoardActionQueue::StepCancel() {
    switch (mPhase) {
    case 1:
        if (IsSettled())
            Next();
        break;
    case 2:
        mWorkList.clear();
        for (uint32_t slot = 0; slot < SlotCount(); ++slot) {
            if (IsGameTile(slot) && DisplayStateAt(slot) != 0)
                Hide(slot);
        }
        Next();
        break;
    default:
        if (IsSettled())
            End();
        break;
    }
}

void BoardActionQueue::StepHideColumns() {
    const uint32_t columns = Columns();
    if (mCounter >= columns) {
        Next();
        return;
    }
    if (!Rang())
        return;
    for (uint32_t r = 1; r <= Rows(); ++r)
        SetCommand(r * columns + mCounter, kJokerHideToBonusBack);
    Arm(150);
    if (++mCounter >= columns)
        Next();
}

void BoardActionQueue::StepShowJokers() {
    if (!Rang())
        return;
    for (uint32_t slot = Columns(); slot < PlayEnd(); ++slot) {
        if (KindAt(slot) == kTileJoker)
            SetCommand(slot, kJokerShowFace);
    }
    mCounter = 0;
    Restart();
    Next();
}

void BoardActionQueue::StepJokerRoundEnd() {
    switch (mPhase) {
    case 1:
        if (!IsSettled())
            return;
        Arm(1000);
        Next();
        break;
    case 2:
        StepShowJokers();
        break;
    case 3:
        StepHideColumns();
        break;
    case 4:
        if (!IsSettled())
            return;
        Arm(500);
        Next();
        break;
    default:
        if (Rang())
            End();
        break;
    }
}

void BoardActionQueue::StepRound() {
    const uint32_t columns = Columns();
    switch (mPhase) {
    case 1:
        Arm(Period(gGameTuning.time.preLevel));
        Next();
        break;
    case 2: {
        if (!Rang())
            return;
        TString text = mShowModeTitle ? ModeTitle() : TString("");
        text = text + GetLocalizedString(TString("Anim_Round")) +
               TString::Format("%d", static_cast<int>(mRoundNumber));
        if (mBoardScreen)
            mBoardScreen->StartCountdown(text);
        Restart();
        Next();
        break;
    }
    case 3:
        if (!Rang())
            return;
        Arm(1000);
        Next();
        break;
    case 4: {
        if (!Rang())
            return;
        // An empty slot never turns face up: only slots holding a tile
        // count, or the show would wait for ever.
        for (uint32_t slot = columns; slot < PlayEnd(); ++slot) {
            const uint32_t kind = KindAt(slot);
            if (kind != 0 && kind != kTileJoker && DisplayStateAt(slot) != kFaceUpState) {
                SetCommand(slot, kJokerShowFace);
                Restart();
                return;
            }
        }
        Restart();
        Next();
        break;
    }
    case 5:
        StepShowJokers();
        break;
    case 6:
        StepHideColumns();
        break;
    default:
        if (IsSettled())
            End();
        break;
    }
}

void BoardActionQueue::StepJokerShowAll() {
    switch (mPhase) {
    case 1:
        for (uint32_t slot = Columns(); slot < PlayEnd(); ++slot) {
            const uint32_t kind = KindAt(slot);
            if (kind == kTileJoker)
                SetCommand(slot, kJokerShowFace);
            else if (kind != 0 && DisplayStateAt(slot) == 0)
                SetCommand(slot, kCmdFaceUpNow);
        }
        Next();
        break;
    case 2:
        if (!IsSettled())
            return;
        Arm(1000);
        Next();
        break;
    default:
        if (Rang())
            End();
        break;
    }
}
