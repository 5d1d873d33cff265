#include "rt/db/memo.h"

#include <algorithm>
#include <cstring>

namespace rt::db {

namespace {
std::uint64_t word(const char* p) {
  std::uint64_t w;
  std::memcpy(&w, p, 8);
  return w;
}
std::uint64_t half(const char* p) {
  std::uint32_t w;
  std::memcpy(&w, p, 4);
  return w;
}
std::uint64_t mix(std::uint64_t h) {
  h ^= h >> 32;
  h *= 0xD6E8FEB86659FD93ull;
  return h ^ (h >> 32);
}
}  // namespace

std::uint32_t KeyMemo::tagOf(std::string_view key) {
  // Whole words; the last one overlaps the one before, as do the halves
  // of a key shorter than a word.
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

const char* KeyMemo::find(std::string_view key) const {
  if (used_ == 0) return nullptr;
  const std::uint32_t tag = tagOf(key);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t i = tag & mask;; i = (i + 1) & mask) {
    const Slot& s = slots_[i];
    if (s.tag == 0) return nullptr;
    const char* k = bytes_.data() + s.at;
    if (s.tag == tag && s.len == key.size() && std::memcmp(k, key.data(), key.size()) == 0) return k + s.len;
  }
}

void KeyMemo::place(const Slot& s) {
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = s.tag & mask;
  while (slots_[i].tag != 0) i = (i + 1) & mask;
  slots_[i] = s;
}

char* KeyMemo::put(std::string_view key) {
  if (!room(key.size())) clear();
  if (2 * (used_ + 1) > slots_.size()) {
    std::vector<Slot> old(std::max<std::size_t>(1024, 2 * slots_.size()));
    old.swap(slots_);
    for (const Slot& s : old)
      if (s.tag != 0) place(s);
  }
  place({tagOf(key), static_cast<std::uint32_t>(bytes_.size()), static_cast<std::uint32_t>(key.size())});
  bytes_.append(key.data(), key.size());
  ++used_;
  return bytes_.grow(answer_);
}

void KeyMemo::clear() {
  slots_.clear();
  bytes_.clear();
  used_ = 0;
}

}  // namespace rt::db
