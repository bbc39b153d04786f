// The published properties of TForm, in the order form descriptions store them.
#include "components/filer.h"
#include "components/reader.h"
#include "components/writer.h"
#include "controls/form.h"

namespace controls {

using namespace components;

DEFINE_CLASS(TForm)
    .Property(u"ActiveControl", &TForm::ActiveControl, &TForm::SetActiveControl).Stored(&TForm::IsActiveControlStored)
    .Property(u"Caption", &TForm::Caption, &TForm::SetCaption)
    .Property(u"ClientHeight", &TForm::ClientHeightValue, &TForm::SetClientHeight)
    .Property(u"ClientWidth", &TForm::ClientWidthValue, &TForm::SetClientWidth)
    .Property(u"Color", &TForm::Color, &TForm::SetColor).Idents(ColorIdents).Stored(&TForm::IsColorStored)
    .Property(u"Enabled", &TForm::Enabled, &TForm::SetEnabled).Default(1)
    .Property(u"ParentFont", &TForm::ParentFont, &TForm::SetParentFont).Default(0)
    .Property(u"Font", &TForm::Font, &TForm::SetFont).Stored(&TForm::IsFontStored)
    .Property(u"KeyPreview", &TForm::KeyPreview, &TForm::SetKeyPreview).Default(0)
    .Property(u"OldCreateOrder", &TForm::OldCreateOrder, &TForm::SetOldCreateOrder)
    .Property(u"PixelsPerInch", &TForm::PixelsPerInch, &TForm::SetPixelsPerInch)
    .Property(u"Position", &TForm::Position, &TForm::SetPosition).Default(static_cast<int>(TPosition::poDefaultPosOnly))
    .Property(u"Scaled", &TForm::Scaled, &TForm::SetScaled).Default(1)
    .Property(u"Visible", &TForm::Visible, &TForm::SetVisible).Default(0)
    .Property(u"OnActivate", &TForm::OnActivate, &TForm::OnActivate)
    .Property(u"OnClose", &TForm::OnClose, &TForm::OnClose)
    .Property(u"OnCloseQuery", &TForm::OnCloseQuery, &TForm::OnCloseQuery)
    .Property(u"OnCreate", &TForm::OnCreate, &TForm::OnCreate)
    .Property(u"OnDeactivate", &TForm::OnDeactivate, &TForm::OnDeactivate)
    .Property(u"OnDestroy", &TForm::OnDestroy, &TForm::OnDestroy)
    .Property(u"OnHide", &TForm::OnHide, &TForm::OnHide)
    .Property(u"OnKeyDown", &TForm::OnKeyDown, &TForm::OnKeyDown)
    .Property(u"OnKeyPress", &TForm::OnKeyPress, &TForm::OnKeyPress)
    .Property(u"OnKeyUp", &TForm::OnKeyUp, &TForm::OnKeyUp)
    .Property(u"OnShow", &TForm::OnShow, &TForm::OnShow)
END_CLASS

void TForm::DefineProperties(TFiler& filer)
{
    TCustomForm::DefineProperties(filer);
    // The text height of the form's font at design time: kept, not used.
    filer.DefineProperty(
        u"TextHeight", [this](TReader& r) { SetTextHeight(r.ReadInteger()); },
        [this](TWriter& w) { w.WriteInteger(TextHeight()); }, true);
}

} // namespace controls
