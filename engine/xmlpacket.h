// The XML form of a data packet: conversion between a binary packet and its
// XML document. The writer and StreamDS build the binary packet as always and
// render it as XML in an XML stream mode; AppendData hands a packet without
// the binary magic to XmlToPacket and reads the result like any packet.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/dsintf.h"

namespace engine {

// True for the stream modes the engine writes: xmlOFF, xmlON and xmlUTF8.
bool XmlModeSupported(std::int32_t mode) noexcept;

// Renders a binary packet as an XML document (mode xmlON or xmlUTF8). 8-bit
// text is taken to be in the given code page. 16400 for a type with no XML
// form, 16401 for a value that was never fetched, 10756 for a column named
// "RowState".
EngineResult PacketToXml(const std::uint8_t* packet, std::size_t size, std::int32_t mode, std::int32_t codePage,
                         DSPacket* out) noexcept;

// Parses an XML document into a binary packet. A document without an
// encoding declaration is read in the given code page.
EngineResult XmlToPacket(const std::uint8_t* xml, std::size_t size, std::int32_t codePage, DSPacket* out) noexcept;

// Largest XML document the reader takes, and the deepest nesting of tables.
constexpr std::size_t kMaxXmlDocument = std::size_t{1} << 30;

}  // namespace engine
