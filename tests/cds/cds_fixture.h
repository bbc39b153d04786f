#pragma once
// Shared pieces of the client dataset tests: the program's stored packet and
// a dataset shaped like the program's (codigo integer, nome string(50)).
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "components/component.h"
#include "core/stream.h"
#include "data/client_dataset.h"
#include "data/field_types.h"

namespace cdstest {

using Bytes = std::vector<uint8_t>;

inline Bytes FromHex(const std::string& hex)
{
    Bytes out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

// The main form's "PersistDataPacket.Data" value: 4-byte length, then the 66-byte packet.
inline Bytes StoredData()
{
    return FromHex("420000009619C05A010000001800000002000000000003000000420006636F6469676F0400010000000000046E6F6D"
                   "6501004900000001000557494454480200020032000000");
}

inline Bytes StoredPacket()
{
    Bytes b = StoredData();
    return Bytes(b.begin() + 4, b.end());
}

// A form-like owner with ClientDataSet1 and its two persistent fields.
struct ProgramDataSet {
    std::unique_ptr<components::TComponent> Form;
    data::TClientDataSet* DataSet;
    data::TIntegerField* Codigo;
    data::TStringField* Nome;

    ProgramDataSet() : Form(std::make_unique<components::TComponent>(nullptr))
    {
        Form->SetName(u"Form1");
        DataSet = new data::TClientDataSet(Form.get());
        DataSet->SetName(u"ClientDataSet1");
        Codigo = new data::TIntegerField(Form.get());
        Codigo->SetName(u"ClientDataSet1codigo");
        Codigo->SetFieldName(u"codigo");
        Codigo->SetDataSet(DataSet);
        Nome = new data::TStringField(Form.get());
        Nome->SetName(u"ClientDataSet1nome");
        Nome->SetFieldName(u"nome");
        Nome->SetSize(50);
        Nome->SetDataSet(DataSet);
    }

    // Receives the stored packet as the form reader hands it over, then opens.
    void OpenStored()
    {
        core::TMemoryStream s(StoredData());
        DataSet->ReadDataPacket(s, true);
        DataSet->Open();
    }
};

// Runs `post`; answers false (and the caller skips) when the engine build
// has no record editing yet.
inline bool EngineEdits(data::TClientDataSet& ds)
{
    try {
        ds.Append();
        ds.FieldByName(u"codigo")->SetAsInteger(0);
        ds.Post();
    } catch (const data::EDBClient& e) {
        if (e.ErrorCode() != 12289)
            throw;
        if (ds.State() != data::TDataSetState::dsBrowse)
            ds.Cancel();
        return false;
    }
    ds.Delete();
    return true;
}

#define REQUIRE_ENGINE_EDITS(ds)                                                                                 \
    if (!cdstest::EngineEdits(ds))                                                                               \
    GTEST_SKIP() << "the engine answers InsertRecord with \"Capability not supported.\" (record editing not built " \
                    "yet)"

} // namespace cdstest
