// Columns: dynamic columns from the fields, default and resized widths,
// write-through of titles, hidden fields, customized columns, layout files.
#include "dbgrid_fixture.h"

#include "core/stream.h"

namespace dbgrid_test {
namespace {

int ColWidthFor(TDBGrid* g, int chars, const std::u16string& caption)
{
    const platform::Font f = g->Font()->Handle();
    const int zero = f.TextExtent(u"0").cx, overhang = f.Metrics().tmOverhang;
    const int title = g->TitleFont()->Handle().TextExtent(caption).cx + 4;
    return std::max(chars * (zero - overhang) + overhang + 4, title);
}

TEST_F(DBGridFixture, DefaultWidthsComeFromTheDisplayWidth)
{
    TColumn* nome = Grid->Columns()->Items(1);
    EXPECT_EQ(nome->Width(), ColWidthFor(Grid, 50, u"nome"));
    EXPECT_EQ(Grid->ColWidths(2), nome->Width());
    EXPECT_EQ(Grid->ColWidths(0), 11);
    // Assigning the default does not freeze it.
    nome->SetWidth(nome->Width());
    EXPECT_FALSE(nome->IsWidthStored());
}

TEST_F(DBGridFixture, ResizingADynamicColumnChangesTheDisplayWidth)
{
    const platform::Font f = Grid->Font()->Handle();
    const int zero = f.TextExtent(u"0").cx, overhang = f.Metrics().tmOverhang;
    for (int w : {100, 37, 250}) {
        SCOPED_TRACE(w);
        Grid->SetColWidths(2, w);
        EXPECT_EQ(Nome->DisplayWidth(), (w - overhang - 4) / (zero - overhang));
    }
}

TEST_F(DBGridFixture, TitleCaptionOfADynamicColumnBecomesTheDisplayLabel)
{
    TColumn* c = Grid->Columns()->Items(0);
    c->Title()->SetCaption(u"Código");
    EXPECT_EQ(Codigo->DisplayLabel(), u"Código");
    EXPECT_FALSE(c->AssignedValues().Contains(TColumnValue::cvTitleCaption));
    EXPECT_EQ(c->Title()->Caption(), u"Código");
}

TEST_F(DBGridFixture, HidingAFieldRemovesItsColumn)
{
    Codigo->SetVisible(false);
    Pump();
    ASSERT_EQ(Grid->Columns()->Count(), 1);
    EXPECT_EQ(Grid->Columns()->Items(0)->Field(), Nome);
    EXPECT_EQ(Grid->ColCount(), 2);
    Codigo->SetVisible(true);
    EXPECT_EQ(Grid->ColCount(), 3);
}

TEST_F(DBGridFixture, CustomizedStateMakesStoredColumnsForEveryField)
{
    Nome->SetVisible(false);
    Grid->Columns()->SetState(TDBGridColumnsState::csCustomized);
    ASSERT_EQ(Grid->Columns()->Count(), 2);
    EXPECT_TRUE(Grid->Columns()->Items(0)->Stored());
    EXPECT_EQ(Grid->Columns()->Items(1)->FieldName(), u"nome");
    EXPECT_EQ(Grid->Columns()->State(), TDBGridColumnsState::csCustomized);
    EXPECT_TRUE(Grid->IsColumnsStored());
    Grid->Columns()->SetState(TDBGridColumnsState::csDefault);
    EXPECT_EQ(Grid->Columns()->Count(), 1);
}

TEST_F(DBGridFixture, CustomizedColumnNamingAMissingFieldStaysEmpty)
{
    Grid->Columns()->Clear();
    TColumn* a = Grid->Columns()->Add();
    a->SetFieldName(u"nome");
    TColumn* b = Grid->Columns()->Add();
    b->SetFieldName(u"missing");
    EXPECT_EQ(Grid->ColCount(), 3);
    EXPECT_TRUE(Grid->ValidFieldIndex(0));
    EXPECT_FALSE(Grid->ValidFieldIndex(1));
    EXPECT_FALSE(Grid->ValidFieldIndex(7));
    EXPECT_EQ(Grid->Fields(1), nullptr);
    EXPECT_EQ(Grid->Fields(-1), nullptr);
    EXPECT_EQ(b->Field(), nullptr);
}

TEST_F(DBGridFixture, ADatasetWithoutFieldsStillShowsOneColumn)
{
    Grid->SetDataSource(nullptr);
    EXPECT_EQ(Grid->ColCount(), 2);
    EXPECT_EQ(Grid->RowCount(), 2);
    ASSERT_EQ(Grid->Columns()->Count(), 1);
    EXPECT_EQ(Grid->Columns()->Items(0)->Field(), nullptr);
}

TEST_F(DBGridFixture, ColumnLayoutRoundTripsThroughAStream)
{
    Grid->Columns()->SetState(TDBGridColumnsState::csCustomized);
    Grid->Columns()->Items(1)->SetWidth(123);
    Grid->Columns()->Items(1)->Title()->SetCaption(u"Nome completo");
    core::TMemoryStream s;
    Grid->Columns()->SaveToStream(s);
    Grid->Columns()->SetState(TDBGridColumnsState::csDefault);
    s.Seek(0, core::TSeekOrigin::soBeginning);
    Grid->Columns()->LoadFromStream(s);
    ASSERT_EQ(Grid->Columns()->Count(), 2);
    EXPECT_EQ(Grid->Columns()->Items(1)->Width(), 123);
    EXPECT_EQ(Grid->Columns()->Items(1)->Title()->Caption(), u"Nome completo");
    EXPECT_EQ(Grid->Columns()->Items(0)->FieldName(), u"codigo");
}

TEST_F(DBGridFixture, TooManyMappingsAreRefused)
{
    // The map's limit is far beyond memory; the check is on the count only.
    EXPECT_EQ(TGridDataLink::MaxMapSize, 268435455);
}

} // namespace
} // namespace dbgrid_test
