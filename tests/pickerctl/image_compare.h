#pragma once
// Reference images for the headless screenshots: a bitmap matches its
// reference PNG (kept in the test's data folder) when both have the same size
// and only a few pixels differ by more than a small colour tolerance. A
// missing or different reference fails the check and leaves the actual image
// next to the test program ("<name>.actual.png"); with the environment
// variable UPDATE_REFERENCE_IMAGES=1 the references are (re)written instead.
#include <gtest/gtest.h>

#include <string>

#include "platform/bitmap.h"
#include "platform/types.h"

namespace pickerctl_test {

::testing::AssertionResult MatchesReference(const platform::Bitmap& actual, const std::string& name,
                                            int tolerance = 24, size_t maxDifferent = 8);

// The part `r` of `source` as a bitmap of its own.
platform::Bitmap Crop(const platform::Bitmap& source, const platform::TRect& r);

} // namespace pickerctl_test
