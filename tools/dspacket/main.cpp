// dspacket: shows a data packet as JSON, or builds one from JSON.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>

#include "convert.h"
#include "packet_json.h"
#include "query.h"

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
  dspacket::ShowQuery query;
  show->add_option("--index", query.index, "order by these ;-separated fields");
  show->add_option("--filter", query.filter, "show only rows passing this filter text");
  show->add_option("--status", query.status, "change-log view: all, inserted, modified or deleted");
  auto* make = app.add_subcommand("make", "build a packet from JSON");
  make->add_option("JSON", in, "JSON file or - for standard input")->required();
  make->add_option("OUT", out, "packet file to write")->required();
  auto* convert = app.add_subcommand("convert", "write a packet in another form (default: the other one)");
  convert->add_option("IN", in, "packet file (binary or XML) or - for standard input")->required();
  convert->add_option("OUT", out, "packet file to write")->required();
  auto* toXml = convert->add_flag("--xml")->description("XML in the table's code page");
  auto* toUtf8 = convert->add_flag("--xml-utf8")->description("XML in UTF-8")->excludes(toXml);
  auto* toBinary = convert->add_flag("--binary")->description("binary packet")->excludes(toXml)->excludes(toUtf8);
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
  if (*convert) return dspacket::RunConvert(bytes, *toXml ? "xml" : *toUtf8 ? "xml-utf8" : *toBinary ? "binary" : "", out);
  if (*show) {
    if (engine::EngineResult r = dspacket::BinaryForm(bytes)) return Fail(r, in);
    dspacket::Json j;
    if (engine::EngineResult r = dspacket::ShowPacket(bytes, j, where)) return Fail(r, in + (where.empty() ? "" : ", " + where));
    if (query.Any()) {
      std::string error;
      if (!dspacket::ApplyQuery(bytes, query, j, error)) {
        std::cerr << error << '\n';
        return 1;
      }
    }
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
