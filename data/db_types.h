#pragma once
// The enumerations and small types that datasets, fields, data sources and
// the controls built on them share.
#include <cstdint>
#include <vector>

#include "components/object.h"

namespace data {

enum class TDataSetState : uint8_t {
    dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter, dsNewValue, dsOldValue,
    dsCurValue, dsBlockRead, dsInternalCalc, dsOpening
};
using TDataSetStates = components::TSet<TDataSetState>;
inline constexpr TDataSetStates dsEditModes{TDataSetState::dsEdit, TDataSetState::dsInsert, TDataSetState::dsSetKey};

enum class TDataEvent : uint8_t {
    deFieldChange, deRecordChange, deDataSetChange, deDataSetScroll, deLayoutChange, deUpdateRecord,
    deUpdateState, deCheckBrowseMode, dePropertyChange, deFieldListChange, deFocusControl, deParentScroll,
    deConnectChange, deReconcileError, deDisabledStateChange
};

enum class TGetMode : uint8_t { gmCurrent, gmNext, gmPrior };
enum class TGetResult : uint8_t { grOK, grBOF, grEOF, grError };
enum class TBookmarkFlag : uint8_t { bfCurrent, bfBOF, bfEOF, bfInserted };
enum class TResyncModeItem : uint8_t { rmExact, rmCenter };
using TResyncMode = components::TSet<TResyncModeItem>;
enum class TDataAction : uint8_t { daFail, daAbort, daRetry };
enum class TUpdateStatus : uint8_t { usUnmodified, usModified, usInserted, usDeleted };

enum class TFieldType : uint8_t {
    ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD, ftDate, ftTime,
    ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic, ftFmtMemo, ftParadoxOle, ftDBaseOle,
    ftTypedBinary, ftCursor, ftFixedChar, ftWideString, ftLargeint, ftADT, ftArray, ftReference, ftDataSet,
    ftOraBlob, ftOraClob, ftVariant, ftInterface, ftIDispatch, ftGuid, ftTimeStamp, ftFMTBcd, ftFixedWideChar,
    ftWideMemo, ftOraTimeStamp, ftOraInterval, ftLongWord, ftShortint, ftByte, ftExtended, ftConnection,
    ftParams, ftStream, ftTimeStampOffset, ftObject, ftSingle
};
// Display name of a type ("Integer", "LargeInt", ...), used in messages.
const char16_t* FieldTypeName(TFieldType t);
// The compatibility class of a type (ftSmallint -> ftInteger, ...).
TFieldType BaseFieldType(TFieldType t);

enum class TFieldKind : uint8_t { fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate };
using TFieldKinds = components::TSet<TFieldKind>;
enum class TFieldLifeCycle : uint8_t { lcAutomatic, lcPersistent };
using TFieldLifeCycles = components::TSet<TFieldLifeCycle>;
enum class TFieldAttribute : uint8_t { faHiddenCol, faReadonly, faRequired, faLink, faUnNamed, faFixed };
using TFieldAttributes = components::TSet<TFieldAttribute>;
enum class TProviderFlag : uint8_t { pfInUpdate, pfInWhere, pfInKey, pfHidden };
using TProviderFlags = components::TSet<TProviderFlag>;
enum class TFieldsAutoCreationMode : uint8_t { acExclusive, acCombineComputed, acCombineAlways };
enum class TFieldsPositionMode : uint8_t { poLast, poFirst, poFieldNo };
enum class TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };
enum class TAutoRefreshFlag : uint8_t { arNone, arAutoInc, arDefault };

using TFieldTypes = components::TSet<TFieldType>;
// A record buffer: a block the concrete dataset allocates and interprets.
using TRecordBuffer = uint8_t*;
// A bookmark: bytes copied out of a record buffer; empty means none.
using TBookmark = std::vector<uint8_t>;

} // namespace data

DECLARE_ENUM_NAMES(data::TDataSetState, u"dsInactive", u"dsBrowse", u"dsEdit", u"dsInsert", u"dsSetKey",
                   u"dsCalcFields", u"dsFilter", u"dsNewValue", u"dsOldValue", u"dsCurValue", u"dsBlockRead",
                   u"dsInternalCalc", u"dsOpening");
DECLARE_ENUM_NAMES(data::TFieldKind, u"fkData", u"fkCalculated", u"fkLookup", u"fkInternalCalc", u"fkAggregate");
DECLARE_ENUM_NAMES(data::TAlignment, u"taLeftJustify", u"taRightJustify", u"taCenter");
DECLARE_ENUM_NAMES(data::TAutoRefreshFlag, u"arNone", u"arAutoInc", u"arDefault");
DECLARE_ENUM_NAMES(data::TProviderFlag, u"pfInUpdate", u"pfInWhere", u"pfInKey", u"pfHidden");
DECLARE_ENUM_NAMES(data::TFieldAttribute, u"faHiddenCol", u"faReadonly", u"faRequired", u"faLink", u"faUnNamed",
                   u"faFixed");
DECLARE_ENUM_NAMES(data::TFieldType, u"ftUnknown", u"ftString", u"ftSmallint", u"ftInteger", u"ftWord",
                   u"ftBoolean", u"ftFloat", u"ftCurrency", u"ftBCD", u"ftDate", u"ftTime", u"ftDateTime",
                   u"ftBytes", u"ftVarBytes", u"ftAutoInc", u"ftBlob", u"ftMemo", u"ftGraphic", u"ftFmtMemo",
                   u"ftParadoxOle", u"ftDBaseOle", u"ftTypedBinary", u"ftCursor", u"ftFixedChar", u"ftWideString",
                   u"ftLargeint", u"ftADT", u"ftArray", u"ftReference", u"ftDataSet", u"ftOraBlob", u"ftOraClob",
                   u"ftVariant", u"ftInterface", u"ftIDispatch", u"ftGuid", u"ftTimeStamp", u"ftFMTBcd",
                   u"ftFixedWideChar", u"ftWideMemo", u"ftOraTimeStamp", u"ftOraInterval", u"ftLongWord",
                   u"ftShortint", u"ftByte", u"ftExtended", u"ftConnection", u"ftParams", u"ftStream",
                   u"ftTimeStampOffset", u"ftObject", u"ftSingle");
