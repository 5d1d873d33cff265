// rt/term/headless: the key script of the backend for tests, and its reads.
#include "rt/term/headless.h"

#include "rt/text/cp860.h"

namespace rt::term {

namespace {
// Polls in a row on an empty script before a poll loop counts as hanging.
constexpr long kMaxEmptyPolls = 1'000'000;
}  // namespace

Headless& Headless::add(int key) {
  script_.push_back(key);
  return *this;
}

Headless& Headless::add(std::initializer_list<int> keys) {
  script_.insert(script_.end(), keys.begin(), keys.end());
  return *this;
}

Headless& Headless::add(std::span<const int> keys) {
  script_.insert(script_.end(), keys.begin(), keys.end());
  return *this;
}

Headless& Headless::addText(std::string_view utf8) {
  for (char c : text::fromUtf8(utf8)) script_.push_back(static_cast<std::uint8_t>(c));
  return *this;
}

int Headless::readKey(int timeoutMs) {
  for (;;) {
    if (script_.empty()) {
      if (timeoutMs == 0 && ++emptyPolls_ <= kMaxEmptyPolls) return 0;
      throw ScriptExhausted();
    }
    emptyPolls_ = 0;
    const int k = script_.front();
    script_.pop_front();
    if (k != kNoKey) return k;
    if (timeoutMs >= 0) return 0;
  }
}

}  // namespace rt::term
