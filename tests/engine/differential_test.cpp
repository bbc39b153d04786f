// Random tables and random cursor operations against a plain reference
// model (vectors and std::stable_sort), comparing what the cursor shows
// after every step.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <random>

#include "engine/collation.h"
#include "table_fixture.h"

using namespace engine;
using namespace enginetest;

namespace {

struct ModelOrder {
  std::string name;
  std::vector<int> fields;  // 1 = k, 2 = s
  std::vector<bool> desc, ci;
};

class Model {
 public:
  Model(std::vector<KS> rows, const Collation& coll) : rows_(std::move(rows)), coll_(coll) {}

  int CompareField(int f, std::uint32_t a, std::uint32_t b, bool ci) const {
    const KS& x = rows_[a - 1];
    const KS& y = rows_[b - 1];
    if (f == 1) {
      if (!x.k || !y.k) return (!x.k && !y.k) ? 0 : (!x.k ? -1 : 1);
      return *x.k < *y.k ? -1 : (*x.k > *y.k ? 1 : 0);
    }
    if (!x.s || !y.s) return (!x.s && !y.s) ? 0 : (!x.s ? -1 : 1);
    return coll_.Compare(x.s->data(), x.s->size(), y.s->data(), y.s->size(), ci);
  }
  int CompareKeys(const ModelOrder& o, std::size_t n, std::uint32_t a, std::uint32_t b) const {
    for (std::size_t i = 0; i < n && i < o.fields.size(); ++i) {
      int r = CompareField(o.fields[i], a, b, o.ci[i]);
      if (o.desc[i]) r = -r;
      if (r) return r;
    }
    return 0;
  }
  std::vector<std::uint32_t> Order(const ModelOrder& o) const {
    std::vector<std::uint32_t> v(rows_.size());
    for (std::uint32_t i = 0; i < v.size(); ++i) v[i] = i + 1;
    std::stable_sort(v.begin(), v.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return CompareKeys(o, o.fields.size(), a, b) < 0; });
    return v;
  }
  const std::vector<KS>& rows() const { return rows_; }

 private:
  std::vector<KS> rows_;
  const Collation& coll_;
};

const std::vector<ModelOrder>& Orders() {
  static const std::vector<ModelOrder> o = {
      {"DEFAULT_ORDER", {}, {}, {}},
      {"k", {1}, {false}, {false}},
      {"kd", {1}, {true}, {false}},
      {"s", {2}, {false}, {false}},
      {"sci", {2}, {false}, {true}},
      {"skd", {2, 1}, {false, true}, {true, false}},
  };
  return o;
}

struct Visible {
  std::vector<std::uint32_t> slots;
};

std::vector<std::uint32_t> EngineVisible(IDSCursor* c) {
  DSRef<IDSCursor> clone;
  CreateDSCursor(clone.put());
  EXPECT_EQ(clone->CloneCursor(c), DBERR_NONE);
  std::vector<std::uint32_t> out;
  clone->MoveToBOF();
  while (clone->MoveRelative(1) == DBERR_NONE) {
    std::uint32_t r = 0;
    clone->GetRecordNumber(&r);
    out.push_back(r);
  }
  return out;
}

const char* const kWords[] = {"a", "A", "b", "B", "ab", "a b", "co-op", "coop", "\xE1", "Z", "", "10", "9"};

void RunOne(std::uint32_t seed) {
  std::mt19937 rng(seed);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  const int nrows = pick(40);
  std::vector<KS> rows;
  for (int i = 0; i < nrows; ++i) {
    KS r;
    if (pick(8)) r.k = pick(10) - 3;
    if (pick(8)) r.s = kWords[pick(13)];
    rows.push_back(r);
  }
  auto t = MakeTable(rows);
  ASSERT_TRUE(t);
  auto coll = Collation::Get(0, kDefaultCodePage);
  Model m(rows, *coll);
  for (std::size_t i = 1; i < Orders().size(); ++i) {
    const auto& o = Orders()[i];
    auto d = IndexOn(o.name.c_str(), o.fields, o.desc, o.ci);
    ASSERT_EQ(t->CreateIndex(&d), DBERR_NONE);
  }
  auto c = OpenCursor(t.get());
  // model state
  std::size_t orderIdx = 0;
  std::vector<std::uint32_t> order = m.Order(Orders()[0]);
  std::vector<std::uint32_t> vis = order;
  std::int64_t pos = 0;  // 0 = BOF, vis.size() + 1 = EOF, else 1-based in vis
  std::vector<std::uint8_t> savedBm(20);
  std::uint32_t savedSlot = 0;
  int savedEnd = 0;  // 0 record, -1 BOF, 1 EOF
  std::function<int(std::uint32_t)> side = [](std::uint32_t) { return 0; };  // -1 below the range, 1 above
  auto onRecord = [&] { return pos >= 1 && pos <= static_cast<std::int64_t>(vis.size()); };

  for (int step = 0; step < 120; ++step) {
    const int op = pick(9);
    SCOPED_TRACE(testing::Message() << "seed " << seed << " step " << step << " op " << op);
    const std::int64_t n = static_cast<std::int64_t>(vis.size());
    if (op <= 2) {
      std::int32_t d = pick(7) - 3;
      if (pick(10) == 0) d = pick(2) ? 1000 : -1000;
      SCOPED_TRACE(testing::Message() << "move " << d << " from " << pos << " of " << n);
      const EngineResult r = c->MoveRelative(d);
      if (d > 0) {
        const std::int64_t start = pos;
        pos = start + d <= n ? start + d : n + 1;
      } else if (d < 0) {
        const std::int64_t start = pos > n ? n + 1 : pos;
        pos = start + d >= 1 ? start + d : 0;
      }
      if (d != 0) {
        EXPECT_EQ(r, onRecord() ? DBERR_NONE : (pos == 0 ? DBERR_BOF : DBERR_EOF));
      }
    } else if (op == 3) {
      if (pick(2)) {
        c->MoveToBOF();
        pos = 0;
      } else {
        c->MoveToEOF();
        pos = n + 1;
      }
    } else if (op == 4) {
      ASSERT_EQ(c->GetCurrentBookMark(savedBm.data()), DBERR_NONE);
      savedSlot = onRecord() ? vis[static_cast<std::size_t>(pos - 1)] : 0;
      savedEnd = onRecord() ? 0 : (pos == 0 ? -1 : 1);
    } else if (op == 5 && (savedSlot || savedEnd)) {
      const EngineResult r = c->MoveToBookMark(savedBm.data());
      if (savedEnd) {
        pos = savedEnd < 0 ? 0 : n + 1;
      } else {
        auto it = std::find(vis.begin(), vis.end(), savedSlot);
        if (it != vis.end()) pos = (it - vis.begin()) + 1;
        else pos = side(savedSlot) < 0 ? 0 : n + 1;  // in the order but outside the range
        EXPECT_EQ(r, onRecord() ? DBERR_NONE : (pos == 0 ? DBERR_BOF : DBERR_EOF));
      }
    } else if (op == 6) {
      // switch order (named index or a sort on the same fields)
      const std::size_t next = static_cast<std::size_t>(pick(static_cast<int>(Orders().size())));
      const auto& o = Orders()[next];
      const std::uint32_t keep = onRecord() ? vis[static_cast<std::size_t>(pos - 1)] : 0;
      if (next > 0 && pick(2)) {
        std::vector<std::uint32_t> f(o.fields.begin(), o.fields.end());
        std::vector<DSBool> de(o.desc.begin(), o.desc.end()), ci(o.ci.begin(), o.ci.end());
        ASSERT_EQ(c->SortOnFields(static_cast<std::uint32_t>(f.size()), f.data(), de.data(), ci.data()), DBERR_NONE);
        if (next == orderIdx) continue;  // sorting on the current order changes nothing
      } else {
        ASSERT_EQ(c->UseIndexOrder(o.name.c_str()), DBERR_NONE);
      }
      orderIdx = next;
      side = [](std::uint32_t) { return 0; };
      order = m.Order(o);
      vis = order;
      auto it = std::find(vis.begin(), vis.end(), keep);
      pos = (keep && it != vis.end()) ? (it - vis.begin()) + 1 : 0;
    } else if (op == 7 && orderIdx > 0) {
      // a range on the first key field (or all), from random rows' keys
      const auto& o = Orders()[orderIdx];
      const std::uint32_t nf = pick(2) ? 1u : static_cast<std::uint32_t>(o.fields.size());
      std::vector<std::uint8_t> lo, hi;
      std::uint32_t loSlot = 0, hiSlot = 0;
      if (!m.rows().empty()) {
        if (pick(4)) loSlot = static_cast<std::uint32_t>(pick(static_cast<int>(m.rows().size())) + 1);
        if (pick(4)) hiSlot = static_cast<std::uint32_t>(pick(static_cast<int>(m.rows().size())) + 1);
      }
      const bool loIncl = pick(2), hiIncl = pick(2);
      if (loSlot) lo = Key(c.get(), m.rows()[loSlot - 1].k, m.rows()[loSlot - 1].s);
      if (hiSlot) hi = Key(c.get(), m.rows()[hiSlot - 1].k, m.rows()[hiSlot - 1].s);
      ASSERT_EQ(c->SetRange(nf, loSlot ? lo.data() : nullptr, loIncl, hiSlot ? hi.data() : nullptr, hiIncl), DBERR_NONE);
      side = [&m, &o, nf, loSlot, hiSlot, loIncl, hiIncl](std::uint32_t s) {
        if (loSlot) {
          const int r = m.CompareKeys(o, nf, s, loSlot);
          if (r < 0 || (r == 0 && !loIncl)) return -1;
        }
        if (hiSlot) {
          const int r = m.CompareKeys(o, nf, s, hiSlot);
          if (r > 0 || (r == 0 && !hiIncl)) return 1;
        }
        return 0;
      };
      vis.clear();
      for (auto s : order)
        if (side(s) == 0) vis.push_back(s);
      pos = 0;
    } else if (op == 8) {
      ASSERT_EQ(c->DropRange(), DBERR_NONE);
      side = [](std::uint32_t) { return 0; };
      vis = order;
      pos = 0;
    }
    // compare
    std::int32_t count = -1;
    ASSERT_EQ(c->GetRecordCount(&count), DBERR_NONE);
    ASSERT_EQ(count, static_cast<std::int32_t>(vis.size()));
    std::uint32_t recNo = 0;
    ASSERT_EQ(c->GetRecordNumber(&recNo), DBERR_NONE);
    ASSERT_EQ(recNo, onRecord() ? vis[static_cast<std::size_t>(pos - 1)] : 0u);
    std::uint32_t seq = 0;
    ASSERT_EQ(c->GetSequenceNumber(&seq), onRecord() ? DBERR_NONE : (pos == 0 ? DBERR_BOF : DBERR_EOF));
    if (onRecord()) {
      ASSERT_EQ(seq, static_cast<std::uint32_t>(pos));
    }
    if (step % 8 == 0) {
      ASSERT_EQ(EngineVisible(c.get()), vis);
    }
  }
}

}  // namespace

TEST(Differential, RandomTablesAndCursorOperations) {
  for (std::uint32_t seed = 1; seed <= 150; ++seed) {
    RunOne(seed);
    if (HasFatalFailure()) return;
  }
}
