#include "components/form_format_tree.h"

#include <bit>
#include <cstring>

#include "core/exception.h"

namespace components {

namespace {

std::vector<TRawProp> ReadRawProps(TBinaryReader& reader)
{
    std::vector<TRawProp> props;
    while (!reader.EndOfList()) {
        TRawProp p;
        p.Path = reader.ReadStr();
        p.Value = ReadRawValue(reader);
        props.push_back(std::move(p));
    }
    reader.ReadByte();
    return props;
}

void WriteRawProps(TBinaryWriter& writer, const std::vector<TRawProp>& props)
{
    for (const auto& p : props) {
        writer.WriteStr(p.Path);
        WriteRawValue(writer, p.Value);
    }
    writer.WriteListEnd();
}

} // namespace

TRawValue ReadRawValue(TBinaryReader& reader)
{
    TRawValue v;
    const auto raw = static_cast<uint8_t>(reader.ReadValue());
    // Bit 7 of a tag carries no meaning (the reader ignores it where it skips values).
    v.Type = static_cast<TValueType>(raw & 0x7F);
    switch (v.Type) {
    case TValueType::vaNull:
    case TValueType::vaFalse:
    case TValueType::vaTrue:
    case TValueType::vaNil: break;
    case TValueType::vaList: {
        TBinaryReader::DepthGuard guard(reader);
        while (!reader.EndOfList()) {
            // 0x80 would be a Null element, which the list's end marker cannot tell apart once written.
            if (reader.PeekByte() == 0x80)
                TBinaryReader::PropValueError();
            v.List.push_back(ReadRawValue(reader));
        }
        reader.ReadByte();
        break;
    }
    case TValueType::vaInt8:
    case TValueType::vaInt16:
    case TValueType::vaInt32:
    case TValueType::vaInt64:
    case TValueType::vaCurrency: v.Int = reader.ReadIntegerPayload(v.Type == TValueType::vaCurrency ? TValueType::vaInt64 : v.Type); break;
    case TValueType::vaExtended: v.Float = reader.ReadExtendedPayload(); break;
    case TValueType::vaSingle: {
        const auto bits = static_cast<uint32_t>(reader.ReadInt32Raw());
        v.Float = std::bit_cast<float>(bits);
        break;
    }
    case TValueType::vaDate:
    case TValueType::vaDouble: v.Float = std::bit_cast<double>(reader.ReadInt64Raw()); break;
    case TValueType::vaString:
    case TValueType::vaIdent:
    case TValueType::vaLString:
    case TValueType::vaWString:
    case TValueType::vaUTF8String: v.Str = reader.ReadStringPayload(v.Type); break;
    case TValueType::vaBinary:
        v.Bytes.resize(reader.ReadLength());
        reader.Read(v.Bytes.data(), v.Bytes.size());
        break;
    case TValueType::vaSet:
        for (std::u16string n = reader.ReadStr(); !n.empty(); n = reader.ReadStr())
            v.Names.push_back(std::move(n));
        break;
    case TValueType::vaCollection: {
        TBinaryReader::DepthGuard guard(reader);
        while (!reader.EndOfList()) {
            TRawItem item;
            if (IsIntegerTag(reader.NextValue())) {
                item.HasIndex = true;
                item.Index = ReadRawValue(reader);
            }
            reader.CheckValue(TValueType::vaList);
            item.Props = ReadRawProps(reader);
            v.Items.push_back(std::move(item));
        }
        reader.ReadByte();
        break;
    }
    default: TBinaryReader::PropValueError();
    }
    return v;
}

TRawComponent ReadRawComponent(TBinaryReader& reader)
{
    TBinaryReader::DepthGuard guard(reader);
    TRawComponent c;
    int32_t pos = 0;
    c.Flags = reader.ReadPrefix(pos);
    if (c.Flags.Contains(TFilerFlag::ffChildPos)) {
        c.ChildPos.Type = pos >= INT8_MIN && pos <= INT8_MAX     ? TValueType::vaInt8
                          : pos >= INT16_MIN && pos <= INT16_MAX ? TValueType::vaInt16
                                                                 : TValueType::vaInt32;
        c.ChildPos.Int = pos;
    }
    c.ClassName = reader.ReadStr();
    c.Name = reader.ReadStr();
    c.Props = ReadRawProps(reader);
    while (!reader.EndOfList())
        c.Children.push_back(ReadRawComponent(reader));
    reader.ReadByte();
    return c;
}

TRawComponent ReadRawTree(TBinaryReader& reader)
{
    reader.ReadSignature();
    return ReadRawComponent(reader);
}

void WriteRawValue(TBinaryWriter& writer, const TRawValue& v)
{
    switch (v.Type) {
    case TValueType::vaNull:
    case TValueType::vaFalse:
    case TValueType::vaTrue:
    case TValueType::vaNil: writer.WriteValue(v.Type); return;
    case TValueType::vaList:
        writer.WriteListBegin();
        for (const auto& e : v.List)
            WriteRawValue(writer, e);
        writer.WriteListEnd();
        return;
    case TValueType::vaInt8:
    case TValueType::vaInt16:
    case TValueType::vaInt32:
    case TValueType::vaInt64: writer.WriteIntegerAs(v.Type, v.Int); return;
    case TValueType::vaCurrency: writer.WriteCurrency(v.Int); return;
    case TValueType::vaExtended: writer.WriteFloat(v.Float); return;
    case TValueType::vaSingle: writer.WriteSingle(static_cast<float>(v.Float)); return;
    case TValueType::vaDate: writer.WriteDate(v.Float); return;
    case TValueType::vaDouble: writer.WriteDouble(v.Float); return;
    case TValueType::vaString:
    case TValueType::vaLString:
    case TValueType::vaWString:
    case TValueType::vaUTF8String: writer.WriteStringAs(v.Type, v.Str); return;
    case TValueType::vaIdent:
        writer.WriteValue(TValueType::vaIdent);
        writer.WriteStr(v.Str);
        return;
    case TValueType::vaBinary: writer.WriteBinary(v.Bytes.data(), v.Bytes.size()); return;
    case TValueType::vaSet: writer.WriteSet(v.Names); return;
    case TValueType::vaCollection:
        writer.WriteValue(TValueType::vaCollection);
        for (const auto& item : v.Items) {
            if (item.HasIndex)
                WriteRawValue(writer, item.Index);
            writer.WriteListBegin();
            WriteRawProps(writer, item.Props);
        }
        writer.WriteListEnd();
        return;
    }
    throw core::EWriteError(SInvalidPropertyValue);
}

void WriteRawComponent(TBinaryWriter& writer, const TRawComponent& c)
{
    writer.WriteRecordHeader(c.Flags, static_cast<int32_t>(c.ChildPos.Int), c.ClassName, c.Name);
    WriteRawProps(writer, c.Props);
    for (const auto& child : c.Children)
        WriteRawComponent(writer, child);
    writer.WriteListEnd();
}

void WriteRawTree(TBinaryWriter& writer, const TRawComponent& root)
{
    writer.WriteSignature();
    WriteRawComponent(writer, root);
}

std::vector<uint8_t> RawTreeToBytes(const TRawComponent& root)
{
    core::TMemoryStream out;
    {
        TBinaryWriter writer(out);
        WriteRawTree(writer, root);
        writer.FlushBuffer();
    }
    return std::move(out.Bytes());
}

} // namespace components
