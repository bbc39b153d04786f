// Random edits (insert, modify, delete, undo, save point, roll-back,
// accept, revert) against a reference model made of plain snapshots,
// comparing the default order, an index on codigo and the change count.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <random>

#include "edit_fixture.h"

using namespace engine;
using namespace enginetest;

namespace {

struct MRec {
  std::uint32_t id;  // insertion order
  std::int32_t k;
  std::string s;
  bool operator==(const MRec&) const = default;
};
using Snapshot = std::vector<MRec>;  // by id

struct ModelTable {
  Snapshot cur, base;
  std::vector<Snapshot> history;      // state before each logged change
  std::map<std::int32_t, std::size_t> savePoints;  // engine id -> log length
  std::uint32_t nextId = 1;

  void Change() { history.push_back(cur); }
  std::int32_t NetChanges() const {
    std::int32_t n = 0;
    for (const auto& r : cur) {
      auto it = std::find_if(base.begin(), base.end(), [&](const MRec& b) { return b.id == r.id; });
      if (it == base.end() || !(*it == r)) ++n;
    }
    for (const auto& b : base)
      if (std::none_of(cur.begin(), cur.end(), [&](const MRec& r) { return r.id == b.id; })) ++n;
    return n;
  }
  std::vector<std::int32_t> ByK() const {
    Snapshot v = cur;
    std::stable_sort(v.begin(), v.end(), [](const MRec& a, const MRec& b) { return a.k < b.k; });
    std::vector<std::int32_t> out;
    for (const auto& r : v) out.push_back(static_cast<std::int32_t>(r.id));
    return out;
  }
};

std::vector<std::string> EngineRows(IDSCursor* c) {
  std::vector<std::string> out;
  c->MoveToBOF();
  while (c->MoveRelative(1) == DBERR_NONE) {
    std::int32_t k = 0;
    c->GetField(nullptr, 1, &k, nullptr);
    out.push_back(std::to_string(k) + ":" + CurrentS(c));
  }
  return out;
}

std::vector<std::string> ModelRows(const Snapshot& v) {
  std::vector<std::string> out;
  for (const auto& r : v) out.push_back(std::to_string(r.k) + ":" + r.s);
  return out;
}

void RunEdits(std::uint32_t seed, int steps) {
  std::mt19937 rng(seed);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  auto t = ProgramTable();
  const DSIDXDesc byK = IndexOn("byK", {1});
  ASSERT_EQ(t->CreateIndex(&byK), DBERR_NONE);
  auto c = OpenCursor(t.get());
  auto sorted = OpenCursor(t.get());
  ASSERT_EQ(sorted->UseIndexOrder("byK"), DBERR_NONE);
  ModelTable m;
  for (int step = 0; step < steps; ++step) {
    const int op = pick(16);
    SCOPED_TRACE(testing::Message() << "seed " << seed << " step " << step << " op " << op);
    const int n = static_cast<int>(m.cur.size());
    if (op <= 4 || n == 0) {  // insert
      const MRec r{m.nextId, pick(20), std::string(1, static_cast<char>('a' + pick(5)))};
      ASSERT_EQ(Insert(c.get(), r.k, r.s), DBERR_NONE);
      m.Change();
      m.cur.push_back(r);
      ++m.nextId;
    } else if (op <= 7) {  // modify a random record (sometimes to the same values)
      const int i = pick(n);
      ASSERT_TRUE(c->MoveToBOF() == DBERR_NONE && c->MoveRelative(i + 1) == DBERR_NONE);
      MRec r = m.cur[static_cast<std::size_t>(i)];
      if (pick(4)) r.k = pick(20);
      if (pick(2)) r.s = std::string(1, static_cast<char>('a' + pick(5)));
      ASSERT_EQ(Modify(c.get(), r.s, r.k), DBERR_NONE);
      if (!(r == m.cur[static_cast<std::size_t>(i)])) {
        m.Change();
        m.cur[static_cast<std::size_t>(i)] = r;
      }
    } else if (op <= 9) {  // delete
      const int i = pick(n);
      ASSERT_TRUE(c->MoveToBOF() == DBERR_NONE && c->MoveRelative(i + 1) == DBERR_NONE);
      ASSERT_EQ(c->DeleteRecord(), DBERR_NONE);
      m.Change();
      m.cur.erase(m.cur.begin() + i);
    } else if (op <= 11) {  // undo
      const EngineResult r = c->UndoLastChange(pick(2));
      if (m.history.empty()) {
        ASSERT_EQ(r, DBERR_NOTHINGTOUNDO);
      } else {
        ASSERT_EQ(r, DBERR_NONE);
        m.cur = m.history.back();
        m.history.pop_back();
      }
    } else if (op == 12) {  // save point
      std::int32_t sp = -1;
      ASSERT_EQ(t->GetProp(dspropGETSAVEPOINT, &sp), DBERR_NONE);
      if (m.history.empty()) {
        ASSERT_EQ(sp, 0);
      } else {
        m.savePoints[sp] = m.history.size();
      }
    } else if (op == 13 && !m.savePoints.empty()) {  // roll back
      auto it = std::next(m.savePoints.begin(), pick(static_cast<int>(m.savePoints.size())));
      ASSERT_EQ(t->RollBack(static_cast<std::uint32_t>(it->first)), DBERR_NONE);
      if (it->second < m.history.size()) m.cur = m.history[it->second];
      m.history.resize(it->second);
      const std::int32_t used = it->first;
      m.savePoints.erase(it);
      ASSERT_EQ(t->RollBack(static_cast<std::uint32_t>(used)), DBERR_INVALIDPARAM);  // used up
    } else if (op == 14 && pick(4) == 0) {  // accept
      ASSERT_EQ(t->AcceptChanges(), DBERR_NONE);
      m.history.clear();
      m.savePoints.clear();
      m.base = m.cur;
    } else if (op == 15 && n > 0) {  // revert a record's changes
      const int i = pick(n);
      ASSERT_TRUE(c->MoveToBOF() == DBERR_NONE && c->MoveRelative(i + 1) == DBERR_NONE);
      ASSERT_EQ(c->RevertRecord(), DBERR_NONE);
      // the model: the record goes back to its accepted state, the other
      // records keep theirs; entries of other records stay undoable
      const std::uint32_t id = m.cur[static_cast<std::size_t>(i)].id;
      auto revert = [&](Snapshot& s) {
        auto b = std::find_if(m.base.begin(), m.base.end(), [&](const MRec& r) { return r.id == id; });
        auto x = std::find_if(s.begin(), s.end(), [&](const MRec& r) { return r.id == id; });
        if (b == m.base.end()) {
          if (x != s.end()) s.erase(x);
        } else if (x != s.end()) {
          *x = *b;
        } else {
          s.insert(std::upper_bound(s.begin(), s.end(), *b, [](const MRec& a, const MRec& r) { return a.id < r.id; }), *b);
        }
      };
      // drop the history entries that changed only this record
      std::vector<Snapshot> h;
      for (std::size_t j = 0; j < m.history.size(); ++j) {
        Snapshot a = m.history[j];
        revert(a);
        Snapshot next = j + 1 < m.history.size() ? m.history[j + 1] : m.cur;
        revert(next);
        if (!(a == next)) h.push_back(a);
      }
      revert(m.cur);
      if (h.size() != m.history.size()) m.savePoints.clear();  // their lengths shift; not modelled
      m.history = h;
    }
    // save points beyond a shrunken log are gone
    for (auto it = m.savePoints.begin(); it != m.savePoints.end();)
      it = it->second > m.history.size() ? m.savePoints.erase(it) : std::next(it);
    ASSERT_EQ(EngineRows(c.get()), ModelRows(m.cur));
    if (step % 4 == 0) {
      std::vector<std::int32_t> ids;
      sorted->MoveToBOF();
      std::vector<std::string> rows;
      while (sorted->MoveRelative(1) == DBERR_NONE) {
        std::int32_t k = 0;
        sorted->GetField(nullptr, 1, &k, nullptr);
        rows.push_back(std::to_string(k) + ":" + CurrentS(sorted.get()));
      }
      std::vector<std::string> expect;
      for (std::int32_t id : m.ByK()) {
        const auto& r = *std::find_if(m.cur.begin(), m.cur.end(), [&](const MRec& x) { return x.id == static_cast<std::uint32_t>(id); });
        expect.push_back(std::to_string(r.k) + ":" + r.s);
      }
      ASSERT_EQ(rows, expect);
      ASSERT_EQ(Prop(t.get(), dspropNOOFCHANGES), m.NetChanges());
    }
  }
}

}  // namespace

// ENGINE_EDIT_OPS sets the number of random operations (nightly runs use
// 1000000 or more); the default keeps the CI run short.
TEST(Differential, RandomEditsUndoSavePointsAndAccept) {
  long ops = 12000;
  if (const char* e = std::getenv("ENGINE_EDIT_OPS")) ops = std::max(200L, std::atol(e));
  const auto seeds = static_cast<std::uint32_t>(ops / 200);
  for (std::uint32_t seed = 1; seed <= seeds; ++seed) {
    RunEdits(seed, 200);
    if (HasFatalFailure()) return;
  }
}
