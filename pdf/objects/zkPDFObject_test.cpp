#include "pdf/objects/zkPDFObject.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "pdf/objects/zkPDFText.h"
#include "platform/CodePage.h"

namespace sarvane::pdf {
namespace {

std::unique_ptr<TzkPDFNameObject> Name(const char* text) { return std::make_unique<TzkPDFNameObject>(text); }
TzkPDFObjectPtr Int(int32_t n) { return std::make_unique<TzkPDFIntegerObject>(n); }

TzkPDFObjectPtr SampleArray() {
  auto a = std::make_unique<TzkPDFArrayObject>();
  a->AddInteger(0);
  a->AddInteger(0);
  a->AddReal(612);
  a->AddReal(792);
  return a;
}

TzkPDFObjectPtr SampleDict() {
  auto d = std::make_unique<TzkPDFDictObject>();
  d->AddName("/Type", "/Page");
  d->AddValue("/MediaBox", SampleArray());
  d->AddValue("/Parent", std::make_unique<TzkPDFIndirectReference>(101, 0, 3));
  return d;
}

TEST(PDFObjectTest, TextFormOfEveryKind) {
  struct Case {
    const char* label;
    TzkPDFObjectPtr object;
    uint8_t kind;
    std::string text;
  };
  std::vector<Case> cases;
  cases.push_back({"true", std::make_unique<TzkPDFBooleanObject>(true), 0, "true"});
  cases.push_back({"false", std::make_unique<TzkPDFBooleanObject>(false), 0, "false"});
  cases.push_back({"integer", Int(-42), 1, "-42"});
  cases.push_back({"int64", std::make_unique<TzkPDFInt64Object>(4294967296LL), 2, "4294967296"});
  cases.push_back({"real", std::make_unique<TzkPDFRealObject>(-1.25), 3, "-1.2500000000"});
  cases.push_back({"literal escaped", TzkPDFStringObject::Literal("a(b)c\\"), 4, "(a\\(b\\)c\\\\)"});
  cases.push_back({"literal controls", TzkPDFStringObject::Literal("\t\xC8\b\n\f\r"), 4, "(\t\xC8\\b\\n\\f\\r)"});
  cases.push_back({"empty literal", TzkPDFStringObject::Literal(""), 4, "()"});
  cases.push_back({"hex", std::make_unique<TzkPDFStringObject>("<FEFF0041>", true), 4, "<FEFF0041>"});
  cases.push_back({"name", Name("/Type"), 5, "/Type"});
  cases.push_back({"empty array", std::make_unique<TzkPDFArrayObject>(), 6, "[ ]"});
  cases.push_back({"array", SampleArray(), 6, "[ 0 0 612.0000000000 792.0000000000 ]"});
  cases.push_back({"empty dict", std::make_unique<TzkPDFDictObject>(), 7, "<<\r\n>>"});
  cases.push_back({"dict", SampleDict(), 7,
                   "<<\r\n/Type /Page\r\n/MediaBox [ 0 0 612.0000000000 792.0000000000 ]\r\n/Parent 3 0 R\r\n>>"});
  cases.push_back({"stream",
                   std::make_unique<TzkPDFStreamObject>(std::make_unique<TzkPDFDictObject>(),
                                                        std::make_unique<TzkMemoryStream>("abc")),
                   8, "<<\r\n>>\r\nstream\r\nabc\r\nendstream"});
  cases.push_back({"null", std::make_unique<TzkPDFNullObject>(), 9, "null"});
  cases.push_back({"reference", std::make_unique<TzkPDFIndirectReference>(101, 2, 7), 10, "7 2 R"});
  cases.push_back({"indirect", std::make_unique<TzkPDFIndirectObject>(101, Int(5), 0, 9), 11, "9 0 obj\r\n5\r\nendobj"});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(c.object->Kind(), c.kind);
    EXPECT_EQ(c.object->ToText(), c.text);
    // A clone is of the same kind and reads the same.
    TzkPDFObjectPtr copy = c.object->Clone();
    EXPECT_NE(copy.get(), c.object.get());
    EXPECT_EQ(copy->Kind(), c.kind);
    EXPECT_EQ(copy->ToText(), c.text);
  }
}

TEST(PDFObjectTest, RealFormRoundsToTenSignificantDigits) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {
      {1, "1.0000000000"},
      {-0.5, "-0.5000000000"},
      {612, "612.0000000000"},
      {0.1 + 0.2, "0.3000000000"},
      {123456.789012345, "123456.7890000000"},
      {0.00001234567891234, "0.0000123457"},
      {-1e-12, "0.0000000000"},
      {9999999999.4, "9999999999.0000000000"},
      {1e10, "10000000000"},
      {12345678901.5, "12345678900"},  // rounded to ten digits, still no exponent
      {-2.5e12, "-2500000000000"},
      {std::numeric_limits<double>::quiet_NaN(), "0.0000000000"},
      {std::numeric_limits<double>::infinity(), "0.0000000000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FormatReal(c.value), c.text);
  }
}

TEST(PDFObjectTest, NumberFormIsShortPlainDecimal) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {
      {842, "842"},
      {595.2744, "595.2744"},
      {0.6, "0.6"},
      {-0.5, "-0.5"},
      {792 - 792 / 2.83464 * 2.83464, "0"},  // conversion residue
      {-1e-10, "0"},
      {1e-8, "0.00000001"},
      {1.234567890123456789e10, "12345678901.2346"},  // 15 significant digits
      {1e20, "100000000000000000000"},
      {0.1 + 0.2, "0.3"},
      {std::numeric_limits<double>::quiet_NaN(), "0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FormatNumber(c.value), c.text);
  }
}

TEST(PDFObjectTest, KindDisplayNames) {
  const char* names[] = {"Boolean Object", "Integer Object", "Int64 Object", "Real Object",
                         "String Object", "Name Object", "Array Object", "Dictionary Object",
                         "Stream Object", "Null Object", "IndirectReference Object", "Indirect Object"};
  for (uint8_t k = 0; k < 12; ++k) EXPECT_EQ(KindDisplayName(k), names[k]);
  EXPECT_EQ(KindDisplayName(12), "Unknown Object");
}

TEST(PDFObjectTest, KindTestsAndCasts) {
  TzkPDFObjectPtr dict = SampleDict();
  EXPECT_TRUE(dict->IsDictionary());
  EXPECT_FALSE(dict->IsArray());
  EXPECT_NE(dict->As<TzkPDFDictObject>(), nullptr);
  EXPECT_EQ(dict->As<TzkPDFArrayObject>(), nullptr);
  EXPECT_EQ(ObjectAs<TzkPDFArrayObject>(static_cast<TzkPDFObject*>(nullptr)), nullptr);
  EXPECT_NO_THROW(dict->Cast<TzkPDFDictObject>());
  try {
    dict->Cast<TzkPDFStreamObject>();
    FAIL() << "no exception";
  } catch (const EInvalidCast& e) {
    EXPECT_STREQ(e.what(), "Invalid class typecast");
  }
}

TEST(PDFObjectTest, CloneIsIndependent) {
  auto dict = std::make_unique<TzkPDFDictObject>();
  dict->AddValue("/A", SampleArray());
  dict->AddValue("/A", Int(2));  // duplicate keys survive a clone
  TzkPDFObjectPtr copy = dict->Clone();
  auto& c = copy->Cast<TzkPDFDictObject>();
  ASSERT_EQ(c.Count(), 2);
  c.Lookup("/A")->Cast<TzkPDFArrayObject>().AddInteger(9);
  c.SetInteger("/B", 1);
  EXPECT_EQ(dict->Lookup("/A")->Cast<TzkPDFArrayObject>().Count(), 4);
  EXPECT_EQ(dict->Count(), 2);

  // A stream whose data position is at the end still clones all its bytes.
  auto data = std::make_unique<TzkMemoryStream>("payload");
  data->Seek(0, soEnd);
  TzkPDFStreamObject stream(std::make_unique<TzkPDFDictObject>(), std::move(data));
  TzkPDFObjectPtr streamCopy = stream.Clone();
  EXPECT_EQ(streamCopy->Cast<TzkPDFStreamObject>().DataBytes(), "payload");
  EXPECT_NE(streamCopy->Cast<TzkPDFStreamObject>().Data(), stream.Data());

  TzkPDFIndirectObject indirect(101, Int(1), 3, 12, true);
  indirect.SetOutputNumber(4);
  indirect.IncUseCount();
  TzkPDFObjectPtr indirectCopy = indirect.Clone();
  const auto& ic = indirectCopy->Cast<TzkPDFIndirectObject>();
  EXPECT_EQ(ic.DocumentNumber(), 101);
  EXPECT_EQ(ic.ObjectNumber(), 12);
  EXPECT_EQ(ic.Generation(), 3);
  EXPECT_EQ(ic.OutputNumber(), 4);
  EXPECT_EQ(ic.UseCount(), 2);
  EXPECT_NE(ic.Value(), indirect.Value());
}

TEST(PDFObjectTest, DictionaryOperations) {
  TzkPDFDictObject d;
  d.AddInteger("/A", 1);
  d.AddInteger("/B", 2);
  d.Add(Name("/A"), Int(3));
  EXPECT_EQ(d.Count(), 3);
  EXPECT_EQ(d.Lookup("/A")->Cast<TzkPDFIntegerObject>().Value(), 1);  // first wins
  EXPECT_EQ(d.IndexOfKey("/B"), 1);
  EXPECT_EQ(d.IndexOfKey("/b"), -1);  // case-sensitive
  EXPECT_EQ(d.Lookup("/C"), nullptr);

  d.SetInteger("/B", 20);  // keeps its position
  EXPECT_EQ(d.KeyName(1), "/B");
  EXPECT_EQ(d.ValueAt(1)->Cast<TzkPDFIntegerObject>().Value(), 20);
  d.SetBoolean("/C", true);  // appended
  EXPECT_EQ(d.KeyName(3), "/C");

  d.AddName("/N", "");  // an empty name adds nothing
  EXPECT_EQ(d.IndexOfKey("/N"), -1);
  d.SetName("/N", "/X");
  EXPECT_EQ(d.Lookup("/N")->ToText(), "/X");

  // PutValueAt hands the old value back.
  TzkPDFObjectPtr old = d.PutValueAt(0, Int(10));
  EXPECT_EQ(old->Cast<TzkPDFIntegerObject>().Value(), 1);
  EXPECT_EQ(d.ValueAt(0)->ToText(), "10");
  try {
    d.PutValueAt(d.Count(), Int(0));
    FAIL() << "no exception";
  } catch (const EInvalidIndex& e) {
    EXPECT_STREQ(e.what(), "Index Out Of Bounds!");
  }
  EXPECT_EQ(d.Count(), 5);

  d.Remove("/A");  // only the first "/A" goes
  EXPECT_EQ(d.Lookup("/A")->ToText(), "3");
  d.Remove("/Missing");
  d.DeleteAt(0);
  EXPECT_EQ(d.ToText(), "<<\r\n/A 3\r\n/C true\r\n/N /X\r\n>>");

  TzkPDFDictObject other;
  other.AddInteger("/C", 7);
  other.AddInteger("/Z", 8);
  d.MergeFrom(&other);
  d.MergeFrom(nullptr);
  EXPECT_EQ(d.ToText(), "<<\r\n/A 3\r\n/C 7\r\n/N /X\r\n/Z 8\r\n>>");
  EXPECT_EQ(other.Count(), 2);
  EXPECT_NE(d.Lookup("/Z"), other.Lookup("/Z"));
  EXPECT_NE(d.LookupAs<TzkPDFIntegerObject>("/Z"), nullptr);
  EXPECT_EQ(d.LookupAs<TzkPDFNameObject>("/Z"), nullptr);
}

TEST(PDFObjectTest, ArrayOperations) {
  TzkPDFArrayObject a;
  EXPECT_EQ(a.Add(Int(1)), 0);
  EXPECT_EQ(a.AddInteger(3), 1);
  a.Insert(1, Int(2));
  EXPECT_EQ(a.ToText(), "[ 1 2 3 ]");
  EXPECT_EQ(a.ItemAt(-1), nullptr);
  EXPECT_EQ(a.ItemAt(3), nullptr);
  TzkPDFObjectPtr old = a.PutItem(0, Int(0));
  EXPECT_EQ(old->ToText(), "1");
  a.Delete(2);
  EXPECT_EQ(a.ToText(), "[ 0 2 ]");
  EXPECT_THROW(a.Delete(2), EInvalidIndex);
  EXPECT_THROW(a.Insert(5, Int(0)), EInvalidIndex);
  a.Add(nullptr);  // an absent item is kept as null
  EXPECT_EQ(a.ToText(), "[ 0 2 null ]");
}

TEST(PDFObjectTest, StringContentAndUnicodeValue) {
  SetSystemCodePageForTesting(kCodePageShiftJIS);
  struct Case {
    const char* label;
    std::string text;
    bool hex;
    std::string content;
    std::u16string unicode;
  } cases[] = {
      {"literal", "(Abc)", false, "Abc", u"Abc"},
      {"empty", "", false, "", u""},
      {"hex FEFF", "<FEFF00410042>", true, "FEFF00410042", u"AB"},
      {"hex ANSI", "<4142>", true, "4142", u"AB"},
      {"decrypted UTF-16BE", std::string("(\xFE\xFF\x00\x41\x30\x42)", 8), false,
       std::string("\xFE\xFF\x00\x41\x30\x42", 6), u"A\u3042"},
      {"Shift-JIS literal", "(\x82\xA0)", false, "\x82\xA0", u"\u3042"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    TzkPDFStringObject s(c.text, c.hex);
    EXPECT_EQ(s.Content(), c.content);
    EXPECT_EQ(s.UnicodeValue(), c.unicode);
  }
  SetSystemCodePageForTesting(kCodePageUtf8);
}

TEST(PDFObjectTest, MakeTextStringDependsOnCodePage) {
  SetSystemCodePageForTesting(kCodePageShiftJIS);
  auto hex = MakeTextString("Abc");
  EXPECT_TRUE(hex->IsHex());
  EXPECT_EQ(hex->Text(), "<FEFF004100620063>");
  EXPECT_EQ(hex->UnicodeValue(), u"Abc");
  SetSystemCodePageForTesting(kCodePageWestern);
  auto literal = MakeTextString("a(b)");
  EXPECT_FALSE(literal->IsHex());
  EXPECT_EQ(literal->Text(), "(a(b))");
  EXPECT_EQ(literal->ToText(), "(a\\(b\\))");
  SetSystemCodePageForTesting(kCodePageUtf8);
}

TEST(PDFObjectTest, ExceptionMessages) {
  struct Case {
    std::string message;
    const char* expected;
  } cases[] = {
      {EInvalidID(7).what(), "Invalid unique ID (7)"},
      {EInvalidStream().what(), "Invalid Stream! Cannot create with null stream"},
      {EReadError().what(), "A write-only filter cannot read"},
      {EUnexpectedError().what(), "Unexpected Error"},
      {ETrailerError().what(), "Error reading PDF trailer"},
      {EStringReadError("x").what(), "Error reading PDF string (x)"},
      {EArrayReadError("x").what(), "Error reading PDF array (x)"},
      {ENameReadError("x").what(), "Error reading PDF name string (x)"},
      {EDictionaryReadError("x").what(), "Error reading PDF dictionary (x)"},
      {EStreamReadError().what(), "Error reading PDF stream"},
      {EInvalidObjectNo().what(), "Invalid object number"},
      {EEndStreamError().what(), "Expected PDF endstream"},
      {EBooleanError("true").what(), "Expected boolean (true) object"},
      {ENullObjectError().what(), "Expected PDF null object"},
      {EOffsetError().what(), "Error reading document. Unable to read offset"},
      {EInvalidHeader("%PDF-2.").what(), "Invalid PDF Header (%PDF-2.)"},
      {EUnsupportedVersion("%PDF-1.9").what(), "Unsupported PDF Version (%PDF-1.9)"},
      {EInvalidPermission().what(), "Invalid permission in encryption dictionary"},
      {EUnexpectedObjectError().what(), "Unexpected PDF object encountered"},
      {EUnsupportedFilterError().what(), "Unsupported filter"},
      {EUnsupportedFilterError("/JBIG2Decode").what(), "Unsupported filter (/JBIG2Decode)"},
      {EUnexpectedFilterObject("Integer Object").what(), "Unexpected filter object, found (Integer Object)"},
      {EInvalidIndex().what(), "Index Out Of Bounds!"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.message, c.expected);
}

}  // namespace
}  // namespace sarvane::pdf
