// Blob streams of the client dataset: values stored in the engine's blob
// store through streams, kept by Post, dropped by Cancel, carried through a
// close and reopen.
#include <functional>

#include "cds_fixture.h"
#include "data/field_blob.h"
#include "support/error_of.h"

using namespace data;

namespace {

using test_support::ErrorOf;

std::string Str(const core::Bytes& b) { return std::string(b.begin(), b.end()); }

struct BlobTable {
    BlobTable() : Owner(std::make_unique<components::TComponent>(nullptr))
    {
        DS = new TClientDataSet(Owner.get());
        DS->SetName(u"Fotos");
        DS->FieldDefs().Add(u"codigo", TFieldType::ftInteger);
        DS->FieldDefs().Add(u"foto", TFieldType::ftBlob);
        DS->FieldDefs().Add(u"texto", TFieldType::ftMemo);
        DS->CreateDataSet();
        Foto = dynamic_cast<TBlobField*>(DS->FieldByName(u"foto"));
        Texto = dynamic_cast<TMemoField*>(DS->FieldByName(u"texto"));
    }
    void Write(TField* f, const std::string& text)
    {
        auto s = DS->CreateBlobStream(f, TBlobStreamMode::bmWrite);
        s->WriteBuffer(text.data(), text.size());
    }
    std::unique_ptr<components::TComponent> Owner;
    TClientDataSet* DS;
    TBlobField* Foto = nullptr;
    TMemoField* Texto = nullptr;
};

} // namespace

TEST(ClientBlobStream, WriteReadTruncateAndReopen)
{
    BlobTable t;
    REQUIRE_ENGINE_EDITS(*t.DS);
    ASSERT_NE(t.Foto, nullptr);
    t.DS->Append();
    t.DS->FieldByName(u"codigo")->SetAsInteger(1);
    t.Write(t.Foto, "hello world");
    t.Texto->SetAsString(u"memo text");
    t.DS->Post();
    EXPECT_EQ(Str(t.Foto->AsBytes()), "hello world");

    t.DS->Edit();
    {
        auto s = t.DS->CreateBlobStream(t.Foto, TBlobStreamMode::bmReadWrite);
        EXPECT_EQ(s->Size(), 11);
        s->SetPosition(5);
        s->Truncate();
    }
    t.DS->Post();
    EXPECT_EQ(Str(t.Foto->AsBytes()), "hello");

    t.DS->Close();
    t.DS->Open();
    EXPECT_EQ(Str(t.DS->FieldByName(u"foto")->AsBytes()), "hello");
    EXPECT_EQ(t.DS->FieldByName(u"texto")->AsString(), u"memo text");
    EXPECT_EQ(t.DS->FieldByName(u"texto")->Text(), u"(MEMO)");
}

TEST(ClientBlobStream, CancelAndPendingWrites)
{
    BlobTable t;
    REQUIRE_ENGINE_EDITS(*t.DS);
    t.DS->Append();
    t.Write(t.Foto, "first");
    t.DS->Post();

    // A cancelled edit leaves the stored value; the stream's late writes go nowhere.
    t.DS->Edit();
    auto pending = t.DS->CreateBlobStream(t.Foto, TBlobStreamMode::bmWrite);
    pending->WriteBuffer("second", 6);
    t.DS->Cancel();
    pending.reset();
    EXPECT_EQ(Str(t.Foto->AsBytes()), "first");

    // Post stores what an open stream wrote.
    t.DS->Edit();
    auto open = t.DS->CreateBlobStream(t.Foto, TBlobStreamMode::bmWrite);
    open->WriteBuffer("third", 5);
    t.DS->Post();
    EXPECT_EQ(Str(t.Foto->AsBytes()), "third");
    EXPECT_EQ(ErrorOf([&] { open->WriteBuffer("x", 1); }), "Stream write error");
}

TEST(ClientBlobStream, ErrorsAndNullValues)
{
    BlobTable t;
    REQUIRE_ENGINE_EDITS(*t.DS);
    t.DS->Append();
    t.DS->Post();
    EXPECT_TRUE(t.Foto->IsNull());
    auto r = t.DS->CreateBlobStream(t.Foto, TBlobStreamMode::bmRead);
    EXPECT_TRUE(r->IsNull());
    EXPECT_EQ(r->Size(), 0);
    EXPECT_EQ(ErrorOf([&] { t.DS->CreateBlobStream(t.Foto, TBlobStreamMode::bmWrite); }),
              "Fotos: Dataset not in edit or insert mode");
    t.DS->Edit();
    t.Write(t.Foto, "");
    EXPECT_TRUE(t.Foto->IsNull());
    t.DS->Cancel();
    // A dataset's blob stream serves only its own fields.
    BlobTable other;
    EXPECT_EQ(t.DS->CreateBlobStream(other.Foto, TBlobStreamMode::bmRead), nullptr);
}
