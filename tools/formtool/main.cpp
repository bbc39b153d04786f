// formtool: inspects and repairs stored form descriptions.
//
//   formtool dump FILE|-        the description as a JSON tree (form_json.h)
//   formtool write JSON|- OUT   the inverse; OUT may be - for standard output
//   formtool resource NAME      an embedded resource's bytes to standard output
//
// Damaged input gives one line on standard error and exit status 1.
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "core/exception.h"
#include "core/stream.h"
#include "form_json.h"
#if __has_include("form_resources.h")
#include "form_resources.h"
#define FORMTOOL_HAS_RESOURCES 1
#endif

namespace {

std::vector<uint8_t> ReadInput(const std::string& path)
{
    if (path != "-")
        return core::LoadFile(path);
    std::vector<uint8_t> bytes;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, stdin)) > 0)
        bytes.insert(bytes.end(), buf, buf + n);
    if (std::ferror(stdin))
        throw core::EReadError(std::string_view("Stream read error"));
    return bytes;
}

bool WriteStdout(const void* data, size_t size)
{
    return std::fwrite(data, 1, size, stdout) == size && std::fflush(stdout) == 0;
}

int Fail(const std::string& message)
{
    std::string line = message;
    for (auto& c : line)
        if (c == '\n' || c == '\r')
            c = ' ';
    std::cerr << "formtool: " << line << "\n";
    return 1;
}

int Dump(const std::string& path)
{
    std::vector<uint8_t> bytes;
    try {
        bytes = ReadInput(path);
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
    core::TBytesView stream(bytes.data(), bytes.size());
    components::TBinaryReader reader(stream);
    std::string text;
    try {
        text = formjson::PrettyJson(formjson::TreeToJson(components::ReadRawTree(reader)));
    } catch (const core::Exception& e) {
        return Fail(std::string(e.what()) + " at byte " + std::to_string(reader.Position()));
    }
    if (!WriteStdout(text.data(), text.size()))
        return Fail("Stream write error");
    return 0;
}

int Write(const std::string& jsonPath, const std::string& outPath)
{
    std::vector<uint8_t> out;
    try {
        const auto input = ReadInput(jsonPath);
        const auto j = formjson::json::parse(input.begin(), input.end());
        out = components::RawTreeToBytes(formjson::TreeFromJson(j));
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
    if (outPath == "-")
        return WriteStdout(out.data(), out.size()) ? 0 : Fail("Stream write error");
    try {
        core::SaveFileAtomically(outPath, out);
    } catch (const std::exception& e) {
        return Fail(e.what());
    }
    return 0;
}

int Resource(const std::string& name)
{
#ifdef FORMTOOL_HAS_RESOURCES
    if (const auto* r = formres::Find(name))
        return WriteStdout(r->Data, r->Size) ? 0 : Fail("Stream write error");
#endif
    return Fail("Resource " + name + " not found");
}

} // namespace

int main(int argc, char** argv)
{
    CLI::App app("Inspects and repairs stored form descriptions");
    app.require_subcommand(1);
    std::string dumpPath, jsonPath, outPath, resName;
    auto* dump = app.add_subcommand("dump", "Print a form description as JSON");
    dump->add_option("FILE", dumpPath, "description file, or - for standard input")->required();
    auto* write = app.add_subcommand("write", "Write a form description from its JSON");
    write->add_option("JSON", jsonPath, "JSON file, or - for standard input")->required();
    write->add_option("OUT", outPath, "description file to write, or - for standard output")->required();
    auto* resource = app.add_subcommand("resource", "Print an embedded resource's bytes");
    resource->add_option("NAME", resName, "resource name, such as TFORM1")->required();
    CLI11_PARSE(app, argc, argv);

    if (*dump)
        return Dump(dumpPath);
    if (*write)
        return Write(jsonPath, outPath);
    return Resource(resName);
}
