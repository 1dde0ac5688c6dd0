// Throughput of our digest engines beside libcrypto's, fed the way the hashing run feeds them:
// 64 KiB updates over a buffer of a few MiB.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "hash/digest/md5.h"
#include "hash/digest/sha1.h"
#include "hash/digest/sha1_compression.h"

namespace {

constexpr size_t kBufferSize = 4 << 20;
constexpr uint32_t kUpdateSize = 64 << 10;

const std::vector<uint8_t>& Input() {
  static const std::vector<uint8_t> input = [] {
    std::vector<uint8_t> bytes(kBufferSize);
    std::mt19937 random(2004);
    for (auto& b : bytes) {
      b = static_cast<uint8_t>(random());
    }
    return bytes;
  }();
  return input;
}

template <class Context, void (*Init)(Context*), void (*Update)(Context*, const uint8_t*, uint32_t),
          class FinalFn>
void RunOurs(benchmark::State& state, FinalFn final) {
  const std::vector<uint8_t>& input = Input();
  uint8_t digest[20];
  for (auto _ : state) {
    Context context;
    Init(&context);
    for (size_t offset = 0; offset < input.size(); offset += kUpdateSize) {
      Update(&context, input.data() + offset, kUpdateSize);
    }
    final(&context, digest);
    benchmark::DoNotOptimize(digest);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
}

void Md5Ours(benchmark::State& state) {
  RunOurs<Md5Context, Md5Init, Md5Update>(
      state, [](Md5Context* c, uint8_t* digest) { Md5Final(digest, c); });
}

void Sha1Ours(benchmark::State& state) {
  RunOurs<Sha1Context, Sha1Init, Sha1Update>(
      state, [](Sha1Context* c, uint8_t* digest) { Sha1Final(c, digest); });
}

// The portable compression, as on a processor without SHA instructions; compare it with libcrypto
// run as OPENSSL_ia32cap=":~0x20000000" corvane_bench, which masks libcrypto's SHA path too.
void Sha1OursPortable(benchmark::State& state) {
  const Sha1Compression saved = Sha1ActiveCompression();
  Sha1ActiveCompression() = Sha1CompressPortable;
  Sha1Ours(state);
  Sha1ActiveCompression() = saved;
}

void RunLibcrypto(benchmark::State& state, const EVP_MD* md) {
  const std::vector<uint8_t>& input = Input();
  EVP_MD_CTX* context = EVP_MD_CTX_new();
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  for (auto _ : state) {
    EVP_DigestInit_ex(context, md, nullptr);
    for (size_t offset = 0; offset < input.size(); offset += kUpdateSize) {
      EVP_DigestUpdate(context, input.data() + offset, kUpdateSize);
    }
    EVP_DigestFinal_ex(context, digest, &size);
    benchmark::DoNotOptimize(digest);
  }
  EVP_MD_CTX_free(context);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * input.size()));
}

void Md5Libcrypto(benchmark::State& state) {
  RunLibcrypto(state, EVP_md5());
}
void Sha1Libcrypto(benchmark::State& state) {
  RunLibcrypto(state, EVP_sha1());
}

// Prints as usual and keeps each benchmark's bytes per second; with repetitions, the median.
class RateCollector : public benchmark::ConsoleReporter {
public:
  // Plain columns: the ratios below are often read from a log.
  RateCollector() : ConsoleReporter(OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      const auto rate = run.counters.find("bytes_per_second");
      if (run.error_occurred || rate == run.counters.end()) {
        continue;
      }
      const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
      if (median || run.run_type == Run::RT_Iteration) {
        rates_[run.run_name.function_name] = rate->second.value;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // Our throughput over libcrypto's; 0 when either was not run (filtered out).
  double Ratio(const std::string& algorithm) const {
    const auto ours = rates_.find(algorithm + "/ours");
    const auto theirs = rates_.find(algorithm + "/libcrypto");
    if (ours == rates_.end() || theirs == rates_.end() || theirs->second == 0) {
      return 0;
    }
    return ours->second / theirs->second;
  }

private:
  std::map<std::string, double> rates_;
};

} // namespace

int main(int argc, char** argv) {
  benchmark::RegisterBenchmark("MD5/ours", Md5Ours);
  benchmark::RegisterBenchmark("MD5/libcrypto", Md5Libcrypto);
  benchmark::RegisterBenchmark("SHA-1/ours", Sha1Ours);
  benchmark::RegisterBenchmark("SHA-1/libcrypto", Sha1Libcrypto);
  benchmark::RegisterBenchmark("SHA-1 portable/ours", Sha1OursPortable);
  benchmark::RegisterBenchmark("SHA-1 portable/libcrypto", Sha1Libcrypto);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  RateCollector reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  std::printf("SHA-1 compression: %s\n",
              Sha1ActiveCompression() == Sha1CompressPortable ? "portable" : "SHA instructions");
  for (const char* algorithm : {"MD5", "SHA-1", "SHA-1 portable"}) {
    const double ratio = reporter.Ratio(algorithm);
    if (ratio > 0) {
      std::printf("%s ours/libcrypto = %.2f\n", algorithm, ratio);
    }
  }
  return 0;
}
