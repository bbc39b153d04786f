#include "components/writer.h"

#include "components/collection.h"
#include "components/props.h"
#include "components/reader_fixups.h"
#include "core/exception.h"

namespace components {

namespace {

bool IsSubComponent(const TComponent* c)
{
    return c && c->ComponentStyle().Contains(TComponentStyle::csSubComponent);
}

template <class T>
class Restore {
public:
    explicit Restore(T& field) : FField(field), FSaved(field) {}
    ~Restore() { FField = FSaved; }
    Restore(const Restore&) = delete;
    Restore& operator=(const Restore&) = delete;

private:
    T& FField;
    T FSaved;
};

// Sets the filer's ancestor for a scope.
class AncestorScope {
public:
    AncestorScope(TFiler& filer, TPersistent* ancestor) : FFiler(filer), FSaved(filer.Ancestor())
    {
        filer.SetAncestor(ancestor);
    }
    ~AncestorScope() { FFiler.SetAncestor(FSaved); }
    AncestorScope(const AncestorScope&) = delete;
    AncestorScope& operator=(const AncestorScope&) = delete;

private:
    TFiler& FFiler;
    TPersistent* FSaved;
};

void SetWriting(TComponent* c, bool on)
{
    c->SetState(TComponentState::csWriting, on);
    for (int i = 0; i < c->ComponentCount(); ++i)
        if (IsSubComponent(c->Components(i)))
            c->Components(i)->SetState(TComponentState::csWriting, on);
}

} // namespace

TWriter::TWriter(core::TStream& stream, size_t bufSize) : TBinaryWriter(stream, bufSize) {}

TWriter::~TWriter() = default;

void TWriter::WriteDescendent(TComponent* root, TComponent* ancestor)
{
    FRootAncestor = ancestor;
    SetAncestor(ancestor);
    FRoot = FLookupRoot = root;
    WriteSignature();
    WriteComponent(root);
    FlushBuffer(); // a refusing stream is reported here, not lost in the destructor
}

void TWriter::WriteComponent(TComponent* component)
{
    if (component->InState(TComponentState::csDestroying) && component->InState(TComponentState::csDesigning))
        return;
    AncestorScope keepAncestor(*this, Ancestor());
    Restore<TComponent*> keepRootAncestor(FRootAncestor);
    SetWriting(component, true);
    try {
        if (FHasAncestorList) {
            TComponent* match = nullptr;
            for (TComponent* a : FAncestorList)
                if (SameName(a->Name(), component->Name()))
                    match = a;
            SetAncestor(match);
        }
        component->WriteState(*this);
    } catch (...) {
        SetWriting(component, false);
        throw;
    }
    SetWriting(component, false);
}

void TWriter::WriteData(TComponent* instance)
{
    const int64_t start = Position();
    TComponent* ancestor = ComponentOrNull(Ancestor());
    TFilerFlags flags;
    if (instance->InState(TComponentState::csInline)) {
        if (ancestor && ancestor->InState(TComponentState::csAncestor) && FHasAncestorList)
            flags.Include(TFilerFlag::ffInherited);
        else
            flags.Include(TFilerFlag::ffInline);
    } else if (ancestor) {
        flags.Include(TFilerFlag::ffInherited);
    }
    if (FHasAncestorList && FAncestorPos < FAncestorList.size() &&
        (!ancestor || FAncestorList[FAncestorPos] != ancestor))
        flags.Include(TFilerFlag::ffChildPos);
    WriteRecordHeader(flags, FChildPos, instance->ClassName(), instance->Name());
    const int64_t afterName = Position();
    if (FHasAncestorList && FAncestorPos < FAncestorList.size()) {
        if (ancestor)
            ++FAncestorPos;
        ++FChildPos;
    }
    WriteProperties(instance);
    WriteListEnd();
    {
        Restore<std::vector<TComponent*>> keepList(FAncestorList);
        Restore<bool> keepHasList(FHasAncestorList);
        Restore<size_t> keepPos(FAncestorPos);
        Restore<int> keepChildPos(FChildPos);
        Restore<TComponent*> keepRoot(FRoot);
        Restore<TComponent*> keepRootAncestor(FRootAncestor);
        FAncestorList.clear();
        FHasAncestorList = false;
        FAncestorPos = 0;
        FChildPos = 0;
        if (!IgnoreChildren) {
            if (ancestor) {
                ancestor->GetChildren([this](TComponent* c) { FAncestorList.push_back(c); }, FRootAncestor);
                FHasAncestorList = true;
                if (ancestor->InState(TComponentState::csInline))
                    FRootAncestor = ancestor;
            }
            if (instance->InState(TComponentState::csInline))
                FRoot = instance;
            instance->GetChildren([this](TComponent* c) { WriteComponent(c); }, FRoot);
        }
    }
    WriteListEnd();
    // An inherited component that changed nothing is left out.
    if (instance != FRoot && flags == TFilerFlags{TFilerFlag::ffInherited} && Position() == afterName + 2)
        Rewind(start);
}

bool TWriter::AncestorValid() const
{
    return Ancestor() && (!FRootAncestor || (FRoot && FRoot->InheritsFrom(FRootAncestor->ClassType())));
}

void TWriter::WriteProperties(TPersistent* instance)
{
    for (const PropInfo* prop : instance->ClassType().AllProps())
        WriteProperty(instance, *prop);
    instance->DefineProperties(*this);
}

bool TWriter::SameAsAncestor(TPersistent* instance, TPersistent* ancestor, const PropInfo& prop) const
{
    switch (prop.Kind) {
    case TTypeKind::tkInteger:
    case TTypeKind::tkInt64:
    case TTypeKind::tkEnumeration:
    case TTypeKind::tkSet: return prop.GetOrd(instance) == prop.GetOrd(ancestor);
    case TTypeKind::tkFloat: return prop.GetFloat(instance) == prop.GetFloat(ancestor);
    case TTypeKind::tkString: return prop.GetStr(instance) == prop.GetStr(ancestor);
    case TTypeKind::tkVariant: return prop.GetVar(instance) == prop.GetVar(ancestor);
    case TTypeKind::tkMethod: return prop.GetMethodName(instance) == prop.GetMethodName(ancestor);
    case TTypeKind::tkClass: {
        TObject* a = prop.GetObj(instance);
        TObject* b = prop.GetObj(ancestor);
        if (!a || !b)
            return a == b;
        TComponent* ca = ComponentOrNull(a);
        TComponent* cb = ComponentOrNull(b);
        if (!ca || !cb || IsSubComponent(ca))
            return false; // sub-objects are compared property by property
        return SameName(ca->Name(), cb->Name());
    }
    case TTypeKind::tkUnknown: break;
    }
    return false;
}

void TWriter::WriteProperty(TPersistent* instance, const PropInfo& prop)
{
    if (prop.Kind == TTypeKind::tkUnknown)
        return;
    // A class property without a setter holds a sub-object that is written
    // through it; any other property needs write access.
    if (!prop.Writable() && prop.Kind != TTypeKind::tkClass)
        return;
    if (prop.Stored && !prop.Stored(instance))
        return;
    auto* ancestor = AncestorValid() ? dynamic_cast<TPersistent*>(Ancestor()) : nullptr;
    if (ancestor && ancestor->ClassType().FindProp(prop.Name) != &prop)
        ancestor = nullptr; // not of the class that declares the property
    if (ancestor ? SameAsAncestor(instance, ancestor, prop) : !IsStoredProp(instance, prop))
        return;
    const std::u16string name = FPropPath + prop.Name;
    switch (prop.Kind) {
    case TTypeKind::tkInteger: {
        const int64_t v = prop.GetOrd(instance);
        WriteStr(name);
        if (auto ident = prop.Idents ? prop.Idents->ToIdent(v) : std::nullopt)
            WriteIdent(*ident);
        else
            WriteInteger(v);
        return;
    }
    case TTypeKind::tkInt64:
        WriteStr(name);
        WriteInteger(prop.GetOrd(instance));
        return;
    case TTypeKind::tkEnumeration:
        WriteStr(name);
        WriteIdent(prop.Enum ? GetEnumName(*prop.Enum, prop.GetOrd(instance)) : core::IntToStr(prop.GetOrd(instance)));
        return;
    case TTypeKind::tkSet: {
        const auto bits = static_cast<uint64_t>(prop.GetOrd(instance));
        std::vector<std::u16string> names;
        for (size_t i = 0; i < 32 && prop.Enum && i < prop.Enum->Names.size(); ++i)
            if (bits >> i & 1u)
                names.push_back(prop.Enum->Names[i]);
        WriteStr(name);
        WriteSet(names);
        return;
    }
    case TTypeKind::tkFloat:
        WriteStr(name);
        WriteFloat(prop.GetFloat(instance));
        return;
    case TTypeKind::tkString:
        WriteStr(name);
        WriteString(prop.GetStr(instance));
        return;
    case TTypeKind::tkVariant:
        WriteStr(name);
        WriteVariant(prop.GetVar(instance));
        return;
    case TTypeKind::tkMethod: {
        const std::u16string method = prop.GetMethodName ? prop.GetMethodName(instance) : u"";
        WriteStr(name);
        if (method.empty())
            WriteValue(TValueType::vaNil);
        else
            WriteIdent(method);
        return;
    }
    case TTypeKind::tkClass: {
        TObject* obj = prop.GetObj(instance);
        if (!obj) {
            if (prop.Writable()) {
                WriteStr(name);
                WriteValue(TValueType::vaNil);
            }
            return;
        }
        TComponent* comp = ComponentOrNull(obj);
        if (comp && !IsSubComponent(comp)) {
            const std::u16string ref = prop.Writable() ? GetComponentValue(comp) : u"";
            if (!ref.empty()) {
                WriteStr(name);
                WriteIdent(ref);
            }
            return;
        }
        auto* sub = dynamic_cast<TPersistent*>(obj);
        if (!sub)
            return;
        TPersistent* subAncestor = ancestor ? dynamic_cast<TPersistent*>(prop.GetObj(ancestor)) : nullptr;
        {
            Restore<std::u16string> keepPath(FPropPath);
            AncestorScope scope(*this, subAncestor);
            FPropPath = name + u".";
            WriteProperties(sub);
        }
        if (auto* coll = dynamic_cast<TCollection*>(sub)) {
            auto* ancColl = dynamic_cast<TCollection*>(subAncestor);
            if (!ancColl || coll->Count() != 0 || ancColl->Count() != 0) {
                WriteStr(name);
                WriteCollection(coll);
            }
        }
        return;
    }
    case TTypeKind::tkUnknown: return;
    }
}

void TWriter::WriteCollection(TCollection* collection)
{
    WriteValue(TValueType::vaCollection);
    if (collection) {
        Restore<std::u16string> keepPath(FPropPath);
        AncestorScope scope(*this, nullptr);
        FPropPath.clear();
        for (int i = 0; i < collection->Count(); ++i) {
            WriteListBegin();
            WriteProperties(collection->Items(i));
            WriteListEnd();
        }
    }
    WriteListEnd();
}

void TWriter::WriteVariant(const core::Variant& value)
{
    struct Visitor {
        TWriter& W;
        void operator()(std::monostate) const { W.WriteValue(TValueType::vaNil); }
        void operator()(core::VarNull) const { W.WriteValue(TValueType::vaNull); }
        void operator()(bool b) const { W.WriteBoolean(b); }
        void operator()(int32_t v) const { W.WriteInteger(v); }
        void operator()(int64_t v) const { W.WriteInteger(v); }
        void operator()(double v) const { W.WriteFloat(v); }
        void operator()(core::VarDate d) const { W.WriteDate(d.Value); }
        void operator()(const std::u16string& s) const { W.WriteString(s); }
        void operator()(const core::Bytes& b) const
        {
            std::u16string text;
            try {
                text = core::VarToStr(b);
            } catch (const core::Exception&) {
                throw core::EWriteError(SWriteError);
            }
            W.WriteString(text);
        }
        void operator()(const core::VariantArray&) const { throw core::EWriteError(SWriteError); }
    };
    std::visit(Visitor{*this}, value);
}

void TWriter::DefineProperty(const std::u16string& name, const std::function<void(TReader&)>&,
                             const std::function<void(TWriter&)>& writeData, bool hasData)
{
    if (hasData && writeData) {
        WriteStr(FPropPath + name);
        writeData(*this);
    }
}

void TWriter::DefineBinaryProperty(const std::u16string& name, const std::function<void(core::TStream&)>&,
                                   const std::function<void(core::TStream&)>& writeData, bool hasData)
{
    if (hasData && writeData) {
        core::TMemoryStream data;
        writeData(data);
        WriteStr(FPropPath + name);
        WriteBinary(data.Bytes().data(), data.Bytes().size());
    }
}

std::u16string TWriter::GetComponentValue(TComponent* component) const
{
    if (!component || component->Name().empty())
        return u"";
    if (component == FLookupRoot)
        return u"Owner";
    TComponent* owner = component->Owner();
    if (owner == FLookupRoot)
        return component->Name();
    if (owner && !owner->Name().empty()) {
        for (TComponent* o = owner; o; o = o->Owner())
            if (o->Owner() == FLookupRoot) {
                const std::u16string ownerRef = GetComponentValue(owner);
                return ownerRef.empty() ? u"" : ownerRef + u"." + component->Name();
            }
        return owner->Name() + u"." + component->Name();
    }
    return component->Name() + u".Owner";
}

void WriteComponentToStream(core::TStream& stream, TComponent* instance)
{
    WriteDescendentToStream(stream, instance, nullptr);
}

void WriteDescendentToStream(core::TStream& stream, TComponent* instance, TComponent* ancestor)
{
    TWriter writer(stream, 4096);
    writer.WriteDescendent(instance, ancestor);
}

} // namespace components
