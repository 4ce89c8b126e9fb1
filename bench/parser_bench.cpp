// Parsing speed of the object parser over a large generated body of the
// objects that make up typical PDF files.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "pdf/objects/zkPDFParser.h"

using namespace sarvane::pdf;

namespace {

// About 400 bytes per object: page dictionaries, content streams, font
// dictionaries with width arrays, and information strings.
std::shared_ptr<const std::string> MakeBody(int objects) {
  auto body = std::make_shared<std::string>();
  body->reserve(static_cast<size_t>(objects) * 420);
  std::string& s = *body;
  for (int n = 1; n <= objects; ++n) {
    s += std::to_string(n);
    s += " 0 obj\r\n";
    switch (n % 4) {
      case 0:
        s += "<< /Type /Page /Parent 2 0 R /MediaBox [ 0 0 612.0000000000 792.0000000000 ] /Resources << /Font << /F1 ";
        s += std::to_string(n + 1);
        s += " 0 R >> /ProcSet [/PDF /Text] >> /Contents ";
        s += std::to_string(n + 2);
        s += " 0 R /Rotate 0 >>";
        break;
      case 1: {
        const std::string_view content =
            "BT /F1 12 Tf 72 712 Td (Hello, world \\(page\\) \\101\\102) Tj ET\n"
            "0.5 0.25 0.125 rg 10 10 100 100 re f\n";
        s += "<< /Length ";
        s += std::to_string(content.size());
        s += " >>\r\nstream\r\n";
        s += content;
        s += "\r\nendstream";
        break;
      }
      case 2:
        s += "<< /Type /Font /Subtype /TrueType /BaseFont /Arial /FirstChar 32 /LastChar 64 /Widths [";
        for (int w = 32; w <= 64; ++w) {
          s += ' ';
          s += std::to_string(250 + w * 3);
        }
        s += " ] /Encoding /WinAnsiEncoding >>";
        break;
      default:
        s += "<< /Title <FEFF005400690074006C0065> /Author (A. N. Author) /CreationDate (D:20240101120000+09'00') "
             "/Producer (Sarvane) /Keywords [(one) (two) (three)] /Trapped false /Version 1.7 >>";
    }
    s += "\r\nendobj\r\n";
  }
  return body;
}

// Reads every object as the loader does: header, value, stream data, "endobj".
int64_t ParseAll(TzkPDFStreamReader& reader) {
  int64_t count = 0;
  reader.Seek(0);
  while (!reader.EndOfData()) {
    TzkPDFObjectPtr object = reader.ReadObject();
    auto& indirect = object->Cast<TzkPDFIndirectObject>();
    if (auto* stream = indirect.Value()->As<TzkPDFStreamObject>()) {
      const auto* length = stream->Dict().LookupAs<TzkPDFIntegerObject>("/Length");
      stream->SetData(reader.ReadStreamData(length ? length->Value() : 0, indirect.ObjectNumber(), 0));
    }
    reader.SkipWhitespace();
    reader.ReadToken();  // endobj
    ++count;
  }
  return count;
}

void BM_ParseObjects(benchmark::State& state) {
  const auto body = MakeBody(static_cast<int>(state.range(0)));
  TzkPDFStreamReader reader(101, body);
  for (auto _ : state) {
    benchmark::DoNotOptimize(ParseAll(reader));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(body->size()));
  state.counters["objects/s"] = benchmark::Counter(static_cast<double>(state.iterations() * state.range(0)),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ParseObjects)->Arg(20000);

// Streams whose /Length is wrong have to be searched for "endstream".
void BM_StreamDataWithWrongLength(benchmark::State& state) {
  const std::string data(static_cast<size_t>(state.range(0)), 'x');
  std::string text = "stream\r\n";
  text += data;
  text += "\r\nendstream";
  TzkPDFStreamReader reader(101, text);
  for (auto _ : state) {
    reader.Seek(0);
    benchmark::DoNotOptimize(reader.ReadStreamData(static_cast<int64_t>(data.size()) / 2, 1, 0));
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_StreamDataWithWrongLength)->Arg(1 << 20);

// Text forms of a parsed body, as the writer produces them.
void BM_SerialiseObjects(benchmark::State& state) {
  const auto body = MakeBody(static_cast<int>(state.range(0)));
  TzkPDFStreamReader reader(101, body);
  std::vector<TzkPDFObjectPtr> objects;
  while (!reader.EndOfData()) {
    objects.push_back(reader.ReadObject());
    if (reader.PeekToken() == "stream") {
      auto& stream = objects.back()->Cast<TzkPDFIndirectObject>().Value()->Cast<TzkPDFStreamObject>();
      stream.SetData(reader.ReadStreamData(stream.Dict().LookupAs<TzkPDFIntegerObject>("/Length")->Value(), 1, 0));
    }
    reader.SkipWhitespace();
    reader.ReadToken();
  }
  int64_t bytes = 0;
  for (auto _ : state) {
    std::string out;
    out.reserve(body->size() + body->size() / 4);
    for (const auto& o : objects) {
      o->AppendText(out);
      out += "\r\n";
    }
    bytes += static_cast<int64_t>(out.size());
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_SerialiseObjects)->Arg(20000);

}  // namespace
