// Writing calculation files, and the bounded, lenient reader of their fields.
#include "main_window/calculation_file.h"

#include <QIODevice>
#include <optional>

namespace numerella {

namespace {

// Bytes of a device, read in chunks, with one byte of look-ahead and a budget on the total.
class ByteSource {
 public:
  explicit ByteSource(QIODevice& device) : device_(device) {}

  // The next byte, or -1 at the end of the data, on a read error or when the budget is spent.
  int Next() {
    if (position_ == buffer_.size() && !Refill()) return -1;
    return static_cast<unsigned char>(buffer_[position_++]);
  }
  int Peek() {
    if (position_ == buffer_.size() && !Refill()) return -1;
    return static_cast<unsigned char>(buffer_[position_]);
  }

 private:
  static constexpr qint64 kChunk = 64 * 1024;

  bool Refill() {
    if (consumed_ >= kMaxReadBytes) return false;
    const qint64 wanted = std::min<qint64>(kChunk, kMaxReadBytes - consumed_);
    buffer_.resize(wanted);
    const qint64 got = device_.read(buffer_.data(), wanted);
    if (got <= 0) {
      buffer_.clear();
      position_ = 0;
      return false;
    }
    buffer_.resize(got);
    position_ = 0;
    consumed_ += static_cast<std::size_t>(got);
    return true;
  }

  QIODevice& device_;
  QByteArray buffer_;
  qsizetype position_ = 0;
  std::size_t consumed_ = 0;
};

bool IsBlank(int c) { return c == ' ' || c == '\t'; }
bool IsLineEnd(int c) { return c == '\r' || c == '\n'; }

void Append(std::string& field, int c) {
  if (field.size() < kMaxFieldBytes) field.push_back(static_cast<char>(c));
}

// Having read a line end character, takes the LF that completes a CR LF pair.
void FinishLineEnd(ByteSource& source, int c) {
  if (c == '\r' && source.Peek() == '\n') source.Next();
}

// Drops everything up to and including the next comma or line end.
void SkipToSeparator(ByteSource& source) {
  for (int c = source.Next(); c != -1; c = source.Next()) {
    if (c == ',') return;
    if (IsLineEnd(c)) {
      FinishLineEnd(source, c);
      return;
    }
  }
}

std::string ReadQuoted(ByteSource& source) {
  std::string field;
  for (int c = source.Next(); c != -1; c = source.Next()) {
    if (c == '"') {
      SkipToSeparator(source);
      break;
    }
    if (IsLineEnd(c)) {
      FinishLineEnd(source, c);
      break;
    }
    Append(field, c);
  }
  return field;
}

std::string ReadUnquoted(ByteSource& source, int first) {
  std::string field;
  for (int c = first; c != -1; c = source.Next()) {
    if (c == ',') break;
    if (IsLineEnd(c)) {
      FinishLineEnd(source, c);
      break;
    }
    Append(field, c);
  }
  while (!field.empty() && IsBlank(static_cast<unsigned char>(field.back()))) field.pop_back();
  return field;
}

// The next field, or nothing when the data has ended before it.
std::optional<std::string> ReadField(ByteSource& source) {
  int c = source.Next();
  while (IsBlank(c)) c = source.Next();
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
