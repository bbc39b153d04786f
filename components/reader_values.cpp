// TReader: property values by kind, collections, variants and defined properties.
#include <bit>

#include "components/collection.h"
#include "components/reader.h"
#include "components/reader_fixups.h"
#include "core/exception.h"

namespace components {

namespace {

[[noreturn]] void ReadOnly()
{
    throw core::EReadError(std::string_view("Property is read-only"));
}

bool HoldsSubComponent(TPersistent* instance, const PropInfo& prop)
{
    if (prop.Kind != TTypeKind::tkClass || !prop.GetObj)
        return false;
    TComponent* c = ComponentOrNull(prop.GetObj(instance));
    return c && c->ComponentStyle().Contains(TComponentStyle::csSubComponent);
}

} // namespace

void TReader::ReadPropValue(TPersistent* instance, const PropInfo& prop)
{
    const bool writable = prop.Writable();
    // A class property without a setter is read into the object it holds:
    // a sub-component, or a collection refilled from a collection value.
    if (!writable && !HoldsSubComponent(instance, prop) &&
        !(prop.Kind == TTypeKind::tkClass && NextValue() == TValueType::vaCollection)) {
        SkipValue();
        ReadOnly();
    }
    switch (prop.Kind) {
    case TTypeKind::tkInteger:
        if (NextValue() == TValueType::vaIdent) {
            const std::u16string ident = ReadIdent();
            const auto v = prop.Idents ? prop.Idents->ToInt(ident) : std::nullopt;
            if (!v)
                PropValueError();
            prop.SetOrd(instance, *v);
        } else {
            prop.SetOrd(instance, ReadInteger());
        }
        return;
    case TTypeKind::tkInt64: prop.SetOrd(instance, ReadInt64()); return;
    case TTypeKind::tkEnumeration: {
        const int v = prop.Enum ? prop.Enum->IndexOf(ReadIdent()) : -1;
        if (v < 0)
            PropValueError();
        prop.SetOrd(instance, v);
        return;
    }
    case TTypeKind::tkSet:
        if (!prop.Enum)
            PropValueError();
        prop.SetOrd(instance, ReadSet(*prop.Enum));
        return;
    case TTypeKind::tkFloat: prop.SetFloat(instance, ReadFloat()); return;
    case TTypeKind::tkString: prop.SetStr(instance, ReadString()); return;
    case TTypeKind::tkVariant: prop.SetVar(instance, ReadVariant()); return;
    case TTypeKind::tkMethod:
        if (!prop.SetMethodByName) {
            SkipValue();
            ReadOnly();
        }
        if (NextValue() == TValueType::vaNil) {
            ReadValue();
            prop.SetMethodByName(instance, FRoot, u"");
        } else {
            prop.SetMethodByName(instance, FRoot, ReadIdent());
        }
        return;
    case TTypeKind::tkClass:
        switch (NextValue()) {
        case TValueType::vaNil:
            ReadValue();
            if (!prop.SetObj)
                ReadOnly();
            prop.SetObj(instance, nullptr);
            return;
        case TValueType::vaCollection: {
            auto* coll = dynamic_cast<TCollection*>(prop.GetObj ? prop.GetObj(instance) : nullptr);
            if (!coll) {
                SkipValue();
                PropValueError();
            }
            ReadValue();
            ReadCollection(coll);
            return;
        }
        default: {
            std::u16string name = ReadIdent();
            if (!prop.SetObj)
                ReadOnly();
            if (FFixups)
                FFixups->push_back(TPropFixup{instance, FRoot, &prop, u"", std::move(name)});
            return;
        }
        }
    case TTypeKind::tkUnknown: break;
    }
    SkipValue();
    PropValueError();
}

void TReader::ReadCollection(TCollection* collection)
{
    DepthGuard depth(*this);
    collection->BeginUpdate();
    try {
        if (!EndOfList())
            collection->Clear();
        while (!EndOfList()) {
            if (IsIntegerTag(NextValue()))
                ReadInteger(); // the stored index is not used
            TCollectionItem* item = collection->Add();
            ReadListBegin();
            while (!EndOfList())
                ReadProperty(item);
            ReadValue();
        }
        ReadValue();
    } catch (...) {
        collection->EndUpdate();
        throw;
    }
    collection->EndUpdate();
}

core::Variant TReader::ReadVariant()
{
    const auto t = static_cast<TValueType>(static_cast<uint8_t>(ReadValue()) & 0x7F);
    switch (t) {
    case TValueType::vaNull: return core::Null();
    case TValueType::vaNil: return core::Variant();
    case TValueType::vaInt8:
    case TValueType::vaInt16:
    case TValueType::vaInt32: return static_cast<int32_t>(ReadIntegerPayload(t));
    case TValueType::vaInt64: return ReadIntegerPayload(t);
    case TValueType::vaExtended: return ReadExtendedPayload();
    case TValueType::vaSingle: return static_cast<double>(std::bit_cast<float>(ReadInt32Raw()));
    case TValueType::vaDouble: return std::bit_cast<double>(ReadInt64Raw());
    case TValueType::vaCurrency: return static_cast<double>(ReadInt64Raw()) / 10000.0;
    case TValueType::vaDate: return core::VarDate{std::bit_cast<double>(ReadInt64Raw())};
    case TValueType::vaString:
    case TValueType::vaLString:
    case TValueType::vaWString:
    case TValueType::vaUTF8String: return ReadStringPayload(t);
    case TValueType::vaFalse: return false;
    case TValueType::vaTrue: return true;
    case TValueType::vaBinary:
        // A custom variant: no custom variant type is registered in this system.
        SkipBytes(ReadLength());
        ReadError();
    default: ReadError();
    }
}

void TReader::DefineProperty(const std::u16string& name, const std::function<void(TReader&)>& readData,
                             const std::function<void(TWriter&)>&, bool)
{
    if (readData && SameName(name, FPropName)) {
        readData(*this);
        FPropName.clear();
    }
}

void TReader::DefineBinaryProperty(const std::u16string& name, const std::function<void(core::TStream&)>& readData,
                                   const std::function<void(core::TStream&)>&, bool)
{
    if (!readData || !SameName(name, FPropName))
        return;
    if (ReadValue() != TValueType::vaBinary) {
        StepBack();
        SkipValue();
        FCanHandleExcepts = true;
        PropValueError();
    }
    std::vector<uint8_t> bytes(ReadLength());
    Read(bytes.data(), bytes.size());
    core::TMemoryStream stream(std::move(bytes));
    FCanHandleExcepts = true;
    readData(stream);
    FPropName.clear();
}

} // namespace components
