// Record and field constraints carried by a table's attributes: checked on
// insert and modify, their message handed out once, switched off by
// dspropCONSTRAINTS_DISABLED, field constraints through VerifyField, and
// damaged constraint entries refused.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "edit_fixture.h"
#include "engine/expr/expr_builder.h"

using namespace engine;
using namespace engine::expr;
using namespace enginetest;

namespace {

constexpr std::uint32_t kVaryingBytes2 = 0x004B0002u;  // bytes, 2-byte length prefix

Bytes BlobOf(const ExprNode& root) {
  Bytes out;
  EXPECT_EQ(EncodeTree(root, out), DBERR_NONE);
  return out;
}

// A constraint entry: message length, a 32-bit value, flag byte, message, blob.
Bytes Entry(const std::string& message, const Bytes& blob, std::int64_t lengthField = -1, std::uint8_t flag = 0) {
  Bytes e = LE(static_cast<std::uint64_t>(lengthField < 0 ? static_cast<std::int64_t>(message.size()) : lengthField), 4);
  const Bytes zero = LE(0, 4);
  e.insert(e.end(), zero.begin(), zero.end());
  e.push_back(flag);
  e.insert(e.end(), message.begin(), message.end());
  e.insert(e.end(), blob.begin(), blob.end());
  return e;
}

Attr ConstraintAttr(const char* name, const Bytes& entry) {
  Bytes v = U16(static_cast<std::uint32_t>(entry.size()));
  v.insert(v.end(), entry.begin(), entry.end());
  return {name, kVaryingBytes2, v};
}

// The (codigo int32, nome string 50) table with the given table attributes.
DSRef<IDSBase> TableWith(std::vector<Attr> attrs) {
  PacketBuilder b;
  b.cols = {{"codigo", 0x00010004u}, {"nome", 0x00490001u, 0, {Width(50)}}};
  b.tableAttrs = std::move(attrs);
  DSRef<IDSBase> t;
  EXPECT_EQ(Load(b.Packet(), t), DBERR_NONE);
  return t;
}

DSRef<IDSCursor> CursorOn(IDSBase* t) {
  DSRef<IDSCursor> c;
  EXPECT_EQ(CreateDSCursor(c.put()), DBERR_NONE);
  EXPECT_EQ(c->InitCursor(t), DBERR_NONE);
  return c;
}

std::string ErrorText(IDSBase* t, EngineResult code) {
  char buf[DBERR_MSG_MAX + 1] = {};
  EXPECT_EQ(t->GetErrorString(code, buf), DBERR_NONE);
  return buf;
}

ExprNode CodigoPositive() { return MakeBinary(coGT, MakeField(1, "codigo"), MakeIntConst(0)); }
ExprNode NomeIsNotX() {
  return MakeBinary(coNE, MakeField(2, "nome"), MakeStringConst("x"));
}

const char* const kGeneric = "Record or field constraint failed.";

TEST(RecordConstraints, CheckedOnInsertAndModifyWithTheirMessageOnce) {
  auto t = TableWith({ConstraintAttr("QORRECORD_CL", Entry("codigo must be positive", BlobOf(CodigoPositive())))});
  auto c = CursorOn(t.get());
  struct Case {
    const char* what;
    std::optional<std::int32_t> codigo;
    EngineResult code;
  };
  const std::vector<Case> inserts = {
      {"passes", 5, DBERR_NONE},
      {"fails", -1, DBERR_CONSTRAINTFAILED},
      {"zero fails", 0, DBERR_CONSTRAINTFAILED},
      {"blank is unknown and passes", {}, DBERR_NONE},
  };
  for (const auto& k : inserts) {
    SCOPED_TRACE(k.what);
    EXPECT_EQ(Insert(c.get(), k.codigo, "n"), k.code);
    if (k.code == DBERR_CONSTRAINTFAILED) {
      EXPECT_EQ(ErrorText(t.get(), DBERR_CONSTRAINTFAILED), "codigo must be positive");
      EXPECT_EQ(ErrorText(t.get(), DBERR_CONSTRAINTFAILED), kGeneric);  // only once
    }
  }
  EXPECT_EQ(VisibleK(c.get()), (std::vector<std::int32_t>{5, -999}));
  ASSERT_TRUE(GoTo(c.get(), 5));
  EXPECT_EQ(Modify(c.get(), "n", -3), DBERR_CONSTRAINTFAILED);
  EXPECT_EQ(ErrorText(t.get(), DBERR_CONSTRAINTFAILED), "codigo must be positive");
  EXPECT_EQ(Modify(c.get(), "m", 8), DBERR_NONE);
  EXPECT_EQ(VisibleK(c.get()), (std::vector<std::int32_t>{8, -999}));
  EXPECT_EQ(Prop(t.get(), dspropNOOFCHANGES), 2);

  // switched off, nothing is checked
  ASSERT_EQ(t->SetProp(dspropCONSTRAINTS_DISABLED, 1), DBERR_NONE);
  EXPECT_EQ(Insert(c.get(), -7, "n"), DBERR_NONE);
  ASSERT_EQ(t->SetProp(dspropCONSTRAINTS_DISABLED, 0), DBERR_NONE);
  EXPECT_EQ(Insert(c.get(), -8, "n"), DBERR_CONSTRAINTFAILED);
}

TEST(RecordConstraints, CheckedWithLoggingOffAndAfterTheReadOnlyCheck) {
  auto t = TableWith({ConstraintAttr("QORRECORD_CL", Entry("m", BlobOf(CodigoPositive())))});
  ASSERT_EQ(t->SetProp(dspropLOGCHANGES, 0), DBERR_NONE);
  auto c = CursorOn(t.get());
  ASSERT_EQ(Insert(c.get(), 4, "a"), DBERR_NONE);
  EXPECT_EQ(Insert(c.get(), -4, "b"), DBERR_CONSTRAINTFAILED);
  ASSERT_TRUE(GoTo(c.get(), 4));
  EXPECT_EQ(Modify(c.get(), "c", -4), DBERR_CONSTRAINTFAILED);
  EXPECT_EQ(VisibleK(c.get()), (std::vector<std::int32_t>{4}));
  EXPECT_EQ(VisibleS(c.get()), (std::vector<std::string>{"a"}));
  // a read-only table refuses the edit before any constraint runs
  ASSERT_EQ(t->SetProp(dspropREADONLY, 1), DBERR_NONE);
  EXPECT_EQ(Insert(c.get(), -4, "b"), DBERR_READONLYDB);
  EXPECT_EQ(ErrorText(t.get(), DBERR_CONSTRAINTFAILED), "m");  // still the earlier failure's
}

TEST(RecordConstraints, EveryConstraintIsCheckedInOrder) {
  auto t = TableWith({ConstraintAttr("QORRECORD_X", Entry("first", BlobOf(CodigoPositive()))),
                      ConstraintAttr("QORRECORD_CL", Entry("", BlobOf(NomeIsNotX())))});
  auto c = CursorOn(t.get());
  EXPECT_EQ(Insert(c.get(), -1, "x"), DBERR_CONSTRAINTFAILED);
  EXPECT_EQ(ErrorText(t.get(), DBERR_CONSTRAINTFAILED), "first");
  // a failure without a message of its own gives the common text, never an older message
  EXPECT_EQ(Insert(c.get(), -1, "y"), DBERR_CONSTRAINTFAILED);
  EXPECT_EQ(Insert(c.get(), 1, "x"), DBERR_CONSTRAINTFAILED);
  EXPECT_EQ(ErrorText(t.get(), DBERR_CONSTRAINTFAILED), kGeneric);
  EXPECT_EQ(Insert(c.get(), 1, "y"), DBERR_NONE);
}

TEST(RecordConstraints, LongMessagesAreCutAndDamagedEntriesRefuseEdits) {
  const std::string longMessage(300, 'm');
  std::string eAcute200(200, '\xE9');  // "é" in the table's code page (1252)
  std::string eAcute63;
  for (int i = 0; i < 63; ++i) eAcute63 += "\xC3\xA9";
  struct Message {
    const char* what;
    std::string stored;
    bool utf8;
    std::string handedOut;
  };
  const std::vector<Message> messages = {
      {"cut to 127 bytes", longMessage, false, std::string(127, 'm')},
      {"code page text as UTF-8", "caf\xE9", true, "caf\xC3\xA9"},
      {"UTF-8 cut to 126 bytes between characters", eAcute200, true, eAcute63},
      {"ends at its terminator", std::string("ab\0cd", 5), false, "ab"},
  };
  for (const auto& m : messages) {
    SCOPED_TRACE(m.what);
    auto t = TableWith({ConstraintAttr("QORRECORD_CL", Entry(m.stored, BlobOf(CodigoPositive())))});
    ASSERT_EQ(t->SetProp(dspropUTF8ERRORMSG, m.utf8 ? 1 : 0), DBERR_NONE);
    auto c = CursorOn(t.get());
    EXPECT_EQ(Insert(c.get(), -1, "n"), DBERR_CONSTRAINTFAILED);
    EXPECT_EQ(ErrorText(t.get(), DBERR_CONSTRAINTFAILED), m.handedOut);
  }

  const Bytes blob = BlobOf(CodigoPositive());
  Bytes truncatedBlob = blob;
  truncatedBlob.resize(blob.size() - 3);
  struct Damaged {
    const char* what;
    Attr attr;
    EngineResult code;
  };
  const std::vector<Damaged> cases = {
      {"negative message length", ConstraintAttr("QORRECORD_CL", Entry("m", blob, 0xFFFFFFF0)), DBERR_DATAPACKETMISMATCH},
      {"message length past the entry", ConstraintAttr("QORRECORD_CL", Entry("m", blob, 100000)), DBERR_DATAPACKETMISMATCH},
      {"no expression", ConstraintAttr("QORRECORD_CL", Entry("m", {})), DBERR_DATAPACKETMISMATCH},
      {"shorter than its header", ConstraintAttr("QORRECORD_CL", Bytes{1, 0, 0}), DBERR_DATAPACKETMISMATCH},
      {"cut expression", ConstraintAttr("QORRECORD_CL", Entry("m", truncatedBlob)), DBERR_INVALIDPARAM},
      {"not a byte string", Attr{"QORRECORD_CL", 0x00010004u, LE(5, 4)}, DBERR_DATAPACKETMISMATCH},
      {"unknown field", ConstraintAttr("QORRECORD_CL",
                                       Entry("m", BlobOf(MakeBinary(coGT, MakeField(7, "zz"), MakeIntConst(0))))),
       DBERR_OBJNOTFOUND},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.what);
    auto d = TableWith({k.attr});
    auto dc = CursorOn(d.get());
    EXPECT_EQ(Insert(dc.get(), 5, "n"), k.code);
    EXPECT_TRUE(VisibleK(dc.get()).empty());
  }
}

TEST(RecordConstraints, FlaggedConstraintOnOneFieldMakesItRequired) {
  const ExprNode both = MakeBinary(coAND, CodigoPositive(), NomeIsNotX());
  struct Case {
    const char* what;
    Attr attr;
    bool codigoRequired;
  };
  const std::vector<Case> cases = {
      {"flagged, one field", ConstraintAttr("QORDOMAIN_CL", Entry("m", BlobOf(CodigoPositive()), -1, 1)), true},
      {"not flagged", ConstraintAttr("QORDOMAIN_CL", Entry("m", BlobOf(CodigoPositive()), -1, 0)), false},
      {"flagged, two fields", ConstraintAttr("QORRECORD_CL", Entry("m", BlobOf(both), -1, 1)), false},
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.what);
    auto t = TableWith({k.attr});
    std::vector<DSFLDDesc> f(2);
    ASSERT_EQ(t->GetFieldDescs(f.data()), DBERR_NONE);
    EXPECT_EQ((f[0].iFldAttr & fldAttrREQUIRED) != 0, k.codigoRequired);
    EXPECT_EQ(f[1].iFldAttr & fldAttrREQUIRED, 0);
    auto c = CursorOn(t.get());
    EXPECT_EQ(Insert(c.get(), {}, "n"), k.codigoRequired ? DBERR_REQDERR : DBERR_NONE);
  }
}

TEST(FieldConstraints, VerifyFieldChecksTheFieldsConstraints) {
  auto t = TableWith({ConstraintAttr("QORDOMAIN_CL", Entry("nome may not be x", BlobOf(NomeIsNotX())))});
  auto c = CursorOn(t.get());
  struct Case {
    const char* what;
    std::uint32_t field;
    const char* value;  // nullptr: blank
    EngineResult code;
  };
  const std::vector<Case> cases = {
      {"allowed text", 2, "ok", DBERR_NONE},
      {"refused text", 2, "x", DBERR_CONSTRAINTFAILED},
      {"blank is unknown and passes", 2, nullptr, DBERR_NONE},
      {"field without constraints", 1, "\x05\0\0\0", DBERR_NONE},
      {"no such field", 9, "x", DBERR_INVALIDPARAM},
  };
  for (int pass = 0; pass < 2; ++pass) {  // off any record, then on one
    for (const auto& k : cases) {
      SCOPED_TRACE(std::string(k.what) + (pass ? " on a record" : ""));
      EXPECT_EQ(c->VerifyField(k.field, k.value), k.code);
      if (k.code == DBERR_CONSTRAINTFAILED) {
        EXPECT_EQ(ErrorText(t.get(), DBERR_CONSTRAINTFAILED), "nome may not be x");
      }
    }
    // field constraints are the field's own: a record insert does not run them
    ASSERT_EQ(Insert(c.get(), 1, "x"), DBERR_NONE);
  }
  ASSERT_EQ(t->SetProp(dspropCONSTRAINTS_DISABLED, 1), DBERR_NONE);
  EXPECT_EQ(c->VerifyField(2, "x"), DBERR_NONE);
}

}  // namespace
