#include "image_compare.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/dc.h"

namespace pickerctl_test {

namespace {

std::string ReferencePath(const std::string& name) { return std::string(TEST_DATA_DIR) + "/" + name + ".png"; }

bool UpdateRequested()
{
    const char* v = std::getenv("UPDATE_REFERENCE_IMAGES");
    return v && std::string(v) == "1";
}

} // namespace

::testing::AssertionResult MatchesReference(const platform::Bitmap& actual, const std::string& name, int tolerance,
                                            size_t maxDifferent)
{
    const std::string path = ReferencePath(name);
    if (UpdateRequested()) {
        actual.SavePng(path);
        return ::testing::AssertionSuccess() << "reference " << path << " written";
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        actual.SavePng(name + ".actual.png");
        return ::testing::AssertionFailure() << "no reference image " << path << " (actual saved as " << name
                                             << ".actual.png)";
    }
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const platform::Bitmap expected = platform::Bitmap::FromPng(bytes);
    if (expected.Width() != actual.Width() || expected.Height() != actual.Height()) {
        actual.SavePng(name + ".actual.png");
        return ::testing::AssertionFailure() << name << ": size " << actual.Width() << "x" << actual.Height()
                                             << ", reference " << expected.Width() << "x" << expected.Height();
    }
    const size_t different = actual.CountDifferences(expected, tolerance);
    if (different > maxDifferent) {
        actual.SavePng(name + ".actual.png");
        return ::testing::AssertionFailure() << name << ": " << different << " pixels differ by more than "
                                             << tolerance << " (at most " << maxDifferent << " allowed)";
    }
    return ::testing::AssertionSuccess();
}

platform::Bitmap Crop(const platform::Bitmap& source, const platform::TRect& r)
{
    platform::Bitmap out(r.Width(), r.Height());
    platform::DeviceContext dc(out);
    dc.DrawBitmap(source, {0, 0, r.Width(), r.Height()}, r);
    return out;
}

} // namespace pickerctl_test
