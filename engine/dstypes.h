// Shared vocabulary of the table engine interfaces: result codes and their
// messages, field type and sub-type codes, flags, property identifiers, the
// records that cross IDSBase / IDSCursor / IDSWriter and the callback types.
#pragma once

#include <cstdint>

namespace engine {

// ---------------------------------------------------------------------------
// Basic types

using EngineResult = std::uint16_t;  // 0 = success
using DSBool = std::int32_t;         // 0 = false, anything else = true
using DSClientData = std::uintptr_t; // value handed back unchanged to callbacks
using hDSFilter = std::uint32_t;     // 0 = none
using hDSAggregate = std::uint32_t;  // 0 = none
using DSRecBuf = std::uint8_t*;      // caller-owned record buffer (iRecBufSize bytes)
using DSBookmark = std::uint8_t*;    // caller-owned bookmark (iBookMarkSize bytes)

// ---------------------------------------------------------------------------
// Result codes

constexpr EngineResult ERRBASE_INVALIDREQ = 9984;  // category 0x27
constexpr EngineResult ERRBASE_ALC = 16384;        // category 0x40

constexpr EngineResult DBERR_NONE = 0;
constexpr EngineResult DBERR_BOF = 8705;
constexpr EngineResult DBERR_EOF = 8706;
constexpr EngineResult DBERR_KEYORRECDELETED = 8708;
constexpr EngineResult DBERR_NOCURRREC = 8709;
constexpr EngineResult DBERR_RECNOTFOUND = 8710;
constexpr EngineResult DBERR_OBJNOTFOUND = 8712;
constexpr EngineResult DBERR_NOMEMORY = 9473;
constexpr EngineResult DBERR_KEYVIOL = 9729;
constexpr EngineResult DBERR_REQDERR = 9732;
constexpr EngineResult DBERR_DETAILRECORDSEXIST = 9734;
constexpr EngineResult DBERR_FIELDISBLANK = 9740;
constexpr EngineResult DBERR_OUTOFRANGE = 9985;
constexpr EngineResult DBERR_INVALIDPARAM = 9986;
constexpr EngineResult DBERR_NOSUCHINDEX = 9997;
constexpr EngineResult DBERR_INVALIDFLDTYPE = 10000;
constexpr EngineResult DBERR_NAMENOTUNIQUE = 10009;
constexpr EngineResult DBERR_INDEXNAMEREQUIRED = 10010;
constexpr EngineResult DBERR_INVALIDINDEXNAME = 10022;
constexpr EngineResult DBERR_INVALIDBLOBHANDLE = 10030;
constexpr EngineResult DBERR_ACTIVEINDEX = 10035;
constexpr EngineResult DBERR_NULLFIELDNAME = 10038;
constexpr EngineResult DBERR_READONLYFLD = 10502;
constexpr EngineResult DBERR_NA = 10756;
constexpr EngineResult DBERR_NOTINDEXED = 10757;
constexpr EngineResult DBERR_READONLYDB = 10763;
constexpr EngineResult DBERR_INDEXREADONLY = 10767;
constexpr EngineResult DBERR_TYPEMISMATCH = 11871;
constexpr EngineResult DBERR_CONSTRAINTFAILED = 11950;
constexpr EngineResult DBERR_NOTSUPPORTED = 12289;
constexpr EngineResult DBERR_DELTAISEMPTY = 16385;
constexpr EngineResult DBERR_NOTHINGTOUNDO = 16386;
constexpr EngineResult DBERR_NOMETADATA = 16387;
constexpr EngineResult DBERR_CANNOTAPPEND = 16388;
constexpr EngineResult DBERR_DATAPACKETMISMATCH = 16389;
constexpr EngineResult DBERR_ABORTED = 16390;
constexpr EngineResult DBERR_CANCELLED = 16391;
constexpr EngineResult DBERR_NEWERVERSIONREQ = 16392;
constexpr EngineResult DBERR_BLOBNOTFETCHED = 16393;
constexpr EngineResult DBERR_DETAILSNOTFETCHED = 16394;
constexpr EngineResult DBERR_NOMASTERRECORD = 16395;
constexpr EngineResult DBERR_LINKFIELDSNOTUNIQUE = 16396;
constexpr EngineResult DBERR_FLYAWAY_WRONGORDER = 16397;
constexpr EngineResult DBERR_NOCASCADEDUPDATES = 16398;
constexpr EngineResult DBERR_AGGREGATENOTFOUND = 16399;
constexpr EngineResult DBERR_FIELDTYPENOTSUPPORTEDXML = 16400;
constexpr EngineResult DBERR_DELAYEDFETCHNOTSUPPORTEDXML = 16401;

// Message text of a result code, exactly as the engine reports it; nullptr
// for a code without text (16390, 16391 and unknown codes).
const char* DBErrorMessage(EngineResult code) noexcept;

// Maximum number of characters GetErrorString hands out (plus terminator).
constexpr int DBERR_MSG_MAX = 127;

// ---------------------------------------------------------------------------
// Field type codes (iFldType)

constexpr std::int32_t fldUNKNOWN = 0;
constexpr std::int32_t fldZSTRING = 1;
constexpr std::int32_t fldDATE = 2;
constexpr std::int32_t fldBLOB = 3;
constexpr std::int32_t fldBOOL = 4;
constexpr std::int32_t fldINT16 = 5;
constexpr std::int32_t fldINT32 = 6;
constexpr std::int32_t fldFLOAT = 7;
constexpr std::int32_t fldBCD = 8;
constexpr std::int32_t fldBYTES = 9;
constexpr std::int32_t fldTIME = 10;
constexpr std::int32_t fldTIMESTAMP = 11;
constexpr std::int32_t fldUINT16 = 12;
constexpr std::int32_t fldUINT32 = 13;
constexpr std::int32_t fldFLOATIEEE = 14;
constexpr std::int32_t fldVARBYTES = 15;
constexpr std::int32_t fldLOCKINFO = 16;
constexpr std::int32_t fldCURSOR = 17;
constexpr std::int32_t fldINT64 = 18;
constexpr std::int32_t fldUINT64 = 19;
constexpr std::int32_t fldADT = 20;
constexpr std::int32_t fldARRAY = 21;
constexpr std::int32_t fldREF = 22;
constexpr std::int32_t fldTABLE = 23;
constexpr std::int32_t fldDATETIME = 24;
constexpr std::int32_t fldFMTBCD = 25;
constexpr std::int32_t fldWIDESTRING = 26;
constexpr std::int32_t fldSINGLE = 27;
constexpr std::int32_t MAXLOGFLDTYPES = 27;
constexpr std::int32_t fldINT8 = 28;
constexpr std::int32_t fldUINT8 = 29;
constexpr std::int32_t fldDATETIMEOFFSET = 36;
constexpr std::int32_t fldBOOL8 = 0x1003;   // 1-byte boolean column (storage 2)
constexpr std::int32_t fldBOOL32 = 0x1004;  // 4-byte boolean column (storage 4)
constexpr std::int32_t fldUNICODE = 0x1007;

// Name of a field type code ("fldINT32"), nullptr when the code has no name.
const char* FieldTypeName(std::int32_t type) noexcept;

// ---------------------------------------------------------------------------
// Sub-type codes (iFldSubType)

constexpr std::int32_t fldstNONE = 0;
constexpr std::int32_t fldstPASSWORD = 1;
constexpr std::int32_t fldstMONEY = 21;
constexpr std::int32_t fldstMEMO = 22;
constexpr std::int32_t fldstBINARY = 23;
constexpr std::int32_t fldstFMTMEMO = 24;
constexpr std::int32_t fldstOLEOBJ = 25;
constexpr std::int32_t fldstGRAPHIC = 26;
constexpr std::int32_t fldstDBSOLEOBJ = 27;
constexpr std::int32_t fldstTYPEDBINARY = 28;
constexpr std::int32_t fldstAUTOINC = 29;
constexpr std::int32_t fldstACCOLEOBJ = 30;
constexpr std::int32_t fldstFIXED = 31;
constexpr std::int32_t fldstWIDEMEMO = 32;
constexpr std::int32_t fldstHMEMO = 33;
constexpr std::int32_t fldstHBINARY = 34;
constexpr std::int32_t fldstBFILE = 36;
constexpr std::int32_t fldstGUID = 38;
constexpr std::int32_t fldstORATIMESTAMP = 39;
constexpr std::int32_t fldstORAINTERVAL = 40;
constexpr std::int32_t fldstReference = 70;

// ---------------------------------------------------------------------------
// Record attributes (one byte per record)

constexpr std::uint8_t dsRecUnmodified = 0;
constexpr std::uint8_t dsRecOrg = 1;
constexpr std::uint8_t dsRecDeleted = 2;
constexpr std::uint8_t dsRecNew = 4;
constexpr std::uint8_t dsRecModified = 8;
constexpr std::uint8_t dsUnused = 32;
constexpr std::uint8_t dsDetUpd = 64;
constexpr std::uint8_t dsIsNotVisible = dsRecOrg | dsRecDeleted | dsUnused;  // 35
constexpr std::uint8_t dsIsVisible = static_cast<std::uint8_t>(~dsIsNotVisible);

// Field attributes (iFldAttr)
constexpr std::int32_t fldAttrHIDDEN = 1;
constexpr std::int32_t fldAttrREADONLY = 2;
constexpr std::int32_t fldAttrREQUIRED = 4;
constexpr std::int32_t fldAttrLINK = 8;

// Blank states (blank-indicator byte of a record buffer)
constexpr std::uint8_t BLANK_NONE = 0;
constexpr std::uint8_t BLANK_NULL = 1;
constexpr std::uint8_t BLANK_NOTCHANGED = 2;

// Search conditions
enum DBSearchCond : std::int32_t { keySEARCHEQ = 0, keySEARCHGT = 1, keySEARCHGEQ = 2 };

// Group and aggregate states
enum GROUPSTATE : std::int32_t {
  grSTATEMIDDLE = 0, grSTATEFIRST = 1, grSTATELAST = 2, grSTATEFIRSTLAST = 3
};
enum AGGSTATE : std::int32_t {
  aggSTATEUNDEF = 0, aggSTATEOK = 1, aggSTATEBLANK = 2, aggSTATEERROR = 3
};

// Master-detail semantics and packet flags
constexpr std::int32_t mdCASCADEDEL = 4;
constexpr std::int32_t mdCASCADEMOD = 8;
constexpr std::int32_t mdALLOWLINKCHANGE = 16;
constexpr std::int32_t dsCASCADEDELETES = 1;
constexpr std::int32_t dsCASCADEUPDATES = 2;

// Reconcile actions
constexpr std::int32_t dscbrSKIP = 1;
constexpr std::int32_t dscbrABORT = 2;
constexpr std::int32_t dscbrMERGE = 3;
constexpr std::int32_t dscbrAPPLY = 4;
constexpr std::int32_t dscbrIGNORE = 5;
constexpr std::int32_t dscbrCORRECT = 4;
constexpr std::int32_t dscbrCANCEL = 5;
constexpr std::int32_t dscbrREFRESH = 6;

// XML modes
constexpr std::int32_t xmlOFF = 0;
constexpr std::int32_t xmlUNTYPED = 1;
constexpr std::int32_t xmlXMLDATATYPED = 2;
constexpr std::int32_t xmlXMLSCHEMA = 4;
constexpr std::int32_t xmlXMLUTF8 = 8;
constexpr std::int32_t xmlON = 5;
constexpr std::int32_t xmlUTF8 = 13;

// Packet attribute areas and field status
enum TPcktAttrArea : std::int32_t { fldAttrArea = 0, pcktAttrArea = 1 };
enum TPcktFldStatus : std::int32_t { fldIsChanged = 0, fldIsNull = 1, fldIsUnChanged = 2 };

// Key flags inside "DEFAULT_ORDER"
constexpr std::uint16_t dskeyDESCENDING = 0x8000;
constexpr std::uint16_t dskeyCASEINSENSITIVE = 0x4000;

// Packet versions
constexpr std::int32_t PACKETVERSION_1 = 1;
constexpr std::int32_t PACKETVERSION_2 = 2;
constexpr std::int32_t PACKETVERSION_3 = 3;

// Blob entry not fetched
constexpr std::uint32_t dsDELAYEDBIT = 0x80000000u;

constexpr int MAXKEYFIELDS = 16;
constexpr int DSNAMELEN = 32;        // field and index names incl. terminator
constexpr int DSTABLENAMELEN = 261;  // table name incl. terminator
constexpr int DSBOOKMARKSIZE = 20;

// ---------------------------------------------------------------------------
// Table properties (IDSBase GetProp/SetProp)

enum DSProp : std::int32_t {
  dspropLOGCHANGES = 0,
  dspropREADONLY = 1,
  dspropNOOFCHANGES = 2,
  dspropCONSTRAINTS_DISABLED = 3,
  dspropDSISPARTIAL = 4,
  dspropRECORDSINDS = 5,
  dspropAUTOINC_DISABLED = 6,
  dspropISDELTA = 7,
  dspropDONTINCLMETADATA = 8,
  dspropINCLBLOBSINDELTA = 9,
  dspropGETSAVEPOINT = 10,
  dspropCOMPRESSARRAYS = 11,
  dspropMD_SEMANTICS = 12,
  dspropFIELD_FULLNAME = 13,
  dspropFIELDID_FORNAME = 14,
  dspropFIELDID_FORPARENT = 15,
  dspropCHANGEINDEX_VIEW = 16,
  dspropGETUNIQUEINDEX = 17,
  dspropREMOTE_UPDATEMODE = 18,
  dspropXML_STREAMMODE = 19,
  dspropDISABLEDELETES = 20,
  dspropDISABLEINSERTS = 21,
  dspropDISABLEEDITS = 22,
  dspropDISABLESTRINGTRIM = 23,
  dspropDATAHASCHANGED = 24,
  dspropUTF8METADATA = 25,
  dspropUTF8ERRORMSG = 26,
  dspropANSICODEPAGE = 27,
  dspropUPDATESPENDING = 28,
};

// Cursor properties (IDSCursor GetProp/SetProp)
enum CURProp : std::int32_t {
  curpropCONSTRAINT_ERROR_MESSAGE = 0,
  curpropDSBASE = 1,
  curpropSETCRACK = 2,
  curpropGETORG_RECBUF = 3,
  curpropFLDWRITABLE = 4,   // set: make the given field writable in this cursor
  curpropFLDREADONLY = 5,   // set: make the given field read-only in this cursor
};

// ---------------------------------------------------------------------------
// Shared records (packed, no alignment gaps)

#pragma pack(push, 1)

struct DSProps {
  char szName[DSTABLENAMELEN];
  std::int32_t iFields;
  std::int32_t iRecBufSize;
  std::int32_t iBookMarkSize;
  DSBool bReadOnly;
  std::int32_t iIndexes;
  std::int32_t iOptParams;
  DSBool bDelta;
  std::int32_t iLCID;
  std::int32_t iUnused[8];
};

struct DSFLDDesc {
  char szName[DSNAMELEN];
  std::int32_t iFldType;
  std::int32_t iFldSubType;
  std::int32_t iUnits1;
  std::int32_t iUnits2;
  std::int32_t iFldLen;
  std::int32_t iFldOffsInRec;
  std::int32_t iNullOffsInRec;
  std::uint16_t iFieldID;
  std::uint16_t iFieldIDParent;
  DSBool bCalculated;
  std::int32_t iFldAttr;
  std::int32_t iOptParameters;
};

struct DSIDXDesc {
  char szName[DSNAMELEN];
  std::int32_t iFields;
  std::int32_t iKeyFields[MAXKEYFIELDS];
  std::int32_t iKeyLen;
  DSBool bUnique;
  DSBool bDescending[MAXKEYFIELDS];
  DSBool bCaseInsensitive[MAXKEYFIELDS];
};

struct TDSDataPacketFldDesc {
  char szFieldName[DSNAMELEN];
  std::int32_t iFieldType;    // packet type code
  std::uint16_t iAttributes;  // field attributes
};

struct DSBOOKMRK {
  std::int32_t iPos;
  std::int32_t iState;
  std::int32_t iRecNo;
  std::int32_t iSeqNo;
  std::int32_t iOrderID;
};

// Aggregate value: count, state, then the value (at most 34 bytes: the
// largest fixed-size value, a BCD image).
struct AGGVALUE {
  std::int32_t iCnt;
  std::int32_t eAggState;
  std::uint8_t value[34];
};

#pragma pack(pop)

static_assert(sizeof(DSBOOKMRK) == DSBOOKMARKSIZE);
static_assert(sizeof(DSFLDDesc) == 32 + 4 * 7 + 2 * 2 + 4 * 3);

// ---------------------------------------------------------------------------
// Callback types

using pfCHANGECallBack = void (*)(DSClientData client);
using pfDSFilter = DSBool (*)(DSClientData client, const std::uint8_t* recBuf);
using pfDSCalcField = EngineResult (*)(DSClientData client, std::uint8_t* recBuf);
using pfDSReconcile = std::int32_t (*)(DSClientData client, std::int32_t updateResult,
                                       std::uint8_t updateKind, std::int32_t response,
                                       std::int32_t errorCode, const char* errorMessage,
                                       const char* errorContext, const std::uint8_t* updRec,
                                       const std::uint8_t* orgRec, const std::uint8_t* confRec);
using pfDSReconcile_MD = std::int32_t (*)(DSClientData client, std::int32_t updateResult,
                                          std::uint8_t updateKind, std::int32_t response,
                                          std::int32_t errorCode, const char* errorMessage,
                                          const char* errorContext, const std::uint8_t* updRec,
                                          const std::uint8_t* orgRec,
                                          const std::uint8_t* confRec, std::int32_t level,
                                          const std::int32_t* fieldPath);
using pfFLDComp = std::int32_t (*)(DSClientData client, const void* value1, const void* value2);

}  // namespace engine
