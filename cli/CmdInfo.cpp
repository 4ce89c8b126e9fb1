// sarvane-cli info: what the library reads from a PDF file, as one JSON object.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <exception>
#include <iostream>
#include <string>
#include <unordered_map>
#include <vector>

#include "cli/OptionParser.h"
#include "pdf/crypt/zkPDFCrypt.h"
#include "pdf/document/zkPDFDoc.h"
#include "pdf/forms/zkPDFFormFields.h"
#include "platform/CodePage.h"

namespace {

using sarvane::pdf::doc::TzkComponent;
using sarvane::pdf::doc::TzkPDFDocument;
using sarvane::pdf::doc::TzkPDFOutline;
using sarvane::pdf::TzkPDFDictObject;

const char kInfoUsage[] =
    "usage: sarvane-cli info [--password P] FILE\n"
    "\n"
    "Loads FILE and prints one JSON object on standard output:\n"
    "  version        header version, \"1.0\" to \"1.7\"\n"
    "  pages          number of pages\n"
    "  encrypted      whether the file is encrypted\n"
    "  owner          whether it was opened with owner rights (true for a plain file)\n"
    "  level          \"40\", \"128\" (RC4 key bits) or \"aes256\", null for a plain file\n"
    "  method         RC4-40, RC4-128, AES-128 or AES-256 and revision 2 to 6, null for a plain file\n"
    "  permissions    the reader permissions held, e.g. \"AllowPrint\"\n"
    "  info           Title, Author, Subject, Keywords, Creator, Producer,\n"
    "                 CreationDate, ModDate (UTF-8)\n"
    "  page_mode      pmNone, pmUseOutlines, pmUseThumbs, pmFullScreen, pmUseAttachments\n"
    "  page_layout    plNone, plSinglePage, plOneColumn, plTwoColumnLeft, plTwoColumnRight\n"
    "  page_sizes_mm  [width, height] of each page's visible box in millimetres\n"
    "  page_rotations each page's /Rotate as stored (0 without one)\n"
    "  outlines       the bookmarks, nested: {\"title\" (UTF-8), \"page\" (the\n"
    "                 target page number, null when it targets none of the\n"
    "                 pages), \"open\" (false for a closed item), \"children\"}\n"
    "  page_actions   for each page {\"open\": bool, \"close\": bool}: whether it\n"
    "                 has an action run when it opens and when it closes\n"
    "  page_scripts   for each page whether a JavaScript runs when it opens\n"
    "                 (the page scripts of a view limit)\n"
    "  fields         each terminal form field in document order: {\"name\" (full\n"
    "                 name), \"kind\" (text, checkbox, radio, combo, list, button,\n"
    "                 signature), \"value\", \"pages\" (pages of its widgets)}\n"
    "  warnings       defects met while reading\n"
    "\n"
    "options:\n"
    "  --password P   the password to offer when the file is encrypted (once;\n"
    "                 without it the empty password is offered)\n"
    "  --help         show this text\n"
    "\n"
    "exit status: 0 loaded, 2 the password was refused, 1 any other error\n"
    "(its message on standard error).\n";

void AppendJsonString(std::string& out, std::string_view text) {
  out += '"';
  for (unsigned char c : text) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          static const char kHex[] = "0123456789abcdef";
          out += "\\u00";
          out += kHex[c >> 4];
          out += kHex[c & 15];
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  out += '"';
}

void AppendNumber(std::string& out, double value) {
  if (!std::isfinite(value)) {
    out += "null";
    return;
  }
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

constexpr const char* kPageModes[] = {"pmNone", "pmUseOutlines", "pmUseThumbs", "pmFullScreen",
                                      "pmUseAttachments"};
constexpr const char* kPageLayouts[] = {"plNone", "plSinglePage", "plOneColumn", "plTwoColumnLeft",
                                        "plTwoColumnRight"};

// The page an outline item leads to (its destination, else its go-to
// action's), 0 when none of the document's pages.
int OutlineTargetPage(const TzkPDFOutline& item, const std::unordered_map<int32_t, int>& pageOf) {
  const TzkPDFDictObject* dict = item.Dict();
  if (!dict) return 0;
  const auto* dest = dict->LookupAs<sarvane::pdf::TzkPDFArrayObject>("/Dest");
  if (!dest) {
    const auto* action = dict->LookupAs<TzkPDFDictObject>("/A");
    const auto* kind = action ? action->LookupAs<sarvane::pdf::TzkPDFNameObject>("/S") : nullptr;
    if (kind && kind->Text() == "/GoTo") dest = action->LookupAs<sarvane::pdf::TzkPDFArrayObject>("/D");
  }
  const auto* page = dest && dest->Count() > 0
                         ? sarvane::pdf::ObjectAs<sarvane::pdf::TzkPDFIndirectReference>(dest->ItemAt(0))
                         : nullptr;
  if (!page) return 0;
  auto it = pageOf.find(page->ObjectNumber());
  return it == pageOf.end() ? 0 : it->second;
}

// The outline as nested JSON; written with a stack of its own, as a file
// may nest bookmarks deeper than the machine stack allows.
void AppendOutlines(std::string& out, TzkPDFDocument& doc) {
  std::unordered_map<int32_t, int> pageOf;
  for (int page = doc.PageCount(); page >= 1; --page)
    pageOf[doc.Pages()[static_cast<size_t>(page - 1)]->ObjectNumber()] = page;
  out += '[';
  std::vector<const TzkPDFOutline*> resume;  // where each open level goes on
  const TzkPDFOutline* item = doc.OutlineRoot() ? doc.OutlineRoot()->FirstChild() : nullptr;
  bool firstInLevel = true;
  while (item || !resume.empty()) {
    if (!item) {
      out += "]}";
      item = resume.back();
      resume.pop_back();
      firstInLevel = false;
      continue;
    }
    if (!firstInLevel) out += ',';
    out += "{\"title\":";
    AppendJsonString(out, sarvane::Utf16ToUtf8(item->Title()));
    out += ",\"page\":";
    const int page = OutlineTargetPage(*item, pageOf);
    out += page > 0 ? std::to_string(page) : "null";
    out += ",\"open\":";
    out += item->Closed() ? "false" : "true";
    out += ",\"children\":[";
    if (item->FirstChild()) {
      resume.push_back(item->NextSibling());
      item = item->FirstChild();
      firstInLevel = true;
      continue;
    }
    out += "]}";
    item = item->NextSibling();
    firstInLevel = false;
  }
  out += ']';
}

std::string DescribeDocument(TzkPDFDocument& doc, const std::vector<std::string>& warnings) {
  std::string out = "{\"version\":";
  AppendJsonString(out, std::string(sarvane::pdf::doc::PDFVersionText(doc.PDFVersion())));
  out += ",\"pages\":" + std::to_string(doc.PageCount());
  out += ",\"encrypted\":";
  out += doc.IsEncrypted() ? "true" : "false";
  out += ",\"owner\":";
  out += doc.IsOwner() ? "true" : "false";
  out += ",\"level\":";
  if (doc.IsEncrypted()) {
    const auto level = doc.Encryption().Level();
    AppendJsonString(out, level == sarvane::pdf::el40bit ? "40" : level == sarvane::pdf::el128bit ? "128" : "aes256");
  } else {
    out += "null";
  }
  const auto* decryptor = doc.Decryptor();
  out += ",\"method\":";
  if (decryptor) AppendJsonString(out, decryptor->MethodName()); else out += "null";
  out += ",\"revision\":" + (decryptor ? std::to_string(decryptor->Revision()) : std::string("null"));

  out += ",\"permissions\":[";
  static constexpr std::pair<sarvane::pdf::TzkUserPermissionsType, const char*> kPermissions[] = {
      {sarvane::pdf::AllowCopy, "AllowCopy"},
      {sarvane::pdf::AllowModify, "AllowModify"},
      {sarvane::pdf::AllowPrint, "AllowPrint"},
      {sarvane::pdf::AllowAnnotation, "AllowAnnotation"},
      {sarvane::pdf::AllowFormFill, "AllowFormFill"},
      {sarvane::pdf::AllowAccessibility, "AllowAccessibility"},
      {sarvane::pdf::AllowDocAssembly, "AllowDocAssembly"},
      {sarvane::pdf::AllowHighResPrint, "AllowHighResPrint"},
  };
  const auto held = doc.Encryption().UserPermissions();
  bool first = true;
  for (const auto& [permission, name] : kPermissions) {
    if (!held.Contains(permission)) continue;
    if (!first) out += ',';
    first = false;
    AppendJsonString(out, name);
  }
  out += ']';

  auto& info = doc.DocumentInfo();
  const std::pair<const char*, std::u16string> texts[] = {
      {"Title", info.Title()},
      {"Author", info.Author()},
      {"Subject", info.Subject()},
      {"Keywords", info.Keywords()},
      {"Creator", info.Creator()},
      {"Producer", info.Producer()},
      {"CreationDate", sarvane::pdf::doc::DecodePDFText(info.CreationDate())},
      {"ModDate", sarvane::pdf::doc::DecodePDFText(info.ModDate())},
  };
  out += ",\"info\":{";
  first = true;
  for (const auto& [key, value] : texts) {
    if (!first) out += ',';
    first = false;
    AppendJsonString(out, key);
    out += ':';
    AppendJsonString(out, sarvane::Utf16ToUtf8(value));
  }
  out += '}';

  out += ",\"page_mode\":";
  AppendJsonString(out, kPageModes[doc.PageMode() < 5 ? doc.PageMode() : 0]);
  out += ",\"page_layout\":";
  AppendJsonString(out, kPageLayouts[doc.PageLayout() < 5 ? doc.PageLayout() : 0]);

  out += ",\"page_sizes_mm\":[";
  for (int page = 1; page <= doc.PageCount(); ++page) {
    double width = 0;
    double height = 0;
    doc.GetPageSize(page, sarvane::pdf::doc::muMM, width, height);
    if (page > 1) out += ',';
    out += '[';
    AppendNumber(out, width);
    out += ',';
    AppendNumber(out, height);
    out += ']';
  }
  out += ']';

  out += ",\"page_rotations\":[";
  for (int page = 1; page <= doc.PageCount(); ++page) {
    if (page > 1) out += ',';
    out += std::to_string(doc.GetPageRotation(page));
  }
  out += ']';

  out += ",\"outlines\":";
  AppendOutlines(out, doc);

  out += ",\"page_actions\":[";
  for (int page = 1; page <= doc.PageCount(); ++page) {
    if (page > 1) out += ',';
    out += "{\"open\":";
    out += doc.HasPageAction(page, 0) ? "true" : "false";
    out += ",\"close\":";
    out += doc.HasPageAction(page, 1) ? "true" : "false";
    out += '}';
  }
  out += ']';

  out += ",\"page_scripts\":[";
  for (int page = 1; page <= doc.PageCount(); ++page) {
    if (page > 1) out += ',';
    out += doc.PageActionChainHolds(page, 0, "/JavaScript") ? "true" : "false";
  }
  out += ']';

  out += ",\"fields\":[";
  if (const auto& fields = doc.FormFields()) {
    const auto annotationPages = sarvane::pdf::forms::AnnotationPages(doc);
    // Field texts are in the system code page; JSON is UTF-8.
    auto text = [](const std::string& s) { return sarvane::Utf16ToUtf8(sarvane::AnsiToUtf16(s)); };
    first = true;
    for (const auto& field : fields->Items) {
      if (!field->Terminal) continue;
      if (!first) out += ',';
      first = false;
      out += "{\"name\":";
      AppendJsonString(out, text(field->FullName));
      out += ",\"kind\":";
      AppendJsonString(out, sarvane::pdf::forms::FieldKindName(*field));
      out += ",\"value\":";
      AppendJsonString(out, text(field->Value));
      out += ",\"pages\":[";
      std::vector<int> pages;
      for (int32_t widget : field->Widgets) {
        auto it = annotationPages.find(widget);
        if (it == annotationPages.end()) continue;
        for (int page : it->second) {
          if (std::find(pages.begin(), pages.end(), page) == pages.end()) pages.push_back(page);
        }
      }
      std::sort(pages.begin(), pages.end());
      for (size_t i = 0; i < pages.size(); ++i) {
        if (i > 0) out += ',';
        out += std::to_string(pages[i]);
      }
      out += "]}";
    }
  }
  out += ']';

  out += ",\"warnings\":[";
  first = true;
  for (const std::string& warning : warnings) {
    if (!first) out += ',';
    first = false;
    AppendJsonString(out, warning);
  }
  out += "]}\n";
  return out;
}

}  // namespace

int CmdInfo(int argc, char** argv) {
  constexpr sarvane::cli::TOptionSpec kInfoOptions[] = {{"--password", true}};
  sarvane::cli::TParsedOptions parsed;
  if (const auto ended = sarvane::cli::ReadCommandLine("info", kInfoUsage, argc, argv, kInfoOptions, parsed)) return *ended;
  if (parsed.Operands.empty()) {
    std::cerr << "sarvane-cli info: FILE missing\n" << kInfoUsage;
    return 1;
  }
  if (parsed.Operands.size() > 1) {
    std::cerr << "sarvane-cli info: one FILE only\n" << kInfoUsage;
    return 1;
  }
  const std::string& password = parsed.Value("--password");
  const std::string& file = parsed.Operands.front();

  try {
    TzkPDFDocument doc;
    doc.SetShowSetupDialog(false);
    std::vector<std::string> warnings;
    doc.OnWarning = [&](TzkComponent*, const std::string& warning) { warnings.push_back(warning); };
    // The password is offered once, as the locking tool does; a second
    // request means it was refused.
    doc.OnPassword = [&](TzkComponent*, std::string& offered, bool& continueAsking, int tries) {
      if (tries == 0) {
        offered = password;
      } else {
        continueAsking = false;
      }
    };
    if (!doc.LoadDocument(file)) {
      std::cerr << "sarvane-cli info: the password was refused\n";
      return 2;
    }
    std::cout << DescribeDocument(doc, warnings);
    return 0;
  } catch (const std::exception& e) {
    std::cerr << e.what() << "\n";
    return 1;
  }
}
