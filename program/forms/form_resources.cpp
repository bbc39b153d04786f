#include "form_resources.h"

#include <strings.h>

namespace formres {

const Resource* Find(std::string_view name)
{
    for (const auto& r : All()) {
        const std::string_view n(r.Name);
        if (n.size() == name.size() && strncasecmp(n.data(), name.data(), n.size()) == 0)
            return &r;
    }
    return nullptr;
}

} // namespace formres
