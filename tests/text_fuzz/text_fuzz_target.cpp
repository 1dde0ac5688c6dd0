// Fuzz target for CTextString and CTextTokenizer, checked against a plain std::string model of
// the same operations. libFuzzer drives it in tools/fuzz.sh; the test run replays the
// committed corpus through it.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "hash/core/text_tokenizer.h"

namespace corvane {

namespace {

void Require(bool condition) {
  if (!condition)
    std::abort();
}

// --- The model ---------------------------------------------------------------------------------

int ModelFind(const std::string& text, const std::string& pattern, int start) {
  const int length = static_cast<int>(text.size());
  const int patternLength = static_cast<int>(pattern.size());
  if (start < 0 || patternLength > length)
    return -1;
  for (long long i = start; i <= length - patternLength; ++i)
    if (text.compare(static_cast<std::size_t>(i), pattern.size(), pattern) == 0)
      return static_cast<int>(i);
  return -1;
}

int Clamp(long long value, long long lower, long long upper) {
  return static_cast<int>(value < lower ? lower : (value > upper ? upper : value));
}

// Outside their ranges Right and Mid clamp to the text.
std::string ModelRight(const std::string& text, int count) {
  const int length = static_cast<int>(text.size());
  count = Clamp(count, 0, length);
  return text.substr(text.size() - count);
}

std::string ModelMid(const std::string& text, int start, int count) {
  const int length = static_cast<int>(text.size());
  start = Clamp(start, 0, length);
  count = Clamp(count, 0, length - start);
  return text.substr(start, count);
}

bool White(char c) {
  return c == ' ' || c == '\r' || c == '\n' || c == '\f' || c == '\t';
}

std::string ModelTrim(const std::string& text) {
  std::size_t first = 0;
  while (first < text.size() && White(text[first]))
    ++first;
  std::size_t end = text.size();
  while (end > first && White(text[end - 1]))
    --end;
  return text.substr(first, end - first);
}

struct ModelTokenizer {
  std::string text;
  std::string delimiter;
  int position;

  ModelTokenizer(std::string t, std::string d)
      : text(std::move(t)), delimiter(std::move(d)), position(text.empty() ? -1 : 0) {}

  int Count() const {
    if (text.empty() || position == -1)
      return 0;
    // An empty delimiter (which no caller passes) is taken one character at a time.
    const int step = delimiter.empty() ? 1 : static_cast<int>(delimiter.size());
    int count = 1;
    for (int d = ModelFind(text, delimiter, position); d != -1;
         d = ModelFind(text, delimiter, d + step))
      ++count;
    return count;
  }

  std::string Read() {
    if (position == -1)
      return "";
    // An empty delimiter is never found: the rest is one token.
    const int d = delimiter.empty() ? -1 : ModelFind(text, delimiter, position);
    if (d == -1) {
      std::string rest = text.substr(position);
      position = -1;
      return rest;
    }
    std::string token = text.substr(position, d - position);
    const int end = static_cast<int>(text.size() - delimiter.size());
    position = d == end ? -1 : d + static_cast<int>(delimiter.size());
    return token;
  }
};

// --- Input -------------------------------------------------------------------------------------

class Input {
public:
  Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  int Int16() { return static_cast<std::int16_t>(Byte() | (Byte() << 8)); }
  // Text up to the end, cut at its first NUL: a text may not contain the byte 0.
  std::string Rest() {
    std::string text(reinterpret_cast<const char*>(data_ + at_), size_ - at_);
    at_ = size_;
    return text.substr(0, text.find('\0'));
  }
  std::string Bytes(std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count && at_ < size_; ++i)
      text += static_cast<char>(data_[at_++]);
    return text.substr(0, text.find('\0'));
  }

private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

void CheckString(const std::string& model, const std::string& pattern, int a, int b) {
  const CTextString text(model.c_str());
  const int length = static_cast<int>(model.size());
  Require(text.Length() == length && model == text.Text());

  const std::vector<int> indices = {INT_MIN,     -1,      0, 1, length / 2, length,    length + 1,
                                    INT_MAX - 1, INT_MAX, a, b, length - a, length + b};
  for (int start : indices) {
    Require(text.Find(pattern.c_str(), start) == ModelFind(model, pattern, start));
    Require(ModelRight(model, start) == text.Right(start).Text());
    Require(ModelMid(model, start, INT_MAX) == text.Mid(start).Text());
    for (int count : indices)
      Require(ModelMid(model, start, count) == text.Mid(start, count).Text());
  }

  CTextString trimmed(text);
  trimmed.Trim();
  Require(ModelTrim(model) == trimmed.Text());
  Require(model == text.Text()); // the copy was deep

  CTextString self(text);
  self.Assign(self);
  self.Assign(self.Text());
  Require(model == self.Text());
  self = trimmed;
  Require(self.Text() != trimmed.Text() && ModelTrim(model) == self.Text());
}

void CheckTokens(const std::string& text, const std::string& delimiter) {
  CTextTokenizer tokens(text.c_str(), delimiter.c_str());
  ModelTokenizer model(text, delimiter);
  CTextString out("stale");
  // Every token is at least one character or consumes a delimiter, so the walk ends.
  for (std::size_t steps = 0; steps <= text.size() + 1; ++steps) {
    Require(tokens.CountTokens() == model.Count());
    Require(tokens.HasMoreTokens() == (model.position != -1));
    if (!tokens.HasMoreTokens())
      break;
    tokens.ReadToken(out);
    Require(model.Read() == out.Text());
  }
  Require(!tokens.HasMoreTokens());
  tokens.ReadToken(out);
  Require(out.Length() == 0 && tokens.CountTokens() == 0);
}

} // namespace

// Input: one byte with the delimiter's length (0..3), the delimiter, two 16-bit numbers used as
// extra indices and counts, then the text.
int FuzzOneInput(const std::uint8_t* data, std::size_t size) {
  Input input(data, size);
  const std::string delimiter = input.Bytes(input.Byte() % 4);
  const int a = input.Int16();
  const int b = input.Int16();
  const std::string text = input.Rest();

  CheckString(text, delimiter, a, b);
  CheckTokens(text, delimiter);
  // The batch run's use: the trimmed list split at line feeds yields exactly CountTokens entries.
  CTextString list(text.c_str());
  list.Trim();
  CTextTokenizer entries(list.Text(), "\n");
  const int count = entries.CountTokens();
  int read = 0;
  CTextString entry;
  while (entries.HasMoreTokens()) {
    entries.ReadToken(entry);
    ++read;
  }
  Require(read == count);
  return 0;
}

} // namespace corvane

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return corvane::FuzzOneInput(data, size);
}
