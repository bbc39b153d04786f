#include "data/db_types.h"

#include <array>

namespace data {

namespace {
constexpr std::array<const char16_t*, 52> kTypeNames = {
    u"Unknown", u"String", u"SmallInt", u"Integer", u"Word", u"Boolean", u"Float", u"Currency", u"BCD", u"Date",
    u"Time", u"DateTime", u"Bytes", u"VarBytes", u"AutoInc", u"Blob", u"Memo", u"Graphic", u"FmtMemo",
    u"ParadoxOle", u"dBaseOle", u"TypedBinary", u"Cursor", u"FixedChar", u"WideString", u"LargeInt", u"ADT",
    u"Array", u"Reference", u"DataSet", u"OraBlob", u"OraClob", u"Variant", u"Interface", u"IDispatch", u"Guid",
    u"TimeStamp", u"FMTBcd", u"FixedWideChar", u"WideMemo", u"OraTimeStamp", u"OraInterval", u"LongWord",
    u"ShortInt", u"Byte", u"Extended", u"Connection", u"Params", u"Stream", u"TimeStampOffset", u"Object",
    u"Single"};
} // namespace

const char16_t* FieldTypeName(TFieldType t)
{
    const auto i = static_cast<size_t>(t);
    return i < kTypeNames.size() ? kTypeNames[i] : u"Unknown";
}

TFieldType BaseFieldType(TFieldType t)
{
    using enum TFieldType;
    switch (t) {
    case ftSmallint: case ftWord: case ftAutoInc: case ftShortint: case ftByte: return ftInteger;
    case ftCurrency: return ftFloat;
    case ftDate: case ftTime: return ftDateTime;
    case ftMemo: case ftGraphic: case ftFmtMemo: case ftParadoxOle: case ftDBaseOle: case ftTypedBinary:
    case ftOraBlob: case ftOraClob: case ftWideMemo: return ftBlob;
    case ftCursor: return ftUnknown;
    case ftFixedChar: case ftGuid: return ftString;
    case ftFixedWideChar: return ftWideString;
    case ftIDispatch: return ftInterface;
    case ftOraTimeStamp: return ftTimeStamp;
    default: return t;
    }
}

} // namespace data
