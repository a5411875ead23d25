#include "velk/actor/vlkActorList.h"

#include "velk/actor/vlkActor.h"
#include "velk/display/vlkDisplayObject.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Writes what happens to it into a shared journal; can die in its update.
class JournalActor : public vlkActor {
public:
    JournalActor(std::vector<std::string>& journal, std::string name)
        : mJournal(journal), mName(std::move(name)) {}
    ~JournalActor() override { mJournal.push_back("delete " + mName); }
    void Draw() override { mJournal.push_back("draw " + mName); }
    void Update(uint32_t elapsed) override {
        mJournal.push_back("update " + mName + " " + std::to_string(elapsed));
        if (dieInUpdate)
            SetDead(true);
    }
    TString ToString() const override { return TString(("actor " + mName).c_str()); }

    bool dieInUpdate = false;

private:
    std::vector<std::string>& mJournal;
    std::string mName;
};

TEST(vlkActorList, DrawsAndUpdatesInOrder_DeletesTheDeadBeforeTheirUpdate) {
    std::vector<std::string> journal;
    vlkActorList list;
    auto* a = new JournalActor(journal, "a");
    auto* b = new JournalActor(journal, "b");
    auto* c = new JournalActor(journal, "c");
    list.Add(a);
    list.Add(b);
    list.Add(c);
    list.Add(nullptr);
    EXPECT_EQ(list.Count(), 3);

    list.DrawAll();
    b->SetDead(true);
    list.Update(16);
    EXPECT_EQ(journal, (std::vector<std::string>{"draw a", "draw b", "draw c", "update a 16",
                                                 "delete b", "update c 16"}));
    EXPECT_EQ(list.Count(), 2);
    EXPECT_FALSE(list.Contains(b));
    EXPECT_TRUE(list.Contains(c));
}

TEST(vlkActorList, AnActorDyingInItsUpdate_GoesAtTheNextUpdate) {
    std::vector<std::string> journal;
    vlkActorList list;
    auto* a = new JournalActor(journal, "a");
    a->dieInUpdate = true;
    list.Add(a);
    list.Update(10);
    EXPECT_EQ(journal, (std::vector<std::string>{"update a 10"}));
    EXPECT_TRUE(list.Contains(a));
    list.Update(10);
    EXPECT_EQ(journal.back(), "delete a");
    EXPECT_EQ(list.Count(), 0);
}

TEST(vlkActorList, DumpClearAndDestructor) {
    std::vector<std::string> journal;
    {
        vlkActorList list;
        list.Add(new JournalActor(journal, "a"));
        list.Add(new JournalActor(journal, "b"));
        TString out;
        list.Dump(out, "tiles");
        EXPECT_EQ(out.ToStd(), "[tiles]\nactor a\nactor b\n");
        list.Clear();
        EXPECT_EQ(list.Count(), 0);
        EXPECT_EQ(journal, (std::vector<std::string>{"delete a", "delete b"}));
        list.Add(new JournalActor(journal, "c"));
    }
    EXPECT_EQ(journal.back(), "delete c");
}

} // namespace
