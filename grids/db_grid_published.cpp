// The published form of the data grid and the registration of the grid classes.
#include "components/classes.h"
#include "grids/db_grid.h"
#include "grids/string_grid.h"

namespace grids {

using namespace components;

DEFINE_CLASS(TCustomDBGrid)
END_CLASS

DEFINE_CLASS(TDBGrid)
    .Property(u"Color", &TDBGrid::Color, &TDBGrid::SetColor).Idents(ColorIdents).Default(static_cast<int64_t>(core::clWindow))
    .Property(u"Columns", &TDBGrid::Columns, &TDBGrid::SetColumns)
        .Stored(&TDBGrid::IsColumnsStored)
    .Property(u"DataSource", &TDBGrid::DataSource, &TDBGrid::SetDataSource)
    .Property(u"DefaultDrawing", &TDBGrid::DefaultDrawingDB, &TDBGrid::SetDefaultDrawingDB).Default(1)
    .Property(u"Enabled", &TDBGrid::Enabled, &TDBGrid::SetEnabled).Default(1)
    .Property(u"FixedColor", &TDBGrid::FixedColor, &TDBGrid::SetFixedColor)
        .Idents(ColorIdents).Default(static_cast<int64_t>(core::clBtnFace))
    .Property(u"Font", &TDBGrid::Font, &TDBGrid::SetFont).Stored(&TDBGrid::IsFontStored)
    .Property(u"Options", &TDBGrid::DBOptions, &TDBGrid::SetDBOptions)
        .Default(static_cast<int64_t>(DefaultDBGridOptions.Bits()))
    .Property(u"ParentColor", &TDBGrid::ParentColor, &TDBGrid::SetParentColor).Default(0)
    .Property(u"ParentFont", &TDBGrid::ParentFont, &TDBGrid::SetParentFont).Default(1)
    .Property(u"ReadOnly", &TDBGrid::ReadOnly, &TDBGrid::SetReadOnly).Default(0)
    .Property(u"TabOrder", &TDBGrid::TabOrder, &TDBGrid::SetTabOrder).Default(-1)
    .Property(u"TabStop", &TDBGrid::TabStop, &TDBGrid::SetTabStop).Default(1)
    .Property(u"TitleFont", &TDBGrid::TitleFont, &TDBGrid::SetTitleFont).Stored(&TDBGrid::IsTitleFontStored)
    .Property(u"Visible", &TDBGrid::Visible, &TDBGrid::SetVisible).Default(1)
    .Property(u"OnCellClick", &TDBGrid::OnCellClick, &TDBGrid::OnCellClick)
    .Property(u"OnColEnter", &TDBGrid::OnColEnter, &TDBGrid::OnColEnter)
    .Property(u"OnColExit", &TDBGrid::OnColExit, &TDBGrid::OnColExit)
    .Property(u"OnColumnMoved", &TDBGrid::OnColumnMoved, &TDBGrid::OnColumnMoved)
    .Property(u"OnDrawColumnCell", &TDBGrid::OnDrawColumnCell, &TDBGrid::OnDrawColumnCell)
    .Property(u"OnDrawDataCell", &TDBGrid::OnDrawDataCell, &TDBGrid::OnDrawDataCell)
    .Property(u"OnEditButtonClick", &TDBGrid::OnEditButtonClick, &TDBGrid::OnEditButtonClick)
    .Property(u"OnEnter", &TDBGrid::OnEnter, &TDBGrid::OnEnter)
    .Property(u"OnExit", &TDBGrid::OnExit, &TDBGrid::OnExit)
    .Property(u"OnKeyDown", &TDBGrid::OnKeyDown, &TDBGrid::OnKeyDown)
    .Property(u"OnKeyPress", &TDBGrid::OnKeyPress, &TDBGrid::OnKeyPress)
    .Property(u"OnKeyUp", &TDBGrid::OnKeyUp, &TDBGrid::OnKeyUp)
    .Property(u"OnTitleClick", &TDBGrid::OnTitleClick, &TDBGrid::OnTitleClick)
END_CLASS

void RegisterGridClasses()
{
    RegisterIndicatorResources();
    RegisterClass(TDBGrid::StaticClass());
    RegisterClass(TColumnsWrapper::StaticClass());
    RegisterClass(TColumn::StaticClass());
    RegisterClass(TDrawGrid::StaticClass());
    RegisterClass(TStringGrid::StaticClass());
}

} // namespace grids
