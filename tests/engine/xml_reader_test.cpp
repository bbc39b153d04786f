// XML packets as read: the main form's document, documents of other
// writers, damaged documents and values, hostile documents.
#include <gtest/gtest.h>

#include <cstring>

#include "xml_fixture.h"

using namespace engine;
using namespace enginetest;

namespace {

// The first field's value of the first record, with its blank byte.
struct FirstValue {
  Bytes bytes;
  bool blank = true;
};

FirstValue ReadFirst(IDSBase* t) {
  auto c = OpenCursor(t);
  DSProps p{};
  t->GetProps(&p);
  DSFLDDesc f[4];
  t->GetFieldDescs(f);
  FirstValue v;
  if (c->MoveToBOF() || c->MoveRelative(1)) return v;
  Bytes rec(static_cast<std::size_t>(p.iRecBufSize));
  c->GetCurrentRecord(rec.data());
  v.blank = rec[static_cast<std::size_t>(f[0].iNullOffsInRec)] != 0;
  v.bytes.assign(rec.begin() + f[0].iFldOffsInRec, rec.begin() + f[0].iFldOffsInRec + f[0].iFldLen);
  return v;
}

}  // namespace

TEST(XmlReader, MainFormDocumentGivesTheFormTable) {
  DSRef<IDSBase> t;
  ASSERT_EQ(LoadXml(Doc("<FIELD attrname=\"codigo\" fieldtype=\"i4\"/><FIELD attrname=\"nome\" fieldtype=\"string\" "
                        "WIDTH=\"50\"/>",
                        ""),
                    t),
            DBERR_NONE);
  Bytes bin;
  ASSERT_EQ(StreamIn(t.get(), xmlOFF, bin), DBERR_NONE);
  EXPECT_EQ(bin, MainFormPacket());
}

TEST(XmlReader, TypeNamesOfOtherWriters) {
  struct Case {
    const char* fieldtype;
    std::int32_t fldType;
    std::int32_t fldLen;
  };
  const Case cases[] = {
      {"int", fldINT32, 4},  {"I4", fldINT32, 4},      {"i", fldINT32, 4},      {"uint", fldUINT32, 4},
      {"ui", fldUINT32, 4},  {"ui8", fldUINT64, 8},    {"boolean", fldBOOL, 2}, {"r10", fldFLOATIEEE, 10},
      {"R8", fldFLOAT, 8},   {"fixed", fldBCD, 32},    {"dateTime", fldTIMESTAMP, 8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fieldtype);
    DSRef<IDSBase> t;
    ASSERT_EQ(LoadXml(Doc(std::string("<FIELD attrname=\"a\" fieldtype=\"") + c.fieldtype + "\"/>", ""), t), DBERR_NONE);
    DSFLDDesc f[1];
    ASSERT_EQ(t->GetFieldDescs(f), DBERR_NONE);
    EXPECT_EQ(+f[0].iFldType, c.fldType);
    EXPECT_EQ(+f[0].iFldLen, c.fldLen);
  }
}

TEST(XmlReader, DamagedDocumentsGiveResultCodes) {
  struct Case {
    const char* name;
    std::string doc;
    EngineResult expected;
  };
  const Case cases[] = {
      {"not XML", "hello", DBERR_DATAPACKETMISMATCH},
      {"empty", "", DBERR_DATAPACKETMISMATCH},
      {"unclosed", "<DATAPACKET Version=\"2.0\"><METADATA>", DBERR_DATAPACKETMISMATCH},
      {"other root", "<FOO/>", DBERR_DATAPACKETMISMATCH},
      {"other first element", "<DATAPACKET><FOO/></DATAPACKET>", DBERR_DATAPACKETMISMATCH},
      {"METADATA without FIELDS", "<METADATA><PARAMS/></METADATA>", DBERR_DATAPACKETMISMATCH},
      {"rows without metadata", "<DATAPACKET><ROWDATA><ROW a=\"1\"/></ROWDATA></DATAPACKET>", DBERR_NOMETADATA},
      {"FIELD without attrname", Doc("<FIELD fieldtype=\"i4\"/>", ""), DBERR_DATAPACKETMISMATCH},
      {"FIELD without fieldtype", Doc("<FIELD attrname=\"a\"/>", ""), DBERR_INVALIDFLDTYPE},
      {"unknown fieldtype", Doc("<FIELD attrname=\"a\" fieldtype=\"quaternion\"/>", ""), DBERR_INVALIDFLDTYPE},
      {"no columns", Doc("", ""), DBERR_NOMETADATA},
      {"column named RowState", Doc("<FIELD attrname=\"RowState\" fieldtype=\"i4\"/>", ""), DBERR_NA},
      {"UTF-16", "\xFF\xFE<\0", DBERR_DATAPACKETMISMATCH},
      {"entity of a DTD", "<!DOCTYPE d [<!ENTITY e \"x\">]>" + Doc("<FIELD attrname=\"a\" fieldtype=\"string\" WIDTH=\"5\"/>",
                                                                   "<ROW a=\"&e;\"/>"),
       DBERR_DATAPACKETMISMATCH},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DSRef<IDSBase> t;
    ASSERT_EQ(CreateDSBase(t.put()), DBERR_NONE);
    EXPECT_EQ(t->AppendData(reinterpret_cast<const std::uint8_t*>(c.doc.data()), c.doc.size(), 1), c.expected);
    // the table is left empty and takes a good packet afterwards
    const Bytes good = MainFormPacket();
    EXPECT_EQ(t->AppendData(good.data(), good.size(), 1), DBERR_NONE);
  }
}

TEST(XmlReader, MalformedValuesFailInsteadOfReadingZero) {
  struct Case {
    const char* type;
    const char* value;
  };
  const Case cases[] = {
      {"i4", "12x"},        {"i4", ""},           {"i4", "99999999999"}, {"i2", "40000"},
      {"ui4", "-1"},        {"i1", "+1"},         {"r8", "1.2.3"},       {"r8", "one"},
      {"boolean", "yes"},   {"date", "20221340"}, {"date", "2022-04-20"}, {"date", "20230229"},
      {"time", "23:60:00000"}, {"time", "14:30:05"}, {"time", "999:00:00000"}, {"time", "--1:00:00000"},
      {"dateTime", "20220420T"}, {"dateTime", "20220420T24:00:00000"}, {"dateTime", "20220420T-1:00:00000"}, {"SQLdateTime", "20220420X"},
      {"bin.hex\" WIDTH=\"4", "AQI*"}, {"bin.hex\" WIDTH=\"4", "AQIDBA="}, {"bin.hex\" WIDTH=\"4", "AQIDBA==AA=="},
      {"fixed\" WIDTH=\"8\" DECIMALS=\"2", "1.2.3"}, {"fixed\" WIDTH=\"8\" DECIMALS=\"2", "12a"},
      {"string\" WIDTH=\"8", "&bogus;"}, {"string\" WIDTH=\"8", "&#xZZ;"}, {"string\" WIDTH=\"8", "&#20013;"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.type) + " " + c.value);
    DSRef<IDSBase> t;
    EXPECT_EQ(LoadXml(Doc(std::string("<FIELD attrname=\"a\" fieldtype=\"") + c.type + "\"/>",
                          std::string("<ROW a=\"") + c.value + "\"/>"),
                      t),
              DBERR_DATAPACKETMISMATCH);
  }
}

TEST(XmlReader, TextsComeBackAsWritten) {
  struct Case {
    const char* name;
    std::string doc;
    Bytes field;  // the stored field bytes (string: up to its terminator)
  };
  auto str = [](const char* s, std::size_t width) {
    Bytes b(s, s + std::strlen(s));
    b.resize(width + 1, 0);
    return b;
  };
  const std::string f8 = "<FIELD attrname=\"a\" fieldtype=\"string\" WIDTH=\"8\"/>";
  const Case cases[] = {
      {"escaped specials", Doc(f8, "<ROW a=\"&lt;&amp;&#013;&#010;&#009;&#092;&#x41;\"/>"), str("<&\r\n\t\\A", 8)},
      {"reference to a code-page character", Doc(f8, "<ROW a=\"&#8364;\"/>"), str("\x80", 8)},
      {"code-page byte", Doc(f8, "<ROW a=\"\xE9\"/>"), str("\xE9", 8)},
      {"UTF-8 document", Doc(f8, "<ROW a=\"\xE2\x82\xAC\xC3\xA9\"/>", true), str("\x80\xE9", 8)},
      {"longer than the column: cut at its width", Doc(f8, "<ROW a=\"0123456789\"/>"), str("01234567", 8)},
      {"raw line breaks are kept", Doc(f8, "<ROW a=\"a\nb\"/>"), str("a\nb", 8)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DSRef<IDSBase> t;
    ASSERT_EQ(LoadXml(c.doc, t), DBERR_NONE);
    const FirstValue v = ReadFirst(t.get());
    EXPECT_FALSE(v.blank);
    EXPECT_EQ(v.bytes, c.field);
  }
}

TEST(XmlReader, LongValuesNeverWrapALengthPrefix) {
  const std::string value(300, 'q');
  DSRef<IDSBase> t;
  ASSERT_EQ(LoadXml(Doc("<FIELD attrname=\"a\" fieldtype=\"string\" WIDTH=\"300\"/>", "<ROW a=\"" + value + "\"/>"), t),
            DBERR_NONE);
  FirstValue v = ReadFirst(t.get());
  EXPECT_EQ(std::string(v.bytes.begin(), v.bytes.begin() + 300), value);
  // without a width the column is as wide as its longest value
  ASSERT_EQ(LoadXml(Doc("<FIELD attrname=\"a\" fieldtype=\"string\"/>", "<ROW a=\"" + value + "\"/><ROW a=\"x\"/>"), t),
            DBERR_NONE);
  DSFLDDesc f[1];
  ASSERT_EQ(t->GetFieldDescs(f), DBERR_NONE);
  EXPECT_EQ(+f[0].iUnits1, 300);
  v = ReadFirst(t.get());
  EXPECT_EQ(std::string(v.bytes.begin(), v.bytes.begin() + 300), value);
}

TEST(XmlReader, BinHexColumnsKeepTheirValues) {
  struct Case {
    const char* name;
    std::string fields;
    std::int32_t fldType;
  };
  const Case cases[] = {
      {"every value as wide as the column: fixed bytes", "<FIELD attrname=\"a\" fieldtype=\"bin.hex\" WIDTH=\"4\"/>", fldBYTES},
      {"shorter values: varying bytes", "<FIELD attrname=\"a\" fieldtype=\"bin.hex\" WIDTH=\"8\"/>", fldVARBYTES},
      {"memo sub-type: a blob", "<FIELD attrname=\"a\" fieldtype=\"bin.hex\" SUBTYPE=\"Text\" WIDTH=\"8\"/>", fldBLOB},
      {"no width: a blob", "<FIELD attrname=\"a\" fieldtype=\"bin.hex\"/>", fldBLOB},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DSRef<IDSBase> t;
    ASSERT_EQ(LoadXml(Doc(c.fields, "<ROW a=\"AQIDBA==\"/>"), t), DBERR_NONE);
    DSFLDDesc f[1];
    ASSERT_EQ(t->GetFieldDescs(f), DBERR_NONE);
    EXPECT_EQ(+f[0].iFldType, c.fldType);
    Bytes back;
    ASSERT_EQ(StreamIn(t.get(), xmlON, back), DBERR_NONE);
    EXPECT_NE(AsText(back).find("<ROW a=\"AQIDBA==\"/>"), std::string::npos) << AsText(back);
  }
}

TEST(XmlReader, DeepNestingIsRefused) {
  std::string fields = "<FIELD attrname=\"x\" fieldtype=\"i4\"/>";
  for (int i = 0; i < 70; ++i)
    fields = "<FIELD attrname=\"n" + std::to_string(i) + "\" fieldtype=\"nested\"><FIELDS>" + fields + "</FIELDS></FIELD>";
  DSRef<IDSBase> t;
  EXPECT_EQ(LoadXml(Doc(fields, ""), t), DBERR_NA);
}

TEST(XmlReader, ParamsBecomeTableAttributesAndParameters) {
  const std::string doc =
      "<?xml version=\"1.0\" standalone=\"yes\"?><DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
      "<FIELD attrname=\"k\" fieldtype=\"i4\"/></FIELDS><PARAMS DEFAULT_ORDER=\"1\" LCID=\"1033\">"
      "<PARAM Name=\"NOTE\" Value=\"hello\"/><PARAM Name=\"LIMIT\" Value=\"7\" Type=\"i4\" Roundtrip=\"True\"/>"
      "</PARAMS></METADATA><ROWDATA><ROW k=\"2\"/><ROW k=\"1\"/></ROWDATA></DATAPACKET>";
  DSRef<IDSBase> t;
  ASSERT_EQ(LoadXml(doc, t), DBERR_NONE);
  DSProps p{};
  ASSERT_EQ(t->GetProps(&p), DBERR_NONE);
  EXPECT_EQ(+p.iLCID, 1033);
  EXPECT_EQ(+p.iIndexes, 1);  // DEFAULT_ORDER on k
  char name[256] = {};
  std::uint32_t type = 0, len = 0;
  const void* value = nullptr;
  bool note = false, limit = false;
  for (std::uint32_t i = 1; t->GetOptParameter(i, 0, name, &type, &len, &value) == DBERR_NONE; ++i) {
    if (std::strcmp(name, "NOTE") == 0) note = type == 0x00490002u;
    if (std::strcmp(name, "LIMIT") == 0) limit = type == (0x80010004u) && std::memcmp(value, "\x07\0\0\0", 4) == 0;
  }
  EXPECT_TRUE(note);
  EXPECT_TRUE(limit);
}
