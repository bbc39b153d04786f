// dspacket: shows a data packet as JSON, or builds one from JSON.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>

#include "packet_json.h"

namespace {

bool ReadAll(const std::string& name, std::vector<std::uint8_t>& out) {
  if (name == "-") {
    out.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    return !std::cin.bad();
  }
  std::ifstream f(name, std::ios::binary);
  if (!f) return false;
  out.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  return !f.bad();
}

int Fail(engine::EngineResult code, const std::string& context) {
  const char* text = engine::DBErrorMessage(code);
  std::cerr << "dspacket: " << (context.empty() ? "" : context + ": ") << (text ? text : "error") << '\n';
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Data packet tool"};
  app.require_subcommand(1);
  std::string in, out;
  auto* show = app.add_subcommand("show", "print a packet as JSON");
  show->add_option("FILE", in, "packet file or - for standard input")->required();
  auto* make = app.add_subcommand("make", "build a packet from JSON");
  make->add_option("JSON", in, "JSON file or - for standard input")->required();
  make->add_option("OUT", out, "packet file to write")->required();
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e);
    std::cerr << "dspacket: " << e.what() << '\n';
    return 1;
  }
  std::vector<std::uint8_t> bytes;
  if (!ReadAll(in, bytes)) {
    std::cerr << "dspacket: " << in << ": cannot read\n";
    return 1;
  }
  std::string where;
  if (*show) {
    dspacket::Json j;
    if (engine::EngineResult r = dspacket::ShowPacket(bytes, j, where)) return Fail(r, in + (where.empty() ? "" : ", " + where));
    std::cout << j.dump(1) << '\n';
    return 0;
  }
  dspacket::Json j = dspacket::Json::parse(bytes.begin(), bytes.end(), nullptr, false);
  if (j.is_discarded() || !j.is_object()) return Fail(engine::DBERR_INVALIDPARAM, in + ": not a JSON object");
  std::vector<std::uint8_t> packet;
  if (engine::EngineResult r = dspacket::MakePacket(j, packet, where)) return Fail(r, in + (where.empty() ? "" : ", " + where));
  std::ofstream f(out, std::ios::binary);
  f.write(reinterpret_cast<const char*>(packet.data()), static_cast<std::streamsize>(packet.size()));
  if (!f) {
    std::cerr << "dspacket: " << out << ": cannot write\n";
    return 1;
  }
  return 0;
}
