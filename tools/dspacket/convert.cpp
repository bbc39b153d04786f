// `dspacket convert` and the binary form `show` reads.
#include "convert.h"

#include <fstream>
#include <iostream>

#include "engine/dsintf.h"
#include "engine/packetreader.h"

namespace dspacket {

using namespace engine;

bool IsXmlForm(const std::vector<std::uint8_t>& packet) {
  DSEXTRACT x;
  return x.Open(packet.data(), packet.size()) != DBERR_NONE;
}

EngineResult ConvertPacket(const std::vector<std::uint8_t>& in, std::int32_t mode, std::vector<std::uint8_t>& out) {
  DSRef<IDSBase> t;
  if (EngineResult r = CreateDSBase(t.put())) return r;
  static const std::uint8_t kEmpty = 0;
  if (EngineResult r = t->AppendData(in.empty() ? &kEmpty : in.data(), in.size(), 1)) return r;
  if (EngineResult r = t->SetProp(dspropXML_STREAMMODE, static_cast<std::uintptr_t>(mode))) return r;
  DSPacket p;
  if (EngineResult r = t->StreamDS(&p)) return r;
  out.assign(p.begin(), p.end());
  return DBERR_NONE;
}

EngineResult BinaryForm(std::vector<std::uint8_t>& packet) {
  if (!IsXmlForm(packet)) return DBERR_NONE;
  std::vector<std::uint8_t> bin;
  if (EngineResult r = ConvertPacket(packet, xmlOFF, bin)) return r;
  packet.swap(bin);
  return DBERR_NONE;
}

}  // namespace dspacket

namespace dspacket {

int RunConvert(const std::vector<std::uint8_t>& in, const std::string& form, const std::string& outFile) {
  const std::int32_t mode = form == "xml"        ? xmlON
                            : form == "xml-utf8" ? xmlUTF8
                            : form == "binary"   ? xmlOFF
                            : IsXmlForm(in)      ? xmlOFF
                                                 : xmlON;
  std::vector<std::uint8_t> packet;
  if (EngineResult r = ConvertPacket(in, mode, packet)) {
    const char* text = DBErrorMessage(r);
    std::cerr << "dspacket: " << (text ? text : "error") << '\n';
    return 1;
  }
  std::ofstream f(outFile, std::ios::binary);
  f.write(reinterpret_cast<const char*>(packet.data()), static_cast<std::streamsize>(packet.size()));
  if (!f) {
    std::cerr << "dspacket: " << outFile << ": cannot write\n";
    return 1;
  }
  return 0;
}

}  // namespace dspacket
