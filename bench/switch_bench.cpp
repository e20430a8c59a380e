// The switch without its request, as the program runs it: give the file's
// data a second name, read it and move that name over the backup, rewrite
// the bytes in the file's own encoding, write the pieces to a temporary file
// and rename it over the original.
// Compared with a plain copy of the same file.
// Peak heap is tracked to report memory as a multiple of the file size.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "app/privoxy_config.h"
#include "support/textcodec.h"

namespace {

std::atomic<size_t> heapNow{0}, heapPeak{0};

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  in.seekg(0, std::ios::end);
  std::string bytes(static_cast<size_t>(in.tellg()), '\0');
  in.seekg(0);
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

void writeFile(const std::string& path, const std::vector<std::string_view>& pieces) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (std::string_view piece : pieces) out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
}

// Privoxy's stock configuration with CR LF line ends, repeated to the size.
std::string configOfSize(size_t size) {
  std::string stock = readFile("/etc/privoxy/config"), crlf;
  for (char c : stock) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  std::string out;
  while (out.size() < size) out += crlf;
  out.resize(size);
  return out;
}

std::string prepare(const benchmark::State& state) {
  const std::string path = "/tmp/veilmark-bench-" + std::to_string(state.range(0));
  writeFile(path, {configOfSize(static_cast<size_t>(state.range(0)))});
  return path;
}

bool asciiOnly(std::u16string_view text, std::string& bytes) {
  for (char16_t c : text) {
    if (c >= 0x80) return false;
    bytes += static_cast<char>(c);
  }
  return true;
}

// As the library replaces every file it writes: a temporary file renamed over it.
void replaceFile(const std::string& path, const std::vector<std::string_view>& pieces) {
  writeFile(path + ".tmp", pieces);
  std::rename((path + ".tmp").c_str(), path.c_str());
}

// As the library keeps a backup of a plain file: its old data becomes the backup.
std::string readKeepingBackup(const std::string& path) {
  const std::string link = path + ".BAK.tmp";
  ::link(path.c_str(), link.c_str());
  std::string bytes = readFile(path);
  std::rename(link.c_str(), (path + ".BAK").c_str());
  return bytes;
}

void switchOnce(const std::string& path, bool enable) {
  const std::string bytes = readKeepingBackup(path);
  const std::string comment = privoxy_config::blockCommentFor(bytes, asciiOnly);
  replaceFile(path, privoxy_config::rewriteForwarding(bytes, enable, comment));
}

void reportPeak(benchmark::State& state, size_t before) {
  state.counters["peak_x"] = static_cast<double>(heapPeak - before) / static_cast<double>(state.range(0));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BM_Switch(benchmark::State& state) {
  const std::string path = prepare(state);
  bool enable = false;
  heapPeak = heapNow.load();
  const size_t before = heapNow;
  for (auto _ : state) switchOnce(path, enable = !enable);
  reportPeak(state, before);
}

void BM_Copy(benchmark::State& state) {
  const std::string path = prepare(state);
  heapPeak = heapNow.load();
  const size_t before = heapNow;
  for (auto _ : state) writeFile(path + ".copy", {readFile(path)});
  reportPeak(state, before);
}

// Each size's copy right before its switch: run one kind after the other,
// the copies met the write-back of all the switches' files, and one run's
// ratios swung by half.
constexpr int64_t kStock = 110 * 1024;
BENCHMARK(BM_Copy)->Arg(kStock)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Switch)->Arg(kStock)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Copy)->Arg(1 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Switch)->Arg(1 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Copy)->Arg(10 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Switch)->Arg(10 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Copy)->Arg(100 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Switch)->Arg(100 << 20)->Unit(benchmark::kMillisecond);

}  // namespace

// Heap accounting: every allocation carries its size in front of it.
void* operator new(size_t size) {
  auto* block = static_cast<size_t*>(std::malloc(size + sizeof(std::max_align_t)));
  if (!block) throw std::bad_alloc();
  *block = size;
  const size_t now = heapNow += size;
  for (size_t peak = heapPeak; now > peak && !heapPeak.compare_exchange_weak(peak, now);) {
  }
  return reinterpret_cast<char*>(block) + sizeof(std::max_align_t);
}

void operator delete(void* p) noexcept {
  if (!p) return;
  auto* block = reinterpret_cast<size_t*>(static_cast<char*>(p) - sizeof(std::max_align_t));
  heapNow -= *block;
  std::free(block);
}

void operator delete(void* p, size_t) noexcept { operator delete(p); }

BENCHMARK_MAIN();
