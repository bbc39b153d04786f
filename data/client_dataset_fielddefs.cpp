// TCustomClientDataSet: field definitions from the engine's field
// descriptors, and the reverse for CreateDataSet.
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>

#include "core/ustring.h"
#include "data/client_dataset.h"

namespace data {

namespace {

using namespace engine;

struct DefType {
    TFieldType Type;
    int Size;
    int Precision;
};

// The definition a descriptor gives, or none.
std::optional<DefType> MapDescriptor(const DSFLDDesc& d)
{
    const int st = d.iFldSubType;
    const int u1 = d.iUnits1;
    const int u2 = d.iUnits2 < 0 ? -d.iUnits2 : d.iUnits2;
    switch (d.iFldType) {
    case fldZSTRING: return DefType{st == fldstGUID ? TFieldType::ftGuid : TFieldType::ftString, u1, 0};
    case fldDATE: return DefType{TFieldType::ftDate, 0, 0};
    case fldBLOB: {
        TFieldType t = TFieldType::ftBlob;
        switch (st) {
        case fldstMEMO: t = TFieldType::ftMemo; break;
        case fldstFMTMEMO: t = TFieldType::ftFmtMemo; break;
        case fldstOLEOBJ: t = TFieldType::ftParadoxOle; break;
        case fldstGRAPHIC: t = TFieldType::ftGraphic; break;
        case fldstDBSOLEOBJ: t = TFieldType::ftDBaseOle; break;
        case fldstTYPEDBINARY: t = TFieldType::ftTypedBinary; break;
        case fldstWIDEMEMO: t = TFieldType::ftWideMemo; break;
        case fldstHMEMO: t = TFieldType::ftOraClob; break;
        case fldstHBINARY: t = TFieldType::ftOraBlob; break;
        default: break;
        }
        return DefType{t, st == fldstWIDEMEMO ? u1 / 2 : u1, 0};
    }
    case fldBOOL:
    case fldBOOL8:
    case fldBOOL32: return DefType{TFieldType::ftBoolean, 0, 0};
    case fldINT16: return DefType{d.iFldLen == 2 ? TFieldType::ftSmallint : TFieldType::ftUnknown, 0, 0};
    case fldINT32: return DefType{st == fldstAUTOINC ? TFieldType::ftAutoInc : TFieldType::ftInteger, 0, 0};
    case fldFLOAT: return DefType{st == fldstMONEY ? TFieldType::ftCurrency : TFieldType::ftFloat, 0, 0};
    case fldBCD: return DefType{TFieldType::ftBCD, u2, u1};
    case fldBYTES: return DefType{TFieldType::ftBytes, u1, 0};
    case fldTIME: return DefType{TFieldType::ftTime, 0, 0};
    case fldTIMESTAMP: return DefType{TFieldType::ftDateTime, 0, 0};
    case fldUINT16: return DefType{d.iFldLen == 2 ? TFieldType::ftWord : TFieldType::ftUnknown, 0, 0};
    case fldUINT32: return DefType{TFieldType::ftLongWord, 0, 0};
    case fldFLOATIEEE: return DefType{TFieldType::ftExtended, 0, 0};
    case fldVARBYTES: return DefType{TFieldType::ftVarBytes, u1, 0};
    case fldINT64:
    case fldUINT64: return DefType{TFieldType::ftLargeint, 0, 0};
    case fldADT: return DefType{TFieldType::ftADT, u1, 0};
    case fldARRAY: return DefType{TFieldType::ftArray, u1, 0};
    case fldREF: return DefType{TFieldType::ftReference, 0, 0};
    case fldTABLE: return DefType{st == fldstReference ? TFieldType::ftReference : TFieldType::ftDataSet, 0, 0};
    case fldDATETIME:
        return DefType{st == fldstORATIMESTAMP ? TFieldType::ftOraTimeStamp : TFieldType::ftTimeStamp, 0, 0};
    case fldFMTBCD: return DefType{TFieldType::ftFMTBcd, u2, u1};
    case fldWIDESTRING: return DefType{TFieldType::ftWideString, 0, 0};
    case fldSINGLE: return DefType{TFieldType::ftSingle, 0, 0};
    case fldINT8: return DefType{TFieldType::ftShortint, 0, 0};
    case fldUINT8: return DefType{TFieldType::ftByte, 0, 0};
    case fldDATETIMEOFFSET: return DefType{TFieldType::ftTimeStampOffset, 0, 0};
    case fldUNICODE: return DefType{TFieldType::ftWideString, u1 / 2, 0};
    default: return std::nullopt;
    }
}

struct EngineType {
    int32_t Type;
    int32_t SubType;
    int32_t Units1;
    int32_t Units2;
};

// The engine column for a definition; Type fldUNKNOWN when it has none.
EngineType MapDefinition(TFieldType t, int size, int precision)
{
    switch (t) {
    case TFieldType::ftString:
    case TFieldType::ftFixedChar: return {fldZSTRING, 0, size, 0};
    case TFieldType::ftGuid: return {fldZSTRING, fldstGUID, size > 0 ? size : 38, 0};
    case TFieldType::ftSmallint: return {fldINT16, 0, 0, 0};
    case TFieldType::ftInteger: return {fldINT32, 0, 0, 0};
    case TFieldType::ftAutoInc: return {fldINT32, fldstAUTOINC, 0, 0};
    case TFieldType::ftWord: return {fldUINT16, 0, 0, 0};
    case TFieldType::ftLongWord: return {fldUINT32, 0, 0, 0};
    case TFieldType::ftShortint: return {fldINT8, 0, 0, 0};
    case TFieldType::ftByte: return {fldUINT8, 0, 0, 0};
    case TFieldType::ftLargeint: return {fldINT64, 0, 0, 0};
    case TFieldType::ftBoolean: return {fldBOOL, 0, 0, 0};
    case TFieldType::ftFloat: return {fldFLOAT, 0, 0, 0};
    case TFieldType::ftCurrency: return {fldFLOAT, fldstMONEY, 0, 0};
    case TFieldType::ftExtended: return {fldFLOATIEEE, 0, 0, 0};
    case TFieldType::ftSingle: return {fldSINGLE, 0, 0, 0};
    case TFieldType::ftBCD: return {fldBCD, 0, precision > 0 ? precision : 32, size};
    case TFieldType::ftFMTBcd: return {fldFMTBCD, 0, precision > 0 ? precision : 32, size};
    case TFieldType::ftDate: return {fldDATE, 0, 0, 0};
    case TFieldType::ftTime: return {fldTIME, 0, 0, 0};
    case TFieldType::ftDateTime: return {fldTIMESTAMP, 0, 0, 0};
    case TFieldType::ftTimeStamp: return {fldDATETIME, 0, 0, 0};
    case TFieldType::ftBytes: return {fldBYTES, 0, size, 0};
    case TFieldType::ftVarBytes: return {fldVARBYTES, 0, size, 0};
    case TFieldType::ftWideString:
    case TFieldType::ftFixedWideChar: return {fldUNICODE, 0, size * 2, 0};
    case TFieldType::ftBlob: return {fldBLOB, fldstBINARY, 0, 0};
    case TFieldType::ftMemo: return {fldBLOB, fldstMEMO, 0, 0};
    case TFieldType::ftWideMemo: return {fldBLOB, fldstWIDEMEMO, 0, 0};
    case TFieldType::ftGraphic: return {fldBLOB, fldstGRAPHIC, 0, 0};
    case TFieldType::ftFmtMemo: return {fldBLOB, fldstFMTMEMO, 0, 0};
    case TFieldType::ftParadoxOle: return {fldBLOB, fldstOLEOBJ, 0, 0};
    case TFieldType::ftDBaseOle: return {fldBLOB, fldstDBSOLEOBJ, 0, 0};
    case TFieldType::ftTypedBinary: return {fldBLOB, fldstTYPEDBINARY, 0, 0};
    case TFieldType::ftOraClob: return {fldBLOB, fldstHMEMO, 0, 0};
    case TFieldType::ftOraBlob: return {fldBLOB, fldstHBINARY, 0, 0};
    case TFieldType::ftOraTimeStamp: return {fldDATETIME, fldstORATIMESTAMP, 0, 0};
    case TFieldType::ftADT: return {fldADT, 0, 0, 0};
    case TFieldType::ftArray: return {fldARRAY, 0, size, 0};
    case TFieldType::ftTimeStampOffset: return {fldDATETIMEOFFSET, 0, 0, 0};
    default: return {fldUNKNOWN, 0, 0, 0};
    }
}

} // namespace

void TCustomClientDataSet::InternalInitFieldDefs()
{
    Check(FDSBase->SetProp(dspropCOMPRESSARRAYS, 1));
    DSProps props{};
    Check(FDSBase->GetProps(&props));
    std::vector<DSFLDDesc> descs(static_cast<size_t>(props.iFields > 0 ? props.iFields : 0));
    if (!descs.empty())
        Check(FDSBase->GetFieldDescs(descs.data()));
    TFieldDefs& defs = FieldDefs();
    defs.BeginUpdate();
    try {
        defs.Clear();
        int fieldNo = 1;
        size_t next = 0;
        while (next < descs.size())
            AddFieldDesc(descs, next, fieldNo, defs, 0);
    } catch (...) {
        defs.EndUpdate();
        throw;
    }
    defs.EndUpdate();
}

// One descriptor (and, for an object type, the descriptors of its children)
// as a definition in `defs`; `next` and `fieldNo` move past what it took.
void TCustomClientDataSet::AddFieldDesc(const std::vector<engine::DSFLDDesc>& descs, size_t& next, int& fieldNo,
                                        TFieldDefs& defs, int depth)
{
    const size_t i = next++;
    const DSFLDDesc& d = descs[i];
    if (d.iFldAttr & fldAttrLINK) {
        ++fieldNo;
        return;
    }
    const std::string rawName(d.szName, strnlen(d.szName, DSNAMELEN));
    std::u16string name = core::FromUtf8(rawName);
    if (rawName.size() == DSNAMELEN - 1) {
        char optName[DSNAMELEN] = "FIELDNAME";
        std::uint32_t type = 0, length = 0;
        const void* value = nullptr;
        if (FDSBase->GetOptParameter(0, static_cast<std::uint32_t>(i + 1), optName, &type, &length, &value) ==
                DBERR_NONE &&
            value && length > 0) {
            const auto* p = static_cast<const char*>(value);
            name = core::FromUtf8(std::string_view(p, strnlen(p, length)));
        }
    }
    const std::u16string baseName = name;
    for (int n = 1; defs.IndexOf(name) >= 0; ++n)
        name = core::FromUtf8(fmt::format("{}_{}", core::ToUtf8(baseName), n));
    const std::optional<DefType> mapped = MapDescriptor(d);
    if (!mapped)
        return;
    TFieldDef* def = defs.AddFieldDef();
    def->SetName(name);
    def->SetDataType(mapped->Type);
    def->SetSize(mapped->Size);
    def->SetPrecision(mapped->Precision);
    def->SetFieldNo(fieldNo++);
    TFieldAttributes attrs;
    if (d.iFldAttr & fldAttrHIDDEN)
        attrs.Include(TFieldAttribute::faHiddenCol);
    if (d.iFldAttr & fldAttrREADONLY)
        attrs.Include(TFieldAttribute::faReadonly);
    if (d.iFldAttr & fldAttrREQUIRED)
        attrs.Include(TFieldAttribute::faRequired);
    if (d.iFldSubType == fldstFIXED)
        attrs.Include(TFieldAttribute::faFixed);
    def->SetAttributes(attrs);
    def->SetInternalCalcField(d.bCalculated != 0);
    // The engine nests a bounded number of levels; a damaged descriptor list
    // must not recurse without end.
    if ((mapped->Type != TFieldType::ftADT && mapped->Type != TFieldType::ftArray) || depth > 32)
        return;
    if (mapped->Type == TFieldType::ftADT) {
        for (int c = 0; c < d.iUnits1 && next < descs.size(); ++c)
            AddFieldDesc(descs, next, fieldNo, *def->ChildDefs(), depth + 1);
        return;
    }
    // An array: the first element stands for all of them; the others are skipped.
    if (d.iUnits1 <= 0 || next >= descs.size())
        return;
    const size_t first = next;
    int elementNo = fieldNo;
    AddFieldDesc(descs, next, elementNo, *def->ChildDefs(), depth + 1);
    const size_t span = next - first;
    next = std::min(descs.size(), next + span * static_cast<size_t>(d.iUnits1 - 1));
    fieldNo += d.iUnits2 > 0 ? d.iUnits2 : static_cast<int>(span) * d.iUnits1;
}

void TCustomClientDataSet::CreateDataSet()
{
    CheckInactive();
    if (FieldDefs().Count() == 0 && Fields().Count() > 0)
        InitFieldDefsFromFields();
    TFieldDefs& defs = FieldDefs();
    std::vector<DSFLDDesc> descs;
    std::function<void(TFieldDef*, const std::u16string&)> add = [&](TFieldDef* def, const std::u16string& defName) {
        const EngineType e = MapDefinition(def->DataType(), def->Size(), def->Precision());
        if (e.Type == fldUNKNOWN || ((e.Type == fldADT || e.Type == fldARRAY) && !def->HasChildDefs()))
            DatabaseErrorFmt(this, "Field '{}' is of an unsupported type", core::ToUtf8(def->Name()));
        DSFLDDesc d{};
        const std::string name = core::ToUtf8(defName);
        std::snprintf(d.szName, sizeof d.szName, "%s", name.c_str());
        d.iFldType = e.Type;
        d.iFldSubType = def->Attributes().Contains(TFieldAttribute::faFixed) && e.Type == fldZSTRING ? fldstFIXED
                                                                                                     : e.SubType;
        d.iUnits1 = e.Units1;
        d.iUnits2 = e.Units2;
        if (def->Attributes().Contains(TFieldAttribute::faHiddenCol))
            d.iFldAttr |= fldAttrHIDDEN;
        if (def->Attributes().Contains(TFieldAttribute::faReadonly))
            d.iFldAttr |= fldAttrREADONLY;
        if (def->Required())
            d.iFldAttr |= fldAttrREQUIRED;
        if (e.Type == fldADT)
            d.iUnits1 = def->ChildDefs()->Count();
        descs.push_back(d);
        if (e.Type == fldADT)
            for (int c = 0; c < def->ChildDefs()->Count(); ++c)
                add(def->ChildDefs()->Items(c), def->ChildDefs()->Items(c)->Name());
        else if (e.Type == fldARRAY && (def->Size() <= 0 || def->Size() > 0xFFFF))
            DatabaseError(data::msg::InvalidFieldSize);
        else if (e.Type == fldARRAY)
            for (int k = 0; k < def->Size(); ++k)
                add(def->ChildDefs()->Items(0), core::FromUtf8(fmt::format("{}[{}]", core::ToUtf8(defName), k)));
    };
    for (int i = 0; i < defs.Count(); ++i)
        add(defs.Items(i), defs.Items(i)->Name());
    if (descs.empty())
        DatabaseError(msg::NoFieldsDefined);
    engine::DSRef<engine::IDSBase> table = NewTable();
    const EngineResult r = table->Create(static_cast<std::uint32_t>(descs.size()), descs.data(), "");
    if (r != DBERR_NONE) {
        FDSBase = std::move(table);
        const std::u16string message = EngineMessage(r);
        FDSBase = {};
        throw EDBClient(message, r);
    }
    FSavedPacket.reset();
    FDSBase = std::move(table);
    Open();
}

} // namespace data
