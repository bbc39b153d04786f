#pragma once
// TField: one column of a dataset's records. It reads and writes its value in
// the dataset's active record buffer through the dataset, converts between
// the stored value and typed values or text, and validates what is written.
#include <cstdint>
#include <string>
#include <vector>

#include "components/component.h"
#include "core/closure.h"
#include "core/variant.h"
#include "data/db_types.h"

namespace data {

class TDataSet;
class TFields;
class TField;
class TObjectField;

using TFieldNotifyEvent = core::Closure<void(TField*)>;
using TFieldGetTextEvent = core::Closure<void(TField*, std::u16string& text, bool displayText)>;
using TFieldSetTextEvent = core::Closure<void(TField*, const std::u16string& text)>;

class TField : public components::TComponent {
    DECLARE_CLASS(TField, components::TComponent)
public:
    explicit TField(components::TComponent* owner);
    ~TField() override;

    TDataSet* DataSet() const { return FDataSet; }
    const std::u16string& FieldName() const { return FFieldName; }
    void SetFieldName(const std::u16string& value);
    // The name qualified by the enclosing object fields: "Parent.Child"; an
    // array element's own name is already "Array[i]".
    std::u16string FullName() const;
    // The object (ADT or array) field this field is nested in; none for a top-level field.
    TObjectField* ParentField() const { return FParentField; }
    TFieldType DataType() const { return FDataType; }
    TFieldKind FieldKind() const { return FFieldKind; }
    int FieldNo() const { return FFieldNo; }
    int Size() const { return FSize; }
    int DataSize() const { return GetDataSize(); }
    // Bytes moved between field and dataset; never less than the bound storage may copy.
    int IOSize() const { return GetIOSize() > FWriteSize ? GetIOSize() : FWriteSize; }
    bool Calculated() const { return FFieldKind == TFieldKind::fkCalculated; }
    bool Lookup() const { return FFieldKind == TFieldKind::fkLookup; }
    TFieldLifeCycle LifeCycle() const { return FLifeCycle; }
    TFields* Fields() const { return FFields; }
    int Index() const;
    void SetIndex(int value);

    // Display properties; changing one sends a layout change through the dataset.
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool value);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value);
    bool Required() const { return FRequired; }
    void SetRequired(bool value) { FRequired = value; }
    const std::u16string& DisplayLabelValue() const { return FDisplayLabel; }
    bool HasDisplayLabel() const { return !FDisplayLabel.empty(); }
    bool HasDisplayWidth() const { return FDisplayWidth > 0; }
    std::u16string DisplayLabel() const { return DisplayName(); }
    void SetDisplayLabel(const std::u16string& value);
    std::u16string DisplayName() const { return FDisplayLabel.empty() ? FFieldName : FDisplayLabel; }
    int DisplayWidth() const { return FDisplayWidth > 0 ? FDisplayWidth : GetDefaultWidth(); }
    void SetDisplayWidth(int value);
    const std::u16string& EditMask() const { return FEditMask; }
    void SetEditMask(const std::u16string& value) { FEditMask = value; }
    const std::u16string& Origin() const { return FOrigin; }
    void SetOrigin(const std::u16string& value) { FOrigin = value; }
    TProviderFlags ProviderFlags() const { return FProviderFlags; }
    void SetProviderFlags(TProviderFlags value) { FProviderFlags = value; }
    TAutoRefreshFlag AutoGenerateValue() const { return FAutoGenerateValue; }
    void SetAutoGenerateValue(TAutoRefreshFlag value) { FAutoGenerateValue = value; }

    // Typed access through the virtual accessors.
    std::u16string AsString() const { return GetAsString(); }
    int32_t AsInteger() const { return GetAsInteger(); }
    int64_t AsLargeInt() const { return GetAsLargeInt(); }
    double AsFloat() const { return GetAsFloat(); }
    bool AsBoolean() const { return GetAsBoolean(); }
    double AsCurrency() const { return GetAsCurrency(); }
    core::TDateTime AsDateTime() const { return GetAsDateTime(); }
    uint32_t AsLongWord() const { return GetAsLongWord(); }
    float AsSingle() const { return GetAsSingle(); }
    long double AsExtended() const { return GetAsExtended(); }
    core::Bytes AsBytes() const { return GetAsBytes(); }
    std::u16string AsWideString() const { return GetAsWideString(); }
    std::u16string AsAnsiString() const { return GetAsString(); }
    core::Variant AsVariant() const { return GetAsVariant(); }
    core::Variant Value() const { return GetAsVariant(); }
    void SetValue(const core::Variant& value) { SetAsVariant(value); }
    std::u16string Text() const;
    void SetText(const std::u16string& value);
    std::u16string DisplayText() const;
    bool IsNull() const { return GetIsNull(); }
    bool CanModify() const { return GetCanModify(); }
    core::Variant OldValue() const;
    core::Variant CurValue() const;
    core::Variant NewValue() const;
    void FocusControl();
    void Assign(components::TPersistent* source) override;

    // Raw value transfer with the dataset; `buffer` of DataSize bytes.
    bool GetData(void* buffer, bool nativeFormat = true) const;
    void SetData(const void* buffer, bool nativeFormat = true);
    // Runs OnValidate with `buffer` visible as the field's value.
    void Validate(const void* buffer);
    // While a write is validated: the value being written (nullptr: null).
    const void* ValueBuffer() const { return FValueBuffer; }

    TFieldNotifyEvent OnChange, OnValidate;
    TFieldGetTextEvent OnGetText;
    TFieldSetTextEvent OnSetText;

    // Used by the dataset and the field list.
    void SetFieldNoInternal(int value) { FFieldNo = value; }
    void SetFieldsInternal(TFields* value) { FFields = value; }
    // Sets the dataset of the field and of every field nested in it.
    void SetDataSetInternal(TDataSet* value);
    void SetLifeCycleInternal(TFieldLifeCycle value) { FLifeCycle = value; }
    void SetSizeInternal(int value) { FSize = value; }
    void SetFieldTypeInternal(TFieldType value) { FDataType = value; }
    void PropertyChanged(bool layoutAffected);
    void BindField(bool binding) { Bind(binding); }
    void FreeFieldBuffers() { FreeBuffers(); }
    // The field's place in the dataset's calculated-field area (calculated and lookup fields).
    int Offset() const { return FOffset; }
    // A field read from a form description as a child of its dataset attaches to it.
    void SetParentComponent(components::TComponent* value) override;
    components::TComponent* GetParentComponent() const override;
    bool HasParent() const override { return true; }
    void ReadState(components::TReader& reader) override;

    // Virtual operations, in slot order.
    virtual void Bind(bool binding);
    virtual void CheckTypeSize(int value);
    virtual void Change();
    virtual void FreeBuffers() {}
    virtual bool GetAsBoolean() const;
    virtual core::Bytes GetAsByteArray() const { return GetAsBytes(); }
    virtual double GetAsCurrency() const { return GetAsFloat(); }
    virtual core::TDateTime GetAsDateTime() const;
    virtual float GetAsSingle() const;
    virtual double GetAsFloat() const;
    virtual long double GetAsExtended() const { return GetAsFloat(); }
    virtual int32_t GetAsInteger() const;
    virtual int64_t GetAsLargeInt() const;
    virtual uint32_t GetAsLongWord() const;
    virtual std::u16string GetAsString() const;
    virtual std::u16string GetAsWideString() const { return GetAsString(); }
    // The stored bytes as they are (DataSize bytes); empty when null.
    virtual core::Bytes GetAsBytes() const;
    virtual core::Variant GetAsVariant() const;
    virtual bool GetCanModify() const;
    virtual std::u16string GetClassDesc() const;
    virtual int GetDataSize() const { return 0; }
    virtual int GetIOSize() const { return GetDataSize(); }
    virtual int GetDefaultWidth() const { return 10; }
    virtual bool GetIsNull() const;
    virtual void GetText(std::u16string& text, bool displayText) const;
    virtual void SetAsBoolean(bool value);
    virtual void SetAsCurrency(double value) { SetAsFloat(value); }
    virtual void SetAsDateTime(core::TDateTime value);
    virtual void SetAsSingle(float value);
    virtual void SetAsFloat(double value);
    virtual void SetAsExtended(long double value) { SetAsFloat(static_cast<double>(value)); }
    virtual void SetAsInteger(int32_t value);
    virtual void SetAsLargeInt(int64_t value);
    virtual void SetAsLongWord(uint32_t value);
    virtual void SetAsString(const std::u16string& value);
    virtual void SetAsWideString(const std::u16string& value) { SetAsString(value); }
    // Stores exactly DataSize bytes; any other length is an invalid value.
    virtual void SetAsBytes(const core::Bytes& value);
    virtual void SetAsVariant(const core::Variant& value);
    virtual void SetDataSet(TDataSet* value);
    virtual void SetFieldKind(TFieldKind value);
    // Nests the field in `value`'s child list (taking its dataset), or takes it out.
    virtual void SetParentField(TObjectField* value);
    virtual void SetSize(int value);
    virtual void SetTextImpl(const std::u16string& value);
    virtual void SetVarValue(const core::Variant& value);
    virtual void Clear();
    virtual bool IsBlob() const { return false; }
    virtual bool IsValidChar(char16_t ch) const;

protected:
    friend class TFields;
    friend class TDataSet;
    friend class TObjectField;
    // Hands `value` to the dataset to store; while it does, the field's own
    // reads (OnValidate, OnChange) see that value.
    void StoreThroughDataSet(const void* value, bool nativeFormat);
    [[noreturn]] void AccessError(const char16_t* typeName) const;
    [[noreturn]] void InvalidValueError() const;
    [[noreturn]] void RangeErrorFmt(double value, double min, double max) const;
    // The dataset's shared conversion buffer, at least `size` bytes.
    uint8_t* IOBuffer(size_t size) const;
    void SetDataTypeInit(TFieldType value) { FDataType = value; }
    void SetValidChars(const char* chars);

    TAutoRefreshFlag FAutoGenerateValue = TAutoRefreshFlag::arNone;
    TDataSet* FDataSet = nullptr;
    std::u16string FFieldName;
    TFields* FFields = nullptr;
    TObjectField* FParentField = nullptr;
    TFieldType FDataType = TFieldType::ftUnknown;
    bool FReadOnly = false;
    TFieldKind FFieldKind = TFieldKind::fkData;
    TAlignment FAlignment = TAlignment::taLeftJustify;
    bool FVisible = true;
    bool FRequired = false;
    bool FValidating = false;
    int FSize = 0;
    int FOffset = 0;
    int FFieldNo = 0;
    int FDisplayWidth = 0;
    std::u16string FDisplayLabel;
    std::u16string FEditMask;
    const void* FValueBuffer = nullptr;
    std::vector<uint8_t> FWriteBuffer;
    int FWriteSize = 0; // bytes a written value is padded to for the bound storage
    std::u16string FOrigin;
    TProviderFlags FProviderFlags{TProviderFlag::pfInUpdate, TProviderFlag::pfInWhere};
    uint64_t FValidChars[4] = {0, 0, 0, 0};
    TFieldLifeCycle FLifeCycle = TFieldLifeCycle::lcPersistent;
};

using TFieldClass = const components::ClassInfo*;

} // namespace data
