// SPDX-License-Identifier: GPL-3.0-or-later
// The calculation-file reader on any bytes: it must give exactly ten rows whose texts are
// bounded, read no more than its limit, and read the same rows again from what it wrote.
//
// So that a few bytes can stand for a file past the 64 KiB field limit or the 4 MiB read
// limit, an input that starts with the byte 0xFF is a recipe instead of the file itself:
//   0xFF, the file's size in three bytes (big-endian), the length k of a head, then the head
//   (k bytes) and a unit: the file is the head followed by the unit repeated up to that size.
// Any other input is the file as it is.
#include <QBuffer>
#include <QByteArray>
#include <QIODevice>
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "main_window/calculation_file.h"
#include "require.h"

namespace {

// A read-only device that makes the bytes of a recipe as they are read, without holding them.
class RepeatingDevice : public QIODevice {
 public:
  RepeatingDevice(std::string head, const std::string& unit, std::uint64_t size)
      : head_(std::move(head)), size_(std::max<std::uint64_t>(size, head_.size())) {
    if (unit.empty()) {
      size_ = head_.size();
    } else {  // whole units covering 16 KiB (or the file), so that a read takes few copies
      const std::uint64_t wanted = std::min<std::uint64_t>(16 * 1024, size_ - head_.size());
      tile_ = unit;
      while (tile_.size() < wanted + unit.size()) tile_ += tile_;
      unit_size_ = unit.size();
    }
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
  }
  bool isSequential() const override { return true; }
  std::uint64_t given() const { return position_; }  // pos() says nothing on a sequential device

 protected:
  qint64 readData(char* data, qint64 max) override {
    qint64 given = 0;
    while (given < max && position_ < size_) {
      std::size_t count = static_cast<std::size_t>(
          std::min<std::uint64_t>(static_cast<std::uint64_t>(max - given), size_ - position_));
      if (position_ < head_.size()) {
        count = std::min<std::size_t>(count, head_.size() - position_);
        std::memcpy(data + given, head_.data() + position_, count);
      } else {
        const std::size_t offset = (position_ - head_.size()) % unit_size_;
        count = std::min(count, tile_.size() - offset);
        std::memcpy(data + given, tile_.data() + offset, count);
      }
      given += static_cast<qint64>(count);
      position_ += count;
    }
    return given;
  }
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  std::string head_;
  std::string tile_;
  std::size_t unit_size_ = 1;
  std::uint64_t size_;
  std::uint64_t position_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace numerella;
  const char* bytes = reinterpret_cast<const char*>(data);
  History history;
  qint64 taken = 0;
  if (size >= 5 && data[0] == 0xFF) {
    const std::uint64_t file_size = (std::uint64_t{data[1]} << 16) | (data[2] << 8) | data[3];
    const std::size_t head = std::min<std::size_t>(data[4], size - 5);
    RepeatingDevice device(std::string(bytes + 5, head),
                           std::string(bytes + 5 + head, size - 5 - head), file_size);
    history = ReadCalculationFile(device);
    taken = static_cast<qint64>(device.given());
  } else {
    const QByteArray file = QByteArray::fromRawData(bytes, static_cast<qsizetype>(size));
    QBuffer device;
    device.setData(file);
    device.open(QIODevice::ReadOnly);
    history = ReadCalculationFile(device);
    taken = device.pos();
  }
  fuzz::Require(history.size() == 10, "ten rows");
  fuzz::Require(static_cast<std::size_t>(taken) <= kMaxReadBytes, "bounded read");
  for (const HistoryRow& row : history) {
    fuzz::Require(row.formula.size() <= kMaxFieldBytes && row.result.size() <= kMaxFieldBytes,
                  "bounded fields");
  }
  // A round trip keeps every row whose texts the file format can hold (no quote, no line end).
  bool writable = true;
  for (const HistoryRow& row : history) {
    for (const std::string* s : {&row.formula, &row.result}) {
      for (const char c : {'"', '\r', '\n'}) {
        writable = writable && std::memchr(s->data(), c, s->size()) == nullptr;
      }
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
