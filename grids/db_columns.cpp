// Columns and titles of the data grid: defaults taken from the field and the
// grid, the write-through of dynamic columns, and column layout files.
#include "grids/db_columns.h"

#include <algorithm>

#include "components/reader.h"
#include "components/writer.h"
#include "core/ustring.h"
#include "data/dataset.h"
#include "data/field.h"
#include "grids/db_grid.h"
#include "platform/syscolors.h"

namespace grids {

using namespace components;
using TFieldAlignment = data::TAlignment;

// ---- TColumnTitle ----------------------------------------------------------------------------

TColumnTitle::TColumnTitle(TColumn* column) : FColumn(column), FFont(std::make_unique<controls::TFont>())
{
    FFont->OnChange = core::Closure<void(TObject*)>(this, &TColumnTitle::FontChanged);
}

TPersistent* TColumnTitle::GetOwner() const { return FColumn; }

void TColumnTitle::FontChanged(TObject*)
{
    if (FRefreshing || !FColumn)
        return;
    FColumn->FAssignedValues.Include(TColumnValue::cvTitleFont);
    FColumn->Changed(false);
}

std::u16string TColumnTitle::DefaultCaption() const
{
    if (!FColumn)
        return {};
    if (data::TField* f = FColumn->Field())
        return f->DisplayName();
    return FColumn->FieldName();
}

std::u16string TColumnTitle::Caption() const
{
    if (FColumn && FColumn->FAssignedValues.Contains(TColumnValue::cvTitleCaption))
        return FCaption;
    return DefaultCaption();
}

void TColumnTitle::SetCaption(const std::u16string& value)
{
    if (!FColumn)
        return;
    TColumn& c = *FColumn;
    // A dynamic column's caption is the field's label.
    if (!c.Stored() && c.Grid() && c.Grid()->DataLink()->Active() && c.Field()) {
        c.Field()->SetDisplayLabel(value);
        return;
    }
    if (c.FAssignedValues.Contains(TColumnValue::cvTitleCaption) && value == FCaption)
        return;
    FCaption = value;
    c.FAssignedValues.Include(TColumnValue::cvTitleCaption);
    c.Changed(false);
}

TFieldAlignment TColumnTitle::Alignment() const
{
    if (FColumn && FColumn->FAssignedValues.Contains(TColumnValue::cvTitleAlignment))
        return FAlignment;
    return TFieldAlignment::taLeftJustify;
}

void TColumnTitle::SetAlignment(TFieldAlignment value)
{
    if (!FColumn || (FColumn->FAssignedValues.Contains(TColumnValue::cvTitleAlignment) && value == FAlignment))
        return;
    FAlignment = value;
    FColumn->FAssignedValues.Include(TColumnValue::cvTitleAlignment);
    FColumn->Changed(false);
}

core::TColor TColumnTitle::DefaultColor() const
{
    TCustomDBGrid* g = FColumn ? FColumn->Grid() : nullptr;
    return g ? g->FixedColor() : core::clBtnFace;
}

core::TColor TColumnTitle::Color() const
{
    if (FColumn && FColumn->FAssignedValues.Contains(TColumnValue::cvTitleColor))
        return FColor;
    return DefaultColor();
}

void TColumnTitle::SetColor(core::TColor value)
{
    if (!FColumn || (FColumn->FAssignedValues.Contains(TColumnValue::cvTitleColor) && value == FColor))
        return;
    FColor = value;
    FColumn->FAssignedValues.Include(TColumnValue::cvTitleColor);
    FColumn->Changed(false);
}

controls::TFont* TColumnTitle::Font() const
{
    if (FColumn && !FColumn->FAssignedValues.Contains(TColumnValue::cvTitleFont)) {
        TCustomDBGrid* g = FColumn->Grid();
        controls::TFont* def = g ? g->TitleFont() : FColumn->Font();
        if (!FFont->Equals(*def)) {
            auto* self = const_cast<TColumnTitle*>(this);
            self->FRefreshing = true;
            self->FFont->Assign(def);
            self->FRefreshing = false;
        }
    }
    return FFont.get();
}

void TColumnTitle::SetFont(controls::TFont* value)
{
    if (value)
        FFont->Assign(value);  // the change handler marks it assigned
}

void TColumnTitle::RestoreDefaults()
{
    if (!FColumn)
        return;
    const bool hadFont = FColumn->FAssignedValues.Contains(TColumnValue::cvTitleFont);
    FColumn->FAssignedValues = FColumn->FAssignedValues -
                               TColumnValues{TColumnValue::cvTitleColor, TColumnValue::cvTitleCaption,
                                             TColumnValue::cvTitleAlignment, TColumnValue::cvTitleFont};
    FCaption.clear();
    Font();
    FColumn->Changed(hadFont);
}

void TColumnTitle::Assign(TPersistent* source)
{
    auto* t = dynamic_cast<TColumnTitle*>(source);
    if (!t || !t->FColumn) {
        TPersistent::Assign(source);
        return;
    }
    const TColumnValues v = t->FColumn->FAssignedValues;
    if (v.Contains(TColumnValue::cvTitleAlignment))
        SetAlignment(t->Alignment());
    if (v.Contains(TColumnValue::cvTitleColor))
        SetColor(t->Color());
    if (v.Contains(TColumnValue::cvTitleCaption))
        SetCaption(t->Caption());
    if (v.Contains(TColumnValue::cvTitleFont))
        SetFont(t->Font());
}

bool TColumnTitle::IsCaptionStored() const
{
    return FColumn && FColumn->FAssignedValues.Contains(TColumnValue::cvTitleCaption) && FCaption != DefaultCaption();
}
bool TColumnTitle::IsAlignmentStored() const
{
    return FColumn && FColumn->FAssignedValues.Contains(TColumnValue::cvTitleAlignment) &&
           FAlignment != TFieldAlignment::taLeftJustify;
}
bool TColumnTitle::IsColorStored() const
{
    return FColumn && FColumn->FAssignedValues.Contains(TColumnValue::cvTitleColor) && FColor != DefaultColor();
}
bool TColumnTitle::IsFontStored() const
{
    return FColumn && FColumn->FAssignedValues.Contains(TColumnValue::cvTitleFont);
}

DEFINE_CLASS(TColumnTitle)
    .Property(u"Alignment", &TColumnTitle::Alignment, &TColumnTitle::SetAlignment)
        .Stored(&TColumnTitle::IsAlignmentStored)
    .Property(u"Caption", &TColumnTitle::Caption, &TColumnTitle::SetCaption).Stored(&TColumnTitle::IsCaptionStored)
    .Property(u"Color", &TColumnTitle::Color, &TColumnTitle::SetColor)
        .Idents(ColorIdents).Stored(&TColumnTitle::IsColorStored)
    .Property(u"Font", &TColumnTitle::Font, &TColumnTitle::SetFont).Stored(&TColumnTitle::IsFontStored)
END_CLASS

// ---- TColumn ---------------------------------------------------------------------------------

TColumn::TColumn(TCollection* collection)
    : TCollectionItem(collection), FTitle(std::make_unique<TColumnTitle>(this)),
      FFont(std::make_unique<controls::TFont>())
{
    FFont->OnChange = core::Closure<void(TObject*)>(this, &TColumn::FontChanged);
    RefreshDefaultFont();
}

TColumn::~TColumn()
{
    if (TCustomDBGrid* g = Grid(); g && FField && !g->InState(TComponentState::csDestroying))
        g->RemoveFreeNotification(FField);
}

TCustomDBGrid* TColumn::Grid() const
{
    auto* cols = dynamic_cast<TDBGridColumns*>(Collection());
    return cols ? cols->Grid() : nullptr;
}

std::u16string TColumn::GetDisplayName() const
{
    return FFieldName.empty() ? TCollectionItem::GetDisplayName() : FFieldName;
}

data::TField* TColumn::Field() const
{
    if (!FField && !FFieldName.empty()) {
        TCustomDBGrid* g = Grid();
        data::TDataSet* ds = g ? g->DataLink()->DataSet() : nullptr;
        if (ds && (ds->Active() || !ds->DefaultFields()))
            if (data::TField* f = ds->FindField(FFieldName))
                const_cast<TColumn*>(this)->SetField(f);
    }
    return FField;
}

void TColumn::SetField(data::TField* value)
{
    if (value == FField)
        return;
    TCustomDBGrid* g = Grid();
    if (FField && g)
        g->RemoveFreeNotification(FField);
    if (value && value->InState(TComponentState::csDestroying))
        value = nullptr;
    FField = value;
    if (value) {
        if (g)
            g->FreeNotification(value);
        FFieldName = value->FullName();
    }
    if (!FStored) {
        if (!value)
            FFieldName.clear();
        RestoreDefaults();
    }
    Changed(false);
}

void TColumn::SetFieldName(const std::u16string& value)
{
    data::TField* f = nullptr;
    TCustomDBGrid* g = Grid();
    if (g && g->DataLink()->DataSet() && !g->InState(TComponentState::csLoading) && !value.empty())
        f = g->DataLink()->DataSet()->FindField(value);
    FFieldName = value;
    SetField(f);
    Changed(false);
}

TFieldAlignment TColumn::DefaultAlignment() const
{
    data::TField* f = Field();
    return f ? f->Alignment() : TFieldAlignment::taLeftJustify;
}

TFieldAlignment TColumn::Alignment() const
{
    return FAssignedValues.Contains(TColumnValue::cvAlignment) ? FAlignment : DefaultAlignment();
}

void TColumn::SetAlignment(TFieldAlignment value)
{
    if (!FStored) {
        if (TCustomDBGrid* g = Grid(); g && g->DataLink()->Active() && Field())
            Field()->SetAlignment(value);
        return;
    }
    if (FAssignedValues.Contains(TColumnValue::cvAlignment) && value == FAlignment)
        return;
    FAlignment = value;
    FAssignedValues.Include(TColumnValue::cvAlignment);
    Changed(false);
}

core::TColor TColumn::DefaultColor() const
{
    TCustomDBGrid* g = Grid();
    return g ? g->Color() : core::clWindow;
}

core::TColor TColumn::Color() const
{
    return FAssignedValues.Contains(TColumnValue::cvColor) ? FColor : DefaultColor();
}

void TColumn::SetColor(core::TColor value)
{
    if (FAssignedValues.Contains(TColumnValue::cvColor) && value == FColor)
        return;
    FColor = value;
    FAssignedValues.Include(TColumnValue::cvColor);
    Changed(false);
}

controls::TFont* TColumn::DefaultFont() const
{
    TCustomDBGrid* g = Grid();
    return g ? g->Font() : FFont.get();
}

void TColumn::RefreshDefaultFont()
{
    if (FAssignedValues.Contains(TColumnValue::cvFont))
        return;
    controls::TFont* def = DefaultFont();
    if (def != FFont.get() && !FFont->Equals(*def)) {
        FRefreshing = true;
        FFont->Assign(def);
        FRefreshing = false;
    }
}

controls::TFont* TColumn::Font() const
{
    const_cast<TColumn*>(this)->RefreshDefaultFont();
    return FFont.get();
}

void TColumn::SetFont(controls::TFont* value)
{
    if (value)
        FFont->Assign(value);
}

void TColumn::FontChanged(TObject*)
{
    if (FRefreshing)
        return;
    FAssignedValues.Include(TColumnValue::cvFont);
    Changed(false);
}

int TColumn::DefaultWidth() const
{
    if (!Showing())
        return -1;
    TCustomDBGrid* g = Grid();
    if (!g)
        return 64;
    data::TField* f = Field();
    if (!f)
        return g->DefaultColWidth();
    return g->CalcColWidth(f->DisplayWidth(), FTitle->Caption(), this);
}

int TColumn::Width() const
{
    if (!Showing())
        return -1;
    return FAssignedValues.Contains(TColumnValue::cvWidth) ? FWidth : DefaultWidth();
}

bool TColumn::GridUpdatesFields() const
{
    TCustomDBGrid* g = Grid();
    return g && g->HandleAllocated() && g->UpdateFields();
}

void TColumn::SetWidth(int value)
{
    if (!FStored) {
        TCustomDBGrid* g = Grid();
        data::TField* f = Field();
        if (f && GridUpdatesFields() && value > 0) {
            const int len = g->ColWidthToTextLength(value, Font());
            if (len > 0 && len != f->DisplayWidth())
                f->SetDisplayWidth(len);
        }
        if (g && g->LayoutFromDataset() && !FAssignedValues.Contains(TColumnValue::cvWidth))
            return;
    }
    if (value == -1)
        return;
    if (FAssignedValues.Contains(TColumnValue::cvWidth) || value != DefaultWidth()) {
        FWidth = value;
        FAssignedValues.Include(TColumnValue::cvWidth);
    }
    Changed(false);
}

bool TColumn::DefaultReadOnly() const
{
    TCustomDBGrid* g = Grid();
    data::TField* f = Field();
    return (g && g->ReadOnly()) || (f && f->ReadOnly());
}

bool TColumn::ReadOnly() const
{
    return FAssignedValues.Contains(TColumnValue::cvReadOnly) ? FReadOnly : DefaultReadOnly();
}

void TColumn::SetReadOnly(bool value)
{
    if (!FStored) {
        if (TCustomDBGrid* g = Grid(); g && g->DataLink()->Active() && Field())
            Field()->SetReadOnly(value);
        return;
    }
    if (FAssignedValues.Contains(TColumnValue::cvReadOnly) && value == FReadOnly)
        return;
    FReadOnly = value;
    FAssignedValues.Include(TColumnValue::cvReadOnly);
    Changed(false);
}

void TColumn::SetVisible(bool value)
{
    if (value == FVisible)
        return;
    FVisible = value;
    Changed(true);
}

void TColumn::SetExpanded(bool value)
{
    if (value == FExpanded)
        return;
    FExpanded = value;
    Changed(true);
}

void TColumn::SetIndex(int value)
{
    TCustomDBGrid* g = Grid();
    if (!FStored && g && g->DataLink()->Active() && Collection() && value >= 0 && value < Collection()->Count()) {
        // The dataset's field order follows a dynamic column's move.
        data::TField* target = static_cast<TColumn*>(Collection()->Items(value))->Field();
        data::TField* mine = Field();
        if (target && mine && g->AcquireLayoutLock()) {
            try {
                mine->SetIndex(target->Index());
            } catch (...) {
                g->EndLayout();
                throw;
            }
            g->EndLayout();
        }
    }
    TCollectionItem::SetIndex(value);
}

void TColumn::RestoreDefaults()
{
    const bool hadFont = FAssignedValues.Contains(TColumnValue::cvFont);
    FTitle->RestoreDefaults();
    FAssignedValues = {};
    RefreshDefaultFont();
    FPickList.clear();
    FButtonStyle = TColumnButtonStyle::cbsAuto;
    Changed(hadFont);
}

void TColumn::Assign(TPersistent* source)
{
    auto* c = dynamic_cast<TColumn*>(source);
    if (!c) {
        TCollectionItem::Assign(source);
        return;
    }
    if (Collection())
        Collection()->BeginUpdate();
    try {
        RestoreDefaults();
        FFieldName = c->FieldName();
        const TColumnValues v = c->FAssignedValues;
        if (v.Contains(TColumnValue::cvColor))
            SetColor(c->Color());
        if (v.Contains(TColumnValue::cvWidth)) {
            FWidth = c->FWidth;
            FAssignedValues.Include(TColumnValue::cvWidth);
        }
        if (v.Contains(TColumnValue::cvFont))
            SetFont(c->Font());
        if (v.Contains(TColumnValue::cvAlignment)) {
            FAlignment = c->FAlignment;
            FAssignedValues.Include(TColumnValue::cvAlignment);
        }
        if (v.Contains(TColumnValue::cvReadOnly)) {
            FReadOnly = c->FReadOnly;
            FAssignedValues.Include(TColumnValue::cvReadOnly);
        }
        FTitle->Assign(c->Title());
        FDropDownRows = c->FDropDownRows;
        FButtonStyle = c->FButtonStyle;
        FPickList = c->FPickList;
        FVisible = c->FVisible;
        FExpanded = c->FExpanded;
    } catch (...) {
        if (Collection())
            Collection()->EndUpdate();
        throw;
    }
    if (Collection())
        Collection()->EndUpdate();
}

bool TColumn::IsAlignmentStored() const
{
    return FAssignedValues.Contains(TColumnValue::cvAlignment) && FAlignment != DefaultAlignment();
}
bool TColumn::IsColorStored() const
{
    return FAssignedValues.Contains(TColumnValue::cvColor) && FColor != DefaultColor();
}
bool TColumn::IsFontStored() const { return FAssignedValues.Contains(TColumnValue::cvFont); }
bool TColumn::IsWidthStored() const
{
    return FAssignedValues.Contains(TColumnValue::cvWidth) && FWidth != DefaultWidth();
}
bool TColumn::IsReadOnlyStored() const
{
    return FAssignedValues.Contains(TColumnValue::cvReadOnly) && FReadOnly != DefaultReadOnly();
}

DEFINE_CLASS(TColumn)
    .Factory([](TObject* owner) -> TObject* { return new TColumn(dynamic_cast<TCollection*>(owner)); })
    .Property(u"Alignment", &TColumn::Alignment, &TColumn::SetAlignment).Stored(&TColumn::IsAlignmentStored)
    .Property(u"ButtonStyle", &TColumn::ButtonStyle, &TColumn::SetButtonStyle)
        .Default(static_cast<int64_t>(TColumnButtonStyle::cbsAuto))
    .Property(u"Color", &TColumn::Color, &TColumn::SetColor).Idents(ColorIdents).Stored(&TColumn::IsColorStored)
    .Property(u"DropDownRows", &TColumn::DropDownRows, &TColumn::SetDropDownRows).Default(7)
    .Property(u"Expanded", &TColumn::Expanded, &TColumn::SetExpanded).Default(1)
    .Property(u"FieldName", &TColumn::FieldName, &TColumn::SetFieldName)
    .Property(u"Font", &TColumn::Font, &TColumn::SetFont).Stored(&TColumn::IsFontStored)
    .Property(u"ReadOnly", &TColumn::ReadOnly, &TColumn::SetReadOnly).Stored(&TColumn::IsReadOnlyStored)
    .Property(u"Title", &TColumn::Title, &TColumn::SetTitle)
    .Property(u"Width", &TColumn::Width, &TColumn::SetWidth).Stored(&TColumn::IsWidthStored)
    .Property(u"Visible", &TColumn::Visible, &TColumn::SetVisible).Stored(true)
END_CLASS

// ---- TDBGridColumns ------------------------------------------------------------------------

TDBGridColumns::TDBGridColumns(TCustomDBGrid* grid, const ClassInfo& itemClass)
    : TCollection(itemClass), FGrid(grid)
{
}

TPersistent* TDBGridColumns::GetOwner() const { return FGrid; }

TDBGridColumnsState TDBGridColumns::State() const
{
    return Count() > 0 && Items(0)->Stored() ? TDBGridColumnsState::csCustomized : TDBGridColumnsState::csDefault;
}

void TDBGridColumns::SetState(TDBGridColumnsState value)
{
    if (value == State())
        return;
    if (value == TDBGridColumnsState::csDefault)
        Clear();
    else
        RebuildColumns();
}

void TDBGridColumns::RebuildColumns()
{
    const bool locked = FGrid && FGrid->AcquireLayoutLock();
    try {
        Clear();
        data::TDataSet* ds = FGrid && FGrid->DataSource() ? FGrid->DataSource()->DataSet() : nullptr;
        if (ds)
            for (int i = 0; i < ds->Fields().Count(); ++i)
                Add()->SetFieldName(ds->Fields()[i]->FullName());
    } catch (...) {
        if (locked)
            FGrid->EndLayout();
        throw;
    }
    if (locked)
        FGrid->EndLayout();
}

void TDBGridColumns::RestoreDefaults()
{
    BeginUpdate();
    try {
        for (int i = 0; i < Count(); ++i)
            Items(i)->RestoreDefaults();
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TDBGridColumns::Update(TCollectionItem* item)
{
    if (!FGrid || FGrid->InState(TComponentState::csLoading))
        return;
    if (!item) {
        FGrid->LayoutChanged();
        return;
    }
    auto* c = static_cast<TColumn*>(item);
    const int32_t raw = FGrid->DataToRawColumn(c->Index());
    if (raw < 0 || raw >= FGrid->ColCount())
        return;
    FGrid->InvalidateCol(raw);
    FGrid->SetColWidths(raw, c->Width());
}

void TDBGridColumns::SaveToStream(core::TStream& s)
{
    TColumnsWrapper wrapper(nullptr);
    wrapper.Borrow(this);
    WriteComponentToStream(s, &wrapper);
}

void TDBGridColumns::LoadFromStream(core::TStream& s)
{
    TColumnsWrapper wrapper(nullptr);
    wrapper.SetColumns(new TDBGridColumns(FGrid, ItemClass()));
    ReadComponentFromStream(s, &wrapper);
    Assign(wrapper.Columns());
}

void TDBGridColumns::SaveToFile(const std::u16string& fileName)
{
    core::TFileStream f(core::ToUtf8(fileName), core::TFileMode::fmCreate);
    SaveToStream(f);
}

void TDBGridColumns::LoadFromFile(const std::u16string& fileName)
{
    core::TFileStream f(core::ToUtf8(fileName), core::TFileMode::fmOpenRead);
    LoadFromStream(f);
}

DEFINE_CLASS(TDBGridColumns)
END_CLASS

// ---- TColumnsWrapper -------------------------------------------------------------------------

TColumnsWrapper::TColumnsWrapper(TComponent* owner) : TComponent(owner) {}

TColumnsWrapper::~TColumnsWrapper()
{
    if (FOwned)
        delete FColumns;
}

void TColumnsWrapper::SetColumns(TDBGridColumns* value)
{
    if (FColumns && value && FColumns != value && !FOwned) {
        FColumns->Assign(value);
        return;
    }
    if (!FColumns || !value) {
        if (FOwned)
            delete FColumns;
        FColumns = value;
        FOwned = value != nullptr;
        return;
    }
    if (FColumns != value)
        FColumns->Assign(value);
}

DEFINE_CLASS(TColumnsWrapper)
    .Property(u"Columns", &TColumnsWrapper::Columns, &TColumnsWrapper::SetColumns)
END_CLASS

} // namespace grids
