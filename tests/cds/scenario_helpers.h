#pragma once
// Small steps shared by the change-log and search scenarios: adding rows and
// reading the visible rows of the program-shaped dataset.
#include <string>
#include <vector>

#include "cds_fixture.h"
#include "core/ustring.h"

namespace cdstest {

inline void AddRow(data::TClientDataSet& ds, int codigo, const std::u16string& nome)
{
    ds.Append();
    ds.FieldByName(u"codigo")->SetAsInteger(codigo);
    ds.FieldByName(u"nome")->SetAsString(nome);
    ds.Post();
}

inline std::vector<std::string> Names(data::TClientDataSet& ds)
{
    std::vector<std::string> out;
    ds.First();
    while (!ds.Eof()) {
        out.push_back(core::ToUtf8(ds.FieldByName(u"nome")->AsString()));
        ds.Next();
    }
    return out;
}

inline std::vector<int> Codes(data::TClientDataSet& ds)
{
    std::vector<int> out;
    ds.First();
    while (!ds.Eof()) {
        out.push_back(ds.FieldByName(u"codigo")->AsInteger());
        ds.Next();
    }
    return out;
}

// The program's dataset, opened from its stored packet, with rows added.
struct Scenario : ProgramDataSet {
    explicit Scenario(const std::vector<std::pair<int, std::u16string>>& rows = {})
    {
        OpenStored();
        for (const auto& [c, n] : rows)
            AddRow(*DataSet, c, n);
    }
};

} // namespace cdstest
