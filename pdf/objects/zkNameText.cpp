#include "pdf/objects/zkNameText.h"

#include <iterator>
#include <mutex>
#include <unordered_set>

namespace sarvane::pdf {

namespace {
struct TextHash {
  using is_transparent = void;
  size_t operator()(std::string_view text) const noexcept { return std::hash<std::string_view>{}(text); }
};

// The shared texts. Nodes never move or go away, so a name may point into
// the table for as long as the process runs, from any thread.
class SharedTexts {
 public:
  // The shared text equal to text, or nullptr when the table is full.
  const std::string* Find(std::string_view text) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (auto it = texts_.find(text); it != texts_.end()) return &*it;
    if (texts_.size() >= TzkNameText::kMaxShared) return nullptr;
    return &*texts_.emplace(text).first;
  }

 private:
  std::mutex mutex_;
  std::unordered_set<std::string, TextHash, std::equal_to<>> texts_;
};

// Never destroyed: names may still be read while static objects go.
SharedTexts& TheSharedTexts() {
  static SharedTexts* texts = new SharedTexts;
  return *texts;
}

// Each thread first asks a small cache of its own, so that jobs on several
// threads seldom meet at the table's lock.
const std::string* FindShared(std::string_view text) {
  thread_local const std::string* recent[256] = {};
  const std::string*& slot = recent[TextHash{}(text) % std::size(recent)];
  if (slot && *slot == text) return slot;
  const std::string* shared = TheSharedTexts().Find(text);
  if (shared) slot = shared;
  return shared;
}

const std::string& NoText() {
  static const std::string* empty = new std::string;
  return *empty;
}
}  // namespace

uintptr_t TzkNameText::Make(std::string_view text) {
  if (text.size() <= kMaxSharedLength) {
    if (const std::string* shared = FindShared(text)) return reinterpret_cast<uintptr_t>(shared);
  }
  return reinterpret_cast<uintptr_t>(new std::string(text)) | kOwned;
}

TzkNameText::TzkNameText(std::string_view text) : bits_(Make(text)) {}

TzkNameText::TzkNameText(const TzkNameText& other)
    : bits_((other.bits_ & kOwned) ? Make(other.Text()) : other.bits_) {}

TzkNameText& TzkNameText::operator=(const TzkNameText& other) {
  if (this != &other) {
    const uintptr_t copy = (other.bits_ & kOwned) ? Make(other.Text()) : other.bits_;
    Release();
    bits_ = copy;
  }
  return *this;
}

TzkNameText& TzkNameText::operator=(TzkNameText&& other) noexcept {
  if (this != &other) {
    Release();
    bits_ = other.bits_;
    other.bits_ = 0;
  }
  return *this;
}

const std::string& TzkNameText::Text() const {
  if (bits_ == 0) return NoText();
  return *reinterpret_cast<const std::string*>(bits_ & ~kOwned);
}

void TzkNameText::Release() noexcept {
  if (bits_ & kOwned) delete reinterpret_cast<std::string*>(bits_ & ~kOwned);
  bits_ = 0;
}

}  // namespace sarvane::pdf
