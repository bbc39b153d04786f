#include "components/persistent.h"

#include <atomic>
#include <mutex>

#include "components/component.h"
#include "components/filer.h"
#include "core/exception.h"

namespace components {

namespace {
std::atomic<TPersistentDestroyHook> gDestroyHook{nullptr};
std::mutex gHandlerLock;
TExceptionHandler gHandler;
} // namespace

TExceptionHandler SetExceptionHandler(TExceptionHandler handler)
{
    std::lock_guard<std::mutex> guard(gHandlerLock);
    std::swap(gHandler, handler);
    return handler;
}

void HandleException(std::exception_ptr error) noexcept
{
    try {
        TExceptionHandler handler;
        {
            std::lock_guard<std::mutex> guard(gHandlerLock);
            handler = gHandler;
        }
        if (handler && error)
            handler(error);
    } catch (...) {
        // An error while reporting an error is dropped: destruction goes on.
    }
}

TPersistentDestroyHook SetPersistentDestroyHook(TPersistentDestroyHook hook) { return gDestroyHook.exchange(hook); }

DEFINE_CLASS(TPersistent)
END_CLASS

TPersistent::~TPersistent()
{
    if (TPersistentDestroyHook hook = gDestroyHook.load()) {
        try {
            hook(this);
        } catch (...) {
            HandleException(std::current_exception());
        }
    }
}

void TPersistent::Assign(TPersistent* source)
{
    if (!source)
        AssignError(nullptr);
    source->AssignTo(this);
}

void TPersistent::AssignTo(TPersistent* dest) { dest->AssignError(this); }

void TPersistent::DefineProperties(TFiler&) {}

void TPersistent::AssignError(const TPersistent* source) const
{
    const std::string from = source ? core::ToUtf8(source->ClassName()) : std::string("nil");
    core::Raise<core::EConvertError>("Cannot assign a {} to a {}", from, core::ToUtf8(ClassName()));
}

std::u16string TPersistent::GetNamePath() const
{
    std::u16string result = ClassName();
    if (const TPersistent* owner = GetOwner()) {
        std::u16string ownerPath = owner->GetNamePath();
        if (!ownerPath.empty())
            result = ownerPath + u"." + result;
    }
    return result;
}

} // namespace components
