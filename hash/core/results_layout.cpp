#include "hash/core/results_layout.h"

#include <algorithm>
#include <cstdint>

namespace corvane {

namespace {

// The classic geometry, in pixels at 96 DPI.
constexpr int kMinViewWidth = 300;
constexpr int kMaxViewWidth = 600;
constexpr int kMaxViewHeight = 300;
constexpr int kExtraWidth = 20;
constexpr int kExtraHeight = 80;
constexpr int kButtonGap = 15;

bool IsTrailingSpace(char ch) {
  return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

} // namespace

int ScaleToDpi(int pixels, int dpi) {
  if (dpi == kDefaultDpi || dpi <= 0) {
    return pixels;
  }
  return static_cast<int>((static_cast<int64_t>(pixels) * dpi + kDefaultDpi / 2) / kDefaultDpi);
}

int LongestLineLength(const char* text, int length) {
  while (length > 0 && IsTrailingSpace(text[length - 1])) {
    --length;
  }
  // One pass: a long report cannot afford measuring the rest of the text for every line.
  int longest = 0;
  int lineStart = 0;
  for (int i = 0; i <= length; ++i) {
    if (i == length || text[i] == '\n') {
      longest = std::max(longest, i - lineStart);
      lineStart = i + 1;
    }
  }
  return longest;
}

ResultsLayout LayOutResults(const ResultsMetrics& m) {
  const int dpi = m.dpi > 0 ? m.dpi : kDefaultDpi;
  const int textDpi = m.textDpi > 0 ? m.textDpi : dpi;
  // 64-bit: a very long line must clamp to the widest view, not wrap around. The character width
  // comes at the device context's DPI, which need not be the window's.
  const int64_t wide = static_cast<int64_t>(m.maxCharWidth) * m.longestLine * dpi / (2 * textDpi);
  const int maxWidth = ScaleToDpi(kMaxViewWidth, dpi);
  int width = wide > maxWidth ? maxWidth : static_cast<int>(wide);
  width = std::max(width, ScaleToDpi(kMinViewWidth, dpi));
  // The estimate falls short where the report's font grows with the DPI and the device context's
  // does not.
  if (m.widthShortfall > 0) {
    width = std::max(width, std::min(maxWidth, width + m.widthShortfall));
  }
  const int linesHeight = std::min(m.requestHeight, ScaleToDpi(kMaxViewHeight, dpi));
  int height = linesHeight;
  width += m.vScrollWidth;
  height += m.hScrollHeight;
  // The bar's height alone leaves the view's border to be taken from the last line.
  height += std::max(0, m.heightShortfall);

  ResultsLayout layout;
  layout.windowWidth = width + ScaleToDpi(kExtraWidth, dpi);
  layout.windowHeight = height + ScaleToDpi(kExtraHeight, dpi);
  layout.viewLeft = m.requestLeft;
  layout.viewTop = m.requestTop;
  layout.viewWidth = width;
  layout.viewHeight = height;
  layout.linesHeight = linesHeight;
  // Centred on the outer width, not the client width.
  const int x = (layout.windowWidth - m.buttonRowWidth) / 2;
  const int step = m.buttonWidth + m.buttonGap;
  for (int i = 0; i < 3; ++i) {
    layout.buttonLeft[i] = x + i * step;
  }
  layout.buttonTop = m.requestTop + height + ScaleToDpi(kButtonGap, dpi);
  // Captions and buttons do not grow in step with the DPI; below the buttons stays as much room
  // as above the view.
  if (dpi != kDefaultDpi) {
    layout.windowHeight = std::max(layout.windowHeight, m.frameHeight + layout.buttonTop +
                                                            m.buttonHeight + m.requestTop);
  }
  return layout;
}

} // namespace corvane
