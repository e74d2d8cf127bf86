// Fingerprints of what an import stored, for the import ledger: a file's
// bytes, an infrared download's replies. XXH3-128, written as its canonical
// form in 32 lower-case hexadecimal digits, so that every engine stores and
// compares it as plain text.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace viruzedi {

// Bytes added piece by piece give the fingerprint of them all, as one.
class Fingerprint {
 public:
  Fingerprint();
  ~Fingerprint();
  Fingerprint(const Fingerprint&) = delete;
  Fingerprint& operator=(const Fingerprint&) = delete;

  void Add(std::string_view bytes);
  // Of every byte added so far; adding may go on afterwards.
  std::string Hex() const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The fingerprint of `bytes` alone.
std::string FingerprintOf(std::string_view bytes);

// 128 random bits in the same form: a key that no other read will have.
std::string RandomKey();

}  // namespace viruzedi
