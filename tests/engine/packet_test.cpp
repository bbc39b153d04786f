// Binary packets: the main form's packet, round trips of every field type,
// damaged packets.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/dsintf.h"
#include "packet_builder.h"

using namespace engine;
using namespace enginetest;

namespace {

Bytes Stream(IDSBase* t) {
  DSPacket out;
  EXPECT_EQ(t->StreamDS(&out), DBERR_NONE);
  return out;
}

}  // namespace

TEST(Packet, MainFormReadsTwoFieldsAndNoRows) {
  DSRef<IDSBase> t;
  ASSERT_EQ(Load(MainFormPacket(), t), DBERR_NONE);
  DSProps p{};
  ASSERT_EQ(t->GetProps(&p), DBERR_NONE);
  EXPECT_EQ(+p.iFields, 2);
  EXPECT_EQ(+p.iRecBufSize, 57);
  EXPECT_EQ(+p.iBookMarkSize, 20);
  DSFLDDesc f[2];
  ASSERT_EQ(t->GetFieldDescs(f), DBERR_NONE);
  EXPECT_STREQ(f[0].szName, "codigo");
  EXPECT_EQ(+f[0].iFldType, fldINT32);
  EXPECT_EQ(+f[0].iFldOffsInRec, 0);
  EXPECT_EQ(+f[0].iFldLen, 4);
  EXPECT_EQ(+f[0].iNullOffsInRec, 55);
  EXPECT_STREQ(f[1].szName, "nome");
  EXPECT_EQ(+f[1].iFldType, fldZSTRING);
  EXPECT_EQ(+f[1].iUnits1, 50);
  EXPECT_EQ(+f[1].iFldOffsInRec, 4);
  EXPECT_EQ(+f[1].iFldLen, 51);
  EXPECT_EQ(+f[1].iNullOffsInRec, 56);
  std::int32_t n = -1;
  ASSERT_EQ(t->GetProp(dspropRECORDSINDS, &n), DBERR_NONE);
  EXPECT_EQ(n, 0);
}

TEST(Packet, MainFormWritesTheSame66Bytes) {
  DSRef<IDSBase> t;
  ASSERT_EQ(Load(MainFormPacket(), t), DBERR_NONE);
  EXPECT_EQ(Stream(t.get()), MainFormPacket());
}

TEST(Packet, WriterBuildsTheMainFormPacket) {
  PacketBuilder b;
  b.cols = {{"codigo", 0x00010004u}, {"nome", 0x00490001u, 0, {Width(50)}}};
  EXPECT_EQ(b.Packet(), MainFormPacket());
}

namespace {

struct RoundTripCase {
  const char* name;
  PacketBuilder packet;
};

PacketBuilder OneColumn(Col c, std::vector<Val> values) {
  PacketBuilder b;
  b.cols = {std::move(c)};
  for (auto& v : values) b.rows.push_back(Row{0, {v}});
  return b;
}

Bytes Bcd(std::initializer_list<std::uint8_t> head, std::size_t stored) {
  Bytes b(head);
  b.resize(stored, 0);
  b.resize(18, 0);
  return b;
}

std::vector<RoundTripCase> RoundTripCases() {
  std::vector<RoundTripCase> v;
  v.push_back({"int8", OneColumn({"a", 0x00010001u}, {Int(-128, 1), Int(127, 1), Null()})});
  v.push_back({"int16", OneColumn({"a", 0x00010002u}, {Int(-32768, 2), Int(32767, 2), Null()})});
  v.push_back({"int32", OneColumn({"a", 0x00010004u}, {Int(INT32_MIN, 4), Int(INT32_MAX, 4), Int(0, 4), Null()})});
  v.push_back({"int64", OneColumn({"a", 0x00010008u}, {Int(INT64_MIN, 8), Int(INT64_MAX, 8)})});
  v.push_back({"uint8", OneColumn({"a", 0x00020001u}, {Int(255, 1)})});
  v.push_back({"uint16", OneColumn({"a", 0x00020002u}, {Int(65535, 2)})});
  v.push_back({"uint32", OneColumn({"a", 0x00020004u}, {Int(0xFFFFFFFF, 4)})});
  v.push_back({"uint64", OneColumn({"a", 0x00020008u}, {Fixed(LE(~0ull, 8)), Int(1, 8)})});
  v.push_back({"bool1", OneColumn({"a", 0x00030001u}, {Int(1, 1), Int(0, 1), Null()})});
  v.push_back({"bool2", OneColumn({"a", 0x00030002u}, {Int(1, 2), Int(0, 2)})});
  v.push_back({"bool4", OneColumn({"a", 0x00030004u}, {Int(1, 4)})});
  double d[] = {0.1, -0.0, 1e308, 5e-324};
  std::vector<Val> dv;
  for (double x : d) {
    Bytes b(8);
    std::memcpy(b.data(), &x, 8);
    dv.push_back(Fixed(b));
  }
  v.push_back({"float8", OneColumn({"a", 0x00040008u}, dv)});
  v.push_back({"float10", OneColumn({"a", 0x0004000Au}, {Fixed({0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F})})});
  v.push_back({"single", OneColumn({"a", 0x001B0004u}, {Fixed({0, 0, 0x80, 0x3F})})});
  v.push_back({"bcd", OneColumn({"a", 0x0005000Au, 0, {Decimals(2), Width(16)}},
                                {Fixed(Bcd({16, 0x82, 0x12, 0x34}, 10)), Null()})});
  v.push_back({"fmtbcd", OneColumn({"a", 0x0012000Au, 0, {Decimals(4), Width(16)}},
                                   {Fixed(Bcd({16, 0x04, 0x99}, 10))})});
  v.push_back({"date", OneColumn({"a", 0x00060004u}, {Int(1, 4), Int(738630, 4), Int(0, 4)})});
  v.push_back({"time", OneColumn({"a", 0x00070004u}, {Int(86399999, 4)})});
  v.push_back({"timestamp", OneColumn({"a", 0x00080008u}, {Fixed(LE(0x42A0000000000000ull, 8))})});
  v.push_back({"sqltimestamp", OneColumn({"a", 0x00110010u}, {Fixed({0xE6, 7, 4, 0, 20, 0, 14, 0, 30, 0, 5, 0, 123, 0, 0, 0})})});
  v.push_back({"sqltimestampoffset",
               OneColumn({"a", 0x00240014u},
                         {Fixed({0xE6, 7, 4, 0, 20, 0, 14, 0, 30, 0, 5, 0, 123, 0, 0, 0, 0xFD, 0xFF, 30, 0})})});
  v.push_back({"string", OneColumn({"a", 0x00490001u, 0, {Width(10)}}, {Var("abc"), Var(std::string(1, '\0')), Null(), Var("0123456789")})});
  v.push_back({"string253", OneColumn({"a", 0x00490001u, 0, {Width(253)}}, {Var(std::string(253, 'x'))})});
  v.push_back({"string254", OneColumn({"a", 0x00490002u, 0, {Width(254)}}, {Var(std::string(254, 'y'))})});
  v.push_back({"string1000", OneColumn({"a", 0x00490002u, 0, {Width(1000)}}, {Var(std::string(1000, 'z'))})});
  // UTF-16LE with a surrogate pair (U+1F600) and an accented letter
  v.push_back({"unicode", OneColumn({"a", 0x004A0001u, 0, {Width(40)}},
                                    {VarBytes({0x3D, 0xD8, 0x00, 0xDE, 0xE9, 0x00}), VarBytes({}), Null()})});
  v.push_back({"unicode253", OneColumn({"a", 0x004A0002u, 0, {Width(253)}}, {VarBytes(Bytes(252, 0x41))})});
  v.push_back({"varbytes", OneColumn({"a", 0x004B0001u, 0, {Width(8)}}, {VarBytes({0, 1, 2, 0xFF}), VarBytes({})})});
  v.push_back({"bytes", OneColumn({"a", 0x000B0004u}, {Fixed({0xDE, 0xAD, 0xBE, 0xEF})})});
  v.push_back({"blob", OneColumn({"a", 0x004B0004u, 0, {SubType("Binary")}},
                                 {VarBytes(Bytes(70000, 7)), VarBytes({}), Null(), NotFetched(1234)})});
  v.push_back({"memo", OneColumn({"a", 0x004B0004u, 0, {SubType("Text")}}, {Var("hello memo")})});
  {
    PacketBuilder b;  // ADT with two children
    b.cols = {{"adr", 0x010C0002u}, {"street", 0x00490001u, 0, {Width(20)}}, {"no", 0x00010004u}};
    b.rows = {Row{0, {Fixed({}), Var("Main"), Int(5, 4)}}, Row{0, {Null(), Null(), Null()}}};
    v.push_back({"adt", b});
  }
  {
    PacketBuilder b;  // nested tables two levels deep
    Col inner{"items", 0x050E0001u};
    inner.nested = {{"qty", 0x00010004u}};
    Col outer{"orders", 0x050E0002u};
    outer.nested = {{"ref", 0x00490001u, 0, {Width(8)}}, inner};
    b.cols = {{"id", 0x00010004u}, outer};
    b.rows = {Row{0, {Int(1, 4), NestedRows({Row{0, {Var("A1"), NestedRows({Row{0, {Int(3, 4)}}, Row{0, {Int(4, 4)}}})}},
                                              Row{0, {Var("A2"), NestedRows({})}}})}},
              Row{0, {Int(2, 4), NestedRows({})}},
              Row{0, {Int(3, 4), NestedNotFetched()}}};
    v.push_back({"nested", b});
  }
  {
    PacketBuilder b;  // row states, delta-style unchanged values, a kept attribute
    b.cols = {{"k", 0x00010004u, 4, {{"MINVALUE", 0x00010004u, LE(0, 4)}}}, {"s", 0x00490001u, 0, {Width(5)}}};
    b.tableAttrs = {{"TABLENAME", 0x80490001u, {3, 'a', 'b', 'c'}}};
    b.rows = {Row{4, {Int(1, 4), Var("new")}}, Row{2, {Int(2, 4), Unchanged()}}};
    v.push_back({"attrs", b});
  }
  {
    PacketBuilder b;  // default order, descending and case-insensitive, unique
    b.cols = {{"k", 0x00010004u}, {"s", 0x00490001u, 0, {Width(5)}}};
    Bytes order = LE(2, 4);
    for (auto x : {0x4002u, 0x8001u}) order.insert(order.end(), {std::uint8_t(x), std::uint8_t(x >> 8)});
    Bytes uniq = LE(2, 4);
    for (auto x : {2u, 1u}) uniq.insert(uniq.end(), {std::uint8_t(x), std::uint8_t(x >> 8)});
    b.tableAttrs = {{"DEFAULT_ORDER", 0x00820002u, order}, {"PRIMARY_KEY", 0x00820002u, uniq}};
    // rows already in the order's sequence (a table with an order writes in it)
    b.rows = {Row{0, {Int(2, 4), Var("a")}}, Row{0, {Int(1, 4), Var("a")}}, Row{0, {Int(1, 4), Var("B")}}};
    v.push_back({"default_order", b});
  }
  {
    PacketBuilder b;  // a change log: original and modified versions, an insert, a delete
    b.cols = {{"k", 0x00010004u}, {"m", 0x004B0004u}};
    Bytes log = LE(9, 4);
    for (std::uint32_t x : {2u, 1u, 8u, 3u, 0u, 4u, 4u, 0u, 2u}) {
      const Bytes e = LE(x, 4);
      log.insert(log.end(), e.begin(), e.end());
    }
    b.tableAttrs = {{"CHANGE_LOG", 0x00820004u, log}};
    b.rows = {Row{1, {Int(1, 4), VarBytes({1})}}, Row{8, {Int(2, 4), Unchanged()}}, Row{4, {Int(3, 4), Null()}},
              Row{2, {Int(4, 4), VarBytes({})}}};
    v.push_back({"change_log", b});
  }
  return v;
}

}  // namespace

TEST(Packet, EveryTypeRoundTripsByteForByte) {
  for (const auto& c : RoundTripCases()) {
    SCOPED_TRACE(c.name);
    Bytes p;
    ASSERT_EQ(c.packet.Build(p), DBERR_NONE);
    DSRef<IDSBase> t;
    ASSERT_EQ(Load(p, t), DBERR_NONE);
    const Bytes out = Stream(t.get());
    EXPECT_EQ(out, p);
    // and once more through a second table
    DSRef<IDSBase> t2;
    ASSERT_EQ(Load(out, t2), DBERR_NONE);
    EXPECT_EQ(Stream(t2.get()), p);
  }
}

TEST(Packet, EmptyAndNullStringsStayDistinct) {
  PacketBuilder b = OneColumn({"s", 0x00490001u, 0, {Width(5)}}, {Var(std::string(1, '\0')), Null()});
  DSRef<IDSBase> t;
  ASSERT_EQ(Load(b.Packet(), t), DBERR_NONE);
  auto c = OpenCursor(t.get());
  char buf[64];
  std::uint8_t rec[16];
  DSBool blank = -1;
  ASSERT_EQ(c->MoveRelative(1), DBERR_NONE);
  ASSERT_EQ(c->GetCurrentRecord(rec), DBERR_NONE);
  ASSERT_EQ(c->GetField(rec, 1, buf, &blank), DBERR_NONE);
  EXPECT_EQ(blank, 0);
  EXPECT_STREQ(buf, "");
  ASSERT_EQ(c->MoveRelative(1), DBERR_NONE);
  ASSERT_EQ(c->GetField(nullptr, 1, buf, &blank), DBERR_NONE);
  EXPECT_EQ(blank, 1);
}

TEST(Packet, HeaderVersionFollowsBaseTypes) {
  // a base type above 11 (here an ADT) makes the packet version 2
  PacketBuilder b;
  b.cols = {{"adr", 0x010C0001u}, {"x", 0x00010004u}};
  const Bytes p = b.Packet();
  EXPECT_EQ(p[4], 2);
  EXPECT_EQ(MainFormPacket()[4], 1);
}

namespace {

struct DamageCase {
  const char* name;
  Bytes packet;
  EngineResult expected;
};

Bytes Patched(Bytes b, std::size_t at, std::initializer_list<std::uint8_t> bytes) {
  for (auto x : bytes) b.at(at++) = x;
  return b;
}

Bytes Truncated(Bytes b, std::size_t n) {
  b.resize(n);
  return b;
}

Bytes WithRows() {
  PacketBuilder b;
  b.cols = {{"n", 0x00010004u}, {"s", 0x00490001u, 0, {Width(10)}}, {"b", 0x004B0004u}};
  b.rows = {Row{0, {Int(1, 4), Var("abc"), VarBytes({1, 2, 3})}}};
  return b.Packet();
}

// Only plain columns (the reader's direct path).
Bytes PlainRows() {
  PacketBuilder b;
  b.cols = {{"n", 0x00010004u}, {"s", 0x00490001u, 0, {Width(10)}}};
  b.rows = {Row{0, {Int(1, 4), Var("abc")}}, Row{0, {Int(2, 4), Var("de")}}};
  return b.Packet();
}

Bytes NoWidth() {
  PacketBuilder b;
  b.cols = {{"nome", 0x00490001u}};
  return b.Packet();
}

}  // namespace

TEST(Packet, DamagedPacketsGiveAResultCode) {
  const Bytes mf = MainFormPacket();
  const Bytes wr = WithRows();
  const std::size_t rowStart = wr[22] | (wr[23] << 8);
  const Bytes pr = PlainRows();
  const std::size_t plainStart = pr[22] | (pr[23] << 8);
  std::vector<DamageCase> cases = {
      {"empty", Truncated(mf, 0), DBERR_DATAPACKETMISMATCH},
      {"short header", Truncated(mf, 23), DBERR_DATAPACKETMISMATCH},
      {"wrong magic", Patched(mf, 0, {0x97}), DBERR_DATAPACKETMISMATCH},
      {"version 4", Patched(mf, 4, {4}), DBERR_DATAPACKETMISMATCH},
      {"no metadata flag", Patched(mf, 18, {2}), DBERR_NOMETADATA},
      {"header size beyond end", Patched(mf, 8, {0xFF, 0xFF, 0, 0}), DBERR_DATAPACKETMISMATCH},
      {"header size wraps", Patched(mf, 8, {0xF0, 0xFF, 0xFF, 0xFF}), DBERR_DATAPACKETMISMATCH},
      {"zero-length name", Patched(mf, 24, {0}), DBERR_NULLFIELDNAME},
      {"name past end", Patched(mf, 24, {0xFF}), DBERR_DATAPACKETMISMATCH},
      {"invalid field type", Patched(mf, 31, {0x03, 0x00, 0x01, 0x00}), DBERR_INVALIDFLDTYPE},
      {"array bit on column", Patched(mf, 31, {0x04, 0x00, 0x81, 0x00}), DBERR_INVALIDFLDTYPE},
      {"forged column count", Patched(mf, 12, {0xFF, 0xFF}), DBERR_NULLFIELDNAME},
      {"forged attribute count", Patched(mf, 50, {0xFF, 0xFF}), DBERR_DATAPACKETMISMATCH},
      {"string without width", NoWidth(), DBERR_INVALIDPARAM},
      {"truncated metadata", Truncated(mf, 60), DBERR_DATAPACKETMISMATCH},
      {"forged row count", Patched(mf, 14, {0xFF, 0xFF, 0xFF, 0x7F}), DBERR_DATAPACKETMISMATCH},
      {"row count past rows", Patched(wr, 14, {2}), DBERR_DATAPACKETMISMATCH},
      {"forged string length", Patched(wr, rowStart + 6, {0xFF}), DBERR_DATAPACKETMISMATCH},
      {"forged blob length", Patched(wr, rowStart + 10, {0xF0, 0xFF, 0xFF, 0x7F}), DBERR_DATAPACKETMISMATCH},
      {"truncated row", Truncated(wr, wr.size() - 1), DBERR_DATAPACKETMISMATCH},
      {"plain: forged string length", Patched(pr, plainStart + 6, {0xFF}), DBERR_DATAPACKETMISMATCH},
      {"plain: row count past rows", Patched(pr, 14, {3}), DBERR_DATAPACKETMISMATCH},
      {"plain: truncated row", Truncated(pr, pr.size() - 1), DBERR_DATAPACKETMISMATCH},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DSRef<IDSBase> t;
    ASSERT_EQ(CreateDSBase(t.put()), DBERR_NONE);
    // a zero-length packet still has an address (a null one means "no packet")
    const std::uint8_t* data = c.packet.empty() ? mf.data() : c.packet.data();
    EXPECT_EQ(t->AppendData(data, c.packet.size(), 1), c.expected);
    // the table stays empty and takes a good packet afterwards
    DSProps p{};
    t->GetProps(&p);
    EXPECT_EQ(+p.iFields, 0);
    EXPECT_EQ(t->AppendData(mf.data(), mf.size(), 1), DBERR_NONE);
  }
}

// A decimal image with more digits than its column keeps is stored in the
// column's precision and scale (rounded, as a value put through a cursor);
// one whose integer part does not fit the column is damaged.
TEST(Packet, DecimalImagesAreStoredInTheColumnsScale) {
  const Col col{"a", 0x00050004u, 0, {Decimals(1), Width(4)}};
  struct Case {
    const char* name;
    Bytes image;
    EngineResult expected;
    Bytes stored;  // the image written back
  };
  const Case cases[] = {
      {"already in scale", Bcd({4, 1, 0x01, 0x23}, 4), DBERR_NONE, Bcd({4, 1, 0x01, 0x23}, 4)},
      {"more decimals: rounded", Bcd({32, 32 | 0x80, 0x78, 0x69}, 18), DBERR_NONE, Bcd({4, 1 | 0x80, 0x00, 0x08}, 4)},
      {"wider integer part that fits", Bcd({8, 2, 0x00, 0x01, 0x23, 0x45}, 6), DBERR_NONE, Bcd({4, 1, 0x12, 0x35}, 4)},
      {"integer part too wide", Bcd({6, 0, 0x12, 0x34, 0x56}, 5), DBERR_DATAPACKETMISMATCH, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes p;
    ASSERT_EQ(OneColumn(col, {Fixed(c.image)}).Build(p), DBERR_NONE);
    DSRef<IDSBase> t;
    ASSERT_EQ(CreateDSBase(t.put()), DBERR_NONE);
    ASSERT_EQ(t->AppendData(p.data(), p.size(), 1), c.expected);
    if (c.expected != DBERR_NONE) continue;
    Bytes want;
    ASSERT_EQ(OneColumn(col, {Fixed(c.stored)}).Build(want), DBERR_NONE);
    EXPECT_EQ(Stream(t.get()), want);
  }
}

// A column wider than the 32 digits a packet carries keeps a value's 32
// digits whole, so that writing it loses none of them.
TEST(Packet, DecimalColumnsWiderThanAPacketImageKeepEveryDigit) {
  const Col col{"a", 0x00050014u, 0, {Width(36)}};
  const Bytes image = Bcd({32, 0, 0, 0, 0, 0, 0, 0x60, 0x42, 0x98, 0x69, 0x32, 0x60, 0x01, 0x06, 0x10, 0x00, 0x01}, 18);
  Bytes p;
  ASSERT_EQ(OneColumn(col, {Fixed(image)}).Build(p), DBERR_NONE);
  DSRef<IDSBase> t;
  ASSERT_EQ(Load(p, t), DBERR_NONE);
  EXPECT_EQ(Stream(t.get()), p);
}

TEST(Packet, DeepNestingIsRefused) {
  // 70 nested-table levels, each with one nested column
  Bytes p = {0x96, 0x19, 0xC0, 0x5A, 2, 0, 0, 0, 24, 0, 0, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0};
  for (int i = 0; i < 70; ++i) {
    p.insert(p.end(), {1, 'n', 0x01, 0x00, 0x0E, 0x05, 0, 0, 0, 0});
  }
  p.insert(p.end(), {1, 'x', 4, 0, 1, 0, 0, 0, 0, 0});
  for (int i = 0; i < 71; ++i) p.insert(p.end(), {0, 0});
  DSRef<IDSBase> t;
  ASSERT_EQ(CreateDSBase(t.put()), DBERR_NONE);
  EXPECT_EQ(t->AppendData(p.data(), p.size(), 1), DBERR_NA);
}

TEST(Packet, AppendingToANonPartialTableIsRefused) {
  const Bytes p = WithRows();
  DSRef<IDSBase> t;
  ASSERT_EQ(Load(p, t), DBERR_NONE);
  EXPECT_EQ(t->AppendData(p.data(), p.size(), 1), DBERR_CANNOTAPPEND);
}

TEST(Packet, PartialTablesTakeFurtherPackets) {
  const Bytes p = WithRows();
  DSRef<IDSBase> t;
  ASSERT_EQ(CreateDSBase(t.put()), DBERR_NONE);
  ASSERT_EQ(t->AppendData(p.data(), p.size(), 0), DBERR_NONE);
  ASSERT_EQ(t->AppendData(p.data(), p.size(), 1), DBERR_NONE);
  std::int32_t n = 0;
  t->GetProp(dspropRECORDSINDS, &n);
  EXPECT_EQ(n, 2);
  EXPECT_EQ(t->AppendData(p.data(), p.size(), 1), DBERR_CANNOTAPPEND);
}

TEST(Writer, MisuseGivesResultCodes) {
  DSRef<IDSWriter> w;
  ASSERT_EQ(CreateDSWriter(w.put()), DBERR_NONE);
  EXPECT_EQ(w->Init_Sequential(4, 1), DBERR_DATAPACKETMISMATCH);
  ASSERT_EQ(w->Init_Sequential(1, 1), DBERR_NONE);
  TDSDataPacketFldDesc d{};
  std::strcpy(d.szFieldName, "RowState");
  d.iFieldType = 0x00010004;
  EXPECT_EQ(w->AddColumnDesc(&d), DBERR_NA);
  std::strcpy(d.szFieldName, "a");
  EXPECT_EQ(w->AddColumnDesc(&d), DBERR_NONE);
  EXPECT_EQ(w->AddColumnDesc(&d), DBERR_NA);  // more columns than declared
  ASSERT_EQ(w->AddAttribute(pcktAttrArea, nullptr, 0, 0, nullptr), DBERR_NONE);
  const std::uint8_t status = 0;
  const std::int32_t v = 7;
  ASSERT_EQ(w->PutField(fldIsChanged, 1, &status), DBERR_NONE);
  ASSERT_EQ(w->PutField(fldIsChanged, 4, &v), DBERR_NONE);
  const std::uint8_t width[2] = {1, 0};
  EXPECT_EQ(w->AddAttribute(pcktAttrArea, "WIDTH", 0x00020002, 2, width), DBERR_NA);  // after a row
  DSPacket p;
  ASSERT_EQ(w->GetDataPacket(&p), DBERR_NONE);
  EXPECT_EQ(p[14], 1);  // one row
  char msg[128];
  EXPECT_EQ(w->GetErrorString(DBERR_DATAPACKETMISMATCH, msg), DBERR_NONE);
  EXPECT_STREQ(msg, "Mismatch in datapacket.");
}

TEST(Writer, NestingDeeperThan63LevelsIsRefused) {
  DSRef<IDSWriter> w;
  ASSERT_EQ(CreateDSWriter(w.put()), DBERR_NONE);
  ASSERT_EQ(w->Init_Sequential(1, 1), DBERR_NONE);
  TDSDataPacketFldDesc d{};
  std::strcpy(d.szFieldName, "n");
  d.iFieldType = 0x050E0001;
  EngineResult r = DBERR_NONE;
  int i = 0;
  for (; i < 100 && r == DBERR_NONE; ++i) r = w->AddColumnDesc(&d);
  EXPECT_EQ(r, DBERR_NA);
  EXPECT_EQ(i, 65);  // the top level plus 63 nested levels
}

TEST(Packet, PlainRowsReadAsWritten) {
  const Bytes p = PlainRows();
  DSRef<IDSBase> t;
  ASSERT_EQ(Load(p, t), DBERR_NONE);
  auto c = OpenCursor(t.get());
  std::vector<std::string> seen;
  while (c->MoveRelative(1) == DBERR_NONE) {
    std::int32_t n = 0;
    char s[16] = {};
    c->GetField(nullptr, 1, &n, nullptr);
    c->GetField(nullptr, 2, s, nullptr);
    seen.push_back(std::to_string(n) + s);
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"1abc", "2de"}));
  EXPECT_EQ(Stream(t.get()), p);
}

TEST(Packet, MetadataOver64KBHasNoRowOffset) {
  PacketBuilder b;
  b.cols = {{"n", 0x00010004u}};
  Bytes big = LE(70000, 4);
  big.resize(4 + 70000, 0x5A);
  b.tableAttrs = {{"BLOBATTR", 0x004B0004u, big}};
  b.rows = {Row{0, {Int(7, 4)}}};
  const Bytes p = b.Packet();
  ASSERT_GT(p.size(), 70000u);
  EXPECT_EQ(p[18], 1);  // flag bit 1 clear: the offset does not fit
  EXPECT_EQ(p[22], 0);
  EXPECT_EQ(p[23], 0);
  DSRef<IDSBase> t;
  ASSERT_EQ(Load(p, t), DBERR_NONE);
  EXPECT_EQ(Stream(t.get()), p);
}

TEST(Packet, AlternativeMagicIsRead) {
  Bytes p = MainFormPacket();
  p[0] = 0xCD;
  p[1] = 0xAB;
  p[2] = 0;
  p[3] = 0;
  p[4] = 9;  // no version check with this magic
  DSRef<IDSBase> t;
  ASSERT_EQ(Load(p, t), DBERR_NONE);
  EXPECT_EQ(Stream(t.get()), MainFormPacket());
}

TEST(Packet, FixedSizeStringColumnsKeepTheirTerminator) {
  // a fixed 4-byte string column holds at most 3 characters
  PacketBuilder b;
  b.cols = {{"s", 0x00090004u}};
  b.rows = {Row{0, {Fixed({'a', 'b', 'c', 'd'})}}, Row{0, {Fixed({'x', 0, 'y', 0})}}};
  DSRef<IDSBase> t;
  ASSERT_EQ(Load(b.Packet(), t), DBERR_NONE);
  auto c = OpenCursor(t.get());
  std::vector<std::string> seen;
  while (c->MoveRelative(1) == DBERR_NONE) {
    char s[8] = {};
    c->GetField(nullptr, 1, s, nullptr);
    seen.push_back(s);
  }
  EXPECT_EQ(seen, (std::vector<std::string>{"abc", "x"}));
  const Bytes once = Stream(t.get());
  DSRef<IDSBase> t2;
  ASSERT_EQ(Load(once, t2), DBERR_NONE);
  EXPECT_EQ(Stream(t2.get()), once);
}
