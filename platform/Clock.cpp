#include "platform/Clock.h"

#include <chrono>
#include <cstdio>
#include <ctime>

namespace sarvane {

LocalDateTime Now() {
  using namespace std::chrono;
  auto now = system_clock::now();
  std::time_t t = system_clock::to_time_t(now);
  std::tm tm{};
  localtime_r(&t, &tm);
  LocalDateTime d;
  d.year = tm.tm_year + 1900;
  d.month = tm.tm_mon + 1;
  d.day = tm.tm_mday;
  d.hour = tm.tm_hour;
  d.minute = tm.tm_min;
  d.second = tm.tm_sec;
  d.millisecond = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
  return d;
}

namespace {
void AppendNumber(std::string& out, int value, int width) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", width, value);
  out += buf;
}

bool StartsWith(std::string_view s, size_t i, std::string_view what) {
  if (i + what.size() > s.size()) return false;
  for (size_t k = 0; k < what.size(); ++k)
    if ((s[i + k] | 0x20) != what[k]) return false;
  return true;
}
}  // namespace

std::string FormatDateTime(std::string_view p, const LocalDateTime& t) {
  std::string out;
  bool afterHour = false;
  for (size_t i = 0; i < p.size();) {
    if (StartsWith(p, i, "yyyy")) { AppendNumber(out, t.year, 4); i += 4; }
    else if (StartsWith(p, i, "yy")) { AppendNumber(out, t.year % 100, 2); i += 2; }
    else if (StartsWith(p, i, "mm")) { AppendNumber(out, afterHour ? t.minute : t.month, 2); afterHour = false; i += 2; }
    else if (StartsWith(p, i, "dd")) { AppendNumber(out, t.day, 2); i += 2; }
    else if (StartsWith(p, i, "hh")) { AppendNumber(out, t.hour, 2); afterHour = true; i += 2; }
    else if (StartsWith(p, i, "nn")) { AppendNumber(out, t.minute, 2); i += 2; }
    else if (StartsWith(p, i, "ss")) { AppendNumber(out, t.second, 2); i += 2; }
    else if (StartsWith(p, i, "zzz")) { AppendNumber(out, t.millisecond, 3); i += 3; }
    else { out += p[i]; ++i; }
  }
  return out;
}

}  // namespace sarvane
