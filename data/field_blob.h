#pragma once
// Blob fields: values of any length kept by the storage outside the record.
// TBlobField holds bytes, TMemoField 8-bit text, TWideMemoField 16-bit text,
// TGraphicField a picture's bytes. Their Text is the class description
// ("(Memo)", "(MEMO)" when not null); AsString is the content.
#include <string>

#include "core/stream.h"
#include "data/field.h"

namespace data {

class TBlobField : public TField {
    DECLARE_CLASS(TBlobField, TField)
public:
    explicit TBlobField(components::TComponent* owner);

    bool Transliterate() const { return FTransliterate; }
    void SetTransliterate(bool value) { FTransliterate = value; }
    // Length of the value in bytes (0 when null).
    int64_t BlobSize() const;
    // The value becomes the whole content of `source`, read from its start
    // (an empty source makes it null); or the value is written to `dest` at
    // its position.
    void LoadFromStream(core::TStream& source);
    void SaveToStream(core::TStream& dest) const;
    void LoadFromFile(const std::u16string& fileName);
    void SaveToFile(const std::u16string& fileName) const;

    void CheckTypeSize(int value) override;
    core::Bytes GetAsBytes() const override;
    std::u16string GetAsString() const override;
    core::Variant GetAsVariant() const override;
    void GetText(std::u16string& text, bool displayText) const override;
    bool IsBlob() const override { return true; }
    // An empty value clears the field.
    void SetAsBytes(const core::Bytes& value) override;
    void SetAsString(const std::u16string& value) override;
    void SetVarValue(const core::Variant& value) override;

protected:
    TBlobField(components::TComponent* owner, TFieldType type);
    // Raw value transfer with the dataset's blob storage.
    bool ReadBlob(core::Bytes& value) const;
    void WriteBlob(const core::Bytes* value);

    bool FTransliterate = false;
};

class TMemoField : public TBlobField {
    DECLARE_CLASS(TMemoField, TBlobField)
public:
    explicit TMemoField(components::TComponent* owner);
    // Text (or null), like a string field.
    core::Variant GetAsVariant() const override;

protected:
    TMemoField(components::TComponent* owner, TFieldType type) : TBlobField(owner, type) {}
};

// Text kept as 16-bit characters.
class TWideMemoField : public TMemoField {
    DECLARE_CLASS(TWideMemoField, TMemoField)
public:
    explicit TWideMemoField(components::TComponent* owner);
    std::u16string GetAsString() const override;
    core::Variant GetAsVariant() const override;
    void SetAsString(const std::u16string& value) override;
};

class TGraphicField : public TBlobField {
    DECLARE_CLASS(TGraphicField, TBlobField)
public:
    explicit TGraphicField(components::TComponent* owner);
};

} // namespace data
