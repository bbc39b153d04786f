// Result codes and messages, field layout, field access, table properties.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/dsintf.h"
#include "packet_builder.h"

using namespace engine;
using namespace enginetest;

TEST(ResultCodes, MessagesAreExact) {
  const std::vector<std::pair<EngineResult, const char*>> cases = {
      {DBERR_EOF, "At end of table."},
      {DBERR_INVALIDPARAM, "Invalid parameter."},
      {DBERR_NOTHINGTOUNDO, "Nothing to undo."},
      {DBERR_DATAPACKETMISMATCH, "Mismatch in datapacket."},
      {DBERR_KEYVIOL, "Key violation."},
      {DBERR_NULLFIELDNAME, "Field name can't be null, datapacket may be corrupted"},
      {DBERR_FLYAWAY_WRONGORDER, "Special case: wrong order of updates for fly-away!"},
      {DBERR_DELAYEDFETCHNOTSUPPORTEDXML, "Delayed fetching not supported for XML."},
  };
  DSRef<IDSBase> t;
  ASSERT_EQ(CreateDSBase(t.put()), DBERR_NONE);
  for (const auto& [code, text] : cases) {
    SCOPED_TRACE(code);
    char buf[128] = "x";
    EXPECT_EQ(t->GetErrorString(code, buf), DBERR_NONE);
    EXPECT_STREQ(buf, text);
    EXPECT_STREQ(DBErrorMessage(code), text);
  }
  for (EngineResult code : {EngineResult{1}, DBERR_ABORTED, EngineResult{65535}}) {
    char buf[128] = "x";
    EXPECT_EQ(t->GetErrorString(code, buf), DBERR_OBJNOTFOUND);
    EXPECT_STREQ(buf, "");
  }
  EXPECT_EQ(t->GetErrorString(DBERR_EOF, nullptr), DBERR_NONE);
}

namespace {

DSFLDDesc Fld(const char* name, std::int32_t type, std::int32_t units1 = 0, std::int32_t len = 0) {
  DSFLDDesc d{};
  std::strncpy(d.szName, name, sizeof d.szName - 1);
  d.iFldType = type;
  d.iUnits1 = units1;
  d.iFldLen = len;
  return d;
}

}  // namespace

TEST(Layout, CreateComputesTheMainFormLayout) {
  DSRef<IDSBase> t;
  ASSERT_EQ(CreateDSBase(t.put()), DBERR_NONE);
  DSFLDDesc in[2] = {Fld("codigo", fldINT32), Fld("nome", fldZSTRING, 50)};
  ASSERT_EQ(t->Create(2, in, "clientes"), DBERR_NONE);
  DSFLDDesc f[2];
  ASSERT_EQ(t->GetFieldDescs(f), DBERR_NONE);
  const std::int32_t expected[2][4] = {{0, 4, 55, 1}, {4, 51, 56, 2}};
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(+f[i].iFldOffsInRec, expected[i][0]);
    EXPECT_EQ(+f[i].iFldLen, expected[i][1]);
    EXPECT_EQ(+f[i].iNullOffsInRec, expected[i][2]);
    EXPECT_EQ(+f[i].iFieldID, expected[i][3]);
  }
  DSProps p{};
  ASSERT_EQ(t->GetProps(&p), DBERR_NONE);
  EXPECT_EQ(+p.iRecBufSize, 57);
  EXPECT_STREQ(p.szName, "clientes");
  // the packet of this table is the main form's
  DSPacket out;
  ASSERT_EQ(t->StreamDS(&out), DBERR_NONE);
  EXPECT_EQ(out, MainFormPacket());
}

TEST(Layout, StorageSizesAndErrors) {
  struct Case {
    const char* name;
    DSFLDDesc field;
    EngineResult result;
    std::int32_t size;
  };
  const std::vector<Case> cases = {
      {"string from size", Fld("a", fldZSTRING, 0, 11), DBERR_NONE, 11},
      {"unicode", Fld("a", fldUNICODE, 20), DBERR_NONE, 22},
      {"varbytes", Fld("a", fldVARBYTES, 8), DBERR_NONE, 10},
      {"bytes", Fld("a", fldBYTES, 16), DBERR_NONE, 16},
      {"blob", Fld("a", fldBLOB), DBERR_NONE, 4},
      {"int8", Fld("a", fldINT8), DBERR_NONE, 2},
      {"uint64", Fld("a", fldUINT64), DBERR_NONE, 8},
      {"float10", Fld("a", fldFLOATIEEE), DBERR_NONE, 10},
      {"bcd 16", Fld("a", fldBCD, 16), DBERR_NONE, 10},
      {"bcd 0", Fld("a", fldBCD, 0), DBERR_NONE, 34},
      {"sql timestamp", Fld("a", fldDATETIME), DBERR_NONE, 16},
      {"with offset", Fld("a", fldDATETIMEOFFSET), DBERR_NONE, 20},
      {"string without width", Fld("a", fldZSTRING), DBERR_INVALIDPARAM, 0},
      {"unknown type", Fld("a", 99), DBERR_INVALIDFLDTYPE, 0},
      {"oversize", Fld("a", fldZSTRING, 70000), DBERR_INVALIDFLDTYPE, 0},
      {"adt without children", Fld("a", fldADT), DBERR_INVALIDFLDTYPE, 0},
      {"adt children missing", Fld("a", fldADT, 2), DBERR_INVALIDFLDTYPE, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    DSRef<IDSBase> t;
    ASSERT_EQ(CreateDSBase(t.put()), DBERR_NONE);
    EXPECT_EQ(t->Create(1, &c.field, nullptr), c.result);
    if (c.result == DBERR_NONE) {
      DSFLDDesc f{};
      t->GetFieldDescs(&f);
      EXPECT_EQ(+f.iFldLen, c.size);
    }
  }
}

TEST(Fields, PutFieldTrimsStringsAndKeepsNullApartFromEmpty) {
  DSRef<IDSBase> t;
  ASSERT_EQ(Load(MainFormPacket(), t), DBERR_NONE);
  auto c = OpenCursor(t.get());
  std::uint8_t rec[57] = {};
  char out[64];
  DSBool blank = -1;
  ASSERT_EQ(c->PutField(rec, 2, "abc  "), DBERR_NONE);
  ASSERT_EQ(c->GetField(rec, 2, out, &blank), DBERR_NONE);
  EXPECT_STREQ(out, "abc");
  EXPECT_EQ(blank, 0);
  ASSERT_EQ(t->SetProp(dspropDISABLESTRINGTRIM, 1), DBERR_NONE);
  ASSERT_EQ(c->PutField(rec, 2, "abc  "), DBERR_NONE);
  c->GetField(rec, 2, out, nullptr);
  EXPECT_STREQ(out, "abc  ");
  ASSERT_EQ(c->PutField(rec, 2, ""), DBERR_NONE);
  c->GetField(rec, 2, out, &blank);
  EXPECT_EQ(blank, 0);
  ASSERT_EQ(c->PutField(rec, 2, nullptr), DBERR_NONE);
  c->GetField(rec, 2, out, &blank);
  EXPECT_EQ(blank, 1);
  EXPECT_EQ(c->PutField(rec, 3, "x"), DBERR_INVALIDPARAM);
  ASSERT_EQ(c->InitRecord(rec), DBERR_NONE);
  EXPECT_EQ(rec[55], BLANK_NOTCHANGED);
  EXPECT_EQ(t->PutBlank(rec, 0, 1, BLANK_NULL), DBERR_NONE);
  EXPECT_EQ(rec[55], BLANK_NULL);
  EXPECT_EQ(t->PutBlank(nullptr, 1, 1, BLANK_NULL), DBERR_OUTOFRANGE);
}

TEST(Fields, BlobsThroughACursor) {
  PacketBuilder b;
  b.cols = {{"m", 0x004B0004u}};
  b.rows = {Row{0, {VarBytes({1, 2, 3, 4, 5})}}, Row{0, {Null()}}, Row{0, {NotFetched(9)}}};
  DSRef<IDSBase> t;
  ASSERT_EQ(Load(b.Packet(), t), DBERR_NONE);
  auto c = OpenCursor(t.get());
  std::uint8_t buf[8] = {};
  std::uint32_t len = 0;
  ASSERT_EQ(c->MoveRelative(1), DBERR_NONE);
  ASSERT_EQ(c->GetBlobLen(nullptr, 1, &len), DBERR_NONE);
  EXPECT_EQ(len, 5u);
  len = 3;
  ASSERT_EQ(c->GetBlob(nullptr, 1, 3, buf, &len), DBERR_NONE);
  EXPECT_EQ(len, 2u);
  EXPECT_EQ(buf[0], 4);
  len = 8;
  ASSERT_EQ(c->GetBlob(nullptr, 1, 99, buf, &len), DBERR_NONE);
  EXPECT_EQ(len, 0u);
  std::uint8_t rec[5];
  ASSERT_EQ(c->GetCurrentRecord(rec), DBERR_NONE);
  ASSERT_EQ(c->PutBlob(rec, 1, 5, "xy", 2), DBERR_NONE);
  len = 8;
  ASSERT_EQ(c->GetBlob(rec, 1, 0, buf, &len), DBERR_NONE);
  EXPECT_EQ(len, 7u);
  EXPECT_EQ(c->PutBlob(rec, 1, 99, "z", 1), DBERR_OUTOFRANGE);
  // the stored record keeps its value
  len = 8;
  ASSERT_EQ(c->GetBlob(nullptr, 1, 0, buf, &len), DBERR_NONE);
  EXPECT_EQ(len, 5u);
  ASSERT_EQ(c->MoveRelative(1), DBERR_NONE);
  len = 8;
  EXPECT_EQ(c->GetBlob(nullptr, 1, 0, buf, &len), DBERR_FIELDISBLANK);
  ASSERT_EQ(c->MoveRelative(1), DBERR_NONE);
  EXPECT_EQ(c->GetBlob(nullptr, 1, 0, buf, &len), DBERR_BLOBNOTFETCHED);
  std::uint32_t bogus = 77;
  std::memcpy(rec, &bogus, 4);
  rec[4] = 0;
  EXPECT_EQ(c->GetBlob(rec, 1, 0, buf, &len), DBERR_INVALIDBLOBHANDLE);
}

TEST(Props, TableProperties) {
  DSRef<IDSBase> t;
  ASSERT_EQ(Load(MainFormPacket(), t), DBERR_NONE);
  std::int32_t v = -1;
  ASSERT_EQ(t->SetProp(dspropREADONLY, 1), DBERR_NONE);
  ASSERT_EQ(t->GetProp(dspropREADONLY, &v), DBERR_NONE);
  EXPECT_EQ(v, 1);
  for (DSProp p : {dspropISDELTA, dspropNOOFCHANGES, dspropRECORDSINDS, dspropGETSAVEPOINT, dspropUPDATESPENDING})
    EXPECT_EQ(t->SetProp(p, 1), DBERR_INVALIDPARAM);
  EXPECT_EQ(t->SetProp(dspropAUTOINC_DISABLED, 1), DBERR_NA);
  v = 2;
  ASSERT_EQ(t->GetProp(dspropFIELDID_FORPARENT, &v), DBERR_NONE);
  EXPECT_EQ(v, 0);
  char name[32];
  std::int32_t fno = 2;
  std::memcpy(name, &fno, 4);
  ASSERT_EQ(t->GetProp(dspropFIELD_FULLNAME, name), DBERR_NONE);
  EXPECT_STREQ(name, "nome");
  EXPECT_EQ(t->GetProp(dspropGETUNIQUEINDEX, &v), DBERR_NOSUCHINDEX);
  auto c = OpenCursor(t.get());
  EXPECT_EQ(c->GetRecordBlock(nullptr, nullptr), DBERR_NONE);
  DSProps p{};
  ASSERT_EQ(c->GetCursorProps(&p), DBERR_NONE);
  EXPECT_EQ(+p.iBookMarkSize, 20);
  EXPECT_EQ(c->UndoLastChange(0), DBERR_NOTHINGTOUNDO);
  // a function filter without a function is refused, its handle cleared
  hDSFilter h = 5;
  EXPECT_EQ(c->AddFilterCallBack(0, nullptr, &h), DBERR_INVALIDPARAM);
  EXPECT_EQ(h, 0u);
  IDSBase* back = nullptr;
  ASSERT_EQ(c->GetProp(curpropDSBASE, &back), DBERR_NONE);
  EXPECT_EQ(back, t.get());
}

TEST(Lifetime, ObjectsAreFreedWithTheirLastReference) {
  const std::uint32_t before = LiveObjectCount();
  {
    DSRef<IDSBase> t;
    ASSERT_EQ(Load(MainFormPacket(), t), DBERR_NONE);
    auto c = OpenCursor(t.get());
    DSRef<IDSCursor> clone;
    CreateDSCursor(clone.put());
    clone->CloneCursor(c.get());
    EXPECT_GT(LiveObjectCount(), before);
  }
  EXPECT_EQ(LiveObjectCount(), before);
}
