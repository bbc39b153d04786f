#pragma once
// TWriter: writes a component tree as a form description. Only properties
// that differ from their defaults (or from the ancestor's values when a
// descendant is written) are stored, integers in the smallest tag that holds
// them, strings in their most compact encoding, references by name relative
// to the root.
#include <functional>
#include <string>
#include <vector>

#include "components/component.h"
#include "components/filer.h"
#include "components/form_format.h"

namespace components {

class TCollection;

class TWriter : public TFiler, public TBinaryWriter {
public:
    explicit TWriter(core::TStream& stream, size_t bufSize = 4096);
    ~TWriter() override;

    // Signature and root record; ancestor may be nullptr.
    void WriteDescendent(TComponent* root, TComponent* ancestor);
    void WriteComponent(TComponent* component);
    // A component's record (TComponent::WriteState calls it).
    void WriteData(TComponent* instance);
    void WriteProperties(TPersistent* instance);
    void WriteProperty(TPersistent* instance, const PropInfo& prop);
    void WriteCollection(TCollection* collection);
    // Raises EWriteError "Stream write error" for arrays.
    void WriteVariant(const core::Variant& value);

    void DefineProperty(const std::u16string& name, const std::function<void(TReader&)>& readData,
                        const std::function<void(TWriter&)>& writeData, bool hasData) override;
    void DefineBinaryProperty(const std::u16string& name, const std::function<void(core::TStream&)>& readData,
                              const std::function<void(core::TStream&)>& writeData, bool hasData) override;

    TComponent* Root() const { return FRoot; }
    TComponent* LookupRoot() const { return FLookupRoot; }
    TComponent* RootAncestor() const { return FRootAncestor; }
    const std::u16string& PropPath() const { return FPropPath; }
    bool IgnoreChildren = false;

    // How a component is named from the lookup root ("DataSource1",
    // "Owner", "Form2.Button1"); "" when it cannot be named.
    std::u16string GetComponentValue(TComponent* component) const;

private:
    bool AncestorValid() const;
    bool SameAsAncestor(TPersistent* instance, TPersistent* ancestor, const PropInfo& prop) const;
    void RewindTo(int64_t position);

    TComponent* FRoot = nullptr;
    TComponent* FLookupRoot = nullptr;
    TComponent* FRootAncestor = nullptr;
    std::u16string FPropPath;
    std::vector<TComponent*> FAncestorList;
    bool FHasAncestorList = false;
    size_t FAncestorPos = 0;
    int FChildPos = 0;
};

// TStream.WriteComponent / WriteDescendent.
void WriteComponentToStream(core::TStream& stream, TComponent* instance);
void WriteDescendentToStream(core::TStream& stream, TComponent* instance, TComponent* ancestor);

} // namespace components
