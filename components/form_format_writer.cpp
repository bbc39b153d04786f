// TBinaryWriter: buffered writing of the value encodings.
#include <cstring>

#include "components/form_format.h"
#include "core/exception.h"

namespace components {

namespace {
template <class T>
void StoreLE(uint8_t* p, T value)
{
    uint64_t v = 0;
    std::memcpy(&v, &value, sizeof value);
    for (size_t i = 0; i < sizeof value; ++i, v >>= 8)
        p[i] = static_cast<uint8_t>(v);
}

[[noreturn]] void PropValueError()
{
    throw core::EWriteError(SInvalidPropertyValue);
}
} // namespace

TBinaryWriter::TBinaryWriter(core::TStream& stream, size_t bufSize) : FStream(stream), FBuffer(bufSize ? bufSize : 1)
{
}

TBinaryWriter::~TBinaryWriter()
{
    try {
        FlushBuffer();
    } catch (...) { // NOLINT: reported by an explicit FlushBuffer; a destructor must not throw
    }
}

int64_t TBinaryWriter::Position() const
{
    return FStream.Position() + static_cast<int64_t>(FBufPos);
}

void TBinaryWriter::FlushBuffer()
{
    const size_t n = FBufPos;
    FBufPos = 0;
    if (n != 0 && FStream.Write(FBuffer.data(), n) != n)
        throw core::EWriteError(SWriteError);
}

void TBinaryWriter::Write(const void* buffer, size_t count)
{
    const auto* in = static_cast<const uint8_t*>(buffer);
    while (count > 0) {
        if (FBufPos == FBuffer.size())
            FlushBuffer();
        const size_t n = std::min(count, FBuffer.size() - FBufPos);
        std::memcpy(FBuffer.data() + FBufPos, in, n);
        FBufPos += n;
        in += n;
        count -= n;
    }
}

void TBinaryWriter::Rewind(int64_t position)
{
    const int64_t flushed = FStream.Position();
    if (position >= flushed && position <= flushed + static_cast<int64_t>(FBufPos)) {
        FBufPos = static_cast<size_t>(position - flushed);
        return;
    }
    FlushBuffer();
    FStream.Seek(position, core::TSeekOrigin::soBeginning);
    if (auto* m = dynamic_cast<core::TMemoryStream*>(&FStream))
        m->SetSize(static_cast<size_t>(position)); // leave no stale bytes behind
}

void TBinaryWriter::WritePrefix(TFilerFlags flags, int32_t childPos)
{
    if (flags.Empty())
        return;
    WriteByte(static_cast<uint8_t>(0xF0 | (flags.Bits() & 0x0F)));
    if (flags.Contains(TFilerFlag::ffChildPos))
        WriteInteger(childPos);
}

void TBinaryWriter::WriteRecordHeader(TFilerFlags flags, int32_t childPos, std::u16string_view className,
                                      std::u16string_view name)
{
    // A record must not start with a byte that reads as something else: a
    // class-name length of 0xF0 or more reads as a prefix, an empty class
    // name as the end of the list. An empty prefix keeps both apart.
    const size_t length = Utf8Cut(className, 255).size();
    if (flags.Empty() && (length == 0 || length >= 0xF0))
        WriteByte(0xF0);
    WritePrefix(flags, childPos);
    WriteStr(className);
    WriteStr(name);
}

void TBinaryWriter::WriteInteger(int64_t value)
{
    if (value >= INT8_MIN && value <= INT8_MAX)
        WriteIntegerAs(TValueType::vaInt8, value);
    else if (value >= INT16_MIN && value <= INT16_MAX)
        WriteIntegerAs(TValueType::vaInt16, value);
    else if (value >= INT32_MIN && value <= INT32_MAX)
        WriteIntegerAs(TValueType::vaInt32, value);
    else
        WriteIntegerAs(TValueType::vaInt64, value);
}

void TBinaryWriter::WriteIntegerAs(TValueType t, int64_t value)
{
    uint8_t b[9];
    b[0] = static_cast<uint8_t>(t);
    switch (t) {
    case TValueType::vaInt8:
        if (value < INT8_MIN || value > INT8_MAX)
            PropValueError();
        StoreLE(b + 1, static_cast<int8_t>(value));
        Write(b, 2);
        return;
    case TValueType::vaInt16:
        if (value < INT16_MIN || value > INT16_MAX)
            PropValueError();
        StoreLE(b + 1, static_cast<int16_t>(value));
        Write(b, 3);
        return;
    case TValueType::vaInt32:
        if (value < INT32_MIN || value > INT32_MAX)
            PropValueError();
        StoreLE(b + 1, static_cast<int32_t>(value));
        Write(b, 5);
        return;
    case TValueType::vaInt64:
        StoreLE(b + 1, value);
        Write(b, 9);
        return;
    default: PropValueError();
    }
}

void TBinaryWriter::WriteFloat(double value)
{
    uint8_t b[11];
    b[0] = static_cast<uint8_t>(TValueType::vaExtended);
    DoubleToExtended(value, b + 1);
    Write(b, 11);
}

void TBinaryWriter::WriteSingle(float value)
{
    uint8_t b[5];
    b[0] = static_cast<uint8_t>(TValueType::vaSingle);
    StoreLE(b + 1, value);
    Write(b, 5);
}

void TBinaryWriter::WriteDouble(double value)
{
    uint8_t b[9];
    b[0] = static_cast<uint8_t>(TValueType::vaDouble);
    StoreLE(b + 1, value);
    Write(b, 9);
}

void TBinaryWriter::WriteCurrency(int64_t scaled)
{
    uint8_t b[9];
    b[0] = static_cast<uint8_t>(TValueType::vaCurrency);
    StoreLE(b + 1, scaled);
    Write(b, 9);
}

void TBinaryWriter::WriteDate(double value)
{
    uint8_t b[9];
    b[0] = static_cast<uint8_t>(TValueType::vaDate);
    StoreLE(b + 1, value);
    Write(b, 9);
}

void TBinaryWriter::WriteString(std::u16string_view text)
{
    if (!HasLoneSurrogate(text)) {
        const std::string utf8 = core::ToUtf8(text);
        if (utf8.size() < 2 * text.size()) {
            bool ascii = true;
            for (char c : utf8)
                ascii = ascii && (static_cast<uint8_t>(c) & 0x80) == 0;
            if (!ascii)
                WriteStringAs(TValueType::vaUTF8String, text);
            else
                WriteStringAs(utf8.size() <= 255 ? TValueType::vaString : TValueType::vaLString, text);
            return;
        }
    }
    WriteStringAs(TValueType::vaWString, text);
}

void TBinaryWriter::WriteStringAs(TValueType t, std::u16string_view text)
{
    std::string bytes;
    switch (t) {
    case TValueType::vaString:
    case TValueType::vaLString: {
        auto ansi = UnicodeToAnsi(text);
        if (!ansi || (t == TValueType::vaString && ansi->size() > 255))
            PropValueError();
        bytes = std::move(*ansi);
        break;
    }
    case TValueType::vaUTF8String:
        if (HasLoneSurrogate(text))
            PropValueError(); // UTF-8 cannot carry it
        bytes = core::ToUtf8(text);
        break;
    case TValueType::vaWString: {
        if (text.size() > UINT32_MAX / 2)
            PropValueError();
        WriteValue(t);
        Put32(static_cast<uint32_t>(text.size()));
        for (char16_t c : text) {
            const uint8_t b[2] = {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8)};
            Write(b, 2);
        }
        return;
    }
    default: PropValueError();
    }
    if (bytes.size() > UINT32_MAX)
        PropValueError();
    WriteValue(t);
    if (t == TValueType::vaString)
        WriteByte(static_cast<uint8_t>(bytes.size()));
    else
        Put32(static_cast<uint32_t>(bytes.size()));
    Write(bytes.data(), bytes.size());
}

void TBinaryWriter::Put32(uint32_t v)
{
    uint8_t b[4];
    StoreLE(b, v);
    Write(b, 4);
}

void TBinaryWriter::WriteStr(std::u16string_view text)
{
    const std::string bytes = Utf8Cut(text, 255);
    WriteByte(static_cast<uint8_t>(bytes.size()));
    Write(bytes.data(), bytes.size());
}

void TBinaryWriter::WriteIdent(std::u16string_view ident)
{
    if (core::SameText(ident, u"False"))
        WriteValue(TValueType::vaFalse);
    else if (core::SameText(ident, u"True"))
        WriteValue(TValueType::vaTrue);
    else if (core::SameText(ident, u"Null"))
        WriteValue(TValueType::vaNull);
    else if (core::SameText(ident, u"nil"))
        WriteValue(TValueType::vaNil);
    else {
        WriteValue(TValueType::vaIdent);
        WriteStr(ident);
    }
}

void TBinaryWriter::WriteSet(const std::vector<std::u16string>& names)
{
    WriteValue(TValueType::vaSet);
    for (const auto& n : names)
        if (!n.empty())
            WriteStr(n);
    WriteByte(0);
}

void TBinaryWriter::WriteBinary(const void* data, size_t size)
{
    if (size > UINT32_MAX)
        throw core::EWriteError(SWriteError);
    WriteValue(TValueType::vaBinary);
    Put32(static_cast<uint32_t>(size));
    Write(data, size);
}

} // namespace components
