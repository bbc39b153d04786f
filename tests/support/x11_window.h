#pragma once
// Reads a window's pixels back from the X server (0x00RRGGBB per pixel).
#include <cstdint>
#include <vector>

namespace platform::test {
bool GrabX11Window(unsigned long window, int width, int height, std::vector<uint32_t>& pixels);
}
