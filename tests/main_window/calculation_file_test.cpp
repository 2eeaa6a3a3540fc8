// Writing and reading calculation files: the exact written form and the
// lenient reader on odd, short, binary and endless input.
#include "main_window/calculation_file.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QIODevice>
#include <string>

namespace numerella {
namespace {

using namespace std::string_literals;

History BlankHistory() {
  History h;
  for (HistoryRow& row : h) row = {" ", " "};
  return h;
}

History ReadBytes(const QByteArray& bytes) {
  QBuffer buffer;
  buffer.setData(bytes);
  buffer.open(QIODevice::ReadOnly);
  return ReadCalculationFile(buffer);
}

TEST(WriteCalculationFile, TwentyQuotedCrLfLinesOldestFirst) {
  History h = BlankHistory();
  h[9] = {"2+3", "5"};
  QByteArray expected;
  for (int i = 0; i < 18; ++i) expected += "\" \"\r\n";
  expected += "\"2+3\"\r\n\"5\"\r\n";
  EXPECT_EQ(WriteCalculationFile(h), expected);
}

// "0,1,...,n-1" and the fields it holds.
std::string CommaList(int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += (i ? "," : "") + std::to_string(i);
  return out;
}
std::vector<std::string> CommaFields(int n) {
  std::vector<std::string> out;
  for (int i = 0; i < n; ++i) out.push_back(std::to_string(i));
  return out;
}

// The fields the reader finds in a file, in order; fields beyond the list are empty.
struct ReadCase {
  const char* name;
  std::string bytes;
  std::vector<std::string> fields;
};

TEST(ReadCalculationFile, LenientFields) {
  const ReadCase cases[] = {
      {"unquoted lines", "2+3\r\n5\r\n7\n", {"2+3", "5", "7"}},
      {"comma outside quotes splits", "1,2\r\n\"a,b\"\r\n", {"1", "2", "a,b"}},
      {"leading blanks of unquoted skipped", "   x  \r\n\t y\r\n", {"x", "y"}},
      {"blanks inside quotes kept", "\"  x  \"\r\n", {"  x  "}},
      {"empty lines are empty fields", "\r\n\r\nz\r\n", {"", "", "z"}},
      {"bare CR and bare LF end lines", "a\rb\nc\r\n", {"a", "b", "c"}},
      {"text after closing quote dropped", "\"a\"junk,\"b\"\r\n", {"a", "b"}},
      {"missing closing quote ends at line", "\"abc\r\ndef\r\n", {"abc", "def"}},
      {"no line end at all", "\"last\"", {"last"}},
      {"unquoted without line end", "1,2,3", {"1", "2", "3"}},
      {"empty between commas", "a,,b", {"a", "", "b"}},
      {"empty file", "", {}},
      {"quotes and commas of a saved text", "\"SUM(1, 2)\"\r\n\"a\"b\"\r\n", {"SUM(1, 2)", "a"}},
      {"NUL and high bytes are text", "a\0b\xff\r\n"s, {"a\0b\xff"s}},
      {"after 20 fields nothing is read", CommaList(25), CommaFields(20)},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.name);
    const History h = ReadBytes(QByteArray::fromStdString(c.bytes));
    for (int k = 0; k < 2 * kHistoryRows; ++k) {
      const std::string& got = k % 2 == 0 ? h[k / 2].formula : h[k / 2].result;
      const std::string want = k < static_cast<int>(c.fields.size()) ? c.fields[k] : "";
      EXPECT_EQ(got, want) << "field " << k;
    }
  }
}

// A device that produces the same pattern for ever (or pretends to be 1 GB long) and counts
// what it was asked for.
class EndlessDevice : public QIODevice {
 public:
  explicit EndlessDevice(QByteArray pattern, bool sequential = true)
      : pattern_(std::move(pattern)), sequential_(sequential) {
    open(QIODevice::ReadOnly);
  }
  bool isSequential() const override { return sequential_; }
  qint64 size() const override { return sequential_ ? 0 : qint64(1) << 30; }
  qint64 produced() const { return produced_; }

 protected:
  qint64 readData(char* data, qint64 max) override {
    for (qint64 i = 0; i < max; ++i) data[i] = pattern_[(produced_ + i) % pattern_.size()];
    produced_ += max;
    return max;
  }
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  QByteArray pattern_;
  bool sequential_;
  qint64 produced_ = 0;
};

struct EndlessCase {
  const char* name;
  QByteArray pattern;
  bool sequential;
  std::string first_field_prefix;
  bool all_empty_after_first;
};

TEST(ReadCalculationFile, StopsOnEndlessAndHugeInput) {
  const EndlessCase cases[] = {
      {"no line end, one endless field", "x", true, "xxxx", true},
      {"endless open quote", "\"yyyyyyyy", false, "yyyy", true},
      {"endless blanks", " ", true, "", true},
      {"huge file of short lines", "\"1\"\r\n", false, "1", false},
  };
  for (const EndlessCase& c : cases) {
    SCOPED_TRACE(c.name);
    EndlessDevice device(c.pattern, c.sequential);
    const History h = ReadCalculationFile(device);
    EXPECT_LE(device.produced(), static_cast<qint64>(kMaxReadBytes));
    EXPECT_EQ(h[0].formula.substr(0, c.first_field_prefix.size()), c.first_field_prefix);
    EXPECT_LE(h[0].formula.size(), kMaxFieldBytes);
    if (c.all_empty_after_first) {
      EXPECT_EQ(h[0].result, "");
      EXPECT_EQ(h[9].result, "");
    } else {
      EXPECT_EQ(h[9].result, "1");
      EXPECT_LT(device.produced(), 1024 * 1024);  // 20 short fields need only the first chunk
    }
  }
}

}  // namespace
}  // namespace numerella
