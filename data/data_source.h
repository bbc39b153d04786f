#pragma once
// TDataSource stands between one dataset and any number of data-aware
// controls; TDataLink is the observer a control owns and attaches to a
// source. The dataset's events reach the links as calls of fixed virtual
// callbacks, and each link keeps its own view of the dataset's record window.
#include <cstdint>
#include <vector>

#include "components/component.h"
#include "core/closure.h"
#include "data/db_types.h"

namespace data {

class TDataSet;
class TDataLink;
class TField;

using TNotifyEvent = core::Closure<void(components::TObject*)>;
using TDataChangeEvent = core::Closure<void(components::TObject*, TField*)>;

class TDataSource : public components::TComponent {
    DECLARE_CLASS(TDataSource, components::TComponent)
public:
    explicit TDataSource(components::TComponent* owner);
    ~TDataSource() override;

    TDataSet* DataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* value);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool value);
    bool AutoEdit() const { return FAutoEdit; }
    void SetAutoEdit(bool value) { FAutoEdit = value; }
    TDataSetState State() const { return FState; }

    void Edit();
    bool IsLinkedTo(TDataSet* dataSet) const;
    int DataLinkCount() const { return static_cast<int>(FDataLinks.size()); }
    TDataLink* DataLinks(int index) const;

    TNotifyEvent OnStateChange;
    TDataChangeEvent OnDataChange;
    TNotifyEvent OnUpdateData;

    // Used by links and by the dataset.
    void AddDataLink(TDataLink* link);
    void RemoveDataLink(TDataLink* link);
    void DataEvent(TDataEvent event, intptr_t info);
    void UpdateState();

private:
    friend class TDataSet;
    void SetState(TDataSetState value);
    void NotifyLinks(TDataEvent event, intptr_t info);
    bool IsLinkAttached(const TDataLink* link) const;

    TDataSet* FDataSet = nullptr;
    std::vector<TDataLink*> FDataLinks;
    bool FEnabled = true;
    bool FAutoEdit = true;
    TDataSetState FState = TDataSetState::dsInactive;
    bool FDestroying = false;
};

class TDataLink : public components::TPersistent {
    DECLARE_CLASS(TDataLink, components::TPersistent)
public:
    TDataLink();
    ~TDataLink() override;
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* value);
    TDataSet* DataSet() const;
    bool Active() const { return FActive; }
    bool Editing() const { return FEditing; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool value);
    bool VisualControl() const { return FVisualControl; }
    void SetVisualControl(bool value) { FVisualControl = value; }
    bool DataSourceFixed() const { return FDataSourceFixed; }
    void SetDataSourceFixed(bool value) { FDataSourceFixed = value; }
    // Index in the dataset's window of the link's first row.
    int FirstRecord() const { return FFirstRecord; }

    int BufferCount() const { return GetBufferCount(); }
    int ActiveRecord() const { return GetActiveRecord(); }
    int RecordCount() const { return GetRecordCount(); }
    // BOF and EOF of the dataset (EOF is a macro name in C++).
    bool Bof() const { return GetBOF(); }
    bool Eof() const { return GetEOF(); }

    bool Edit();
    void UpdateRecord();

    // Virtual operations, in slot order.
    virtual void ActiveChanged() {}
    virtual void CheckBrowseMode() {}
    virtual void DataEvent(TDataEvent event, intptr_t info);
    virtual void DataSetChanged();
    virtual void DataSetScrolled(int distance);
    virtual void EditingChanged() {}
    virtual void FocusControl(TField** fieldRef);
    virtual int GetActiveRecord() const;
    virtual bool GetBOF() const;
    virtual int GetBufferCount() const { return FBufferCount; }
    virtual bool GetEOF() const;
    virtual int GetRecordCount() const;
    virtual void LayoutChanged();
    virtual int MoveBy(int distance);
    virtual void RecordChanged(TField*) {}
    virtual void SetActiveRecord(int value);
    virtual void SetBufferCount(int value);
    virtual void UpdateData() {}

private:
    friend class TDataSet;
    friend class TDataSource;
    void UpdateState();
    void SetActive(bool value);
    void SetEditing(bool value);
    void UpdateRange();

    TDataSource* FDataSource = nullptr;
    TDataLink* FNext = nullptr;
    int FBufferCount = 1;
    int FFirstRecord = 0;
    bool FReadOnly = false;
    bool FActive = false;
    bool FVisualControl = false;
    bool FEditing = false;
    bool FUpdating = false;
    bool FDataSourceFixed = false;
};

// A link for controls that show and edit one field.
class TFieldDataLink : public TDataLink {
    DECLARE_CLASS(TFieldDataLink, TDataLink)
public:
    TFieldDataLink() = default;

    const std::u16string& FieldName() const { return FFieldName; }
    void SetFieldName(const std::u16string& value);
    TField* Field() const { return FField; }
    bool CanModify() const;
    bool Modified() const { return FModified; }
    void SetModified() { FModified = true; }
    void Reset();
    core::Closure<void(TFieldDataLink*)> OnDataChange, OnEditingChange, OnUpdateData, OnActiveChange;

protected:
    void ActiveChanged() override;
    void DataEvent(TDataEvent event, intptr_t info) override;
    void EditingChanged() override;
    void FocusControl(TField** fieldRef) override;
    void LayoutChanged() override;
    void RecordChanged(TField* field) override;
    void UpdateData() override;

private:
    void UpdateField();
    void SetField(TField* value);

    TField* FField = nullptr;
    std::u16string FFieldName;
    bool FModified = false;
};

} // namespace data
