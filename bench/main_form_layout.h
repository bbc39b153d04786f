#pragma once
// The main form's table layout (codigo int32, nome string of 50) described
// through a packet writer, for the engine benchmarks.
#include <cstdint>
#include <cstring>

#include "engine/dsintf.h"

namespace bench_layout {

inline void DescribeMainFormTable(engine::IDSWriter& w)
{
    using namespace engine;
    w.Init_Sequential(1, 2);
    TDSDataPacketFldDesc d{};
    std::strcpy(d.szFieldName, "codigo");
    d.iFieldType = 0x00010004;
    w.AddColumnDesc(&d);
    std::strcpy(d.szFieldName, "nome");
    d.iFieldType = 0x00490001;
    w.AddColumnDesc(&d);
    const std::uint8_t width[2] = {50, 0};
    w.AddAttribute(fldAttrArea, "WIDTH", 0x00020002, 2, width);
    w.AddAttribute(pcktAttrArea, nullptr, 0, 0, nullptr);
}

} // namespace bench_layout
