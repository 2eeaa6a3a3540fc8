// SPDX-License-Identifier: GPL-3.0-or-later
// Writing calculation files, and the bounded, lenient reader of their fields.
#include "main_window/calculation_file.h"

#include <QIODevice>
#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <string_view>

namespace numerella {

namespace {

// Bytes of a device, read in chunks into one buffer that is reused for every chunk, with a
// budget on the total. Once the device has given nothing (end of data or a read error) it is
// not asked again.
class ByteSource {
 public:
  explicit ByteSource(QIODevice& device) : device_(device) {}

  // The bytes at hand, refilled when all were used; empty at the end of what may be read.
  std::string_view Window() {
    if (position_ == size_ && !Refill()) return {};
    return {buffer_.data() + position_, size_ - position_};
  }
  void Consume(std::size_t count) { position_ += count; }
  // The next byte, or -1 at the end.
  int Next() {
    const std::string_view w = Window();
    if (w.empty()) return -1;
    ++position_;
    return static_cast<unsigned char>(w.front());
  }
  int Peek() {
    const std::string_view w = Window();
    return w.empty() ? -1 : static_cast<unsigned char>(w.front());
  }

 private:
  static constexpr std::size_t kChunk = 16 * 1024;

  bool Refill() {
    if (ended_ || consumed_ >= kMaxReadBytes) return false;
    const std::size_t wanted = std::min(kChunk, kMaxReadBytes - consumed_);
    const qint64 got = device_.read(buffer_.data(), static_cast<qint64>(wanted));
    position_ = 0;
    size_ = got > 0 ? static_cast<std::size_t>(got) : 0;
    ended_ = got <= 0;
    consumed_ += size_;
    return !ended_;
  }

  QIODevice& device_;
  std::array<char, kChunk> buffer_;
  std::size_t position_ = 0;
  std::size_t size_ = 0;
  std::size_t consumed_ = 0;
  bool ended_ = false;
};

bool IsBlank(int c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(int c) { return c == '\r' || c == '\n'; }

// Where the first of the bytes a, b and c is in w, or w.size() when none is. Three memchr
// passes, each over what the one before left, are much faster than a loop over the bytes.
std::size_t FindAny(std::string_view w, char a, char b, char c) {
  std::size_t end = w.size();
  for (const char x : {a, b, c}) {
    if (const void* at = std::memchr(w.data(), x, end)) {
      end = static_cast<std::size_t>(static_cast<const char*>(at) - w.data());
    }
  }
  return end;
}

// Consumes bytes up to and including the first of a, b and c, which it returns (-1 when the
// data ends first). The bytes before it go to field, if given, as long as the field is
// shorter than kMaxFieldBytes; the rest of a longer field is dropped.
int TakeUntil(ByteSource& source, std::string* field, char a, char b, char c) {
  for (std::string_view w = source.Window(); !w.empty(); w = source.Window()) {
    const std::size_t stop = FindAny(w, a, b, c);
    if (field != nullptr && field->size() < kMaxFieldBytes) {
      field->append(w.substr(0, std::min(stop, kMaxFieldBytes - field->size())));
    }
    if (stop < w.size()) {
      source.Consume(stop + 1);
      return static_cast<unsigned char>(w[stop]);
    }
    source.Consume(stop);
  }
  return -1;
}

// Having read a line end character, takes the LF that completes a CR LF pair.
void FinishLineEnd(ByteSource& source, int c) {
  if (c == '\r' && source.Peek() == '\n') source.Next();
}

// Drops everything up to and including the next comma or line end.
void SkipToSeparator(ByteSource& source) {
  const int c = TakeUntil(source, nullptr, ',', '\r', '\n');
  if (IsLineEnd(c)) FinishLineEnd(source, c);
}

std::string ReadQuoted(ByteSource& source) {
  std::string field;
  const int c = TakeUntil(source, &field, '"', '\r', '\n');
  if (c == '"') SkipToSeparator(source);
  if (IsLineEnd(c)) FinishLineEnd(source, c);
  return field;
}

std::string ReadUnquoted(ByteSource& source, int first) {
  std::string field(1, static_cast<char>(first));
  const int c = TakeUntil(source, &field, ',', '\r', '\n');
  if (IsLineEnd(c)) FinishLineEnd(source, c);
  while (!field.empty() && IsBlank(static_cast<unsigned char>(field.back()))) field.pop_back();
  return field;
}

// Skips blanks; the first byte after them, or -1 at the end.
int NextAfterBlanks(ByteSource& source) {
  for (std::string_view w = source.Window(); !w.empty(); w = source.Window()) {
    const char* p = w.data();
    const char* const end = p + w.size();
    while (p != end && IsBlank(static_cast<unsigned char>(*p))) ++p;
    source.Consume(static_cast<std::size_t>(p - w.data()));
    if (p != end) return source.Next();
  }
  return -1;
}

// The next field, or nothing when the data has ended before it.
std::optional<std::string> ReadField(ByteSource& source) {
  const int c = NextAfterBlanks(source);
  if (c == -1) return std::nullopt;
  if (c == '"') return ReadQuoted(source);
  if (c == ',') return std::string();
  if (IsLineEnd(c)) {
    FinishLineEnd(source, c);
    return std::string();
  }
  return ReadUnquoted(source, c);
}

void AppendQuotedLine(QByteArray& out, const std::string& text) {
  out.append('"');
  out.append(text.data(), static_cast<qsizetype>(text.size()));
  out.append("\"\r\n");
}

}  // namespace

QByteArray WriteCalculationFile(const History& history) {
  QByteArray out;
  for (const HistoryRow& row : history) {
    AppendQuotedLine(out, row.formula);
    AppendQuotedLine(out, row.result);
  }
  return out;
}

History ReadCalculationFile(QIODevice& device) {
  ByteSource source(device);
  History history;
  for (HistoryRow& row : history) {
    row.formula = ReadField(source).value_or(std::string());
    row.result = ReadField(source).value_or(std::string());
  }
  return history;
}

}  // namespace numerella
