#include "data/persist_data_packet.h"

#include "components/filer.h"
#include "data/client_dataset.h"

namespace data {

components::TPersistent* TPersistDataPacket::GetOwner() const { return FDataSet; }

void TPersistDataPacket::DefineProperties(components::TFiler& filer)
{
    TPersistent::DefineProperties(filer);
    TCustomClientDataSet* ds = FDataSet;
    if (!ds)
        return;
    filer.DefineBinaryProperty(
        u"Data", [ds](core::TStream& s) { ds->ReadDataPacket(s, true); },
        [ds](core::TStream& s) { ds->WriteDataPacket(s, true); }, ds->Active() && ds->HasDataPacket());
}

// clang-format off
DEFINE_CLASS(TPersistDataPacket)
END_CLASS
// clang-format on

} // namespace data
