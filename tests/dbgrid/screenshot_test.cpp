// Pictures of the form's grid: empty, after two appended rows, while editing,
// and scrolled down a table of 1,000 rows; compared with reference images.
#include "dbgrid_fixture.h"
#include "support/reference_image.h"

namespace dbgrid_test {
namespace {

class ScreenshotFixture : public DBGridFixture {
protected:
    void Check(const std::string& name)
    {
        Pump();
        const platform::Bitmap shot = hl::Screenshot(Grid->Handle());
        EXPECT_TRUE(test_support::MatchesReference(shot, name, 16, 40));
    }
};

TEST_F(ScreenshotFixture, Empty) { Check("dbgrid_empty"); }

TEST_F(ScreenshotFixture, TwoAppendedRows)
{
    Press(platform::VK_DOWN);
    Type(u"1");
    Press(platform::VK_TAB);
    Type(u"Ana");
    Press(platform::VK_TAB);
    Type(u"2");
    Press(platform::VK_TAB);
    Type(u"Bruno");
    Press(platform::VK_UP);
    Check("dbgrid_two_rows");
}

TEST_F(ScreenshotFixture, Editing)
{
    Fill(3);
    Press(platform::VK_TAB);
    Type(u"Carla");
    Check("dbgrid_editing");
}

TEST_F(ScreenshotFixture, ThousandRowsScrolled)
{
    Fill(1000);
    DataSet->SetRecNoProp(500);
    Pump();
    Check("dbgrid_scrolled");
}

} // namespace
} // namespace dbgrid_test
