#pragma once
// Small text routines shared by the whole library: number forms, literal
// escaping, hexadecimal forms, FEFF UTF-16 text, rectangles, resource names.
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace sarvane::pdf {

class TzkPDFArrayObject;
class TzkPDFStringObject;

// A real in the PDF text form: rounded to 10 significant digits and written
// with exactly 10 digits after "." ("612.0000000000"); locale-independent.
// Values of 1e10 and above are written as whole numbers (no exponent, which
// is no PDF syntax); non-finite values are written as 0.
std::string FormatReal(double value);
void AppendReal(std::string& out, double value);
// A number in the short form of generated content: at most 15 significant
// digits, no trailing zeros, no point for whole numbers, never an exponent
// ("595.2744", "842", "0.6"); values within 1e-9 of zero are "0".
std::string FormatNumber(double value);
void AppendNumber(std::string& out, double value);
void AppendInteger(std::string& out, int64_t value);

// The body of a literal string: BS, LF, FF, CR, "(", ")" and "\" escaped;
// everything else, tab and bytes >= 128 included, copied unchanged.
std::string EscapeLiteral(std::string_view bytes);
// The reverse, applied by the parser to the bytes between "(" and ")".
std::string UnescapeLiteral(std::string_view raw);

// Two upper-case hexadecimal digits per byte.
std::string BytesToHex(std::string_view bytes);
// Non-hexadecimal characters are skipped; a final unpaired digit is taken
// as the high half of a byte.
std::string HexToBytes(std::string_view text);
// Text of the system code page as UTF-16, four upper-case digits per unit.
std::string AnsiToUtf16Hex(std::string_view text);
// "FEFF" + AnsiToUtf16Hex(text).
std::string EncodeTextHex(std::string_view text);
// Hexadecimal text to UTF-16: "FEFF"-marked text as UTF-16BE (a "." is
// taken literally, repeated markers are skipped), other text through
// HexToBytes and the system code page. White space between digits is
// ignored; a short last unit is completed with zero digits.
std::u16string DecodeTextHex(std::string_view hex);
// A string object for text shown to users: literal on code page 1252,
// "<FEFF...>" elsewhere.
std::unique_ptr<TzkPDFStringObject> MakeTextString(std::string_view text);

// Items 0..3 of an array of integers and reals; EUnexpectedObjectError for
// any other item or fewer than four items.
std::array<double, 4> ReadRect(const TzkPDFArrayObject& array);

// "/ZmvFnt", "/ZmvImg", "/GS" followed by a random number in 0..2147483646.
std::string NewFontResourceName();
std::string NewImageResourceName();
std::string NewGraphicsStateName();

// Position of text among table[0..lastIndex] (exact comparison), or -1.
int32_t IndexOfText(std::span<const std::string_view> table, int32_t lastIndex, std::string_view text);

// The word that precedes position (0-based; the scan starts at position-1)
// after skipping spaces, CR and LF backwards; wordStart receives where it
// starts (position itself when there is no word).
std::string LastWordBefore(std::string_view text, size_t position, size_t& wordStart);
// The last n words before position, each preceded by one space, in text order.
std::string LastWordsBefore(std::string_view text, size_t position, int32_t n);

}  // namespace sarvane::pdf
