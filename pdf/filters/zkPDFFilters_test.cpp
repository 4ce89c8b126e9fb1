#include "pdf/filters/zkPDFFilters.h"

#include <gtest/gtest.h>

#include <map>

#include "pdf/filters/zkFilterTestUtil.h"

namespace sarvane::pdf {
namespace {

using test::ZlibCompress;

std::unique_ptr<TzkPDFNameObject> Name(std::string text) {
  return std::make_unique<TzkPDFNameObject>(std::move(text));
}

std::unique_ptr<TzkPDFArrayObject> Names(std::initializer_list<const char*> names) {
  auto a = std::make_unique<TzkPDFArrayObject>();
  for (const char* n : names) a->Add(Name(n));
  return a;
}

std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

// A zlib stream of some text whose last byte is `last`.
std::string FlateEndingIn(char last, std::string& plain) {
  for (int i = 0; i < 256; ++i) {
    plain = "q 0 0 1 rg " + std::string(1, static_cast<char>(i));
    std::string packed = ZlibCompress(plain);
    if (packed.back() == last) return packed;
  }
  ADD_FAILURE() << "no stream ends in that byte";
  return {};
}

TEST(FilterTables, CodeOfEachName) {
  const struct {
    const char* name;
    int code;
  } cases[] = {
      {"/ASCIIHexDecode", 0}, {"/ASCII85Decode", 1}, {"/FlateDecode", 2}, {"/RunLengthDecode", 3},
      {"/LZWDecode", 4},      {"/CCITTFaxDecode", 5}, {"/DCTDecode", 6},
      // The short names of inline images.
      {"/AHx", 0}, {"/A85", 1}, {"/Fl", 2}, {"/RL", 3}, {"/LZW", 4}, {"/CCF", 5}, {"/DCT", 6},
  };
  for (const auto& c : cases) EXPECT_EQ(FilterCodeOf(c.name), c.code) << c.name;
  for (uint8_t code = 0; code < 7; ++code) EXPECT_EQ(FilterCodeOf(kFilterNames[code]), code);
  for (const char* bad : {"/Flate", "/flatedecode", "FlateDecode", "/ahx", "/JPXDecode", "", "/"}) {
    try {
      FilterCodeOf(bad);
      ADD_FAILURE() << bad;
    } catch (const EUnsupportedFilterError& e) {
      EXPECT_EQ(std::string(e.what()), Format("Unsupported filter (%s)", bad));
    }
  }
}

TEST(FilterTables, CodesOfAFilterValue) {
  auto one = Name("/FlateDecode");
  auto chain = Names({"/ASCII85Decode", "/FlateDecode", "/DCTDecode"});
  auto empty = std::make_unique<TzkPDFArrayObject>();
  EXPECT_EQ(FilterCodes(one.get()), std::vector<uint8_t>({2}));
  EXPECT_EQ(FilterCodes(chain.get()), std::vector<uint8_t>({1, 2, 6}));
  EXPECT_EQ(FilterCodes(empty.get()), std::vector<uint8_t>());
  EXPECT_EQ(FilterCodes(nullptr), std::vector<uint8_t>());

  auto withNumber = Names({"/FlateDecode"});
  withNumber->AddInteger(3);
  EXPECT_THROW(FilterCodes(withNumber.get()), EInvalidCast);
  auto withBadName = Names({"/FlateDecode", "/Flate"});
  EXPECT_THROW(FilterCodes(withBadName.get()), EUnsupportedFilterError);

  const struct {
    TzkPDFObjectPtr object;
    const char* message;
  } wrongKinds[] = {
      {std::make_unique<TzkPDFIntegerObject>(2), "Unexpected filter object, found (Integer Object)"},
      {std::make_unique<TzkPDFDictObject>(), "Unexpected filter object, found (Dictionary Object)"},
      {std::make_unique<TzkPDFNullObject>(), "Unexpected filter object, found (Null Object)"},
      {std::make_unique<TzkPDFStringObject>("(/FlateDecode)"),
       "Unexpected filter object, found (String Object)"},
      {std::make_unique<TzkPDFIndirectReference>(101, 0, 5),
       "Unexpected filter object, found (IndirectReference Object)"},
  };
  for (const auto& c : wrongKinds) {
    try {
      FilterCodes(c.object.get());
      ADD_FAILURE() << c.message;
    } catch (const EUnexpectedFilterObject& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
}

TEST(FilterTables, ResolvesReferencesThroughTheCaller) {
  auto target = Name("/FlateDecode");
  auto ref = std::make_unique<TzkPDFIndirectReference>(101, 0, 7);
  auto dangling = std::make_unique<TzkPDFIndirectReference>(101, 0, 8);
  TzkObjectResolver resolve = [&](const TzkPDFObject* o) -> const TzkPDFObject* {
    return o->As<TzkPDFIndirectReference>()->ObjectNumber() == 7 ? target.get() : nullptr;
  };
  auto chain = std::make_unique<TzkPDFArrayObject>();
  chain->Add(Name("/ASCIIHexDecode"));
  chain->Add(ref->Clone());
  EXPECT_EQ(FilterCodes(ref.get(), resolve), std::vector<uint8_t>({2}));
  EXPECT_EQ(FilterCodes(chain.get(), resolve), std::vector<uint8_t>({0, 2}));
  chain->Add(dangling->Clone());
  EXPECT_THROW(FilterCodes(chain.get(), resolve), EInvalidCast);
  EXPECT_EQ(DecodeChain(ZlibCompress("abc"), ref.get(), nullptr, resolve), "abc");
}

TEST(DecodeByCode, DecodesEachCode) {
  std::string plainLF, plainCR;
  const std::string flateLF = FlateEndingIn('\n', plainLF);
  const std::string flateCR = FlateEndingIn('\r', plainCR);
  const struct {
    const char* name;
    uint8_t code;
    std::string in, out;
  } cases[] = {
      {"hex closed", 0, "48656C6C6F>", "Hello"},
      {"hex without end marker", 0, "48656C6C6F", "Hello"},
      {"hex line end after marker", 0, "48656C6C6F>\r\n", "Hello"},
      {"hex line end, no marker", 0, "48656C\n6C6F\r\n", "Hello"},
      {"hex empty", 0, "", ""},
      {"ascii85 line end", 1, "9jqo^Bla~>\n", "Man is"},
      {"flate", 2, ZlibCompress("Hello"), "Hello"},
      {"flate ending in LF", 2, flateLF, plainLF},
      {"flate ending in CR", 2, flateCR, plainCR},
      {"run length", 3, Bytes({254, 'A', 0, 'B', 128}), "AAAB"},
      {"lzw", 4, std::string("\x80\x0B\x60\x50\x22\x0C\x0C\x85\x01", 9), "-----A---B"},
      {"dct kept", 6, "\xff\xd8 jpeg \r\n", "\xff\xd8 jpeg \r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DecodeTextByCode(c.code, c.in), c.out);
    TzkMemoryStream source(c.in);
    source.Seek(2, soBeginning);
    auto out = DecodeByCode(c.code, source);
    EXPECT_EQ(out->Bytes(), c.out);
    EXPECT_EQ(out->Position(), 0);
    EXPECT_EQ(source.Bytes(), c.in);  // the source keeps its bytes and position
    EXPECT_EQ(source.Position(), 2);
  }
}

TEST(DecodeByCode, RejectsUnsupportedCodes) {
  TzkMemoryStream fax("fax data\r\n");
  EXPECT_EQ(DecodeByCode(fcCCITTFaxDecode, fax)->Bytes(), "fax data\r\n");
  for (uint8_t code : {uint8_t{5}, uint8_t{7}, uint8_t{255}}) {
    try {
      DecodeTextByCode(code, "data");
      ADD_FAILURE() << int{code};
    } catch (const EUnsupportedFilterError& e) {
      EXPECT_STREQ(e.what(), "Unsupported filter");
    }
  }
  TzkMemoryStream data("data");
  EXPECT_THROW(DecodeByCode(7, data), EUnsupportedFilterError);
}

TEST(DecodeChain, DecodesInOrder) {
  const std::string plain = "BT /F1 12 Tf (chain) Tj ET";
  auto a85flate = Names({"/ASCII85Decode", "/FlateDecode"});
  auto withDct = Names({"/DCTDecode", "/ASCIIHexDecode"});
  auto nullFilter = std::make_unique<TzkPDFNullObject>();
  auto rl = Name("/RunLengthDecode");
  auto bad = Names({"/FlateDecode", "/JBIG2Decode"});
  const struct {
    const char* name;
    const TzkPDFObject* filter;
    std::string in, out;
  } cases[] = {
      {"ascii85 then flate", a85flate.get(), Ascii85Encode(FlateEncode(plain)) + "\r\n", plain},
      {"dct stage kept", withDct.get(), "414243", "ABC"},
      {"no filter", nullptr, "raw\r\n", "raw\r\n"},
      {"null filter", nullFilter.get(), "raw", "raw"},
      {"single name", rl.get(), RunLengthEncode(plain), plain},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DecodeChain(c.in, c.filter), c.out);
    TzkMemoryStream source(c.in);
    EXPECT_EQ(DecodeChain(source, c.filter)->Bytes(), c.out);
    EXPECT_EQ(source.Bytes(), c.in);
  }
  EXPECT_THROW(DecodeChain(FlateEncode(plain), bad.get()), EUnsupportedFilterError);
  // The wrong order fails in the first stage.
  auto flateA85 = Names({"/FlateDecode", "/ASCII85Decode"});
  EXPECT_THROW(DecodeChain(Ascii85Encode(FlateEncode(plain)), flateA85.get()), EZDecompressionError);
}

std::unique_ptr<TzkPDFDictObject> Parms(std::initializer_list<std::pair<const char*, int>> entries) {
  auto d = std::make_unique<TzkPDFDictObject>();
  for (const auto& [k, v] : entries) d->AddInteger(k, v);
  return d;
}

TEST(DecodeChain, AppliesPredictorsFromDecodeParms) {
  const std::string rows = Bytes({2, 1, 2, 3, 4, 2, 1, 1, 1, 1});
  const std::string unpredicted = Bytes({1, 2, 3, 4, 2, 3, 4, 5});
  const std::string packed = FlateEncode(rows);
  auto flate = Name("/FlateDecode");
  auto png = Parms({{"/Predictor", 12}, {"/Columns", 4}});
  auto png10 = Parms({{"/Predictor", 10}, {"/Columns", 4}});
  auto none = Parms({{"/Predictor", 1}, {"/Columns", 4}});
  auto below10 = Parms({{"/Predictor", 5}, {"/Columns", 4}});
  auto noPredictor = Parms({{"/Columns", 4}});
  auto tiff = Parms({{"/Predictor", 2}, {"/Columns", 5}});
  auto realColumns = std::make_unique<TzkPDFDictObject>();
  realColumns->AddInteger("/Predictor", 12);
  realColumns->AddReal("/Columns", 4.0);
  auto inArray = std::make_unique<TzkPDFArrayObject>();
  inArray->Add(Parms({{"/Predictor", 12}, {"/Columns", 4}}));
  auto hexFlate = Names({"/ASCIIHexDecode", "/FlateDecode"});
  auto parallel = std::make_unique<TzkPDFArrayObject>();
  parallel->Add(std::make_unique<TzkPDFNullObject>());
  parallel->Add(Parms({{"/Predictor", 12}, {"/Columns", 4}}));
  auto shortArray = std::make_unique<TzkPDFArrayObject>();
  shortArray->Add(Parms({{"/Predictor", 12}, {"/Columns", 4}}));  // meant for AHx: not used
  const struct {
    const char* name;
    const TzkPDFObject* filter;
    const TzkPDFObject* parms;
    std::string in, out;
  } cases[] = {
      {"png 12", flate.get(), png.get(), packed, unpredicted},
      {"png 10", flate.get(), png10.get(), packed, unpredicted},
      {"predictor 1", flate.get(), none.get(), packed, rows},
      {"predictor below 10", flate.get(), below10.get(), packed, rows},
      {"no predictor key", flate.get(), noPredictor.get(), packed, rows},
      {"tiff", flate.get(), tiff.get(), packed, Bytes({2, 3, 5, 8, 12, 2, 3, 4, 5, 6})},
      {"real columns", flate.get(), realColumns.get(), packed, unpredicted},
      {"array of one", flate.get(), inArray.get(), packed, unpredicted},
      {"parallel array", hexFlate.get(), parallel.get(), AsciiHexEncode(packed), unpredicted},
      {"params of another stage", hexFlate.get(), shortArray.get(), AsciiHexEncode(packed), rows},
      {"no params", flate.get(), nullptr, packed, rows},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(DecodeChain(c.in, c.filter, c.parms), c.out);
  }
}

TEST(DecodeChain, HonoursEarlyChange) {
  // Past 511 table entries the two rules read different code widths.
  std::string text;
  for (int i = 0; i < 3000; ++i) text += std::to_string(i * 7919 % 10007) + " ";
  auto lzw = Name("/LZWDecode");
  auto late = Parms({{"/EarlyChange", 0}});
  auto early = Parms({{"/EarlyChange", 1}});
  const std::string lateData = test::LzwEncode(text, false, true);
  const std::string earlyData = test::LzwEncode(text, true, true);
  EXPECT_EQ(DecodeChain(lateData, lzw.get(), late.get()), text);
  EXPECT_EQ(DecodeChain(earlyData, lzw.get(), early.get()), text);
  EXPECT_EQ(DecodeChain(earlyData, lzw.get()), text);
  std::string misread;
  try {
    misread = DecodeChain(lateData, lzw.get());
  } catch (const Exception&) {
  }
  EXPECT_NE(misread, text);
}

TEST(DecodeChain, RejectsBadDecodeParms) {
  const std::string packed = FlateEncode(Bytes({2, 1, 2, 3, 4}));
  auto flate = Name("/FlateDecode");
  auto zeroColumns = Parms({{"/Predictor", 12}, {"/Columns", 0}});
  auto hugeColors = Parms({{"/Predictor", 15}, {"/Columns", 4}, {"/Colors", 1000}});
  auto oddBits = Parms({{"/Predictor", 12}, {"/Columns", 4}, {"/BitsPerComponent", 7}});
  auto nameColumns = std::make_unique<TzkPDFDictObject>();
  nameColumns->AddInteger("/Predictor", 12);
  nameColumns->AddName("/Columns", "/Four");
  auto fracColumns = std::make_unique<TzkPDFDictObject>();
  fracColumns->AddInteger("/Predictor", 12);
  fracColumns->AddReal("/Columns", 4.5);
  auto badTag = Parms({{"/Predictor", 12}, {"/Columns", 2}});
  const struct {
    const char* name;
    const TzkPDFObject* parms;
    const char* message;
  } cases[] = {
      {"zero columns", zeroColumns.get(), "Invalid predictor parameter (/Columns 0)"},
      {"huge colors", hugeColors.get(), "Invalid predictor parameter (/Colors 1000)"},
      {"odd bits", oddBits.get(), "Invalid predictor parameter (/BitsPerComponent 7)"},
      {"name", nameColumns.get(), "Invalid predictor parameter (/Columns Name Object)"},
      {"fraction", fracColumns.get(), "Invalid predictor parameter (/Columns Real Object)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      DecodeChain(packed, flate.get(), c.parms);
      ADD_FAILURE() << "accepted";
    } catch (const EInvalidPredictorParameter& e) {
      EXPECT_STREQ(e.what(), c.message);
    }
  }
  EXPECT_THROW(DecodeChain(FlateEncode(Bytes({9, 1, 2})), flate.get(), badTag.get()),
               EImproperPNGAlgorithm);
}

TEST(UnpredictPng, ReadsFromTheCurrentPosition) {
  TzkMemoryStream source("skip" + Bytes({2, 1, 2, 3, 4, 2, 1, 1, 1, 1}));
  source.Seek(4, soBeginning);
  auto out = UnpredictPng(source, 4);
  EXPECT_EQ(out->Bytes(), Bytes({1, 2, 3, 4, 2, 3, 4, 5}));
  EXPECT_EQ(out->Position(), 0);
}

TEST(FilterClasses, StreamFormsMatchTextForms) {
  const std::string data = test::RandomBytes(3000, 17) + std::string(300, 'r');
  struct Case {
    const char* name;
    std::unique_ptr<TzkFilter> filter;
  };
  Case cases[] = {
      {"flate", std::make_unique<TzkFlateFilter>()},
      {"hex", std::make_unique<TzkAsciiHexFilter>()},
      {"ascii85", std::make_unique<TzkAscii85Filter>()},
      {"run length", std::make_unique<TzkRLEFilter>()},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    TzkMemoryStream source(data);
    source.Seek(100, soBeginning);
    auto encoded = c.filter->EncodeStream(source);
    EXPECT_EQ(encoded->Bytes(), c.filter->EncodeText(data));
    EXPECT_EQ(encoded->Position(), 0);
    EXPECT_EQ(source.Position(), 100);
    auto leveled = c.filter->EncodeStreamLevel(source, 3);
    EXPECT_EQ(leveled->Bytes(), c.filter->EncodeTextLevel(data, 3));
    auto decoded = c.filter->DecodeStream(*encoded);
    EXPECT_EQ(decoded->Bytes(), data);
  }
  TzkLZWFilter lzw;
  try {
    lzw.EncodeText("abc");
    ADD_FAILURE() << "LZW encoded";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "This filter cannot encode");
  }
  TzkMemoryStream source("abc");
  EXPECT_THROW(lzw.EncodeStream(source), Exception);
}

}  // namespace
}  // namespace sarvane::pdf
