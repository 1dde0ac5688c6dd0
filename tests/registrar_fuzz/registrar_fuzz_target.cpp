// Fuzz target for the registration-script tokenizer and interpreter. libFuzzer drives it in
// tools/fuzz.sh; the test run replays the committed corpus through it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "shell/registrar/registrar.h"
#include "tests/doubles/memory_registry.h"

namespace corvane {
namespace {

// A double-byte code page's lead-byte range, so the character stepping is exercised too.
bool LeadByte(unsigned char byte) {
  return byte >= 0x81 && byte <= 0x9F;
}

void Require(bool condition) {
  if (!condition) {
    std::abort();
  }
}

void ReadAllTokens(const std::string& text, LeadBytePredicate isLeadByte) {
  ScriptReader reader(text.c_str(), isLeadByte);
  std::string token;
  std::size_t last = 0;
  while (!Failed(reader.NextToken(token))) {
    Require(token.size() < kTokenBufferSize);
    Require(reader.Position() > last && reader.Position() <= text.size());
    last = reader.Position();
  }
}

void Seed(MemoryRegistry& registry) {
  registry.AddString("HKCR\\CLSID\\{Other}\\InprocServer32", "", "other.dll");
  registry.AddString("HKCR\\Existing", "Named", "x");
  registry.AddKey("HKCU\\Software\\Existing\\Deep");
}

int FuzzOneInput(const std::uint8_t* data, std::size_t size) {
  // The first byte picks the code page; the rest is the script up to its first NUL.
  if (size == 0) {
    return 0;
  }
  const LeadBytePredicate isLeadByte = (data[0] & 1) != 0 ? LeadByte : nullptr;
  const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  ReadAllTokens(text, isLeadByte);

  MemoryRegistry registry;
  Seed(registry);
  Registrar registrar(registry, isLeadByte);
  registrar.AddReplacementEntry("Module", "C:\\Program Files\\It''s\\Corvane.dll");
  registrar.AddReplacementEntry("Name", "Value");
  const HResult registered = registrar.ApplyScript(text.c_str(), true);
  Require(registry.OpenHandleCount() == 0);
  const HResult unregistered = registrar.ApplyScript(text.c_str(), false);
  Require(registry.OpenHandleCount() == 0);
  // What could be registered can be unregistered: both walks read the same items.
  Require(Failed(registered) || !Failed(unregistered));
  registrar.ApplyScript(text.c_str(), true);
  Require(registry.OpenHandleCount() == 0);
  return 0;
}

} // namespace
} // namespace corvane

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return corvane::FuzzOneInput(data, size);
}
