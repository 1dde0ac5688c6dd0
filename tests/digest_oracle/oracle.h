#pragma once
// libcrypto as the reference for both engines.

#include <openssl/evp.h>

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "tests/common/engine_traits.h"

namespace corvane {

inline const EVP_MD* ReferenceMd(const Md5Engine*) {
  return EVP_md5();
}
inline const EVP_MD* ReferenceMd(const Sha1Engine*) {
  return EVP_sha1();
}

// An incremental libcrypto digest with the same Update/Final shape as our engines.
class ReferenceDigest {
public:
  explicit ReferenceDigest(const EVP_MD* md) : ctx_(EVP_MD_CTX_new()) {
    if (ctx_ == nullptr || EVP_DigestInit_ex(ctx_, md, nullptr) != 1) {
      EVP_MD_CTX_free(ctx_);
      throw std::runtime_error("EVP_DigestInit_ex failed");
    }
  }
  ~ReferenceDigest() { EVP_MD_CTX_free(ctx_); }
  ReferenceDigest(const ReferenceDigest&) = delete;
  ReferenceDigest& operator=(const ReferenceDigest&) = delete;

  void Update(const void* data, size_t size) {
    if (EVP_DigestUpdate(ctx_, data, size) != 1) {
      throw std::runtime_error("EVP_DigestUpdate failed");
    }
  }
  std::string FinalHex() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_DigestFinal_ex(ctx_, digest, &size) != 1) {
      throw std::runtime_error("EVP_DigestFinal_ex failed");
    }
    return ToHex(digest, size);
  }

private:
  EVP_MD_CTX* ctx_;
};

template <class Engine> std::string ReferenceHex(const uint8_t* data, size_t size) {
  ReferenceDigest reference(ReferenceMd(static_cast<const Engine*>(nullptr)));
  reference.Update(data, size);
  return reference.FinalHex();
}

} // namespace corvane
