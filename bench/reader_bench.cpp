// Time and memory of reading the launcher's stored window (307,402 bytes) into live
// stand-in objects, as the form constructor does: from a read-only view of the bytes,
// with the picture payload left compressed.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "classes/reader.h"
#include "classes/streams.h"
#include "tests/classes/reader_test_stream.h"
#include "tests/classes/standins.h"

namespace {

std::atomic<int64_t> gAllocatedBytes{0};
std::atomic<int64_t> gAllocations{0};

}  // namespace

// Counting allocator: every allocation of the process (operator new included) passes
// through malloc, calloc or realloc. glibc only, like the benchmark itself.
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* p, size_t size);
void __libc_free(void* p);

void* malloc(size_t size) {
  gAllocatedBytes.fetch_add(static_cast<int64_t>(size), std::memory_order_relaxed);
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_malloc(size);
}
void* calloc(size_t count, size_t size) {
  gAllocatedBytes.fetch_add(static_cast<int64_t>(count * size), std::memory_order_relaxed);
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_calloc(count, size);
}
void* realloc(void* p, size_t size) {
  gAllocatedBytes.fetch_add(static_cast<int64_t>(size), std::memory_order_relaxed);
  gAllocations.fetch_add(1, std::memory_order_relaxed);
  return __libc_realloc(p, size);
}
void free(void* p) { __libc_free(p); }
}

namespace {

// A read-only stream over bytes it does not own, like the resource stream.
class ViewStream : public TCustomMemoryStream {
 public:
  ViewStream(const std::vector<uint8_t>& bytes) {
    SetPointer(const_cast<uint8_t*>(bytes.data()), static_cast<int64_t>(bytes.size()));
  }
  int64_t Write(const void*, int64_t) override { return 0; }
};

const std::vector<uint8_t>& LauncherStream() {
  static const std::vector<uint8_t> bytes = [] {
    std::ifstream file(LAUNCHER_FORM_STREAM_PATH, std::ios::binary);
    std::vector<uint8_t> data((std::istreambuf_iterator<char>(file)),
                              std::istreambuf_iterator<char>());
    if (data.size() == standins::kLauncherStreamSize) {
      std::fprintf(stderr, "reading the compiled definition %s\n", LAUNCHER_FORM_STREAM_PATH);
      return data;
    }
    std::fprintf(stderr, "no compiled definition found; reading an equal stream built in code\n");
    return standins::BuildLauncherStream(standins::kLauncherJpegSize);
  }();
  return bytes;
}

void BM_ReadLauncherWindow(benchmark::State& state) {
  standins::EnsureRegistered();
  standins::TPicture::hashPayload = false;  // keep the stand-in from touching the payload
  const std::vector<uint8_t>& bytes = LauncherStream();
  int64_t bytesBefore = 0, countBefore = 0, bytesAllocated = 0, allocations = 0;
  for (auto _ : state) {
    bytesBefore = gAllocatedBytes.load();
    countBefore = gAllocations.load();
    ViewStream stream(bytes);
    TOwnedPtr<standins::TForm1> form(new standins::TForm1(nullptr));
    {
      TReader reader(stream);
      reader.LoadRoot(form.get());
    }
    bytesAllocated += gAllocatedBytes.load() - bytesBefore;
    allocations += gAllocations.load() - countBefore;
    benchmark::DoNotOptimize(form->Image1->picture->payloadCount);
    standins::LoadLog().clear();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
  const double n = static_cast<double>(state.iterations());
  state.counters["alloc_bytes_per_read"] = static_cast<double>(bytesAllocated) / n;
  state.counters["allocs_per_read"] = static_cast<double>(allocations) / n;
  // Allocated bytes in units of the picture block (305,887 bytes): the block is copied
  // once, into the memory stream handed to the picture, so this stays just above 1.
  state.counters["alloc_in_blocks"] = static_cast<double>(bytesAllocated) / n / 305887.0;
}
BENCHMARK(BM_ReadLauncherWindow)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
