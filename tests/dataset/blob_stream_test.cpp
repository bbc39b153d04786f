// Blob streams over the test dataset: reading, writing, read-write with
// truncation, what Post and Cancel do with pending writes, and the errors.
#include <functional>

#include "data/field_blob.h"
#include "fixture.h"
#include "support/error_of.h"

using namespace memds;

namespace {

using test_support::ErrorOf;

std::string Str(const core::Bytes& b) { return std::string(b.begin(), b.end()); }

void Put(TDataSetBlobStream& s, const std::string& text) { s.WriteBuffer(text.data(), text.size()); }

std::string ReadAll(core::TStream& s)
{
    std::string out(static_cast<size_t>(s.Size()), '\0');
    s.SetPosition(0);
    if (!out.empty())
        s.ReadBuffer(out.data(), out.size());
    return out;
}

struct Blobs {
    Blobs()
    {
        owner = std::make_unique<components::TComponent>(nullptr);
        ds = new TMemDataSet(owner.get(), {{u"codigo", TFieldType::ftInteger, 0},
                                           {u"foto", TFieldType::ftBlob, 0},
                                           {u"texto", TFieldType::ftMemo, 0}});
        ds->SetName(u"Dados");
        ds->FillInts(2);
        ds->Open();
        foto = dynamic_cast<TBlobField*>(ds->FieldByName(u"foto"));
        texto = dynamic_cast<TMemoField*>(ds->FieldByName(u"texto"));
    }
    // Stores `text` in the first record's foto through a stream.
    void Seed(const std::string& text)
    {
        ds->First();
        ds->Edit();
        Put(*ds->CreateBlobStream(foto, TBlobStreamMode::bmWrite), text);
        ds->Post();
    }
    std::unique_ptr<components::TComponent> owner;
    TMemDataSet* ds;
    TBlobField* foto = nullptr;
    TMemoField* texto = nullptr;
};

} // namespace

TEST(BlobStream, WrittenValueReachesTheRecordWhenTheStreamEnds)
{
    Blobs t;
    ASSERT_NE(t.foto, nullptr);
    t.ds->Edit();
    {
        auto s = t.ds->CreateBlobStream(t.foto, TBlobStreamMode::bmWrite);
        Put(*s, "hello");
        EXPECT_TRUE(t.foto->IsNull()); // not stored yet
    }
    EXPECT_EQ(t.foto->AsString(), u"hello");
    t.ds->Post();
    EXPECT_EQ(Str(t.ds->RowBlob(0, 1)), "hello");
    auto r = t.ds->CreateBlobStream(t.foto, TBlobStreamMode::bmRead);
    EXPECT_EQ(ReadAll(*r), "hello");
    EXPECT_FALSE(r->IsNull());
}

TEST(BlobStream, ReadWriteModesTable)
{
    struct Case {
        const char* Name;
        TBlobStreamMode Mode;
        std::function<void(TDataSetBlobStream&)> Work;
        const char* Expected; // value afterwards; nullptr: null
    };
    const Case cases[] = {
        {"write replaces", TBlobStreamMode::bmWrite, [](auto& s) { Put(s, "abc"); }, "abc"},
        {"write without data clears", TBlobStreamMode::bmWrite, [](auto&) {}, nullptr},
        {"read-write appends at the end",
         TBlobStreamMode::bmReadWrite,
         [](auto& s) {
             s.Seek(0, core::TSeekOrigin::soEnd);
             Put(s, "!");
         },
         "hello world!"},
        {"read-write overwrites in place",
         TBlobStreamMode::bmReadWrite,
         [](auto& s) {
             s.SetPosition(6);
             Put(s, "WORLD");
         },
         "hello WORLD"},
        {"truncate at the position",
         TBlobStreamMode::bmReadWrite,
         [](auto& s) {
             s.SetPosition(5);
             s.Truncate();
         },
         "hello"},
        {"truncate to nothing makes null",
         TBlobStreamMode::bmReadWrite,
         [](auto& s) {
             s.SetPosition(0);
             s.Truncate();
         },
         nullptr},
        {"reading only changes nothing", TBlobStreamMode::bmReadWrite, [](auto& s) { ReadAll(s); }, "hello world"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        Blobs t;
        t.Seed("hello world");
        t.ds->Edit();
        {
            auto s = t.ds->CreateBlobStream(t.foto, c.Mode);
            c.Work(*s);
        }
        t.ds->Post();
        if (c.Expected) {
            EXPECT_FALSE(t.foto->IsNull());
            EXPECT_EQ(Str(t.foto->AsBytes()), c.Expected);
        } else {
            EXPECT_TRUE(t.foto->IsNull());
        }
    }
}

TEST(BlobStream, PostStoresWritesOfStreamsStillOpen)
{
    Blobs t;
    t.ds->Edit();
    auto s = t.ds->CreateBlobStream(t.foto, TBlobStreamMode::bmWrite);
    Put(*s, "pending");
    t.ds->Post();
    EXPECT_EQ(Str(t.ds->RowBlob(0, 1)), "pending");
    // The record is stored: the stream no longer writes to it.
    EXPECT_EQ(ErrorOf([&] { Put(*s, "late"); }), "Stream write error");
    s.reset();
    EXPECT_EQ(Str(t.ds->RowBlob(0, 1)), "pending");
}

TEST(BlobStream, CancelDropsPendingWrites)
{
    Blobs t;
    t.Seed("kept");
    const size_t before = t.ds->BlobCount();
    t.ds->Edit();
    auto s = t.ds->CreateBlobStream(t.foto, TBlobStreamMode::bmWrite);
    Put(*s, "dropped");
    t.ds->Cancel();
    s.reset(); // nothing reaches the record now in browse mode
    EXPECT_EQ(t.foto->AsString(), u"kept");
    EXPECT_EQ(t.ds->BlobCount(), before);
    EXPECT_EQ(Str(t.ds->RowBlob(0, 1)), "kept");
}

TEST(BlobStream, StoredValueAfterCancelOfAFlushedStream)
{
    Blobs t;
    t.Seed("kept");
    t.ds->Edit();
    {
        auto s = t.ds->CreateBlobStream(t.foto, TBlobStreamMode::bmWrite);
        Put(*s, "changed");
    }
    EXPECT_EQ(t.foto->AsString(), u"changed");
    t.ds->Cancel();
    EXPECT_EQ(t.foto->AsString(), u"kept");
}

TEST(BlobStream, Errors)
{
    Blobs t;
    struct Case {
        const char* Name;
        std::function<void()> Action;
        const char* Message;
    };
    const Case cases[] = {
        {"writing outside edit", [&] { t.ds->CreateBlobStream(t.foto, TBlobStreamMode::bmWrite); },
         "Dados: Dataset not in edit or insert mode"},
        {"read-write outside edit", [&] { t.ds->CreateBlobStream(t.foto, TBlobStreamMode::bmReadWrite); },
         "Dados: Dataset not in edit or insert mode"},
        {"writing a read stream",
         [&] {
             auto s = t.ds->CreateBlobStream(t.foto, TBlobStreamMode::bmRead);
             Put(*s, "x");
         },
         "Stream write error"},
        {"seeking before the start",
         [&] { t.ds->CreateBlobStream(t.foto, TBlobStreamMode::bmRead)->Seek(-1, core::TSeekOrigin::soBeginning); },
         "Stream seek error"},
        {"growing beyond the blob limit",
         [&] {
             t.ds->Edit();
             auto s = t.ds->CreateBlobStream(t.foto, TBlobStreamMode::bmWrite);
             s->SetPosition(0x7FFFFFFF);
             Put(*s, "x");
         },
         "Stream write error"},
        {"writing a read-only field",
         [&] {
             t.ds->Edit();
             t.texto->SetReadOnly(true);
             t.ds->CreateBlobStream(t.texto, TBlobStreamMode::bmWrite);
         },
         "Field 'texto' cannot be modified"},
        {"field text write outside edit", [&] { t.texto->SetAsString(u"x"); },
         "Dados: Dataset not in edit or insert mode"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        if (t.ds->State() != TDataSetState::dsBrowse)
            t.ds->Cancel();
        t.texto->SetReadOnly(false);
        EXPECT_EQ(ErrorOf(c.Action), c.Message);
    }
}

TEST(BlobStream, FieldLoadsAndSavesThroughStreams)
{
    Blobs t;
    t.ds->Edit();
    core::TMemoryStream in(core::Bytes{'l', 'i', 'n', 'e', '\n', '2'});
    in.SetPosition(3); // the whole stream is taken, wherever it stands
    t.texto->LoadFromStream(in);
    EXPECT_EQ(t.texto->AsString(), u"line\n2");
    EXPECT_EQ(t.texto->Text(), u"(MEMO)");
    EXPECT_EQ(t.texto->BlobSize(), 6);
    t.ds->Post();
    core::TMemoryStream out;
    t.texto->SaveToStream(out);
    EXPECT_EQ(Str(out.Bytes()), "line\n2");
    t.ds->Next();
    EXPECT_TRUE(t.texto->IsNull());
    EXPECT_EQ(t.texto->Text(), u"(Memo)");
    EXPECT_EQ(t.ds->GetBlobFieldData(t.texto->FieldNo()), core::Bytes{});
    t.ds->Prior();
    EXPECT_EQ(Str(t.ds->GetBlobFieldData(t.texto->FieldNo())), "line\n2");
}

TEST(BlobStream, OnValidateRejectsAndTheRecordKeepsItsValue)
{
    Blobs t;
    t.Seed("old");
    t.foto->OnValidate = TFieldNotifyEvent::Bind(t.foto, [](TField*) { data::DatabaseError(u"rejected"); });
    t.ds->Edit();
    EXPECT_EQ(ErrorOf([&] { t.foto->SetAsString(u"new"); }), "rejected");
    EXPECT_EQ(t.foto->AsString(), u"old");
    t.ds->Cancel();
}
