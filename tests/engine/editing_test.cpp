// Editing through cursors: record checks, statuses, undo, indexes and other
// cursors following the changes.
#include <gtest/gtest.h>

#include "edit_fixture.h"

using namespace engine;
using namespace enginetest;

namespace {

std::uint8_t RecAttr(IDSCursor* c) {
  std::uint8_t a = 0xFF;
  EXPECT_EQ(c->GetRecordAttribute(&a), DBERR_NONE);
  return a;
}

}  // namespace

TEST(Editing, InsertModifyDeleteThenUndoBackToEmpty) {
  auto t = ProgramTable();
  auto c = OpenCursor(t.get());
  ASSERT_EQ(Insert(c.get(), 1, "Ana"), DBERR_NONE);
  EXPECT_EQ(CurrentS(c.get()), "Ana");
  EXPECT_EQ(RecAttr(c.get()), dsRecNew);
  ASSERT_EQ(Modify(c.get(), "Bia"), DBERR_NONE);
  EXPECT_EQ(CurrentS(c.get()), "Bia");
  EXPECT_EQ(RecAttr(c.get()), dsRecNew);  // a new record stays new when modified
  ASSERT_EQ(c->DeleteRecord(), DBERR_NONE);
  EXPECT_EQ(Prop(t.get(), dspropNOOFCHANGES), 0);
  EXPECT_EQ(Prop(t.get(), dspropUPDATESPENDING), 0);
  struct Step {
    std::vector<std::string> rows;  // after the undo
    std::int32_t changes;
  };
  const std::vector<Step> steps = {{{"Bia"}, 1}, {{"Ana"}, 1}, {{}, 0}};
  for (std::size_t i = 0; i < steps.size(); ++i) {
    SCOPED_TRACE(i);
    ASSERT_EQ(c->UndoLastChange(1), DBERR_NONE);
    EXPECT_EQ(VisibleS(c.get()), steps[i].rows);
    EXPECT_EQ(Prop(t.get(), dspropNOOFCHANGES), steps[i].changes);
  }
  EXPECT_EQ(c->UndoLastChange(1), DBERR_NOTHINGTOUNDO);
  EXPECT_EQ(Prop(t.get(), dspropRECORDSINDS), 0);
  DSPacket p;
  ASSERT_EQ(t->StreamDS(&p), DBERR_NONE);
  EXPECT_EQ(std::string(p.begin(), p.end()).find("CHANGE_LOG"), std::string::npos);
}

TEST(Editing, ModifyBackAndIdenticalModify) {
  auto t = MakeTable({{1, "a"}, {2, "b"}}, 50);
  auto c = OpenCursor(t.get());
  ASSERT_TRUE(GoTo(c.get(), 2));
  // an identical buffer adds nothing
  auto buf = RecBuf(c.get());
  ASSERT_EQ(c->GetCurrentRecord(buf.data()), DBERR_NONE);
  ASSERT_EQ(c->ModifyRecord(buf.data()), DBERR_NONE);
  EXPECT_EQ(RecAttr(c.get()), dsRecUnmodified);
  EXPECT_EQ(c->UndoLastChange(0), DBERR_NOTHINGTOUNDO);
  // modify and modify back: two entries, no net change
  ASSERT_EQ(Modify(c.get(), "x"), DBERR_NONE);
  EXPECT_EQ(Prop(t.get(), dspropNOOFCHANGES), 1);
  EXPECT_EQ(RecAttr(c.get()), dsRecModified);
  ASSERT_EQ(Modify(c.get(), "b"), DBERR_NONE);
  EXPECT_EQ(Prop(t.get(), dspropNOOFCHANGES), 0);
  EXPECT_EQ(Prop(t.get(), dspropUPDATESPENDING), 0);
  ASSERT_EQ(c->UndoLastChange(1), DBERR_NONE);
  EXPECT_EQ(CurrentS(c.get()), "x");
  ASSERT_EQ(c->UndoLastChange(1), DBERR_NONE);
  EXPECT_EQ(CurrentS(c.get()), "b");
  EXPECT_EQ(RecAttr(c.get()), dsRecUnmodified);
  EXPECT_EQ(c->UndoLastChange(1), DBERR_NOTHINGTOUNDO);
}

TEST(Editing, RequiredFields) {
  auto t = ProgramTable(static_cast<std::uint16_t>(fldAttrREQUIRED));
  auto c = OpenCursor(t.get());
  struct Case {
    const char* what;
    Cell nome;
    EngineResult insert;
  };
  const std::vector<Case> cases = {{"empty string", std::string(), DBERR_REQDERR},
                                   {"blank", std::nullopt, DBERR_REQDERR},
                                   {"spaces trimmed to empty", std::string("   "), DBERR_REQDERR},
                                   {"a value", std::string("Ana"), DBERR_NONE}};
  for (const auto& k : cases) {
    SCOPED_TRACE(k.what);
    EXPECT_EQ(Insert(c.get(), 7, k.nome), k.insert);
  }
  EXPECT_EQ(VisibleS(c.get()), std::vector<std::string>{"Ana"});
  ASSERT_TRUE(GoTo(c.get(), 7));
  EXPECT_EQ(Modify(c.get(), std::string()), DBERR_REQDERR);
  EXPECT_EQ(Modify(c.get(), std::nullopt), DBERR_REQDERR);
  EXPECT_EQ(CurrentS(c.get()), "Ana");
  EXPECT_EQ(Prop(t.get(), dspropNOOFCHANGES), 1);
}

TEST(Editing, ReadOnlyAndDisabledOperations) {
  struct Case {
    const char* what;
    DSProp prop;
    bool logging;
    EngineResult insert, modify, del;
  };
  // A read-only table refuses changes whether or not they are logged; the
  // disable switches only guard logged changes.
  const std::vector<Case> cases = {
      {"read-only, logging", dspropREADONLY, true, DBERR_READONLYDB, DBERR_READONLYDB, DBERR_READONLYDB},
      {"read-only, no logging", dspropREADONLY, false, DBERR_READONLYDB, DBERR_READONLYDB, DBERR_READONLYDB},
      {"inserts disabled", dspropDISABLEINSERTS, true, DBERR_READONLYDB, DBERR_NONE, DBERR_NONE},
      {"edits disabled", dspropDISABLEEDITS, true, DBERR_NONE, DBERR_READONLYDB, DBERR_NONE},
      {"deletes disabled", dspropDISABLEDELETES, true, DBERR_NONE, DBERR_NONE, DBERR_READONLYDB},
      {"deletes disabled, no logging", dspropDISABLEDELETES, false, DBERR_NONE, DBERR_NONE, DBERR_NONE},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.what);
    auto t = MakeTable({{1, "a"}, {2, "b"}}, 50);
    ASSERT_EQ(t->SetProp(dspropLOGCHANGES, k.logging), DBERR_NONE);
    ASSERT_EQ(t->SetProp(k.prop, 1), DBERR_NONE);
    auto c = OpenCursor(t.get());
    EXPECT_EQ(Insert(c.get(), 3, "c"), k.insert);
    ASSERT_TRUE(GoTo(c.get(), 1));
    EXPECT_EQ(Modify(c.get(), "z"), k.modify);
    ASSERT_TRUE(GoTo(c.get(), 2));
    EXPECT_EQ(c->DeleteRecord(), k.del);
  }
}

TEST(Editing, LoggingOffLeavesNoTrace) {
  auto t = MakeTable({{1, "a"}, {2, "b"}}, 50);
  ASSERT_EQ(t->SetProp(dspropLOGCHANGES, 0), DBERR_NONE);
  auto c = OpenCursor(t.get());
  ASSERT_EQ(Insert(c.get(), 3, "c"), DBERR_NONE);
  EXPECT_EQ(RecAttr(c.get()), dsRecUnmodified);
  ASSERT_TRUE(GoTo(c.get(), 1));
  ASSERT_EQ(Modify(c.get(), "z"), DBERR_NONE);
  EXPECT_EQ(RecAttr(c.get()), dsRecUnmodified);
  ASSERT_TRUE(GoTo(c.get(), 2));
  ASSERT_EQ(c->DeleteRecord(), DBERR_NONE);
  EXPECT_EQ(VisibleS(c.get()), (std::vector<std::string>{"z", "c"}));
  EXPECT_EQ(Prop(t.get(), dspropNOOFCHANGES), 0);
  EXPECT_EQ(Prop(t.get(), dspropDATAHASCHANGED), 3);
  EXPECT_EQ(c->UndoLastChange(1), DBERR_NOTHINGTOUNDO);
}

TEST(Editing, IndexesFollowEditsAndUniqueKeysHold) {
  auto t = MakeTable({{1, "m"}, {2, "c"}, {3, "x"}}, 50);
  const DSIDXDesc onS = IndexOn("byS", {2}), onK = IndexOn("byK", {1}, {}, {}, true);
  ASSERT_EQ(t->CreateIndex(&onS), DBERR_NONE);
  ASSERT_EQ(t->CreateIndex(&onK), DBERR_NONE);
  auto c = OpenCursor(t.get());
  auto byS = OpenCursor(t.get());
  ASSERT_EQ(byS->UseIndexOrder("byS"), DBERR_NONE);
  ASSERT_EQ(Insert(c.get(), 4, "a"), DBERR_NONE);
  EXPECT_EQ(VisibleS(byS.get()), (std::vector<std::string>{"a", "c", "m", "x"}));
  ASSERT_TRUE(GoTo(c.get(), 3));
  ASSERT_EQ(Modify(c.get(), "b"), DBERR_NONE);
  EXPECT_EQ(VisibleS(byS.get()), (std::vector<std::string>{"a", "b", "c", "m"}));
  // a duplicate key changes nothing
  EXPECT_EQ(Insert(c.get(), 2, "dup"), DBERR_KEYVIOL);
  ASSERT_TRUE(GoTo(c.get(), 1));
  EXPECT_EQ(Modify(c.get(), "m", 4), DBERR_KEYVIOL);
  EXPECT_EQ(VisibleS(byS.get()), (std::vector<std::string>{"a", "b", "c", "m"}));
  EXPECT_EQ(Prop(t.get(), dspropNOOFCHANGES), 2);
  ASSERT_EQ(c->UndoLastChange(1), DBERR_NONE);
  ASSERT_EQ(c->UndoLastChange(1), DBERR_NONE);
  EXPECT_EQ(VisibleS(byS.get()), (std::vector<std::string>{"c", "m", "x"}));
  EXPECT_EQ(VisibleK(c.get()), (std::vector<std::int32_t>{1, 2, 3}));
}

TEST(Editing, OtherCursorsFollowEveryChange) {
  auto t = MakeTable({{1, "a"}, {2, "b"}, {3, "c"}}, 50);
  auto editor = OpenCursor(t.get());
  auto watcher = OpenCursor(t.get());
  ASSERT_TRUE(GoTo(watcher.get(), 2));
  ASSERT_TRUE(GoTo(editor.get(), 2));
  std::vector<std::uint8_t> mark(20);
  ASSERT_EQ(editor->GetCurrentBookMark(mark.data()), DBERR_NONE);
  ASSERT_EQ(Modify(editor.get(), "B"), DBERR_NONE);
  EXPECT_EQ(CurrentS(watcher.get()), "B");  // follows to the new version
  ASSERT_EQ(editor->MoveToBOF(), DBERR_NONE);
  ASSERT_EQ(editor->MoveToBookMark(mark.data()), DBERR_NONE);  // so does a bookmark
  EXPECT_EQ(CurrentS(editor.get()), "B");
  ASSERT_EQ(Insert(editor.get(), 0, "first"), DBERR_NONE);
  EXPECT_EQ(CurrentS(watcher.get()), "B");
  ASSERT_TRUE(GoTo(editor.get(), 2));
  ASSERT_EQ(editor->DeleteRecord(), DBERR_NONE);
  std::uint8_t rec[128];
  EXPECT_EQ(watcher->GetCurrentRecord(rec), DBERR_KEYORRECDELETED);
  EXPECT_EQ(editor->GetCurrentRecord(rec), DBERR_KEYORRECDELETED);
  ASSERT_EQ(watcher->MoveRelative(1), DBERR_NONE);
  EXPECT_EQ(CurrentS(watcher.get()), "c");  // the follower
  ASSERT_EQ(editor->UndoLastChange(1), DBERR_NONE);  // the delete
  EXPECT_EQ(CurrentS(editor.get()), "B");
  ASSERT_TRUE(GoTo(watcher.get(), 2));
  ASSERT_EQ(editor->UndoLastChange(1), DBERR_NONE);  // the insert
  ASSERT_EQ(editor->UndoLastChange(1), DBERR_NONE);  // the modification
  EXPECT_EQ(CurrentS(watcher.get()), "b");  // back to the first version
  EXPECT_EQ(CurrentS(editor.get()), "b");
  EXPECT_EQ(VisibleS(watcher.get()), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(Editing, RevertRecord) {
  auto t = MakeTable({{1, "a"}, {2, "b"}}, 50);
  auto c = OpenCursor(t.get());
  ASSERT_EQ(Insert(c.get(), 3, "c"), DBERR_NONE);
  ASSERT_TRUE(GoTo(c.get(), 1));
  ASSERT_EQ(Modify(c.get(), "x"), DBERR_NONE);
  ASSERT_EQ(Modify(c.get(), "y"), DBERR_NONE);
  ASSERT_EQ(c->RevertRecord(), DBERR_NONE);
  EXPECT_EQ(CurrentS(c.get()), "a");
  EXPECT_EQ(RecAttr(c.get()), dsRecUnmodified);
  EXPECT_EQ(Prop(t.get(), dspropNOOFCHANGES), 1);  // the insert stays
  ASSERT_TRUE(GoTo(c.get(), 3));
  ASSERT_EQ(Modify(c.get(), "z"), DBERR_NONE);
  ASSERT_EQ(c->RevertRecord(), DBERR_NONE);  // an insert disappears
  std::uint8_t rec[128];
  EXPECT_EQ(c->GetCurrentRecord(rec), DBERR_KEYORRECDELETED);
  ASSERT_TRUE(GoTo(c.get(), 2));
  ASSERT_EQ(c->DeleteRecord(), DBERR_NONE);
  ASSERT_EQ(c->RevertRecord(), DBERR_NONE);  // a delete is undone
  EXPECT_EQ(VisibleS(c.get()), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(Prop(t.get(), dspropNOOFCHANGES), 0);
  EXPECT_EQ(c->UndoLastChange(1), DBERR_NOTHINGTOUNDO);
}
