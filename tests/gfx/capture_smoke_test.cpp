// The read-back itself: a square drawn at the top-left shows at the top-left.
#include <gtest/gtest.h>

#include "fake_platform.h"
#include "glcapture.h"
#include "gfx/primitives.h"

namespace {

TEST(Capture, TopLeftIsTopLeft) {
    gl::openWindow(400, 500);
    square(5, 5, 14, 14, 1.0f, 0.0f, 0.0f, 1.0f);
    gl::Frame f = gl::readBack();
    ASSERT_EQ(f.width, 400);
    ASSERT_EQ(f.height, 500);
    // Unit cells straddle pixel centres, so a 10 x 10 square is 100 pixels
    // near the corner, give or take the rasteriser's edge rule.
    auto red = [](gl::Rgb p) { return p.r == 255; };
    EXPECT_EQ(f.count(0, 0, 399, 499, red), 100);
    EXPECT_EQ(f.count(4, 4, 15, 15, red), 100);

    gl::openWindow(200, 250);
    square(390, 490, 400, 500, 0.0f, 1.0f, 0.0f, 1.0f);
    f = gl::readBack();
    ASSERT_EQ(f.width, 200);
    // Half size: the 11 x 11 square at the bottom-right is about 5 x 5 pixels there.
    auto green = [](gl::Rgb p) { return p.g == 255; };
    EXPECT_GE(f.count(194, 244, 199, 249, green), 25);
    EXPECT_EQ(f.count(0, 0, 193, 243, green), 0);
}

}  // namespace
