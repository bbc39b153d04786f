// Binary -> XML -> binary: every field type that has an XML form, nested
// tables, attributes, row states and change logs, in both XML modes.
#include <gtest/gtest.h>

#include <cstring>

#include "xml_fixture.h"

using namespace engine;
using namespace enginetest;

namespace {

struct Case {
  const char* name;
  PacketBuilder packet;
  bool sameBinary = true;  // false: the XML form maps the type to another one
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

Val Double(double d) {
  Bytes b(8);
  std::memcpy(b.data(), &d, 8);
  return Fixed(b);
}

std::vector<Case> Cases() {
  std::vector<Case> v;
  v.push_back({"int8", OneColumn({"a", 0x00010001u}, {Int(-128, 1), Int(127, 1), Null()})});
  v.push_back({"int16", OneColumn({"a", 0x00010002u}, {Int(-32768, 2), Int(32767, 2), Null()})});
  v.push_back({"int32", OneColumn({"a", 0x00010004u}, {Int(INT32_MIN, 4), Int(INT32_MAX, 4), Int(0, 4), Null()})});
  v.push_back({"int64", OneColumn({"a", 0x00010008u}, {Int(INT64_MIN, 8), Int(INT64_MAX, 8)})});
  v.push_back({"uint8", OneColumn({"a", 0x00020001u}, {Int(255, 1)})});
  v.push_back({"uint16", OneColumn({"a", 0x00020002u}, {Int(65535, 2)})});
  v.push_back({"uint32", OneColumn({"a", 0x00020004u}, {Int(0xFFFFFFFF, 4)})});
  v.push_back({"bool1", OneColumn({"a", 0x00030001u}, {Int(1, 1), Int(0, 1), Null()}), false});
  v.push_back({"bool2", OneColumn({"a", 0x00030002u}, {Int(1, 2), Int(0, 2)})});
  v.push_back({"bool4", OneColumn({"a", 0x00030004u}, {Int(1, 4)}), false});
  v.push_back({"float8", OneColumn({"a", 0x00040008u},
                                   {Double(0.1), Double(-0.0), Double(1e308), Double(5e-324), Double(1.0 / 3),
                                    Double(123456789.123456789)})});
  v.push_back({"single", OneColumn({"a", 0x001B0004u}, {Fixed({0, 0, 0x80, 0x3F}), Fixed({0xCD, 0xCC, 0xCC, 0x3D})})});
  v.push_back({"bcd", OneColumn({"a", 0x0005000Au, 0, {Decimals(2), Width(16)}},
                                {Fixed(Bcd({16, 0x82, 0x12, 0x34}, 10)), Null()})});
  v.push_back({"fmtbcd", OneColumn({"a", 0x0012000Au, 0, {Decimals(4), Width(16)}}, {Fixed(Bcd({16, 0x04, 0x99}, 10))})});
  v.push_back({"date", OneColumn({"a", 0x00060004u}, {Int(1, 4), Int(738630, 4), Int(0, 4), Int(3652059, 4)})});
  v.push_back({"time", OneColumn({"a", 0x00070004u}, {Int(86399999, 4), Int(0, 4)})});
  // binary packets may hold times outside one day; they must survive XML too
  v.push_back({"time outside a day",
               OneColumn({"a", 0x00070004u}, {Int(117138697, 4), Int(-1, 4), Int(INT32_MAX, 4), Int(INT32_MIN, 4)})});
  v.push_back({"timestamp", OneColumn({"a", 0x00080008u}, {Double(738265.0 * 86400000 + 1), Double(86400000)})});
  v.push_back({"sqltimestamp", OneColumn({"a", 0x00110010u}, {Fixed({0xE6, 7, 4, 0, 20, 0, 14, 0, 30, 0, 5, 0, 123, 0, 0, 0}),
                                                             Fixed({0xE6, 7, 4, 0, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})})});
  v.push_back({"sqltimestampoffset",
               OneColumn({"a", 0x00240014u},
                         {Fixed({0xE6, 7, 4, 0, 20, 0, 14, 0, 30, 0, 5, 0, 123, 0, 0, 0, 0xFD, 0xFF, 30, 0})})});
  v.push_back({"string", OneColumn({"a", 0x00490001u, 0, {Width(10)}},
                                   {Var("abc"), Var(std::string(1, '\0')), Null(), Var("0123456789"), Var("<\"&\r\n\x01\x80")})});
  v.push_back({"string253", OneColumn({"a", 0x00490001u, 0, {Width(253)}}, {Var(std::string(253, 'x'))})});
  v.push_back({"string1000", OneColumn({"a", 0x00490002u, 0, {Width(1000)}}, {Var(std::string(1000, 'z'))})});
  v.push_back({"unicode", OneColumn({"a", 0x004A0001u, 0, {Width(40)}},
                                    {VarBytes({0x3D, 0xD8, 0x00, 0xDE, 0xE9, 0x00, 0x2D, 0x4E, 0x00, 0xD8}), VarBytes({}), Null()})});
  v.push_back({"unicode253", OneColumn({"a", 0x004A0002u, 0, {Width(253)}}, {VarBytes(Bytes(252, 0x41))})});
  v.push_back({"varbytes", OneColumn({"a", 0x004B0001u, 0, {Width(8)}}, {VarBytes({0, 1, 2, 0xFF}), VarBytes({})})});
  v.push_back({"bytes", OneColumn({"a", 0x000B0004u}, {Fixed({0xDE, 0xAD, 0xBE, 0xEF})})});
  v.push_back({"blob", OneColumn({"a", 0x004B0004u, 0, {SubType("Binary")}}, {VarBytes(Bytes(70000, 7)), VarBytes({}), Null()})});
  v.push_back({"memo", OneColumn({"a", 0x004B0004u, 0, {SubType("Text")}}, {Var("hello memo")})});
  {
    PacketBuilder b;  // nested tables two levels deep
    Col inner{"items", 0x050E0001u};
    inner.nested = {{"qty", 0x00010004u}};
    Col outer{"orders", 0x050E0002u};
    outer.nested = {{"ref", 0x00490001u, 0, {Width(8)}}, inner};
    b.cols = {{"id", 0x00010004u}, outer};
    b.rows = {Row{0, {Int(1, 4), NestedRows({Row{0, {Var("A1"), NestedRows({Row{0, {Int(3, 4)}}, Row{0, {Int(4, 4)}}})}},
                                              Row{0, {Var("A2"), NestedRows({})}}})}},
              Row{0, {Int(2, 4), NestedRows({})}}};
    v.push_back({"nested", b});
  }
  {
    PacketBuilder b;  // row states, attributes of columns and of the table, flags
    b.cols = {{"k", 0x00010004u, fldAttrREQUIRED, {{"MINVALUE", 0x00010004u, LE(0, 4)}, {"ALIGN", 0x00020002u, LE(1, 2)}}},
              {"s", 0x00490001u, fldAttrREADONLY | fldAttrHIDDEN, {Width(5)}}};
    b.tableAttrs = {{"TABLENAME", 0x80490001u, {3, 'a', 'b', 'c'}}, {"NOTE", 0x80490001u, {2, 'h', 'i'}}};
    b.rows = {Row{4, {Int(1, 4), Var("new")}}, Row{0, {Int(2, 4), Var("old")}}};
    v.push_back({"attrs", b, false});  // MINVALUE comes back as a string
  }
  {
    PacketBuilder b;  // default order, descending and case-insensitive, unique
    b.cols = {{"k", 0x00010004u}, {"s", 0x00490001u, 0, {Width(5)}}};
    Bytes order = LE(2, 4);
    for (auto x : {0x4002u, 0x8001u}) order.insert(order.end(), {std::uint8_t(x), std::uint8_t(x >> 8)});
    Bytes uniq = LE(2, 4);
    for (auto x : {2u, 1u}) uniq.insert(uniq.end(), {std::uint8_t(x), std::uint8_t(x >> 8)});
    b.tableAttrs = {{"DEFAULT_ORDER", 0x00820002u, order}, {"PRIMARY_KEY", 0x00820002u, uniq}};
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
    b.rows = {Row{1, {Int(1, 4), VarBytes({1})}}, Row{8, {Int(2, 4), VarBytes({2})}}, Row{4, {Int(3, 4), Null()}},
              Row{2, {Int(4, 4), VarBytes({})}}};
    v.push_back({"change_log", b});
  }
  return v;
}

}  // namespace

TEST(XmlRoundTrip, EveryTypeComesBack) {
  for (std::int32_t mode : {xmlON, xmlUTF8}) {
    for (const auto& c : Cases()) {
      SCOPED_TRACE(std::string(c.name) + (mode == xmlUTF8 ? " (UTF-8)" : ""));
      Bytes p;
      ASSERT_EQ(c.packet.Build(p), DBERR_NONE);
      DSRef<IDSBase> t1;
      ASSERT_EQ(Load(p, t1), DBERR_NONE);
      Bytes bin1, xml1;
      ASSERT_EQ(StreamIn(t1.get(), xmlOFF, bin1), DBERR_NONE);
      ASSERT_EQ(StreamIn(t1.get(), mode, xml1), DBERR_NONE);
      DSRef<IDSBase> t2;
      ASSERT_EQ(Load(xml1, t2), DBERR_NONE) << AsText(xml1);
      Bytes bin2, xml2;
      ASSERT_EQ(StreamIn(t2.get(), xmlOFF, bin2), DBERR_NONE);
      ASSERT_EQ(StreamIn(t2.get(), mode, xml2), DBERR_NONE);
      EXPECT_EQ(AsText(xml2), AsText(xml1));
      if (c.sameBinary) {
        EXPECT_EQ(bin2, bin1);
      }
    }
  }
}

TEST(XmlRoundTrip, ChangeLogStillUndoes) {
  // an insert logged in a table survives the XML form and can be undone
  DSRef<IDSBase> t;
  ASSERT_EQ(Load(MainFormPacket(), t), DBERR_NONE);
  auto c = OpenCursor(t.get());
  DSProps p{};
  ASSERT_EQ(t->GetProps(&p), DBERR_NONE);
  Bytes rec(static_cast<std::size_t>(p.iRecBufSize));
  ASSERT_EQ(c->InitRecord(rec.data()), DBERR_NONE);
  const std::int32_t code = 42;
  ASSERT_EQ(c->PutField(rec.data(), 1, &code), DBERR_NONE);
  ASSERT_EQ(c->PutField(rec.data(), 2, "Ana"), DBERR_NONE);
  ASSERT_EQ(c->InsertRecord(rec.data()), DBERR_NONE);
  Bytes xml;
  ASSERT_EQ(StreamIn(t.get(), xmlON, xml), DBERR_NONE);
  EXPECT_NE(AsText(xml).find("<ROW RowState=\"4\" codigo=\"42\" nome=\"Ana\"/>"), std::string::npos) << AsText(xml);
  EXPECT_NE(AsText(xml).find("CHANGE_LOG=\"1 0 4\""), std::string::npos) << AsText(xml);
  DSRef<IDSBase> t2;
  ASSERT_EQ(Load(xml, t2), DBERR_NONE);
  std::int32_t changes = 0;
  ASSERT_EQ(t2->GetProp(dspropNOOFCHANGES, &changes), DBERR_NONE);
  EXPECT_EQ(changes, 1);
  auto c2 = OpenCursor(t2.get());
  ASSERT_EQ(c2->UndoLastChange(1), DBERR_NONE);
  std::int32_t n = -1;
  ASSERT_EQ(t2->GetProp(dspropRECORDSINDS, &n), DBERR_NONE);
  EXPECT_EQ(n, 0);
}

TEST(XmlRoundTrip, DocumentsOfOtherWritersSettleAfterOneRead) {
  const std::string docs[] = {
      // BCD without a width: the table's precision is wider than a packet's image
      Doc("<FIELD attrname=\"f\" fieldtype=\"fixed\" DECIMALS=\"2\"/>", "<ROW f=\"-12.34\"/>"),
      Doc("<FIELD attrname=\"s\" fieldtype=\"string\"/><FIELD attrname=\"b\" fieldtype=\"bin.hex\" WIDTH=\"3\"/>",
          "<ROW s=\"&#233;x\" b=\"AQID\"/><ROW b=\"AQ==\"/>"),
  };
  for (const auto& d : docs) {
    SCOPED_TRACE(d);
    DSRef<IDSBase> t1, t2;
    ASSERT_EQ(LoadXml(d, t1), DBERR_NONE);
    Bytes x1, x2;
    ASSERT_EQ(StreamIn(t1.get(), xmlUTF8, x1), DBERR_NONE);
    ASSERT_EQ(Load(x1, t2), DBERR_NONE);
    ASSERT_EQ(StreamIn(t2.get(), xmlUTF8, x2), DBERR_NONE);
    EXPECT_EQ(AsText(x2), AsText(x1));
  }
}
