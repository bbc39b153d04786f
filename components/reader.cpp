#include "components/reader.h"

#include <algorithm>

#include "components/classes.h"
#include "components/collection.h"
#include "components/reader_fixups.h"
#include "core/exception.h"

namespace components {

namespace {

[[noreturn]] void PropertyNotFound(const std::u16string& name)
{
    core::Raise<core::EReadError>("Property {} does not exist", core::ToUtf8(name));
}

// Restores a reader field when the scope ends, also on failure.
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

std::vector<TComponent*> SubComponents(TComponent* c)
{
    std::vector<TComponent*> subs;
    for (int i = 0; i < c->ComponentCount(); ++i) {
        TComponent* owned = c->Components(i);
        if (owned->ComponentStyle().Contains(TComponentStyle::csSubComponent))
            subs.push_back(owned);
    }
    return subs;
}

bool Listed(const std::vector<TComponent*>& list, TComponent* c)
{
    return std::find(list.begin(), list.end(), c) != list.end();
}

} // namespace

TReader::TReader(core::TStream& stream, size_t bufSize) : TBinaryReader(stream, bufSize) {}

TReader::~TReader()
{
    if (FFixups)
        UnregisterLocalFixups(FFixups.get());
}

bool TReader::Error(const std::u16string& message)
{
    return OnError ? OnError(message) : false;
}

std::u16string TReader::FindUniqueName(TComponent* root, const std::u16string& name)
{
    // The root itself (read again for a second class of its chain) keeps its name.
    if (!name.empty() && SameName(name, root->Name()) && FindGlobalComponent(name) == root)
        return name;
    std::u16string candidate = name;
    for (int i = 1; !name.empty() && !IsUniqueGlobalComponentName(candidate); ++i)
        candidate = core::Format("{}_{}", core::ToUtf8(name), i);
    return candidate;
}

TComponent* TReader::ReadRootComponent(TComponent* root)
{
    ReadSignature();
    std::lock_guard ns(GlobalNameSpace());
    bool created = false;
    try {
        int32_t childPos = 0;
        ReadPrefix(childPos);
        if (root) {
            ReadStr(); // class name: the root's own class is used
            root->SetState(TComponentState::csLoading, true);
            root->SetState(TComponentState::csReading, true);
            root->SetName(FindUniqueName(root, ReadStr()));
        } else {
            const ClassInfo& cls = FindClass(ReadStr());
            TComponent* made = cls.Factory && cls.InheritsFrom(TComponent::StaticClass())
                                   ? ComponentOrNull(cls.Factory(nullptr))
                                   : nullptr;
            if (!made)
                core::Raise<core::EClassNotFound>("Class {} not found", core::ToUtf8(cls.Name));
            root = made;
            created = true;
            root->SetName(ReadStr());
        }
        FRoot = FLookupRoot = root;
        FLoaded = TopLoadedList();
        if (!FLoaded)
            FLoaded = &FOwnLoaded;
        if (!Listed(*FLoaded, root))
            FLoaded->push_back(root);
        FOwner = root;
        root->SetState(TComponentState::csLoading, true);
        root->SetState(TComponentState::csReading, true);
        root->ReadState(*this);
        root->SetState(TComponentState::csReading, false);
        if (FLoaded == &FOwnLoaded) {
            const size_t count = FOwnLoaded.size();
            for (size_t i = 0; i < count; ++i)
                FOwnLoaded[i]->Loaded();
            FOwnLoaded.clear();
        }
        for (;;) {
            try {
                GlobalFixupReferences();
                break;
            } catch (const core::Exception& e) {
                // The failing fix-up is gone, so a retry makes progress.
                if (!Error(e.Message()))
                    throw;
            }
        }
    } catch (...) {
        if (root) {
            RemoveFixupReferences(root, u"");
            root->SetState(TComponentState::csReading, false);
        }
        if (created)
            root->Free();
        throw;
    }
    return root;
}

const ClassInfo& TReader::FindComponentClass(const std::u16string& className)
{
    auto inRoot = [&](TComponent* lookupRoot) -> const ClassInfo* {
        for (const ClassInfo* c = &lookupRoot->ClassType(); c && c != &TPersistent::StaticClass(); c = c->Parent)
            for (const auto& field : c->Fields)
                if (field.FieldClass && SameName(field.FieldClass->Name, className))
                    return field.FieldClass;
        return GetClass(className);
    };
    const ClassInfo* cls = FRoot ? inRoot(FRoot) : GetClass(className);
    if (!cls && FLookupRoot && FLookupRoot != FRoot)
        cls = inRoot(FLookupRoot);
    if (OnFindComponentClass)
        OnFindComponentClass(*this, className, cls);
    if (!cls || !cls->InheritsFrom(TComponent::StaticClass()))
        core::Raise<core::EClassNotFound>("Class {} not found", core::ToUtf8(className));
    return *cls;
}

void TReader::SetName(TComponent* component, std::u16string name)
{
    if (OnSetName)
        OnSetName(*this, component, name);
    component->SetName(name);
}

TComponent* TReader::ReadComponent(TComponent* component)
{
    DepthGuard depth(*this);
    int32_t childPos = 0;
    const TFilerFlags flags = ReadPrefix(childPos);
    const std::u16string className = ReadStr();
    const std::u16string name = ReadStr();
    Restore<TComponent*> saveParent(FParent);
    Restore<TComponent*> saveLookupRoot(FLookupRoot);
    const bool inherited = flags.Contains(TFilerFlag::ffInherited);
    TComponent* result = component;
    bool created = false;

    // Creating, finding or naming failed: drop the record and ask Error.
    auto recover = [&](const core::Exception& e) -> TComponent* {
        if (created && result)
            result->Free();
        result = nullptr;
        SkipComponent(false);
        if (!Error(e.Message()))
            throw;
        return nullptr;
    };

    if (!result) {
        try {
            const ClassInfo& cls = FindComponentClass(className);
            if (inherited) {
                result = FLookupRoot ? FLookupRoot->FindComponent(name) : nullptr;
                if (!result)
                    core::Raise<core::EReadError>("Ancestor for '{}' not found", core::ToUtf8(name));
                FParent = result->GetParentComponent();
                if (!FParent)
                    FParent = FRoot;
            } else {
                if (OnCreateComponent)
                    result = OnCreateComponent(*this, cls);
                if (!result) {
                    TObject* made = cls.Factory ? cls.Factory(FOwner) : nullptr;
                    result = ComponentOrNull(made);
                    if (!result) {
                        delete made;
                        core::Raise<core::EClassNotFound>("Class {} not found", core::ToUtf8(className));
                    }
                    created = true;
                    if (flags.Contains(TFilerFlag::ffInline)) {
                        result->SetState(TComponentState::csLoading, true);
                        result->SetState(TComponentState::csInline, true);
                    }
                }
                result->SetState(TComponentState::csLoading, true);
            }
        } catch (const core::Exception& e) {
            return recover(e);
        }
    }

    try {
        const std::vector<TComponent*> subs = SubComponents(result);
        result->SetState(TComponentState::csLoading, true);
        for (auto* s : subs)
            s->SetState(TComponentState::csLoading, true);
        if (!inherited) {
            try {
                result->SetParentComponent(FParent);
                SetName(result, name);
            } catch (const core::Exception& e) {
                return recover(e);
            }
        }
        if (result->InState(TComponentState::csInline))
            FLookupRoot = result;
        result->SetState(TComponentState::csReading, true);
        for (auto* s : subs)
            s->SetState(TComponentState::csReading, true);
        result->ReadState(*this);
        result->SetState(TComponentState::csReading, false);
        for (auto* s : subs)
            s->SetState(TComponentState::csReading, false);
        if (flags.Contains(TFilerFlag::ffChildPos) && FParent)
            FParent->SetChildOrder(result, childPos);
        const bool once = inherited || result->InState(TComponentState::csInline);
        if (FLoaded) {
            for (auto* s : subs)
                if (!once || !Listed(*FLoaded, s))
                    FLoaded->push_back(s);
            if (!once || !Listed(*FLoaded, result))
                FLoaded->push_back(result);
        }
    } catch (...) {
        if (created && result)
            result->Free();
        throw;
    }
    return result;
}

void TReader::ReadData(TComponent* instance)
{
    const bool outermost = !FFixups;
    if (outermost) {
        FFixups = std::make_unique<std::vector<TPropFixup>>();
        RegisterLocalFixups(FFixups.get());
    }
    auto dropFixups = [&] {
        if (outermost) {
            UnregisterLocalFixups(FFixups.get());
            FFixups.reset();
        }
    };
    try {
        while (!EndOfList())
            ReadProperty(instance);
        ReadValue();
        {
            Restore<TComponent*> saveParent(FParent);
            Restore<TComponent*> saveOwner(FOwner);
            FParent = instance->GetChildParent();
            FOwner = instance->GetChildOwner();
            if (!FOwner)
                FOwner = FRoot;
            while (!EndOfList())
                ReadComponent(nullptr);
            ReadValue();
        }
        if (outermost)
            DoFixupReferences();
    } catch (...) {
        dropFixups();
        throw;
    }
    dropFixups();
}

void TReader::DoFixupReferences()
{
    // Taken out of the list first: resolving may destroy objects, whose
    // fix-ups must then not be touched (RemoveFixups edits the list).
    for (size_t i = 0; i < FFixups->size(); ++i) {
        TPropFixup f = (*FFixups)[i];
        std::u16string name = f.Name;
        if (OnReferenceName)
            OnReferenceName(*this, name);
        TComponent* ref = FindNestedComponent(f.InstanceRoot, name);
        RemoveGlobalFixupsFor(f.Instance, f.Prop);
        const size_t dot = name.find(u'.');
        if (ref || dot == std::u16string::npos) {
            if (f.Prop->SetObj)
                f.Prop->SetObj(f.Instance, ref);
        } else {
            f.RootName = name.substr(0, dot);
            f.Name = name.substr(dot + 1);
            AddGlobalFixup(std::move(f));
        }
    }
    FFixups->clear();
}

void TReader::OfferDefineProperties(TPersistent* instance)
{
    FCanHandleExcepts = false;
    instance->DefineProperties(*this);
    FCanHandleExcepts = true;
}

void TReader::ReadProperty(TPersistent* instance)
{
    const std::u16string path = ReadStr();
    try {
        FCanHandleExcepts = true;
        TPersistent* current = instance;
        size_t start = 0;
        for (;;) {
            const size_t dot = path.find(u'.', start);
            FPropName = path.substr(start, dot == std::u16string::npos ? std::u16string::npos : dot - start);
            const PropInfo* prop = current->ClassType().FindProp(FPropName);
            if (dot == std::u16string::npos) {
                if (prop) {
                    ReadPropValue(current, *prop);
                } else {
                    OfferDefineProperties(current);
                    if (!FPropName.empty()) {
                        SkipValue();
                        PropertyNotFound(FPropName);
                    }
                }
                break;
            }
            if (!prop) {
                FPropName = path;
                OfferDefineProperties(current);
                if (FPropName.empty())
                    break;
                SkipValue();
                PropertyNotFound(path);
            }
            TObject* obj = prop->Kind == TTypeKind::tkClass && prop->GetObj ? prop->GetObj(current) : nullptr;
            auto* next = dynamic_cast<TPersistent*>(obj);
            if (!next) {
                SkipValue();
                throw core::EReadError(std::string_view("Invalid property path"));
            }
            current = next;
            start = dot + 1;
        }
    } catch (const core::Exception& e) {
        auto* comp = dynamic_cast<TComponent*>(instance);
        const std::u16string who = comp && !comp->Name().empty() ? comp->Name() : instance->ClassName();
        core::EReadError wrapped(core::Format("Error reading {}{}{}: {}", core::ToUtf8(who), ".", core::ToUtf8(path),
                                              core::ToUtf8(e.Message())));
        if (FCanHandleExcepts && Error(wrapped.Message()))
            return;
        throw wrapped;
    }
}

int64_t TReader::ReadSet(const TypeInfo& type)
{
    CheckValue(TValueType::vaSet);
    int64_t bits = 0;
    try {
        for (std::u16string name = ReadStr(); !name.empty(); name = ReadStr()) {
            const int i = type.IndexOf(name);
            if (i < 0)
                PropValueError();
            if (i <= 31)
                bits |= int64_t{1} << i;
        }
    } catch (const core::Exception&) {
        // Leave the stream after the set so that reading can go on.
        try {
            for (uint8_t n = ReadByte(); n != 0; n = ReadByte())
                SkipBytes(n);
        } catch (const core::Exception&) { // NOLINT: the first error is the one reported
        }
        throw;
    }
    return bits;
}

} // namespace components
