#pragma once
// TPersistent: an object whose state can be copied (Assign) and streamed
// (published properties plus DefineProperties), and that can name its place
// in an object tree (GetNamePath).
#include <exception>
#include <functional>
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

// Exceptions that cannot propagate because they arise on a destruction path
// (a Notification override or a free notification while a component is
// destroyed, an item's removal while a collection is destroyed) are handed to
// this handler. The default ignores them; the application installs one that
// reports them. A handler that throws is ignored. Answers the previous handler.
using TExceptionHandler = std::function<void(std::exception_ptr)>;
TExceptionHandler SetExceptionHandler(TExceptionHandler handler);
void HandleException(std::exception_ptr error) noexcept;

// Called by ~TPersistent with the object being destroyed: the form reader
// installs one that drops the pending global fix-ups targeting it. Answers
// the previous hook. Exceptions it raises go to the exception handler above.
using TPersistentDestroyHook = void (*)(TPersistent* instance);
TPersistentDestroyHook SetPersistentDestroyHook(TPersistentDestroyHook hook);

} // namespace components
