#include "platform/resources.h"

#include <map>
#include <utility>

#include "core/exception.h"
#include "core/ustring.h"

namespace platform {

namespace {
using Key = std::pair<ResourceType, std::u16string>;
std::map<Key, std::span<const uint8_t>>& Registry()
{
    static std::map<Key, std::span<const uint8_t>> r;
    return r;
}
} // namespace

void RegisterResource(ResourceType type, std::u16string_view name, std::span<const uint8_t> bytes)
{
    Registry()[{type, core::UpperCase(name)}] = bytes;
}

std::optional<std::span<const uint8_t>> FindResource(ResourceType type, std::u16string_view name)
{
    auto it = Registry().find({type, core::UpperCase(name)});
    if (it == Registry().end())
        return std::nullopt;
    return it->second;
}

std::span<const uint8_t> LoadResource(ResourceType type, std::u16string_view name)
{
    if (auto r = FindResource(type, name))
        return *r;
    throw core::EResNotFound(core::Format("Resource {} not found", core::ToUtf8(name)));
}

bool UnregisterResource(ResourceType type, std::u16string_view name)
{
    return Registry().erase({type, core::UpperCase(name)}) > 0;
}

std::vector<std::u16string> ResourceNames(ResourceType type)
{
    std::vector<std::u16string> out;
    for (const auto& [key, bytes] : Registry())
        if (key.first == type)
            out.push_back(key.second);
    return out;
}

} // namespace platform
