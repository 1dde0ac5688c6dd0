#pragma once
// The system's ANSI code page as the report and the path handling need it. In a double-byte code
// page the second byte of a character may be 0x5C, the backslash, so a path is walked character
// by character, never searched byte by byte.

#include <cstdint>

namespace corvane {

struct AnsiCodePage {
  uint32_t number;
  // The font charset under which a rich-text reader decodes the report's names in this page: it
  // reads charset 0 as Western whatever code page the document declares.
  uint8_t charset;
  // Inclusive ranges of the bytes that start a double-byte character, in pairs ended by a zero
  // pair, as the system lists them; all zero in a single-byte page.
  uint8_t leadByteRanges[12];

  bool IsLeadByte(unsigned char byte) const;
  // Bytes of the character at text: 2 for a lead byte followed by anything but the NUL, else 1.
  int CharLength(const char* text) const;
};

// The page the report was made for first; in it every report byte stays as it always was.
constexpr AnsiCodePage kWesternCodePage{1252, 0, {}};

// Index of the last backslash of path that separates names, or -1 when there is none.
int LastSeparator(const char* path, const AnsiCodePage& codePage);

} // namespace corvane
