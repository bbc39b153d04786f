#pragma once
// Resources: named blocks of bytes linked into the executable (form
// descriptions, PNG images, the icon), found by type and name without regard
// to letter case.
//
// Registering: the generated source of an executable (or library) holds the
// bytes in static arrays and registers them from a function that the program
// calls once at start-up:
//
//     void RegisterProgramResources() {
//         platform::RegisterResource(platform::RT_RCDATA, u"TFORM1", kTForm1);
//     }
//
// A static `ResourceRegistrar` object does the same at start-up, but only in
// code the linker keeps (an executable's own sources or an OBJECT library);
// in a static library nothing references it and it is dropped.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class ResourceType { RCData, Icon, Png, String };
constexpr ResourceType RT_RCDATA = ResourceType::RCData;

// The bytes are not copied: they must live as long as the program (static data).
void RegisterResource(ResourceType type, std::u16string_view name, std::span<const uint8_t> bytes);
// Registered bytes, or none.
std::optional<std::span<const uint8_t>> FindResource(ResourceType type, std::u16string_view name);
// Raises core::EResNotFound "Resource {name} not found" when missing.
std::span<const uint8_t> LoadResource(ResourceType type, std::u16string_view name);
bool UnregisterResource(ResourceType type, std::u16string_view name);
std::vector<std::u16string> ResourceNames(ResourceType type);

struct ResourceRegistrar {
    ResourceRegistrar(ResourceType type, std::u16string_view name, std::span<const uint8_t> bytes)
    {
        RegisterResource(type, name, bytes);
    }
};

} // namespace platform
