// The keyboard: Alt letters, type-ahead and peeked keys, the last key, a
// key script that runs out, the cancel key at every kind of read, and tones.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rt/term/fixture.h"
#include "rt/text/cp860.h"

namespace rt::term {
namespace {

using testing::HeadlessTerminal;

std::vector<int> readAll(Terminal& term, int n) {
  std::vector<int> out;
  for (int i = 0; i < n; ++i) out.push_back(term.readKey());
  return out;
}

TEST(Keys, AltLettersFollowTheKeyboardRows) {
  const std::string letters = "QWERTYUIOPASDFGHJKLZXCVBNM";
  const int codes[] = {272, 273, 274, 275, 276, 277, 278, 279, 280, 281, 286, 287, 288,
                       289, 290, 291, 292, 293, 294, 300, 301, 302, 303, 304, 305, 306};
  for (std::size_t i = 0; i < letters.size(); ++i) {
    EXPECT_EQ(key::alt(letters[i]), codes[i]) << letters[i];
    EXPECT_EQ(key::alt(static_cast<char>(letters[i] + 32)), codes[i]) << letters[i];
  }
  for (char c : {'0', ' ', '@', '[', '\0'}) EXPECT_EQ(key::alt(c), 0) << int(c);
}

TEST(Keyboard, StuffedKeysComeBeforeTheDevice) {
  HeadlessTerminal t;
  t.keys.add({'a', 'b'});
  t.term.stuff(key::kEnter);
  t.term.stuff(std::vector<int>{key::kF10, key::alt('N')});
  t.term.stuffText("ç"_cp);
  EXPECT_EQ(readAll(t.term, 6), (std::vector<int>{13, -9, 305, 135, 'a', 'b'}));
}

TEST(Keyboard, ClearDropsStuffedAndPeekedKeysOnly) {
  HeadlessTerminal t;
  t.keys.add({'x', 'y'});
  EXPECT_EQ(t.term.nextKey(), 'x');  // now waiting at the device
  t.term.stuff({'s'});
  t.term.clearTypeAhead();
  EXPECT_EQ(t.term.readKey(), 'y');
}

TEST(Keyboard, NextKeyDoesNotTakeTheKey) {
  HeadlessTerminal t;
  t.keys.add({'x'});
  t.term.setLastKey(7);
  EXPECT_EQ(t.term.nextKey(), 'x');
  EXPECT_EQ(t.term.nextKey(), 'x');
  EXPECT_EQ(t.term.lastKey(), 7);
  t.term.stuff('s');
  EXPECT_EQ(t.term.nextKey(), 's');
  EXPECT_EQ(readAll(t.term, 2), (std::vector<int>{'s', 'x'}));
  EXPECT_EQ(t.term.nextKey(), 0);
}

TEST(Keyboard, LastKeyAndWaitsThatFindNoKey) {
  HeadlessTerminal t;
  t.keys.add({'a', Headless::kNoKey, Headless::kNoKey, Headless::kNoKey, 'b', 'c'});
  EXPECT_EQ(t.term.inkey(0.5), 'a');
  EXPECT_EQ(t.term.inkey(2), 0);   // timed out
  EXPECT_EQ(t.term.pollKey(), 0);  // nothing there
  EXPECT_EQ(t.term.lastKey(), 'a');
  EXPECT_EQ(t.term.inkey(0), 'b');  // 0 waits without limit: no time-out
  EXPECT_EQ(t.term.pollKey(), 'c');
  EXPECT_EQ(t.term.lastKey(), 'c');
  t.term.setLastKey(27);
  EXPECT_EQ(t.term.lastKey(), 27);
  EXPECT_EQ(t.term.pollKey(), 0);  // an empty script: a poll finds nothing
  EXPECT_EQ(t.term.lastKey(), 27);
}

TEST(Keyboard, ScriptThatRunsOutFailsInsteadOfWaiting) {
  HeadlessTerminal t;
  t.keys.addText("é");
  EXPECT_EQ(t.term.readKey(), 130);
  EXPECT_THROW(t.term.readKey(), ScriptExhausted);
  EXPECT_THROW(t.term.inkey(1), ScriptExhausted);
  EXPECT_THROW(while (t.term.pollKey() == 0){}, ScriptExhausted);  // a poll loop is stopped too
}

struct CancelCase {
  std::vector<std::pair<const char*, int>> chain;  // outermost first
  const char* output;
};

TEST(Keyboard, CancelKeyWritesTheChainAndEnds) {
  const CancelCase cases[] = {
      {{{"MENU", 40}, {"LIGAMENU", 210}, {"DATREF", 12}},
       "Cancelled at: DATREF (12)\nCalled from LIGAMENU (210)\nCalled from MENU (40)\n"},
      {{{"MENU", 3}}, "Cancelled at: MENU (3)\n"},
      {{}, "Cancelled at: \n"},
  };
  for (const auto& c : cases) {
    HeadlessTerminal t;
    for (auto [name, line] : c.chain) t.errors.push(name, line);
    t.keys.add({'a', key::kAltC, 'b'});
    EXPECT_EQ(t.term.readKey(), 'a');
    try {
      t.term.readKey();
      ADD_FAILURE() << "no exit";
    } catch (const err::ProgramExit& e) {
      EXPECT_EQ(e.code(), 0);
    }
    EXPECT_EQ(t.errors.errOutput(), c.output);
  }
}

TEST(Keyboard, CancelKeyAtEveryKindOfRead) {
  using Read = int (*)(Terminal&);
  const Read reads[] = {[](Terminal& t) { return t.readKey(); }, [](Terminal& t) { return t.inkey(1); },
                        [](Terminal& t) { return t.pollKey(); }, [](Terminal& t) { return t.nextKey(); }};
  for (Read read : reads) {
    HeadlessTerminal t;
    t.keys.add(key::kAltC);
    EXPECT_THROW(read(t.term), err::ProgramExit);
  }
}

TEST(Keyboard, CancelKeyAsAnOrdinaryKey) {
  HeadlessTerminal t;
  t.term.stuff(key::kAltC);  // stuffed: not from the device
  EXPECT_EQ(t.term.readKey(), 302);
  t.term.setCancel(false);
  t.keys.add(key::kAltC);
  EXPECT_EQ(t.term.readKey(), 302);
  EXPECT_EQ(t.errors.errOutput(), "");
}

TEST(Tone, RecordedByTheHeadlessBackend) {
  HeadlessTerminal t;
  t.term.tone(200, 3);
  t.term.tone(440.5, 1);
  EXPECT_EQ(t.keys.tones(), (std::vector<Headless::Tone>{{200, 3}, {440.5, 1}}));
}

}  // namespace
}  // namespace rt::term
