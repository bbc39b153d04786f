// Nested tables in the client dataset: a nested-table column becomes a
// dataset field whose nested dataset shows the rows of the master's current
// record, is edited through the engine's detail cursor and is saved with
// the master.
#include <memory>
#include <string>
#include <vector>

#include "../engine/packet_builder.h"
#include "cds_fixture.h"
#include "core/stream.h"
#include "data/field_dataset.h"

using namespace data;
using enginetest::Col;
using enginetest::Int;
using enginetest::NestedRows;
using enginetest::Row;
using enginetest::Var;
using enginetest::Width;

namespace {

using Ints = std::vector<int32_t>;

constexpr uint32_t kInt32 = 0x00010004u;
constexpr uint32_t kString = 0x00490001u;

// Orders (id, cliente) with their items (qty) nested.
enginetest::Bytes OrdersPacket(std::uint16_t itemFlags = 0)
{
    enginetest::PacketBuilder b;
    Col itens{"itens", 0x050E0001u};
    itens.nested = {{"qty", kInt32}};
    if (itemFlags) {
        // a leading link column, as a table attached by link fields has
        itens.type = 0x050E0002u;
        itens.nested.insert(itens.nested.begin(), Col{"pedido", kInt32, itemFlags});
    }
    b.cols = {{"id", kInt32}, {"cliente", kString, 0, {Width(20)}}, itens};
    auto item = [&](int32_t order, int32_t qty) {
        return itemFlags ? Row{0, {Int(order, 4), Int(qty, 4)}} : Row{0, {Int(qty, 4)}};
    };
    b.rows = {Row{0, {Int(1, 4), Var("ana"), NestedRows({item(1, 10), item(1, 11)})}},
              Row{0, {Int(2, 4), Var("bia"), NestedRows({})}},
              Row{0, {Int(3, 4), Var("caio"), NestedRows({item(3, 30)})}}};
    return b.Packet();
}

struct Orders {
    std::unique_ptr<components::TComponent> Owner = std::make_unique<components::TComponent>(nullptr);
    TClientDataSet* Master;
    TDataSetField* Itens = nullptr;
    TDataSet* Nested = nullptr;

    explicit Orders(const enginetest::Bytes& packet = OrdersPacket())
    {
        Master = new TClientDataSet(Owner.get());
        Master->SetName(u"Pedidos");
        Master->SetDataPacket(packet);
        Reattach();
    }
    // The field is made when the master opens and goes (with the dataset it
    // made) when the master closes.
    void Reattach()
    {
        Itens = dynamic_cast<TDataSetField*>(Master->FieldByName(u"itens"));
        if (Itens) {
            Nested = Itens->NestedDataSet();
            Nested->Open();
        }
    }
    // The nested rows shown for the master record with `id`.
    Ints ItemsOf(int32_t id)
    {
        EXPECT_TRUE(Master->Locate(u"id", core::Variant{id}, 0));
        return Items();
    }
    Ints Items()
    {
        Ints qty;
        for (Nested->First(); !Nested->Eof(); Nested->Next())
            qty.push_back(Nested->FieldByName(u"qty")->AsInteger());
        EXPECT_EQ(Nested->RecordCount(), static_cast<int>(qty.size()));
        return qty;
    }
    void AddItem(int32_t qty)
    {
        Nested->Append();
        Nested->FieldByName(u"qty")->SetAsInteger(qty);
        Nested->Post();
    }
};

} // namespace

TEST(NestedDataSet, NestedColumnBecomesADataSetField)
{
    Orders o;
    ASSERT_NE(o.Itens, nullptr);
    TFieldDef* def = o.Master->FieldDefs().Items(2);
    EXPECT_EQ(def->DataType(), TFieldType::ftDataSet);
    EXPECT_EQ(o.Itens->DataType(), TFieldType::ftDataSet);
    EXPECT_EQ(o.Itens->FieldNo(), 3);
    EXPECT_EQ(o.Itens->DisplayText(), u"(DATASET)");
    EXPECT_THROW(o.Itens->AsVariant(), EDatabaseError);
    // the nested dataset is of the master's class, made once, and shows the nested columns only
    ASSERT_NE(dynamic_cast<TClientDataSet*>(o.Nested), nullptr);
    EXPECT_EQ(o.Itens->NestedDataSet(), o.Nested);
    EXPECT_EQ(dynamic_cast<TClientDataSet*>(o.Nested)->DataSetField(), o.Itens);
    ASSERT_EQ(o.Nested->FieldCount(), 1);
    EXPECT_EQ(o.Nested->Fields().Fields(0)->FieldName(), u"qty");
    // a flat view makes no field of a nested-table column
    TClientDataSet flat(nullptr);
    flat.SetObjectView(false);
    flat.SetDataPacket(OrdersPacket());
    EXPECT_EQ(flat.FindField(u"itens"), nullptr);
    EXPECT_EQ(flat.FieldCount(), 2);
}

TEST(NestedDataSet, FollowsTheMastersCurrentRecord)
{
    Orders o;
    EXPECT_EQ(o.Items(), (Ints{10, 11})); // the master opened on its first record
    const std::vector<std::pair<int32_t, Ints>> cases = {{3, {30}}, {2, {}}, {1, {10, 11}}, {3, {30}}};
    for (const auto& [id, items] : cases) {
        SCOPED_TRACE(id);
        EXPECT_EQ(o.ItemsOf(id), items);
    }
    // scrolling step by step, and to the end and back
    o.Master->First();
    o.Master->Next();
    EXPECT_EQ(o.Items(), Ints{});
    o.Master->Last();
    EXPECT_EQ(o.Items(), Ints{30});
    o.Master->Prior();
    o.Master->Prior();
    EXPECT_EQ(o.Items(), (Ints{10, 11}));
    o.Master->SetRecNoProp(3);
    EXPECT_EQ(o.Items(), Ints{30});
}

TEST(NestedDataSet, EditsAreLoggedForTheMasterAndUndoneThroughIt)
{
    Orders o;
    ASSERT_EQ(o.ItemsOf(2), Ints{});
    o.AddItem(200); // the master record's first nested row
    EXPECT_EQ(o.Items(), Ints{200});
    ASSERT_EQ(o.ItemsOf(1), (Ints{10, 11}));
    o.Nested->First();
    o.Nested->Edit();
    EXPECT_EQ(o.Master->State(), TDataSetState::dsEdit); // editing a nested row edits its master
    o.Nested->FieldByName(u"qty")->SetAsInteger(12);
    o.Nested->Post();
    o.Nested->Last();
    o.Nested->Delete();
    EXPECT_EQ(o.Items(), Ints{12});
    o.Master->CheckBrowseMode();
    EXPECT_EQ(o.ItemsOf(2), Ints{200}); // the rows stayed with their own master record
    EXPECT_EQ(o.Master->ChangeCount(), 2); // two master records with changed rows
    // undo through the master takes the nested changes back, newest first
    const std::vector<std::pair<int32_t, Ints>> undone = {{1, {12, 11}}, {1, {10, 11}}, {2, {}}};
    for (const auto& [id, items] : undone) {
        SCOPED_TRACE(id);
        ASSERT_TRUE(o.Master->UndoLastChange(false));
        Ints shown = o.ItemsOf(id);
        std::sort(shown.begin(), shown.end());
        Ints expected = items;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(shown, expected);
    }
    EXPECT_FALSE(o.Master->UndoLastChange(false));
    EXPECT_EQ(o.Master->ChangeCount(), 0);
}

TEST(NestedDataSet, InsertUnderAMasterBeingInsertedPostsTheMasterFirst)
{
    Orders o;
    o.Master->Append();
    o.Master->FieldByName(u"id")->SetAsInteger(4);
    o.Master->FieldByName(u"cliente")->SetAsString(u"davi");
    EXPECT_EQ(o.Nested->RecordCount(), 0); // no master record yet, no rows
    o.AddItem(40);
    EXPECT_EQ(o.Master->RecordCount(), 4);
    EXPECT_EQ(o.ItemsOf(4), Ints{40});
    EXPECT_EQ(o.ItemsOf(1), (Ints{10, 11}));
    // an empty master has no record to put rows under
    Orders empty;
    empty.Master->EmptyDataSet();
    EXPECT_EQ(empty.Nested->RecordCount(), 0);
    EXPECT_THROW(empty.AddItem(1), EDatabaseError); // the post fails: the row stays in the editor
    empty.Nested->Cancel();
    EXPECT_EQ(empty.Nested->RecordCount(), 0);
}

TEST(NestedDataSet, SaveAndReloadKeepsNestedRowsAndTheLog)
{
    Orders o;
    ASSERT_EQ(o.ItemsOf(2), Ints{});
    o.AddItem(200);
    ASSERT_EQ(o.ItemsOf(3), Ints{30});
    o.AddItem(31);
    core::TMemoryStream saved;
    o.Master->SaveToStream(saved);
    saved.Seek(0, core::TSeekOrigin::soBeginning);

    Orders back(OrdersPacket());
    back.Master->LoadFromStream(saved);
    // reloading made the master's fields anew, and with them the nested dataset
    back.Reattach();
    EXPECT_EQ(back.ItemsOf(1), (Ints{10, 11}));
    EXPECT_EQ(back.ItemsOf(2), Ints{200});
    EXPECT_EQ(back.ItemsOf(3), (Ints{30, 31}));
    EXPECT_EQ(back.Master->ChangeCount(), 2);
    ASSERT_TRUE(back.Master->UndoLastChange(false));
    EXPECT_EQ(back.ItemsOf(3), Ints{30});
    // closing and opening the master keeps them too (the table is held as a packet)
    back.Master->Close();
    back.Master->Open();
    back.Reattach();
    EXPECT_EQ(back.ItemsOf(2), Ints{200});
}

TEST(NestedDataSet, LinkColumnsOfTheNestedTableAreLeftOut)
{
    Orders o(OrdersPacket(static_cast<std::uint16_t>(engine::fldAttrLINK)));
    ASSERT_NE(o.Nested, nullptr);
    ASSERT_EQ(o.Nested->FieldCount(), 1);
    EXPECT_EQ(o.Nested->FieldByName(u"qty")->FieldNo(), 2);
    EXPECT_EQ(o.ItemsOf(1), (Ints{10, 11}));
    EXPECT_EQ(o.ItemsOf(3), Ints{30});
}

TEST(NestedDataSet, ADataSetOfYourOwnOverTheField)
{
    Orders o;
    auto own = std::make_unique<TClientDataSet>(nullptr);
    // the field already shows its rows through the dataset it made
    EXPECT_THROW(own->SetDataSetField(o.Itens), EDatabaseError);
    // a dataset cannot be nested in itself
    EXPECT_THROW(o.Master->SetDataSetField(o.Itens), EDatabaseError);

    // a fresh master whose field is taken by a dataset of our own
    auto master = std::make_unique<TClientDataSet>(nullptr);
    master->SetDataPacket(OrdersPacket());
    auto* itens = dynamic_cast<TDataSetField*>(master->FieldByName(u"itens"));
    ASSERT_NE(itens, nullptr);
    own->SetDataSetField(itens);
    EXPECT_EQ(itens->NestedDataSet(), own.get());
    own->Open();
    EXPECT_EQ(own->RecordCount(), 2);
    // closing the master closes the nested dataset; freeing it leaves ours unattached
    master->Close();
    EXPECT_FALSE(own->Active());
    master.reset();
    EXPECT_EQ(own->DataSetField(), nullptr);
    EXPECT_THROW(own->Open(), EDatabaseError);
}
