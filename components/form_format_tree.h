#pragma once
// A form description as a plain tree of records and tagged values, read and
// written without any class registry: what tools show and repair.
#include <string>
#include <vector>

#include "components/form_format.h"

namespace components {

struct TRawProp;
struct TRawItem;

struct TRawValue {
    TValueType Type = TValueType::vaNull;
    int64_t Int = 0;                   // integer tags; vaCurrency: the amount times 10000
    double Float = 0;                  // vaExtended, vaSingle, vaDate, vaDouble
    std::u16string Str;                // string tags and vaIdent
    std::vector<uint8_t> Bytes;        // vaBinary
    std::vector<std::u16string> Names; // vaSet
    std::vector<TRawValue> List;       // vaList
    std::vector<TRawItem> Items;       // vaCollection
};

struct TRawProp {
    std::u16string Path;
    TRawValue Value;
};

struct TRawItem {
    bool HasIndex = false;
    TRawValue Index; // an integer value when HasIndex
    std::vector<TRawProp> Props;
};

struct TRawComponent {
    TFilerFlags Flags;
    TRawValue ChildPos; // an integer value when Flags has ffChildPos
    std::u16string ClassName;
    std::u16string Name;
    std::vector<TRawProp> Props;
    std::vector<TRawComponent> Children;
};

// Reads one value (tag included), honouring kMaxFormNesting.
TRawValue ReadRawValue(TBinaryReader& reader);
TRawComponent ReadRawComponent(TBinaryReader& reader);
// Signature and root record.
TRawComponent ReadRawTree(TBinaryReader& reader);

// Writes values with exactly the tags they carry.
void WriteRawValue(TBinaryWriter& writer, const TRawValue& value);
void WriteRawComponent(TBinaryWriter& writer, const TRawComponent& component);
void WriteRawTree(TBinaryWriter& writer, const TRawComponent& root);

std::vector<uint8_t> RawTreeToBytes(const TRawComponent& root);

} // namespace components
