// Twips to pixels at a screen's logical DPI, and back.
#include <gtest/gtest.h>

#include "app/ui/twips.h"

namespace csv2sql::testing {
namespace {

struct TwipCase {
  const char* name;
  double dpi;
  int twips;
  int pixels;
};

class TwipsToPixels : public ::testing::TestWithParam<TwipCase> {};

TEST_P(TwipsToPixels, ScaleWithTheLogicalDpiAndRoundToTheNearestPixel) {
  EXPECT_EQ(TwipScale(GetParam().dpi).pixels(GetParam().twips), GetParam().pixels);
}

INSTANTIATE_TEST_SUITE_P(Edges, TwipsToPixels,
                         ::testing::Values(TwipCase{"fifteen_to_the_pixel_at_96", 96, 14130, 942},
                                           TwipCase{"a_fraction_rounds_up", 96, 1600, 107},
                                           TwipCase{"a_fraction_rounds_down", 96, 280, 19},
                                           TwipCase{"zero", 96, 0, 0},
                                           TwipCase{"negative", 96, -150, -10},
                                           TwipCase{"ten_to_the_pixel_at_144", 144, 14130, 1413},
                                           TwipCase{"an_inch_at_120", 120, 1440, 120},
                                           TwipCase{"largest_place", 96, 2147483647, 143165576}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TwipScale, ConvertsAGeometryPartByPart) {
  EXPECT_EQ(TwipScale(96).pixels(Geometry{1600, 280, 615, 285}), QRect(107, 19, 41, 19));
}

TEST(TwipScale, ConvertsPixelsBackToTwipsExactly) {
  EXPECT_DOUBLE_EQ(TwipScale(96).twips(942), 14130.0);
  EXPECT_DOUBLE_EQ(TwipScale(144).twips(1), 10.0);
  EXPECT_DOUBLE_EQ(TwipScale(120).twips(7), 84.0);
}

}  // namespace
}  // namespace csv2sql::testing
