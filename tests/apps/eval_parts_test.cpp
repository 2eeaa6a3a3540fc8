// SPDX-License-Identifier: GPL-3.0-or-later
// Parts of numerella-eval on their own: the line reader over reads of any shape, and the
// number text of the JSON objects.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cmath>

#include "case_table.h"
#include "json_output.h"
#include "line_reader.h"

namespace numerella::cli {
namespace {

using numerella::test::ReadTable;

// The reader's events as text: "line|", or "first~+piece+piece|" for a long line; "$" at the
// end, "!" on an error.
std::string ReadAll(int fd, std::size_t longest) {
  LineReader reader(fd, longest, [] {});
  std::string events;
  for (std::string_view line;;) {
    const LineReader::Result result = reader.Next(line);
    if (result == LineReader::Result::kEnd) return events + "$";
    if (result == LineReader::Result::kError) return events + "!";
    events += std::string(line);
    if (result == LineReader::Result::kLongLine) {
      events += "~";
      reader.Rest([&](std::string_view piece) { events += "+" + std::string(piece); });
    }
    events += "|";
  }
}

// Each piece arrives as one read: a packet socket keeps the boundaries.
TEST(LineReader, Pieces) {
  for (const auto& row : ReadTable(TABLES "line_reader.tsv")) {
    int fds[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, fds), 0);
    for (const std::string& piece : numerella::test::Words(row["pieces"]))
      ASSERT_EQ(write(fds[1], piece.data(), piece.size()), static_cast<ssize_t>(piece.size()));
    close(fds[1]);
    EXPECT_EQ(ReadAll(fds[0], std::stoul(row["longest"])), numerella::test::Unescape(row["events"]))
        << row.where;
    close(fds[0]);
  }
}

// A value is read by strtod (an empty cell: no value).
TEST(NumerellaEvalJson, Numbers) {
  for (const auto& row : ReadTable(TABLES "json_numbers.tsv")) {
    std::string text;
    AppendJsonValue(
        text, row["value"].empty() ? Value() : Value(std::strtod(row["value"].c_str(), nullptr)));
    EXPECT_EQ(text, row["text"]) << row.where;
  }
}

}  // namespace
}  // namespace numerella::cli
