// SPDX-License-Identifier: GPL-3.0-or-later
#include "reference/compile_text.h"

#include <algorithm>

namespace numerella::reference::compile_detail {

std::string RemoveBlanks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c != ' ') out.push_back(c);
  }
  return out;
}

int CountItems(std::string_view text) {
  if (text.empty()) return 0;
  return static_cast<int>(std::count(text.begin(), text.end(), ',')) + 1;
}

std::vector<std::string_view> SplitItems(std::string_view list) {
  std::vector<std::string_view> items;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = list.find(',', start);
    if (comma == std::string_view::npos) break;
    items.push_back(list.substr(start, comma - start));
    start = comma + 1;
  }
  items.push_back(list.substr(start));
  return items;
}

namespace {
std::string_view TrimBlanks(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}
}  // namespace

void SplitAtFirst(std::string_view text, char separator, std::string& before, std::string& after) {
  const std::size_t at = text.find(separator);
  if (at == std::string_view::npos) {
    before = TrimBlanks(text);
    after.clear();
    return;
  }
  before = TrimBlanks(text.substr(0, at));
  after = TrimBlanks(text.substr(at + 1));
}

char UpperLatin1(char c) {
  const auto u = static_cast<unsigned char>(c);
  if ((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7)) {
    return static_cast<char>(u - 0x20);
  }
  return c;
}

std::string UpperLatin1(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = UpperLatin1(c);
  return out;
}

std::string BlankSigned(long long n) {
  std::string out = n < 0 ? "" : " ";
  out += std::to_string(n);
  return out;
}

std::string TwoDigits(int n) {
  std::string digits = std::to_string(n);
  if (digits.size() < 2) digits.insert(0, 1, '0');
  return digits;
}

void Findings::Line(std::initializer_list<std::string_view> parts) {
  if (!listing_wanted_) return;
  for (std::string_view part : parts) listing_.append(part);
  listing_.push_back('\r');
}

}  // namespace numerella::reference::compile_detail
