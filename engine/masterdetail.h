// Link values shared by a master record and its detail records: copying
// them between the two tables' layouts and comparing them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/tabledata.h"

namespace engine {

// Whether two fields can link a master to a detail: the same type, and the
// same storage unless they are strings (compared up to their terminator).
bool LinkableFields(const DSFLDDesc& master, const DSFLDDesc& detail);

// Copies the values (and blank states) of the master's link fields into the
// detail's link fields of a detail-layout buffer; strings are cut to the
// detail's width.
void CopyLinkValues(const std::vector<DSFLDDesc>& masterFields, const std::vector<std::uint32_t>& from,
                    const std::uint8_t* masterRec, const std::vector<DSFLDDesc>& detailFields,
                    const std::vector<std::uint32_t>& to, std::uint8_t* detailRec);

// The link values of a record as one byte string (blank state, then the
// value; strings up to their terminator), equal exactly when the values are.
std::string LinkValueKey(const std::vector<DSFLDDesc>& fields, const std::vector<std::uint32_t>& which,
                         const std::uint8_t* rec);

}  // namespace engine
