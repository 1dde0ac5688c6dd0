// Throughput of our digest engines beside libcrypto's, fed the way the hashing run feeds them:
// 64 KiB updates over a buffer of a few MiB.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "hash/digest/md5.h"
#include "hash/digest/sha1.h"
#include "hash/digest/sha1_compression.h"

namespace corvane {

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

// SHA-1 through one compression, as on a processor that would choose it.
template <Sha1Compression Compression> void Sha1OursThrough(benchmark::State& state) {
  const Sha1Compression saved = Sha1ActiveCompression();
  Sha1ActiveCompression() = Compression;
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

  // Bytes per second of a benchmark; 0 when it was not run (filtered out).
  double Rate(const std::string& name) const {
    const auto rate = rates_.find(name);
    return rate == rates_.end() ? 0 : rate->second;
  }
  void SetRate(const std::string& name, double rate) { rates_[name] = rate; }

private:
  std::map<std::string, double> rates_;
};

// libcrypto reads OPENSSL_ia32cap once, when it is loaded: its SHA-1 with some instructions
// masked is measured by this program run again with the mask and this flag, followed by the
// name of the benchmark to run.
constexpr char kChildFlag[] = "--libcrypto-masked";
constexpr char kChildRate[] = "masked libcrypto, bytes per second: ";
constexpr char kWithoutSha[] = "SHA-1 without SHA instructions";
constexpr char kSsse3[] = "SHA-1 SSSE3";
// Masks of OPENSSL_ia32cap: CPUID 1 ECX is the high half of the first word (AVX: bit 28), CPUID 7
// EBX the low half of the second (AVX2: bit 5, SHA: bit 29).
constexpr char kMaskSha[] = ":~0x20000000";
constexpr char kMaskAvxAndSha[] = "~0x1000000000000000:~0x20000020";

int RunChild(const std::string& name, int argc, char** argv) {
  benchmark::RegisterBenchmark((name + "/libcrypto").c_str(), Sha1Libcrypto);
  benchmark::Initialize(&argc, argv);
  RateCollector reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  std::printf("%s%.0f\n", kChildRate, reporter.Rate(name + "/libcrypto"));
  return 0;
}

// Runs the child with the parent's flags but its filter, echoes its output and returns its rate
// (0 if it failed).
double MaskedLibcryptoRate(const char* name, const char* mask, int argc, char** argv) {
  std::vector<char*> args = {argv[0], const_cast<char*>(kChildFlag), const_cast<char*>(name)};
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--benchmark_filter", 18) != 0) {
      args.push_back(argv[i]);
    }
  }
  args.push_back(nullptr);
  int out[2];
  if (pipe(out) != 0) {
    return 0;
  }
  std::fflush(stdout);
  const pid_t child = fork();
  if (child == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    setenv("OPENSSL_ia32cap", mask, 1);
    execv("/proc/self/exe", args.data());
    _exit(127);
  }
  close(out[1]);
  std::string output;
  char chunk[4096];
  for (ssize_t n; (n = read(out[0], chunk, sizeof chunk)) > 0;) {
    output.append(chunk, static_cast<size_t>(n));
  }
  close(out[0]);
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0) {
    return 0;
  }
  std::fputs(output.c_str(), stdout);
  const size_t at = output.find(kChildRate);
  return at == std::string::npos ? 0 : std::atof(output.c_str() + at + std::strlen(kChildRate));
}

const char* CompressionName(Sha1Compression compression) {
  return compression == Sha1CompressShaNi   ? "SHA instructions"
         : compression == Sha1CompressAvx2  ? "AVX2 schedule"
         : compression == Sha1CompressSsse3 ? "SSSE3 schedule"
                                            : "portable";
}

} // namespace

int Main(int argc, char** argv) {
  if (argc > 2 && std::strcmp(argv[1], kChildFlag) == 0) {
    const std::string name = argv[2];
    argv[2] = argv[0];
    return RunChild(name, argc - 2, argv + 2);
  }
  const std::string withoutSha = kWithoutSha;
  benchmark::RegisterBenchmark("MD5/ours", Md5Ours);
  benchmark::RegisterBenchmark("MD5/libcrypto", Md5Libcrypto);
  benchmark::RegisterBenchmark("SHA-1/ours", Sha1Ours);
  benchmark::RegisterBenchmark("SHA-1/libcrypto", Sha1Libcrypto);
  benchmark::RegisterBenchmark((withoutSha + "/ours").c_str(),
                               Sha1OursThrough<Sha1CompressWithoutShaExtensions>);
  // Each path alone, as a processor with less would run it.
  if (CpuHasAvx2()) {
    benchmark::RegisterBenchmark("SHA-1 AVX2/ours", Sha1OursThrough<Sha1CompressAvx2>);
  }
  if (CpuHasSsse3()) {
    benchmark::RegisterBenchmark((std::string(kSsse3) + "/ours").c_str(),
                                 Sha1OursThrough<Sha1CompressSsse3>);
  }
  benchmark::RegisterBenchmark("SHA-1 portable/ours", Sha1OursThrough<Sha1CompressPortable>);
  const int childArgc = argc;
  std::vector<char*> childArgv(argv, argv + argc);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
    return 1;
  }
  RateCollector reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();

  // libcrypto without SHA instructions (on a processor with AVX2, its AVX2 code), and for our SSSE3
  // path libcrypto's SSSE3 code.
  if (reporter.Rate(withoutSha + "/ours") > 0 || reporter.Rate("SHA-1 AVX2/ours") > 0 ||
      reporter.Rate("SHA-1 portable/ours") > 0) {
    reporter.SetRate(withoutSha + "/libcrypto",
                     MaskedLibcryptoRate(kWithoutSha, kMaskSha, childArgc, childArgv.data()));
  }
  if (reporter.Rate(std::string(kSsse3) + "/ours") > 0) {
    reporter.SetRate(std::string(kSsse3) + "/libcrypto",
                     MaskedLibcryptoRate(kSsse3, kMaskAvxAndSha, childArgc, childArgv.data()));
  }

  std::printf("SHA-1 compression: %s; without SHA instructions: %s\n",
              CompressionName(Sha1ActiveCompression()),
              CompressionName(CpuHasAvx2()    ? Sha1CompressAvx2
                              : CpuHasSsse3() ? Sha1CompressSsse3
                                              : Sha1CompressPortable));
  // Ours over libcrypto's; the paths without SHA instructions against libcrypto without them, and
  // the SSSE3 one against libcrypto's SSSE3 code.
  const std::pair<std::string, std::string> ratios[] = {
      {"MD5", "MD5"},           {"SHA-1", "SHA-1"},
      {withoutSha, withoutSha}, {"SHA-1 AVX2", withoutSha},
      {kSsse3, kSsse3},         {"SHA-1 portable", withoutSha},
  };
  for (const auto& [ours, theirs] : ratios) {
    const double oursRate = reporter.Rate(ours + "/ours");
    const double theirRate = reporter.Rate(theirs + "/libcrypto");
    if (oursRate > 0 && theirRate > 0) {
      std::printf("%s ours/libcrypto = %.2f\n", ours.c_str(), oursRate / theirRate);
    }
  }
  return 0;
}

} // namespace corvane

int main(int argc, char** argv) {
  return corvane::Main(argc, argv);
}
