// Attribute names of the XML packet form that are written as XML attributes
// of "FIELD" and "PARAMS" (all others become "PARAM" elements), with their
// XML type names.
#pragma once

#include <string_view>

namespace engine::xmlv {

struct KnownAttr {
  const char* name;
  const char* type;  // nullptr: written by its own type, read back as "string"
};

// The attribute written as an XML attribute under this exact name, or
// nullptr. With ignoreCase (the reader) the name is matched without regard
// to case, and "MD_FIELDLINKS" is known too.
const KnownAttr* FindKnownAttr(std::string_view name, bool ignoreCase);

}  // namespace engine::xmlv
