#pragma once
// TPersistent: an object whose state can be copied (Assign) and streamed
// (published properties plus DefineProperties), and that can name its place
// in an object tree (GetNamePath).
#include <string>

#include "components/object.h"

namespace components {

class TFiler;

class TPersistent : public TObject {
    DECLARE_CLASS(TPersistent, TObject)
public:
    ~TPersistent() override;

    // Source nil: AssignError(nil); else Source->AssignTo(this).
    virtual void Assign(TPersistent* source);
    virtual std::u16string GetNamePath() const;
    virtual TPersistent* GetOwner() const { return nullptr; }

protected:
    // Default: Dest->AssignError(this).
    virtual void AssignTo(TPersistent* dest);
    // Binary and custom properties that are not published (e.g. "Data", "Left"/"Top" of non-visual components).
    virtual void DefineProperties(TFiler& filer);
    // Raises EConvertError "Cannot assign a %s to a %s".
    [[noreturn]] void AssignError(const TPersistent* source) const;

    friend class TFiler;
    friend class TReader;
    friend class TWriter;
};

} // namespace components
