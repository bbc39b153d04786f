#pragma once
// The columns of the data grid: one TColumn per shown field, with a title.
// A column property that was never assigned follows its default source (the
// field, the grid, the fonts) each time it is read; assigning it freezes it.
// Dynamic columns (csDefault) are made by the grid from the visible fields
// and write some settings through to the field instead of keeping them.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "components/collection.h"
#include "components/component.h"
#include "controls/font.h"
#include "core/stream.h"
#include "data/db_types.h"

namespace data {
class TField;
}

namespace grids {

class TCustomDBGrid;
class TColumn;

enum class TColumnValue {
    cvColor, cvWidth, cvFont, cvAlignment, cvReadOnly, cvTitleColor, cvTitleCaption, cvTitleAlignment,
    cvTitleFont, cvImeMode, cvImeName
};
using TColumnValues = components::TSet<TColumnValue>;
enum class TColumnButtonStyle { cbsAuto, cbsEllipsis, cbsNone };
enum class TDBGridColumnsState { csDefault, csCustomized };

class TColumnTitle : public components::TPersistent {
    DECLARE_CLASS(TColumnTitle, components::TPersistent)
public:
    explicit TColumnTitle(TColumn* column = nullptr);

    TColumn* Column() const { return FColumn; }
    std::u16string Caption() const;
    void SetCaption(const std::u16string& value);
    std::u16string DefaultCaption() const;
    data::TAlignment Alignment() const;
    void SetAlignment(data::TAlignment value);
    core::TColor Color() const;
    void SetColor(core::TColor value);
    core::TColor DefaultColor() const;
    controls::TFont* Font() const;
    void SetFont(controls::TFont* value);
    void RestoreDefaults();
    void Assign(components::TPersistent* source) override;
    components::TPersistent* GetOwner() const override;

    bool IsCaptionStored() const;
    bool IsAlignmentStored() const;
    bool IsColorStored() const;
    bool IsFontStored() const;

private:
    void FontChanged(components::TObject*);
    TColumn* FColumn;
    std::u16string FCaption;
    std::unique_ptr<controls::TFont> FFont;
    core::TColor FColor = core::clBtnFace;
    data::TAlignment FAlignment = data::TAlignment::taLeftJustify;
    bool FRefreshing = false;
};

class TColumn : public components::TCollectionItem {
    DECLARE_CLASS(TColumn, components::TCollectionItem)
public:
    explicit TColumn(components::TCollection* collection);
    ~TColumn() override;

    TCustomDBGrid* Grid() const;
    data::TField* Field() const;
    void SetField(data::TField* value);
    const std::u16string& FieldName() const { return FFieldName; }
    void SetFieldName(const std::u16string& value);
    bool Stored() const { return FStored; }
    void SetStored(bool value) { FStored = value; }
    TColumnValues AssignedValues() const { return FAssignedValues; }

    data::TAlignment Alignment() const;
    void SetAlignment(data::TAlignment value);
    data::TAlignment DefaultAlignment() const;
    core::TColor Color() const;
    void SetColor(core::TColor value);
    core::TColor DefaultColor() const;
    controls::TFont* Font() const;
    void SetFont(controls::TFont* value);
    controls::TFont* DefaultFont() const;
    int Width() const;
    void SetWidth(int value);
    int DefaultWidth() const;
    bool ReadOnly() const;
    void SetReadOnly(bool value);
    bool DefaultReadOnly() const;
    bool Visible() const { return FVisible; }
    void SetVisible(bool value);
    bool Showing() const { return FVisible; }
    bool Expanded() const { return FExpanded; }
    void SetExpanded(bool value);
    TColumnTitle* Title() const { return FTitle.get(); }
    void SetTitle(TColumnTitle* value) { FTitle->Assign(value); }
    const std::vector<std::u16string>& PickList() const { return FPickList; }
    void SetPickList(const std::vector<std::u16string>& value) { FPickList = value; }
    int DropDownRows() const { return FDropDownRows; }
    void SetDropDownRows(int value) { FDropDownRows = value; }
    TColumnButtonStyle ButtonStyle() const { return FButtonStyle; }
    void SetButtonStyle(TColumnButtonStyle value) { FButtonStyle = value; }

    void SetIndex(int value) override;
    void RestoreDefaults();
    void Assign(components::TPersistent* source) override;
    std::u16string GetDisplayName() const override;

    bool IsAlignmentStored() const;
    bool IsColorStored() const;
    bool IsFontStored() const;
    bool IsWidthStored() const;
    bool IsReadOnlyStored() const;

    // Called by the grid when the bound field goes away.
    void FieldDestroyed() { FField = nullptr; }
    void ItemChanged(bool allItems) { Changed(allItems); }
    // Font of the cell text and of the title when nothing is assigned.
    void RefreshDefaultFont();

private:
    friend class TColumnTitle;
    void FontChanged(components::TObject*);
    bool GridUpdatesFields() const;

    mutable data::TField* FField = nullptr;
    std::u16string FFieldName;
    core::TColor FColor = core::clWindow;
    int FWidth = 64;
    std::unique_ptr<TColumnTitle> FTitle;
    std::unique_ptr<controls::TFont> FFont;
    std::vector<std::u16string> FPickList;
    int FDropDownRows = 7;
    TColumnButtonStyle FButtonStyle = TColumnButtonStyle::cbsAuto;
    data::TAlignment FAlignment = data::TAlignment::taLeftJustify;
    bool FReadOnly = false;
    TColumnValues FAssignedValues;
    bool FVisible = true;
    bool FExpanded = true;
    bool FStored = true;
    bool FRefreshing = false;
};

class TDBGridColumns : public components::TCollection {
    DECLARE_CLASS(TDBGridColumns, components::TCollection)
public:
    TDBGridColumns(TCustomDBGrid* grid, const components::ClassInfo& itemClass);

    TCustomDBGrid* Grid() const { return FGrid; }
    TColumn* Items(int index) const { return static_cast<TColumn*>(components::TCollection::Items(index)); }
    TColumn* Add() { return static_cast<TColumn*>(components::TCollection::Add()); }
    TDBGridColumnsState State() const;
    void SetState(TDBGridColumnsState value);
    void RebuildColumns();
    void RestoreDefaults();
    void SaveToStream(core::TStream& s);
    void LoadFromStream(core::TStream& s);
    void SaveToFile(const std::u16string& fileName);
    void LoadFromFile(const std::u16string& fileName);
    components::TPersistent* GetOwner() const override;

protected:
    void Update(components::TCollectionItem* item) override;

private:
    TCustomDBGrid* FGrid;
};

// The carrier of a column layout saved on its own: a component whose only
// property is the collection.
class TColumnsWrapper : public components::TComponent {
    DECLARE_CLASS(TColumnsWrapper, components::TComponent)
public:
    explicit TColumnsWrapper(components::TComponent* owner);
    ~TColumnsWrapper() override;
    TDBGridColumns* Columns() const { return FColumns; }
    void SetColumns(TDBGridColumns* value);
    // Borrows a collection for writing (not owned).
    void Borrow(TDBGridColumns* value) { FColumns = value; FOwned = false; }

private:
    TDBGridColumns* FColumns = nullptr;
    bool FOwned = false;
};

} // namespace grids

DECLARE_ENUM_NAMES(grids::TColumnValue, u"cvColor", u"cvWidth", u"cvFont", u"cvAlignment", u"cvReadOnly",
                   u"cvTitleColor", u"cvTitleCaption", u"cvTitleAlignment", u"cvTitleFont", u"cvImeMode",
                   u"cvImeName");
DECLARE_ENUM_NAMES(grids::TColumnButtonStyle, u"cbsAuto", u"cbsEllipsis", u"cbsNone");
