// TBinaryReader: buffered reading of the value encodings.
#include <cstring>

#include "components/form_format.h"
#include "core/exception.h"

namespace components {

namespace {
template <class T>
T Narrow(uint64_t bits)
{
    T v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}
} // namespace

void TBinaryReader::ReadError()
{
    throw core::EReadError(SReadError);
}

void TBinaryReader::PropValueError()
{
    throw core::EReadError(SInvalidPropertyValue);
}

TBinaryReader::DepthGuard::DepthGuard(TBinaryReader& r) : FReader(r)
{
    if (++FReader.FDepth > kMaxFormNesting) {
        --FReader.FDepth;
        throw core::EReadError(SInvalidImage);
    }
}

TBinaryReader::TBinaryReader(core::TStream& stream, size_t bufSize) : FStream(stream), FBuffer(bufSize ? bufSize : 1)
{
}

TBinaryReader::~TBinaryReader()
{
    if (FBufEnd > FBufPos) {
        try {
            FStream.Seek(-static_cast<int64_t>(FBufEnd - FBufPos), core::TSeekOrigin::soCurrent);
        } catch (...) { // NOLINT: a destructor must not throw; the stream stays where it is
        }
    }
}

int64_t TBinaryReader::Position() const
{
    return FStream.Position() - static_cast<int64_t>(FBufEnd - FBufPos);
}

int64_t TBinaryReader::Remaining() const
{
    return static_cast<int64_t>(FBufEnd - FBufPos) + FStream.Remaining();
}

bool TBinaryReader::Fill()
{
    FBufPos = 0;
    FBufEnd = FStream.Read(FBuffer.data(), FBuffer.size());
    return FBufEnd > 0;
}

void TBinaryReader::Read(void* buffer, size_t count)
{
    auto* out = static_cast<uint8_t*>(buffer);
    while (count > 0) {
        if (FBufPos == FBufEnd && !Fill())
            ReadError();
        const size_t n = std::min(count, FBufEnd - FBufPos);
        std::memcpy(out, FBuffer.data() + FBufPos, n);
        FBufPos += n;
        out += n;
        count -= n;
    }
}

uint8_t TBinaryReader::ReadByte()
{
    if (FBufPos == FBufEnd && !Fill())
        ReadError();
    return FBuffer[FBufPos++];
}

uint8_t TBinaryReader::PeekByte()
{
    if (FBufPos == FBufEnd && !Fill())
        ReadError();
    return FBuffer[FBufPos];
}

void TBinaryReader::StepBack()
{
    if (FBufPos > 0)
        --FBufPos;
}

void TBinaryReader::SkipBytes(int64_t count)
{
    if (count < 0 || count > Remaining())
        ReadError();
    const auto inBuffer = static_cast<int64_t>(FBufEnd - FBufPos);
    if (count <= inBuffer) {
        FBufPos += static_cast<size_t>(count);
        return;
    }
    FBufPos = FBufEnd = 0;
    FStream.Seek(count - inBuffer, core::TSeekOrigin::soCurrent);
}

int16_t TBinaryReader::ReadInt16Raw()
{
    uint8_t b[2];
    Read(b, 2);
    return Narrow<int16_t>(uint64_t{b[0]} | uint64_t{b[1]} << 8);
}

int32_t TBinaryReader::ReadInt32Raw()
{
    uint8_t b[4];
    Read(b, 4);
    uint64_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | b[i];
    return Narrow<int32_t>(v);
}

int64_t TBinaryReader::ReadInt64Raw()
{
    uint8_t b[8];
    Read(b, 8);
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = (v << 8) | b[i];
    return Narrow<int64_t>(v);
}

uint32_t TBinaryReader::ReadLength(uint64_t unitSize)
{
    const auto n = static_cast<uint32_t>(ReadInt32Raw());
    if (uint64_t{n} * unitSize > static_cast<uint64_t>(Remaining()))
        ReadError();
    return n;
}

void TBinaryReader::ReadSignature()
{
    uint8_t sig[4];
    if (Remaining() < 4)
        throw core::EReadError(SInvalidImage);
    Read(sig, 4);
    if (std::memcmp(sig, kFilerSignature, 4) != 0)
        throw core::EReadError(SInvalidImage);
}

TFilerFlags TBinaryReader::ReadPrefix(int32_t& childPos)
{
    childPos = 0;
    const uint8_t b = PeekByte();
    if ((b & 0xF0) != 0xF0)
        return {};
    ReadByte();
    const auto flags = TFilerFlags::FromBits(b & 0x07);
    if (flags.Contains(TFilerFlag::ffChildPos))
        childPos = ReadInteger();
    return flags;
}

TValueType TBinaryReader::ReadValue()
{
    return static_cast<TValueType>(ReadByte());
}

TValueType TBinaryReader::NextValue()
{
    return static_cast<TValueType>(PeekByte());
}

bool TBinaryReader::EndOfList()
{
    return NextValue() == TValueType::vaNull;
}

void TBinaryReader::CheckValue(TValueType t)
{
    if (ReadValue() != t) {
        StepBack();
        SkipValue();
        PropValueError();
    }
}

int64_t TBinaryReader::ReadIntegerPayload(TValueType t)
{
    switch (t) {
    case TValueType::vaInt8: return static_cast<int8_t>(ReadByte());
    case TValueType::vaInt16: return ReadInt16Raw();
    case TValueType::vaInt32: return ReadInt32Raw();
    case TValueType::vaInt64: return ReadInt64Raw();
    default: PropValueError();
    }
}

double TBinaryReader::ReadExtendedPayload()
{
    uint8_t b[10];
    Read(b, 10);
    const auto v = ExtendedToDouble(b);
    if (!v)
        PropValueError();
    return *v;
}

std::u16string TBinaryReader::ReadStringPayload(TValueType t)
{
    std::string bytes;
    switch (t) {
    case TValueType::vaString:
    case TValueType::vaIdent:
        bytes.resize(ReadByte());
        break;
    case TValueType::vaLString:
    case TValueType::vaUTF8String:
        bytes.resize(ReadLength());
        break;
    case TValueType::vaWString: {
        const uint32_t n = ReadLength(2);
        std::u16string s(n, u'\0');
        for (auto& c : s) {
            uint8_t b[2];
            Read(b, 2);
            c = static_cast<char16_t>(b[0] | b[1] << 8);
        }
        return s;
    }
    default: PropValueError();
    }
    Read(bytes.data(), bytes.size());
    if (t == TValueType::vaString || t == TValueType::vaLString)
        return AnsiToUnicode(bytes);
    return core::FromUtf8(bytes);
}

namespace {
bool IsStringTag(TValueType t)
{
    return t == TValueType::vaString || t == TValueType::vaLString || t == TValueType::vaWString ||
           t == TValueType::vaUTF8String;
}
} // namespace

int32_t TBinaryReader::ReadInteger()
{
    const TValueType t = ReadValue();
    if (!IsIntegerTag(t)) {
        StepBack();
        SkipValue();
        PropValueError();
    }
    return static_cast<int32_t>(ReadIntegerPayload(t));
}

int64_t TBinaryReader::ReadInt64()
{
    if (NextValue() == TValueType::vaInt64) {
        ReadValue();
        return ReadInt64Raw();
    }
    return ReadInteger();
}

bool TBinaryReader::ReadBoolean()
{
    const TValueType t = ReadValue();
    if (t == TValueType::vaTrue || t == TValueType::vaFalse)
        return t == TValueType::vaTrue;
    StepBack();
    SkipValue();
    PropValueError();
}

double TBinaryReader::ReadFloat()
{
    if (NextValue() == TValueType::vaExtended) {
        ReadValue();
        return ReadExtendedPayload();
    }
    return ReadDouble();
}

double TBinaryReader::ReadDouble()
{
    if (NextValue() == TValueType::vaDouble) {
        ReadValue();
        return Narrow<double>(static_cast<uint64_t>(ReadInt64Raw()));
    }
    return static_cast<double>(ReadInt64());
}

float TBinaryReader::ReadSingle()
{
    if (NextValue() == TValueType::vaSingle) {
        ReadValue();
        return Narrow<float>(static_cast<uint32_t>(ReadInt32Raw()));
    }
    return static_cast<float>(ReadInt64());
}

int64_t TBinaryReader::ReadCurrency()
{
    if (NextValue() == TValueType::vaCurrency) {
        ReadValue();
        return ReadInt64Raw();
    }
    const int64_t v = ReadInt64();
    constexpr int64_t kLimit = INT64_MAX / 10000;
    if (v > kLimit || v < -kLimit)
        PropValueError();
    return v * 10000;
}

double TBinaryReader::ReadDate()
{
    if (NextValue() == TValueType::vaDate) {
        ReadValue();
        return Narrow<double>(static_cast<uint64_t>(ReadInt64Raw()));
    }
    return static_cast<double>(ReadInt64());
}

std::u16string TBinaryReader::ReadString()
{
    const TValueType t = ReadValue();
    if (!IsStringTag(t)) {
        StepBack();
        SkipValue();
        PropValueError();
    }
    return ReadStringPayload(t);
}

char16_t TBinaryReader::ReadChar()
{
    const std::u16string s = ReadString();
    if (s.size() > 1)
        PropValueError();
    return s.empty() ? u'\0' : s[0];
}

std::u16string TBinaryReader::ReadIdent()
{
    const auto t = static_cast<TValueType>(static_cast<uint8_t>(ReadValue()) & 0x7F);
    switch (t) {
    case TValueType::vaIdent: return ReadStringPayload(TValueType::vaIdent);
    case TValueType::vaFalse: return u"False";
    case TValueType::vaTrue: return u"True";
    case TValueType::vaNil: return u"nil";
    case TValueType::vaNull: return u"Null";
    default:
        StepBack();
        SkipValue();
        PropValueError();
    }
}

std::vector<std::u16string> TBinaryReader::ReadSetNames()
{
    CheckValue(TValueType::vaSet);
    std::vector<std::u16string> names;
    for (;;) {
        std::u16string name = ReadStr();
        if (name.empty())
            return names;
        names.push_back(std::move(name));
    }
}

std::vector<uint8_t> TBinaryReader::ReadBinary()
{
    CheckValue(TValueType::vaBinary);
    std::vector<uint8_t> bytes(ReadLength());
    Read(bytes.data(), bytes.size());
    return bytes;
}

std::u16string TBinaryReader::ReadStr()
{
    std::string bytes(ReadByte(), '\0');
    Read(bytes.data(), bytes.size());
    return core::FromUtf8(bytes);
}

void TBinaryReader::SkipValue()
{
    const auto t = static_cast<TValueType>(static_cast<uint8_t>(ReadValue()) & 0x7F);
    switch (t) {
    case TValueType::vaNull:
    case TValueType::vaFalse:
    case TValueType::vaTrue:
    case TValueType::vaNil: return;
    case TValueType::vaList: {
        DepthGuard guard(*this);
        while (!EndOfList())
            SkipValue();
        ReadByte();
        return;
    }
    case TValueType::vaInt8: SkipBytes(1); return;
    case TValueType::vaInt16: SkipBytes(2); return;
    case TValueType::vaInt32:
    case TValueType::vaSingle: SkipBytes(4); return;
    case TValueType::vaExtended: SkipBytes(10); return;
    case TValueType::vaCurrency:
    case TValueType::vaDate:
    case TValueType::vaInt64:
    case TValueType::vaDouble: SkipBytes(8); return;
    case TValueType::vaString:
    case TValueType::vaIdent: SkipBytes(ReadByte()); return;
    case TValueType::vaBinary:
    case TValueType::vaLString:
    case TValueType::vaUTF8String: SkipBytes(ReadLength()); return;
    case TValueType::vaWString: SkipBytes(int64_t{2} * ReadLength(2)); return;
    case TValueType::vaSet:
        for (uint8_t n = ReadByte(); n != 0; n = ReadByte())
            SkipBytes(n);
        return;
    case TValueType::vaCollection: {
        DepthGuard guard(*this);
        while (!EndOfList()) {
            if (IsIntegerTag(NextValue()))
                SkipValue();
            CheckValue(TValueType::vaList);
            while (!EndOfList())
                SkipProperty();
            ReadByte();
        }
        ReadByte();
        return;
    }
    }
    PropValueError(); // no such tag
}

void TBinaryReader::SkipProperty()
{
    SkipBytes(ReadByte());
    SkipValue();
}

void TBinaryReader::SkipComponent(bool skipHeader)
{
    DepthGuard guard(*this);
    if (skipHeader) {
        int32_t pos;
        ReadPrefix(pos);
        SkipBytes(ReadByte());
        SkipBytes(ReadByte());
    }
    while (!EndOfList())
        SkipProperty();
    ReadByte();
    while (!EndOfList())
        SkipComponent(true);
    ReadByte();
}

} // namespace components
