// XML packets as written: the exact document of the main form's table, the
// value texts, escaping, names, and what cannot be written as XML.
#include <gtest/gtest.h>

#include <cstring>

#include "xml_fixture.h"

using namespace engine;
using namespace enginetest;

namespace {

const char kMainFormXml[] =
    "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
    "<FIELD attrname=\"codigo\" fieldtype=\"i4\"/><FIELD attrname=\"nome\" fieldtype=\"string\" WIDTH=\"50\"/>"
    "</FIELDS><PARAMS/></METADATA><ROWDATA></ROWDATA></DATAPACKET>";

PacketBuilder OneValue(Col c, Val v, std::uint8_t status = 0) {
  PacketBuilder b;
  b.cols = {std::move(c)};
  b.rows = {Row{status, {std::move(v)}}};
  return b;
}

Val Double(double d) {
  Bytes b(8);
  std::memcpy(b.data(), &d, 8);
  return Fixed(b);
}

Val Utf16(std::u16string s) {
  Bytes b(s.size() * 2);
  std::memcpy(b.data(), s.data(), b.size());
  return VarBytes(b);
}

}  // namespace

TEST(XmlWriter, MainFormTableIsTheOneLineDocument) {
  DSRef<IDSBase> t;
  ASSERT_EQ(Load(MainFormPacket(), t), DBERR_NONE);
  Bytes out;
  ASSERT_EQ(StreamIn(t.get(), xmlON, out), DBERR_NONE);
  EXPECT_EQ(AsText(out), kMainFormXml);
  // UTF-8 mode differs only in its declaration
  ASSERT_EQ(StreamIn(t.get(), xmlUTF8, out), DBERR_NONE);
  std::string utf8 = kMainFormXml;
  utf8.replace(0, std::strlen("<?xml version=\"1.0\" standalone=\"yes\"?>"),
               "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>");
  EXPECT_EQ(AsText(out), utf8);
  // and the binary form afterwards is untouched
  ASSERT_EQ(StreamIn(t.get(), xmlOFF, out), DBERR_NONE);
  EXPECT_EQ(out, MainFormPacket());
}

TEST(XmlWriter, TheWriterItselfHasTheXmlMode) {
  DSRef<IDSWriter> w;
  ASSERT_EQ(CreateDSWriter(w.put()), DBERR_NONE);
  EXPECT_EQ(w->SetXMLMode(xmlXMLDATATYPED), DBERR_NOTSUPPORTED);
  ASSERT_EQ(w->SetXMLMode(xmlON), DBERR_NONE);
  EXPECT_EQ(w->GetXMLMode(), xmlON);
  ASSERT_EQ(w->Init_Sequential(1, 2), DBERR_NONE);
  TDSDataPacketFldDesc d{};
  std::strcpy(d.szFieldName, "codigo");
  d.iFieldType = 0x00010004;
  ASSERT_EQ(w->AddColumnDesc(&d), DBERR_NONE);
  std::strcpy(d.szFieldName, "nome");
  d.iFieldType = 0x00490001;
  ASSERT_EQ(w->AddColumnDesc(&d), DBERR_NONE);
  const std::uint8_t width[2] = {50, 0};
  ASSERT_EQ(w->AddAttribute(fldAttrArea, "WIDTH", 0x00020002, 2, width), DBERR_NONE);
  ASSERT_EQ(w->AddAttribute(pcktAttrArea, nullptr, 0, 0, nullptr), DBERR_NONE);
  DSPacket p;
  ASSERT_EQ(w->GetDataPacket(&p), DBERR_NONE);
  EXPECT_EQ(AsText(p), kMainFormXml);
}

TEST(XmlWriter, ValueTexts) {
  struct Case {
    const char* name;
    PacketBuilder packet;
    const char* expected;  // part of the document
  };
  const Case cases[] = {
      {"time", OneValue({"a", 0x00070004u}, Int(((14 * 60 + 30) * 60 + 5) * 1000 + 123, 4)), "<ROW a=\"14:30:05123\"/>"},
      {"date", OneValue({"a", 0x00060004u}, Int(738265, 4)), "<ROW a=\"20220420\"/>"},
      {"first day", OneValue({"a", 0x00060004u}, Int(1, 4)), "<ROW a=\"00010101\"/>"},
      {"no date", OneValue({"a", 0x00060004u}, Int(0, 4)), "<ROW a=\"00000000\"/>"},
      {"bin.hex", OneValue({"a", 0x000B0004u}, Fixed({1, 2, 3, 4})),
       "<FIELD attrname=\"a\" fieldtype=\"bin.hex\" WIDTH=\"4\"/></FIELDS><PARAMS/></METADATA><ROWDATA><ROW a=\"AQIDBA==\"/>"},
      {"column with a space", OneValue({"First Name", 0x00010004u}, Int(1, 4)),
       "<FIELD fieldname=\"First Name\" attrname=\"First_Name\" fieldtype=\"i4\"/></FIELDS><PARAMS/></METADATA>"
       "<ROWDATA><ROW First_Name=\"1\"/>"},
      {"inserted row", OneValue({"a", 0x00010004u}, Int(-7, 4), 4), "<ROW RowState=\"4\" a=\"-7\"/>"},
      {"null", OneValue({"a", 0x00010004u}, Null()), "<ROW/>"},
      {"empty string", OneValue({"a", 0x00490001u, 0, {Width(5)}}, Var(std::string(1, '\0'))), "<ROW a=\"\"/>"},
      {"boolean", OneValue({"a", 0x00030002u}, Int(1, 2)), "<ROW a=\"TRUE\"/>"},
      {"int64", OneValue({"a", 0x00010008u}, Int(INT64_MIN, 8)), "<ROW a=\"-9223372036854775808\"/>"},
      {"uint32", OneValue({"a", 0x00020004u}, Int(0xFFFFFFFF, 4)), "<ROW a=\"4294967295\"/>"},
      {"r8 shortest", OneValue({"a", 0x00040008u}, Double(0.1)), "<ROW a=\"0.1\"/>"},
      {"r8 needs 17 digits", OneValue({"a", 0x00040008u}, Double(0.1 + 0.2)), "<ROW a=\"0.30000000000000004\"/>"},
      {"r8 large", OneValue({"a", 0x00040008u}, Double(1e300)), "<ROW a=\"1e+300\"/>"},
      {"r4", OneValue({"a", 0x001B0004u}, Fixed({0xCD, 0xCC, 0xCC, 0x3D})), "<ROW a=\"0.1\"/>"},
      {"bcd", OneValue({"a", 0x0005000Au, 0, {Decimals(2), Width(16)}}, Fixed(Bytes{16, 0x82, 0, 0, 0, 0, 0, 0, 0x12, 0x34, 0, 0, 0, 0, 0, 0, 0, 0})),
       "<ROW a=\"-12.34\"/>"},
      {"bcd zero", OneValue({"a", 0x0005000Au, 0, {Decimals(2), Width(16)}}, Fixed(Bytes{16, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})),
       "<ROW a=\"0\"/>"},
      {"timestamp", OneValue({"a", 0x00080008u}, Double(738265.0 * 86400000 + 52205123)),
       "<ROW a=\"20220420T14:30:05123\"/>"},
      {"timestamp midnight", OneValue({"a", 0x00080008u}, Double(738265.0 * 86400000)), "<ROW a=\"20220420\"/>"},
      {"sql timestamp", OneValue({"a", 0x00110010u}, Fixed({0xE6, 7, 4, 0, 20, 0, 14, 0, 30, 0, 5, 0, 123, 0, 0, 0})),
       "<ROW a=\"20220420T14:30:05123\"/>"},
      {"sql timestamp offset",
       OneValue({"a", 0x00240014u}, Fixed({0xE6, 7, 4, 0, 20, 0, 14, 0, 30, 0, 5, 0, 123, 0, 0, 0, 0xFD, 0xFF, 30, 0})),
       "<ROW a=\"20220420T14:30:05123-03:30\"/>"},
      {"escaping", OneValue({"a", 0x00490001u, 0, {Width(40)}}, Var("<>&'\"\r\n\t\\ok")),
       "<ROW a=\"&lt;&gt;&amp;&apos;&quot;&#013;&#010;&#009;&#092;ok\"/>"},
      {"other control characters", OneValue({"a", 0x00490001u, 0, {Width(40)}}, Var("a\x01" "b\x1F")),
       "<ROW a=\"a&#001;b&#031;\"/>"},
      {"code page text", OneValue({"a", 0x00490001u, 0, {Width(40)}}, Var("\x80\xE9")), "<ROW a=\"\x80\xE9\"/>"},
      {"unicode in the code page", OneValue({"a", 0x004A0001u, 0, {Width(40)}}, Utf16(u"\u20AC\u00E9")),
       "<ROW a=\"\x80\xE9\"/>"},
      {"unicode outside the code page", OneValue({"a", 0x004A0001u, 0, {Width(40)}}, Utf16(u"\u4E2D\U0001F600")),
       "<ROW a=\"&#20013;&#128512;\"/>"},
      {"read-only required column", OneValue({"a", 0x00010004u, fldAttrREADONLY | fldAttrREQUIRED}, Null()),
       "<FIELD attrname=\"a\" fieldtype=\"i4\" readonly=\"true\" required=\"true\"/>"},
      {"other attribute as PARAM", OneValue({"a", 0x00010004u, 0, {{"ALIGN", 0x00010004u, LE(2, 4)}}}, Null()),
       "<FIELD attrname=\"a\" fieldtype=\"i4\"><PARAM Name=\"ALIGN\" Value=\"2\" Type=\"i4\"/></FIELD>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string xml;
    ASSERT_EQ(XmlOf(c.packet, xml), DBERR_NONE);
    EXPECT_NE(xml.find(c.expected), std::string::npos) << xml;
  }
}

TEST(XmlWriter, Utf8DocumentsHoldEveryCharacter) {
  std::string xml;
  ASSERT_EQ(XmlOf(OneValue({"a", 0x004A0001u, 0, {Width(40)}}, Utf16(u"\u4E2D\u00E9")), xml, xmlUTF8), DBERR_NONE);
  EXPECT_NE(xml.find("<ROW a=\"\xE4\xB8\xAD\xC3\xA9\"/>"), std::string::npos) << xml;
  // 8-bit strings are converted from the table's code page
  ASSERT_EQ(XmlOf(OneValue({"a", 0x00490001u, 0, {Width(40)}}, Var("\x80")), xml, xmlUTF8), DBERR_NONE);
  EXPECT_NE(xml.find("<ROW a=\"\xE2\x82\xAC\"/>"), std::string::npos) << xml;
}

TEST(XmlWriter, NamesStayValidAndDistinct) {
  struct Case {
    std::vector<std::string> names;
    std::vector<std::string> attrnames;
  };
  const Case cases[] = {
      {{"First Name", "Total(%)"}, {"First_Name", "Total___"}},
      {{"a b", "a_b"}, {"a_b", "xF2"}},             // would collide
      {{"1st", "x/y", "ok"}, {"xF1", "xF2", "ok"}},  // still not names
      {{"xF2", "a<b"}, {"xF2", "xF2_"}},             // the replacement is taken too
  };
  for (const auto& c : cases) {
    PacketBuilder b;
    for (const auto& n : c.names) b.cols.push_back({n, 0x00010004u});
    std::string xml;
    ASSERT_EQ(XmlOf(b, xml), DBERR_NONE);
    for (const auto& a : c.attrnames) EXPECT_NE(xml.find("attrname=\"" + a + "\""), std::string::npos) << xml;
  }
}

TEST(XmlWriter, NestedRowsAreElementsOfTheirRow) {
  PacketBuilder b;
  Col items{"items", 0x050E0001u};
  items.nested = {{"qty", 0x00010004u}};
  b.cols = {items, {"id", 0x00010004u}};
  b.rows = {Row{0, {NestedRows({Row{0, {Int(3, 4)}}, Row{0, {Int(4, 4)}}}), Int(1, 4)}}, Row{0, {NestedRows({}), Int(2, 4)}}};
  std::string xml;
  ASSERT_EQ(XmlOf(b, xml), DBERR_NONE);
  EXPECT_NE(xml.find("<FIELD attrname=\"items\" fieldtype=\"nested\"><FIELDS><FIELD attrname=\"qty\" fieldtype=\"i4\"/>"
                     "</FIELDS><PARAMS/></FIELD>"),
            std::string::npos)
      << xml;
  EXPECT_NE(xml.find("<ROWDATA><ROW id=\"1\"><items><ROWitems qty=\"3\"/><ROWitems qty=\"4\"/></items></ROW>"
                     "<ROW id=\"2\"><items></items></ROW></ROWDATA>"),
            std::string::npos)
      << xml;
}

TEST(XmlWriter, WhatHasNoXmlFormIsRefused) {
  struct Case {
    const char* name;
    PacketBuilder packet;
    EngineResult expected;
  };
  PacketBuilder adt;
  adt.cols = {{"adr", 0x010C0001u}, {"street", 0x00490001u, 0, {Width(20)}}};
  PacketBuilder nested;
  Col n{"items", 0x050E0001u};
  n.nested = {{"qty", 0x00010004u}};
  nested.cols = {n};
  nested.rows = {Row{0, {NestedNotFetched()}}};
  const Case cases[] = {
      {"uint64", OneValue({"a", 0x00020008u}, Int(1, 8)), DBERR_FIELDTYPENOTSUPPORTEDXML},
      {"extended float", OneValue({"a", 0x0004000Au}, Fixed(Bytes(10, 0))), DBERR_FIELDTYPENOTSUPPORTEDXML},
      {"adt", adt, DBERR_FIELDTYPENOTSUPPORTEDXML},
      {"blob not fetched", OneValue({"a", 0x004B0004u, 0, {SubType("Binary")}}, NotFetched(10)),
       DBERR_DELAYEDFETCHNOTSUPPORTEDXML},
      {"details not fetched", nested, DBERR_DELAYEDFETCHNOTSUPPORTEDXML},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string xml;
    EXPECT_EQ(XmlOf(c.packet, xml), c.expected);
  }
}
