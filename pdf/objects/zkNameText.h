#pragma once
// TzkNameText: the text of a name, a dictionary key or a name value, in one
// word. A large document holds hundreds of thousands of them drawn from a
// vocabulary of a few dozen (/Type, /Parent, /Rect, /XYZ ...); a text of
// their own was a fifth of the document's memory. The texts are shared from
// one table for the whole process. The table is bounded, so that hostile
// files with endless made-up names cannot grow it without end: past its
// limit, or for a long text, a name owns its text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace sarvane::pdf {

class TzkNameText {
 public:
  // The name text, "/" included as given.
  explicit TzkNameText(std::string_view text);
  TzkNameText(const TzkNameText& other);
  TzkNameText& operator=(const TzkNameText& other);
  TzkNameText(TzkNameText&& other) noexcept : bits_(other.bits_) { other.bits_ = 0; }
  TzkNameText& operator=(TzkNameText&& other) noexcept;
  ~TzkNameText() { Release(); }

  const std::string& Text() const;
  // Whether the text is one of the shared ones.
  bool Shared() const { return bits_ != 0 && (bits_ & kOwned) == 0; }

  // Distinct shared texts at most, and the longest text shared.
  static constexpr size_t kMaxShared = 1 << 16;
  static constexpr size_t kMaxSharedLength = 64;

 private:
  // A pointer to the text; the low bit (free, as texts are aligned) marks a
  // text this key owns. Zero only in a moved-from key.
  static constexpr uintptr_t kOwned = 1;
  void Release() noexcept;
  static uintptr_t Make(std::string_view text);

  uintptr_t bits_;
};

}  // namespace sarvane::pdf
