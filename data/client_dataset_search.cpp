// TCustomClientDataSet: locating and looking up records by field values.
// Searching by key values of the current index is in client_dataset_keys.cpp.
#include <cstring>

#include "core/ustring.h"
#include "data/client_dataset.h"
#include "data/db_error.h"
#include "data/field.h"
#include "data/fields.h"
#include "data/filter/filter_parser.h"

namespace data {

namespace {

bool IsStringField(TFieldType t)
{
    using F = TFieldType;
    return t == F::ftString || t == F::ftFixedChar || t == F::ftWideString || t == F::ftGuid ||
           t == F::ftFixedWideChar;
}

bool IsNumericField(TFieldType t)
{
    using F = TFieldType;
    return (t >= F::ftSmallint && t <= F::ftBCD) || t == F::ftAutoInc || t == F::ftLargeint || t == F::ftFMTBcd ||
           t == F::ftLongWord || t == F::ftShortint || t == F::ftByte || t == F::ftSingle;
}

bool IsTemporalField(TFieldType t)
{
    using F = TFieldType;
    return t == F::ftDate || t == F::ftTime || t == F::ftDateTime || t == F::ftTimeStamp || t == F::ftTimeStampOffset;
}

// A string literal of the filter syntax: quotes inside are doubled, so a
// value such as O'Brien stays one literal instead of ending the text early.
std::u16string Quoted(const std::u16string& text)
{
    std::u16string out = u"'";
    for (char16_t c : text) {
        out += c;
        if (c == u'\'')
            out += c;
    }
    out += u'\'';
    return out;
}

// A bracketed field name with any closing bracket doubled.
std::u16string Bracketed(const std::u16string& name)
{
    std::u16string out = u"[";
    for (char16_t c : name) {
        out += c;
        if (c == u']')
            out += c;
    }
    out += u']';
    return out;
}

const core::Variant& ValueAt(const core::Variant& values, std::size_t i, std::size_t count)
{
    if (count == 1 && !core::VarIsArray(values))
        return values;
    const auto& arr = std::get<core::VariantArray>(values);
    if (i >= arr.size())
        DatabaseError(u"Not enough key values");
    return arr[i].Value;
}

} // namespace

// Builds "[f1]=v1 and [f2]=v2 ..." from the values, parses it and lets the
// engine find the first record from the start that passes it.
bool TCustomClientDataSet::LocateRecord(const std::u16string& keyFields, const core::Variant& keyValues,
                                        TLocateOptions options)
{
    CheckBrowseMode();
    UpdateCursorPos();
    CursorPosChanged();
    const std::vector<TField*> fields = GetFieldList(keyFields);
    if (fields.empty())
        return false;
    if (core::VarIsArray(keyValues) &&
        std::get<core::VariantArray>(keyValues).size() < fields.size())
        DatabaseError(u"Not enough key values", this);
    if (!core::VarIsArray(keyValues) && fields.size() > 1)
        DatabaseError(u"Not enough key values", this);
    std::u16string text;
    const bool partial = options.Contains(TLocateOption::loPartialKey);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        TField* f = fields[i];
        const core::Variant& v = ValueAt(keyValues, i, fields.size());
        if (!text.empty())
            text += u" and ";
        if (core::VarIsClear(v)) {
            text += Bracketed(f->FieldName()) + u" IS NULL";
            continue;
        }
        std::u16string value = core::VarToStr(v);
        text += Bracketed(f->FieldName()) + u"=";
        if (IsStringField(f->DataType())) {
            if (partial && i + 1 == fields.size())
                value += u'*';
            text += Quoted(value);
        } else if (IsNumericField(f->DataType())) {
            text += value;
        } else if (IsTemporalField(f->DataType())) {
            text += Quoted(value);
        } else {
            DatabaseErrorFmt(this, "Field '{}' is of an unsupported type", core::ToUtf8(f->FieldName()));
        }
    }
    TFilterOptions filterOptions;
    if (options.Contains(TLocateOption::loCaseInsensitive))
        filterOptions.Include(TFilterOption::foCaseInsensitive);
    if (!partial)
        filterOptions.Include(TFilterOption::foNoPartialCompare);
    const std::vector<uint8_t> blob = ParseFilterText(text, filterOptions);
    Check(FDSCursor->MoveToBOF());
    const engine::EngineResult r = FDSCursor->LocateWithFilter(blob.data(), static_cast<std::uint32_t>(blob.size()));
    if (r == engine::DBERR_NONE) {
        if (TRecordBuffer scratch = Buffers(BufferCount()))
            FDSCursor->GetCurrentRecord(scratch);
        return true;
    }
    if (r != engine::DBERR_RECNOTFOUND)
        Check(r);
    return false;
}

bool TCustomClientDataSet::Locate(const std::u16string& keyFields, const core::Variant& keyValues, int options)
{
    DoBeforeScroll();
    const bool found = LocateRecord(keyFields, keyValues, TLocateOptions::FromBits(static_cast<uint64_t>(options)));
    if (found) {
        Resync({TResyncModeItem::rmExact, TResyncModeItem::rmCenter});
        DoAfterScroll();
    }
    return found;
}

core::Variant TCustomClientDataSet::Lookup(const std::u16string& keyFields, const core::Variant& keyValues,
                                           const std::u16string& resultFields)
{
    if (!LocateRecord(keyFields, keyValues, {}))
        return core::VarNull{};
    // The window does not move: the found record is read into a buffer of
    // its own and the fields look at it as they look at a record under a filter.
    const std::vector<TField*> fields = GetFieldList(resultFields);
    std::vector<uint8_t> record(static_cast<std::size_t>(FRecordSize), 0);
    Check(FDSCursor->GetCurrentRecord(record.data()));
    std::vector<core::Variant> values;
    const std::uint8_t* saveBuffer = FFilterBuffer;
    FFilterBuffer = record.data();
    const TDataSetState save = SetTempState(TDataSetState::dsFilter);
    try {
        for (TField* f : fields)
            values.push_back(f->Value());
    } catch (...) {
        RestoreState(save);
        FFilterBuffer = saveBuffer;
        throw;
    }
    RestoreState(save);
    FFilterBuffer = saveBuffer;
    if (values.size() == 1)
        return values[0];
    core::VariantArray arr;
    for (auto& v : values)
        arr.push_back(core::VariantBox{std::move(v)});
    return arr;
}

} // namespace data
