#pragma once
// The hash module's own 8-bit text string: one owned buffer, exactly one byte longer than the text.
// The length is kept beside it: found by scanning on every call, splitting a path list of 100,000
// entries scanned the whole list once per entry and took many minutes.

namespace corvane {

class CTextString {
public:
  CTextString();
  CTextString(const char* text); // null gives the empty string
  CTextString(const CTextString& other);
  CTextString& operator=(const CTextString& other) { return Assign(other); }
  ~CTextString();

  CTextString& Assign(const char* text);
  CTextString& Assign(const CTextString& other);

  int Length() const { return length_; }
  // Valid until the next change of the string.
  const char* Text() const { return text_; }

  // Index of the first occurrence of pattern at or after start, or -1.
  int Find(const char* pattern, int start) const;
  // The last count characters; a count outside 0..Length() is clamped to it.
  CTextString Right(int count) const;
  // At most count characters from start; start and count are clamped to the text.
  CTextString Mid(int start, int count) const;
  CTextString Mid(int start) const;
  // Removes blanks, carriage returns, line feeds, form feeds and tabs at both ends.
  void Trim();

private:
  void Replace(const char* text, int length);

  char* text_; // never null
  int length_; // characters before the NUL
};

} // namespace corvane
