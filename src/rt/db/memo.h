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
#include <string_view>
#include <vector>

#include "rt/os/file.h"

namespace rt::db {

class KeyMemo {
 public:
  explicit KeyMemo(std::size_t answerSize) : answer_(answerSize) {}

  // The answer remembered for key, or nullptr; valid until the next put()
  // or clear().
  const char* find(std::string_view key) const;
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
  static std::uint32_t tagOf(std::string_view key);
  void place(const Slot& s);

  std::size_t answer_;
  std::vector<Slot> slots_;  // a power of two, at most half used
  os::Bytes bytes_;
  std::size_t used_ = 0;
};

}  // namespace rt::db
