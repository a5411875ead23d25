#include "velk/motion/TLinearMove.h"
#include "velk/motion/vlkLane.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Number(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

// A lane that writes what it is told into a report: "t" for a move,
// "-t" for a refused step, "end" for the end. It refuses the steps whose
// value is refuseAt and starts itself again from its end restarts times.
class RecordingLane : public vlkLane {
public:
    RecordingLane(uint32_t duration, float refuseAt, int restarts)
        : vlkLane(nullptr, duration), mRefuseAt(refuseAt), mRestarts(restarts) {}

    void OnLaneStep(float t, bool* accept) override {
        if (t == mRefuseAt) {
            *accept = false;
            Add("-" + Number(t));
        }
    }
    void OnLaneMove(float t, uint32_t) override { Add(Number(t)); }
    void OnLaneEnd() override {
        Add("end");
        if (mRestarts > 0) {
            --mRestarts;
            Start();
        }
    }

    std::string report;

private:
    void Add(const std::string& word) { report += (report.empty() ? "" : " ") + word; }

    float mRefuseAt;
    int mRestarts;
};

TEST(Lane, Updates_GiveTheirReportsInOrder) {
    struct Case {
        const char* name;
        uint32_t duration;
        std::vector<uint32_t> updates;
        float refuseAt;
        int restarts;
        const char* report;
        float finalValue;
        bool done;
    } cases[] = {
        {"quarters", 1000, {250, 250, 250, 250, 250}, -1.0f, 0, "0.25 0.5 0.75 1 end", 1.0f, true},
        {"all at once", 1000, {5000}, -1.0f, 0, "1 end", 1.0f, true},
        {"past the end in steps", 1000, {600, 600}, -1.0f, 0, "0.6 1 end", 1.0f, true},
        {"duration 0", 0, {100, 1000, 100000}, -1.0f, 0, "0 0 0", 0.0f, false},
        {"refused step", 1000, {250, 250, 250}, 0.5f, 0, "0.25 -0.5 0.75", 0.75f, false},
        {"refused last step", 1000, {500, 500, 500}, 1.0f, 0, "0.5 -1", 0.5f, true},
        {"restart from the end",
         1000,
         {1000, 500, 500, 500},
         -1.0f,
         1,
         "1 end 0.5 1 end",
         1.0f,
         true},
    };
    for (const Case& c : cases) {
        RecordingLane lane(c.duration, c.refuseAt, c.restarts);
        lane.Start();
        for (uint32_t step : c.updates) {
            lane.Update(step);
        }
        EXPECT_EQ(lane.report, c.report) << c.name;
        EXPECT_FLOAT_EQ(lane.GetMove().GetValue(), c.finalValue) << c.name;
        EXPECT_EQ(lane.GetMove().IsDone(), c.done) << c.name;
    }
}

TEST(Lane, RefusedStep_KeepsTheValueOfTheFrameBefore) {
    RecordingLane lane(1000, 0.5f, 0);
    lane.Start();
    lane.Update(250);
    lane.Update(250);
    EXPECT_EQ(lane.GetMove().GetValue(), 0.25f);
    EXPECT_EQ(lane.GetMove().GetElapsed(), 500u);
}

TEST(Lane, BeforeStart_AnUpdateDoesNothing) {
    RecordingLane lane(1000, -1.0f, 0);
    lane.Update(500);
    EXPECT_EQ(lane.report, "");
    EXPECT_TRUE(lane.GetMove().IsDone());
}

// A listener of a bare move, through the member functions it was given.
class MoveListener : public vlkIMoveEvent {
public:
    void OnMove(TLinearMove*, float value, uint32_t elapsed) override {
        moves.push_back(value);
        lastElapsed = elapsed;
    }
    void OnMoveEnd(TLinearMove* move) override {
        ++ends;
        endValue = move->GetValue();
    }
    std::vector<float> moves;
    uint32_t lastElapsed = 0;
    int ends = 0;
    float endValue = 0.0f;
};

TEST(LinearMove, FallingMove_ReachesItsEndAndCallsOnlyTheMembersGiven) {
    MoveListener listener;
    TLinearMove move(&listener, 10.0f, 0.0f, 400);
    move.SetCallbacks(nullptr, &vlkIMoveEvent::OnMove, &vlkIMoveEvent::OnMoveEnd);
    move.Start();
    EXPECT_FALSE(move.IsDone());
    EXPECT_EQ(move.GetValue(), 10.0f);
    move.Update(100);
    move.Update(200);
    move.Update(200);
    EXPECT_EQ(listener.moves, (std::vector<float>{7.5f, 2.5f, 0.0f}));
    EXPECT_EQ(listener.lastElapsed, 500u);
    EXPECT_EQ(listener.ends, 1);
    EXPECT_EQ(listener.endValue, 0.0f);

    // With a target but no members nothing is called.
    TLinearMove silent(&listener);
    silent.Set(0.0f, 1.0f, 10);
    silent.Start();
    silent.Update(20);
    EXPECT_TRUE(silent.IsDone());
    EXPECT_EQ(silent.GetValue(), 1.0f);
    EXPECT_EQ(listener.ends, 1);
}

TEST(LinearMove, StartEqualToEnd_NeverEnds) {
    MoveListener listener;
    TLinearMove move(&listener, 3.0f, 3.0f, 100);
    move.SetCallbacks(nullptr, &vlkIMoveEvent::OnMove, &vlkIMoveEvent::OnMoveEnd);
    move.Start();
    move.Update(1000);
    EXPECT_FALSE(move.IsDone());
    EXPECT_EQ(listener.ends, 0);
    EXPECT_EQ(move.GetValue(), 3.0f);
}

} // namespace
