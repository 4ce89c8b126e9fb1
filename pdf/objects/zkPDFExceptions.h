#pragma once
// Exception classes of the object layer and the stream filters. Each carries
// only its message; the texts come from zkPDFResStrings.h.
#include <string>
#include <string_view>

#include "pdf/objects/zkPDFResStrings.h"
#include "platform/Exception.h"

namespace sarvane::pdf {

// Base of the errors raised by the library's support classes.
class TzkException : public Exception {
 public:
  using Exception::Exception;
};

class EInvalidID : public TzkException {
 public:
  explicit EInvalidID(int id) : TzkException(Format(res::kInvalidID, id)) {}
};

class EInvalidStream : public TzkException {
 public:
  EInvalidStream() : TzkException(std::string(res::kInvalidStream)) {}
};

class EReadError : public TzkException {
 public:
  EReadError() : TzkException(std::string(res::kFilterCannotRead)) {}
};

// "Unexpected Error" by default; the document layer also raises it with
// res::kUnexpectedObject.
class EUnexpectedError : public Exception {
 public:
  EUnexpectedError() : Exception(std::string(res::kUnexpectedError)) {}
  explicit EUnexpectedError(std::string message) : Exception(std::move(message)) {}
};

#define SARVANE_PDF_FIXED_ERROR(Name, Text)                 \
  class Name : public Exception {                           \
   public:                                                  \
    Name() : Exception(std::string(Text)) {}                \
  };

#define SARVANE_PDF_ARG_ERROR(Name, Text)                   \
  class Name : public Exception {                           \
   public:                                                  \
    explicit Name(std::string_view found)                   \
        : Exception(Format(Text, found)) {}                 \
  };

SARVANE_PDF_FIXED_ERROR(ETrailerError, res::kTrailerError)
SARVANE_PDF_ARG_ERROR(EStringReadError, res::kStringReadError)
SARVANE_PDF_ARG_ERROR(EArrayReadError, res::kArrayReadError)
SARVANE_PDF_ARG_ERROR(ENameReadError, res::kNameReadError)
SARVANE_PDF_ARG_ERROR(EDictionaryReadError, res::kDictionaryReadError)
SARVANE_PDF_FIXED_ERROR(EStreamReadError, res::kStreamReadError)
SARVANE_PDF_FIXED_ERROR(EInvalidObjectNo, res::kInvalidObjectNo)
SARVANE_PDF_FIXED_ERROR(EEndStreamError, res::kEndStreamError)
SARVANE_PDF_ARG_ERROR(EBooleanError, res::kBooleanError)
SARVANE_PDF_FIXED_ERROR(ENullObjectError, res::kNullObjectError)
SARVANE_PDF_FIXED_ERROR(EOffsetError, res::kOffsetError)
SARVANE_PDF_ARG_ERROR(EInvalidHeader, res::kInvalidHeader)
SARVANE_PDF_ARG_ERROR(EUnsupportedVersion, res::kUnsupportedVersion)
SARVANE_PDF_FIXED_ERROR(EInvalidPermission, res::kInvalidPermission)
SARVANE_PDF_FIXED_ERROR(EUnexpectedObjectError, res::kUnexpectedObject)
SARVANE_PDF_ARG_ERROR(EUnexpectedFilterObject, res::kUnexpectedFilterObject)
SARVANE_PDF_FIXED_ERROR(EInvalidIndex, res::kIndexOutOfBounds)

#undef SARVANE_PDF_FIXED_ERROR
#undef SARVANE_PDF_ARG_ERROR

// "Unsupported filter" without a name, "Unsupported filter (%s)" with one.
class EUnsupportedFilterError : public Exception {
 public:
  EUnsupportedFilterError() : Exception(std::string(res::kUnsupportedFilter)) {}
  explicit EUnsupportedFilterError(std::string_view filter)
      : Exception(Format(res::kUnsupportedFilterNamed, filter)) {}
};

}  // namespace sarvane::pdf
