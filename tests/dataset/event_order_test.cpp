// Event orders of opening, closing, moving and editing, as seen by a
// recorder on the dataset, its data source and one data link.
#include <functional>

#include "fixture.h"

using namespace memds;

namespace {

struct OrderCase {
    const char* Name;
    int Rows;
    std::function<void(Table&)> Setup;
    std::function<void(Table&)> Action;
    Log Expected;
};

void EditModified(Table& t)
{
    t.ds->Edit();
    t.codigo->SetAsInteger(99);
}

const OrderCase kCases[] = {
    {"open", 3, nullptr, [](Table& t) { t.Open(); },
     {"BeforeOpen", "link:deUpdateState", "OnStateChange", "OnDataChange(nil)", "AfterOpen", "AfterScroll"}},
    {"open empty", 0, nullptr, [](Table& t) { t.Open(); },
     {"BeforeOpen", "link:deUpdateState", "OnStateChange", "OnDataChange(nil)", "AfterOpen"}},
    {"close", 3, [](Table& t) { t.Open(); }, [](Table& t) { t.ds->Close(); },
     {"BeforeClose", "link:deUpdateState", "OnStateChange", "AfterClose"}},
    {"close while editing cancels", 3, [](Table& t) { t.Open(); EditModified(t); },
     [](Table& t) { t.ds->Close(); },
     {"BeforeClose", "link:deCheckBrowseMode", "BeforeCancel", "link:deUpdateState", "OnStateChange",
      "link:deDataSetChange", "OnDataChange(nil)", "AfterCancel", "link:deUpdateState", "OnStateChange",
      "AfterClose"}},
    {"edit", 3, [](Table& t) { t.Open(); }, [](Table& t) { t.ds->Edit(); },
     {"link:deCheckBrowseMode", "BeforeEdit", "link:deUpdateState", "OnStateChange", "link:deRecordChange",
      "OnDataChange(nil)", "AfterEdit"}},
    {"edit while editing does nothing", 3, [](Table& t) { t.Open(); t.ds->Edit(); },
     [](Table& t) { t.ds->Edit(); }, {}},
    {"insert", 3, [](Table& t) { t.Open(); }, [](Table& t) { t.ds->Insert(); },
     {"link:deCheckBrowseMode", "BeforeInsert", "BeforeScroll", "link:deUpdateState", "OnStateChange",
      "OnNewRecord", "link:deDataSetChange", "OnDataChange(nil)", "AfterInsert", "AfterScroll"}},
    {"append", 3, [](Table& t) { t.Open(); }, [](Table& t) { t.ds->Append(); },
     {"link:deCheckBrowseMode", "BeforeInsert", "BeforeScroll", "link:deUpdateState", "OnStateChange",
      "OnNewRecord", "link:deDataSetChange", "OnDataChange(nil)", "AfterInsert", "AfterScroll"}},
    {"edit on empty inserts", 0, [](Table& t) { t.Open(); }, [](Table& t) { t.ds->Edit(); },
     {"link:deCheckBrowseMode", "BeforeInsert", "BeforeScroll", "link:deUpdateState", "OnStateChange",
      "OnNewRecord", "link:deDataSetChange", "OnDataChange(nil)", "AfterInsert", "AfterScroll"}},
    {"post", 3, [](Table& t) { t.Open(); EditModified(t); }, [](Table& t) { t.ds->Post(); },
     {"link:deUpdateRecord", "OnUpdateData", "link:deCheckBrowseMode", "BeforePost", "link:deUpdateState",
      "OnStateChange", "link:deDataSetChange", "OnDataChange(nil)", "AfterPost"}},
    {"check browse mode posts", 3, [](Table& t) { t.Open(); EditModified(t); },
     [](Table& t) { t.ds->CheckBrowseMode(); },
     {"link:deCheckBrowseMode", "link:deUpdateRecord", "OnUpdateData", "link:deUpdateRecord", "OnUpdateData",
      "link:deCheckBrowseMode", "BeforePost", "link:deUpdateState", "OnStateChange", "link:deDataSetChange",
      "OnDataChange(nil)", "AfterPost"}},
    {"check browse mode cancels an unmodified edit", 3, [](Table& t) { t.Open(); t.ds->Edit(); },
     [](Table& t) { t.ds->CheckBrowseMode(); },
     {"link:deCheckBrowseMode", "link:deUpdateRecord", "OnUpdateData", "link:deCheckBrowseMode",
      "BeforeCancel", "link:deUpdateState", "OnStateChange", "link:deDataSetChange", "OnDataChange(nil)",
      "AfterCancel"}},
    {"cancel edit", 3, [](Table& t) { t.Open(); EditModified(t); }, [](Table& t) { t.ds->Cancel(); },
     {"link:deCheckBrowseMode", "BeforeCancel", "link:deUpdateState", "OnStateChange", "link:deDataSetChange",
      "OnDataChange(nil)", "AfterCancel"}},
    {"cancel insert", 3, [](Table& t) { t.Open(); t.ds->Insert(); }, [](Table& t) { t.ds->Cancel(); },
     {"link:deCheckBrowseMode", "BeforeCancel", "BeforeScroll", "link:deUpdateState", "OnStateChange",
      "link:deDataSetChange", "OnDataChange(nil)", "AfterCancel", "AfterScroll"}},
    {"cancel in browse does nothing", 3, [](Table& t) { t.Open(); }, [](Table& t) { t.ds->Cancel(); }, {}},
    {"delete while inserting cancels", 3, [](Table& t) { t.Open(); t.ds->Insert(); },
     [](Table& t) { t.ds->Delete(); },
     {"link:deCheckBrowseMode", "BeforeCancel", "BeforeScroll", "link:deUpdateState", "OnStateChange",
      "link:deDataSetChange", "OnDataChange(nil)", "AfterCancel", "AfterScroll"}},
    {"delete", 3, [](Table& t) { t.Open(); }, [](Table& t) { t.ds->Delete(); },
     {"link:deCheckBrowseMode", "BeforeDelete", "BeforeScroll", "link:deDataSetChange", "OnDataChange(nil)",
      "AfterDelete", "AfterScroll"}},
    {"delete while editing", 3, [](Table& t) { t.Open(); EditModified(t); }, [](Table& t) { t.ds->Delete(); },
     {"link:deCheckBrowseMode", "BeforeDelete", "BeforeScroll", "link:deUpdateState", "OnStateChange",
      "link:deDataSetChange", "OnDataChange(nil)", "AfterDelete", "AfterScroll"}},
    {"next scrolls a full window", 3, [](Table& t) { t.Open(); }, [](Table& t) { t.ds->Next(); },
     {"link:deCheckBrowseMode", "BeforeScroll", "link:deDataSetScroll(-1)", "OnDataChange(nil)", "AfterScroll"}},
    {"next at eof", 1, [](Table& t) { t.Open(); t.ds->Next(); }, [](Table& t) { t.ds->Next(); },
     {"link:deCheckBrowseMode", "BeforeScroll"}},
    {"move by zero", 3, [](Table& t) { t.Open(); }, [](Table& t) { t.ds->MoveBy(0); },
     {"link:deCheckBrowseMode", "BeforeScroll"}},
    {"first", 3, [](Table& t) { t.Open(); t.ds->Next(); }, [](Table& t) { t.ds->First(); },
     {"link:deCheckBrowseMode", "BeforeScroll", "link:deDataSetChange", "OnDataChange(nil)", "AfterScroll"}},
    {"last", 3, [](Table& t) { t.Open(); }, [](Table& t) { t.ds->Last(); },
     {"link:deCheckBrowseMode", "BeforeScroll", "link:deDataSetChange", "OnDataChange(nil)", "AfterScroll"}},
    {"moving posts a pending edit", 3, [](Table& t) { t.Open(); EditModified(t); },
     [](Table& t) { t.ds->Next(); },
     {"link:deCheckBrowseMode", "link:deUpdateRecord", "OnUpdateData", "link:deUpdateRecord", "OnUpdateData",
      "link:deCheckBrowseMode", "BeforePost", "link:deUpdateState", "OnStateChange", "link:deDataSetChange",
      "OnDataChange(nil)", "AfterPost", "BeforeScroll", "link:deDataSetScroll(-1)", "OnDataChange(nil)",
      "AfterScroll"}},
    {"disabled controls collapse a state change", 3, [](Table& t) { t.Open(); },
     [](Table& t) {
         t.ds->DisableControls();
         t.ds->DisableControls();
         t.ds->Edit();
         t.ds->EnableControls();
         t.log.push_back("--");
         t.ds->EnableControls();
     },
     {"BeforeEdit", "AfterEdit", "--", "link:deUpdateState", "OnStateChange", "link:deDataSetChange",
      "OnDataChange(nil)"}},
    {"disabled controls across close and open", 3, [](Table& t) { t.Open(); },
     [](Table& t) {
         t.ds->DisableControls();
         t.ds->Close();
         t.ds->Open();
         t.ds->EnableControls();
     },
     {"BeforeClose", "link:deDisabledStateChange(0)", "AfterClose", "BeforeOpen", "link:deDisabledStateChange(1)",
      "AfterOpen", "AfterScroll", "link:deLayoutChange", "OnDataChange(nil)"}},
    {"field change", 3, [](Table& t) { t.Open(); t.ds->Edit(); }, [](Table& t) { t.codigo->SetAsInteger(5); },
     {"link:deFieldChange", "OnDataChange(codigo)"}},
};

class EventOrder : public ::testing::TestWithParam<OrderCase> {};

} // namespace

TEST_P(EventOrder, MatchesTheProtocol)
{
    const OrderCase& c = GetParam();
    Table t(c.Rows);
    Record(t.log, *t.ds, t.src);
    if (c.Setup)
        c.Setup(t);
    t.log.clear();
    c.Action(t);
    EXPECT_EQ(t.log, c.Expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, EventOrder, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<OrderCase>& p) {
                             std::string name = p.param.Name;
                             for (char& ch : name)
                                 if (!isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             return name;
                         });
