#pragma once
// Message texts of the object layer and the stream filters, in one table so
// that they can be translated. "%s" and "%d" are filled with Format().
#include <string_view>

namespace sarvane::pdf::res {

constexpr std::string_view kInvalidID = "Invalid unique ID (%d)";
constexpr std::string_view kInvalidStream = "Invalid Stream! Cannot create with null stream";
constexpr std::string_view kFilterCannotRead = "A write-only filter cannot read";
constexpr std::string_view kUnexpectedError = "Unexpected Error";
constexpr std::string_view kUnexpectedObject = "Unexpected PDF object encountered";
constexpr std::string_view kTrailerError = "Error reading PDF trailer";
constexpr std::string_view kStringReadError = "Error reading PDF string (%s)";
constexpr std::string_view kArrayReadError = "Error reading PDF array (%s)";
constexpr std::string_view kNameReadError = "Error reading PDF name string (%s)";
constexpr std::string_view kDictionaryReadError = "Error reading PDF dictionary (%s)";
constexpr std::string_view kStreamReadError = "Error reading PDF stream";
constexpr std::string_view kInvalidObjectNo = "Invalid object number";
constexpr std::string_view kEndStreamError = "Expected PDF endstream";
constexpr std::string_view kBooleanError = "Expected boolean (%s) object";
constexpr std::string_view kNullObjectError = "Expected PDF null object";
constexpr std::string_view kOffsetError = "Error reading document. Unable to read offset";
constexpr std::string_view kInvalidHeader = "Invalid PDF Header (%s)";
constexpr std::string_view kUnsupportedVersion = "Unsupported PDF Version (%s)";
constexpr std::string_view kInvalidPermission = "Invalid permission in encryption dictionary";
constexpr std::string_view kUnsupportedFilterNamed = "Unsupported filter (%s)";
constexpr std::string_view kUnsupportedFilter = "Unsupported filter";
constexpr std::string_view kUnexpectedFilterObject = "Unexpected filter object, found (%s)";
constexpr std::string_view kIndexOutOfBounds = "Index Out Of Bounds!";
constexpr std::string_view kListIndexOutOfBounds = "List index out of bounds (%d)";
constexpr std::string_view kInvalidPDFFile = "Invalid PDF File";
constexpr std::string_view kUnexpectedStreamType = "Unexpected Stream Type";
constexpr std::string_view kNotAnInteger = "'%s' is not a valid integer value";

// Texts filled into the "%s" of the read errors when the data ends inside a
// construct or a construct nests too deeply.
constexpr std::string_view kEndOfData = "unexpected end of data";
constexpr std::string_view kNestingTooDeep = "nesting deeper than %d levels";

// Display names of the object kinds, indexed by kind code.
constexpr std::string_view kKindNames[12] = {
    "Boolean Object",  "Integer Object",    "Int64 Object",
    "Real Object",     "String Object",     "Name Object",
    "Array Object",    "Dictionary Object", "Stream Object",
    "Null Object",     "IndirectReference Object", "Indirect Object"};
constexpr std::string_view kUnknownKind = "Unknown Object";

}  // namespace sarvane::pdf::res
