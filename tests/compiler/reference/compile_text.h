// SPDX-License-Identifier: GPL-3.0-or-later
// Small text helpers of the compiler and the collector of its check listing.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace numerella::reference::compile_detail {

// Removes every blank (code 32); other white space stays.
std::string RemoveBlanks(std::string_view text);

// 0 for an empty text, else the number of "," plus 1.
int CountItems(std::string_view text);

// The items of a comma-separated list (one empty item for an empty list).
std::vector<std::string_view> SplitItems(std::string_view list);

// Cuts text at the first separator: before and after lose their leading and trailing blanks.
// Without the separator, before is the whole (trimmed) text and after is empty.
void SplitAtFirst(std::string_view text, char separator, std::string& before, std::string& after);

// Upper case of one Latin-1 byte (a-z and the accented small letters).
char UpperLatin1(char c);
std::string UpperLatin1(std::string_view text);

// A number as listing lines write it: a leading blank when not negative, "-" when negative.
std::string BlankSigned(long long n);

// An ordinal written with at least two digits ("07", "42", "123").
std::string TwoDigits(int n);

// The check listing of one compilation together with its cumulative error flag. Lines are added
// only when the listing was asked for; the flag is kept either way.
class Findings {
 public:
  Findings(bool listing_wanted, std::string& listing)
      : listing_wanted_(listing_wanted), listing_(listing) {}

  bool listing_wanted() const { return listing_wanted_; }
  bool failed() const { return failed_; }
  void Fail() { failed_ = true; }

  // Adds one line made of the parts, ended by a carriage return.
  void Line(std::initializer_list<std::string_view> parts);
  // Marks the compilation as failed and adds the line.
  void Error(std::initializer_list<std::string_view> parts) {
    Fail();
    Line(parts);
  }
  // Empties the listing as long as no error has been found (whether or not it is wanted).
  void DropListingIfClean() {
    if (!failed_) listing_.clear();
  }

 private:
  bool listing_wanted_;
  bool failed_ = false;
  std::string& listing_;
};

}  // namespace numerella::reference::compile_detail
