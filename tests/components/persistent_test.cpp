#include <gtest/gtest.h>

#include "expect_raises.h"
#include "test_classes.h"

using namespace testing_components;

namespace {

TEST(Assign, FromNilOrAnIncompatibleClassNamesBothClasses)
{
    TTestFont font;
    TComponent component(nullptr);
    TCollection collection(TTestColumn::StaticClass());
    struct Case {
        TPersistent* Dest;
        TPersistent* Source;
        const char* Message;
    } cases[] = {
        {&font, nullptr, "Cannot assign a nil to a TTestFont"},
        {&component, nullptr, "Cannot assign a nil to a TComponent"},
        {&font, &component, "Cannot assign a TComponent to a TTestFont"},
        {&component, &font, "Cannot assign a TTestFont to a TComponent"},
        {&collection, &font, "Cannot assign a TTestFont to a TCollection"},
    };
    for (const Case& c : cases)
        ExpectRaises<core::EConvertError>([&] { c.Dest->Assign(c.Source); }, c.Message);
}

TEST(Assign, ACompatibleSourceIsCopied)
{
    TTestFont a, b;
    a.FName = u"Segoe UI";
    a.FStyle = TFontStyles{TFontStyle::fsBold};
    b.Assign(&a);
    EXPECT_EQ(b.FName, u"Segoe UI");
    EXPECT_TRUE(b.FStyle.Contains(TFontStyle::fsBold));
}

TEST(NamePath, PersistentsComponentsAndSubObjects)
{
    TTestFont loose;
    EXPECT_EQ(loose.GetNamePath(), u"TTestFont");
    TComponent form(nullptr);
    auto* grid = new TTestControl(&form);
    EXPECT_EQ(grid->GetNamePath(), u"");
    EXPECT_EQ(grid->Font()->GetNamePath(), u"TTestFont"); // the owner's path is empty
    grid->SetName(u"Grid1");
    EXPECT_EQ(grid->GetNamePath(), u"Grid1");
    EXPECT_EQ(grid->Font()->GetNamePath(), u"Grid1.TTestFont");
    EXPECT_EQ(grid->GetOwner(), &form);
}

TEST(DestroyHook, SeesEveryDestroyedPersistent)
{
    static std::vector<TPersistent*> seen;
    seen.clear();
    TPersistentDestroyHook previous = SetPersistentDestroyHook([](TPersistent* p) { seen.push_back(p); });
    auto* font = new TTestFont;
    TPersistent* raw = font;
    delete font;
    SetPersistentDestroyHook(previous);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], raw);
}

} // namespace
