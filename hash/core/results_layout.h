#pragma once
// Where the results window puts its view and buttons, from what the view asks for and the
// display's metrics. At 96 DPI with no horizontal scroll bar this is the window's classic
// geometry, pixel for pixel; at other DPIs its pixel constants grow with the display.

namespace corvane {

constexpr int kDefaultDpi = 96;

// What the window measured, in pixels of the window's DPI unless said otherwise.
struct ResultsMetrics {
  int requestLeft = 0; // the view's size request
  int requestTop = 0;
  int requestHeight = 0;
  int maxCharWidth = 0; // of the view's device context, in pixels of textDpi
  int longestLine = 0;  // bytes of the view's longest line
  int dpi = kDefaultDpi;
  int textDpi = kDefaultDpi;
  int vScrollWidth = 0;
  int hScrollHeight = 0;
  int buttonWidth = 0; // OK; Save and Copy are as wide
  int buttonGap = 0;   // between two neighbouring buttons
  int buttonRowWidth = 0;
  int buttonHeight = 0;
  int frameHeight = 0; // the window's non-client height: caption and borders
  // What the view, laid out without them, showed its client area to lack: width for its widest
  // line (only the view knows how wide its lines are drawn), height for its lines above a
  // horizontal scroll bar.
  int widthShortfall = 0;
  int heightShortfall = 0;
};

struct ResultsLayout {
  int windowWidth = 0;
  int windowHeight = 0;
  int viewLeft = 0;
  int viewTop = 0;
  int viewWidth = 0;
  int viewHeight = 0;
  int buttonLeft[3] = {}; // OK, Save to File, Copy
  int buttonTop = 0;
  int linesHeight = 0; // what the view's client area needs to show its lines, or as much as fits
};

// pixels at 96 DPI made pixels at dpi, rounded to the nearest.
int ScaleToDpi(int pixels, int dpi);

// Bytes of the longest line of text, trailing white space left out; a CR before an LF counts.
int LongestLineLength(const char* text, int length);

ResultsLayout LayOutResults(const ResultsMetrics& metrics);

} // namespace corvane
