// Page operations: page-range texts, presentation transitions and rotation.
#include <charconv>
#include <iterator>

#include "pdf/document/zkCstPDFDoc.h"

namespace sarvane::pdf::doc {

using namespace sarvane::pdf;

namespace {

bool IsBlank(char c) { return c >= 1 && c <= 32; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The items of a comma or blank separated list; a quoted item runs to its
// closing quote, a doubled quote inside standing for one.
std::vector<std::string> SplitItems(std::string_view text) {
  std::vector<std::string> items;
  size_t p = 0;
  auto skipBlanks = [&] {
    while (p < text.size() && IsBlank(text[p])) ++p;
  };
  skipBlanks();
  while (p < text.size()) {
    std::string item;
    if (text[p] == '"') {
      ++p;
      while (p < text.size()) {
        if (text[p] == '"') {
          if (p + 1 < text.size() && text[p + 1] == '"') {
            item += '"';
            p += 2;
            continue;
          }
          ++p;
          break;
        }
        item += text[p++];
      }
    } else {
      while (p < text.size() && text[p] != ',' && !IsBlank(text[p])) item += text[p++];
    }
    items.push_back(std::move(item));
    skipBlanks();
    if (p < text.size() && text[p] == ',') {
      ++p;
      // A comma that ends the text closes one more (empty) item.
      if (p == text.size()) items.emplace_back();
      skipBlanks();
    }
  }
  return items;
}

std::optional<int64_t> Decimal(std::string_view text) {
  int64_t value = 0;
  if (text.empty() || text.size() > 18) return std::nullopt;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

struct TzkTransitionStyle {
  std::string_view Style, Dimension, Motion;
  int Direction;  // -1: none
};

constexpr TzkTransitionStyle kTransitionStyles[] = {
    {"/R", "", "", -1},       {"/Split", "/H", "/I", -1}, {"/Split", "/H", "/O", -1}, {"/Split", "/V", "/I", -1},
    {"/Split", "/V", "/O", -1}, {"/Blinds", "/H", "", -1}, {"/Blinds", "/V", "", -1}, {"/Box", "", "/I", -1},
    {"/Box", "", "/O", -1},   {"/Wipe", "", "", 0},      {"/Wipe", "", "", 90},     {"/Wipe", "", "", 180},
    {"/Wipe", "", "", 270},   {"/Dissolve", "", "", -1}, {"/Glitter", "", "", 0},   {"/Glitter", "", "", 270},
    {"/Glitter", "", "", 315}};
static_assert(std::size(kTransitionStyles) == std::size(res::kTransitionNames));

}  // namespace

std::vector<int32_t> TzkCustomPDFDocument::ParsePageRange(const std::string& range, int32_t pageCount) {
  const std::string text = range.empty() ? "1-" + std::to_string(pageCount) : range;
  std::vector<int32_t> pages;
  for (const std::string& item : SplitItems(text)) {
    const auto bad = [&] { return EInvalidPageError(Format(res::kInvalidPageRange, item)); };
    if (const size_t dash = item.find('-'); dash != std::string::npos) {
      const std::string_view from = Trim(std::string_view(item).substr(0, dash));
      const std::string_view to = Trim(std::string_view(item).substr(dash + 1));
      const std::optional<int64_t> first = from.empty() ? std::optional<int64_t>(1) : Decimal(from);
      const std::optional<int64_t> last = to.empty() ? std::optional<int64_t>(pageCount) : Decimal(to);
      if (!first || !last || *first < 1 || *last < *first || *last > pageCount) throw bad();
      for (int64_t p = *first; p <= *last; ++p) pages.push_back(static_cast<int32_t>(p));
      continue;
    }
    const std::optional<int64_t> page = Decimal(item);
    if (!page) throw bad();
    if (*page < 1 || *page > pageCount)
      throw EInvalidPageError(Format(res::kInvalidPageNumber, static_cast<int32_t>(*page)));
    pages.push_back(static_cast<int32_t>(*page));
  }
  return pages;
}

void TzkCustomPDFDocument::SetPageTransition(const std::string& range, uint8_t effect, float duration) {
  const std::vector<int32_t> pages = ParsePageRange(range, PageCount());
  const TzkTransitionStyle& style = kTransitionStyles[effect < std::size(kTransitionStyles) ? effect : 0];
  for (int32_t page : pages) {
    auto& dict = pages_[static_cast<size_t>(page - 1)]->Value()->Cast<TzkPDFDictObject>();
    auto trans = std::make_unique<TzkPDFDictObject>();
    trans->AddName("/Type", "/Trans");
    trans->AddReal("/D", duration);
    trans->AddName("/S", std::string(style.Style));
    if (!style.Dimension.empty()) trans->AddName("/Dm", std::string(style.Dimension));
    if (!style.Motion.empty()) trans->AddName("/M", std::string(style.Motion));
    if (style.Direction >= 0) trans->AddInteger("/Di", style.Direction);
    // A replaced value may have been the only use of an object.
    for (std::string_view key : {"/Dur", "/Trans"}) ReleaseReferences(dict.Lookup(key));
    dict.SetValue("/Dur", std::make_unique<TzkPDFRealObject>(duration));
    dict.SetValue("/Trans", std::move(trans));
  }
}

int32_t TzkCustomPDFDocument::GetPageRotation(int page) {
  if (page < 1 || page > PageCount()) throw EInvalidPageError(Format(res::kInvalidPageNumber, page));
  const auto& dict = pages_[static_cast<size_t>(page - 1)]->Value()->Cast<TzkPDFDictObject>();
  const std::optional<int64_t> rotate = IntegerOf(store_->Resolve(dict.Lookup("/Rotate")));
  return rotate ? static_cast<int32_t>(*rotate) : 0;
}

}  // namespace sarvane::pdf::doc
