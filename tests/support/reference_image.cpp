#include "support/reference_image.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

namespace test_support {

namespace {

bool UpdateRequested()
{
    const char* v = std::getenv("UPDATE_REFERENCE_IMAGES");
    return v && std::string(v) == "1";
}

::testing::AssertionResult Mismatch(const platform::Bitmap& actual, const std::string& name)
{
    actual.SavePng(name + ".actual.png");
    return ::testing::AssertionFailure() << "(actual image saved as " << name << ".actual.png) ";
}

} // namespace

::testing::AssertionResult MatchesReferenceIn(const std::string& dataDir, const platform::Bitmap& actual,
                                              const std::string& name, int tolerance, size_t maxDifferent)
{
    const std::string path = dataDir + "/" + name + ".png";
    if (UpdateRequested()) {
        actual.SavePng(path);
        return ::testing::AssertionSuccess() << "reference " << path << " written";
    }
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return Mismatch(actual, name) << "no reference image " << path;
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const platform::Bitmap expected = platform::Bitmap::FromPng(bytes);
    if (expected.Width() != actual.Width() || expected.Height() != actual.Height())
        return Mismatch(actual, name) << name << ": size " << actual.Width() << "x" << actual.Height()
                                      << ", reference " << expected.Width() << "x" << expected.Height();
    const size_t different = actual.CountDifferences(expected, tolerance);
    if (different > maxDifferent)
        return Mismatch(actual, name) << name << ": " << different << " pixels differ by more than " << tolerance
                                      << " (at most " << maxDifferent << " allowed)";
    return ::testing::AssertionSuccess();
}

} // namespace test_support
