#include "app/ViewLimit.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include "app/AppResStrings.h"
#include "pdf/document/zkPDFDocExceptions.h"
#include "pdf/forms/zkPDFFormCreate.h"
#include "pdf/forms/zkPDFFormFields.h"
#include "platform/Exception.h"
#include "platform/Paths.h"

namespace sarvane::app {

using namespace sarvane::pdf::doc;

namespace {

constexpr uint8_t kPageOpen = 0;
constexpr sarvane::pdf::forms::TColor kOverlayColour = 0xDAFFFF;

std::string FieldName(int index) { return "ViewLimit" + std::to_string(index); }

void ReplaceAll(std::string& text, std::string_view what, const std::string& with) {
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Exception(Format(kSCannotReadTemplate, path));
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) throw Exception(Format(kSCannotReadTemplate, path));
  return bytes.str();
}

}  // namespace

std::vector<std::string> SplitTemplateLines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r' && bytes[i] != '\n') continue;
    lines.push_back(bytes.substr(start, i - start));
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < bytes.size()) lines.push_back(bytes.substr(start));
  return lines;
}

std::string FillTemplateLine(const std::string& line, int pageIndex, const std::string& url,
                             const std::string& date) {
  std::string text = line;
  ReplaceAll(text, "%P%", std::to_string(pageIndex));
  ReplaceAll(text, "%U%", url);
  ReplaceAll(text, "%D%", date);
  return text;
}

std::string PageScript(const std::vector<std::string>& lines, int pageIndex, const std::string& url,
                       const std::string& date) {
  std::string script;
  for (const std::string& line : lines) {
    script += FillTemplateLine(line, pageIndex, url, date);
    script += "\r\n";
  }
  return script;
}

bool IsSafeLimitURL(const std::string& url) {
  for (unsigned char c : url) {
    if (c <= 0x20 || c >= 0x7F) return false;
    if (c == '"' || c == '\'' || c == '\\' || c == '(' || c == ')') return false;
  }
  return true;
}

std::string ViewLimitTemplatePath(bool dateActive, bool urlActive) {
  if (dateActive && urlActive) return ExecutableDir() + "date_url/usr_script.txt";
  if (dateActive) return ExecutableDir() + "date/usr_script.txt";
  if (urlActive) return ExecutableDir() + "url/usr_script.txt";
  return std::string();
}

void TViewLimits::ApplyViewLimits(const TSettings& settings, const std::string& date) {
  const bool dateActive = settings.LockDateOn && !date.empty();
  const bool urlActive = settings.LockURLOn && !settings.LockURL.empty();
  // The address lands in a JavaScript string inside a PDF string, unescaped.
  if (urlActive && !IsSafeLimitURL(settings.LockURL)) throw Exception(Format(kSUnsafeLimitURL, settings.LockURL));
  ClearViewLimits();
  const std::string path = ViewLimitTemplatePath(dateActive, urlActive);
  if (!path.empty()) AddViewLimitScripts(path, urlActive ? settings.LockURL : std::string(), date);
}

void TViewLimits::ClearViewLimits() {
  const int n = doc_.PageCount();
  doc_.Encryption().SetEnabled(false);
  for (int i = 0; i < n; ++i) {
    try {
      sarvane::pdf::forms::DeleteFormField(doc_, FieldName(i));
    } catch (const EFieldNotFound&) {
      // Not every document carries an overlay.
    } catch (const std::exception&) {
      failure_ = 1;
      return;
    }
  }
  for (int page = 1; page <= n; ++page) {
    try {
      doc_.RemovePageAction(page, kPageOpen);
    } catch (const std::exception&) {
      failure_ = 1;
      return;
    }
  }
}

void TViewLimits::AddViewLimitFields() {
  for (int i = 0; i < doc_.PageCount(); ++i) {
    doc_.SetMeasurementUnit(muMM);
    double width = 0, height = 0;
    doc_.GetPageSize(i + 1, muMM, width, height);
    sarvane::pdf::forms::TzkPDFFormCheckBox box;
    box.FieldName = FieldName(i);
    box.Checked = false;
    box.BackgroundColor = kOverlayColour;
    box.Rect = {0, 0, width, height};
    sarvane::pdf::forms::AddFormField(doc_, box, i + 1);
  }
}

void TViewLimits::AddViewLimitScripts(const std::string& templatePath, const std::string& url,
                                      const std::string& date) {
  AddViewLimitFields();
  const int n = doc_.PageCount();
  const std::vector<std::string> lines = SplitTemplateLines(ReadWholeFile(templatePath));
  doc_.Encryption().SetEnabled(false);
  TzkPDFJavaScriptAction script;
  TzkPDFPageLevelAction pageAction;
  for (int i = 0; i < n; ++i) {
    script.Script = PageScript(lines, i, url, date);
    pageAction.Action = &script;
    pageAction.Trigger = kPageOpen;
    try {
      doc_.SetPageAction(pageAction, i + 1);
    } catch (const std::exception&) {
      failure_ = 1;
      return;
    }
  }
}

}  // namespace sarvane::app
