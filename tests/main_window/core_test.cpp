// SPDX-License-Identifier: GPL-3.0-or-later
// The screen-free parts of the main window: its geometry in twips and pixels (layout.tsv), and
// the lenient reader of calculation files (file_reading.tsv) on odd, binary and endless input.
#include <gtest/gtest.h>

#include <QBuffer>
#include <algorithm>
#include <cmath>
#include <functional>
#include <sstream>

#include "main_window/calculation_file.h"
#include "main_window/layout.h"
#include "table.h"

namespace numerella {
namespace {

std::string Show(double a, double b, double c, double d) {
  std::ostringstream out;
  out << a << ' ' << b << ' ' << c << ' ' << d;
  return out.str();
}
std::string Show(const TwipRect& r) { return Show(r.left, r.top, r.width, r.height); }

// A row: character width and height, the device's rounding ("-" none, "15": up to whole
// multiples of 15 twips, "100.5": every height that), a part, and its twips.
TEST(MainWindowLayout, Table) {
  for (const table::Row& row : table::Read(NUMERELLA_LAYOUT_TABLE)) {
    const ReportedHeight rounding = row[2] == "15" ? [](double t) { return std::ceil(t / 15) * 15; }
                                    : row[2] == "100.5" ? [](double) { return 100.5; }
                                                        : ReportedHeight();
    const MainWindowLayout l =
        ComputeMainWindowLayout(std::stoi(row[0]), std::stoi(row[1]), rounding);
    const std::string& part = row[3];
    const int i = part.back() - '0';
    const std::string found =
        part.starts_with("formula")      ? Show(l.formula_rows[i])
        : part.starts_with("result_row") ? Show(l.result_rows[i])
        : part == "expression"           ? Show(l.expression)
        : part == "result"               ? Show(l.result)
        : part == "calculate"            ? Show(l.calculate)
        : part == "exit"                 ? Show(l.exit)
                         : Show(l.history_height, l.client_width, l.client_height, l.area_height);
    EXPECT_EQ(found, row[4]) << row[0] << " " << row[1] << " " << row[2] << " " << part;
  }
}

// Whole twips round halves to even; rectangles that touch in twips touch in pixels, though
// at 96 dpi (a twip is 1/15 pixel) 100-twip rows do not land on whole pixels.
TEST(Pixels, WholeTwipsAndTouchingRectangles) {
  const double cases[][3] = {{8, 96, 120},   {12, 96, 180},    {1, 96, 15},    {2.5, 1440, 2},
                             {3.5, 1440, 4}, {-2.5, 1440, -2}, {7.2, 72, 144}, {0, 96, 0}};
  for (const auto& [pixels, dpi, twips] : cases)
    EXPECT_EQ(PixelsToWholeTwips(pixels, dpi), twips) << pixels << " px at " << dpi;
  for (const double dpi : {96.0, 120.0, 144.0, 91.0}) {
    for (int i = 1; i < 20; ++i) {
      const PixelRect above = ToPixels({100, 100.0 * i, 3000, 100}, dpi, dpi);
      const PixelRect row = ToPixels({100, 100.0 * (i + 1), 3000, 100}, dpi, dpi);
      EXPECT_EQ(row.y, above.y + above.height) << "dpi " << dpi << " row " << i;
    }
  }
}

// Hands out at most `piece` bytes per read, so that fields, quotes and CR LF pairs are split
// across the reader's refills; counts the bytes taken.
struct TrickleBuffer : QBuffer {
  TrickleBuffer(const QByteArray& bytes, qint64 piece) : piece(piece) {
    setData(bytes);
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
  }
  qint64 readData(char* data, qint64 max) override {
    const qint64 got = QBuffer::readData(data, std::min(max, piece));
    taken += std::max<qint64>(got, 0);
    return got;
  }
  qint64 piece, taken = 0;
};

// A row: a file's bytes, the fields read ("|" between them, the rest empty), and "=" when
// writing what was read gives the same bytes back. Reads of any size give the same fields.
TEST(ReadCalculationFile, Table) {
  for (const table::Row& row : table::Read(NUMERELLA_FILE_READING_TABLE)) {
    const QByteArray bytes = QByteArray::fromStdString(table::Unescape(row[0]));
    for (const qint64 piece : {qint64{1} << 40, qint64{1}, qint64{2}, qint64{3}, qint64{1000}}) {
      TrickleBuffer buffer(bytes, piece);
      const History h = ReadCalculationFile(buffer);
      std::string fields;
      for (const HistoryRow& r : h) fields += r.formula + "|" + r.result + "|";
      fields.erase(fields.find_last_not_of('|') + 1);
      EXPECT_TRUE(fields == table::Unescape(row[1]))
          << row[0].substr(0, 80) << ", reads of " << piece;
      if (row.size() > 2) {
        EXPECT_TRUE(WriteCalculationFile(h) == bytes) << row[0].substr(0, 80);
      }
    }
  }
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
      // + the start of field 0
      {"no line end, one endless field", "x", "xxxx"},
      {"endless open quote", "\"y", "yyyy"},
      {"endless blanks", " ", ""},
      {"short lines", "\"1\"\r\n", "1"}};
  for (const auto& [name, pattern, start] : cases) {
    const bool short_lines = start == "1";
    TrickleBuffer buffer(short_lines ? pattern.repeated(2 * kMaxReadBytes / pattern.size())
                                     : pattern + QByteArray(2 * kMaxReadBytes, pattern.back()),
                         qint64{1} << 40);
    const History h = ReadCalculationFile(buffer);
    EXPECT_LE(buffer.taken, static_cast<qint64>(short_lines ? 1024 * 1024 : kMaxReadBytes)) << name;
    EXPECT_EQ(h[0].formula.substr(0, start.size()), start) << name;
    EXPECT_LE(h[0].formula.size(), kMaxFieldBytes) << name;
    EXPECT_EQ(h[9].result, short_lines ? "1" : "") << name;
  }
}

}  // namespace
}  // namespace numerella
