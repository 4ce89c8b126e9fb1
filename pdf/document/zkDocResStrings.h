#pragma once
// Message texts of the document layer, in one table so that they can be
// translated. "%s" and "%d" are filled with Format().
#include <string_view>

namespace sarvane::pdf::doc::res {

// Exceptions.
constexpr std::string_view kFileCorrupted = "File is corrupted";
constexpr std::string_view kEncryptNotDictionary = "File is corrupted (/Encrypt of the trailer is not a dictionary)";
constexpr std::string_view kUnexpectedObject = "Unexpected PDF object encountered";
constexpr std::string_view kFileNotFound = "%s File Not Found";
constexpr std::string_view kInvalidXRefValue = "Invalid cross-reference entry %s";
constexpr std::string_view kXRefFieldWidth = "Invalid cross-reference stream field width (%d)";
constexpr std::string_view kXRefEntriesBeyondData = "Cross-reference section lists more entries than its data holds (%d)";
constexpr std::string_view kXRefObjectNumber = "Invalid object number in cross-reference (%d)";
constexpr std::string_view kObjectStreamValue = "Invalid object stream entry %s (object stream %d)";
constexpr std::string_view kObjectStreamHeaderAt = "object stream %d";
constexpr std::string_view kObjectInObjectStream = "object %d in object stream %d";
constexpr std::string_view kObjectStreamNotStream = "Invalid class typecast (object stream %d is not a stream)";
constexpr std::string_view kNestingTooDeep = "Objects nested deeper than %d levels";
constexpr std::string_view kExpansionTooLarge =
    "Objects share each other too often: expanding object %d passed %d copied objects";
constexpr std::string_view kStreamDataMissing = "File is corrupted (the data of stream object %d cannot be found)";

// Status messages.
constexpr std::string_view kReadingXRefTable = "Reading Cross-Reference Table";
constexpr std::string_view kReadingXRefStream = "Reading Cross-Reference Stream Table";

// Warnings.
constexpr std::string_view kInvalidObjectNumber = "Invalid Object number in PDF (%d)";
constexpr std::string_view kStreamInsideArray = "Stream Object found inside Array!";
constexpr std::string_view kObjectAtOffset = "object %d, offset %d";
constexpr std::string_view kAtOffset = "offset %d";
constexpr std::string_view kObjectNotAtOffset = "Object %d not found at offset %d";
constexpr std::string_view kXRefLoop = "Cross-reference section at offset %d is already read";
constexpr std::string_view kXRefNotFound = "No cross-reference section at offset %d";
constexpr std::string_view kObjectStreamSkipped = "Object stream %d not unpacked: %s";
constexpr std::string_view kStreamLengthRepaired = "Stream data of object %d read without a valid /Length";
constexpr std::string_view kStreamDataNotFound = "Stream data of object %d not found after offset %d";

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
constexpr std::string_view kCatalogNotDictionary =
    "Unexpected PDF object encountered (the catalog, object %d, is not a dictionary)";
constexpr std::string_view kCatalogWithoutPages =
    "Unexpected PDF object encountered (the catalog, object %d, has no /Pages reference)";
constexpr std::string_view kAcroFormNotDictionary =
    "Unexpected PDF object encountered (/AcroForm of the catalog is not a dictionary)";
constexpr std::string_view kKidsNotArray = "Unexpected PDF object encountered (/Kids of page tree node %d is not an array)";
constexpr std::string_view kDestsNotDictionary =
    "Unexpected PDF object encountered (/Dests of the catalog is not a dictionary)";
constexpr std::string_view kDestinationNotArray =
    "Unexpected PDF object encountered (named destination %s is not an array)";
constexpr std::string_view kNamesNotDictionary =
    "Unexpected PDF object encountered (/Names of the catalog is not a dictionary)";
constexpr std::string_view kNameTreeNodeNotDictionary =
    "Unexpected PDF object encountered (a node of the /Dests name tree is not a dictionary)";
constexpr std::string_view kNameTreeKidNotReference =
    "Unexpected PDF object encountered (a /Kids entry of the /Dests name tree is not a reference)";
constexpr std::string_view kPageNodeNotDictionary = "Unexpected PDF object encountered (page tree node %d is not a dictionary)";
constexpr std::string_view kPageKidInvalid = "Unexpected PDF object encountered (item %d of /Kids of page tree node %d)";
constexpr std::string_view kStartXRefPastEnd = "File is corrupted (startxref %d is past the end of the file)";
constexpr std::string_view kNoSectionAtStartXRef = "File is corrupted (no cross-reference section at startxref %d)";
constexpr std::string_view kObjectsAfterLastSection =
    "File is corrupted (an object at offset %d follows the last cross-reference section)";
constexpr std::string_view kNoRootInTrailer = "File is corrupted (the trailer names no catalog)";
constexpr std::string_view kCatalogNotAtOffset = "File is corrupted (the catalog, object %d, is not at offset %d)";
constexpr std::string_view kNoXRefStreamAt = "Invalid class typecast (no cross-reference stream at offset %d)";
constexpr std::string_view kSectionEntryNotNumber =
    "Invalid class typecast (%s of the cross-reference section at offset %d is not a number)";
constexpr std::string_view kRepairFoundNoCatalog = "File is corrupted (%s; no catalog found while repairing)";
constexpr std::string_view kFileRepaired = "The file was damaged and has been repaired (%s)";
constexpr std::string_view kCatalogMissing = "File is corrupted (the catalog, object %d, is not in the file)";
constexpr std::string_view kPageNodeRepeated = "Page tree node %d listed more than once; repeat skipped";
constexpr std::string_view kNameTreeCycle = "Name tree node %d is its own ancestor";
constexpr std::string_view kNameTreeTooDeep = "Name tree nested deeper than %d levels";
constexpr std::string_view kInvalidPage = "Invalid page number %d";
constexpr std::string_view kInvalidPageNumber = "Invalid page number (%d)";
constexpr std::string_view kInvalidPageRange = "Invalid page range (%s)";
// Display names of the page transition effects, by effect number.
constexpr std::string_view kTransitionNames[] = {"None",
                                                 "Split Horizontal Inward",
                                                 "Split Horizontal Outward",
                                                 "Split Vertical Inward",
                                                 "Split Vertical Outward",
                                                 "Blinds Horizontal",
                                                 "Blinds Vertical",
                                                 "Box Inward",
                                                 "Box Outward",
                                                 "Wipe Left To Right",
                                                 "Wipe Bottom To Top",
                                                 "Wipe Right To Left",
                                                 "Wipe Top To Bottom",
                                                 "Dissolve",
                                                 "Glitter Left To Right",
                                                 "Glitter Top To Bottom",
                                                 "Glitter Top-Left To Bottom-Right"};
// Outlines.
constexpr std::string_view kOutlinePageExpected = "Expected Page Indirect Reference in Outline Destination!";
constexpr std::string_view kOutlineActionMissing = "The action of outline item %d is not in the file; left out";
constexpr std::string_view kOutlineCycle = "Outline item %d is reached a second time; its list ends there";
constexpr std::string_view kPageWithoutBox = "Page %d has no usable media box; US Letter assumed";
constexpr std::string_view kCannotReadFile = "Cannot read file \"%s\". %s";
constexpr std::string_view kUnsupportedEncryption = "Unsupported encryption method: %s";
constexpr std::string_view kPermsMismatch =
    "The encrypted permissions (/Perms) do not match /P; the permissions of /P are used";
constexpr std::string_view kRandomOwnerPasswordPrefix = "Tarnwick";

}  // namespace sarvane::pdf::doc::res
