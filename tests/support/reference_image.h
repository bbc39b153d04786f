#pragma once
// Reference images for headless screenshots: a bitmap matches its reference
// PNG (kept in a test's data folder) when both have the same size and only a
// few pixels differ by more than a small colour tolerance. A missing or
// different reference fails the check and leaves the actual image in the
// working directory ("<name>.actual.png"); with the environment variable
// UPDATE_REFERENCE_IMAGES=1 the references are (re)written instead.
#include <string>

#include <gtest/gtest.h>

#include "platform/bitmap.h"

namespace test_support {

::testing::AssertionResult MatchesReferenceIn(const std::string& dataDir, const platform::Bitmap& actual,
                                              const std::string& name, int tolerance, size_t maxDifferent);

#ifdef TEST_DATA_DIR
// The reference `name`.png of the calling test program's data folder.
inline ::testing::AssertionResult MatchesReference(const platform::Bitmap& actual, const std::string& name,
                                                   int tolerance = 24, size_t maxDifferent = 8)
{
    return MatchesReferenceIn(TEST_DATA_DIR, actual, name, tolerance, maxDifferent);
}
#endif

} // namespace test_support
