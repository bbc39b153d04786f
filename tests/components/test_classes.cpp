#include "test_classes.h"

namespace testing_components {

void TTestFont::Assign(TPersistent* source)
{
    if (auto* f = dynamic_cast<TTestFont*>(source)) {
        FName = f->FName;
        FHeight = f->FHeight;
        FColor = f->FColor;
        FCharset = f->FCharset;
        FStyle = f->FStyle;
        return;
    }
    TPersistent::Assign(source);
}

void TTestColumn::Assign(TPersistent* source)
{
    if (auto* c = dynamic_cast<TTestColumn*>(source)) {
        FFieldName = c->FFieldName;
        return;
    }
    TCollectionItem::Assign(source);
}

TTestControl::TTestControl(TComponent* owner)
    : TComponent(owner), FFont(std::make_unique<TTestFont>()),
      FColumns(std::make_unique<TOwnedCollection>(this, TTestColumn::StaticClass()))
{
    FFont->FOwner = this;
}

TTestControl::~TTestControl() { SetBuddy(nullptr); }

void TTestControl::SetBuddy(TTestControl* value)
{
    if (value == FBuddy)
        return;
    if (FBuddy)
        FBuddy->RemoveFreeNotification(this);
    FBuddy = value;
    if (FBuddy)
        FBuddy->FreeNotification(this);
}

void TTestControl::Notification(TComponent* component, TOperation operation)
{
    TComponent::Notification(component, operation);
    Heard.push_back((operation == TOperation::opInsert ? u"ins:" : u"rem:") + component->Name());
    if (operation == TOperation::opRemove && component == FBuddy)
        FBuddy = nullptr;
}

} // namespace testing_components

using namespace testing_components;

DEFINE_CLASS(TTestFont)
    .Property(u"Name", &TTestFont::FName, &TTestFont::FName)
    .Property(u"Height", &TTestFont::FHeight, &TTestFont::FHeight).Default(-11)
    .Property(u"Color", &TTestFont::FColor, &TTestFont::FColor).Idents(ColorIdents).Default(core::clWindowText)
    .Property(u"Charset", &TTestFont::FCharset, &TTestFont::FCharset).Idents(CharsetIdents).Default(core::DEFAULT_CHARSET)
    .Property(u"Style", &TTestFont::FStyle, &TTestFont::FStyle).Default(0)
END_CLASS

DEFINE_CLASS(TTestColumn)
    .Factory([](TObject* c) -> TObject* { return new TTestColumn(dynamic_cast<TCollection*>(c)); })
    .Property(u"FieldName", &TTestColumn::FFieldName, &TTestColumn::FFieldName)
END_CLASS

DEFINE_CLASS(TTestControl)
    .Property(u"Width", &TTestControl::Width, &TTestControl::SetWidth).Default(0)
    .Property(u"Align", &TTestControl::FAlign, &TTestControl::FAlign).Default(0)
    .Property(u"Visible", &TTestControl::FVisible, &TTestControl::FVisible).Default(1)
    .Property(u"Ratio", &TTestControl::FRatio, &TTestControl::FRatio)
    .Property(u"Caption", &TTestControl::FCaption, &TTestControl::FCaption)
    .Property(u"Big", &TTestControl::FBig, &TTestControl::FBig)
    .Property(u"Value", &TTestControl::FValue, &TTestControl::FValue)
    .Property(u"Font", &TTestControl::Font, nullptr)
    .Property(u"Columns", &TTestControl::Columns, nullptr)
    .Property(u"Buddy", &TTestControl::Buddy, &TTestControl::SetBuddy)
    .Property(u"OnClick", &TTestControl::FOnClick, &TTestControl::FOnClick)
END_CLASS

DEFINE_CLASS(TTestForm)
    .Field(u"Button1", &TTestForm::Button1)
    .Field(u"Edit1", &TTestForm::Edit1)
    .Method(u"Button1Click", &TTestForm::Button1Click)
    .Method(u"CountOnly", &TTestForm::CountOnly)
END_CLASS
