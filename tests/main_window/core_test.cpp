// SPDX-License-Identifier: GPL-3.0-or-later
// The screen-free parts of the main window: its geometry in twips and pixels, and the lenient
// reader of calculation files on odd, binary and endless input.
#include <gtest/gtest.h>

#include <QBuffer>
#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "main_window/calculation_file.h"
#include "main_window/layout.h"

namespace numerella {
namespace {

using namespace std::string_literals;

// The worked example (sizes kept as set); widths follow the width of "0", heights that of "A".
TEST(MainWindowLayout, WorkedExampleAndFontScaling) {
  const MainWindowLayout l = ComputeMainWindowLayout(120, 180);
  for (int i = 0; i < kHistoryRows; ++i) {
    EXPECT_EQ(l.formula_rows[i], (TwipRect{120, 120.0 + 180 * i, 3600, 180})) << i;
    EXPECT_EQ(l.result_rows[i], (TwipRect{3840, 120.0 + 180 * i, 1800, 180})) << i;
  }
  EXPECT_EQ(l.expression, (TwipRect{120, 2040, 3600, 630}));
  EXPECT_EQ(l.result, (TwipRect{3840, 2040, 1800, 234}));
  EXPECT_EQ(l.calculate, (TwipRect{3840, 2436, 1800, 234}));
  EXPECT_EQ(std::tuple(l.history_height, l.client_width, l.client_height),
            std::tuple(1800, 5760.0, 2790.0));
  const double cases[][6] = {// cw, ch, column width, expression height, client width, rows
                             {240, 180, 7200, 630, 11520, 1800},
                             {120, 360, 3600, 1260, 5760, 3600}};
  for (const auto& [cw, ch, width, height, client, rows] : cases) {
    const MainWindowLayout s = ComputeMainWindowLayout(cw, ch);
    EXPECT_EQ(std::tuple(s.expression.width, s.formula_rows[0].width, s.expression.height,
                         s.client_width, s.history_height),
              std::tuple(width, width, height, client, int(rows)))
        << cw << " x " << ch;
  }
}

TEST(MainWindowLayout, RowsStackByTheReportedHeight) {
  // A device that only keeps whole multiples of 15 twips (one pixel at 96 dpi), rounding up.
  const auto coarse = [](double twips) { return std::ceil(twips / 15) * 15; };
  const MainWindowLayout l = ComputeMainWindowLayout(130, 251, coarse);
  for (int i = 0; i + 1 < kHistoryRows; ++i) {
    EXPECT_EQ(l.formula_rows[i].height, 255);
    EXPECT_EQ(l.formula_rows[i + 1].top, l.formula_rows[i].top + 255);  // rows touch
  }
  EXPECT_EQ(std::tuple(l.history_height, l.expression.top, l.expression.height),
            std::tuple(2550, 2550.0 + 260, coarse(3.5 * 251)));
  // The running total is rounded at each addition, halves to even: 100.5 gives 100 each time.
  EXPECT_EQ(ComputeMainWindowLayout(100, 100, [](double) { return 100.5; }).history_height, 1000);
}

// Whole twips round halves to even; rectangles that touch in twips touch in pixels, though
// at 96 dpi (a twip is 1/15 pixel) 100-twip rows do not land on whole pixels.
TEST(Pixels, WholeTwipsAndTouchingRectangles) {
  const double cases[][3] = {{8, 96, 120},   {12, 96, 180},    {1, 96, 15},    {2.5, 1440, 2},
                             {3.5, 1440, 4}, {-2.5, 1440, -2}, {7.2, 72, 144}, {0, 96, 0}};
  for (const auto& [pixels, dpi, twips] : cases) {
    EXPECT_EQ(PixelsToWholeTwips(pixels, dpi), twips) << pixels << " px at " << dpi;
  }
  for (const double dpi : {96.0, 120.0, 144.0, 91.0}) {
    for (int i = 1; i < 20; ++i) {
      const PixelRect above = ToPixels({100, 100.0 * i, 3000, 100}, dpi, dpi);
      const PixelRect row = ToPixels({100, 100.0 * (i + 1), 3000, 100}, dpi, dpi);
      EXPECT_EQ(row.y, above.y + above.height) << "dpi " << dpi << " row " << i;
    }
  }
}

struct CountingBuffer : QBuffer {  // counts the bytes the reader takes from it
  explicit CountingBuffer(const QByteArray& bytes) {
    setData(bytes);
    open(QIODevice::ReadOnly);
  }
  qint64 readData(char* data, qint64 max) override {
    const qint64 got = QBuffer::readData(data, max);
    taken += got > 0 ? got : 0;
    return got;
  }
  qint64 taken = 0;
};

// Hands out at most `piece` bytes per read, so that fields, quotes and CR LF pairs are split
// across the reader's refills.
struct TrickleBuffer : QBuffer {
  TrickleBuffer(const QByteArray& bytes, qint64 piece) : piece(piece) {
    setData(bytes);
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
  }
  qint64 readData(char* data, qint64 max) override {
    return QBuffer::readData(data, std::min(max, piece));
  }
  qint64 piece;
};

// The fields the reader finds in a file, in order; fields beyond the list must be empty. The
// same fields come out however the device cuts the bytes into reads.
TEST(ReadCalculationFile, LenientFields) {
  const std::string commas = "0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24";
  std::vector<std::string> twenty;  // the only fields read of those 25
  for (int i = 0; i < 20; ++i) twenty.push_back(std::to_string(i));
  const std::tuple<const char*, std::string, std::vector<std::string>> cases[] = {
      {"unquoted", "2+3\r\n5\r\n7\n", {"2+3", "5", "7"}},
      {"empty file", "", {}},
      {"comma splits", "1,2\r\n\"a,b\"\r\n", {"1", "2", "a,b"}},
      {"20 fields", commas, twenty},
      {"blanks around unquoted", "   x  \r\n\t y\r\n", {"x", "y"}},
      {"blanks in quotes", "\"  x  \"\r\n", {"  x  "}},
      {"a,,b", "a,,b", {"a", "", "b"}},
      {"empty lines", "\r\n\r\nz\r\n", {"", "", "z"}},
      {"no line end", "\"last\"", {"last"}},
      {"bare CR and LF", "a\rb\nc\r\n", {"a", "b", "c"}},
      {"nor here", "1,2,3", {"1", "2", "3"}},
      {"after closing quote", "\"a\"junk,\"b\"\r\n", {"a", "b"}},
      {"no closing quote", "\"abc\r\ndef\r\n", {"abc", "def"}},
      {"a saved text", "\"SUM(1, 2)\"\r\n\"a\"b\"\r\n", {"SUM(1, 2)", "a"}},
      {"NUL and high bytes", "a\0b\xff\r\n"s, {"a\0b\xff"s}}};
  for (const auto& [name, bytes, fields] : cases) {
    for (const qint64 piece : {qint64{1} << 40, qint64{1}, qint64{2}, qint64{3}}) {
      TrickleBuffer buffer(QByteArray::fromStdString(bytes), piece);
      const History h = ReadCalculationFile(buffer);
      for (std::size_t k = 0; k < 2 * kHistoryRows; ++k) {
        const std::string& got = k % 2 == 0 ? h[k / 2].formula : h[k / 2].result;
        EXPECT_EQ(got, k < fields.size() ? fields[k] : "")
            << name << ", field " << k << ", reads of " << piece;
      }
    }
  }
}

// A field is kept up to kMaxFieldBytes, the rest of it is skipped and the next field is read
// as usual; quoted or not, across many refills, whether the device gives big or small reads.
TEST(ReadCalculationFile, LongFieldsKeptToTheLimit) {
  const std::size_t limit = kMaxFieldBytes;
  for (const std::size_t length : {limit - 1, limit, limit + 1, 3 * limit}) {
    for (const bool quoted : {true, false}) {
      const std::string text(length, 'k');
      const std::string q = quoted ? "\"" : "";
      const std::string file = q + text + q + "\r\n" + "\"dopo\"\r\n" + q + text + q;
      for (const qint64 piece : {qint64{1} << 40, qint64{1000}}) {
        TrickleBuffer buffer(QByteArray::fromStdString(file), piece);
        const History h = ReadCalculationFile(buffer);
        const std::string kept(std::min(length, limit), 'k');
        EXPECT_EQ(std::tuple(h[0].formula == kept, h[0].result, h[1].formula == kept, h[1].result),
                  std::tuple(true, "dopo", true, ""))
            << length << (quoted ? " quoted" : " unquoted") << ", reads of " << piece;
      }
    }
  }
}

// Reading a saved history and saving it again gives back the same file, byte for byte, for
// every field the reader keeps: blanks, stars, all the 8-bit codes the format can hold, and
// fields past 32,767 bytes up to the limit.
TEST(ReadCalculationFile, ReadingThenWritingGivesTheSameFile) {
  std::string codes;  // every byte but the quote and the line ends
  for (int c = 0; c < 256; ++c)
    if (c != '"' && c != '\r' && c != '\n') codes.push_back(static_cast<char>(c));
  const std::string fields[] = {" ",
                                "",
                                "**************",
                                "  2 + 3  ",
                                "a,b",
                                codes,
                                std::string(32767, 'x'),
                                std::string(32768, 'y'),
                                std::string(kMaxFieldBytes - 1, '9'),
                                std::string(kMaxFieldBytes, '8')};
  History history;
  for (std::size_t k = 0; k < 2 * kHistoryRows; ++k) {
    (k % 2 == 0 ? history[k / 2].formula : history[k / 2].result) = fields[k % std::size(fields)];
  }
  const QByteArray file = WriteCalculationFile(history);
  EXPECT_EQ(file.count("\r\n"), 20);
  QBuffer buffer;
  buffer.setData(file);
  buffer.open(QIODevice::ReadOnly);
  const History read = ReadCalculationFile(buffer);
  EXPECT_TRUE(read == history);
  EXPECT_TRUE(WriteCalculationFile(read) == file);
}

// The reader asks the device no more once it has given nothing (end of data or read error).
TEST(ReadCalculationFile, StopsAskingAtTheEnd) {
  struct FailingOnce : QIODevice {  // fails its first read, would give a field afterwards
    FailingOnce() { open(QIODevice::ReadOnly | QIODevice::Unbuffered); }
    bool isSequential() const override { return true; }
    qint64 readData(char* data, qint64 max) override {
      if (++reads == 1) return -1;
      data[0] = 'x';
      return std::min<qint64>(max, 1);
    }
    qint64 writeData(const char*, qint64) override { return -1; }
    int reads = 0;
  } device;
  EXPECT_EQ(ReadCalculationFile(device), History{});
  EXPECT_EQ(device.reads, 1);
}

// Twice the most the reader may take: it stops within bounds, within one chunk for short fields.
TEST(ReadCalculationFile, StopsOnHugeInput) {
  const std::tuple<const char*, QByteArray, std::string> cases[] = {
      // name, pattern, field 0
      {"no line end, one endless field", "x", "xxxx"},
      {"endless open quote", "\"y", "yyyy"},
      {"endless blanks", " ", ""},
      {"short lines", "\"1\"\r\n", "1"}};
  for (const auto& [name, pattern, start] : cases) {
    const bool short_lines = start == "1";
    CountingBuffer buffer(short_lines ? pattern.repeated(2 * kMaxReadBytes / pattern.size())
                                      : pattern + QByteArray(2 * kMaxReadBytes, pattern.back()));
    const History h = ReadCalculationFile(buffer);
    EXPECT_LE(buffer.taken, static_cast<qint64>(short_lines ? 1024 * 1024 : kMaxReadBytes)) << name;
    EXPECT_EQ(h[0].formula.substr(0, start.size()), start) << name;
    EXPECT_LE(h[0].formula.size(), kMaxFieldBytes) << name;
    EXPECT_EQ(h[9].result, short_lines ? "1" : "") << name;
  }
}

}  // namespace
}  // namespace numerella
