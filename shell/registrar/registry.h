// The few registry operations the registration-script interpreter needs. Win32Registry forwards
// them to the system; MemoryRegistry keeps a tree in memory for tests and fuzzing.
#pragma once

#include <cstdint>
#include <string>

namespace corvane {

// Opaque key handle; 0 is no key. Root keys come from Registry::Root and are never closed.
using RegKey = std::uintptr_t;

enum class RootKey {
  ClassesRoot,
  CurrentUser,
  LocalMachine,
  Users,
  PerformanceData,
  DynData,
  CurrentConfig,
};

// Access masks, with the system's values.
inline constexpr std::uint32_t kKeyAllAccess = 0xF003F;
inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyReadWrite = 0x2001F;
inline constexpr std::uint32_t kKeyWrite = 0x20006;
inline constexpr std::uint32_t kKeyQueryValue = 0x0001;
inline constexpr std::uint32_t kKeySetValue = 0x0002;
inline constexpr std::uint32_t kKeyCreateSubKey = 0x0004;
inline constexpr std::uint32_t kKeyEnumerateSubKeys = 0x0008;

// Value types, with the system's values.
inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

// System error codes the registry operations answer with.
inline constexpr std::uint32_t kErrorSuccess = 0;
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorInvalidHandle = 6;
inline constexpr std::uint32_t kErrorInvalidParameter = 87;
inline constexpr std::uint32_t kErrorNoMoreItems = 259;
inline constexpr std::uint32_t kErrorKeyDeleted = 1018;

// Every operation returns a system error code, 0 for success.
class Registry {
public:
  virtual ~Registry() = default;

  virtual RegKey Root(RootKey root) = 0;
  // An empty name opens a second handle to the parent itself.
  virtual std::uint32_t OpenKey(RegKey parent, const char* name, std::uint32_t access,
                                RegKey* key) = 0;
  // Opens the key when it exists already (read and write access).
  virtual std::uint32_t CreateKey(RegKey parent, const char* name, RegKey* key) = 0;
  virtual std::uint32_t CloseKey(RegKey key) = 0;
  // Fails when the subkey still has subkeys of its own.
  virtual std::uint32_t DeleteKey(RegKey parent, const char* name) = 0;
  // A null name is the unnamed default value.
  virtual std::uint32_t DeleteValue(RegKey key, const char* name) = 0;
  virtual std::uint32_t SetValue(RegKey key, const char* name, std::uint32_t type, const void* data,
                                 std::uint32_t size) = 0;
  virtual std::uint32_t QueryCounts(RegKey key, std::uint32_t* subkeys, std::uint32_t* values) = 0;
  virtual std::uint32_t EnumKeyName(RegKey key, std::uint32_t index, std::string* name) = 0;
};

// Closes its key through the registry it came from.
class ScopedKey {
public:
  explicit ScopedKey(Registry& registry) noexcept : registry_(registry) {}
  ~ScopedKey() { Reset(); }
  ScopedKey(const ScopedKey&) = delete;
  ScopedKey& operator=(const ScopedKey&) = delete;

  RegKey Get() const noexcept { return key_; }
  RegKey* Receive() noexcept {
    Reset();
    return &key_;
  }
  // Closes now and reports the result; no key counts as a successful close.
  std::uint32_t Close() noexcept {
    RegKey key = key_;
    key_ = 0;
    return key == 0 ? kErrorSuccess : registry_.CloseKey(key);
  }
  void Reset() noexcept { Close(); }

private:
  Registry& registry_;
  RegKey key_ = 0;
};

} // namespace corvane
