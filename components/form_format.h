#pragma once
// The binary form-description format: value tags, the signature, record
// prefixes, and the low-level reader and writer of every value encoding.
// TBinaryReader checks every length it reads against what is left in the
// stream and every nesting against kMaxFormNesting, so a damaged or hostile
// description gives an EReadError, never a large allocation or deep recursion.
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/stream.h"

namespace components {

enum class TValueType : uint8_t {
    vaNull, vaList, vaInt8, vaInt16, vaInt32, vaExtended, vaString, vaIdent, vaFalse, vaTrue, vaBinary, vaSet,
    vaLString, vaNil, vaCollection, vaSingle, vaCurrency, vaDate, vaWString, vaInt64, vaUTF8String, vaDouble
};
constexpr uint8_t kLastValueType = static_cast<uint8_t>(TValueType::vaDouble);

// "vaInt8" etc.; "" for a byte that is no tag.
std::string_view ValueTypeName(TValueType t);
std::optional<TValueType> ValueTypeFromName(std::string_view name);
inline bool IsIntegerTag(TValueType t)
{
    return t == TValueType::vaInt8 || t == TValueType::vaInt16 || t == TValueType::vaInt32;
}

enum class TFilerFlag : uint8_t { ffInherited, ffChildPos, ffInline };
// The flags of a record prefix (bits 0 to 2 of its low four bits).
class TFilerFlags {
public:
    constexpr TFilerFlags() = default;
    constexpr TFilerFlags(std::initializer_list<TFilerFlag> flags) { for (auto f : flags) Include(f); }
    static constexpr TFilerFlags FromBits(uint64_t bits) { TFilerFlags s; s.FBits = static_cast<uint8_t>(bits & 7); return s; }
    constexpr uint64_t Bits() const { return FBits; }
    constexpr bool Contains(TFilerFlag f) const { return (FBits >> static_cast<unsigned>(f)) & 1u; }
    constexpr TFilerFlags& Include(TFilerFlag f) { FBits = static_cast<uint8_t>(FBits | 1u << static_cast<unsigned>(f)); return *this; }
    constexpr bool Empty() const { return FBits == 0; }
    friend constexpr bool operator==(TFilerFlags a, TFilerFlags b) { return a.FBits == b.FBits; }

private:
    uint8_t FBits = 0;
};

inline constexpr uint8_t kFilerSignature[4] = {'T', 'P', 'F', '0'};
// Deepest nesting of records, lists and collections a description may have.
inline constexpr int kMaxFormNesting = 128;

// Message texts of the format.
inline constexpr std::string_view SInvalidImage = "Invalid stream format";
inline constexpr std::string_view SReadError = "Stream read error";
inline constexpr std::string_view SWriteError = "Stream write error";
inline constexpr std::string_view SInvalidPropertyValue = "Invalid property value";

// 80-bit extended precision <-> double. Every double converts exactly
// (denormals, infinities and NaN payloads included). An extended value is
// rounded to the nearest double; one whose magnitude is outside the range of
// double (overflow, or a non-zero value that would become 0) gives nullopt.
void DoubleToExtended(double value, uint8_t out[10]);
std::optional<double> ExtendedToDouble(const uint8_t in[10]);

// The system ANSI code page (Windows-1252) of vaString and vaLString.
std::u16string AnsiToUnicode(std::string_view bytes);
// nullopt when a character has no single-byte form.
std::optional<std::string> UnicodeToAnsi(std::u16string_view text);
// UTF-8 bytes of text, cut at a character boundary to at most maxBytes.
std::string Utf8Cut(std::u16string_view text, size_t maxBytes);
bool HasLoneSurrogate(std::u16string_view text);

class TBinaryReader {
public:
    explicit TBinaryReader(core::TStream& stream, size_t bufSize = 4096);
    // Moves the stream back over the bytes buffered but not consumed.
    ~TBinaryReader();
    TBinaryReader(const TBinaryReader&) = delete;
    TBinaryReader& operator=(const TBinaryReader&) = delete;

    core::TStream& Stream() const { return FStream; }
    // Stream position of the next byte to be consumed.
    int64_t Position() const;
    // Bytes left: buffered plus what the stream still holds.
    int64_t Remaining() const;

    // Raw reading; "Stream read error" when the data ends early.
    void Read(void* buffer, size_t count);
    uint8_t ReadByte();
    uint8_t PeekByte();
    void SkipBytes(int64_t count);
    int16_t ReadInt16Raw();
    int32_t ReadInt32Raw();
    int64_t ReadInt64Raw();
    // A 4-byte length checked against Remaining() ("Stream read error" when larger).
    uint32_t ReadLength(uint64_t unitSize = 1);

    void ReadSignature(); // "Invalid stream format"
    // The optional record prefix: flags, and the child position when ffChildPos.
    TFilerFlags ReadPrefix(int32_t& childPos);

    // Tag primitives. ReadValue answers the tag byte as it is (it may be no
    // valid tag); NextValue peeks at it.
    TValueType ReadValue();
    TValueType NextValue();
    bool EndOfList();
    // Reads a tag; when it is not t, steps back, skips the value and raises "Invalid property value".
    void CheckValue(TValueType t);
    void ReadListBegin() { CheckValue(TValueType::vaList); }
    void ReadListEnd() { CheckValue(TValueType::vaNull); }

    // Value primitives (tag included); "Invalid property value" when the tag does not fit.
    int32_t ReadInteger();
    int64_t ReadInt64();
    bool ReadBoolean();
    double ReadFloat();  // vaExtended, else as ReadDouble
    double ReadDouble(); // vaDouble, else as ReadInt64
    float ReadSingle();  // vaSingle, else as ReadInt64
    int64_t ReadCurrency(); // amount times 10000
    double ReadDate();
    std::u16string ReadString();
    char16_t ReadChar();
    std::u16string ReadIdent();
    std::vector<std::u16string> ReadSetNames(); // vaSet and its element names
    std::vector<uint8_t> ReadBinary();        // vaBinary: the payload
    std::u16string ReadStr();                  // short string, no tag

    // Payload readers once the tag is known.
    int64_t ReadIntegerPayload(TValueType t);
    double ReadExtendedPayload(); // "Invalid property value" outside double range
    std::u16string ReadStringPayload(TValueType t);

    void SkipValue();
    void SkipProperty();
    void SkipComponent(bool skipHeader);

    // Nesting guard: raises "Invalid stream format" beyond kMaxFormNesting.
    class DepthGuard {
    public:
        explicit DepthGuard(TBinaryReader& r);
        ~DepthGuard() { --FReader.FDepth; }
        DepthGuard(const DepthGuard&) = delete;
        DepthGuard& operator=(const DepthGuard&) = delete;

    private:
        TBinaryReader& FReader;
    };

    [[noreturn]] static void ReadError();
    [[noreturn]] static void PropValueError();

protected:
    void StepBack(); // one byte, within the buffer

private:
    bool Fill();

    core::TStream& FStream;
    std::vector<uint8_t> FBuffer;
    size_t FBufPos = 0;
    size_t FBufEnd = 0;
    int FDepth = 0;
};

class TBinaryWriter {
public:
    explicit TBinaryWriter(core::TStream& stream, size_t bufSize = 4096);
    // Flushes; errors at this point are lost, so call FlushBuffer first.
    ~TBinaryWriter();
    TBinaryWriter(const TBinaryWriter&) = delete;
    TBinaryWriter& operator=(const TBinaryWriter&) = delete;

    core::TStream& Stream() const { return FStream; }
    int64_t Position() const;
    // Raises EWriteError "Stream write error" when the stream refuses bytes.
    void FlushBuffer();
    void Write(const void* buffer, size_t count);
    void WriteByte(uint8_t b) { Write(&b, 1); }
    // Drops what was written from `position` on (a position written by this writer).
    void Rewind(int64_t position);

    void WriteSignature() { Write(kFilerSignature, 4); }
    void WritePrefix(TFilerFlags flags, int32_t childPos);
    // Prefix, class name and name of a record. A class name of 240 bytes or
    // more gets an empty prefix (0xF0), else its length byte would read as one.
    void WriteRecordHeader(TFilerFlags flags, int32_t childPos, std::u16string_view className, std::u16string_view name);
    void WriteValue(TValueType t) { WriteByte(static_cast<uint8_t>(t)); }
    void WriteListBegin() { WriteValue(TValueType::vaList); }
    void WriteListEnd() { WriteValue(TValueType::vaNull); }

    // Smallest tag that holds the value; 64-bit values outside 32 bits as vaInt64.
    void WriteInteger(int64_t value);
    // Exactly the tag given (vaInt8/16/32/64); raises "Invalid property value" when the value does not fit.
    void WriteIntegerAs(TValueType t, int64_t value);
    void WriteBoolean(bool value) { WriteValue(value ? TValueType::vaTrue : TValueType::vaFalse); }
    void WriteFloat(double value); // vaExtended
    void WriteSingle(float value);
    void WriteDouble(double value);
    void WriteCurrency(int64_t scaled);
    void WriteDate(double value);
    // The most compact string encoding (vaString, vaLString, vaUTF8String or vaWString).
    void WriteString(std::u16string_view text);
    // Exactly the tag given; raises "Invalid property value" when the text has no such form.
    void WriteStringAs(TValueType t, std::u16string_view text);
    void WriteStr(std::u16string_view text); // short string, cut to 255 bytes
    void WriteIdent(std::u16string_view ident);
    void WriteSet(const std::vector<std::u16string>& names);
    void WriteBinary(const void* data, size_t size);

private:
    void Put32(uint32_t v);

    core::TStream& FStream;
    std::vector<uint8_t> FBuffer;
    size_t FBufPos = 0;
};

} // namespace components
