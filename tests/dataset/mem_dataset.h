#pragma once
// TMemDataSet: a small dataset over a std::vector of records, for tests and
// benchmarks of the dataset layer. Each record is one block of bytes: per
// column a null flag followed by the column's stored value. Blob, variant
// and interface columns store a 4-byte number into a side store of values.
#include <algorithm>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "data/dataset.h"
#include "data/field_interface.h"

namespace memds {

using namespace data;

// An ftADT column is followed by its Size children (columns of their own);
// an ftArray column by its Size elements, all of the first element's kind.
struct Column {
    std::u16string Name;
    TFieldType Type;
    int Size = 0;
    bool Required = false;
};

struct Row {
    int32_t Id;
    std::vector<uint8_t> Data;
};

inline int StoredSize(TFieldType t, int size)
{
    switch (t) {
    case TFieldType::ftString:
    case TFieldType::ftFixedChar: return size + 1;
    case TFieldType::ftSmallint:
    case TFieldType::ftWord:
    case TFieldType::ftBoolean: return 2;
    case TFieldType::ftShortint:
    case TFieldType::ftByte: return 1;
    case TFieldType::ftFloat:
    case TFieldType::ftLargeint: return 8;
    default: return 4;
    }
}

class TMemDataSet : public TDataSet {
public:
    explicit TMemDataSet(components::TComponent* owner, std::vector<Column> columns = {})
        : TDataSet(owner), FColumns(std::move(columns))
    {
        Layout();
    }
    ~TMemDataSet() override
    {
        Destroying();
        Close();
    }

    // --- test data ---
    // Appends a row with an integer in column 0 and a text in column 1 (if present).
    void AddIntRow(int32_t value, const std::string& text = {})
    {
        Row r{FNextId++, std::vector<uint8_t>(static_cast<size_t>(FRecordSize), 0)};
        if (!FColumns.empty())
            PutInt(r, 0, value);
        if (FColumns.size() > 1 && FColumns[1].Type == TFieldType::ftString)
            PutText(r, 1, text);
        FRows.push_back(std::move(r));
    }
    void FillInts(int count)
    {
        FRows.reserve(FRows.size() + static_cast<size_t>(count));
        for (int i = 1; i <= count; ++i)
            AddIntRow(i);
    }
    const std::vector<Row>& Rows() const { return FRows; }
    // Removes rows behind the dataset's back (as another cursor would).
    void EraseRows(size_t from, size_t count)
    {
        FRows.erase(FRows.begin() + static_cast<long>(from), FRows.begin() + static_cast<long>(from + count));
        FPos = std::min(FPos, static_cast<int>(FRows.size()));
    }
    int32_t RowInt(size_t row, int col = 0) const
    {
        int32_t v;
        std::memcpy(&v, FRows[row].Data.data() + FOffsets[static_cast<size_t>(col)] + 1, 4);
        return v;
    }
    bool RowIsNull(size_t row, int col) const { return FRows[row].Data[FOffsets[static_cast<size_t>(col)]] == 0; }
    std::string RowText(size_t row, int col) const
    {
        const auto* p = reinterpret_cast<const char*>(FRows[row].Data.data() + FOffsets[static_cast<size_t>(col)] + 1);
        return std::string(p, ::strnlen(p, static_cast<size_t>(FColumns[static_cast<size_t>(col)].Size)));
    }

    // Failure injection.
    bool FailInternalOpen = false;
    int FailFetchAfter = -1;   // raise on the fetch after this many successful ones (-1: never)
    bool FailPost = false;
    int Fetches = 0;

    // --- record access ---
    TRecordBuffer AllocRecordBuffer() override { return new uint8_t[static_cast<size_t>(BufSize())](); }
    void FreeRecordBuffer(TRecordBuffer& buffer) override
    {
        delete[] buffer;
        buffer = nullptr;
    }
    int GetRecordSize() const override { return FRecordSize; }

    TGetResult GetRecord(TRecordBuffer buffer, TGetMode mode, bool doCheck) override
    {
        if (FailFetchAfter >= 0 && Fetches >= FailFetchAfter) {
            if (doCheck)
                data::DatabaseError(u"Fetch failed");
            return TGetResult::grError;
        }
        const int n = static_cast<int>(FRows.size());
        // A cursor whose record vanished stands between its neighbours.
        const bool lost = FLost;
        if (mode != TGetMode::gmCurrent)
            FLost = false;
        switch (mode) {
        case TGetMode::gmNext:
            if (FPos < n && !lost)
                ++FPos;
            if (FPos >= n) {
                FPos = n;
                return TGetResult::grEOF;
            }
            break;
        case TGetMode::gmPrior:
            if (FPos >= 0)
                --FPos;
            if (FPos < 0) {
                FPos = -1;
                return TGetResult::grBOF;
            }
            break;
        case TGetMode::gmCurrent:
            if (lost)
                return TGetResult::grError;
            if (FPos < 0)
                return TGetResult::grBOF;
            if (FPos >= n)
                return TGetResult::grEOF;
            break;
        }
        ++Fetches;
        const Row& r = FRows[static_cast<size_t>(FPos)];
        std::memcpy(buffer, &r.Id, 4);
        std::memcpy(buffer + 4, &FPos, 4);
        buffer[8] = static_cast<uint8_t>(TBookmarkFlag::bfCurrent);
        std::memcpy(buffer + kHeader, r.Data.data(), static_cast<size_t>(FRecordSize));
        GetCalcFields(buffer);
        return TGetResult::grOK;
    }

    void InternalFirst() override
    {
        FPos = -1;
        FLost = false;
    }
    void InternalLast() override
    {
        FPos = static_cast<int>(FRows.size());
        FLost = false;
    }
    void InternalSetToRecord(TRecordBuffer buffer) override
    {
        int32_t id, hint;
        std::memcpy(&id, buffer, 4);
        std::memcpy(&hint, buffer + 4, 4);
        const int i = IndexOfId(id, hint);
        FLost = i < 0;
        if (i >= 0) {
            FPos = i;
        } else {
            FPos = 0;
            while (FPos < static_cast<int>(FRows.size()) && FRows[static_cast<size_t>(FPos)].Id < id)
                ++FPos;
        }
    }
    TBookmarkFlag GetBookmarkFlag(TRecordBuffer buffer) const override
    {
        return static_cast<TBookmarkFlag>(buffer[8]);
    }
    void SetBookmarkFlag(TRecordBuffer buffer, TBookmarkFlag flag) override
    {
        buffer[8] = static_cast<uint8_t>(flag);
    }
    void GetBookmarkData(TRecordBuffer buffer, uint8_t* bookmark) const override { std::memcpy(bookmark, buffer, 4); }
    void SetBookmarkData(TRecordBuffer buffer, const uint8_t* bookmark) override
    {
        std::memcpy(buffer, bookmark, 4);
        const int32_t noHint = -1;
        std::memcpy(buffer + 4, &noHint, 4);
    }
    void InternalGotoBookmark(const TBookmark& b) override
    {
        int32_t id = -1;
        if (b.size() >= 4)
            std::memcpy(&id, b.data(), 4);
        const int i = IndexOfId(id, -1);
        FLost = false;
        FPos = i >= 0 ? i : static_cast<int>(FRows.size());
    }
    void InternalInitRecord(TRecordBuffer buffer) override
    {
        std::memset(buffer, 0, static_cast<size_t>(BufSize()));
        const int32_t none = -1;
        std::memcpy(buffer, &none, 4);
        std::memcpy(buffer + 4, &none, 4);
    }
    void InternalPost() override
    {
        TDataSet::InternalPost();
        if (FailPost)
            data::DatabaseError(u"Post failed");
        TRecordBuffer buffer = ActiveBuffer();
        if (State() == TDataSetState::dsEdit) {
            FRows[static_cast<size_t>(FPos)].Data.assign(buffer + kHeader, buffer + kHeader + FRecordSize);
            return;
        }
        const bool append = GetBookmarkFlag(buffer) == TBookmarkFlag::bfEOF;
        InsertRow(buffer, append);
    }
    void InternalAddRecord(TRecordBuffer buffer, bool append) override { InsertRow(buffer, append); }
    void InternalDelete() override
    {
        if (FPos >= 0 && FPos < static_cast<int>(FRows.size()))
            FRows.erase(FRows.begin() + FPos);
    }
    void InternalClose() override
    {
        BindFields(false);
        DestroyFields();
        FOpen = false;
    }
    void InternalHandleException() override {}
    void InternalInitFieldDefs() override
    {
        FieldDefs().Clear();
        for (size_t col = 0; col < FColumns.size();)
            AddDefs(FieldDefs(), col);
    }
    void InternalOpen() override
    {
        if (FailInternalOpen)
            data::DatabaseError(u"Cannot open");
        InternalInitFieldDefs();
        if (DefaultFields())
            CreateFields();
        BindFields(true);
        SetBookmarkSize(4);
        FPos = -1;
        FOpen = true;
    }
    bool IsCursorOpen() const override { return FOpen; }

    bool GetFieldData(TField* field, void* buffer, bool) override
    {
        TRecordBuffer rec = RecordBufferForState();
        const int col = field->FieldNo() - 1;
        if (!rec || col < 0 || col >= static_cast<int>(FColumns.size()))
            return false;
        const uint8_t* p = rec + kHeader + FOffsets[static_cast<size_t>(col)];
        if (!p[0])
            return false;
        const TFieldType type = FColumns[static_cast<size_t>(col)].Type;
        if (buffer && type == TFieldType::ftVariant)
            *static_cast<core::Variant*>(buffer) = FVariants[StoredId(p) - 1];
        else if (buffer && type == TFieldType::ftInterface)
            *static_cast<TInterfaceValue*>(buffer) = FInterfaces[StoredId(p) - 1];
        else if (buffer)
            std::memcpy(buffer, p + 1, static_cast<size_t>(FSizes[static_cast<size_t>(col)]));
        return true;
    }
    void SetFieldData(TField* field, const void* buffer, bool) override
    {
        if (!dsEditModes.Contains(State()) && State() != TDataSetState::dsCalcFields)
            data::DatabaseError(data::msg::NotEditing, this);
        TRecordBuffer rec = RecordBufferForState();
        const int col = field->FieldNo() - 1;
        if (!rec || col < 0 || col >= static_cast<int>(FColumns.size()))
            return;
        field->Validate(buffer);
        uint8_t* p = rec + kHeader + FOffsets[static_cast<size_t>(col)];
        p[0] = buffer ? 1 : 0;
        const size_t size = static_cast<size_t>(FSizes[static_cast<size_t>(col)]);
        const TFieldType type = FColumns[static_cast<size_t>(col)].Type;
        if (buffer && type == TFieldType::ftVariant) {
            FVariants.push_back(*static_cast<const core::Variant*>(buffer));
            PutId(p, FVariants.size());
        } else if (buffer && type == TFieldType::ftInterface) {
            FInterfaces.push_back(*static_cast<const TInterfaceValue*>(buffer));
            PutId(p, FInterfaces.size());
        } else if (buffer) {
            std::memcpy(p + 1, buffer, size);
        } else {
            std::memset(p + 1, 0, size);
        }
        DataEvent(TDataEvent::deFieldChange, reinterpret_cast<intptr_t>(field));
    }

    std::unique_ptr<TDataSetBlobStream> CreateBlobStream(TField* field, TBlobStreamMode mode) override
    {
        const int col = field ? field->FieldNo() - 1 : -1;
        if (col < 0 || col >= static_cast<int>(FColumns.size()) || field->DataSet() != this)
            return nullptr;
        // Values live in the side store; a write adds a new one and points the
        // record buffer (still the one being edited) at it.
        auto stream = std::make_unique<TDataSetBlobStream>(field, mode);
        TMemDataSet* self = this;
        const TRecordBuffer rec = RecordBufferForState();
        const size_t offset = kHeader + FOffsets[static_cast<size_t>(col)];
        stream->Open(
            [self, rec, offset](core::Bytes& value) {
                if (!rec || !rec[offset])
                    return false;
                value = self->FBlobs[StoredId(rec + offset) - 1];
                return true;
            },
            [self, rec, offset](const core::Bytes* value) {
                if (!rec || rec != self->ActiveBuffer())
                    data::DatabaseError(data::msg::NotEditing, self);
                rec[offset] = value ? 1 : 0;
                if (value) {
                    self->FBlobs.push_back(*value);
                    PutId(rec + offset, self->FBlobs.size());
                } else {
                    std::memset(rec + offset + 1, 0, 4);
                }
            });
        return stream;
    }
    // Blob values written so far (the side store only grows).
    size_t BlobCount() const { return FBlobs.size(); }
    const core::Bytes& RowBlob(size_t row, int col) const
    {
        static const core::Bytes none;
        const uint8_t* p = FRows[row].Data.data() + FOffsets[static_cast<size_t>(col)];
        return p[0] ? FBlobs[StoredId(p) - 1] : none;
    }

    int GetRecordCount() const override { return static_cast<int>(FRows.size()); }
    int GetRecNo() const override
    {
        TRecordBuffer b = ActiveBuffer();
        if (!b || IsEmpty() || GetBookmarkFlag(b) != TBookmarkFlag::bfCurrent)
            return -1;
        int32_t id, hint;
        std::memcpy(&id, b, 4);
        std::memcpy(&hint, b + 4, 4);
        return IndexOfId(id, hint) + 1;
    }
    bool BookmarkValid(const TBookmark& b) override
    {
        int32_t id = -1;
        if (b.size() >= 4)
            std::memcpy(&id, b.data(), 4);
        return FOpen && IndexOfId(id, -1) >= 0;
    }
    int CompareBookmarks(const TBookmark& a, const TBookmark& b) override
    {
        if (a.empty() || b.empty())
            return a.empty() == b.empty() ? 0 : (a.empty() ? 1 : -1);
        int32_t ia, ib;
        std::memcpy(&ia, a.data(), 4);
        std::memcpy(&ib, b.data(), 4);
        const int pa = IndexOfId(ia, -1), pb = IndexOfId(ib, -1);
        return pa < pb ? -1 : (pa > pb ? 1 : 0);
    }

private:
    static constexpr int kHeader = 9; // id, index hint, bookmark flag

    // The definition of column `col` (with its children), advancing `col` past them.
    void AddDefs(TFieldDefs& defs, size_t& col)
    {
        const Column& c = FColumns[col++];
        const bool sized = c.Type == TFieldType::ftString || c.Type == TFieldType::ftADT || c.Type == TFieldType::ftArray;
        TFieldDef* def = defs.Add(c.Name, c.Type, sized ? c.Size : 0, c.Required);
        if (c.Type == TFieldType::ftADT) {
            for (int k = 0; k < c.Size && col < FColumns.size(); ++k)
                AddDefs(*def->ChildDefs(), col);
        } else if (c.Type == TFieldType::ftArray && c.Size > 0 && col < FColumns.size()) {
            AddDefs(*def->ChildDefs(), col);
            col += static_cast<size_t>(c.Size - 1);
        }
    }

    static size_t StoredId(const uint8_t* p)
    {
        uint32_t id;
        std::memcpy(&id, p + 1, 4);
        return id;
    }
    static void PutId(uint8_t* p, size_t id)
    {
        const auto v = static_cast<uint32_t>(id);
        std::memcpy(p + 1, &v, 4);
    }

    int BufSize() const { return kHeader + FRecordSize; }
    void Layout()
    {
        FRecordSize = 0;
        for (const Column& c : FColumns) {
            FOffsets.push_back(FRecordSize);
            FSizes.push_back(StoredSize(c.Type, c.Size));
            FRecordSize += 1 + FSizes.back();
        }
    }
    void PutInt(Row& r, int col, int32_t v)
    {
        uint8_t* p = r.Data.data() + FOffsets[static_cast<size_t>(col)];
        p[0] = 1;
        std::memcpy(p + 1, &v, static_cast<size_t>(std::min(4, FSizes[static_cast<size_t>(col)])));
    }
    void PutText(Row& r, int col, const std::string& text)
    {
        uint8_t* p = r.Data.data() + FOffsets[static_cast<size_t>(col)];
        p[0] = 1;
        const size_t n = std::min(text.size(), static_cast<size_t>(FColumns[static_cast<size_t>(col)].Size));
        std::memcpy(p + 1, text.data(), n);
    }
    int IndexOfId(int32_t id, int32_t hint) const
    {
        if (hint >= 0 && hint < static_cast<int>(FRows.size()) && FRows[static_cast<size_t>(hint)].Id == id)
            return hint;
        for (size_t i = 0; i < FRows.size(); ++i)
            if (FRows[i].Id == id)
                return static_cast<int>(i);
        return -1;
    }
    void InsertRow(TRecordBuffer buffer, bool append)
    {
        Row r{FNextId++, std::vector<uint8_t>(buffer + kHeader, buffer + kHeader + FRecordSize)};
        int at = append ? static_cast<int>(FRows.size()) : std::clamp(FPos, 0, static_cast<int>(FRows.size()));
        FRows.insert(FRows.begin() + at, std::move(r));
        FPos = at;
    }
    TRecordBuffer RecordBufferForState() const
    {
        switch (State()) {
        case TDataSetState::dsCalcFields:
        case TDataSetState::dsInternalCalc: return CalcBuffer();
        case TDataSetState::dsBrowse:
        case TDataSetState::dsBlockRead:
        case TDataSetState::dsOldValue:
        case TDataSetState::dsCurValue:
            return IsEmpty() ? nullptr : ActiveBuffer();
        case TDataSetState::dsEdit:
        case TDataSetState::dsInsert:
        case TDataSetState::dsNewValue: return ActiveBuffer();
        default: return nullptr;
        }
    }

    std::vector<Column> FColumns;
    std::vector<int> FOffsets, FSizes;
    int FRecordSize = 0;
    std::vector<Row> FRows;
    std::vector<core::Bytes> FBlobs;
    std::vector<core::Variant> FVariants;
    std::vector<TInterfaceValue> FInterfaces;
    int32_t FNextId = 1;
    int FPos = -1;
    bool FLost = false;
    bool FOpen = false;
};

} // namespace memds
