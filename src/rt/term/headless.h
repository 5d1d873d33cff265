// rt/term/headless: a backend without a device, for tests.
//
// Keys come from a script; each is "pressed" when the program reads, so
// clearing the type-ahead never drops script keys (stuff keys into the
// Terminal to model keys typed ahead). A read that waits finds the script
// empty: ScriptExhausted is thrown, so a test fails instead of hanging. kNoKey
// in the script is a wait that times out, or a poll that finds no key (a read
// without limit skips it). A poll on an empty script finds no key, up to a
// large bound of polls in a row, after which it throws too. The screen itself
// is read through Terminal::screen().
#pragma once

#include <climits>
#include <cstddef>
#include <deque>
#include <initializer_list>
#include <span>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "rt/err/error.h"
#include "rt/term/screen.h"

namespace rt::term {

// Like a device that is gone, the end of the script ends the program: the
// screen stays as it stands (err::EndMark), so a test can look at it.
class ScriptExhausted : public std::runtime_error {
 public:
  ScriptExhausted() : std::runtime_error("headless terminal: the key script ran out") {}

 private:
  err::EndMark end_;
};

class Headless : public Backend {
 public:
  static constexpr int kNoKey = INT_MIN;

  struct Tone {
    double frequency = 0;
    double ticks = 0;
    friend bool operator==(const Tone&, const Tone&) = default;
  };

  // Appends to the script; addText types a UTF-8 text, one key per code page
  // 860 byte.
  Headless& add(int key);
  Headless& add(std::initializer_list<int> keys);
  Headless& add(std::span<const int> keys);
  Headless& addText(std::string_view utf8);

  std::size_t pending() const { return script_.size(); }
  const std::vector<Tone>& tones() const { return tones_; }

  void present(const Screen&, const CursorState&) override {}
  int readKey(int timeoutMs) override;
  void discardPending() override {}
  void tone(double frequency, double ticks) override { tones_.push_back({frequency, ticks}); }

 private:
  std::deque<int> script_;
  std::vector<Tone> tones_;
  long emptyPolls_ = 0;
};

}  // namespace rt::term
