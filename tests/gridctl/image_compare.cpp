#include "image_compare.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace gridctl_test {

TImageComparison CompareWithReference(const platform::Bitmap& actual, const std::string& name, int tolerance,
                                      size_t maxPixels)
{
    const std::filesystem::path ref = std::filesystem::path(TEST_DATA_DIR) / name;
    const std::filesystem::path out = std::filesystem::temp_directory_path() / ("gridctl_" + name);
    actual.SavePng(out.string());
    if (std::getenv("GRIDCTL_UPDATE_REFERENCES") || !std::filesystem::exists(ref)) {
        const bool existed = std::filesystem::exists(ref);
        actual.SavePng(ref.string());
        if (!existed)
            return {false, "reference " + ref.string() + " was missing and has been written; look at it"};
        return {true, ""};
    }
    std::ifstream in(ref, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const platform::Bitmap expected = platform::Bitmap::FromPng(bytes);
    if (expected.Width() != actual.Width() || expected.Height() != actual.Height())
        return {false, "size " + std::to_string(actual.Width()) + "x" + std::to_string(actual.Height()) +
                           " differs from the reference's " + std::to_string(expected.Width()) + "x" +
                           std::to_string(expected.Height()) + " (actual image: " + out.string() + ")"};
    const size_t diff = expected.CountDifferences(actual, tolerance);
    if (diff > maxPixels)
        return {false, std::to_string(diff) + " pixels differ from " + ref.string() + " (actual image: " +
                           out.string() + ")"};
    return {true, ""};
}

} // namespace gridctl_test
