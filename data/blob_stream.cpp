#include "data/blob_stream.h"

#include <algorithm>
#include <cstring>

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
    FData.clear();
    FPos = 0;
    if (FMode == TBlobStreamMode::bmWrite) {
        // Writing starts from an empty value, which replaces the old one even
        // when nothing is written.
        FModified = true;
        return;
    }
    FNull = !(load && load(FData));
}

size_t TDataSetBlobStream::Read(void* buffer, size_t count)
{
    if (FPos >= FData.size())
        return 0;
    const size_t n = std::min(count, FData.size() - FPos);
    std::memcpy(buffer, FData.data() + FPos, n);
    FPos += n;
    return n;
}

size_t TDataSetBlobStream::Write(const void* buffer, size_t count)
{
    if (FMode == TBlobStreamMode::bmRead || !FDataSet)
        throw core::EWriteError(std::string_view("Stream write error"));
    if (count == 0)
        return 0;
    if (FPos > kMaxBlobSize || count > kMaxBlobSize - FPos)
        throw core::EWriteError(std::string_view("Stream write error"));
    if (FPos + count > FData.size())
        FData.resize(FPos + count);
    std::memcpy(FData.data() + FPos, buffer, count);
    FPos += count;
    FModified = true;
    return count;
}

int64_t TDataSetBlobStream::Seek(int64_t offset, core::TSeekOrigin origin)
{
    const int64_t size = Size();
    const int64_t base = origin == core::TSeekOrigin::soBeginning ? 0
                         : origin == core::TSeekOrigin::soCurrent ? static_cast<int64_t>(FPos)
                                                                  : size;
    if ((offset < 0 && base < -offset) || (offset > 0 && base > static_cast<int64_t>(kMaxBlobSize) - offset))
        throw core::EStreamError(std::string_view("Stream seek error"));
    FPos = static_cast<size_t>(base + offset);
    return static_cast<int64_t>(FPos);
}

void TDataSetBlobStream::Truncate()
{
    if (FMode == TBlobStreamMode::bmRead || !FDataSet)
        throw core::EWriteError(std::string_view("Stream write error"));
    if (FPos < FData.size()) {
        FData.resize(FPos);
        FModified = true;
    }
}

void TDataSetBlobStream::Flush()
{
    if (!FModified)
        return;
    if (!FDataSet || !Editing(*FDataSet))
        DatabaseError(msg::NotEditing, FDataSet);
    const core::Bytes* value = FData.empty() ? nullptr : &FData;
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
