#pragma once
// Byte fields: TBytesField holds exactly Size bytes, TVarBytesField up to
// Size bytes after a 2-byte length. Their text is the bytes one character each.
#include <string>

#include "data/field.h"

namespace data {

class TBinaryField : public TField {
    DECLARE_CLASS(TBinaryField, TField)
public:
    void CheckTypeSize(int value) override;
    std::u16string GetAsString() const override;
    core::Variant GetAsVariant() const override;
    void SetAsString(const std::u16string& value) override;
    void SetVarValue(const core::Variant& value) override;

protected:
    TBinaryField(components::TComponent* owner, TFieldType type);
};

class TBytesField : public TBinaryField {
    DECLARE_CLASS(TBytesField, TBinaryField)
public:
    explicit TBytesField(components::TComponent* owner);
    core::Bytes GetAsBytes() const override;
    int GetDataSize() const override { return FSize; }
    // Shorter values are padded with zero bytes; longer ones are refused.
    void SetAsBytes(const core::Bytes& value) override;
};

class TVarBytesField : public TBinaryField {
    DECLARE_CLASS(TVarBytesField, TBinaryField)
public:
    explicit TVarBytesField(components::TComponent* owner);
    core::Bytes GetAsBytes() const override;
    int GetDataSize() const override { return FSize + 2; }
    // Values longer than Size bytes are refused.
    void SetAsBytes(const core::Bytes& value) override;
};

} // namespace data
