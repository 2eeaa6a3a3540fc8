// SPDX-License-Identifier: GPL-3.0-or-later
// Small text helpers of the compiler and the collector of its check listing.
#pragma once

#include <charconv>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "compiler/compile_formula.h"

namespace numerella::compile_detail {

// Upper case of one Latin-1 byte (a-z and the accented small letters).
constexpr char UpperLatin1(char c) {
  const auto u = static_cast<unsigned char>(c);
  if ((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7)) {
    return static_cast<char>(u - 0x20);
  }
  return c;
}

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A number as listing lines write it: a leading blank when not negative, "-" when negative.
// Written into the object itself, so that building a line needs no memory of its own.
class BlankSigned {
 public:
  explicit BlankSigned(long long n) {
    char* first = text_;
    if (n >= 0) *first++ = ' ';
    length_ = static_cast<std::size_t>(std::to_chars(first, text_ + sizeof text_, n).ptr - text_);
  }
  operator std::string_view() const { return {text_, length_}; }

 private:
  char text_[24];
  std::size_t length_;
};

// A part of the formula text: byte offsets into the formula given to the compiler.
struct Span {
  std::uint32_t begin = 0;
  std::uint32_t end = 0;
};

// The check listing of one compilation, its cumulative error flag and where its first error
// lies. Lines are added only when the listing was asked for; the flag is kept either way.
class Findings {
 public:
  Findings(bool listing_wanted, std::string& listing)
      : listing_wanted_(listing_wanted), listing_(listing) {}

  bool listing_wanted() const { return listing_wanted_; }
  bool failed() const { return failed_; }
  // Whether an error with a place has been found: later errors need not work out theirs.
  bool placed() const { return first_error_.has_value(); }
  const std::optional<TextSpan>& first_error() const { return first_error_; }

  // A failure without a place and without a line (a limit of the compiler's counters).
  void Fail() { failed_ = true; }

  // Records an error found at where; the first error that has a place is the one shown to
  // the user. Returns whether its line is to be written (the listing was asked for), so that
  // callers build line texts only when they are wanted.
  bool Error(Span where) {
    if (!first_error_) first_error_ = TextSpan{where.begin, where.end - where.begin};
    failed_ = true;
    return listing_wanted_;
  }

  // Adds one line made of the parts, ended by a carriage return (only when wanted).
  void Line(std::initializer_list<std::string_view> parts) {
    if (!listing_wanted_) return;
    std::size_t length = 1;
    for (std::string_view part : parts) length += part.size();
    const std::size_t at = listing_.size();
    listing_.resize(at + length);
    char* out = listing_.data() + at;
    for (std::string_view part : parts) {
      std::memcpy(out, part.data(), part.size());
      out += part.size();
    }
    *out = '\r';
  }

  // Empties the listing as long as no error has been found (whether or not it is wanted).
  void DropListingIfClean() {
    if (!failed_) listing_.clear();
  }

 private:
  bool listing_wanted_;
  bool failed_ = false;
  std::optional<TextSpan> first_error_;
  std::string& listing_;
};

}  // namespace numerella::compile_detail
