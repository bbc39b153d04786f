#pragma once
// TReader: turns a form description into live components. It creates or
// finds each described component, names it, sets its published properties,
// lets components read their defined properties (DefineProperties), resolves
// component references by name once everything is read, calls Loaded, and
// wraps every property error as "Error reading %s%s%s: %s".
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "components/component.h"
#include "components/filer.h"
#include "components/form_format.h"

namespace components {

class TCollection;
struct TPropFixup;

class TReader : public TFiler, public TBinaryReader {
public:
    explicit TReader(core::TStream& stream, size_t bufSize = 4096);
    ~TReader() override;

    // A whole description: signature, root record. With a root, the root is
    // filled (and renamed to a unique global name); without one, the root's
    // class is created from the registry.
    TComponent* ReadRootComponent(TComponent* root);
    // One component record; nullptr when a failed record was skipped through Error.
    TComponent* ReadComponent(TComponent* component);
    // Properties and children of a component (TComponent::ReadState calls it).
    void ReadData(TComponent* instance);
    void ReadProperty(TPersistent* instance);
    void ReadCollection(TCollection* collection);
    // The bits of the named elements of `type` (elements past 31 are ignored).
    int64_t ReadSet(const TypeInfo& type);
    core::Variant ReadVariant();

    void DefineProperty(const std::u16string& name, const std::function<void(TReader&)>& readData,
                        const std::function<void(TWriter&)>& writeData, bool hasData) override;
    void DefineBinaryProperty(const std::u16string& name, const std::function<void(core::TStream&)>& readData,
                              const std::function<void(core::TStream&)>& writeData, bool hasData) override;

    TComponent* Root() const { return FRoot; }
    TComponent* LookupRoot() const { return FLookupRoot; }
    TComponent* Owner() const { return FOwner; }
    void SetOwner(TComponent* owner) { FOwner = owner; }
    TComponent* Parent() const { return FParent; }
    void SetParent(TComponent* parent) { FParent = parent; }
    // The property name being read; a DefineProperties handler that reads it clears it.
    const std::u16string& PropName() const { return FPropName; }

    // Offered each property error (and each failure to create, find or name
    // a component); true skips it and reading goes on. Default: OnError, else false.
    virtual bool Error(const std::u16string& message);

    // Hooks, unassigned by default.
    std::function<bool(const std::u16string& message)> OnError;
    std::function<void(TReader&, TComponent*, std::u16string& name)> OnSetName;
    std::function<void(TReader&, std::u16string& name)> OnReferenceName;
    std::function<void(TReader&, const std::u16string& className, const ClassInfo*& cls)> OnFindComponentClass;
    std::function<TComponent*(TReader&, const ClassInfo& cls)> OnCreateComponent;

protected:
    virtual void ReadPropValue(TPersistent* instance, const PropInfo& prop);
    const ClassInfo& FindComponentClass(const std::u16string& className);
    virtual void SetName(TComponent* component, std::u16string name);

private:
    friend struct ReaderAccess;
    void DoFixupReferences();
    void OfferDefineProperties(TPersistent* instance);
    std::u16string FindUniqueName(TComponent* root, const std::u16string& name);

    TComponent* FRoot = nullptr;
    TComponent* FLookupRoot = nullptr;
    TComponent* FOwner = nullptr;
    TComponent* FParent = nullptr;
    std::unique_ptr<std::vector<TPropFixup>> FFixups; // only during the outermost ReadData
    std::vector<TComponent*>* FLoaded = nullptr;
    std::vector<TComponent*> FOwnLoaded;
    std::u16string FPropName;
    bool FCanHandleExcepts = false;
};

// TStream.ReadComponent: reads one description from the stream into the
// instance (or a new root when nullptr); the stream is left after it.
TComponent* ReadComponentFromStream(core::TStream& stream, TComponent* instance);
// Reads the resource `name` ("Resource %s not found" when there is none).
TComponent* ReadComponentRes(std::u16string_view name, TComponent* instance);
// Reads the descriptions of the instance's class chain below rootAncestor,
// ancestor first, then calls Loaded on everything read. True when one was found.
bool InitInheritedComponent(TComponent* instance, const ClassInfo& rootAncestor);

// Component references: "Name", "Name.Sub" or "Owner", relative to root.
TComponent* FindNestedComponent(TComponent* root, std::u16string_view path);

// Top-level components (forms, data modules) by name. Finders are asked,
// the most recently registered first.
using TFindGlobalComponent = std::function<TComponent*(std::u16string_view name)>;
int RegisterFindGlobalComponentProc(TFindGlobalComponent proc);
void UnregisterFindGlobalComponentProc(int id);
TComponent* FindGlobalComponent(std::u16string_view name);
// Replaceable; by default a name is unique when FindGlobalComponent finds nothing.
extern std::function<bool(std::u16string_view name)> IsUniqueGlobalComponentName;

// The global fix-up list: references naming a component of another
// top-level component ("Form2.Button1") wait here until that one is read.
void GlobalFixupReferences();
void RemoveFixupReferences(TComponent* root, std::u16string_view rootName);
void RemoveFixups(TPersistent* instance);
size_t GlobalFixupCount();

} // namespace components
