// TCustomClientDataSet: construction, the held packet, opening and closing,
// loading and saving, CreateDataSet and EmptyDataSet.
#include "data/client_dataset.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "components/filer.h"
#include "core/ustring.h"
#include "data/field_dataset.h"
#include "engine/collation.h"

namespace data {

using components::TComponentState;
using engine::DSRef;
using engine::IDSBase;

namespace {

std::string FilePath(const std::u16string& name) { return core::ToUtf8(name); }

bool FileExists(const std::u16string& name)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(std::filesystem::path(FilePath(name)), ec);
}

bool EndsWithXml(const std::u16string& name)
{
    return name.size() >= 4 && core::SameText(std::u16string_view(name).substr(name.size() - 4), u".xml");
}

// Clears a flag when the scope ends, however it ends.
struct FlagScope {
    bool& Flag;
    explicit FlagScope(bool& f) : Flag(f) { Flag = true; }
    ~FlagScope() { Flag = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;
};

} // namespace

TCustomClientDataSet::TCustomClientDataSet(components::TComponent* owner)
    : TDataSet(owner),
      FPersistDataPacket(std::make_unique<TPersistDataPacket>(this)),
      FAggregates(std::make_unique<components::TOwnedCollection>(this, components::TCollectionItem::StaticClass())),
      FParams(std::make_unique<components::TOwnedCollection>(this, components::TCollectionItem::StaticClass()))
{
    SetObjectView(true);
}

TCustomClientDataSet::~TCustomClientDataSet()
{
    // Destroying never saves: the data goes with the dataset.
    FSavePacketOnClose = false;
    FFileName.clear();
    Destroying();
    try {
        Close();
    } catch (...) {
        components::HandleException(std::current_exception());
    }
    // Detached here, while this class's operations still exist: the base
    // destructor's detaching would ask the already destroyed part.
    while (DataSourceCount() > 0)
        RemoveDataSource(DataSources(DataSourceCount() - 1));
    if (FDataSetField)
        FDataSetField->DetachNestedDataSet(this);
    FDataSetField = nullptr;
    FSavedPacket.reset();
    FDSCursor = {};
    FDSBase = {};
}

// ------------------------------------------------------------------ engine

DSRef<IDSBase> TCustomClientDataSet::NewTable() const
{
    DSRef<IDSBase> table;
    Check(engine::CreateDSBase(table.put()));
    Check(table->SetProp(engine::dspropANSICODEPAGE, static_cast<std::uintptr_t>(engine::kDefaultCodePage)));
    Check(table->SetProp(engine::dspropUTF8METADATA, 1));
    Check(table->SetProp(engine::dspropUTF8ERRORMSG, 1));
    return table;
}

std::u16string TCustomClientDataSet::EngineMessage(engine::EngineResult status) const
{
    std::string text;
    bool utf8 = false;
    if (FDSBase) {
        char buffer[2049] = {};
        if (FDSBase->GetErrorString(status, buffer) == engine::DBERR_NONE) {
            text = buffer;
            std::uintptr_t flag = 0;
            utf8 = FDSBase->GetProp(engine::dspropUTF8ERRORMSG, &flag) == engine::DBERR_NONE && flag != 0;
        }
    }
    if (text.empty()) {
        const char* m = engine::DBErrorMessage(status);
        text = m ? m : "";
        utf8 = true;
    }
    std::u16string message;
    if (utf8) {
        message = core::FromUtf8(text);
    } else {
        for (char c : text)
            message.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
    }
    const auto first = message.find_first_not_of(u" \t\r\n");
    if (first == std::u16string::npos)
        return core::FromUtf8(fmt::format("Engine error {}", status));
    const auto last = message.find_last_not_of(u" \t\r\n");
    return message.substr(first, last - first + 1);
}

void TCustomClientDataSet::Check(engine::EngineResult status) const
{
    if (status != engine::DBERR_NONE)
        throw EDBClient(EngineMessage(status), status);
}

// ------------------------------------------------------------------ packet

void TCustomClientDataSet::DefineProperties(components::TFiler& filer)
{
    TDataSet::DefineProperties(filer);
    // The dataset's own "Data" is read only; it takes the same content.
    filer.DefineBinaryProperty(u"Data", [this](core::TStream& s) { ReadDataPacket(s, true); }, nullptr, false);
}

void TCustomClientDataSet::ReadDataPacket(core::TStream& stream, bool lengthPrefix)
{
    try {
        int64_t size = stream.Remaining();
        if (lengthPrefix) {
            uint8_t raw[4];
            stream.ReadBuffer(raw, 4);
            const int32_t n = static_cast<int32_t>(uint32_t{raw[0]} | uint32_t{raw[1]} << 8 |
                                                   uint32_t{raw[2]} << 16 | uint32_t{raw[3]} << 24);
            if (n < 1)
                return;
            // A length beyond what the stream holds is damage, not a reason to allocate.
            if (n > stream.Remaining())
                core::Raise<core::EReadError>("Stream read error");
            size = n;
        }
        FSavedPacket.reset();
        std::vector<uint8_t> bytes(static_cast<size_t>(size));
        if (size > 0)
            stream.ReadBuffer(bytes.data(), bytes.size());
        FSavedPacket = std::move(bytes);
    } catch (...) {
        FSavedPacket.reset();
        throw;
    }
}

std::vector<uint8_t> TCustomClientDataSet::SaveDataPacket(TDataPacketFormat format)
{
    std::uintptr_t mode = engine::xmlOFF;
    if (format == TDataPacketFormat::dfXML)
        mode = engine::xmlON;
    else if (format == TDataPacketFormat::dfXMLUTF8)
        mode = engine::xmlUTF8;
    Check(FDSBase->SetProp(engine::dspropXML_STREAMMODE, mode));
    engine::DSPacket packet;
    const engine::EngineResult r = FDSBase->StreamDS(&packet);
    // The stream mode is a one-shot choice: binary again for the next save.
    if (mode != engine::xmlOFF)
        FDSBase->SetProp(engine::dspropXML_STREAMMODE, engine::xmlOFF);
    Check(r);
    return packet;
}

void TCustomClientDataSet::WriteDataPacket(core::TStream& stream, bool lengthPrefix, TDataPacketFormat format)
{
    if (Active())
        CheckBrowseMode();
    std::vector<uint8_t> bytes;
    if (IsCursorOpen())
        bytes = SaveDataPacket(format);
    else if (FSavedPacket)
        bytes = *FSavedPacket;
    else
        return;
    if (lengthPrefix) {
        const auto n = static_cast<uint32_t>(bytes.size());
        const uint8_t raw[4] = {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n >> 16),
                                static_cast<uint8_t>(n >> 24)};
        stream.WriteBuffer(raw, 4);
    }
    if (!bytes.empty())
        stream.WriteBuffer(bytes.data(), bytes.size());
}

std::vector<uint8_t> TCustomClientDataSet::DataPacket()
{
    if (Active()) {
        CheckBrowseMode();
        return SaveDataPacket(TDataPacketFormat::dfBinary);
    }
    return FSavedPacket ? *FSavedPacket : std::vector<uint8_t>{};
}

void TCustomClientDataSet::SetDataPacket(std::vector<uint8_t> packet)
{
    Close();
    FSavedPacket.reset();
    FDSBase = {};
    if (packet.empty())
        return;
    FSavedPacket = std::move(packet);
    Open();
}

void TCustomClientDataSet::LoadFromStream(core::TStream& stream)
{
    Close();
    FDSBase = {};
    ReadDataPacket(stream, false);
    FlagScope opening(FOpeningFile);
    Open();
}

void TCustomClientDataSet::LoadFromFile(const std::u16string& fileName)
{
    const std::u16string name = fileName.empty() ? FFileName : fileName;
    Close();
    FDSBase = {};
    FSavedPacket.reset();
    FSavedPacket = core::LoadFile(FilePath(name));
    FlagScope opening(FOpeningFile);
    Open();
}

void TCustomClientDataSet::SaveToStream(core::TStream& stream, TDataPacketFormat format)
{
    if (!IsCursorOpen() && !FSavedPacket)
        DatabaseError(msg::MissingDataPacket, this);
    WriteDataPacket(stream, false, format);
}

void TCustomClientDataSet::SaveToFile(const std::u16string& fileName, TDataPacketFormat format)
{
    const std::u16string name = fileName.empty() ? FFileName : fileName;
    if (format == TDataPacketFormat::dfBinary && EndsWithXml(name))
        format = TDataPacketFormat::dfXML;
    core::TMemoryStream stream;
    SaveToStream(stream, format);
    // Through a temporary file beside the target: a failed save keeps the previous file.
    core::SaveFileAtomically(FilePath(name), stream.Bytes());
}

// ------------------------------------------------------------------ opening

void TCustomClientDataSet::OpenCursor(bool infoQuery)
{
    FProviderEOF = true;
    FSavePacketOnClose = false;
    if (FDataSetField) {
        OpenNestedTable();
        TDataSet::OpenCursor(infoQuery);
        return;
    }
    if (!FFileName.empty() && !FOpeningFile && FileExists(FFileName)) {
        FDSBase = {};
        FSavedPacket = core::LoadFile(FilePath(FFileName));
    }
    if (!FDSBase) {
        if (!FSavedPacket)
            DatabaseError(msg::MissingDataPacket, this);
        DSRef<IDSBase> table = NewTable();
        engine::EngineResult r =
            table->AppendData(FSavedPacket->data(), FSavedPacket->size(), FProviderEOF ? 1 : 0);
        if (r == engine::DBERR_NONE) {
            // A packet without any field layout (an empty one) is no table.
            engine::DSProps props{};
            if (table->GetProps(&props) != engine::DBERR_NONE || props.iFields <= 0)
                r = engine::DBERR_NOMETADATA;
        }
        if (r != engine::DBERR_NONE) {
            // A packet the engine rejects is dropped: reopening must not retry it.
            FSavedPacket.reset();
            char buffer[2049] = {};
            std::u16string message;
            if (table->GetErrorString(r, buffer) == engine::DBERR_NONE && buffer[0])
                message = core::FromUtf8(buffer);
            else
                message = EngineMessage(r);
            throw EDBClient(message, r);
        }
        FDSBase = std::move(table);
    }
    TDataSet::OpenCursor(infoQuery);
    if (!infoQuery) {
        FSavedPacket.reset();
        FSavePacketOnClose = true;
    }
}

void TCustomClientDataSet::ReadDSOptions()
{
    FDSOptions = {};
    struct Option {
        const char* Name;
        TDataSetOption Value;
    };
    static constexpr Option options[] = {{"DISABLE_EDITS", TDataSetOption::doDisableEdits},
                                         {"DISABLE_INSERTS", TDataSetOption::doDisableInserts},
                                         {"DISABLE_DELETES", TDataSetOption::doDisableDeletes},
                                         {"NO_RESET_CALL", TDataSetOption::doNoResetCall}};
    for (const Option& o : options) {
        char name[engine::DSNAMELEN] = {};
        std::snprintf(name, sizeof name, "%s", o.Name);
        std::uint32_t type = 0, length = 0;
        const void* value = nullptr;
        if (FDSBase->GetOptParameter(0, 0, name, &type, &length, &value) != engine::DBERR_NONE || !value)
            continue;
        bool on = false;
        for (std::uint32_t i = 0; i < length; ++i)
            on = on || static_cast<const uint8_t*>(value)[i] != 0;
        if (on)
            FDSOptions.Include(o.Value);
    }
}

void TCustomClientDataSet::InitBufferPointers(bool readCursorProps)
{
    if (readCursorProps && FDSCursor) {
        engine::DSProps props{};
        Check(FDSCursor->GetCursorProps(&props));
        FRecordSize = props.iRecBufSize;
        SetBookmarkSize(props.iBookMarkSize);
    }
    FRecInfoOfs = FRecordSize + CalcFieldsSize();
    FBookmarkOfs = FRecInfoOfs + static_cast<int>(sizeof(TRecInfo));
    FRecBufSize = FBookmarkOfs + BookmarkSize();
}

void TCustomClientDataSet::InternalOpen()
{
    {
        DSRef<engine::IDSCursor> cursor;
        Check(engine::CreateDSCursor(cursor.put()));
        Check(cursor->InitCursor(FDSBase.get()));
        FDSCursor = std::move(cursor);
    }
    try {
        if (FDataSetField)
            LinkToParent();
    } catch (...) {
        FDSCursor = {};
        throw;
    }
    ReadDSOptions();
    engine::DSProps props{};
    Check(FDSCursor->GetCursorProps(&props));
    FRecordSize = props.iRecBufSize;
    SetBookmarkSize(props.iBookMarkSize);
    FCanModify = props.bReadOnly == 0;
    FieldDefs().SetUpdated(false);
    FieldDefs().Update();
    CreateFields();
    BindFields(true);
    Check(FDSCursor->MoveToBOF());
    Check(FDSBase->SetProp(engine::dspropDISABLESTRINGTRIM, FDisableStringTrim ? 1 : 0));
    if (FReadOnly) {
        Check(FDSBase->SetProp(engine::dspropREADONLY, 1));
        FCanModify = false;
    }
    InitBufferPointers(false);
    try {
        OpenExtras();
    } catch (...) {
        // a stored index or filter that cannot be applied: nothing stays half open
        CloseExtras();
        BindFields(false);
        DestroyFields();
        FDSCursor = {};
        throw;
    }
}

// ------------------------------------------------------------------ closing

void TCustomClientDataSet::CloseCursor()
{
    std::exception_ptr saveError;
    if (!FFileName.empty() && !InState(TComponentState::csDesigning) && FDSCursor && FDSBase &&
        InternalOpenComplete()) {
        std::uintptr_t changed = 1;
        if (FDSBase->GetProp(engine::dspropDATAHASCHANGED, &changed) != engine::DBERR_NONE)
            changed = 1;
        if (changed != 0 || !FileExists(FFileName)) {
            try {
                SaveToFile(FFileName, TDataPacketFormat::dfBinary);
            } catch (...) {
                // The file could not be written: keep the data in memory
                // instead of dropping it with the table, then report.
                saveError = std::current_exception();
            }
        }
    }
    // Whatever happens below, this dataset no longer follows its parent.
    if (FOpenParent) {
        auto& list = FOpenParent->FNestedDataSets;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        FOpenParent = nullptr;
    }
    TDataSet::CloseCursor();
    if (FDSBase && FSavePacketOnClose && (FFileName.empty() || saveError)) {
        try {
            FSavedPacket = SaveDataPacket(TDataPacketFormat::dfBinary);
        } catch (...) {
            if (!saveError)
                saveError = std::current_exception();
        }
    }
    FSavePacketOnClose = false;
    FDSBase = {};
    if (saveError)
        std::rethrow_exception(saveError);
}

void TCustomClientDataSet::InternalClose()
{
    CloseExtras();
    BindFields(false);
    DestroyFields();
    FDSCursor = {};
}

void TCustomClientDataSet::InternalHandleException() { components::HandleException(std::current_exception()); }

// ------------------------------------------------------------------ create / empty

void TCustomClientDataSet::EmptyDataSet()
{
    CheckActive();
    CheckBrowseMode();
    Check(FDSBase->Reset());
    Check(FDSBase->SetProp(engine::dspropDATAHASCHANGED, 1));
    FProviderEOF = true;
    Resync({});
    if (TRecordBuffer b = ActiveBuffer())
        InitRecord(b);
}

void TCustomClientDataSet::SetReadOnly(bool value)
{
    FReadOnly = value;
    if (FDSBase) {
        Check(FDSBase->SetProp(engine::dspropREADONLY, value ? 1 : 0));
        FCanModify = !value;
    }
}

void TCustomClientDataSet::SetDisableStringTrim(bool value)
{
    FDisableStringTrim = value;
    if (FDSBase)
        Check(FDSBase->SetProp(engine::dspropDISABLESTRINGTRIM, value ? 1 : 0));
}

void TCustomClientDataSet::GetChildren(const std::function<void(components::TComponent*)>& proc,
                                       components::TComponent* root)
{
    for (int i = 0; i < Fields().Count(); ++i) {
        TField* f = Fields().Fields(i);
        if (f->Owner() == root && f->LifeCycle() == TFieldLifeCycle::lcPersistent)
            proc(f);
    }
}

// clang-format off
DEFINE_CLASS(TCustomClientDataSet)
END_CLASS

DEFINE_CLASS(TClientDataSet)
    .Property(u"PersistDataPacket", &TClientDataSet::PersistDataPacket, nullptr)
    .Property(u"Aggregates", &TClientDataSet::Aggregates, nullptr)
    .Property(u"AggregatesActive", &TClientDataSet::AggregatesActive, &TClientDataSet::SetAggregatesActive).Default(0)
    .Property(u"DisableStringTrim", &TClientDataSet::DisableStringTrim, &TClientDataSet::SetDisableStringTrim).Default(0)
    .Property(u"DataSetField", &TClientDataSet::DataSetField, &TClientDataSet::SetDataSetField)
    .Property(u"FetchOnDemand", &TClientDataSet::FetchOnDemand, &TClientDataSet::SetFetchOnDemand).Default(1)
    .Property(u"FileName", &TClientDataSet::FileName, &TClientDataSet::SetFileName)
    .Property(u"PacketRecords", &TClientDataSet::PacketRecords, &TClientDataSet::SetPacketRecords).Default(-1)
    .Property(u"Params", &TClientDataSet::Params, nullptr)
    .Property(u"ProviderName", &TClientDataSet::ProviderName, &TClientDataSet::SetProviderName)
    .Property(u"ReadOnly", &TClientDataSet::ReadOnly, &TClientDataSet::SetReadOnly).Default(0)
END_CLASS
// clang-format on

} // namespace data
