#include "data/field_blob.h"

#include <cstring>

#include "data/dataset.h"
#include "data/db_error.h"
#include "data/field_types.h"

namespace data {

using components::TComponent;

TBlobField::TBlobField(TComponent* owner) : TBlobField(owner, TFieldType::ftBlob) {}

TBlobField::TBlobField(TComponent* owner, TFieldType type) : TField(owner) { SetDataTypeInit(type); }

void TBlobField::CheckTypeSize(int value)
{
    if (value < 0)
        DatabaseError(msg::InvalidFieldSize);
}

namespace {
// The caller hears of a failed store; the stream must not try again (and
// report the same failure a second time) when it is destroyed.
void FlushOrDrop(TDataSetBlobStream& stream)
{
    try {
        stream.Flush();
    } catch (...) {
        stream.Detach();
        throw;
    }
}
} // namespace

// Blob values are moved through the dataset's blob streams, so the field
// works with any dataset that keeps blobs.
bool TBlobField::ReadBlob(core::Bytes& value) const
{
    value.clear();
    if (!FDataSet)
        DatabaseErrorFmt(nullptr, "Field '{}' has no dataset", core::ToUtf8(DisplayName()));
    std::unique_ptr<TDataSetBlobStream> stream =
        FDataSet->CreateBlobStream(const_cast<TBlobField*>(this), TBlobStreamMode::bmRead);
    if (!stream || stream->IsNull())
        return false;
    value = stream->Data();
    return true;
}

void TBlobField::WriteBlob(const core::Bytes* value)
{
    if (!FDataSet)
        DatabaseErrorFmt(nullptr, "Field '{}' has no dataset", core::ToUtf8(DisplayName()));
    std::unique_ptr<TDataSetBlobStream> stream = FDataSet->CreateBlobStream(this, TBlobStreamMode::bmWrite);
    if (!stream)
        AccessError(u"String");
    if (value && !value->empty())
        stream->WriteBuffer(value->data(), value->size());
    FlushOrDrop(*stream);
}

void TBlobField::LoadFromStream(core::TStream& source)
{
    if (!FDataSet)
        DatabaseErrorFmt(nullptr, "Field '{}' has no dataset", core::ToUtf8(DisplayName()));
    std::unique_ptr<TDataSetBlobStream> stream = FDataSet->CreateBlobStream(this, TBlobStreamMode::bmWrite);
    if (!stream)
        AccessError(u"String");
    try {
        stream->CopyFrom(source, 0);
    } catch (...) {
        stream->Detach();
        throw;
    }
    FlushOrDrop(*stream);
}

void TBlobField::SaveToStream(core::TStream& dest) const
{
    core::Bytes v;
    ReadBlob(v);
    if (!v.empty())
        dest.WriteBuffer(v.data(), v.size());
}

void TBlobField::LoadFromFile(const std::u16string& fileName)
{
    core::TFileStream file(core::ToUtf8(fileName), core::TFileMode::fmOpenRead);
    LoadFromStream(file);
}

void TBlobField::SaveToFile(const std::u16string& fileName) const
{
    core::Bytes v;
    ReadBlob(v);
    core::SaveFileAtomically(core::ToUtf8(fileName), v);
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
