// Table-layer benchmarks over generated tables of 1,000,000 rows of 81 bytes:
// index creation, seeks, appends with an open index, pack, copy and the
// fixed-width import, each beside the floor of a plain sequential read and
// write of the same bytes (with the same final sync) in the same run.
//
//   build/db_bench [--benchmark_filter=...]      FPO_BENCH_ROWS=n to change the size
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "rt/db/workspace.h"

namespace fs = std::filesystem;
using rt::Value;

namespace {

std::uint32_t rows() {
  static const std::uint32_t n = [] {
    const char* v = std::getenv("FPO_BENCH_ROWS");
    return v ? static_cast<std::uint32_t>(std::strtoul(v, nullptr, 10)) : 1000000u;
  }();
  return n;
}

struct Scratch {
  fs::path path = fs::temp_directory_path() / ("fpo-db-bench-" + std::to_string(::getpid()));
  Scratch() { fs::create_directories(path); }
  ~Scratch() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
};

const fs::path& dir() {
  static const Scratch s;
  return s.path;
}

std::string at(const char* name) { return (dir() / name).string(); }

const std::vector<rt::db::FieldSpec>& layout() {
  static const std::vector<rt::db::FieldSpec> f = {{"CODE", 'C', 10, 0},
                                                   {"NAME", 'C', 30, 0},
                                                   {"CITY", 'C', 20, 0},
                                                   {"NUM", 'N', 12, 2},
                                                   {"DAY", 'D', 8, 0}};
  return f;
}

// The code of row i: a permutation of the row numbers, so keys arrive unsorted.
std::uint32_t codeOf(std::uint32_t i, std::uint32_t n) {
  return static_cast<std::uint32_t>((i * 2654435761ull) % n);
}

void makeRow(std::uint32_t i, std::uint32_t n, char* r) {
  std::memset(r, ' ', 81);
  char tmp[64];
  std::snprintf(tmp, sizeof tmp, "%010u", codeOf(i, n));
  std::memcpy(r + 1, tmp, 10);
  std::snprintf(tmp, sizeof tmp, "NAME OF ROW %u", i);
  std::memcpy(r + 11, tmp, std::strlen(tmp));
  std::snprintf(tmp, sizeof tmp, "CITY %u", i % 5000);
  std::memcpy(r + 41, tmp, std::strlen(tmp));
  std::snprintf(tmp, sizeof tmp, "%12.2f", (i % 100000) / 100.0);
  std::memcpy(r + 61, tmp, 12);
  std::snprintf(tmp, sizeof tmp, "2022%02u%02u", 1 + i % 12, 1 + i % 28);
  std::memcpy(r + 73, tmp, 8);
  if (i % 10 == 3) r[0] = '*';  // a tenth of the rows are deleted
}

// The generated table (written once per run) and the text file of the same rows.
const std::string& table() {
  static const std::string path = [] {
    const std::string p = at("GEN.DBF");
    std::string out = rt::db::Table::makeHeader(layout(), rows());
    std::FILE* f = std::fopen(p.c_str(), "wb");
    std::fwrite(out.data(), 1, out.size(), f);
    char r[81];
    for (std::uint32_t i = 0; i < rows(); ++i) {
      makeRow(i, rows(), r);
      std::fwrite(r, 1, sizeof r, f);
    }
    std::fputc(0x1A, f);
    std::fclose(f);
    return p;
  }();
  return path;
}

const std::string& text() {
  static const std::string path = [] {
    const std::string p = at("GEN.TXT");
    std::FILE* f = std::fopen(p.c_str(), "wb");
    char r[81];
    for (std::uint32_t i = 0; i < rows(); ++i) {
      makeRow(i, rows(), r);
      std::fwrite(r + 1, 1, 80, f);
      std::fputs("\r\n", f);
    }
    std::fclose(f);
    return p;
  }();
  return path;
}

struct Env {
  rt::err::ErrorSystem es;
  rt::db::Workspace ws{es};
  Env() {
    es.install([](const rt::err::Error& e) {
      std::fprintf(stderr, "error %d/%d %s %s\n", e.genCode, e.subCode, e.description.c_str(),
                   e.filename.c_str());
      return rt::err::Answer::byDefault();
    });
  }
};

std::uint64_t fileSize(const std::string& p) { return static_cast<std::uint64_t>(fs::file_size(p)); }

// The floor: read `in` sequentially and write `outBytes` bytes to a new file,
// then sync it, as the operations do.
void copyFloor(const std::string& in, std::uint64_t outBytes, bool sync) {
  const std::string out = at("FLOOR.BIN");
  int fi = ::open(in.c_str(), O_RDONLY);
  int fo = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<char> buf(1 << 20);
  std::uint64_t left = outBytes;
  for (;;) {
    ssize_t n = ::read(fi, buf.data(), buf.size());
    if (n <= 0) break;
    benchmark::DoNotOptimize(buf.data());
    if (left) {
      const auto w = static_cast<std::size_t>(std::min<std::uint64_t>(left, static_cast<std::uint64_t>(n)));
      if (::write(fo, buf.data(), w) < 0) break;
      left -= w;
    }
  }
  while (left) {
    const auto w = static_cast<std::size_t>(std::min<std::uint64_t>(left, buf.size()));
    if (::write(fo, buf.data(), w) < 0) break;
    left -= w;
  }
  if (sync) ::fsync(fo);
  ::close(fi);
  ::close(fo);
}

void setBytes(benchmark::State& s, std::uint64_t bytes) {
  s.SetBytesProcessed(static_cast<std::int64_t>(bytes * s.iterations()));
}

// --- floors ---

void BM_Floor(benchmark::State& s, std::string (*input)(), std::uint64_t (*output)(), bool sync) {
  const std::string in = input();
  const std::uint64_t out = output();
  for (auto _ : s) copyFloor(in, out, sync);
  setBytes(s, fileSize(in) + out);
}

std::string tableIn() { return table(); }
std::string textIn() { return text(); }
std::uint64_t tableBytes() { return fileSize(table()); }
std::uint64_t indexBytes() {
  // The size of the CODE index the benchmark writes.
  static std::uint64_t n = 0;
  if (!n) {
    Env e;
    e.ws.use(table(), "BENCH");
    e.ws.current().indexOn("CODE", at("FLOORIX"));
    e.ws.closeAll();
    n = fileSize(at("FLOORIX.NTX"));
  }
  return n;
}
std::uint64_t packedBytes() { return fileSize(table()) * 9 / 10; }

// --- operations ---

void BM_IndexCreate(benchmark::State& s, const char* key) {
  Env e;
  e.ws.use(table(), "BENCH");
  for (auto _ : s) e.ws.current().indexOn(key, at("IX"));
  setBytes(s, fileSize(table()) + fileSize(at("IX.NTX")));
}

void BM_Seek(benchmark::State& s) {
  Env e;
  e.ws.use(table(), "BENCH");
  rt::db::Area& a = e.ws.current();
  a.indexOn("CODE", at("IXS"));
  const std::uint32_t n = rows();
  std::vector<Value> keys;
  std::mt19937 rng(7);
  keys.reserve(1000000);
  for (int i = 0; i < 1000000; ++i) {
    char k[16];
    std::snprintf(k, sizeof k, "%010u", static_cast<std::uint32_t>(rng() % n));
    keys.emplace_back(std::string(k));
  }
  std::size_t hits = 0;
  for (auto _ : s) {
    for (const Value& k : keys) {
      if (a.seek(k)) ++hits;
      benchmark::DoNotOptimize(a.table()->raw(1).data());
    }
  }
  s.SetItemsProcessed(static_cast<std::int64_t>(keys.size() * s.iterations()));
  s.counters["found"] = static_cast<double>(hits) / static_cast<double>(s.iterations());
}

void BM_AppendWithIndex(benchmark::State& s) {
  for (auto _ : s) {
    s.PauseTiming();
    Env e;
    e.ws.create(at("APP"), layout());
    e.ws.use(at("APP"), "APP");
    rt::db::Area& a = e.ws.current();
    a.indexOn("CODE", at("IXA"));
    char r[81];
    std::vector<std::string> codes(rows()), names(rows());
    for (std::uint32_t i = 0; i < rows(); ++i) {
      makeRow(i, rows(), r);
      codes[i].assign(r + 1, 10);
      names[i].assign(r + 11, 30);
    }
    s.ResumeTiming();
    for (std::uint32_t i = 0; i < rows(); ++i) {
      a.appendBlank();
      a.put(0, Value(codes[i]));
      a.put(1, Value(names[i]));
      a.put(3, Value::number(i % 100000 / 100.0));
    }
    e.ws.closeAll();
  }
  setBytes(s, fileSize(at("APP.DBF")) + fileSize(at("IXA.NTX")));
}

void BM_Pack(benchmark::State& s) {
  for (auto _ : s) {
    s.PauseTiming();
    fs::copy_file(table(), at("PACK.DBF"), fs::copy_options::overwrite_existing);
    Env e;
    e.ws.use(at("PACK"), "PACK");
    s.ResumeTiming();
    e.ws.current().pack();
    e.ws.closeAll();
  }
  setBytes(s, fileSize(table()) + fileSize(at("PACK.DBF")));
}

void BM_Copy(benchmark::State& s) {
  Env e;
  e.ws.use(table(), "BENCH");
  for (auto _ : s) e.ws.current().copyTo(at("COPY"));
  setBytes(s, fileSize(table()) + fileSize(at("COPY.DBF")));
}

void BM_SdfImport(benchmark::State& s) {
  for (auto _ : s) {
    s.PauseTiming();
    Env e;
    e.ws.create(at("SDF"), layout());
    e.ws.use(at("SDF"), "SDF");
    s.ResumeTiming();
    e.ws.current().appendSdf(text());
    e.ws.closeAll();
  }
  setBytes(s, fileSize(text()) + fileSize(at("SDF.DBF")));
}

std::uint64_t appendedBytes() { return fileSize(table()) + indexBytes(); }

}  // namespace

#define MS Unit(benchmark::kMillisecond)->Iterations(3)

BENCHMARK_CAPTURE(BM_Floor, index, tableIn, indexBytes, true)->MS;
BENCHMARK_CAPTURE(BM_IndexCreate, field, "CODE")->MS;
BENCHMARK_CAPTURE(BM_IndexCreate, expression, "Str(NUM, 12, 2) + BENCH->CODE")->MS;
BENCHMARK(BM_Seek)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_Floor, append, tableIn, appendedBytes, true)->MS;
BENCHMARK(BM_AppendWithIndex)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_Floor, pack, tableIn, packedBytes, true)->MS;
BENCHMARK(BM_Pack)->MS;
BENCHMARK_CAPTURE(BM_Floor, copy, tableIn, tableBytes, true)->MS;
BENCHMARK(BM_Copy)->MS;
BENCHMARK_CAPTURE(BM_Floor, sdf, textIn, tableBytes, true)->MS;
BENCHMARK(BM_SdfImport)->MS;

BENCHMARK_MAIN();
