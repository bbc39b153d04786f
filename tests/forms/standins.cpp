#include "standins.h"

#include <cstring>

#include "components/reader.h"
#include "components/writer.h"

namespace standins {

Log& TheLog()
{
    static Log log;
    return log;
}

DEFINE_CLASS(TTestFont)
    .Property(u"Charset", &TTestFont::Charset, &TTestFont::Charset).Idents(CharsetIdents)
    .Property(u"Color", &TTestFont::Color, &TTestFont::Color).Idents(ColorIdents)
    .Property(u"Height", &TTestFont::Height, &TTestFont::Height)
    .Property(u"Name", &TTestFont::Name, &TTestFont::Name)
    .Property(u"Style", &TTestFont::Style, &TTestFont::Style)
END_CLASS

TStandIn::TStandIn(TComponent* owner) : TComponent(owner)
{
    TheLog().Created.push_back(this);
}

void TStandIn::Loaded()
{
    TheLog().Loaded.push_back(Name());
    if (!InState(TComponentState::csLoading))
        TheLog().LoadedWhileNotLoading.push_back(Name());
    TComponent::Loaded();
}

void TStandIn::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root)
{
    if (!IsContainer())
        return;
    TComponent* owner = root ? root : this;
    for (int i = 0; owner && i < owner->ComponentCount(); ++i) {
        TComponent* c = owner->Components(i);
        if (c->GetParentComponent() == this)
            proc(c);
    }
}

DEFINE_CLASS(TStandIn)
END_CLASS

void TNonVisual::DefineProperties(TFiler& filer)
{
    auto half = [this](bool top) {
        const auto bits = static_cast<uint32_t>(DesignInfo());
        return static_cast<int16_t>(top ? bits >> 16 : bits & 0xFFFF);
    };
    auto setHalf = [this](bool top, int32_t v) {
        auto bits = static_cast<uint32_t>(DesignInfo());
        const auto h = static_cast<uint32_t>(static_cast<uint16_t>(v));
        bits = top ? (bits & 0xFFFFu) | h << 16 : (bits & 0xFFFF0000u) | h;
        SetDesignInfo(static_cast<int32_t>(bits));
    };
    filer.DefineProperty(
        u"Left", [setHalf](TReader& r) { setHalf(false, r.ReadInteger()); },
        [half](TWriter& w) { w.WriteInteger(half(false)); }, half(false) != 0);
    filer.DefineProperty(
        u"Top", [setHalf](TReader& r) { setHalf(true, r.ReadInteger()); },
        [half](TWriter& w) { w.WriteInteger(half(true)); }, half(true) != 0);
}

DEFINE_CLASS(TNonVisual)
END_CLASS

DEFINE_CLASS(TDataSource)
    .Property(u"DataSet", &TDataSource::DataSet, &TDataSource::DataSet)
END_CLASS

void TPacketHolder::DefineProperties(TFiler& filer)
{
    filer.DefineBinaryProperty(
        u"Data",
        [this](core::TStream& s) {
            Data.resize(static_cast<size_t>(s.Size()));
            s.ReadBuffer(Data.data(), Data.size());
        },
        [this](core::TStream& s) { s.WriteBuffer(Data.data(), Data.size()); }, !Data.empty());
}

DEFINE_CLASS(TPacketHolder)
END_CLASS

DEFINE_CLASS(TParamItem)
    .Factory([](TObject* c) -> TObject* { return new TParamItem(static_cast<TCollection*>(c)); })
    .Property(u"Name", &TParamItem::Name, &TParamItem::Name)
END_CLASS

TClientDataSet::TClientDataSet(TComponent* owner)
    : TNonVisual(owner), FAggregates(std::make_unique<TOwnedCollection>(this, TParamItem::StaticClass())),
      FParams(std::make_unique<TOwnedCollection>(this, TParamItem::StaticClass()))
{
}

void TClientDataSet::SetActive(bool v)
{
    if (InState(TComponentState::csLoading))
        StreamedActive = v; // opened in Loaded
    else
        FActive = v;
}

void TClientDataSet::Loaded()
{
    TNonVisual::Loaded();
    FActive = StreamedActive; // the data set opens once everything is read
}

DEFINE_CLASS(TClientDataSet)
    .Property(u"PersistDataPacket", &TClientDataSet::PersistDataPacket, nullptr)
    .Property(u"Active", &TClientDataSet::Active, &TClientDataSet::SetActive).Default(0)
    .Property(u"Aggregates", &TClientDataSet::Aggregates, nullptr)
    .Property(u"Params", &TClientDataSet::Params, nullptr)
END_CLASS

DEFINE_CLASS(TField)
    .Property(u"FieldName", &TField::FieldName, &TField::FieldName)
END_CLASS

DEFINE_CLASS(TIntegerField)
END_CLASS

DEFINE_CLASS(TStringField)
    .Property(u"Size", &TStringField::Size, &TStringField::Size).Default(20)
END_CLASS

DEFINE_CLASS(TDBGrid)
    .Property(u"Left", &TDBGrid::Left, &TDBGrid::Left)
    .Property(u"Top", &TDBGrid::Top, &TDBGrid::Top)
    .Property(u"Width", &TDBGrid::Width, &TDBGrid::Width)
    .Property(u"Height", &TDBGrid::Height, &TDBGrid::Height)
    .Property(u"DataSource", &TDBGrid::DataSource, &TDBGrid::DataSource)
    .Property(u"TabOrder", &TDBGrid::TabOrder, &TDBGrid::TabOrder).Default(-1)
    .Property(u"TitleFont", &TDBGrid::TitleFont, nullptr)
END_CLASS

DEFINE_CLASS(TDatePicker)
    .Property(u"Left", &TDatePicker::Left, &TDatePicker::Left)
    .Property(u"Top", &TDatePicker::Top, &TDatePicker::Top)
    .Property(u"Date", &TDatePicker::Date, &TDatePicker::Date)
    .Property(u"DateFormat", &TDatePicker::DateFormat, &TDatePicker::DateFormat)
    .Property(u"Font", &TDatePicker::Font, nullptr)
    .Property(u"TabOrder", &TDatePicker::TabOrder, &TDatePicker::TabOrder).Default(-1)
END_CLASS

void TForm1::Loaded()
{
    TheLog().ReferencesSetBeforeLoaded = DBGrid1 && DataSource1 && DBGrid1->DataSource == DataSource1 &&
                                         DataSource1->DataSet == ClientDataSet1 && ClientDataSet1;
    TStandIn::Loaded();
}

void TForm1::DefineProperties(TFiler& filer)
{
    filer.DefineProperty(
        u"TextHeight", [this](TReader& r) { TextHeight = r.ReadInteger(); },
        [this](TWriter& w) { w.WriteInteger(TextHeight); }, true);
}

DEFINE_CLASS(TForm1)
    .Property(u"Left", &TForm1::Left, &TForm1::Left)
    .Property(u"Top", &TForm1::Top, &TForm1::Top)
    .Property(u"Caption", &TForm1::Caption, &TForm1::Caption)
    .Property(u"ClientHeight", &TForm1::ClientHeight, &TForm1::ClientHeight)
    .Property(u"ClientWidth", &TForm1::ClientWidth, &TForm1::ClientWidth)
    .Property(u"Color", &TForm1::Color, &TForm1::Color).Idents(ColorIdents)
    .Property(u"Font", &TForm1::Font, nullptr)
    .Property(u"OldCreateOrder", &TForm1::OldCreateOrder, &TForm1::OldCreateOrder)
    .Property(u"PixelsPerInch", &TForm1::PixelsPerInch, &TForm1::PixelsPerInch)
    .Property(u"ReadOnlyValue", &TForm1::ReadOnlyValue, nullptr).Stored(false)
    .Property(u"OnClick", &TForm1::OnClick, &TForm1::OnClick)
    .Method(u"FormClick", &TForm1::FormClick)
    .Field(u"DBGrid1", &TForm1::DBGrid1)
    .Field(u"DatePicker1", &TForm1::DatePicker1)
    .Field(u"DataSource1", &TForm1::DataSource1)
    .Field(u"ClientDataSet1", &TForm1::ClientDataSet1)
    .Field(u"ClientDataSet1codigo", &TForm1::ClientDataSet1codigo)
    .Field(u"ClientDataSet1nome", &TForm1::ClientDataSet1nome)
END_CLASS

} // namespace standins
