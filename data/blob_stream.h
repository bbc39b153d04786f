#pragma once
// TDataSetBlobStream: a stream over one blob value of the record a dataset is
// positioned on (or editing). The value is held in memory while the stream
// lives; reads see it as it was when the stream was made plus the stream's
// own writes. Written data reaches the record buffer when the stream is
// flushed: explicitly, when it is destroyed, or when the dataset posts.
#include <cstdint>
#include <functional>

#include "core/stream.h"
#include "core/variant.h"

namespace data {

class TDataSet;
class TField;

enum class TBlobStreamMode : uint8_t { bmRead, bmWrite, bmReadWrite };

class TDataSetBlobStream : public core::TStream {
public:
    // Write modes require a modifiable field and a dataset in edit or insert mode.
    TDataSetBlobStream(TField* field, TBlobStreamMode mode);
    // Flushes pending writes; a failure goes to the dataset's exception handler.
    ~TDataSetBlobStream() override;
    TDataSetBlobStream(const TDataSetBlobStream&) = delete;
    TDataSetBlobStream& operator=(const TDataSetBlobStream&) = delete;

    size_t Read(void* buffer, size_t count) override;
    // Raises EWriteError "Stream write error" on a read-only stream.
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, core::TSeekOrigin origin) override;
    int64_t Size() override { return FBuffer.Size(); }
    // Cuts the value at the current position.
    void Truncate();
    // Stores a modified value (empty: null) into the record buffer and sends
    // the field change; raises when the record is no longer being edited.
    void Flush();
    // The record the stream belongs to is gone (cancel, close, destruction):
    // pending writes are dropped and later flushes raise.
    void Detach();

    TField* Field() const { return FField; }
    TDataSet* DataSet() const { return FDataSet; }
    TBlobStreamMode Mode() const { return FMode; }
    bool Modified() const { return FModified; }
    // The record held no value when the stream was made (and nothing was written since).
    bool IsNull() const { return FNull && !FModified; }
    const core::Bytes& Data() const { return FBuffer.Bytes(); }

    // How a dataset reads the field's value from its record buffer (false:
    // null) and writes one into it (nullptr: null). Both capture what they
    // need by value: the store may run from the stream's destructor.
    using TLoader = std::function<bool(core::Bytes& value)>;
    using TStorer = std::function<void(const core::Bytes* value)>;
    // Run by the dataset that makes the stream: reads the value (read modes)
    // or starts empty (bmWrite).
    void Open(TLoader load, TStorer store);

private:
    TField* FField;
    TDataSet* FDataSet;
    TBlobStreamMode FMode;
    core::TMemoryStream FBuffer;  // the value being read or written
    bool FModified = false;
    bool FNull = true;
    TStorer FStore;
};

} // namespace data
