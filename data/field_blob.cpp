#include "data/field_blob.h"

#include <cstring>

#include "data/client_dataset.h"
#include "data/db_error.h"
#include "data/field_types.h"

namespace data {

using components::TComponent;

namespace {

// The record buffer a field reads and writes in the dataset's current state.
TRecordBuffer StateBuffer(const TDataSet& ds)
{
    switch (ds.State()) {
    case TDataSetState::dsBrowse:
    case TDataSetState::dsBlockRead:
    case TDataSetState::dsOldValue:
    case TDataSetState::dsCurValue:
    case TDataSetState::dsNewValue: return ds.IsEmpty() ? nullptr : ds.ActiveBuffer();
    case TDataSetState::dsEdit:
    case TDataSetState::dsInsert: return ds.ActiveBuffer();
    case TDataSetState::dsCalcFields:
    case TDataSetState::dsInternalCalc: return ds.CalcBuffer();
    default: return nullptr;
    }
}

} // namespace

TBlobField::TBlobField(TComponent* owner) : TBlobField(owner, TFieldType::ftBlob) {}

TBlobField::TBlobField(TComponent* owner, TFieldType type) : TField(owner) { SetDataTypeInit(type); }

void TBlobField::CheckTypeSize(int value)
{
    if (value < 0)
        DatabaseError(msg::InvalidFieldSize);
}

// Blob values live in the engine's blob store, reached through the client
// dataset's cursor with the record buffer of the current state.
bool TBlobField::ReadBlob(core::Bytes& value) const
{
    value.clear();
    if (!FDataSet)
        DatabaseErrorFmt(nullptr, "Field '{}' has no dataset", core::ToUtf8(DisplayName()));
    auto* cds = dynamic_cast<TCustomClientDataSet*>(FDataSet);
    if (!cds)
        AccessError(u"String");
    TRecordBuffer rec = StateBuffer(*cds);
    if (!rec || !cds->DSCursor() || FFieldNo < 1)
        return false;
    const auto fieldNo = static_cast<uint32_t>(FFieldNo);
    engine::DSBool blank = 0;
    cds->Check(cds->DSCursor()->GetField(rec, fieldNo, nullptr, &blank));
    if (blank)
        return false;
    uint32_t length = 0;
    cds->Check(cds->DSCursor()->GetBlobLen(rec, fieldNo, &length));
    value.resize(length);
    if (length == 0)
        return true;
    const engine::EngineResult r = cds->DSCursor()->GetBlob(rec, fieldNo, 0, value.data(), &length);
    if (r == engine::DBERR_FIELDISBLANK) {
        value.clear();
        return false;
    }
    cds->Check(r);
    value.resize(length);
    return true;
}

void TBlobField::WriteBlob(const core::Bytes* value)
{
    if (!FDataSet)
        DatabaseErrorFmt(nullptr, "Field '{}' has no dataset", core::ToUtf8(DisplayName()));
    auto* cds = dynamic_cast<TCustomClientDataSet*>(FDataSet);
    if (!cds)
        AccessError(u"String");
    const TDataSetState st = cds->State();
    if (st != TDataSetState::dsEdit && st != TDataSetState::dsInsert)
        DatabaseError(msg::NotEditing, cds);
    TRecordBuffer rec = StateBuffer(*cds);
    if (!rec || !cds->DSCursor())
        DatabaseError(msg::NotEditing, cds);
    if (FFieldNo < 1)
        DatabaseErrorFmt(nullptr, "Field '{}' not found", core::ToUtf8(DisplayName()));
    if (FReadOnly)
        DatabaseErrorFmt(nullptr, "Field '{}' cannot be modified", core::ToUtf8(DisplayName()));
    Validate(value ? static_cast<const void*>(value->data()) : nullptr);
    const auto fieldNo = static_cast<uint32_t>(FFieldNo);
    if (value && !value->empty())
        cds->Check(cds->DSCursor()->PutBlob(rec, fieldNo, 0, value->data(), static_cast<uint32_t>(value->size())));
    else
        cds->Check(cds->DSCursor()->PutBlob(rec, fieldNo, 0, nullptr, 0));
    cds->DataEvent(TDataEvent::deFieldChange, reinterpret_cast<intptr_t>(this));
}

int64_t TBlobField::BlobSize() const
{
    core::Bytes v;
    ReadBlob(v);
    return static_cast<int64_t>(v.size());
}

core::Bytes TBlobField::GetAsBytes() const
{
    core::Bytes v;
    ReadBlob(v);
    return v;
}

std::u16string TBlobField::GetAsString() const
{
    core::Bytes v;
    ReadBlob(v);
    return TStringField::FromStored(std::string_view(reinterpret_cast<const char*>(v.data()), v.size()));
}

core::Variant TBlobField::GetAsVariant() const
{
    core::Bytes v;
    if (!ReadBlob(v))
        return core::Null();
    return v;
}

void TBlobField::GetText(std::u16string& text, bool) const { text = GetClassDesc(); }

void TBlobField::SetAsBytes(const core::Bytes& value) { WriteBlob(value.empty() ? nullptr : &value); }

void TBlobField::SetAsString(const std::u16string& value)
{
    const std::string stored = TStringField::ToStored(value);
    const core::Bytes bytes(stored.begin(), stored.end());
    SetAsBytes(bytes);
}

void TBlobField::SetVarValue(const core::Variant& value)
{
    if (const auto* b = std::get_if<core::Bytes>(&value)) {
        SetAsBytes(*b);
        return;
    }
    if (const auto* s = std::get_if<std::u16string>(&value)) {
        SetAsString(*s);
        return;
    }
    InvalidValueError();
}

TMemoField::TMemoField(TComponent* owner) : TBlobField(owner, TFieldType::ftMemo) { FTransliterate = true; }

core::Variant TMemoField::GetAsVariant() const
{
    if (IsNull())
        return core::Null();
    return GetAsString();
}

TWideMemoField::TWideMemoField(TComponent* owner) : TMemoField(owner, TFieldType::ftWideMemo) {}

std::u16string TWideMemoField::GetAsString() const
{
    core::Bytes v;
    ReadBlob(v);
    std::u16string out(v.size() / 2, u'\0');
    if (!out.empty())
        std::memcpy(out.data(), v.data(), out.size() * 2);
    return out;
}

core::Variant TWideMemoField::GetAsVariant() const
{
    if (IsNull())
        return core::Null();
    return GetAsString();
}

void TWideMemoField::SetAsString(const std::u16string& value)
{
    core::Bytes bytes(value.size() * 2);
    if (!value.empty())
        std::memcpy(bytes.data(), value.data(), bytes.size());
    SetAsBytes(bytes);
}

TGraphicField::TGraphicField(TComponent* owner) : TBlobField(owner, TFieldType::ftGraphic) {}

// clang-format off
DEFINE_CLASS(TBlobField)
    .Property(u"Size", &TBlobField::Size, &TBlobField::SetSize).Default(0)
END_CLASS
DEFINE_CLASS(TMemoField)
    .Property(u"Transliterate", &TMemoField::Transliterate, &TMemoField::SetTransliterate).Default(1)
END_CLASS
DEFINE_CLASS(TWideMemoField) END_CLASS
DEFINE_CLASS(TGraphicField) END_CLASS
// clang-format on

} // namespace data
