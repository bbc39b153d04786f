#pragma once
// Small stand-ins for the classes the main form's description names: they
// publish the same properties, log their creation and Loaded calls, and
// stream themselves through the reader and writer.
#include <string>
#include <vector>

#include "components/collection.h"
#include "components/component.h"
#include "components/reader.h"
#include "components/writer.h"
#include "core/color.h"

namespace standins {

using namespace components;

struct Log {
    std::vector<TComponent*> Created;
    std::vector<std::u16string> Loaded;
    std::vector<std::u16string> LoadedWhileNotLoading; // Loaded without csLoading set: a fault
    std::vector<std::u16string> Events;
    bool ReferencesSetBeforeLoaded = false; // at the root's Loaded
    void Clear() { *this = Log(); }
};
Log& TheLog();

enum class TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };

class TTestFont : public TPersistent {
    DECLARE_CLASS(TTestFont, TPersistent)
public:
    int32_t Charset = core::DEFAULT_CHARSET;
    int32_t Color = core::clWindowText;
    int32_t Height = -11;
    std::u16string Name = u"Tahoma";
    TSet<TFontStyle> Style;
};

// Streams itself; keeps its parent component; logs creation and Loaded.
class TStandIn : public TComponent {
    DECLARE_CLASS(TStandIn, TComponent)
public:
    explicit TStandIn(TComponent* owner);
    void ReadState(TReader& reader) override { reader.ReadData(this); }
    void WriteState(TWriter& writer) override { writer.WriteData(this); }
    void Loaded() override;
    TComponent* GetParentComponent() const override { return FParentComp; }
    void SetParentComponent(TComponent* value) override { FParentComp = value; }
    bool HasParent() const override { return true; }
    // Children of a container: the root's components whose parent is this one.
    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;
    virtual bool IsContainer() const { return false; }

private:
    TComponent* FParentComp = nullptr;
};

// Non-visual: its design position travels as the defined properties Left and Top.
class TNonVisual : public TStandIn {
    DECLARE_CLASS(TNonVisual, TStandIn)
public:
    using TStandIn::TStandIn;

protected:
    void DefineProperties(TFiler& filer) override;
};

class TClientDataSet;

class TDataSource : public TNonVisual {
    DECLARE_CLASS(TDataSource, TNonVisual)
public:
    using TNonVisual::TNonVisual;
    TComponent* DataSet = nullptr;
};

class TPacketHolder : public TPersistent {
    DECLARE_CLASS(TPacketHolder, TPersistent)
public:
    std::vector<uint8_t> Data;

protected:
    void DefineProperties(TFiler& filer) override;
};

class TParamItem : public TCollectionItem {
    DECLARE_CLASS(TParamItem, TCollectionItem)
public:
    using TCollectionItem::TCollectionItem;
    std::u16string Name;
};

class TClientDataSet : public TNonVisual {
    DECLARE_CLASS(TClientDataSet, TNonVisual)
public:
    explicit TClientDataSet(TComponent* owner);
    TPacketHolder* PersistDataPacket() const { return FPacket.get(); }
    bool Active() const { return FActive; }
    void SetActive(bool v);
    void Loaded() override;
    bool IsContainer() const override { return true; }
    TCollection* Aggregates() const { return FAggregates.get(); }
    TCollection* Params() const { return FParams.get(); }
    bool StreamedActive = false;

private:
    std::unique_ptr<TPacketHolder> FPacket = std::make_unique<TPacketHolder>();
    std::unique_ptr<TCollection> FAggregates;
    std::unique_ptr<TCollection> FParams;
    bool FActive = false;
};

class TField : public TStandIn {
    DECLARE_CLASS(TField, TStandIn)
public:
    using TStandIn::TStandIn;
    std::u16string FieldName;
};

class TIntegerField : public TField {
    DECLARE_CLASS(TIntegerField, TField)
public:
    using TField::TField;
};

class TStringField : public TField {
    DECLARE_CLASS(TStringField, TField)
public:
    using TField::TField;
    int32_t Size = 20;
};

class TDBGrid : public TStandIn {
    DECLARE_CLASS(TDBGrid, TStandIn)
public:
    using TStandIn::TStandIn;
    int32_t Left = 0, Top = 0, Width = 0, Height = 0, TabOrder = -1;
    TDataSource* DataSource = nullptr;
    TTestFont* TitleFont() const { return FTitleFont.get(); }

private:
    std::unique_ptr<TTestFont> FTitleFont = std::make_unique<TTestFont>();
};

class TDatePicker : public TStandIn {
    DECLARE_CLASS(TDatePicker, TStandIn)
public:
    using TStandIn::TStandIn;
    int32_t Left = 0, Top = 0, TabOrder = -1;
    double Date = 0;
    std::u16string DateFormat;
    TTestFont* Font() const { return FFont.get(); }

private:
    std::unique_ptr<TTestFont> FFont = std::make_unique<TTestFont>();
};

class TForm1 : public TStandIn {
    DECLARE_CLASS(TForm1, TStandIn)
public:
    using TStandIn::TStandIn;
    int32_t Left = 0, Top = 0, ClientHeight = 0, ClientWidth = 0, PixelsPerInch = 96;
    std::u16string Caption;
    int32_t Color = core::clBtnFace;
    bool OldCreateOrder = true;
    int32_t TextHeight = 0;
    int32_t ReadOnlyValue() const { return 0; }
    core::Closure<void(TObject*)> OnClick;
    void FormClick(TObject*) {}
    TTestFont* Font() const { return FFont.get(); }

    TDBGrid* DBGrid1 = nullptr;
    TDatePicker* DatePicker1 = nullptr;
    TDataSource* DataSource1 = nullptr;
    TClientDataSet* ClientDataSet1 = nullptr;
    TIntegerField* ClientDataSet1codigo = nullptr;
    TStringField* ClientDataSet1nome = nullptr;

    void Loaded() override;
    bool IsContainer() const override { return true; }

protected:
    void DefineProperties(TFiler& filer) override;

private:
    std::unique_ptr<TTestFont> FFont = std::make_unique<TTestFont>();
};

} // namespace standins

DECLARE_ENUM_NAMES(standins::TFontStyle, u"fsBold", u"fsItalic", u"fsUnderline", u"fsStrikeOut");
