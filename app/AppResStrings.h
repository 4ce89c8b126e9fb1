#pragma once
// Message texts of the locking tool, filled with Format().

namespace sarvane::app {

inline constexpr char kSCannotWriteFile[] = "%s に書き込めません";

}  // namespace sarvane::app
