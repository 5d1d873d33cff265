#include "rt/db/memo.h"

#include <algorithm>
#include <cstring>

namespace rt::db {

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
  if (used_ == 0) return;
  slots_.clear();
  bytes_.clear();
  used_ = 0;
}

}  // namespace rt::db
