// rt/db/memo: answers remembered by the bytes of what was asked.
//
// A KeyMemo maps byte strings to answers of a fixed number of bytes, for
// searches that are asked again: open addressing over a hash of the bytes,
// each string kept with its answer right after it. It holds at most a fixed
// number of strings and bytes; past them it forgets everything and starts
// again, so that its memory stays bounded whatever is asked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "rt/os/file.h"

namespace rt::db {

class KeyMemo {
 public:
  explicit KeyMemo(std::size_t answerSize) : answer_(answerSize) {}

  // The answer remembered for key, or nullptr; valid until the next put()
  // or clear().
  const char* find(std::string_view key) const { return const_cast<KeyMemo*>(this)->find(key); }
  char* find(std::string_view key) {
    if (used_ == 0) return nullptr;
    const std::uint32_t tag = tagOf(key);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = tag & mask;; i = (i + 1) & mask) {
      const Slot& s = slots_[i];
      if (s.tag == 0) return nullptr;
      char* k = bytes_.data() + s.at;
      if (s.tag == tag && s.len == key.size() && same(k, key.data(), key.size())) return k + s.len;
    }
  }
  // Whether a key of len bytes is remembered without forgetting the others.
  bool room(std::size_t len) const { return used_ < kMaxKeys && bytes_.size() + len + answer_ <= kMaxBytes; }
  // Remembers a key not yet remembered (forgetting the others first when
  // there is no room): the answer's bytes, for the caller to fill.
  char* put(std::string_view key);
  void clear();
  std::size_t size() const { return used_; }

  static constexpr std::size_t kMaxKeys = std::size_t{1} << 18;
  static constexpr std::size_t kMaxBytes = std::size_t{32} << 20;

 private:
  struct Slot {
    std::uint32_t tag = 0;  // 0: free
    std::uint32_t at = 0;   // the key in bytes_, its answer after it
    std::uint32_t len = 0;
  };
  static std::uint64_t word(const char* p) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    return w;
  }
  static std::uint64_t half(const char* p) {
    std::uint32_t w;
    std::memcpy(&w, p, 4);
    return w;
  }
  static std::uint64_t mix(std::uint64_t h) {
    h ^= h >> 32;
    h *= 0xD6E8FEB86659FD93ull;
    return h ^ (h >> 32);
  }
  // Whole words; the last one overlaps the one before, as do the halves
  // of a key shorter than a word.
  static std::uint32_t tagOf(std::string_view key) {
    const char* p = key.data();
    const std::size_t n = key.size();
    std::uint64_t a, b;
    if (n >= 8) {
      a = word(p);
      b = word(p + n - 8);
      for (std::size_t k = 8; k + 8 < n; k += 8) a = mix(a ^ word(p + k)) + 0x9E3779B97F4A7C15ull;
    } else if (n >= 4) {
      a = half(p);
      b = half(p + n - 4);
    } else {
      a = n ? static_cast<unsigned char>(p[0]) | static_cast<unsigned char>(p[n / 2]) << 8 |
                  static_cast<std::uint64_t>(static_cast<unsigned char>(p[n - 1])) << 16
            : 0;
      b = 0;
    }
    const std::uint64_t h = mix(a * 0x9E3779B97F4A7C15ull ^ (b + n) * 0xC2B2AE3D27D4EB4Full);
    const auto t = static_cast<std::uint32_t>(h);
    return t ? t : 1;
  }
  // The same n bytes; keys of up to two words are compared as words.
  static bool same(const char* a, const char* b, std::size_t n) {
    if (n >= 8 && n <= 16) return word(a) == word(b) && word(a + n - 8) == word(b + n - 8);
    return std::memcmp(a, b, n) == 0;
  }
  void place(const Slot& s);

  std::size_t answer_;
  std::vector<Slot> slots_;  // a power of two, at most half used
  os::Bytes bytes_;
  std::size_t used_ = 0;
};

}  // namespace rt::db
