// What a step paints (scrolled pixels plus the cells it invalidates) must be
// exactly what a full repaint of the same state gives.
#include "gridctl/grid_fixture.h"

namespace gridctl_test {
namespace {

struct Step {
    const char* Name;
    int Vk;
    unsigned Mods;
    int Times;
};

class PartialRepaint : public GridFixture, public ::testing::WithParamInterface<bool> {
protected:
    platform::Bitmap Shot() { return hl::Screenshot(Form->Handle()); }
    void ExpectSameAsFullRepaint(const char* what)
    {
        const platform::Bitmap stepped = Shot();
        platform::InvalidateRect(H(), nullptr, true);
        Pump();
        EXPECT_TRUE(Shot().SameContent(stepped)) << what;
    }
};

TEST_P(PartialRepaint, StepsPaintWhatAFullRepaintPaints)
{
    if (GetParam()) {
        Grid->SetBiDiMode(controls::TBiDiMode::bdRightToLeft);
        Grid->RecreateWnd();
        Pump();
    }
    const Step steps[] = {
        {"Down past the last whole row", platform::VK_DOWN, hl::None, 14},
        {"Right past the last whole column", platform::VK_RIGHT, hl::None, 9},
        {"Page Down", platform::VK_NEXT, hl::None, 2},
        {"Up back over the top", platform::VK_UP, hl::None, 30},
        {"Left back", platform::VK_LEFT, hl::None, 9},
        {"Shift+Down selecting", platform::VK_DOWN, hl::Shift, 12},
        {"Ctrl+End", platform::VK_END, hl::Ctrl, 1},
        {"Ctrl+Home", platform::VK_HOME, hl::Ctrl, 1},
    };
    for (const Step& s : steps) {
        for (int i = 0; i < s.Times; ++i) {
            Press(s.Vk, s.Mods);
            if (HasFailure())
                return;
        }
        ExpectSameAsFullRepaint(s.Name);
    }
    TGridOptions options = Grid->Options();
    Grid->SetOptions(options.Include(goRowSelect));
    Pump();
    for (int i = 0; i < 14; ++i)
        Press(platform::VK_DOWN);
    ExpectSameAsFullRepaint("row select, Down past the last whole row");
}

INSTANTIATE_TEST_SUITE_P(Layout, PartialRepaint, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& p) { return p.param ? "RightToLeft" : "LeftToRight"; });

} // namespace
} // namespace gridctl_test
