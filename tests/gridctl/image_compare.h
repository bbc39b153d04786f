#pragma once
// Comparing a screenshot with a reference PNG kept in the test data.
#include <string>

#include "platform/bitmap.h"

namespace gridctl_test {

struct TImageComparison {
    bool Matches = false;
    std::string Message;
};

// Compares `actual` with the reference PNG `name` in the test data folder:
// same size, and at most `maxPixels` pixels whose colour differs by more
// than `tolerance` in a channel. A missing reference is written (and
// reported as a mismatch so that a new reference is looked at before it is
// kept); with GRIDCTL_UPDATE_REFERENCES set every reference is rewritten.
TImageComparison CompareWithReference(const platform::Bitmap& actual, const std::string& name, int tolerance = 16,
                                      size_t maxPixels = 40);

} // namespace gridctl_test
