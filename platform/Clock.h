#pragma once
// Local date and time, and the screen facts the library reads once.
#include <string>

namespace sarvane {

struct LocalDateTime {
  int year = 0, month = 0, day = 0;  // month 1..12, day 1..31
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

LocalDateTime Now();

// Formats with the runtime's patterns: yyyy, yy, mm (month, or minutes after
// hh), dd, hh, nn, ss, zzz; any other character is copied.
std::string FormatDateTime(std::string_view pattern, const LocalDateTime& t);

// The screen resolution used for pixel units.
constexpr int PixelsPerInch() { return 96; }

}  // namespace sarvane
