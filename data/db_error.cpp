#include "data/db_error.h"

#include "components/component.h"

namespace data {

std::u16string ComponentMessage(const std::u16string& message, const components::TComponent* component)
{
    using components::TComponentStyle;
    if (!component || component->Name().empty())
        return message;
    const components::TComponent* owner = component->Owner();
    if (owner && !owner->Name().empty() && component->ComponentStyle().Contains(TComponentStyle::csSubComponent))
        return owner->Name() + u"." + component->Name() + u": " + message;
    return component->Name() + u": " + message;
}

void DatabaseError(const std::u16string& message, const components::TComponent* component)
{
    throw EDatabaseError(ComponentMessage(message, component));
}

} // namespace data
