// Velmora's digest against OpenSSL's on the same inputs in the same run.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <benchmark/benchmark.h>
#include <openssl/md5.h>

#include <cstdint>
#include <vector>

#include "automation/md5.h"

namespace {

constexpr std::size_t kLarge = 1u << 20;

std::vector<std::uint8_t> LargeInput() {
  std::vector<std::uint8_t> data(kLarge);
  std::uint32_t seed = 12345;
  for (auto& byte : data) {
    seed = seed * 1664525u + 1013904223u;
    byte = static_cast<std::uint8_t>(seed >> 24);
  }
  return data;
}

const rtl::AnsiString kPassword = "Velmora#2024";  // 12 bytes

void BM_Velmora_1MiB(benchmark::State& state) {
  const auto data = LargeInput();
  for (auto _ : state) {
    automation::DigestContext context;
    automation::DigestInit(context);
    automation::DigestUpdate(context, data.data(), static_cast<std::uint32_t>(data.size()));
    automation::Digest16 digest;
    automation::DigestFinal(context, digest);
    benchmark::DoNotOptimize(digest);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kLarge));
}
BENCHMARK(BM_Velmora_1MiB);

void BM_OpenSSL_1MiB(benchmark::State& state) {
  const auto data = LargeInput();
  for (auto _ : state) {
    unsigned char digest[MD5_DIGEST_LENGTH];
    MD5(data.data(), data.size(), digest);
    benchmark::DoNotOptimize(digest);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(kLarge));
}
BENCHMARK(BM_OpenSSL_1MiB);

void BM_Velmora_Password12(benchmark::State& state) {
  const rtl::AnsiString text = kPassword;
  for (auto _ : state) {
    benchmark::DoNotOptimize(text.data());
    auto digest = automation::DigestOfText(text);
    benchmark::DoNotOptimize(digest);
  }
}
BENCHMARK(BM_Velmora_Password12);

void BM_OpenSSL_Password12(benchmark::State& state) {
  const rtl::AnsiString text = kPassword;
  for (auto _ : state) {
    benchmark::DoNotOptimize(text.data());
    unsigned char digest[MD5_DIGEST_LENGTH];
    MD5(reinterpret_cast<const unsigned char*>(text.data()), text.size(), digest);
    benchmark::DoNotOptimize(digest);
  }
}
BENCHMARK(BM_OpenSSL_Password12);

}  // namespace

BENCHMARK_MAIN();
