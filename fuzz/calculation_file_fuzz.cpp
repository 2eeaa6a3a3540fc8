// The calculation-file reader on any bytes: it must give exactly ten rows whose texts are
// bounded, read no more than its limit, and read the same rows again from what it wrote.
#include <QBuffer>
#include <QByteArray>
#include <cstdint>

#include "invariants.h"
#include "main_window/calculation_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace numerella;
  QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  QBuffer device(&bytes);
  device.open(QIODevice::ReadOnly);
  const History history = ReadCalculationFile(device);
  fuzz::Require(history.size() == 10, "ten rows");
  fuzz::Require(static_cast<std::size_t>(device.pos()) <= kMaxReadBytes, "bounded read");
  for (const HistoryRow& row : history) {
    fuzz::Require(row.formula.size() <= kMaxFieldBytes && row.result.size() <= kMaxFieldBytes,
                  "bounded fields");
  }
  // A round trip keeps every row whose texts the file format can hold (no quote, no line end).
  bool writable = true;
  for (const HistoryRow& row : history) {
    for (const std::string* s : {&row.formula, &row.result}) {
      writable = writable && s->find_first_of("\"\r\n") == std::string::npos;
    }
  }
  if (writable) {
    QByteArray written = WriteCalculationFile(history);
    QBuffer again(&written);
    again.open(QIODevice::ReadOnly);
    fuzz::Require(ReadCalculationFile(again) == history, "what was written reads back");
  }
  return 0;
}
