#pragma once
// TPersistDataPacket: the client dataset's sub-object that carries its data
// packet in a form description as the binary property "Data" (a 4-byte
// little-endian length, then the packet).
#include <functional>

#include "components/persistent.h"
#include "core/stream.h"

namespace data {

class TCustomClientDataSet;

class TPersistDataPacket : public components::TPersistent {
    DECLARE_CLASS(TPersistDataPacket, components::TPersistent)
public:
    explicit TPersistDataPacket(TCustomClientDataSet* dataSet = nullptr) : FDataSet(dataSet) {}

    TCustomClientDataSet* DataSet() const { return FDataSet; }
    components::TPersistent* GetOwner() const override;

protected:
    void DefineProperties(components::TFiler& filer) override;

private:
    TCustomClientDataSet* FDataSet;
};

} // namespace data
