#pragma once
// The document layer's exception family. Its EUnexpectedObjectError is a
// class of its own, distinct from the object layer's.
#include <string>

#include "pdf/document/zkDocResStrings.h"
#include "platform/Exception.h"

namespace sarvane::pdf::doc {

class EPDFException : public Exception {
 public:
  using Exception::Exception;
};

// The cross-reference data cannot be used as it stands.
class ECrossReferenceError : public EPDFException {
 public:
  using EPDFException::EPDFException;
};

// A file whose objects share each other so often that copying them would
// grow far beyond the file: hostile, and no repair changes that.
class EExpansionError : public EPDFException {
 public:
  using EPDFException::EPDFException;
};

class EPDFFileCorruptedError : public EPDFException {
 public:
  EPDFFileCorruptedError() : EPDFException(std::string(res::kFileCorrupted)) {}
  using EPDFException::EPDFException;
};

class EUnexpectedObjectError : public EPDFException {
 public:
  EUnexpectedObjectError() : EPDFException(std::string(res::kUnexpectedObject)) {}
  using EPDFException::EPDFException;
};

class EAcroFormError : public EPDFException {
 public:
  using EPDFException::EPDFException;
};
class ENoAcroFields : public EAcroFormError {
 public:
  using EAcroFormError::EAcroFormError;
};
class EFieldNotFound : public EAcroFormError {
 public:
  using EAcroFormError::EAcroFormError;
};
class EPasswordError : public EPDFException {
 public:
  using EPDFException::EPDFException;
};
class EInvalidPageError : public EPDFException {
 public:
  using EPDFException::EPDFException;
};
class EUnsupportedImageError : public EPDFException {
 public:
  using EPDFException::EPDFException;
};
class EUnsupportedFontError : public EPDFException {
 public:
  using EPDFException::EPDFException;
};

// Derives from the general exception base, not from EPDFException.
class EFileNotFound : public Exception {
 public:
  explicit EFileNotFound(const std::string& fileName) : Exception(Format(res::kFileNotFound, fileName)) {}
};

}  // namespace sarvane::pdf::doc
