#include "framework/graphics/asset/TAssetManager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// An asset that writes down each release and restore, in order, into a
// journal shared by the test.
class JournalAsset : public TAsset {
public:
    JournalAsset(std::string name, std::vector<std::string>* journal)
        : mName(std::move(name)), mJournal(journal) {}
    const char* GetClassName() const override { return "JournalAsset"; }
    static TClassId GetClassId() {
        static const char id = 0;
        return &id;
    }
    bool IsKindOf(TClassId id) const override { return id == GetClassId() || TAsset::IsKindOf(id); }
    void ReleaseResources() override { mJournal->push_back("release " + mName); }
    void RestoreResources() override { mJournal->push_back("restore " + mName); }

private:
    std::string mName;
    std::vector<std::string>* mJournal;
};

TEST(TAssetManager, DroppedAssetIsNotFound) {
    TAssetManager manager;
    std::vector<std::string> journal;
    auto asset = std::make_shared<JournalAsset>("a", &journal);
    manager.RegisterAsset("a", asset);
    EXPECT_EQ(manager.GetAsset("a"), asset);
    asset.reset();
    EXPECT_EQ(manager.GetAsset("a"), nullptr);
}

TEST(TAssetManager, LookingUpUnknownNameLeavesEmptyEntryUntilReleaseAll) {
    TAssetManager manager;
    EXPECT_EQ(manager.GetAsset("nothing"), nullptr);
    EXPECT_EQ(manager.GetCount(), 1u);
    EXPECT_EQ(manager.Find("other"), nullptr);
    EXPECT_EQ(manager.GetCount(), 1u) << "Find adds no entry";
    manager.ReleaseAll();
    EXPECT_EQ(manager.GetCount(), 0u);
}

TEST(TAssetManager, ReleaseAllOnceEachLiveAndErasesDead) {
    TAssetManager manager;
    std::vector<std::string> journal;
    auto b = std::make_shared<JournalAsset>("b", &journal);
    auto a = std::make_shared<JournalAsset>("a", &journal);
    auto dead = std::make_shared<JournalAsset>("dead", &journal);
    manager.RegisterAsset("b", b);
    manager.RegisterAsset("a", a);
    manager.RegisterAsset("c", dead);
    dead.reset();
    manager.ReleaseAll();
    EXPECT_EQ(journal, (std::vector<std::string>{"release a", "release b"}));
    EXPECT_EQ(manager.GetCount(), 2u);

    journal.clear();
    b.reset();
    manager.RestoreAll();
    EXPECT_EQ(journal, (std::vector<std::string>{"restore a"}));
    EXPECT_EQ(manager.GetCount(), 2u) << "RestoreAll keeps dead entries";
}

TEST(TAssetManager, ReleaseMayRemoveItsOwnEntry) {
    class SelfRemoving : public TAsset {
    public:
        explicit SelfRemoving(TAssetManager* m) : mManager(m) {}
        void ReleaseResources() override { mManager->RemoveAsset("self"); }
        TAssetManager* mManager;
    };
    TAssetManager manager;
    auto self = std::make_shared<SelfRemoving>(&manager);
    auto other = std::make_shared<TAsset>();
    manager.RegisterAsset("self", self);
    manager.RegisterAsset("zzz", other);
    manager.ReleaseAll();
    EXPECT_EQ(manager.GetCount(), 1u);
    EXPECT_EQ(manager.GetAsset("zzz"), other);
}

TEST(TAssetManager, RegisterReplacesAndRemoveErases) {
    TAssetManager manager;
    auto first = std::make_shared<TAsset>();
    auto second = std::make_shared<TAsset>();
    manager.Register("x", first);
    manager.RegisterAsset("x", second);
    EXPECT_EQ(manager.GetAsset("x"), second);
    manager.RemoveAsset("x");
    EXPECT_EQ(manager.GetCount(), 0u);
}

TEST(TAssetManager, GlobalManagerIsTheLiveOne) {
    EXPECT_EQ(GetAssetManager(), nullptr);
    {
        TAssetManager manager;
        EXPECT_EQ(GetAssetManager(), &manager);
    }
    EXPECT_EQ(GetAssetManager(), nullptr);
}

TEST(TAsset, KindAnswersOwnAndBaseIds) {
    std::vector<std::string> journal;
    JournalAsset asset("a", &journal);
    TAsset base;
    EXPECT_TRUE(asset.IsKindOf(JournalAsset::GetClassId()));
    EXPECT_TRUE(asset.IsKindOf(TAsset::GetClassId()));
    EXPECT_TRUE(base.IsKindOf(TAsset::GetClassId()));
    EXPECT_FALSE(base.IsKindOf(JournalAsset::GetClassId()));
    EXPECT_STREQ(base.GetClassName(), "TAsset");
    EXPECT_STREQ(asset.GetClassName(), "JournalAsset");
}

} // namespace
