// Master-detail links: detail cursors linked by fields to a separate table
// and over nested tables, editing through them with the masters' change
// logs, cascades, and attaching a table as a nested table.
#include <gtest/gtest.h>

#include <cstring>

#include "edit_fixture.h"

using namespace engine;
using namespace enginetest;

namespace {

using Strings = std::vector<std::string>;

// Orders (id, name) masters with details (master id, text).
struct Linked {
  DSRef<IDSBase> master = MakeTable({{1, "one"}, {2, "two"}, {3, "three"}, {4, "four"}});
  DSRef<IDSBase> detail = MakeTable({{1, "a"}, {2, "b"}, {1, "c"}, {3, "d"}, {1, "e"}});
  DSRef<IDSCursor> m, d;

  explicit Linked(bool link = true) {
    EXPECT_EQ(detail->CreateIndex(&ByK()), DBERR_NONE);
    m = OpenCursor(master.get());
    d = OpenCursor(detail.get());
    EXPECT_EQ(d->UseIndexOrder("byK"), DBERR_NONE);
    if (link) {
      EXPECT_EQ(Link(), DBERR_NOCURRREC);  // the master starts before its first record
    }
  }
  static const DSIDXDesc& ByK() {
    static const DSIDXDesc ix = IndexOn("byK", {1});
    return ix;
  }
  EngineResult Link() {
    const std::uint32_t mf = 1, df = 1;
    return m->LinkCursors(1, &mf, &df, d.get());
  }
  // The detail rows of the master with an id.
  Strings DetailsOf(std::int32_t id) {
    EXPECT_TRUE(GoTo(m.get(), id));
    EXPECT_EQ(d->ResyncWithMaster(), DBERR_NONE);
    return VisibleS(d.get());
  }
};

std::int32_t Count(IDSCursor* c) {
  std::int32_t n = -1;
  c->GetRecordCount(&n);
  return n;
}

}  // namespace

TEST(MasterDetail, DetailOrderMustBeginWithTheLinkFields) {
  struct Case {
    const char* order;  // nullptr: the default order (no key fields)
    std::vector<int> keys;
    std::uint32_t masterField, detailField;
    EngineResult expected;
  };
  const std::vector<Case> cases = {
      {nullptr, {}, 1, 1, DBERR_OUTOFRANGE},        {"byS", {2}, 1, 1, DBERR_OUTOFRANGE},
      {"byK", {1}, 1, 1, DBERR_NOCURRREC},          {"byKS", {1, 2}, 1, 1, DBERR_NOCURRREC},
      {"byK", {1}, 3, 1, DBERR_INVALIDPARAM},       {"byK", {1}, 1, 0, DBERR_INVALIDPARAM},
      {"byS", {2}, 1, 2, DBERR_INVALIDPARAM},  // an integer cannot link to a string
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.order ? c.order : "default");
    Linked l(false);
    if (c.order) {
      const DSIDXDesc ix = IndexOn(c.order, c.keys);
      l.detail->CreateIndex(&ix);
      ASSERT_EQ(l.d->UseIndexOrder(c.order), DBERR_NONE);
    } else {
      ASSERT_EQ(l.d->UseIndexOrder(nullptr), DBERR_NONE);
    }
    EXPECT_EQ(l.m->LinkCursors(1, &c.masterField, &c.detailField, l.d.get()), c.expected);
  }
}

TEST(MasterDetail, DetailShowsTheRecordsOfTheMastersCurrentRecord) {
  Linked l;
  EXPECT_EQ(Count(l.d.get()), 0);
  const std::vector<std::pair<std::int32_t, Strings>> cases = {
      {1, {"a", "c", "e"}}, {2, {"b"}}, {4, {}}, {3, {"d"}}, {1, {"a", "c", "e"}}};
  for (const auto& [id, rows] : cases) {
    SCOPED_TRACE(id);
    EXPECT_EQ(l.DetailsOf(id), rows);
    EXPECT_EQ(Count(l.d.get()), static_cast<std::int32_t>(rows.size()));
  }
  // the detail keeps its order switch within orders that begin with the link fields
  EXPECT_EQ(l.d->UseIndexOrder(nullptr), DBERR_OUTOFRANGE);
  const std::uint32_t byS = 2;
  EXPECT_EQ(l.d->SortOnFields(1, &byS, nullptr, nullptr), DBERR_OUTOFRANGE);
}

TEST(MasterDetail, MasterWithoutCurrentRecordEmptiesTheDetail) {
  struct Case {
    const char* name;
    void (*place)(IDSCursor* m);
  };
  const std::vector<Case> cases = {
      {"BOF", [](IDSCursor* m) { m->MoveToBOF(); }},
      {"EOF", [](IDSCursor* m) { m->MoveToEOF(); }},
      {"deleted", [](IDSCursor* m) {
         ASSERT_TRUE(GoTo(m, 4));
         ASSERT_EQ(m->DeleteRecord(), DBERR_NONE);
       }},
      {"crack", [](IDSCursor* m) { ASSERT_EQ(m->SetProp(curpropSETCRACK, 0), DBERR_NONE); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Linked l;
    ASSERT_EQ(l.DetailsOf(1).size(), 3u);
    ASSERT_TRUE(GoTo(l.m.get(), 1));
    c.place(l.m.get());
    EXPECT_EQ(l.d->ResyncWithMaster(), DBERR_NOCURRREC);
    EXPECT_EQ(Count(l.d.get()), 0);
    EXPECT_EQ(l.d->GetCurrentRecord(nullptr), DBERR_NOCURRREC);
    EXPECT_EQ(l.d->MoveRelative(1), DBERR_EOF);
    EXPECT_EQ(Insert(l.d.get(), 1, "x"), DBERR_NOMASTERRECORD);
  }
}

TEST(MasterDetail, DetailInsertTakesTheMastersLinkValues) {
  Linked l;
  ASSERT_EQ(l.DetailsOf(2), Strings{"b"});
  auto buf = RecBuf(l.d.get());
  ASSERT_EQ(l.d->InitRecord(buf.data()), DBERR_NONE);
  std::int32_t k = 0;
  DSBool blank = 1;
  ASSERT_EQ(l.d->GetField(buf.data(), 1, &k, &blank), DBERR_NONE);
  EXPECT_EQ(k, 2);
  EXPECT_FALSE(blank);
  // a different value in the buffer still gives the master's
  EXPECT_EQ(Insert(l.d.get(), 99, "x"), DBERR_NONE);
  EXPECT_EQ(CurrentS(l.d.get()), "x");
  ASSERT_EQ(l.d->GetField(nullptr, 1, &k, &blank), DBERR_NONE);
  EXPECT_EQ(k, 2);
  EXPECT_EQ(VisibleS(l.d.get()), (Strings{"b", "x"}));
  // the link field keeps its value when the record is modified
  ASSERT_EQ(l.d->MoveToBOF(), DBERR_NONE);
  ASSERT_EQ(l.d->MoveRelative(1), DBERR_NONE);
  EXPECT_EQ(Modify(l.d.get(), "b2", 3), DBERR_NONE);
  EXPECT_EQ(VisibleS(l.d.get()), (Strings{"b2", "x"}));
  EXPECT_EQ(l.DetailsOf(3), Strings{"d"});
}

TEST(MasterDetail, DetailChangesAreLoggedForTheMasterAndUndoneThroughIt) {
  struct Step {
    const char* name;
    EngineResult (*change)(IDSCursor* d);
  };
  const std::vector<Step> steps = {
      {"insert", [](IDSCursor* d) { return Insert(d, 0, "x"); }},
      {"modify", [](IDSCursor* d) {
         GoTo(d, 1);
         return Modify(d, "a2");
       }},
      {"delete", [](IDSCursor* d) {
         d->MoveToBOF();
         d->MoveRelative(2);
         return d->DeleteRecord();
       }},
  };
  Linked l;
  ASSERT_EQ(l.DetailsOf(1), (Strings{"a", "c", "e"}));
  const std::vector<Strings> after = {{"a", "c", "e", "x"}, {"a2", "c", "e", "x"}, {"a2", "e", "x"}};
  for (std::size_t i = 0; i < steps.size(); ++i) {
    SCOPED_TRACE(steps[i].name);
    ASSERT_EQ(steps[i].change(l.d.get()), DBERR_NONE);
    EXPECT_EQ(VisibleS(l.d.get()), after[i]);
  }
  EXPECT_EQ(Prop(l.master.get(), dspropNOOFCHANGES), 1);  // one master record with changed details
  EXPECT_EQ(Prop(l.master.get(), dspropUPDATESPENDING), 1);
  // undo through the master takes the detail changes back, newest first
  for (std::size_t i = steps.size(); i-- > 0;) {
    SCOPED_TRACE(i);
    ASSERT_EQ(l.m->UndoLastChange(0), DBERR_NONE);
    ASSERT_EQ(l.d->ResyncWithMaster(), DBERR_NONE);
    EXPECT_EQ(VisibleS(l.d.get()), (i == 0 ? Strings{"a", "c", "e"} : after[i - 1]));
  }
  EXPECT_EQ(l.m->UndoLastChange(0), DBERR_NOTHINGTOUNDO);
  EXPECT_EQ(l.d->UndoLastChange(0), DBERR_NOTHINGTOUNDO);
  EXPECT_EQ(Prop(l.master.get(), dspropNOOFCHANGES), 0);
}

TEST(MasterDetail, UndoThroughTheDetailCancelsTheMastersEntry) {
  Linked l;
  ASSERT_EQ(l.DetailsOf(2), Strings{"b"});
  ASSERT_EQ(Insert(l.d.get(), 0, "x"), DBERR_NONE);
  ASSERT_EQ(Insert(l.d.get(), 0, "y"), DBERR_NONE);
  ASSERT_EQ(l.d->UndoLastChange(1), DBERR_NONE);
  EXPECT_EQ(VisibleS(l.d.get()), (Strings{"b", "x"}));
  // the master's remaining entry undoes the remaining detail change only
  ASSERT_EQ(l.m->UndoLastChange(0), DBERR_NONE);
  EXPECT_EQ(l.m->UndoLastChange(0), DBERR_NOTHINGTOUNDO);
  EXPECT_EQ(VisibleS(l.d.get()), Strings{"b"});
  // reverting a detail record cancels the entries of its changes too
  ASSERT_EQ(Insert(l.d.get(), 0, "z"), DBERR_NONE);
  ASSERT_EQ(Modify(l.d.get(), "z2"), DBERR_NONE);
  ASSERT_EQ(l.d->RevertRecord(), DBERR_NONE);
  EXPECT_EQ(l.m->UndoLastChange(0), DBERR_NOTHINGTOUNDO);
  EXPECT_EQ(VisibleS(l.d.get()), Strings{"b"});
}

TEST(MasterDetail, NoMasterEntriesWithoutLogging) {
  Linked l;
  ASSERT_EQ(l.detail->SetProp(dspropLOGCHANGES, 0), DBERR_NONE);
  ASSERT_EQ(l.DetailsOf(2), Strings{"b"});
  ASSERT_EQ(Insert(l.d.get(), 0, "x"), DBERR_NONE);
  EXPECT_EQ(l.m->UndoLastChange(0), DBERR_NOTHINGTOUNDO);
  EXPECT_EQ(VisibleS(l.d.get()), (Strings{"b", "x"}));
}

TEST(MasterDetail, MasterRecordsWithDetails) {
  struct Case {
    const char* name;
    std::int32_t semantics;
    EngineResult del, relink;
  };
  const std::vector<Case> cases = {
      {"no cascades", 0, DBERR_DETAILRECORDSEXIST, DBERR_NOCASCADEDUPDATES},
      {"cascades", mdCASCADEDEL | mdCASCADEMOD, DBERR_NONE, DBERR_NONE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Linked l;
    ASSERT_EQ(l.master->SetProp(dspropMD_SEMANTICS, static_cast<std::uintptr_t>(c.semantics)), DBERR_NONE);
    ASSERT_TRUE(GoTo(l.m.get(), 3));
    EXPECT_EQ(Modify(l.m.get(), "three", 30), c.relink);
    EXPECT_EQ(l.DetailsOf(c.relink == DBERR_NONE ? 30 : 3), Strings{"d"});
    ASSERT_TRUE(GoTo(l.m.get(), 1));
    EXPECT_EQ(l.m->DeleteRecord(), c.del);
    // master records without details change freely
    ASSERT_TRUE(GoTo(l.m.get(), 4));
    EXPECT_EQ(Modify(l.m.get(), "four", 40), DBERR_NONE);
    EXPECT_EQ(l.m->DeleteRecord(), DBERR_NONE);
    std::int32_t n = 0;
    l.detail->GetProp(dspropRECORDSINDS, &n);
    EXPECT_EQ(n, c.del == DBERR_NONE ? 2 : 5);
    // undo brings every cascaded change back
    while (l.m->UndoLastChange(0) == DBERR_NONE) {
    }
    EXPECT_EQ(l.DetailsOf(1), (Strings{"a", "c", "e"}));
    EXPECT_EQ(l.DetailsOf(3), Strings{"d"});
  }
}

// ---------------------------------------------------------------------------
// Nested tables

namespace {

PacketBuilder NestedPacket() {
  PacketBuilder b;
  Col orders{"orders", 0x050E0001u};
  orders.nested = {{"qty", 0x00010004u}};
  b.cols = {{"id", 0x00010004u}, orders};
  b.rows = {Row{0, {Int(1, 4), NestedRows({Row{0, {Int(10, 4)}}, Row{0, {Int(11, 4)}}})}},
            Row{0, {Int(2, 4), NestedRows({})}}, Row{0, {Int(3, 4), NestedRows({Row{0, {Int(30, 4)}}})}},
            Row{0, {Int(4, 4), NestedNotFetched()}}, Row{0, {Int(5, 4), Null()}}};
  return b;
}

struct NestedLinked {
  DSRef<IDSBase> t, nested;
  DSRef<IDSCursor> m, d;
  explicit NestedLinked(const Bytes& packet, std::uint32_t field = 2) {
    EXPECT_EQ(Load(packet, t), DBERR_NONE);
    EXPECT_EQ(t->GetEmbeddedDS(field, nested.put()), DBERR_NONE);
    m = OpenCursor(t.get());
    d = OpenCursor(nested.get());
    m->LinkCursors(0, nullptr, nullptr, d.get());
  }
  std::vector<std::int32_t> DetailsOf(std::int32_t id) {
    EXPECT_TRUE(GoTo(m.get(), id));
    d->ResyncWithMaster();
    return VisibleK(d.get());
  }
  Bytes Stream() {
    Bytes p;
    EXPECT_EQ(t->StreamDS(&p), DBERR_NONE);
    return p;
  }
};

EngineResult InsertQty(IDSCursor* d, std::int32_t qty) {
  auto buf = RecBuf(d);
  d->InitRecord(buf.data());
  d->PutField(buf.data(), 1, &qty);
  return d->InsertRecord(buf.data());
}

using Ints = std::vector<std::int32_t>;

}  // namespace

TEST(MasterDetailNested, EditsThroughTheDetailCursorRoundTripWithTheirLogs) {
  NestedLinked n(NestedPacket().Packet());
  const std::vector<std::pair<std::int32_t, EngineResult>> inserts = {
      {2, DBERR_NONE}, {1, DBERR_NONE}, {5, DBERR_NONE}, {4, DBERR_DETAILSNOTFETCHED}};
  for (const auto& [id, expected] : inserts) {
    SCOPED_TRACE(id);
    n.DetailsOf(id);
    EXPECT_EQ(InsertQty(n.d.get(), id * 100), expected);
  }
  EXPECT_EQ(n.DetailsOf(2), Ints{200});
  EXPECT_EQ(n.DetailsOf(1), (Ints{10, 11, 100}));
  EXPECT_EQ(n.DetailsOf(5), Ints{500});  // a master without a link number gets one
  // modifying the master record keeps its details (written once, read back once)
  ASSERT_TRUE(GoTo(n.m.get(), 1));
  auto buf = RecBuf(n.m.get());
  ASSERT_EQ(n.m->GetCurrentRecord(buf.data()), DBERR_NONE);
  const std::int32_t eleven = 11;
  n.m->PutField(buf.data(), 1, &eleven);
  ASSERT_EQ(n.m->ModifyRecord(buf.data()), DBERR_NONE);
  EXPECT_EQ(n.DetailsOf(11), (Ints{10, 11, 100}));
  EXPECT_EQ(n.m->DeleteRecord(), DBERR_DETAILRECORDSEXIST);
  // unlinked cursors do not change nested records
  auto loose = OpenCursor(n.nested.get());
  EXPECT_EQ(InsertQty(loose.get(), 1), DBERR_NA);

  NestedLinked back(n.Stream());
  EXPECT_EQ(back.DetailsOf(2), Ints{200});
  EXPECT_EQ(back.DetailsOf(11), (Ints{10, 11, 100}));
  EXPECT_EQ(back.DetailsOf(3), Ints{30});
  EXPECT_EQ(back.DetailsOf(5), Ints{500});
  EXPECT_EQ(back.Stream(), n.Stream());
  // the logs came back with the rows: undo through the master, step by step
  const std::vector<std::pair<std::int32_t, Ints>> undone = {
      {1, {10, 11, 100}}, {5, {}}, {1, {10, 11}}, {2, {}}};
  for (const auto& [id, rows] : undone) {
    SCOPED_TRACE(id);
    ASSERT_EQ(back.m->UndoLastChange(0), DBERR_NONE);
    EXPECT_EQ(back.DetailsOf(id), rows);
  }
  EXPECT_EQ(back.m->UndoLastChange(0), DBERR_NOTHINGTOUNDO);
  EXPECT_EQ(back.DetailsOf(3), Ints{30});
}

TEST(MasterDetailNested, CascadedDeleteOfAMasterRecord) {
  NestedLinked n(NestedPacket().Packet());
  ASSERT_EQ(n.t->SetProp(dspropMD_SEMANTICS, mdCASCADEDEL), DBERR_NONE);
  ASSERT_TRUE(GoTo(n.m.get(), 1));
  ASSERT_EQ(n.m->DeleteRecord(), DBERR_NONE);
  EXPECT_EQ(VisibleK(n.m.get()), (Ints{2, 3, 4, 5}));
  EXPECT_EQ(Prop(n.nested.get(), dspropRECORDSINDS), 1);
  for (int i = 0; i < 3; ++i) ASSERT_EQ(n.m->UndoLastChange(0), DBERR_NONE);
  EXPECT_EQ(n.m->UndoLastChange(0), DBERR_NOTHINGTOUNDO);
  EXPECT_EQ(n.DetailsOf(1), (Ints{10, 11}));
}

// ---------------------------------------------------------------------------
// MakeEmbedded

TEST(MakeEmbedded, AttachesATableAsNestedRowsThatRoundTrip) {
  auto master = MakeTable({{1, "one"}, {2, "two"}, {3, "three"}});
  auto detail = MakeTable({{1, "a"}, {2, "b"}, {1, "c"}});
  const std::uint32_t mf = 1, df = 1;
  ASSERT_EQ(master->MakeEmbedded(detail.get(), 1, &mf, &df, "lines", nullptr), DBERR_NONE);
  DSProps props{};
  ASSERT_EQ(master->GetProps(&props), DBERR_NONE);
  ASSERT_EQ(std::int32_t{props.iFields}, 3);
  Bytes packet;
  ASSERT_EQ(master->StreamDS(&packet), DBERR_NONE);
  NestedLinked n(packet, 3);
  std::vector<Strings> rows;
  for (std::int32_t id : {1, 2, 3}) {
    GoTo(n.m.get(), id);
    n.d->ResyncWithMaster();
    rows.push_back(VisibleS(n.d.get()));
  }
  EXPECT_EQ(rows, (std::vector<Strings>{{"a", "c"}, {"b"}, {}}));
  // a new nested record takes the master's link value
  ASSERT_EQ(Insert(n.d.get(), 77, "d"), DBERR_NONE);
  std::int32_t k = 0;
  ASSERT_EQ(n.d->GetField(nullptr, 1, &k, nullptr), DBERR_NONE);
  EXPECT_EQ(k, 3);
  // the detail table itself stays as it was
  auto c = OpenCursor(detail.get());
  EXPECT_EQ(VisibleS(c.get()), (Strings{"a", "b", "c"}));
}

TEST(MakeEmbedded, RefusesWhatCannotBeAttached) {
  struct Case {
    const char* name;
    std::vector<KS> masterRows, detailRows;
    std::uint32_t masterField, detailField;
    const char* fieldName;
    EngineResult expected;
  };
  const std::vector<Case> cases = {
      {"detail without master", {{1, "one"}}, {{1, "a"}, {9, "b"}}, 1, 1, "lines", DBERR_NOMASTERRECORD},
      {"master link not unique", {{1, "one"}, {1, "uno"}}, {{1, "a"}}, 1, 1, "lines", DBERR_LINKFIELDSNOTUNIQUE},
      {"field out of range", {{1, "one"}}, {{1, "a"}}, 3, 1, "lines", DBERR_INVALIDPARAM},
      {"types differ", {{1, "one"}}, {{1, "a"}}, 1, 2, "lines", DBERR_INVALIDPARAM},
      {"name taken", {{1, "one"}}, {{1, "a"}}, 1, 1, "K", DBERR_NAMENOTUNIQUE},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto master = MakeTable(c.masterRows);
    auto detail = MakeTable(c.detailRows);
    EXPECT_EQ(master->MakeEmbedded(detail.get(), 1, &c.masterField, &c.detailField, c.fieldName, nullptr),
              c.expected);
    DSProps props{};
    master->GetProps(&props);
    EXPECT_EQ(std::int32_t{props.iFields}, 2);
  }
  auto t = MakeTable({{1, "one"}});
  const std::uint32_t one = 1;
  EXPECT_EQ(t->MakeEmbedded(t.get(), 1, &one, &one, "self", nullptr), DBERR_INVALIDPARAM);
}

TEST(MasterDetailPacket, ModifiedRowTakesAnUnchangedBlobFromItsOriginal) {
  PacketBuilder b;
  b.cols = {{"k", 0x00010004u}, {"m", 0x004B0004u}};
  Bytes log = LE(3, 4);
  for (std::uint32_t x : {2u, 1u, 8u}) {
    const Bytes e = LE(x, 4);
    log.insert(log.end(), e.begin(), e.end());
  }
  b.tableAttrs = {{"CHANGE_LOG", 0x00820004u, log}};
  b.rows = {Row{1, {Int(1, 4), VarBytes({7, 8})}}, Row{8, {Int(2, 4), Unchanged()}}};
  DSRef<IDSBase> t;
  ASSERT_EQ(Load(b.Packet(), t), DBERR_NONE);
  auto c = OpenCursor(t.get());
  ASSERT_EQ(c->MoveRelative(1), DBERR_NONE);
  std::uint32_t len = 0;
  ASSERT_EQ(c->GetBlobLen(nullptr, 2, &len), DBERR_NONE);
  ASSERT_EQ(len, 2u);
  std::uint8_t v[2] = {};
  ASSERT_EQ(c->GetBlob(nullptr, 2, 0, v, &len), DBERR_NONE);
  EXPECT_EQ(v[1], 8);
  // and it is written back as unchanged, byte for byte
  Bytes out;
  ASSERT_EQ(t->StreamDS(&out), DBERR_NONE);
  EXPECT_EQ(out, b.Packet());
}
