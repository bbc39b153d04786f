// TCustomClientDataSet: blob values through streams over the engine's blob
// store, and the release of blobs an abandoned edit created.
#include "data/client_dataset.h"

namespace data {

// The value is read from and written to the engine record in the record
// buffer of the state the stream was made in.
std::unique_ptr<TDataSetBlobStream> TCustomClientDataSet::CreateBlobStream(TField* field, TBlobStreamMode mode)
{
    if (!field || field->DataSet() != this)
        return nullptr;
    auto stream = std::make_unique<TDataSetBlobStream>(field, mode);
    TCustomClientDataSet* self = this;
    const TRecordBuffer buffer = GetActiveRecBuf();
    auto load = [self, field, buffer](core::Bytes& value) {
        value.clear();
        engine::IDSCursor* cursor = self->DSCursor();
        if (!buffer || !cursor || field->FieldNo() < 1)
            return false;
        const auto fieldNo = static_cast<std::uint32_t>(field->FieldNo());
        engine::DSBool blank = 0;
        self->Check(cursor->GetField(buffer, fieldNo, nullptr, &blank));
        if (blank)
            return false;
        std::uint32_t length = 0;
        self->Check(cursor->GetBlobLen(buffer, fieldNo, &length));
        value.resize(length);
        if (length == 0)
            return true;
        const engine::EngineResult r = cursor->GetBlob(buffer, fieldNo, 0, value.data(), &length);
        if (r == engine::DBERR_FIELDISBLANK) {
            value.clear();
            return false;
        }
        self->Check(r);
        value.resize(length);
        return true;
    };
    auto store = [self, field, buffer](const core::Bytes* value) {
        engine::IDSCursor* cursor = self->DSCursor();
        // The buffer must still be the one being edited (not a recycled window row).
        if (!buffer || !cursor || self->GetActiveRecBuf() != buffer)
            DatabaseError(msg::NotEditing, self);
        if (field->FieldNo() < 1)
            DatabaseErrorFmt(nullptr, "Field '{}' not found", core::ToUtf8(field->DisplayName()));
        const auto fieldNo = static_cast<std::uint32_t>(field->FieldNo());
        if (value)
            self->Check(cursor->PutBlob(buffer, fieldNo, 0, value->data(), static_cast<std::uint32_t>(value->size())));
        else
            self->Check(cursor->PutBlob(buffer, fieldNo, 0, nullptr, 0));
    };
    stream->Open(load, store);
    return stream;
}

void TCustomClientDataSet::InternalCancel()
{
    if (!FDSBase)
        return;
    bool hasBlobs = false;
    for (int i = 0; i < Fields().Count() && !hasBlobs; ++i)
        hasBlobs = Fields().Fields(i)->IsBlob();
    if (!hasBlobs)
        return;
    // Blob values written during the abandoned edit are given back; an engine
    // that keeps them until its next commit has nothing to do here.
    const engine::EngineResult r = FDSBase->ReleaseBlobs(0);
    if (r != engine::DBERR_NOTSUPPORTED)
        Check(r);
}

} // namespace data
