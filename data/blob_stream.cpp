#include "data/blob_stream.h"

#include "data/dataset.h"
#include "data/db_error.h"

namespace data {

namespace {
// The storage keeps a blob's length in 31 bits; a stream never grows past it.
constexpr size_t kMaxBlobSize = 0x7FFFFFFF;
bool Editing(const TDataSet& ds)
{
    return ds.State() == TDataSetState::dsEdit || ds.State() == TDataSetState::dsInsert;
}
} // namespace

TDataSetBlobStream::TDataSetBlobStream(TField* field, TBlobStreamMode mode)
    : FField(field), FDataSet(field ? field->DataSet() : nullptr), FMode(mode)
{
    if (!FDataSet)
        DatabaseErrorFmt(nullptr, "Field '{}' has no dataset", field ? core::ToUtf8(field->DisplayName()) : "");
    if (mode != TBlobStreamMode::bmRead) {
        if (field->ReadOnly())
            DatabaseErrorFmt(nullptr, "Field '{}' cannot be modified", core::ToUtf8(field->DisplayName()));
        if (!Editing(*FDataSet))
            DatabaseError(msg::NotEditing, FDataSet);
    }
    FDataSet->BlobStreamOpened(this);
}

TDataSetBlobStream::~TDataSetBlobStream()
{
    if (!FDataSet)
        return;
    if (FModified) {
        // A destructor cannot raise: the failure is reported the way the
        // dataset reports errors outside a caller's reach.
        try {
            Flush();
        } catch (...) {
            FModified = false;
            try {
                FDataSet->InternalHandleException();
            } catch (...) {
            }
        }
    }
    FDataSet->BlobStreamClosed(this);
}

void TDataSetBlobStream::Open(TLoader load, TStorer store)
{
    FStore = std::move(store);
    FBuffer.Clear();
    if (FMode == TBlobStreamMode::bmWrite) {
        // Writing starts from an empty value, which replaces the old one even
        // when nothing is written.
        FModified = true;
        return;
    }
    FNull = !(load && load(FBuffer.Bytes()));
}

size_t TDataSetBlobStream::Read(void* buffer, size_t count)
{
    return FBuffer.Read(buffer, count);
}

size_t TDataSetBlobStream::Write(const void* buffer, size_t count)
{
    if (FMode == TBlobStreamMode::bmRead || !FDataSet)
        throw core::EWriteError(std::string_view("Stream write error"));
    if (count == 0)
        return 0;
    const auto pos = static_cast<size_t>(FBuffer.Position());
    if (pos > kMaxBlobSize || count > kMaxBlobSize - pos)
        throw core::EWriteError(std::string_view("Stream write error"));
    FBuffer.Write(buffer, count);
    FModified = true;
    return count;
}

int64_t TDataSetBlobStream::Seek(int64_t offset, core::TSeekOrigin origin)
{
    // no position past the largest value a blob may hold
    const int64_t before = FBuffer.Position();
    const int64_t pos = FBuffer.Seek(offset, origin);
    if (pos > static_cast<int64_t>(kMaxBlobSize)) {
        FBuffer.SetPosition(before);
        throw core::EStreamError(std::string_view("Stream seek error"));
    }
    return pos;
}

void TDataSetBlobStream::Truncate()
{
    if (FMode == TBlobStreamMode::bmRead || !FDataSet)
        throw core::EWriteError(std::string_view("Stream write error"));
    const auto pos = static_cast<size_t>(FBuffer.Position());
    if (pos < FBuffer.Bytes().size()) {
        FBuffer.SetSize(pos);
        FModified = true;
    }
}

void TDataSetBlobStream::Flush()
{
    if (!FModified)
        return;
    if (!FDataSet || !Editing(*FDataSet))
        DatabaseError(msg::NotEditing, FDataSet);
    const core::Bytes* value = FBuffer.Bytes().empty() ? nullptr : &FBuffer.Bytes();
    FField->Validate(value ? value->data() : nullptr);
    if (!FStore)
        DatabaseError(msg::NotEditing, FDataSet);
    FStore(value);
    FModified = false;
    FDataSet->DataEvent(TDataEvent::deFieldChange, reinterpret_cast<intptr_t>(FField));
}

void TDataSetBlobStream::Detach()
{
    FModified = false;
    if (FDataSet)
        FDataSet->BlobStreamClosed(this);
    FDataSet = nullptr;
}

} // namespace data
