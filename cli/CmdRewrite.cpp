// sarvane-cli rewrite: load a PDF file and write it anew, optionally
// encrypted or with its streams compressed.
#include <cstdlib>
#include <exception>
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/DenyList.h"
#include "cli/OptionParser.h"
#include "pdf/crypt/zkPDFCrypt.h"
#include "pdf/document/zkPDFDoc.h"
#include "pdf/document/zkPDFSerializer.h"
#include "pdf/filters/zkFilter.h"
#include "pdf/forms/zkPDFFormFields.h"

namespace {

using sarvane::pdf::TzkUserPermissions;
using sarvane::pdf::doc::TzkComponent;
using sarvane::pdf::doc::TzkPDFDocument;

const char kRewriteUsage[] =
    "usage: sarvane-cli rewrite [--password P] [--encrypt 40|128|aes256 --owner O --user U --deny LIST]\n"
    "                           [--compress flate|rle] [--delete-field NAME ...] IN OUT\n"
    "\n"
    "Loads IN and writes it anew as OUT: every object renumbered, one flat page\n"
    "tree, one cross-reference table.\n"
    "\n"
    "options:\n"
    "  --password P        the password to offer when IN is encrypted (once;\n"
    "                      without it the empty password is offered)\n"
    "  --encrypt 40|128    write OUT with RC4 of that many key bits; without it OUT\n"
    "  --encrypt aes256    (or) write OUT with AES-256 (revision 6)\n"
    "                      is written plain (a file opened with its user password\n"
    "                      only keeps its encryption)\n"
    "  --owner O           owner password of OUT\n"
    "  --user U            user (open) password of OUT\n"
    "  --deny LIST         comma-separated permissions to withhold: print, modify,\n"
    "                      copy, annotate, fill, accessibility, assemble, highres\n"
    "                      (print also withholds highres)\n"
    "  --compress KIND     compress every stream not compressed yet: flate or rle\n"
    "  --delete-field NAME remove the form field of that full name with its widgets\n"
    "                      (repeatable); an unknown name is an error and nothing\n"
    "                      is written\n"
    "  --help              show this text\n"
    "\n"
    "exit status: 0 written, 2 the password was refused, 1 any other error\n"
    "(its message on standard error).\n";

struct Options {
  std::string password;
  int encryptBits = 0;
  std::string owner;
  std::string user;
  std::string deny;
  std::string compress;
  std::vector<std::string> deleteFields;
  std::string input;
  std::string output;
};

class UsageError : public std::exception {
 public:
  explicit UsageError(std::string message) : message_(std::move(message)) {}
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

constexpr sarvane::cli::TOptionSpec kRewriteOptions[] = {
    {"--password", true}, {"--encrypt", true},  {"--owner", true},        {"--user", true},
    {"--deny", true},     {"--compress", true}, {"--delete-field", true},
};

Options ReadOptions(const sarvane::cli::TParsedOptions& parsed) {
  Options o;
  o.password = parsed.Value("--password");
  if (parsed.Has("--encrypt")) {
    const std::string& bits = parsed.Value("--encrypt");
    if (bits == "40") o.encryptBits = 40;
    else if (bits == "128") o.encryptBits = 128;
    else if (bits == "aes256") o.encryptBits = 256;
    else throw UsageError("--encrypt takes 40, 128 or aes256, not '" + bits + "'");
  }
  o.owner = parsed.Value("--owner");
  o.user = parsed.Value("--user");
  o.deny = parsed.Value("--deny");
  if (parsed.Has("--compress")) {
    o.compress = parsed.Value("--compress");
    if (o.compress != "flate" && o.compress != "rle")
      throw UsageError("--compress takes flate or rle, not '" + o.compress + "'");
  }
  o.deleteFields = parsed.All("--delete-field");
  if (parsed.Operands.size() != 2) throw UsageError("give one input and one output file");
  o.input = parsed.Operands[0];
  o.output = parsed.Operands[1];
  if (o.encryptBits == 0 && (parsed.Has("--owner") || parsed.Has("--user") || parsed.Has("--deny")))
    throw UsageError("--owner, --user and --deny belong to --encrypt");
  return o;
}

TzkUserPermissions PermissionsWithout(const std::string& list) {
  sarvane::cli::TDeniedOperations denied;
  std::string error;
  if (!sarvane::cli::ParseDenyList(list, denied, error)) throw UsageError(error);
  return sarvane::cli::PermissionsWithout(denied);
}

}  // namespace

int CmdRewrite(int argc, char** argv) {
  sarvane::cli::TParsedOptions parsed;
  if (const auto ended = sarvane::cli::ReadCommandLine("rewrite", kRewriteUsage, argc, argv, kRewriteOptions, parsed))
    return *ended;
  try {
    const Options o = ReadOptions(parsed);
    const TzkUserPermissions permissions = PermissionsWithout(o.deny);

    TzkPDFDocument doc;
    doc.SetShowSetupDialog(false);
    // What was repaired on the way in is the user's to know.
    doc.OnWarning = [](TzkComponent*, const std::string& warning) {
      std::cerr << "sarvane-cli rewrite: warning: " << warning << "\n";
    };
    doc.OnPassword = [&](TzkComponent*, std::string& offered, bool& continueAsking, int tries) {
      if (tries == 0)
        offered = o.password;
      else
        continueAsking = false;
    };
    if (!doc.LoadDocument(o.input)) {
      std::cerr << "sarvane-cli rewrite: the password was refused\n";
      return 2;
    }

    for (const std::string& name : o.deleteFields) {
      if (!doc.FormFields() || sarvane::pdf::forms::IndexOfField(doc, name) < 0) {
        std::cerr << "sarvane-cli rewrite: no form field named '" << name << "'; nothing written\n";
        return 1;
      }
      sarvane::pdf::forms::DeleteFormField(doc, name);
    }

    auto& encryption = doc.Encryption();
    if (o.encryptBits != 0) {
      encryption.SetEnabled(true);
      encryption.SetLevel(o.encryptBits == 40    ? sarvane::pdf::el40bit
                          : o.encryptBits == 256 ? sarvane::pdf::el256bitAES
                                                 : sarvane::pdf::el128bit);
      encryption.SetOwnerPassword(o.owner);
      encryption.SetUserPassword(o.user);
      encryption.SetUserPermissions(permissions);
    } else if (encryption.ChangeAllowed()) {
      encryption.SetEnabled(false);
    }
    if (o.compress == "flate") doc.SetCompression(sarvane::pdf::doc::ckFlate, sarvane::pdf::kDefaultLevelIndex);
    if (o.compress == "rle") doc.SetCompression(sarvane::pdf::doc::ckRunLength, sarvane::pdf::kDefaultLevelIndex);

    doc.SaveDocument(o.output, TzkPDFDocument::naKeep);
    // The output is complete and closed. Releasing the document object by
    // object would take about as long as writing it, and the process ends
    // here anyway.
    std::cout.flush();
    std::cerr.flush();
    std::_Exit(0);
  } catch (const UsageError& e) {
    std::cerr << "sarvane-cli rewrite: " << e.what() << "\n" << kRewriteUsage;
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "sarvane-cli rewrite: " << e.what() << "\n";
    return 1;
  }
}
