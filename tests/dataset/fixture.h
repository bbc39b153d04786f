#pragma once
// A form-like owner with the client table's layout: codigo (integer) and
// nome (string of 50), a data source and one recording link.
#include <memory>

#include <gtest/gtest.h>

#include "data/field_types.h"
#include "mem_dataset.h"
#include "recorder.h"

namespace memds {

inline std::vector<Column> TableColumns()
{
    return {{u"codigo", TFieldType::ftInteger, 0}, {u"nome", TFieldType::ftString, 50}};
}

struct Table {
    explicit Table(int rows = 0, int linkBuffers = 1, bool persistentFields = true)
    {
        owner = std::make_unique<components::TComponent>(nullptr);
        ds = new TMemDataSet(owner.get(), TableColumns());
        ds->SetName(u"ClientDataSet1");
        if (persistentFields) {
            codigo = new TIntegerField(owner.get());
            codigo->SetName(u"ClientDataSet1codigo");
            codigo->SetFieldName(u"codigo");
            codigo->SetDataSet(ds);
            nome = new TStringField(owner.get());
            nome->SetName(u"ClientDataSet1nome");
            nome->SetFieldName(u"nome");
            nome->SetSize(50);
            nome->SetDataSet(ds);
        }
        src = new data::TDataSource(owner.get());
        src->SetName(u"DataSource1");
        src->SetDataSet(ds);
        link = std::make_unique<TRecLink>(&log);
        link->SetBufferCount(linkBuffers);
        link->SetDataSource(src);
        ds->FillInts(rows);
    }
    ~Table()
    {
        link.reset();
        owner.reset();
    }
    void Open()
    {
        ds->Open();
        if (!codigo)
            codigo = dynamic_cast<TIntegerField*>(ds->FieldByName(u"codigo"));
        if (!nome)
            nome = dynamic_cast<TStringField*>(ds->FieldByName(u"nome"));
    }
    int Current() const { return ds->FieldByName(u"codigo")->AsInteger(); }

    Log log;
    std::unique_ptr<components::TComponent> owner;
    TMemDataSet* ds = nullptr;
    TIntegerField* codigo = nullptr;
    TStringField* nome = nullptr;
    data::TDataSource* src = nullptr;
    std::unique_ptr<TRecLink> link;
};

} // namespace memds
