// The component framework (ownership, free notification, component state) and the string list.
#include "vcl/Classes.h"

#include <gtest/gtest.h>

using namespace vcl;
using Log = std::vector<std::string>;

namespace {

// A component that writes what happens to it into a shared log, by name.
class Probe : public TComponent {
public:
    Probe(TComponent* owner, const std::string& name, Log& log) : TComponent(owner), log_(log) {
        SetName(name);
    }
    ~Probe() override { log_.push_back("~" + Name()); }
    void Notification(TComponent* AComponent, TOperation Operation) override {
        heard.emplace_back(AComponent, Operation);
        log_.push_back(Name() + (Operation == opInsert ? " +" : " -") + AComponent->Name());
        TComponent::Notification(AComponent, Operation);
    }
    std::vector<std::pair<TComponent*, TOperation>> heard;

private:
    Log& log_;
};

Log Matching(const Log& log, const std::string& prefix) {
    Log out;
    for (const std::string& line : log)
        if (line.rfind(prefix, 0) == 0) out.push_back(line);
    return out;
}

TEST(Component, OwnedComponentsGoWithTheOwnerLastFirst) {
    Log log;
    auto* owner = new Probe(nullptr, "O", log);
    auto* a = new Probe(owner, "a", log);
    new Probe(owner, "b", log);
    new Probe(a, "a1", log);
    new Probe(owner, "c", log);
    ASSERT_EQ(owner->ComponentCount(), 3);
    EXPECT_EQ(owner->Components(0), a);
    EXPECT_EQ(a->Owner(), owner);
    log.clear();
    Free(owner);
    EXPECT_EQ(Matching(log, "~"), (Log{"~O", "~c", "~b", "~a", "~a1"}));
}

TEST(Component, FreeingAnOwnedComponentTakesItOutOfItsOwner) {
    Log log;
    auto* owner = new Probe(nullptr, "O", log);
    auto* a = new Probe(owner, "a", log);
    auto* b = new Probe(owner, "b", log);
    auto* c = new Probe(owner, "c", log);
    log.clear();
    Free(b);
    ASSERT_EQ(owner->ComponentCount(), 2);
    EXPECT_EQ(owner->Components(0), a);
    EXPECT_EQ(owner->Components(1), c);
    EXPECT_EQ(owner->FindComponent("b"), nullptr);
    EXPECT_EQ(owner->FindComponent("c"), c);
    // The owner hears of it, and passes the news on to what it still owns.
    EXPECT_EQ(Matching(log, "O "), (Log{"O -b"}));
    EXPECT_EQ(Matching(log, "a "), (Log{"a -b"}));
    Free(owner);
}

TEST(Component, AnOwnerHearsOfEachComponentAddedToIt) {
    using Heard = std::vector<std::pair<TComponent*, TOperation>>;
    Log log;
    auto* owner = new Probe(nullptr, "O", log);
    auto* a = new Probe(owner, "a", log);
    auto* b = new Probe(owner, "b", log);
    EXPECT_EQ(owner->heard, (Heard{{a, opInsert}, {b, opInsert}}));
    EXPECT_EQ(a->heard, (Heard{{b, opInsert}})); // passed on to the components already there
    owner->heard.clear();
    auto* a1 = new Probe(a, "a1", log);
    EXPECT_EQ(a->heard, (Heard{{b, opInsert}, {a1, opInsert}}));
    EXPECT_TRUE(owner->heard.empty()); // the grandchild is a's business
    Free(owner);
}

TEST(Component, FreeNotificationTellsEachSideWhenTheOtherGoes) {
    struct Case {
        const char* name;
        bool freeWatcherFirst;
        bool withOwners;
    };
    const Case cases[] = {
        {"watched goes first", false, false},
        {"watcher goes first", true, false},
        {"watched goes with its owner", false, true},
        {"watcher goes with its owner", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Log log;
        TComponent* ownerW = c.withOwners ? new Probe(nullptr, "OW", log) : nullptr;
        TComponent* ownerX = c.withOwners ? new Probe(nullptr, "OX", log) : nullptr;
        auto* watcher = new Probe(ownerW, "w", log);
        auto* watched = new Probe(ownerX, "x", log);
        watcher->FreeNotification(watched);
        watcher->FreeNotification(watched); // asking twice is asking once
        log.clear();
        TComponent* first = c.freeWatcherFirst ? watcher : watched;
        TComponent* firstOwner = c.freeWatcherFirst ? ownerW : ownerX;
        Free(c.withOwners ? firstOwner : first);
        const std::string survivor = c.freeWatcherFirst ? "x" : "w";
        const std::string gone = c.freeWatcherFirst ? "w" : "x";
        EXPECT_EQ(Matching(log, survivor + " "), (Log{survivor + " -" + gone}));
        // The survivor keeps no link to the freed component: freeing it now touches nothing gone
        // (the sanitizer would report it) and tells no one.
        log.clear();
        TComponent* second = c.freeWatcherFirst ? watched : watcher;
        TComponent* secondOwner = c.freeWatcherFirst ? ownerX : ownerW;
        Free(c.withOwners ? secondOwner : second);
        EXPECT_TRUE(Matching(log, gone + " ").empty());
        EXPECT_EQ(Matching(log, "~" + survivor), (Log{"~" + survivor}));
    }
}

TEST(Component, RemovedFreeNotificationIsSilent) {
    Log log;
    auto* watcher = new Probe(nullptr, "w", log);
    auto* watched = new Probe(nullptr, "x", log);
    watcher->FreeNotification(watched);
    watcher->RemoveFreeNotification(watched);
    log.clear();
    Free(watched);
    EXPECT_EQ(log, (Log{"~x"}));
    log.clear();
    Free(watcher);
    EXPECT_EQ(log, (Log{"~w"}));
}

TEST(Component, DesignModeReachesOwnedComponentsNowAndLater) {
    Log log;
    auto* owner = new Probe(nullptr, "O", log);
    auto* a = new Probe(owner, "a", log);
    auto* a1 = new Probe(a, "a1", log);
    auto* loose = new Probe(nullptr, "loose", log);
    owner->SetDesigning(true);
    auto* later = new Probe(owner, "later", log);
    auto* laterChild = new Probe(a, "a2", log);
    const std::vector<TComponent*> designed = {owner, a, a1, later, laterChild};
    for (TComponent* c : designed)
        EXPECT_TRUE(c->ComponentState().Contains(csDesigning)) << c->Name();
    EXPECT_FALSE(loose->ComponentState().Contains(csDesigning));
    owner->SetDesigning(false);
    for (TComponent* c : designed)
        EXPECT_FALSE(c->ComponentState().Contains(csDesigning)) << c->Name();
    EXPECT_FALSE((new Probe(owner, "plain", log))->ComponentState().Contains(csDesigning));
    Free(owner);
    Free(loose);
}

TEST(Component, LoadedEndsTheLoadingState) {
    TComponent component(nullptr);
    EXPECT_TRUE(component.ComponentState().Empty());
    component.BeginLoading();
    EXPECT_TRUE(component.ComponentState().Contains(csLoading));
    EXPECT_TRUE(component.ComponentState().Contains(csReading));
    component.Loaded();
    EXPECT_FALSE(component.ComponentState().Contains(csLoading));
    EXPECT_FALSE(component.ComponentState().Contains(csReading));
}

TEST(StringList, KeepsTextsAndObjectsInOrder) {
    TStringList list;
    TObject one, two;
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.AddObject("b", &one), 0);
    EXPECT_EQ(list.AddObject("a", nullptr), 1);
    EXPECT_EQ(list.AddObject("b", &two), 2); // duplicates are kept, appended
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Strings(0), "b");
    EXPECT_EQ(list.Strings(1), "a");
    EXPECT_EQ(list.Objects(0), &one);
    EXPECT_EQ(list.Objects(1), nullptr);
    EXPECT_EQ(list.Objects(2), &two);

    EXPECT_EQ(list.IndexOf("b"), 0); // the first of equal texts
    EXPECT_EQ(list.IndexOf("a"), 1);
    EXPECT_EQ(list.IndexOf("B"), -1); // exact, letter case included
    EXPECT_EQ(list.IndexOf("b "), -1);
    EXPECT_EQ(list.IndexOf(""), -1);

    list.SetStrings(0, "c");
    EXPECT_EQ(list.Strings(0), "c");
    EXPECT_EQ(list.Objects(0), &one); // the object stays with its place
    EXPECT_EQ(list.IndexOf("b"), 2);

    list.Delete(1);
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Strings(1), "b");
    EXPECT_EQ(list.Objects(1), &two);
    EXPECT_EQ(list.IndexOf("a"), -1);
}

TEST(StringList, IndexOutsideTheListRaises) {
    TStringList list;
    list.AddObject("x", nullptr);
    list.AddObject("y", nullptr);
    for (int index : {-1, 2, 100}) {
        SCOPED_TRACE(index);
        EXPECT_THROW(list.Strings(index), Exception);
        EXPECT_THROW(list.SetStrings(index, "z"), Exception);
        EXPECT_THROW(list.Objects(index), Exception);
        EXPECT_THROW(list.Delete(index), Exception);
    }
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Strings(0), "x");
    EXPECT_EQ(list.Strings(1), "y");
    TStringList empty;
    EXPECT_THROW(empty.Delete(0), Exception);
}

} // namespace
