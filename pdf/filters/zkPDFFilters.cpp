#include "pdf/filters/zkPDFFilters.h"

#include <cmath>

#include "pdf/filters/zkFilterResStrings.h"

namespace sarvane::pdf {

namespace {

const TzkPDFObject* Resolved(const TzkPDFObject* object, const TzkObjectResolver& resolve) {
  if (object && resolve && object->IsIndirectReference()) return resolve(object);
  return object;
}

std::string_view WithoutTrailingLineEnds(std::string_view s) {
  while (!s.empty() && (s.back() == '\r' || s.back() == '\n')) s.remove_suffix(1);
  return s;
}

// One step; stream semantics (CCITTFax passes) unless textForm.
bool HasPredictor(const TzkPredictorParams* params) {
  return params && (params->Predictor == 2 || params->Predictor >= 10);
}

std::string DecodeStep(uint8_t code, std::string_view source, const TzkPredictorParams* params,
                       bool textForm) {
  switch (code) {
    case fcASCIIHexDecode: {
      source = WithoutTrailingLineEnds(source);
      if (!source.empty() && source.back() == '>') return AsciiHexDecode(source);
      std::string closed;
      closed.reserve(source.size() + 1);
      closed.append(source).push_back('>');
      return AsciiHexDecode(closed);
    }
    case fcASCII85Decode:
      return Ascii85Decode(WithoutTrailingLineEnds(source));
    case fcFlateDecode: {
      std::string out = FlateDecode(source);
      return HasPredictor(params) ? ApplyPredictor(out, *params) : out;
    }
    case fcRunLengthDecode:
      return RunLengthDecode(source);
    case fcLZWDecode: {
      std::string out = LZWDecode(source, params ? params->EarlyChange : true);
      return HasPredictor(params) ? ApplyPredictor(out, *params) : out;
    }
    case fcCCITTFaxDecode:
      if (textForm) throw EUnsupportedFilterError();
      return std::string(source);
    case fcDCTDecode:
      return std::string(source);
    default:
      throw EUnsupportedFilterError();
  }
}

std::string_view BytesOf(TzkStream& stream, std::string& holder) {
  if (const auto* memory = dynamic_cast<const TzkMemoryStream*>(&stream)) return memory->Bytes();
  holder = StreamBytes(stream);
  return holder;
}

[[noreturn]] void ThrowParm(std::string_view key, const TzkPDFObject* value) {
  throw EInvalidPredictorParameter(Format(res::SInvalidPredictorParameter,
                                          std::string(key) + " " + std::string(KindDisplayName(value->Kind()))));
}

}  // namespace

uint8_t FilterCodeOf(std::string_view name) {
  for (uint8_t code = 0; code < std::size(kFilterNames); ++code)
    if (kFilterNames[code] == name) return code;
  // The short names of inline images, which some writers use for streams too.
  static constexpr std::pair<std::string_view, uint8_t> kAbbreviations[] = {
      {"/AHx", fcASCIIHexDecode}, {"/A85", fcASCII85Decode}, {"/Fl", fcFlateDecode}, {"/RL", fcRunLengthDecode},
      {"/LZW", fcLZWDecode},      {"/CCF", fcCCITTFaxDecode}, {"/DCT", fcDCTDecode}};
  for (const auto& [abbreviation, code] : kAbbreviations)
    if (abbreviation == name) return code;
  throw EUnsupportedFilterError(name);
}

std::vector<uint8_t> FilterCodes(const TzkPDFObject* filter, const TzkObjectResolver& resolve) {
  filter = Resolved(filter, resolve);
  std::vector<uint8_t> codes;
  if (!filter) return codes;
  if (const auto* name = filter->As<TzkPDFNameObject>()) {
    codes.push_back(FilterCodeOf(name->Text()));
  } else if (const auto* array = filter->As<TzkPDFArrayObject>()) {
    codes.reserve(static_cast<std::size_t>(array->Count()));
    for (int32_t i = 0; i < array->Count(); ++i) {
      const TzkPDFObject* item = Resolved(array->ItemAt(i), resolve);
      if (!item) throw EInvalidCast();
      codes.push_back(FilterCodeOf(item->Cast<TzkPDFNameObject>().Text()));
    }
  } else {
    throw EUnexpectedFilterObject(KindDisplayName(filter->Kind()));
  }
  return codes;
}

std::unique_ptr<TzkMemoryStream> DecodeByCode(uint8_t code, TzkStream& source) {
  std::string holder;
  return std::make_unique<TzkMemoryStream>(DecodeStep(code, BytesOf(source, holder), nullptr, false));
}

std::string DecodeTextByCode(uint8_t code, std::string_view source) {
  return DecodeStep(code, source, nullptr, true);
}

TzkPredictorParams ReadDecodeParms(const TzkPDFObject* parms, const TzkObjectResolver& resolve) {
  TzkPredictorParams p;
  const auto* dict = ObjectAs<TzkPDFDictObject>(Resolved(parms, resolve));
  if (!dict) return p;
  auto read = [&](std::string_view key, int64_t& out) {
    const TzkPDFObject* value = Resolved(dict->Lookup(key), resolve);
    if (!value || value->IsNull()) return;
    if (const auto* i = value->As<TzkPDFIntegerObject>()) {
      out = i->Value();
    } else if (const auto* l = value->As<TzkPDFInt64Object>()) {
      out = l->Value();
    } else if (const auto* r = value->As<TzkPDFRealObject>()) {
      // Some writers put "4.0"; a whole number in range is as good as an integer.
      const double v = r->Value();
      if (!(std::fabs(v) < 1e15) || v != std::floor(v)) ThrowParm(key, value);
      out = static_cast<int64_t>(v);
    } else {
      ThrowParm(key, value);
    }
  };
  read("/Predictor", p.Predictor);
  read("/Colors", p.Colors);
  read("/BitsPerComponent", p.BitsPerComponent);
  read("/Columns", p.Columns);
  int64_t early = 1;
  read("/EarlyChange", early);
  p.EarlyChange = early != 0;
  return p;
}

std::string DecodeChain(std::string_view data, const TzkPDFObject* filter,
                        const TzkPDFObject* decodeParms, const TzkObjectResolver& resolve) {
  filter = Resolved(filter, resolve);
  if (!filter || filter->IsNull()) return std::string(data);
  const std::vector<uint8_t> codes = FilterCodes(filter, resolve);

  // A single dictionary stands for an array of one.
  decodeParms = Resolved(decodeParms, resolve);
  const auto* parmArray = ObjectAs<TzkPDFArrayObject>(decodeParms);
  auto parmsOf = [&](std::size_t i) -> const TzkPDFObject* {
    if (parmArray) return parmArray->ItemAt(static_cast<int32_t>(i));
    return i == 0 ? decodeParms : nullptr;
  };

  std::string work;
  std::string_view current = data;  // the first stage reads the caller's bytes directly
  bool decoded = false;
  for (std::size_t i = 0; i < codes.size(); ++i) {
    const uint8_t code = codes[i];
    if (code == fcDCTDecode) continue;
    const TzkPDFObject* parms = parmsOf(i);
    TzkPredictorParams params;
    const bool hasParams = (code == fcFlateDecode || code == fcLZWDecode) &&
                           ObjectAs<TzkPDFDictObject>(Resolved(parms, resolve));
    if (hasParams) params = ReadDecodeParms(parms, resolve);
    work = DecodeStep(code, current, hasParams ? &params : nullptr, false);
    current = work;
    decoded = true;
  }
  return decoded ? work : std::string(data);
}

std::unique_ptr<TzkMemoryStream> DecodeChain(TzkStream& data, const TzkPDFObject* filter,
                                             const TzkPDFObject* decodeParms,
                                             const TzkObjectResolver& resolve) {
  std::string holder;
  return std::make_unique<TzkMemoryStream>(
      DecodeChain(BytesOf(data, holder), filter, decodeParms, resolve));
}

std::unique_ptr<TzkMemoryStream> UnpredictPng(TzkStream& source, int64_t columns) {
  const std::string rest = source.ReadBytes(source.Size() - source.Position());
  return std::make_unique<TzkMemoryStream>(UnpredictPngBytes(rest, columns));
}

}  // namespace sarvane::pdf
