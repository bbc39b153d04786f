#pragma once
// Records every event of a dataset, of a data source and of data links as
// short strings, in the order they happen.
#include <string>
#include <vector>

#include <fmt/format.h>

#include "data/data_source.h"
#include "data/dataset.h"

namespace memds {

inline const char* EventName(data::TDataEvent e)
{
    static const char* names[] = {"deFieldChange", "deRecordChange", "deDataSetChange", "deDataSetScroll",
                                  "deLayoutChange", "deUpdateRecord", "deUpdateState", "deCheckBrowseMode",
                                  "dePropertyChange", "deFieldListChange", "deFocusControl", "deParentScroll",
                                  "deConnectChange", "deReconcileError", "deDisabledStateChange"};
    return names[static_cast<int>(e)];
}

using Log = std::vector<std::string>;

// A link that logs the data events it receives ("link:<event>", scroll
// events with their distance) and the distance of DataSetScrolled.
class TRecLink : public data::TDataLink {
public:
    explicit TRecLink(Log* log, std::string name = "link") : FLog(log), FName(std::move(name)) {}
    void DataEvent(data::TDataEvent event, intptr_t info) override
    {
        if (FLog && event != data::TDataEvent::deFieldChange) {
            if (event == data::TDataEvent::deDataSetScroll || event == data::TDataEvent::deDisabledStateChange)
                FLog->push_back(fmt::format("{}:{}({})", FName, EventName(event), info));
            else
                FLog->push_back(fmt::format("{}:{}", FName, EventName(event)));
        } else if (FLog) {
            FLog->push_back(FName + ":deFieldChange");
        }
        data::TDataLink::DataEvent(event, info);
    }
    void DataSetScrolled(int distance) override
    {
        Scrolled.push_back(distance);
        data::TDataLink::DataSetScrolled(distance);
    }
    void UpdateData() override { ++UpdateDataCalls; }
    std::vector<int> Scrolled;
    int UpdateDataCalls = 0;

private:
    Log* FLog;
    std::string FName;
};

// Attaches a logging handler to every event of the dataset and the source.
inline void Record(Log& log, data::TDataSet& ds, data::TDataSource* src = nullptr)
{
    auto ev = [&log, &ds](const char* name) {
        return data::TDataSetNotifyEvent::Bind(&ds, [&log, name](data::TDataSet*) { log.push_back(name); });
    };
    ds.BeforeOpen = ev("BeforeOpen");
    ds.AfterOpen = ev("AfterOpen");
    ds.BeforeClose = ev("BeforeClose");
    ds.AfterClose = ev("AfterClose");
    ds.BeforeInsert = ev("BeforeInsert");
    ds.AfterInsert = ev("AfterInsert");
    ds.BeforeEdit = ev("BeforeEdit");
    ds.AfterEdit = ev("AfterEdit");
    ds.BeforePost = ev("BeforePost");
    ds.AfterPost = ev("AfterPost");
    ds.BeforeCancel = ev("BeforeCancel");
    ds.AfterCancel = ev("AfterCancel");
    ds.BeforeDelete = ev("BeforeDelete");
    ds.AfterDelete = ev("AfterDelete");
    ds.BeforeScroll = ev("BeforeScroll");
    ds.AfterScroll = ev("AfterScroll");
    ds.BeforeRefresh = ev("BeforeRefresh");
    ds.AfterRefresh = ev("AfterRefresh");
    ds.OnNewRecord = ev("OnNewRecord");
    if (src) {
        src->OnStateChange = data::TNotifyEvent::Bind(src, [&log](components::TObject*) {
            log.push_back("OnStateChange");
        });
        src->OnDataChange = data::TDataChangeEvent::Bind(src, [&log](components::TObject*, data::TField* f) {
            log.push_back(f ? "OnDataChange(" + core::ToUtf8(f->FieldName()) + ")" : "OnDataChange(nil)");
        });
        src->OnUpdateData = data::TNotifyEvent::Bind(src, [&log](components::TObject*) {
            log.push_back("OnUpdateData");
        });
    }
}

} // namespace memds
