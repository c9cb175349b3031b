#include "ui/window_centring.h"

#include <gtest/gtest.h>

namespace {

constexpr ScreenPoint kOrigin{0, 0};
// The setup window's outer size with a common frame: client 679 x 609.
constexpr int kWidth = 687;
constexpr int kHeight = 636;

void ExpectPoint(ScreenPoint actual, int x, int y) {
  EXPECT_EQ(actual.x, x);
  EXPECT_EQ(actual.y, y);
}

TEST(StartCentring, CentresOnTheWorkArea) {
  ExpectPoint(CentredOrigin({0, 0, 1280, 800}, kWidth, kHeight, kOrigin), 296, 82);
  // A work area shortened by a taskbar at the top.
  ExpectPoint(CentredOrigin({0, 40, 1920, 1080}, kWidth, kHeight, kOrigin), 616, 242);
  // A second monitor to the right of the primary one.
  ExpectPoint(CentredOrigin({1920, 0, 3200, 1024}, kWidth, kHeight, kOrigin), 2216, 194);
}

TEST(StartCentring, HalvesTruncateTowardZero) {
  ExpectPoint(CentredOrigin({0, 0, 1001, 801}, 100, 100, kOrigin), 450, 350);
  // One pixel too small: -1 / 2 is 0, not -1; the desktop lies far away, so no clamping.
  ExpectPoint(CentredOrigin({100, 100, 700, 500}, 601, 401, {-5000, -5000}), 100, 100);
  ExpectPoint(CentredOrigin({100, 100, 700, 500}, 603, 403, {-5000, -5000}), 99, 99);
}

TEST(StartCentring, WorkAreaSmallerThanTheWindowKeepsTheCornerOnTheDesktop) {
  ExpectPoint(CentredOrigin({0, 0, 640, 480}, kWidth, kHeight, kOrigin), 0, 0);
  // Only the dimension that does not fit is clamped.
  ExpectPoint(CentredOrigin({0, 0, 1024, 600}, kWidth, kHeight, kOrigin), 168, 0);
}

TEST(StartCentring, MonitorAtNegativeCoordinates) {
  // A monitor left of and above the primary one; the virtual desktop starts at its corner.
  ExpectPoint(CentredOrigin({-1920, -200, 0, 880}, kWidth, kHeight, {-1920, -200}), -1304, 22);
  // Too small there as well: clamped to the desktop's edges, not to 0.
  ExpectPoint(CentredOrigin({-800, -600, -200, -200}, kWidth, kHeight, {-800, -600}), -800, -600);
  // A small monitor whose left edge is not the desktop's: centring may go left of the monitor
  // but not left of the desktop.
  ExpectPoint(CentredOrigin({-640, 0, 0, 480}, kWidth, kHeight, {-1920, 0}), -663, 0);
}

}  // namespace
