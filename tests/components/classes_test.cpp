#include <gtest/gtest.h>

#include "components/classes.h"
#include "expect_raises.h"
#include "test_classes.h"

using namespace testing_components;

namespace {

TEST(ClassRegistry, FindsRegisteredClassesAndTheirAncestorsWithoutRegardToCase)
{
    RegisterClasses({&TTestControl::StaticClass(), &TTestForm::StaticClass()});
    RegisterClass(TTestControl::StaticClass()); // twice is harmless
    EXPECT_EQ(GetClass(u"ttestcontrol"), &TTestControl::StaticClass());
    EXPECT_EQ(&FindClass(u"TTESTFORM"), &TTestForm::StaticClass());
    EXPECT_EQ(GetClass(u"TComponent"), &TComponent::StaticClass());
    EXPECT_EQ(GetClass(u"TNope"), nullptr);
    ExpectRaises<core::EClassNotFound>([] { FindClass(u"TNope"); }, "Class TNope not found");
    // The registry creates components by name, with their owner.
    TComponent owner(nullptr);
    TObject* made = FindClass(u"TTestControl").Factory(&owner);
    ASSERT_NE(dynamic_cast<TTestControl*>(made), nullptr);
    EXPECT_EQ(static_cast<TTestControl*>(made)->Owner(), &owner);
}

TEST(ClassRegistry, ADifferentClassUnderATakenNameIsRefusedAndUnregisterForgets)
{
    ClassInfo impostor;
    impostor.Name = u"TTestFont";
    impostor.Parent = &TPersistent::StaticClass();
    RegisterClass(TTestFont::StaticClass());
    ExpectRaises<core::EFilerError>([&] { RegisterClass(impostor); }, "Class TTestFont already exists");
    UnRegisterClass(impostor); // not the registered one: nothing happens
    EXPECT_EQ(GetClass(u"TTestFont"), &TTestFont::StaticClass());
    UnRegisterClass(TTestFont::StaticClass());
    EXPECT_EQ(GetClass(u"TTestFont"), nullptr);
}

TEST(ClassInfo, LookupsGoThroughAncestorsWithoutRegardToCase)
{
    const ClassInfo& c = TTestControl::StaticClass();
    EXPECT_TRUE(c.InheritsFrom(TComponent::StaticClass()));
    EXPECT_FALSE(TComponent::StaticClass().InheritsFrom(c));
    ASSERT_NE(c.FindProp(u"tag"), nullptr);
    EXPECT_EQ(c.FindProp(u"tag")->Kind, TTypeKind::tkInt64);
    EXPECT_EQ(c.FindProp(u"Nope"), nullptr);
    const std::vector<const PropInfo*> all = c.AllProps();
    ASSERT_GE(all.size(), 3u);
    EXPECT_EQ(all[0]->Name, u"Name"); // ancestors first, in declaration order
    EXPECT_EQ(all[1]->Name, u"Tag");
    EXPECT_EQ(all[2]->Name, u"Width");
    EXPECT_NE(TTestForm::StaticClass().FindField(u"BUTTON1"), nullptr);
    EXPECT_NE(TTestForm::StaticClass().FindMethod(u"button1click"), nullptr);
    // A class property of the class's own type refers to the finished class.
    EXPECT_EQ(c.FindProp(u"Buddy")->PropClass, &c);
    EXPECT_EQ(c.FindProp(u"Buddy")->PropClass->Name, u"TTestControl");
    EXPECT_EQ(c.FindProp(u"Font")->PropClass, &TTestFont::StaticClass());
    EXPECT_EQ(TObject::StaticClass().Name, u"TObject");
    EXPECT_EQ(BooleanTypeInfo().IndexOf(u"TRUE"), 1);
}

} // namespace

namespace {

// A descendant that publishes Tag again with a default of its own.
class TRepublished : public TComponent {
    DECLARE_CLASS(TRepublished, TComponent)
public:
    explicit TRepublished(TComponent* owner) : TComponent(owner) {}
    int64_t Extra = 0;
};

} // namespace

DEFINE_CLASS(TRepublished)
    .Property(u"Extra", &TRepublished::Extra, &TRepublished::Extra)
    .Property(u"TAG", &TRepublished::Tag, &TRepublished::SetTag).Default(7)
END_CLASS

TEST(ClassInfo, APropertyPublishedAgainKeepsItsAncestorsPlaceOnce)
{
    const std::vector<const PropInfo*> all = TRepublished::StaticClass().AllProps();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0]->Name, u"Name");
    EXPECT_EQ(all[1]->Name, u"TAG");
    EXPECT_EQ(all[1]->Default, 7);
    EXPECT_EQ(all[2]->Name, u"Extra");
}
