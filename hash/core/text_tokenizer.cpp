#include "hash/core/text_tokenizer.h"

CTextTokenizer::CTextTokenizer(const char* text, const char* delimiter)
    : m_text(text), m_delimiter(delimiter), m_position(m_text.Length() == 0 ? -1 : 0) {}

int CTextTokenizer::CountTokens() const {
  if (m_text.Length() == 0 || m_position == -1)
    return 0;
  // An empty delimiter would never advance.
  const int step = m_delimiter.Length() > 0 ? m_delimiter.Length() : 1;
  int count = 1;
  for (int d = m_text.Find(m_delimiter.Text(), m_position); d != -1;
       d = m_text.Find(m_delimiter.Text(), d + step))
    ++count;
  return count;
}

void CTextTokenizer::ReadToken(CTextString& out) {
  if (m_position == -1) {
    out.Assign("");
    return;
  }
  const int delimiterLength = m_delimiter.Length();
  const int d = delimiterLength > 0 ? m_text.Find(m_delimiter.Text(), m_position) : -1;
  if (d == -1) {
    out = m_text.Mid(m_position);
    m_position = -1;
    return;
  }
  out = m_text.Mid(m_position, d - m_position);
  // No empty token follows a delimiter that ends the text.
  m_position = d == m_text.Length() - delimiterLength ? -1 : d + delimiterLength;
}
