#include "base/Fingerprint.h"

#include <cstdint>
#include <cstdio>
#include <new>
#include <random>

// Header-only: the same hash in every build, the Windows ones included,
// with nothing to link.
#define XXH_INLINE_ALL
#include <xxhash.h>

namespace viruzedi {
namespace {

std::string CanonicalHex(const XXH128_hash_t& hash) {
  XXH128_canonical_t canonical;
  XXH128_canonicalFromHash(&canonical, hash);
  std::string text;
  text.reserve(2 * sizeof canonical.digest);
  static constexpr char kDigits[] = "0123456789abcdef";
  for (unsigned char byte : canonical.digest) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0xF];
  }
  return text;
}

}  // namespace

struct Fingerprint::State {
  XXH3_state_t xxh3;
};

Fingerprint::Fingerprint() : state_(std::make_unique<State>()) {
  XXH3_128bits_reset(&state_->xxh3);
}

Fingerprint::~Fingerprint() = default;

void Fingerprint::Add(std::string_view bytes) {
  if (XXH3_128bits_update(&state_->xxh3, bytes.data(), bytes.size()) != XXH_OK) {
    throw std::bad_alloc();  // the only way it fails is a state it never made
  }
}

std::string Fingerprint::Hex() const { return CanonicalHex(XXH3_128bits_digest(&state_->xxh3)); }

std::string FingerprintOf(std::string_view bytes) {
  return CanonicalHex(XXH3_128bits(bytes.data(), bytes.size()));
}

std::string RandomKey() {
  std::random_device source;
  XXH128_hash_t key;
  key.low64 = (uint64_t{source()} << 32) | source();
  key.high64 = (uint64_t{source()} << 32) | source();
  return CanonicalHex(key);
}

}  // namespace viruzedi
