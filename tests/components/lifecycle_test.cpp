#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "expect_raises.h"
#include "test_classes.h"

using namespace testing_components;

namespace {

std::vector<std::u16string>& Log()
{
    static std::vector<std::u16string> log;
    return log;
}

// Logs its destruction; optionally runs an action when told about a removal.
class TLogged : public TComponent {
public:
    explicit TLogged(TComponent* owner, const char16_t* name = u"") : TComponent(owner) { SetName(name); }
    ~TLogged() override
    {
        Log().push_back(u"~" + Name());
        SawDestroying = InState(TComponentState::csDestroying);
    }
    std::function<void(TLogged*, TComponent*, TOperation)> OnNotify;
    int Notified = 0;
    std::vector<std::u16string> Heard; // "ins:Name" / "rem:Name"
    int HeardCount(const std::u16string& entry) const
    {
        return static_cast<int>(std::count(Heard.begin(), Heard.end(), entry));
    }
    bool SawDestroying = false;

protected:
    void Notification(TComponent* c, TOperation op) override
    {
        TComponent::Notification(c, op);
        ++Notified;
        Heard.push_back((op == TOperation::opInsert ? u"ins:" : u"rem:") + c->Name());
        if (OnNotify)
            OnNotify(this, c, op);
    }
};

// Catches what the destruction paths hand to the exception handler.
struct HandlerScope {
    std::vector<std::string> Seen;
    TExceptionHandler Previous;
    HandlerScope()
    {
        Previous = SetExceptionHandler([this](std::exception_ptr e) {
            try {
                std::rethrow_exception(e);
            } catch (const std::exception& x) {
                Seen.emplace_back(x.what());
            }
        });
    }
    ~HandlerScope() { SetExceptionHandler(Previous); }
};

TEST(Destruction, OwnedComponentsDieLastInsertedFirst)
{
    Log().clear();
    {
        TComponent owner(nullptr);
        new TLogged(&owner, u"A");
        new TLogged(&owner, u"B");
        auto* c = new TLogged(&owner, u"C");
        new TLogged(c, u"C1");
        owner.DestroyComponents();
        EXPECT_EQ(owner.ComponentCount(), 0);
        new TLogged(&owner, u"D"); // the owner is still usable
    }
    EXPECT_EQ(Log(), (std::vector<std::u16string>{u"~C", u"~C1", u"~B", u"~A", u"~D"}));
}

TEST(Destruction, DestroyingMarksEverythingOwnedAndFreeMarksFirst)
{
    auto* root = new TComponent(nullptr);
    auto* mid = new TComponent(root);
    auto* leaf = new TLogged(mid, u"Leaf");
    root->Destroying();
    EXPECT_TRUE(mid->InState(TComponentState::csDestroying));
    EXPECT_TRUE(leaf->InState(TComponentState::csDestroying));
    delete root;

    struct Probe : TComponent {
        bool* Out;
        Probe(bool* out) : TComponent(nullptr), Out(out) {}
        ~Probe() override { *Out = InState(TComponentState::csDestroying); }
    };
    bool seen = false;
    (new Probe(&seen))->Free(); // descendants' destructors already see csDestroying
    EXPECT_TRUE(seen);
}

// A references B through Buddy; they may share an owner or not, and either
// may be destroyed first, alone or by its owner.
struct RefCase {
    bool SameOwner;
    bool DestroyReferencedFirst;
    bool ThroughOwner;
};

class FreeNotificationCases : public ::testing::TestWithParam<RefCase> {};

TEST_P(FreeNotificationCases, ClearTheReferenceWhicheverSideGoesFirst)
{
    const RefCase p = GetParam();
    TComponent* owners[2] = {new TComponent(nullptr), p.SameOwner ? nullptr : new TComponent(nullptr)};
    TComponent* ownerA = owners[0];
    TComponent* ownerB = p.SameOwner ? owners[0] : owners[1];
    // Creation order decides destruction order under a common owner.
    TTestControl* a = nullptr;
    TTestControl* b = nullptr;
    if (p.DestroyReferencedFirst) {
        a = new TTestControl(ownerA);
        b = new TTestControl(ownerB);
    } else {
        b = new TTestControl(ownerB);
        a = new TTestControl(ownerA);
    }
    a->SetName(u"A");
    b->SetName(u"B");
    a->SetBuddy(b);
    b->SetBuddy(a); // mutual references
    TTestControl* survivor = p.DestroyReferencedFirst ? a : b;
    if (p.ThroughOwner) {
        TComponent*& victim = p.SameOwner ? owners[0] : owners[p.DestroyReferencedFirst ? 1 : 0];
        delete victim; // ~TTestControl clears its buddy: a dangling one shows under ASan
        victim = nullptr;
        if (p.SameOwner)
            survivor = nullptr;
    } else {
        delete (p.DestroyReferencedFirst ? b : a);
    }
    if (survivor) {
        EXPECT_EQ(survivor->Buddy(), nullptr);
        EXPECT_EQ(std::count(survivor->Heard.begin(), survivor->Heard.end(),
                             p.DestroyReferencedFirst ? u"rem:B" : u"rem:A"),
                  1);
    }
    delete owners[0];
    delete owners[1];
}

INSTANTIATE_TEST_SUITE_P(Table, FreeNotificationCases,
                         ::testing::Values(RefCase{false, true, false}, RefCase{false, false, false},
                                           RefCase{false, true, true}, RefCase{true, true, false},
                                           RefCase{true, false, false}, RefCase{true, true, true},
                                           RefCase{true, false, true}));

TEST(FreeNotification, SameOwnerReferencesStayValidWhenTheOwnerDies)
{
    // The data source / dataset shape, in both creation orders and with the
    // registration made from either side.
    for (int shape = 0; shape < 4; ++shape) {
        auto* form = new TComponent(nullptr);
        const bool referencerFirst = shape & 1;
        TTestControl* source = referencerFirst ? new TTestControl(form) : nullptr;
        auto* data = new TTestControl(form);
        if (!source)
            source = new TTestControl(form);
        if (shape & 2)
            source->SetBuddy(data); // data->FreeNotification(source)
        else {
            source->FreeNotification(data); // registered from the other side
            source->SetBuddy(data);
        }
        delete form; // the source's destructor touches its buddy: it must be valid or nil
    }
}

TEST(FreeNotification, RegistrationIsMutualAndRemovalGoesBothWays)
{
    TComponent o1(nullptr), o2(nullptr);
    auto* a = new TLogged(&o1, u"A");
    auto* b = new TLogged(&o2, u"B");
    a->FreeNotification(b);
    EXPECT_TRUE(a->InState(TComponentState::csFreeNotification));
    a->RemoveFreeNotification(b);
    delete a;
    EXPECT_EQ(b->HeardCount(u"rem:A"), 0); // unregistered: B is not told
    auto* c = new TLogged(&o1, u"C");
    b->FreeNotification(c); // registered from the other side
    delete c;
    EXPECT_EQ(b->HeardCount(u"rem:C"), 1);
}

TEST(FreeNotification, AnOverrideThatSkipsTheBaseBehaviourCannotHangDestruction)
{
    struct Deaf : TComponent {
        using TComponent::TComponent;
        int Told = 0;
        void Notification(TComponent*, TOperation) override { ++Told; }
    };
    TComponent o1(nullptr), o2(nullptr);
    auto* deaf = new Deaf(&o2);
    auto* a = new TComponent(&o1);
    a->FreeNotification(deaf);
    delete a; // must end although Deaf never removes the entry
    EXPECT_EQ(deaf->Told, 1);
}

TEST(Notification, ReachesEveryOwnedComponentOnceWhileTheListChanges)
{
    TComponent owner(nullptr);
    auto* a = new TLogged(&owner, u"A");
    auto* b = new TLogged(&owner, u"B");
    auto* c = new TLogged(&owner, u"C");
    auto* d = new TLogged(&owner, u"D");
    auto* e = new TLogged(&owner, u"E");
    auto* gone = new TLogged(nullptr, u"X");
    // D, told first after E, frees B (below it) and itself; E adds a newcomer.
    d->OnNotify = [b](TLogged* self, TComponent* about, TOperation op) {
        if (op == TOperation::opRemove && about->Name() == u"X") {
            delete b;
            self->Free(); // freed from inside its own notification
        }
    };
    e->OnNotify = [&owner](TLogged* self, TComponent* about, TOperation op) {
        if (op == TOperation::opRemove && about->Name() == u"X") {
            new TLogged(&owner, u"Newcomer");
            self->OnNotify = nullptr;
        }
    };
    owner.InsertComponent(gone);
    owner.RemoveComponent(gone);
    for (TLogged* x : {a, c, e})
        EXPECT_EQ(x->HeardCount(u"rem:X"), 1) << core::ToUtf8(x->Name());
    EXPECT_EQ(a->HeardCount(u"rem:B"), 1);
    EXPECT_EQ(a->HeardCount(u"rem:D"), 1);
    EXPECT_EQ(owner.FindComponent(u"D"), nullptr);
    EXPECT_EQ(owner.FindComponent(u"B"), nullptr);
    EXPECT_NE(owner.FindComponent(u"Newcomer"), nullptr);
    EXPECT_EQ(owner.ComponentCount(), 4); // A, C, E, Newcomer
    delete gone;
}

TEST(Notification, PlainComponentsPassNotificationsOnOnceTheyOwnSomething)
{
    TComponent owner(nullptr);
    std::vector<TComponent*> plain;
    for (int i = 0; i < 4; ++i)
        plain.push_back(new TComponent(&owner)); // plain leaves: broadcasts may pass them by
    auto* grandchild = new TLogged(plain[1], u"G");
    TComponent elsewhere(nullptr);
    auto* late = new TComponent(&elsewhere);
    late->SetName(u"Late");
    owner.InsertComponent(late);
    EXPECT_EQ(grandchild->HeardCount(u"ins:Late"), 1); // forwarded by its plain owner
    plain[1]->SetComponentIndex(3);
    owner.RemoveComponent(late);
    EXPECT_EQ(grandchild->HeardCount(u"rem:Late"), 1);
    delete late;
}

TEST(Notification, AFailingHandlerDoesNotStopTheOthersOrTheRemoval)
{
    TComponent owner(nullptr);
    auto* first = new TLogged(&owner, u"First");
    auto* thrower = new TLogged(&owner, u"Thrower");
    thrower->OnNotify = [](TLogged*, TComponent*, TOperation op) {
        if (op == TOperation::opRemove)
            throw core::EInvalidOperation(std::u16string(u"refused"));
    };
    auto* leaving = new TLogged(&owner, u"Leaving");
    ExpectRaises<core::EInvalidOperation>([&] { owner.RemoveComponent(leaving); }, "refused");
    EXPECT_EQ(first->HeardCount(u"rem:Leaving"), 1);
    EXPECT_EQ(leaving->Owner(), nullptr);
    EXPECT_EQ(owner.FindComponent(u"Leaving"), nullptr);
    delete leaving;
    thrower->OnNotify = nullptr;
}

TEST(Notification, ExceptionsDuringDestructionGoToTheHandler)
{
    HandlerScope scope;
    Log().clear();
    {
        TComponent owner(nullptr);
        auto* watcher = new TLogged(&owner, u"Watcher");
        watcher->OnNotify = [](TLogged*, TComponent* about, TOperation op) {
            if (op == TOperation::opRemove)
                throw core::EInvalidOperation("cannot let " + core::ToUtf8(about->Name()) + " go");
        };
        TComponent other(nullptr);
        auto* peer = new TLogged(&other, u"Peer");
        peer->FreeNotification(watcher); // different owners: registered both ways
        auto* leaf = new TLogged(&owner, u"Leaf");
        leaf->FreeNotification(watcher); // same owner: flagged, announced on destruction
        delete peer;
    }
    EXPECT_EQ(Log(), (std::vector<std::u16string>{u"~Peer", u"~Leaf", u"~Watcher"}));
    EXPECT_EQ(scope.Seen, (std::vector<std::string>{"cannot let Peer go", "cannot let Leaf go",
                                                     "cannot let Watcher go"}));
}

// A component whose constructor fails after it has been named, given owned
// components and a free notification.
class TFailing : public TComponent {
public:
    TFailing(TComponent* owner, TTestControl* referencer) : TComponent(owner)
    {
        SetName(u"Failing1");
        new TLogged(this, u"Part1");
        new TLogged(this, u"Part2");
        FreeNotification(referencer);
        throw std::runtime_error("construction failed");
    }
};

TEST(FailingConstruction, LeavesNoTraceInTheOwnerAndLeaksNothing)
{
    Log().clear();
    TTestForm form(nullptr);
    TComponent other(nullptr);
    auto* referencer = new TTestControl(&other);
    auto* before = new TLogged(&form, u"Before");
    EXPECT_THROW(new TFailing(&form, referencer), std::runtime_error);
    EXPECT_EQ(form.ComponentCount(), 1);
    EXPECT_EQ(form.Components(0), before);
    EXPECT_EQ(form.FindComponent(u"Failing1"), nullptr);
    EXPECT_EQ(Log(), (std::vector<std::u16string>{u"~Part2", u"~Part1"}));
    // The referencer's free-notification list no longer names the dead object:
    // destroying it now would touch freed memory otherwise (ASan).
    delete referencer;
}

TEST(FailingConstruction, AnOwnerThatRejectsTheInsertionKeepsNothing)
{
    struct Picky : TComponent {
        using TComponent::TComponent;
        void Notification(TComponent* c, TOperation op) override
        {
            TComponent::Notification(c, op);
            if (op == TOperation::opInsert && Reject)
                throw core::EInvalidOperation(std::u16string(u"no room"));
        }
        bool Reject = true;
    };
    Picky owner(nullptr);
    ExpectRaises<core::EInvalidOperation>([&] { new TLogged(&owner, u"X"); }, "no room");
    EXPECT_EQ(owner.ComponentCount(), 0);
    owner.Reject = false;
}

TEST(ComponentState, LoadedUpdatingAndSubComponentFlags)
{
    TComponent c(nullptr);
    EXPECT_TRUE(c.ComponentStyle().Contains(TComponentStyle::csInheritable));
    c.SetState(TComponentState::csLoading, true);
    c.Loaded();
    EXPECT_FALSE(c.InState(TComponentState::csLoading));
    c.Updating();
    EXPECT_TRUE(c.InState(TComponentState::csUpdating));
    c.Updated();
    EXPECT_FALSE(c.InState(TComponentState::csUpdating));
    c.SetSubComponent(true);
    EXPECT_TRUE(c.ComponentStyle().Contains(TComponentStyle::csSubComponent));
    c.SetSubComponent(false);
    EXPECT_FALSE(c.ComponentStyle().Contains(TComponentStyle::csSubComponent));
}

} // namespace
