#include "pdf/document/zkPDFSerializer.h"

#include <gtest/gtest.h>

#include <functional>

#include "pdf/crypt/zkPDFCrypt.h"
#include "pdf/filters/zkAsciiHexFilter.h"
#include "pdf/filters/zkFlateFilter.h"
#include "pdf/objects/zkPDFText.h"

namespace sarvane::pdf::doc {
namespace {

using namespace sarvane::pdf;

constexpr int32_t kDoc = 501;

TzkPDFObjectPtr Ref(int32_t number) { return std::make_unique<TzkPDFIndirectReference>(kDoc, 0, number); }
TzkPDFObjectPtr Name(std::string text) { return std::make_unique<TzkPDFNameObject>(std::move(text)); }
TzkPDFObjectPtr Int(int32_t v) { return std::make_unique<TzkPDFIntegerObject>(v); }
TzkPDFObjectPtr Str(std::string text, bool hex = false) {
  return std::make_unique<TzkPDFStringObject>(std::move(text), hex);
}

// A store with object 10 written as number 4, object 11 stored but not in
// use, and object 12 holding the integer 5, written as number 6.
struct Fixture {
  TzkPDFObjectStore store;
  Fixture() {
    auto* a = store.Store(std::make_unique<TzkPDFIndirectObject>(kDoc, Int(1), 0, 10, true));
    a->SetOutputNumber(4);
    store.Store(std::make_unique<TzkPDFIndirectObject>(kDoc, Int(2), 0, 11));
    auto* len = store.Store(std::make_unique<TzkPDFIndirectObject>(kDoc, Int(5), 0, 12, true));
    len->SetOutputNumber(6);
  }
};

std::unique_ptr<TzkPDFDictObject> Dict(std::initializer_list<std::pair<const char*, std::function<TzkPDFObjectPtr()>>> entries) {
  auto d = std::make_unique<TzkPDFDictObject>();
  for (auto& [k, v] : entries) d->AddValue(k, v());
  return d;
}

TEST(TzkPDFSerializer, WritesValuesWithOutputNumbersAndPageParents) {
  Fixture f;
  TzkPDFSerializer s(f.store, nullptr, nullptr);
  struct Case {
    const char* name;
    std::function<TzkPDFObjectPtr()> value;
    std::string expected;
  };
  const Case cases[] = {
      {"written reference", [] { return Ref(10); }, "4 0 R"},
      {"reference to an object not in use", [] { return Ref(11); }, "null"},
      {"reference to a missing object", [] { return Ref(99); }, "null"},
      {"reference of another document", [] { return std::make_unique<TzkPDFIndirectReference>(kDoc + 1, 0, 10); },
       "null"},
      {"literal string escaped", [] { return Str("(a(b)\\\r\n\b\f\tc\x80)"); }, "(a\\(b\\)\\\\\\r\\n\\b\\f\tc\x80)"},
      {"hex string kept as read", [] { return Str("<4a 4B>", true); }, "<4a 4B>"},
      {"hex string with a stray character rewritten", [] { return Str("<4a o4B>", true); }, "<4A4B>"},
      {"hex string with a stray delimiter rewritten", [] { return Str("<4a>4B>", true); }, "<4A4B>"},
      {"name and numbers", [] {
         auto a = std::make_unique<TzkPDFArrayObject>();
         a->Add(Name("/N"));
         a->AddInteger(-3);
         a->Add(std::make_unique<TzkPDFBooleanObject>(true));
         a->Add(std::make_unique<TzkPDFNullObject>());
         a->Add(Ref(10));
         return TzkPDFObjectPtr(std::move(a));
       },
       "[ /N -3 true null 4 0 R ]"},
      {"page dictionary gets /Parent last, its old one dropped", [] {
         return TzkPDFObjectPtr(Dict({{"/Type", [] { return Name("/Page"); }},
                                      {"/Parent", [] { return Ref(10); }},
                                      {"/Contents", [] { return Ref(10); }}}));
       },
       "<<\r\n/Type /Page\r\n/Contents 4 0 R\r\n/Parent 3 0 R\r\n>>"},
      {"page dictionary inside another value is written as it stands", [] {
         auto a = std::make_unique<TzkPDFArrayObject>();
         a->Add(Dict({{"/Type", [] { return Name("/Page"); }}, {"/Parent", [] { return Ref(10); }}}));
         return TzkPDFObjectPtr(std::move(a));
       },
       "[ <<\r\n/Type /Page\r\n/Parent 4 0 R\r\n>> ]"},
      {"/Pages node is no page", [] { return TzkPDFObjectPtr(Dict({{"/Type", [] { return Name("/Pages"); }}})); },
       "<<\r\n/Type /Pages\r\n>>"},
      {"empty dictionary", [] { return TzkPDFObjectPtr(std::make_unique<TzkPDFDictObject>()); }, "<<\r\n>>"},
  };
  for (const auto& c : cases) {
    std::string out;
    s.AppendValue(out, *c.value(), 7);
    EXPECT_EQ(out, c.expected) << c.name;
  }
}

// A reference names an object by document, number and generation; a
// match in only one of them is no match.
TEST(TzkPDFSerializer, ResolvesReferencesByTheirFullIdentity) {
  // With and without one object numbered far beyond the others, which
  // changes how the serialiser indexes the store.
  for (bool far : {false, true}) {
    TzkPDFObjectStore store;
    auto put = [&](int32_t doc, int32_t number, uint16_t generation, int32_t output) {
      store.Store(std::make_unique<TzkPDFIndirectObject>(doc, Int(0), generation, number, true))
          ->SetOutputNumber(output);
    };
    put(kDoc, 1, 0, 4);
    put(kDoc, 2, 0, 5);
    put(kDoc, 2, 3, 6);  // the same number again with another generation
    put(kDoc, 3, 1, 7);
    put(kDoc + 7, 1, 0, 8);
    if (far) put(kDoc, 2000000000, 0, 9);
    TzkPDFObjectStore built;
    built.Store(std::make_unique<TzkPDFIndirectObject>(kDoc, Int(0), 0, 9, true))->SetOutputNumber(10);
    built.Store(std::make_unique<TzkPDFIndirectObject>(kDoc, Int(0), 0, 3, true))->SetOutputNumber(11);
    TzkPDFSerializer s(store, &built, nullptr);
    struct Case {
      int32_t doc, number;
      uint16_t generation;
      int32_t expected;
    };
    const Case cases[] = {
        {kDoc, 1, 0, 4},  {kDoc, 2, 0, 5},      {kDoc, 2, 3, 6},     {kDoc, 2, 1, 0},
        {kDoc, 3, 1, 7},  {kDoc, 3, 0, 11},     {kDoc + 7, 1, 0, 8}, {kDoc + 7, 2, 0, 0},
        {kDoc, 9, 0, 10}, {kDoc, 2000000000, 0, far ? 9 : 0},      {kDoc, 1999999999, 0, 0},
        {kDoc, -1, 0, 0},
    };
    for (const auto& c : cases) {
      TzkPDFIndirectReference reference(c.doc, c.generation, c.number);
      EXPECT_EQ(s.OutputNumberOf(reference), c.expected) << far << ": " << c.doc << " " << c.number << " " << c.generation;
    }
  }
}

TEST(TzkPDFSerializer, EncryptsStringsWithTheContainingObjectsKey) {
  Fixture f;
  TzkPDFEncryptionSettings settings;
  settings.SetEnabled(true);
  settings.SetLevel(el128bit);
  settings.SetOwnerPassword("o");
  TzkPDFEncryption enc("Output1.pdf", settings, "");
  TzkPDFSerializer s(f.store, nullptr, &enc);
  struct Case {
    const char* name;
    TzkPDFObjectPtr value;
    int32_t context;
    std::string expected;
  };
  Case cases[] = {
      {"literal string", Str("(Hello)"), 7, "<" + BytesToHex(enc.Encrypted("Hello", 7)) + ">"},
      {"hex string encrypts the bytes it denotes", Str("<48656c6C6f>", true), 9,
       "<" + BytesToHex(enc.Encrypted("Hello", 9)) + ">"},
      {"empty string", Str("()"), 7, "<>"},
      {"no encryption outside objects", Str("(Hi)"), TzkPDFSerializer::kNoEncryption, "(Hi)"},
      {"no encryption outside objects, hex kept", Str("<4869>", true), TzkPDFSerializer::kNoEncryption, "<4869>"},
  };
  for (auto& c : cases) {
    std::string out;
    s.AppendValue(out, *c.value, c.context);
    EXPECT_EQ(out, c.expected) << c.name;
  }
}

// The written /Length must describe the bytes between "stream" and
// "endstream" whatever loading left in the dictionary.
TEST(TzkPDFSerializer, StreamLengthDescribesTheBytesWritten) {
  Fixture f;
  TzkPDFSerializer s(f.store, nullptr, nullptr);
  struct Case {
    const char* name;
    std::function<TzkPDFObjectPtr()> length;  // nullptr: no /Length
    bool repaired;
    std::string data;
    std::string expectedLength;
  };
  const Case cases[] = {
      {"direct and right", [] { return Int(5); }, false, "12345", "5"},
      {"repaired while loading", [] { return Int(5); }, true, "123", "3"},
      {"direct and wrong", [] { return Int(99); }, false, "123", "3"},
      {"indirect, written, right", [] { return Ref(12); }, false, "12345", "6 0 R"},
      {"indirect, written, repaired", [] { return Ref(12); }, true, "12", "2"},
      {"indirect to an object not written", [] { return Ref(11); }, false, "12", "2"},
      {"indirect to a missing object", [] { return Ref(99); }, false, "12", "2"},
      {"absent", nullptr, false, "1234", "4"},
      {"empty data", [] { return Int(7); }, true, "", "0"},
  };
  for (const auto& c : cases) {
    auto dict = std::make_unique<TzkPDFDictObject>();
    if (c.length) dict->AddValue("/Length", c.length());
    dict->AddName("/Subtype", "/Form");
    TzkPDFStreamObject stream(std::move(dict), std::make_unique<TzkMemoryStream>(c.data));
    std::string out;
    s.AppendStream(out, stream, 8, c.repaired);
    const std::string body = "\r\nstream\r\n" + c.data + "\r\nendstream";
    ASSERT_GE(out.size(), body.size()) << c.name;
    EXPECT_EQ(out.substr(out.size() - body.size()), body) << c.name;
    const std::string expectedDict =
        c.length ? "<<\r\n/Length " + c.expectedLength + "\r\n/Subtype /Form\r\n>>"
                 : "<<\r\n/Subtype /Form\r\n/Length " + c.expectedLength + "\r\n>>";
    EXPECT_EQ(out.substr(0, out.size() - body.size()), expectedDict) << c.name;
  }
}

// Splits a written stream into its dictionary text and data.
void SplitStream(const std::string& out, std::string& dict, std::string& data) {
  const size_t s = out.find("\r\nstream\r\n");
  const size_t e = out.rfind("\r\nendstream");
  ASSERT_NE(s, std::string::npos);
  ASSERT_NE(e, std::string::npos);
  dict = out.substr(0, s);
  data = out.substr(s + 10, e - s - 10);
}

TEST(TzkPDFSerializer, CompressionAndAsciiEncodingOfStreams) {
  Fixture f;
  const std::string content = std::string(300, 'A') + "BT /F1 12 Tf (x) Tj ET";
  struct Case {
    const char* name;
    bool compress;
    bool ascii;
    std::function<void(TzkPDFDictObject&)> entries;
    std::string expectedFilter;  // text of /Filter after writing
    std::string expectedParms;   // text of /DecodeParms after writing, or empty
    std::function<std::string(const std::string&)> decode;  // turns written data back
  };
  const Case cases[] = {
      {"flate on plain data", true, false, [](TzkPDFDictObject&) {}, "/FlateDecode", "",
       [](const std::string& d) { return FlateDecode(d); }},
      {"JPEG data left alone", true, false, [](TzkPDFDictObject& d) { d.AddName("/Filter", "/DCTDecode"); },
       "/DCTDecode", "", [](const std::string& d) { return d; }},
      {"already flate in an array", true, false,
       [](TzkPDFDictObject& d) {
         auto a = std::make_unique<TzkPDFArrayObject>();
         a->Add(Name("/ASCII85Decode"));
         a->Add(Name("/FlateDecode"));
         d.AddValue("/Filter", std::move(a));
       },
       "[ /ASCII85Decode /FlateDecode ]", "", [](const std::string& d) { return d; }},
      {"parameters stay with their filter", true, false,
       [](TzkPDFDictObject& d) {
         d.AddName("/Filter", "/LZWDecode");
         auto p = std::make_unique<TzkPDFDictObject>();
         p->AddInteger("/EarlyChange", 0);
         d.AddValue("/DecodeParms", std::move(p));
       },
       "[ /FlateDecode /LZWDecode ]", "[ null <<\r\n/EarlyChange 0\r\n>> ]",
       [](const std::string& d) { return FlateDecode(d); }},
      {"ascii hex on plain data", false, true, [](TzkPDFDictObject&) {}, "/ASCIIHexDecode", "",
       [](const std::string& d) { return AsciiHexDecode(d); }},
      {"ascii hex not doubled", false, true, [](TzkPDFDictObject& d) { d.AddName("/Filter", "/ASCIIHexDecode"); },
       "/ASCIIHexDecode", "", [](const std::string& d) { return d; }},
      {"flate then ascii hex", true, true, [](TzkPDFDictObject&) {}, "[ /ASCIIHexDecode /FlateDecode ]", "",
       [](const std::string& d) { return FlateDecode(AsciiHexDecode(d)); }},
  };
  for (const auto& c : cases) {
    TzkPDFSerializer s(f.store, nullptr, nullptr);
    s.SetCompression(c.compress, ckFlate, 2);
    s.SetAsciiEncoding(c.ascii, aeASCIIHex);
    auto dict = std::make_unique<TzkPDFDictObject>();
    dict->AddInteger("/Length", static_cast<int32_t>(content.size()));
    c.entries(*dict);
    TzkPDFStreamObject stream(std::move(dict), std::make_unique<TzkMemoryStream>(content));
    std::string out, dictText, data;
    s.AppendStream(out, stream, 8, false);
    SplitStream(out, dictText, data);
    EXPECT_NE(dictText.find("/Filter " + c.expectedFilter + "\r\n"), std::string::npos) << c.name << "\n" << dictText;
    if (!c.expectedParms.empty()) {
      EXPECT_NE(dictText.find("/DecodeParms " + c.expectedParms + "\r\n"), std::string::npos) << c.name << "\n"
                                                                                             << dictText;
    }
    EXPECT_NE(dictText.find("/Length " + std::to_string(data.size()) + "\r\n"), std::string::npos) << c.name;
    EXPECT_EQ(c.decode(data), content) << c.name;
    // The stored stream is not changed by writing it.
    EXPECT_EQ(stream.DataBytes(), content) << c.name;
    EXPECT_EQ(stream.Dict().LookupAs<TzkPDFIntegerObject>("/Length")->Value(), int32_t(content.size())) << c.name;
  }
}

TEST(TzkPDFSerializer, EncryptsStreamDataButKeepsItsLength) {
  Fixture f;
  TzkPDFEncryptionSettings settings;
  settings.SetEnabled(true);
  settings.SetLevel(el40bit);
  TzkPDFEncryption enc("Output1.pdf", settings, "D:2024");
  TzkPDFSerializer s(f.store, nullptr, &enc);
  auto dict = std::make_unique<TzkPDFDictObject>();
  dict->AddInteger("/Length", 11);
  dict->AddValue("/Name", Str("(inside)"));
  TzkPDFStreamObject stream(std::move(dict), std::make_unique<TzkMemoryStream>("hello world"));
  std::string out, dictText, data;
  s.AppendStream(out, stream, 12, false);
  SplitStream(out, dictText, data);
  EXPECT_EQ(data, enc.Encrypted("hello world", 12));
  EXPECT_EQ(dictText, "<<\r\n/Length 11\r\n/Name <" + BytesToHex(enc.Encrypted("inside", 12)) + ">\r\n>>");
}

TEST(TzkPDFSerializer, RefusesNestingBeyondItsLimit) {
  Fixture f;
  TzkPDFSerializer s(f.store, nullptr, nullptr);
  auto root = std::make_unique<TzkPDFArrayObject>();
  TzkPDFArrayObject* at = root.get();
  for (int i = 0; i < TzkPDFSerializer::kMaxDepth + 5; ++i) {
    auto next = std::make_unique<TzkPDFArrayObject>();
    auto* raw = next.get();
    at->Add(std::move(next));
    at = raw;
  }
  std::string out;
  EXPECT_THROW(s.AppendValue(out, *root, 1), Exception);
}

}  // namespace
}  // namespace sarvane::pdf::doc
