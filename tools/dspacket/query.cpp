// The query options of `dspacket show`, through TClientDataSet.
#include "query.h"

#include <memory>

#include "components/component.h"
#include "core/exception.h"
#include "core/ustring.h"
#include "data/client_dataset.h"

namespace dspacket {

namespace {

bool StatusSet(const std::string& name, data::TUpdateStatusSet& out) {
  using data::TUpdateStatus;
  if (name == "all") out = {TUpdateStatus::usUnmodified};
  else if (name == "inserted") out = {TUpdateStatus::usInserted};
  else if (name == "modified") out = {TUpdateStatus::usModified};
  else if (name == "deleted") out = {TUpdateStatus::usDeleted};
  else return false;
  return true;
}

}  // namespace

bool ApplyQuery(const std::vector<std::uint8_t>& packet, const ShowQuery& query, Json& out, std::string& error) {
  data::TUpdateStatusSet status;
  if (!query.status.empty() && !StatusSet(query.status, status)) {
    error = "--status must be all, inserted, modified or deleted";
    return false;
  }
  try {
    auto owner = std::make_unique<components::TComponent>(nullptr);
    auto* ds = new data::TClientDataSet(owner.get());
    ds->SetName(u"ClientDataSet1");
    ds->SetDataPacket(packet);
    if (!ds->Active()) ds->Open();
    if (!query.index.empty()) ds->SetIndexFieldNames(core::FromUtf8(query.index));
    if (!query.status.empty()) ds->SetStatusFilter(status);
    if (!query.filter.empty()) {
      ds->SetFilter(core::FromUtf8(query.filter));
      ds->SetFilteredProp(true);
    }
    Json visible = Json::array();
    ds->First();
    while (!ds->Eof()) {
      ds->UpdateCursorPos();
      std::uint32_t recNo = 0;
      ds->DSCursor()->GetRecordNumber(&recNo);
      visible.push_back(recNo - 1);
      ds->Next();
    }
    out["visible"] = visible;
    return true;
  } catch (const core::Exception& e) {
    error = core::ToUtf8(e.Message());
    return false;
  }
}

}  // namespace dspacket
