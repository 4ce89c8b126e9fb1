#include "pdf/objects/zkPDFParser.h"

#include <gtest/gtest.h>

#include <functional>

namespace sarvane::pdf {
namespace {

using namespace std::string_literals;

constexpr int32_t kDoc = 101;

// Strings are described by their stored text, everything else by its text form.
std::string Describe(const TzkPDFObject* object) {
  if (!object) return "<nothing>";
  if (const auto* s = object->As<TzkPDFStringObject>()) return s->Text() + (s->IsHex() ? " hex" : "");
  return object->ToText();
}

std::string Rest(const TzkPDFStreamReader& r) { return std::string(r.Data().substr(static_cast<size_t>(r.Position()))); }

TEST(PDFParserTest, ReadObject) {
  struct Case {
    std::string input;
    int kind;  // -1: nothing
    std::string described;
    std::string rest;
  } cases[] = {
      {"(a(b)c)", okString, "(a(b)c)", ""},
      {"(a\\)b)", okString, "(a)b)", ""},
      {"(a\\\\b)", okString, "(a\\b)", ""},
      {"(line\\\r\nnext)", okString, "(line\nnext)", ""},
      {"(a\\\nb)", okString, "(ab)", ""},
      {"(\\101\\0618)", okString, "(A18)", ""},
      {"(\\q)", okString, "(\\q)", ""},
      {"(a\\(b)", okString, "(a(b)", ""},  // an escaped delimiter does not nest
      {"()", okString, "()", ""},
      {"<48 65>", okString, "<48 65> hex", ""},
      {"<>", okString, "<> hex", ""},
      {"12 0 R", okIndirectReference, "12 0 R", ""},
      {"12 0 5", okInteger, "12", "0 5"},
      {"12 0 R 13", okIndirectReference, "12 0 R", "13"},
      {"[1 (R)]", okArray, "[ 1 (R) ]", ""},
      {"1 70000 R", okInteger, "1", "70000 R"},  // no generation that large
      {"3.5", okReal, "3.5000000000", ""},
      {"-.5", okReal, "-0.5000000000", ""},
      {"4.", okReal, "4.0000000000", ""},
      {"+1.5", okReal, "1.5000000000", ""},
      {"1.2.3", okString, "1.2.3", ""},
      {"-1.e", okString, "-1.e", ""},
      {"+7", okInteger, "7", ""},
      {"-2147483648", okInteger, "-2147483648", ""},
      {"4294967296", okInt64, "4294967296", ""},
      // Beyond 64 bits a number is real; written back it reads the same.
      {"99999999999999999999", okReal, "100000000000000000000", ""},
      {"-10000000000000000000", okReal, "-10000000000000000000", ""},
      {"[]", okArray, "[ ]", ""},
      {"[ ]", okArray, "[ ]", ""},
      {"[1 % comment ]\n 2]x", okArray, "[ 1 2 ]", "x"},
      {"[/a/b(c)<41>[true]]", okArray, "[ /a /b (c) <41> [ true ] ]", ""},
      {"[1 0 R 2 0 R]", okArray, "[ 1 0 R 2 0 R ]", ""},
      {"<<>>", okDictionary, "<<\r\n>>", ""},
      {"<< /A 1 /A 2 >>", okDictionary, "<<\r\n/A 1\r\n/A 2\r\n>>", ""},
      {"<< /A >>", okDictionary, "<<\r\n/A null\r\n>>", ""},
      {"<</Type/Page/Kids[3 0 R]>>", okDictionary, "<<\r\n/Type /Page\r\n/Kids [ 3 0 R ]\r\n>>", ""},
      {"truex", okBoolean, "true", "x"},
      {"false", okBoolean, "false", ""},
      {"null", okNull, "null", ""},
      {"/Name/Other", okName, "/Name", "/Other"},
      {"/Name other", okName, "/Name", "other"},
      {"/A#20B", okName, "/A#20B", ""},
      {"/Name", okName, "/Name", ""},
      {"/", okName, "/", ""},
      {"% comment\r\n42", okInteger, "42", ""},
      {")", -1, "<nothing>", ")"},
      {" ]", -1, "<nothing>", "]"},
      {"7 0 obj << /A 1 >> endobj", okIndirectObject, "7 0 obj\r\n<<\r\n/A 1\r\n>>\r\nendobj", "endobj"},
      {"7 1 OBJ 5 endobj", okIndirectObject, "7 1 obj\r\n5\r\nendobj", "endobj"},
      // Lenient forms every reader opens: no value, a number glued to the keyword.
      {"7 0 obj endobj", okIndirectObject, "7 0 obj\r\nnull\r\nendobj", "endobj"},
      {"7 0 obj 59endobj", okIndirectObject, "7 0 obj\r\n59\r\nendobj", "endobj"},
      {"8 0 obj <</Length 3>>\r\nstream\r\nabc", okIndirectObject,
       "8 0 obj\r\n<<\r\n/Length 3\r\n>>\r\nstream\r\n\r\nendstream\r\nendobj", "stream\r\nabc"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    TzkPDFStreamReader r(kDoc, c.input);
    TzkPDFObjectPtr object = r.ReadObject();
    EXPECT_EQ(object ? object->Kind() : -1, c.kind);
    EXPECT_EQ(Describe(object.get()), c.described);
    EXPECT_EQ(Rest(r), c.rest);
  }
}

TEST(PDFParserTest, ObjectsCarryTheDocumentNumber) {
  TzkPDFStreamReader r(kDoc, "4 2 obj [5 0 R] endobj");
  TzkPDFObjectPtr object = r.ReadObject();
  const auto& indirect = object->Cast<TzkPDFIndirectObject>();
  EXPECT_EQ(indirect.DocumentNumber(), kDoc);
  EXPECT_EQ(indirect.ObjectNumber(), 4);
  EXPECT_EQ(indirect.Generation(), 2);
  EXPECT_EQ(indirect.UseCount(), 0);
  const auto& ref = indirect.Value()->Cast<TzkPDFArrayObject>().ItemAt(0)->Cast<TzkPDFIndirectReference>();
  EXPECT_EQ(ref.DocumentNumber(), kDoc);
  EXPECT_EQ(ref.ObjectNumber(), 5);
  EXPECT_EQ(r.CurrentObjectNumber(), 4);
  EXPECT_EQ(r.CurrentGeneration(), 2);
}

TEST(PDFParserTest, ReadErrors) {
  const std::string deepArray = std::string(501, '[') + std::string(501, ']');
  const std::string deepDict = [] {
    std::string s;
    for (int i = 0; i < 501; ++i) s += "<</A";
    return s;
  }();
  std::string deepObj;
  for (int i = 0; i < 600; ++i) deepObj += "1 0 obj ";
  struct Case {
    std::string input;
    std::string message;
  } cases[] = {
      {"(abc", "Error reading PDF string (unexpected end of data)"},
      {"(abc\\", "Error reading PDF string (unexpected end of data)"},
      {"(a(b)", "Error reading PDF string (unexpected end of data)"},
      {"<414", "Error reading PDF string (unexpected end of data)"},
      {"[", "Error reading PDF array (unexpected end of data)"},
      {"[1 2", "Error reading PDF array (unexpected end of data)"},
      {"[1 % comment", "Error reading PDF array (unexpected end of data)"},
      {"[(a)", "Error reading PDF array (unexpected end of data)"},
      {"<<", "Error reading PDF dictionary (unexpected end of data)"},
      {"<< /A", "Error reading PDF dictionary (unexpected end of data)"},
      {"<< /A 1", "Error reading PDF dictionary (unexpected end of data)"},
      {"<< /A 1 >", "Error reading PDF dictionary (unexpected end of data)"},
      {"<< /A 1 % >>", "Error reading PDF dictionary (unexpected end of data)"},
      {"<< 1 2 >>", "Error reading PDF name string (1)"},
      {"<< /A ) >>", "Error reading PDF name string ())"},
      {"fals", "Expected boolean (false) object"},
      {"fa", "Expected boolean (false) object"},
      {"tru", "Expected boolean (true) object"},
      {"nul", "Expected PDF null object"},
      {"12abc", "'12abc' is not a valid integer value"},
      {"1e5", "'1e5' is not a valid integer value"},
      {"+-9", "'+-9' is not a valid integer value"},
      {"{", "'{' is not a valid integer value"},
      {"", "'' is not a valid integer value"},
      {"   % only a comment", "'' is not a valid integer value"},
      {"1\x01\x7F\xE9x", "'10x010x7F0xE9x' is not a valid integer value"},
      {std::string(60, '7') + "x", "'" + std::string(40, '7') + "...' is not a valid integer value"},
      {"<< /A 1 \xE9 >>", "Error reading PDF name string (0xE9)"},
      {"1 0 obj [1 2] stream", "Invalid class typecast"},
      {deepArray, "Error reading PDF array (nesting deeper than 500 levels)"},
      {deepDict, "Error reading PDF dictionary (nesting deeper than 500 levels)"},
      {deepObj, "Unexpected PDF object encountered"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input.substr(0, 40));
    TzkPDFStreamReader r(kDoc, c.input);
    try {
      r.ReadObject();
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
  // Nesting up to the limit is fine, and the reader is usable after an error.
  TzkPDFStreamReader ok(kDoc, std::string(500, '[') + std::string(500, ']') + " " + deepArray);
  EXPECT_NE(ok.ReadObject(), nullptr);
  EXPECT_THROW(ok.ReadObject(), EArrayReadError);
  ok.Seek(0);
  EXPECT_NE(ok.ReadObject(), nullptr);
}

TEST(PDFParserTest, KindReadersCheckTheirFirstByte) {
  using Reader = std::function<void(TzkPDFStreamReader&)>;
  struct Case {
    const char* input;
    Reader read;
    std::string message;
  } cases[] = {
      {"x", [](TzkPDFStreamReader& r) { r.ReadString(); }, "Error reading PDF string (x)"},
      {"x", [](TzkPDFStreamReader& r) { r.ReadArray(); }, "Error reading PDF array (x)"},
      {"x", [](TzkPDFStreamReader& r) { r.ReadName(); }, "Error reading PDF name string (x)"},
      {"", [](TzkPDFStreamReader& r) { r.ReadName(); }, "Error reading PDF name string (unexpected end of data)"},
      {"<x", [](TzkPDFStreamReader& r) { r.ReadDictionary(); }, "Error reading PDF dictionary (x)"},
      // A message stays on one line whatever byte was met.
      {"<\n", [](TzkPDFStreamReader& r) { r.ReadDictionary(); }, "Error reading PDF dictionary (0x0A)"},
      {"[", [](TzkPDFStreamReader& r) { r.ReadDictionary(); }, "Error reading PDF dictionary ([)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    TzkPDFStreamReader r(kDoc, c.input);
    try {
      c.read(r);
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

TEST(PDFParserTest, Tokens) {
  struct Case {
    std::string input;
    std::string token;
    std::string peeked;  // PeekToken after the first ReadToken
  } cases[] = {
      {"abc def", "abc", "def"},
      {"/Name rest", "/Name", "rest"},
      {"((x", "(", ""},              // a delimiter is a token of its own
      {"  lead", " ", "lead"},          // the first byte is taken whatever it is
      {"a%b c", "a%b", "c"},            // "%" is a token character
      {"ab\x00" "cd"s, "ab", "cd"},           // NUL ends a token and is skipped as white space
      {"x a\x00" "b"s, "x", "a\x00" "b"s},   // but does not end a peeked one
      {"end", "end", ""},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    TzkPDFStreamReader r(kDoc, c.input);
    EXPECT_EQ(r.ReadToken(), c.token);
    const int64_t before = r.Position();
    EXPECT_EQ(r.PeekToken(), c.peeked);
    EXPECT_GE(r.Position(), before);
    EXPECT_EQ(r.ReadText(static_cast<int64_t>(c.peeked.size())), c.peeked);
  }
}

TEST(PDFParserTest, CharacterAccess) {
  TzkPDFStreamReader r(kDoc, "ab");
  EXPECT_EQ(r.PeekChar(), 'a');
  EXPECT_EQ(r.ReadChar(), 'a');
  EXPECT_EQ(r.PeekText(5), "b");
  EXPECT_EQ(r.ReadText(5), "b");
  EXPECT_TRUE(r.EndOfData());
  EXPECT_EQ(r.ReadChar(), '\0');
  EXPECT_EQ(r.Position(), 2);
  r.StepBack();
  EXPECT_EQ(r.ReadChar(), 'b');
  r.Skip(-10);
  EXPECT_EQ(r.Position(), 0);
  r.StepBack();
  EXPECT_EQ(r.Position(), 0);
  r.Skip(10);
  EXPECT_EQ(r.Position(), 2);

  // Tokens read again from the same or another position scan from there.
  TzkPDFStreamReader t(kDoc, "abc def 1 2 3");
  EXPECT_EQ(t.ReadToken(), "abc");
  t.Seek(1);
  EXPECT_EQ(t.ReadToken(), "bc");
  EXPECT_EQ(t.ReadToken(), "def");
  t.Seek(0);
  EXPECT_EQ(t.ReadToken(), "abc");
  EXPECT_EQ(t.Position(), 4);
  t.Seek(8);
  EXPECT_EQ(Describe(t.ReadObject().get()), "1");
  EXPECT_EQ(Describe(t.ReadObject().get()), "2");
  EXPECT_EQ(Describe(t.ReadObject().get()), "3");
  EXPECT_TRUE(t.EndOfData());
}

TEST(PDFParserTest, ReaderOverPartOfSharedData) {
  auto data = std::make_shared<const std::string>("xxx(abc)yyy");
  TzkPDFStreamReader r(kDoc, TzkSharedBytes{data, std::string_view(*data).substr(3, 5)});
  EXPECT_EQ(r.Size(), 5);
  EXPECT_EQ(Describe(r.ReadObject().get()), "(abc)");
  EXPECT_TRUE(r.EndOfData());
}

TEST(PDFParserTest, StreamDataIsLentFromTheFileUnlessItIsDecrypted) {
  std::unique_ptr<TzkMemoryStream> lent, decrypted;
  {
    auto file = std::make_shared<const std::string>("stream\nHello\nendstream");
    TzkPDFStreamReader plain(kDoc, file);
    lent = plain.ReadStreamData(5, 1, 0);
    TzkPDFStreamReader encrypted(kDoc, file);
    encrypted.SetDecryptHook([](std::string& bytes, int32_t, int32_t) { bytes[0] = 'J'; });
    decrypted = encrypted.ReadStreamData(5, 1, 0);
  }
  // The lent bytes keep the file's bytes alive after the reader is gone.
  EXPECT_TRUE(lent->IsBorrowed());
  EXPECT_EQ(lent->Bytes(), "Hello");
  EXPECT_FALSE(decrypted->IsBorrowed());
  EXPECT_EQ(decrypted->Bytes(), "Jello");
  // A change copies them first; a copy of lent bytes lends them again.
  auto copy = lent->Copy();
  lent->MutableBytes()[0] = 'C';
  EXPECT_FALSE(lent->IsBorrowed());
  EXPECT_EQ(lent->Bytes(), "Cello");
  EXPECT_TRUE(copy->IsBorrowed());
  EXPECT_EQ(copy->Bytes(), "Hello");
}

TEST(PDFParserTest, ReadStreamData) {
  const std::string body = "Hello world";
  struct Case {
    const char* label;
    std::string input;
    int64_t length;
    std::string data;
    bool corrected;
    std::string rest;
  } cases[] = {
      {"exact", "stream\r\n" + body + "\r\nendstream\r\nendobj", 11, body, false, "\r\nendobj"},
      {"LF only", "stream\n" + body + "\nendstream", 11, body, false, ""},
      {"CR only", "stream\r" + body + "endstream", 11, body, false, ""},
      {"spaces before line end", "stream \t\r\n" + body + "endstream", 11, body, false, ""},
      {"5 too long", "stream\r\n" + body + "\r\nendstream", 16, body + "\r\n", true, ""},
      {"5 too short", "stream\r\n" + body + "\r\nendstream", 6, body + "\r\n", true, ""},
      {"far too long", "stream\r\n" + body + "\r\nendstream", 1000000000000LL, body + "\r\n", true, ""},
      {"too long, data mentions endstream", "stream\r\nab endstream cd\r\nendstream", 20,
       "ab endstream cd\r\n", true, ""},
      // A wrong length is first searched backwards, so an "endstream" inside
      // the data wins over the one after it.
      {"too short, data mentions endstream", "stream\r\nab endstream cd\r\nendstream", 14, "ab ", true,
       " cd\r\nendstream"},
      {"ends before white space and endstream", "stream\r\nab endstream cd\r\nendstream", 2, "ab", false,
       " cd\r\nendstream"},
      {"exact, data mentions endstream", "stream\r\nab endstream cd\r\nendstream", 15, "ab endstream cd", false,
       ""},
      {"zero", "stream\r\nendstream", 0, "", false, ""},
      {"negative", "stream\r\nendstream", -4, "", true, ""},
      {"one byte", "stream\r\nxendstream", 1, "x", false, ""},
      {"one byte too long", "stream\r\nendstream", 1, "", true, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    TzkPDFStreamReader r(kDoc, c.input);
    bool corrected = !c.corrected;
    auto data = r.ReadStreamData(c.length, 1, 0, &corrected);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->Bytes(), c.data);
    EXPECT_EQ(corrected, c.corrected);
    EXPECT_EQ(Rest(r), c.rest);
  }
}

TEST(PDFParserTest, ReadStreamDataErrors) {
  struct Case {
    const char* label;
    std::string input;
    int64_t length;
    std::string message;
  } cases[] = {
      {"no stream keyword", "strea", 3, "Error reading PDF stream"},
      {"other keyword", "endobj", 3, "Error reading PDF stream"},
      {"no endstream at all", "stream\r\nabcdef endstrea", 3, "Expected PDF endstream"},
      {"zero length with data", "stream\r\nabc\r\nendstream", 0, "Expected PDF endstream"},
      {"nothing after stream", "stream", 5, "Expected PDF endstream"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    TzkPDFStreamReader r(kDoc, c.input);
    try {
      r.ReadStreamData(c.length, 1, 0);
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

TEST(PDFParserTest, DecryptionHookGetsTheObjectIdentity) {
  struct Call {
    std::string bytes;
    int32_t number, generation;
  };
  std::vector<Call> calls;
  auto hook = [&calls](std::string& bytes, int32_t n, int32_t g) {
    calls.push_back({bytes, n, g});
    for (char& c : bytes) c = static_cast<char>(c ^ 0x20);  // flips letter case
  };

  TzkPDFStreamReader r(kDoc, "5 2 obj [(abc) <616263> () <>] endobj stream\r\nxyz\r\nendstream");
  r.SetDecryptHook(hook);
  TzkPDFObjectPtr object = r.ReadObject();
  EXPECT_EQ(Describe(object.get()), "5 2 obj\r\n[ (ABC) (ABC) () <> ]\r\nendobj");
  const auto& items = object->Cast<TzkPDFIndirectObject>().Value()->Cast<TzkPDFArrayObject>();
  EXPECT_FALSE(items.ItemAt(1)->Cast<TzkPDFStringObject>().IsHex());  // decrypted hex becomes literal
  ASSERT_EQ(calls.size(), 2u);  // empty strings are left alone
  EXPECT_EQ(calls[0].bytes, "abc");
  EXPECT_EQ(calls[1].bytes, "abc");
  EXPECT_EQ(calls[0].number, 5);
  EXPECT_EQ(calls[0].generation, 2);

  r.Seek(r.Data().find("endobj") + 6);
  auto data = r.ReadStreamData(3, 9, 1);
  EXPECT_EQ(data->Bytes(), "XYZ");
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[2].number, 9);
  EXPECT_EQ(calls[2].generation, 1);

  // Without a hook hexadecimal strings keep their digits.
  TzkPDFStreamReader plain(kDoc, "<616263>");
  EXPECT_EQ(Describe(plain.ReadObject().get()), "<616263> hex");
}

TEST(PDFParserTest, ReadHeader) {
  struct Case {
    std::string input;
    int version;  // -1: error
    std::string message;
  } cases[] = {
      {"%PDF-1.4\n%\xE2\xE3\n", 14, ""},
      {"%PDF-1.0", 10, ""},
      {"%PDF-1.7 ", 17, ""},
      {"%PDF-1.45", 14, ""},
      {"%PDF-1.9", -1, "Unsupported PDF Version (%PDF-1.9)"},
      {"%PDF-1.8\r\n", 18, ""},
      {"%PDF-2.0", 20, ""},
      {"%PDF-2.1", -1, "Unsupported PDF Version (%PDF-2.1)"},
      {"%PDF-3.0", -1, "Invalid PDF Header (%PDF-3.)"},
      {"\xEF\xBB\xBF%PDF-1.4", -1, "Invalid PDF Header (0xEF0xBB0xBF%PDF)"},
      {" %PDF-1.4", -1, "Invalid PDF Header ( %PDF-1)"},
      {"", -1, "Invalid PDF Header ()"},
      {"%PDF-1.x", -1, "'x' is not a valid integer value"},
      {"%PDF-1.", -1, "'' is not a valid integer value"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    TzkPDFStreamReader r(kDoc, c.input);
    r.Seek(3);  // the header is always read from byte 0
    if (c.version >= 0) {
      EXPECT_EQ(r.ReadHeader(), c.version);
      continue;
    }
    try {
      r.ReadHeader();
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

TEST(PDFParserTest, FindStartXRef) {
  struct Case {
    std::string input;
    int64_t offset;  // -1: error
    std::string message;
  } cases[] = {
      {"%PDF-1.4\nstartxref\n123\n%%EOF\n", 123, ""},
      {"startxref 10\nstartxref\r\n456\r\n%%EOF", 456, ""},  // the last one wins
      {"startxref 7 mystartxref 9 startxrefs 8", 7, ""},    // whole words only
      {"startxref 7 STARTXREF 9", 7, ""},                   // lower case only
      {"startxref", -1, "Error reading document. Unable to read offset"},
      {"startxref\n%%EOF", -1, "Error reading document. Unable to read offset"},
      {"startxref 99999999999", -1, "Error reading document. Unable to read offset"},
      {"STARTXREF 5", -1, "Invalid PDF File"},
      {"xstartxref 5", -1, "Invalid PDF File"},
      {"", -1, "Invalid PDF File"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    TzkPDFStreamReader r(kDoc, c.input);
    if (c.offset >= 0) {
      EXPECT_EQ(r.FindStartXRef(), c.offset);
      continue;
    }
    try {
      r.FindStartXRef();
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

TEST(PDFParserTest, ReadTrailer) {
  struct Case {
    std::string input;
    std::string text;  // empty: error
    std::string message;
  } cases[] = {
      {"xref\n0 1\n0000000000 65535 f \ntrailer\n<< /Size 1 >>\nstartxref", "<<\r\n/Size 1\r\n>>", ""},
      {"trailer<</Root 1 0 R>>", "<<\r\n/Root 1 0 R\r\n>>", ""},
      {"xref\n0 1\n0000000000 65535 f \n", "", "Error reading PDF trailer"},
      {"trailing << >>", "", "Error reading PDF trailer"},
      {"trail", "", "Error reading PDF trailer"},
      {"trailer 5", "", "Invalid class typecast"},
      {"trailer ]", "", "Invalid class typecast"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    TzkPDFStreamReader r(kDoc, c.input);
    if (!c.text.empty()) {
      EXPECT_EQ(r.ReadTrailer()->ToText(), c.text);
      continue;
    }
    try {
      r.ReadTrailer();
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(std::string(e.what()), c.message);
    }
  }
}

}  // namespace
}  // namespace sarvane::pdf
