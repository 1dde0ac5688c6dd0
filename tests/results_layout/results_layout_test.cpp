// The results window's geometry from the view's request and the display's metrics.

#include "hash/core/results_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace corvane {

namespace {

// A display's metrics as the window measures them; text at the window's DPI.
struct Display {
  int dpi;
  int scrollBar;
  int buttonWidth;
  int buttonGap;
};

ResultsMetrics MetricsAt(const Display& display, int maxCharWidth, int longestLine,
                         int requestHeight) {
  ResultsMetrics m;
  m.requestLeft = 7;
  m.requestTop = 8;
  m.requestHeight = requestHeight;
  m.maxCharWidth = maxCharWidth;
  m.longestLine = longestLine;
  m.dpi = display.dpi;
  m.textDpi = display.dpi;
  m.vScrollWidth = display.scrollBar;
  m.hScrollHeight = display.scrollBar;
  m.buttonWidth = display.buttonWidth;
  m.buttonGap = display.buttonGap;
  m.buttonRowWidth = 3 * display.buttonWidth + 2 * display.buttonGap;
  m.buttonHeight = 23 * display.dpi / 96;
  m.frameHeight = 26 * display.dpi / 96;
  return m;
}

struct Scale {
  Display display;
  // The classic example (M = 16, N = 50, a request of 120) with M and the request grown alike.
  int windowWidth, windowHeight, viewWidth, viewHeight;
  std::vector<int> buttonLeft;
  int buttonGapAbove;
  // The limits: a view for a very long line, for no text, for a very tall request.
  int widest, narrowest, tallest;
};

class ResultsLayoutAtScale : public ::testing::TestWithParam<Scale> {};

TEST_P(ResultsLayoutAtScale, ExampleAndLimitsGrowWithTheDisplay) {
  const Scale& s = GetParam();
  const int dpi = s.display.dpi;
  ResultsLayout example = LayOutResults(MetricsAt(s.display, 16 * dpi / 96, 50, 120 * dpi / 96));
  EXPECT_EQ(example.windowWidth, s.windowWidth);
  EXPECT_EQ(example.windowHeight, s.windowHeight);
  EXPECT_EQ(example.viewLeft, 7);
  EXPECT_EQ(example.viewTop, 8);
  EXPECT_EQ(example.viewWidth, s.viewWidth);
  EXPECT_EQ(example.viewHeight, s.viewHeight);
  EXPECT_EQ(std::vector<int>(example.buttonLeft, example.buttonLeft + 3), s.buttonLeft);
  EXPECT_EQ(example.buttonTop, 8 + s.viewHeight + s.buttonGapAbove);

  EXPECT_EQ(LayOutResults(MetricsAt(s.display, 16, 100000, 14)).viewWidth, s.widest);
  EXPECT_EQ(LayOutResults(MetricsAt(s.display, 16, 0, 14)).viewWidth, s.narrowest);
  ResultsLayout tall = LayOutResults(MetricsAt(s.display, 16, 10, 100000));
  EXPECT_EQ(tall.viewHeight, s.tallest);
  EXPECT_EQ(tall.windowHeight, s.tallest + s.windowHeight - s.viewHeight);
}

INSTANTIATE_TEST_SUITE_P(
    Dpi, ResultsLayoutAtScale,
    ::testing::Values(
        // 96 DPI is the classic geometry to the pixel: 437 x 217, the view 417 x 137.
        Scale{{96, 17, 75, 15}, 437, 217, 417, 137, {91, 181, 271}, 15, 617, 317, 317},
        Scale{{120, 21, 94, 19}, 546, 271, 521, 171, {113, 226, 339}, 19, 771, 396, 396},
        Scale{{144, 26, 113, 23}, 656, 326, 626, 206, {135, 271, 407}, 23, 926, 476, 476},
        Scale{{192, 34, 150, 30}, 874, 434, 834, 274, {182, 362, 542}, 30, 1234, 634, 634}),
    [](const ::testing::TestParamInfo<Scale>& info) {
      return std::to_string(info.param.display.dpi);
    });

TEST(ResultsLayout, LineUnderTheScrollBarGetsTheViewsBorderAsWell) {
  // One long name: a request of one 14-pixel line, a view with a 5-pixel frame.
  // One long name: a request of one 14-pixel line; the view's client shows 9 with the bar.
  ResultsMetrics m = MetricsAt({96, 17, 75, 15}, 16, 111, 14);
  ResultsLayout classic = LayOutResults(m);
  EXPECT_EQ(classic.viewHeight, 14 + 17);
  EXPECT_EQ(classic.linesHeight, 14);
  m.widthShortfall = 105;
  m.heightShortfall = 14 - 9;
  ResultsLayout barred = LayOutResults(m);
  EXPECT_EQ(barred.viewHeight, 14 + 17 + 5);
  EXPECT_EQ(barred.windowHeight, barred.viewHeight + 80);
  EXPECT_EQ(barred.buttonTop, 8 + barred.viewHeight + 15);
  EXPECT_EQ(barred.viewWidth, 617);

  m = MetricsAt({144, 26, 113, 23}, 24, 111, 1000);
  EXPECT_EQ(LayOutResults(m).linesHeight, 450) << "beyond the limit the view scrolls";
  m.heightShortfall = 6;
  EXPECT_EQ(LayOutResults(m).viewHeight, 450 + 26 + 6);
}

TEST(ResultsLayout, ViewThatScrollsSidewaysWidensToItsLinesUpToTheLimit) {
  // The device context's font stays as it is at 96 DPI while the report's grows.
  ResultsMetrics m = MetricsAt({120, 21, 94, 19}, 15, 63, 54);
  EXPECT_EQ(LayOutResults(m).viewWidth, 472 + 21);
  m.widthShortfall = 568 - 466;
  ResultsLayout wider = LayOutResults(m);
  EXPECT_EQ(wider.viewWidth, 472 + 102 + 21);
  EXPECT_EQ(wider.windowWidth, 472 + 102 + 21 + 25);
  EXPECT_EQ(wider.buttonLeft[0], (wider.windowWidth - m.buttonRowWidth) / 2);
  m.widthShortfall = 5000;
  EXPECT_EQ(LayOutResults(m).viewWidth, 750 + 21);
}

TEST(ResultsLayout, CharacterWidthIsTakenToTheWindowsDpi) {
  // The device context measures at 96 DPI while the window is at 144.
  ResultsMetrics m = MetricsAt({144, 26, 113, 23}, 16, 50, 180);
  m.textDpi = 96;
  EXPECT_EQ(LayOutResults(m).viewWidth, 600 + 26);
}

TEST(ResultsLayout, WindowGrowsForItsButtonsOnlyAwayFrom96Dpi) {
  ResultsMetrics m = MetricsAt({192, 34, 150, 30}, 32, 50, 240);
  m.buttonHeight = 50;
  m.frameHeight = 80;
  ResultsLayout layout = LayOutResults(m);
  EXPECT_EQ(layout.buttonTop, 8 + 274 + 30);
  EXPECT_EQ(layout.windowHeight, 80 + layout.buttonTop + 50 + 8);

  m = MetricsAt({96, 17, 75, 15}, 16, 50, 120);
  m.frameHeight = 80;
  EXPECT_EQ(LayOutResults(m).windowHeight, 217) << "96 DPI keeps its classic height";
}

TEST(ResultsLayout, LongestLineIsCountedInBytesWithoutTrailingSpace) {
  auto longest = [](const std::string& text) {
    return LongestLineLength(text.data(), static_cast<int>(text.size()));
  };
  EXPECT_EQ(longest(""), 0);
  EXPECT_EQ(longest(" \r\n\t"), 0);
  EXPECT_EQ(longest("abc\r\nabcdef\r\nab"), 7) << "a CR before its LF is counted";
  EXPECT_EQ(longest("abc\r\nab\r\n\r\n  "), 4);
  EXPECT_EQ(longest("abcdefgh   \r\n"), 8);
}

} // namespace

} // namespace corvane
