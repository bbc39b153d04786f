#include <gtest/gtest.h>

#include "expect_raises.h"
#include "test_classes.h"

using namespace testing_components;

// A column whose constructor fails on demand.
class TBadColumn : public TTestColumn {
    DECLARE_CLASS(TBadColumn, TTestColumn)
public:
    static inline bool Fail = false;
    explicit TBadColumn(TCollection* c) : TTestColumn(c)
    {
        if (Fail)
            throw core::EInvalidOperation(std::u16string(u"bad"));
    }
};

DEFINE_CLASS(TBadColumn)
    .Factory([](TObject* c) -> TObject* { return new TBadColumn(dynamic_cast<TCollection*>(c)); })
END_CLASS

namespace {

// Counts the collection's notifications.
class TCountingCollection : public TCollection {
public:
    explicit TCountingCollection(const ClassInfo& itemClass = TTestColumn::StaticClass()) : TCollection(itemClass) {}
    int AddedCount = 0, DeletingCount = 0, Updates = 0;
    TCollectionItem* LastUpdated = reinterpret_cast<TCollectionItem*>(1);

protected:
    void Added(TCollectionItem*) override { ++AddedCount; }
    void Deleting(TCollectionItem*) override { ++DeletingCount; }
    void Update(TCollectionItem* item) override
    {
        ++Updates;
        LastUpdated = item;
    }
};

TTestColumn* Col(TCollection& c, int i) { return static_cast<TTestColumn*>(c.Items(i)); }

TEST(CollectionNamePath, FirstItemOfAComponentsCollectionEndsInIndexZero)
{
    TComponent form(nullptr);
    auto* grid = new TTestControl(&form);
    grid->SetName(u"DBGrid1");
    grid->Columns()->Add();
    grid->Columns()->Add();
    EXPECT_EQ(grid->Columns()->PropName(), u"Columns");
    EXPECT_EQ(grid->Columns()->GetNamePath(), u"DBGrid1.Columns");
    EXPECT_EQ(grid->Columns()->Items(0)->GetNamePath(), u"DBGrid1.Columns[0]");
    EXPECT_EQ(grid->Columns()->Items(1)->GetNamePath(), u"DBGrid1.Columns[1]");
    // Without a named owner the class name stands in.
    TCollection loose(TTestColumn::StaticClass());
    loose.Add();
    EXPECT_EQ(loose.Items(0)->GetNamePath(), u"TCollection[0]");
    TTestColumn orphan(nullptr);
    EXPECT_EQ(orphan.GetNamePath(), u"TTestColumn");
    EXPECT_EQ(orphan.Index(), -1);
}

TEST(Collection, ItemsGetIdentifiersThatAreNotReusedUntilReset)
{
    TCountingCollection c;
    for (int i = 0; i < 3; ++i)
        c.Add();
    EXPECT_EQ(c.Items(2)->ID(), 2);
    c.Delete(1);
    EXPECT_EQ(c.Add()->ID(), 3);
    EXPECT_EQ(c.FindItemID(2), c.Items(1));
    EXPECT_EQ(c.FindItemID(1), nullptr);
    c.ClearAndResetID();
    EXPECT_EQ(c.Count(), 0);
    EXPECT_EQ(c.Add()->ID(), 0);
}

TEST(Collection, AddNotifiesOnceWithTheFinishedItemAndUpdatesRespectBeginUpdate)
{
    TCountingCollection c;
    c.Add();
    EXPECT_EQ(c.AddedCount, 1); // once per item
    EXPECT_EQ(c.Updates, 1);
    EXPECT_EQ(c.LastUpdated, nullptr);
    c.BeginUpdate();
    c.Add();
    c.Delete(0);
    EXPECT_EQ(c.Updates, 1);
    EXPECT_EQ(c.DeletingCount, 1);
    c.EndUpdate();
    EXPECT_EQ(c.Updates, 2);
    // An item's own change reports just that item; an unmatched EndUpdate
    // does not switch updates off for good.
    c.EndUpdate();
    const int before = c.Updates;
    c.Items(0)->SetIndex(0);
    c.Add()->SetIndex(0);
    EXPECT_GT(c.Updates, before);
    EXPECT_EQ(c.LastUpdated, nullptr); // a move changes all items
}

TEST(Collection, OutOfRangeAndWrongClassAreRefused)
{
    TCountingCollection c;
    c.Add();
    for (int bad : {-1, 1}) {
        ExpectRaises<EArgumentOutOfRangeException>([&] { c.Delete(bad); }, "Argument out of range");
        ExpectRaises<EArgumentOutOfRangeException>([&] { c.Items(bad); }, "Argument out of range");
    }
    ExpectRaises<EArgumentOutOfRangeException>([&] { c.Insert(5); }, "Argument out of range");
    ExpectRaises<EArgumentOutOfRangeException>([&] { c.Items(0)->SetIndex(3); }, "Argument out of range");
    EXPECT_EQ(c.Count(), 1);
    // A plain item does not belong in a collection of columns.
    TCollectionItem plain(nullptr);
    ExpectRaises<core::EListError>([&] { plain.SetCollection(&c); }, "Invalid property value");
    EXPECT_EQ(plain.Collection(), nullptr);
    TCollection generic(TCollectionItem::StaticClass());
    TCollection wrongKind(TTestColumn::StaticClass());
    auto* item = generic.Add();
    EXPECT_THROW(item->SetCollection(&wrongKind), core::EListError);
    EXPECT_EQ(item->Collection(), &generic); // a refused move keeps the item where it was
}

TEST(Collection, InsertIndexAndCollectionMoves)
{
    TCountingCollection a, b;
    static_cast<TTestColumn*>(a.Add())->FFieldName = u"first";
    auto* front = static_cast<TTestColumn*>(a.Insert(0));
    front->FFieldName = u"front";
    EXPECT_EQ(Col(a, 0)->FFieldName, u"front");
    EXPECT_EQ(Col(a, 1)->FFieldName, u"first");
    front->SetIndex(1);
    EXPECT_EQ(front->Index(), 1);
    front->SetCollection(&b);
    EXPECT_EQ(a.Count(), 1);
    EXPECT_EQ(b.Count(), 1);
    EXPECT_EQ(front->Collection(), &b);
    delete front;
    EXPECT_EQ(b.Count(), 0);
}

TEST(Collection, AssignCopiesItemsAndAssigningItselfKeepsThem)
{
    TCountingCollection from, to;
    for (const char16_t* n : {u"codigo", u"nome"})
        static_cast<TTestColumn*>(from.Add())->FFieldName = n;
    to.Add();
    to.Assign(&from);
    ASSERT_EQ(to.Count(), 2);
    EXPECT_EQ(Col(to, 1)->FFieldName, u"nome");
    to.Assign(&to);
    ASSERT_EQ(to.Count(), 2);
    EXPECT_EQ(Col(to, 0)->FFieldName, u"codigo");
    ExpectRaises<core::EConvertError>([&] { to.Assign(nullptr); }, "Cannot assign a nil to a TCollection");
}

TEST(Collection, AFailingItemConstructorLeavesTheCollectionUnchanged)
{
    TCountingCollection c(TBadColumn::StaticClass());
    c.Add();
    TBadColumn::Fail = true;
    EXPECT_THROW(c.Add(), core::EInvalidOperation);
    TBadColumn::Fail = false;
    EXPECT_EQ(c.Count(), 1);
    EXPECT_EQ(c.AddedCount, 1);
    EXPECT_EQ(c.Add()->Index(), 1);
}

} // namespace
