#include <gtest/gtest.h>

#include "expect_raises.h"
#include "test_classes.h"

using namespace testing_components;

namespace {

struct NameCase {
    const char16_t* Name;
    bool Valid;
};

class ComponentNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(ComponentNames, AcceptsIdentifiersAndRejectsTheRest)
{
    TComponent owner(nullptr);
    auto* c = new TComponent(&owner);
    const NameCase& p = GetParam();
    EXPECT_EQ(IsValidIdent(p.Name), p.Valid);
    if (p.Valid) {
        c->SetName(p.Name);
        EXPECT_EQ(c->Name(), p.Name);
    } else {
        c->SetName(u"Before");
        ExpectRaises<core::EComponentError>([&] { c->SetName(p.Name); },
                                            "''" + core::ToUtf8(p.Name) + "'' is not a valid component name");
        EXPECT_EQ(c->Name(), u"Before");
    }
}

INSTANTIATE_TEST_SUITE_P(Table, ComponentNames,
                         ::testing::Values(NameCase{u"Button1", true}, NameCase{u"_x1", true},
                                           NameCase{u"Größe", true}, NameCase{u"", true},
                                           NameCase{u"データ", true}, NameCase{u"x\u0663", true}, // Arabic-Indic three (Nd)
                                           NameCase{u"1abc", false}, NameCase{u"a.b", false},
                                           NameCase{u"a b", false}, NameCase{u"x\u00B2", false}, // superscript two (No)
                                           NameCase{u"\u0663x", false}, NameCase{u"a-b", false}));

TEST(ComponentNaming, CaseChangeOfOwnNameIsAllowedButADuplicateFails)
{
    TComponent owner(nullptr);
    auto* b1 = new TComponent(&owner);
    auto* b2 = new TComponent(&owner);
    b1->SetName(u"Button1");
    b1->SetName(u"BUTTON1");
    EXPECT_EQ(b1->Name(), u"BUTTON1");
    ExpectRaises<core::EComponentError>([&] { b2->SetName(u"button1"); }, "A component named button1 already exists");
    EXPECT_EQ(b2->Name(), u"");
    EXPECT_EQ(owner.FindComponent(u"Button1"), b1);
}

TEST(ComponentNaming, EmptyNamesNeverClashAndUnownedNamesAreFree)
{
    TComponent owner(nullptr);
    auto* a = new TComponent(&owner);
    auto* b = new TComponent(&owner);
    a->SetName(u"A");
    a->SetName(u"");
    b->SetName(u"");
    EXPECT_EQ(a->Name(), u"");
    TComponent loose1(nullptr), loose2(nullptr);
    loose1.SetName(u"Same");
    loose2.SetName(u"SAME");
    EXPECT_EQ(loose2.Name(), u"SAME");
}

TEST(ComponentNaming, FindComponentUsesNamesWithoutRegardToCaseAndFollowsRenames)
{
    TComponent owner(nullptr);
    EXPECT_EQ(owner.FindComponent(u"x"), nullptr); // nothing owned
    auto* unnamed = new TComponent(&owner);
    EXPECT_EQ(owner.FindComponent(u""), nullptr);
    std::vector<TComponent*> named;
    for (const char16_t* n : {u"Zeta", u"alpha", u"Mid", u"b_2", u"B_1"}) {
        auto* c = new TComponent(&owner);
        c->SetName(n);
        named.push_back(c);
    }
    EXPECT_EQ(owner.FindComponent(u"ALPHA"), named[1]);
    EXPECT_EQ(owner.FindComponent(u"b_1"), named[4]);
    // The sorted list now exists: renames, insertions and removals keep it in step.
    named[2]->SetName(u"Aardvark");
    EXPECT_EQ(owner.FindComponent(u"Mid"), nullptr);
    EXPECT_EQ(owner.FindComponent(u"aardvark"), named[2]);
    auto* late = new TComponent(&owner);
    late->SetName(u"Late");
    EXPECT_EQ(owner.FindComponent(u"LATE"), late);
    delete named[0];
    EXPECT_EQ(owner.FindComponent(u"Zeta"), nullptr);
    EXPECT_EQ(owner.FindComponent(u"Late"), late);
    unnamed->SetName(u"Now");
    EXPECT_EQ(owner.FindComponent(u"now"), unnamed);
    owner.DestroyComponents();
    EXPECT_EQ(owner.FindComponent(u"Now"), nullptr);
}

TEST(ComponentNaming, InsertingANamedComponentChecksTheNewOwnerFirst)
{
    TComponent first(nullptr), second(nullptr);
    auto* taken = new TComponent(&second);
    taken->SetName(u"Grid");
    auto* moving = new TComponent(&first);
    moving->SetName(u"GRID");
    ExpectRaises<core::EComponentError>([&] { second.InsertComponent(moving); },
                                        "A component named GRID already exists");
    EXPECT_EQ(moving->Owner(), &first); // still where it was
    EXPECT_EQ(first.FindComponent(u"grid"), moving);
    moving->SetName(u"Grid2");
    second.InsertComponent(moving);
    EXPECT_EQ(moving->Owner(), &second);
    EXPECT_EQ(first.ComponentCount(), 0);
    EXPECT_EQ(second.FindComponent(u"grid2"), moving);
}

TEST(ComponentNaming, AComponentCannotOwnItselfOrItsOwner)
{
    TComponent root(nullptr);
    auto* child = new TComponent(&root);
    ExpectRaises<core::EComponentError>([&] { child->InsertComponent(child); }, "A component cannot own itself");
    ExpectRaises<core::EComponentError>([&] { child->InsertComponent(&root); }, "A component cannot own itself");
    EXPECT_EQ(root.Owner(), nullptr);
    EXPECT_EQ(child->Owner(), &root);
}

TEST(ComponentIndex, MovesWithinTheOwnerAndClampsToTheEnds)
{
    TComponent owner(nullptr);
    TComponent* c[4];
    for (auto*& p : c)
        p = new TComponent(&owner);
    EXPECT_EQ(c[2]->ComponentIndex(), 2);
    c[0]->SetComponentIndex(100);
    EXPECT_EQ(owner.Components(3), c[0]);
    EXPECT_EQ(c[1]->ComponentIndex(), 0);
    c[0]->SetComponentIndex(-5);
    EXPECT_EQ(owner.Components(0), c[0]);
    TComponent loose(nullptr);
    EXPECT_EQ(loose.ComponentIndex(), -1);
    loose.SetComponentIndex(3); // no owner: nothing happens
    ExpectRaises<core::EListError>([&] { owner.Components(4); }, "List index out of bounds (4)");
    ExpectRaises<core::EListError>([&] { owner.Components(-1); }, "List index out of bounds (-1)");
}

TEST(PublishedFields, FollowTheComponentOfTheSameName)
{
    TTestForm form(nullptr);
    auto* button = new TTestControl(&form);
    EXPECT_EQ(form.Button1, nullptr);
    button->SetName(u"button1"); // field names match without regard to case
    EXPECT_EQ(form.Button1, button);
    auto* other = new TTestControl(&form);
    other->SetName(u"Edit1");
    EXPECT_THROW(other->SetName(u"Button1"), core::EComponentError);
    EXPECT_EQ(form.Button1, button); // a failed rename leaves the bindings alone
    EXPECT_EQ(form.Edit1, other);
    button->SetName(u"Renamed");
    EXPECT_EQ(form.Button1, nullptr);
    other->SetName(u"Button1");
    EXPECT_EQ(form.Button1, other);
    EXPECT_EQ(form.Edit1, nullptr);
    delete other;
    EXPECT_EQ(form.Button1, nullptr);
    // Moving a named component into the form binds it; removing it unbinds it.
    TComponent elsewhere(nullptr);
    auto* edit = new TTestControl(&elsewhere);
    edit->SetName(u"Edit1");
    form.InsertComponent(edit);
    EXPECT_EQ(form.Edit1, edit);
    form.RemoveComponent(edit);
    EXPECT_EQ(form.Edit1, nullptr);
    delete edit;
}

TEST(ComponentNaming, ComparisonFoldsOnlyAsciiLetters)
{
    EXPECT_EQ(CompareNames(u"abc", u"ABC"), 0);
    EXPECT_LT(CompareNames(u"ab", u"ABC"), 0);
    EXPECT_NE(CompareNames(u"ä", u"Ä"), 0);
    EXPECT_LT(CompareNames(u"A", u"_"), 0); // 'A' (0x41) before '_' (0x5F), 'a' folds to 'A'
    EXPECT_LT(CompareNames(u"a", u"_"), 0);
}

} // namespace
