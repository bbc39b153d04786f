#pragma once
// The form descriptions embedded in the program, generated at build time
// from the JSON files beside this header.
#include <cstddef>
#include <span>
#include <string_view>

namespace formres {

struct Resource {
    const char* Name; // upper-case class name, such as "TFORM1"
    const unsigned char* Data;
    size_t Size;
};

std::span<const Resource> All();
// By name without regard to case; nullptr when there is none.
const Resource* Find(std::string_view name);

} // namespace formres
