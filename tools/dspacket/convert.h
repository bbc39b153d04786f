// `dspacket convert`: a packet in its other form (binary, XML, XML in UTF-8).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/dstypes.h"

namespace dspacket {

// True when the bytes are not a binary packet (then they are taken as XML).
bool IsXmlForm(const std::vector<std::uint8_t>& packet);
// The binary form of a packet given in either form.
engine::EngineResult BinaryForm(std::vector<std::uint8_t>& packet);
// Reads a packet of either form into a table and writes it in `mode`
// (xmlOFF, xmlON or xmlUTF8).
engine::EngineResult ConvertPacket(const std::vector<std::uint8_t>& in, std::int32_t mode,
                                   std::vector<std::uint8_t>& out);

}  // namespace dspacket

namespace dspacket {

// `dspacket convert IN OUT [--xml|--xml-utf8|--binary]`: form is "xml",
// "xml-utf8", "binary" or empty (the form the input is not in). Writes OUT;
// returns the exit code, with an error message on standard error.
int RunConvert(const std::vector<std::uint8_t>& in, const std::string& form, const std::string& outFile);

}  // namespace dspacket
