#pragma once
// Message texts of the document layer, in one table so that they can be
// translated. "%s" and "%d" are filled with Format().
#include <string_view>

namespace sarvane::pdf::doc::res {

// Exceptions.
constexpr std::string_view kFileCorrupted = "File is corrupted";
constexpr std::string_view kUnexpectedObject = "Unexpected PDF object encountered";
constexpr std::string_view kFileNotFound = "%s File Not Found";
constexpr std::string_view kInvalidXRefValue = "Invalid cross-reference entry %s";
constexpr std::string_view kXRefFieldWidth = "Invalid cross-reference stream field width (%d)";
constexpr std::string_view kXRefEntriesBeyondData = "Cross-reference section lists more entries than its data holds (%d)";
constexpr std::string_view kXRefObjectNumber = "Invalid object number in cross-reference (%d)";
constexpr std::string_view kObjectStreamValue = "Invalid object stream entry %s";
constexpr std::string_view kNestingTooDeep = "Objects nested deeper than %d levels";

// Status messages.
constexpr std::string_view kReadingXRefTable = "Reading Cross-Reference Table";
constexpr std::string_view kReadingXRefStream = "Reading Cross-Reference Stream Table";

// Warnings.
constexpr std::string_view kInvalidObjectNumber = "Invalid Object number in PDF (%d)";
constexpr std::string_view kStreamInsideArray = "Stream Object found inside Array!";
constexpr std::string_view kObjectNotAtOffset = "Object %d not found at offset %d";
constexpr std::string_view kXRefLoop = "Cross-reference section at offset %d is already read";
constexpr std::string_view kXRefNotFound = "No cross-reference section at offset %d";
constexpr std::string_view kObjectStreamSkipped = "Object stream %d not unpacked: %s";
constexpr std::string_view kStreamLengthRepaired = "Stream data of object %d read without a valid /Length";

// Writing.
constexpr std::string_view kSavingFile = "Saving File %s";
constexpr std::string_view kBuildingOutlines = "Building Outlines...";
constexpr std::string_view kBuildingObjects = "Building Objects...";
constexpr std::string_view kWritingPages = "Writing Pages";
constexpr std::string_view kWritingXRefTable = "Writing Cross-Reference Table";
constexpr std::string_view kSaveComplete = "Save Complete";
constexpr std::string_view kCannotCreateFile = "Cannot create file \"%s\". %s";
constexpr std::string_view kCannotWriteFile = "Cannot write file \"%s\". %s";

// Loading, pages, passwords.
constexpr std::string_view kUnexpectedError = "Unexpected Error";
constexpr std::string_view kTraversingPages = "Traversing Pages...";
constexpr std::string_view kProcessingDestinations = "Processing Destinations";
constexpr std::string_view kProcessingAnnotations = "Processing Annotations...";
constexpr std::string_view kAcroFormsProcessed = "AcroForms Processed";
constexpr std::string_view kProcessingNameTree = "Processing Name Tree...";
constexpr std::string_view kReadingOutlines = "Reading Outlines...";
constexpr std::string_view kDocumentReadComplete = "Document read complete. Pages read = %d";
constexpr std::string_view kPageNodeMissing = "Page tree node %d is not in the file";
constexpr std::string_view kPageTreeCycle = "Page tree node %d is its own ancestor";
constexpr std::string_view kPageTreeTooDeep = "Page tree nested deeper than %d levels";
constexpr std::string_view kPageNodeRepeated = "Page tree node %d listed more than once; repeat skipped";
constexpr std::string_view kNameTreeCycle = "Name tree node %d is its own ancestor";
constexpr std::string_view kNameTreeTooDeep = "Name tree nested deeper than %d levels";
constexpr std::string_view kInvalidPage = "Invalid page number %d";
constexpr std::string_view kPageWithoutBox = "Page %d has no media box";
constexpr std::string_view kCannotReadFile = "Cannot read file \"%s\". %s";
constexpr std::string_view kUnsupportedEncryption = "Unsupported encryption method: %s";
constexpr std::string_view kPermsMismatch =
    "The encrypted permissions (/Perms) do not match /P; the permissions of /P are used";
constexpr std::string_view kRandomOwnerPasswordPrefix = "Tarnwick";

}  // namespace sarvane::pdf::doc::res
