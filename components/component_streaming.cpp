// TComponent's part in form descriptions: reading and writing its record
// through the reader and writer, and the Left/Top pseudo-properties that
// carry the design position of non-visual components.
#include "components/component.h"
#include "components/filer.h"
#include "components/reader.h"
#include "components/writer.h"

namespace components {

namespace {
int32_t LowHalf(int32_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v) & 0xFFFFu); }
int32_t HighHalf(int32_t v) { return static_cast<int32_t>(static_cast<uint32_t>(v) >> 16); }
int32_t WithLow(int32_t v, int32_t low)
{
    return static_cast<int32_t>((static_cast<uint32_t>(v) & 0xFFFF0000u) | (static_cast<uint32_t>(low) & 0xFFFFu));
}
int32_t WithHigh(int32_t v, int32_t high)
{
    return static_cast<int32_t>((static_cast<uint32_t>(v) & 0xFFFFu) | (static_cast<uint32_t>(high) << 16));
}
} // namespace

void TComponent::ReadState(TReader& reader) { reader.ReadData(this); }

void TComponent::WriteState(TWriter& writer) { writer.WriteData(this); }

void TComponent::DefineProperties(TFiler& filer)
{
    int32_t ancestorInfo = 0;
    if (auto* ancestor = dynamic_cast<TComponent*>(filer.Ancestor()))
        ancestorInfo = ancestor->FDesignInfo;
    filer.DefineProperty(
        u"Left", [this](TReader& r) { FDesignInfo = WithLow(FDesignInfo, r.ReadInteger()); },
        [this](TWriter& w) { w.WriteInteger(LowHalf(FDesignInfo)); },
        LowHalf(FDesignInfo) != LowHalf(ancestorInfo));
    filer.DefineProperty(
        u"Top", [this](TReader& r) { FDesignInfo = WithHigh(FDesignInfo, r.ReadInteger()); },
        [this](TWriter& w) { w.WriteInteger(HighHalf(FDesignInfo)); },
        HighHalf(FDesignInfo) != HighHalf(ancestorInfo));
}

} // namespace components
