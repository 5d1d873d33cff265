// The prompt menu: its keys, the current prompt's colour, and no prompts.
#include "rt/ui/prompt.h"

#include <gtest/gtest.h>

#include <vector>

#include "rt/term/keys.h"
#include "rt/ui/fixture.h"

namespace rt::ui {
namespace {

using namespace term::key;
using testing::at;
using testing::attrs;
using testing::HeadlessTerminal;

const std::vector<Prompt> kPrompts = {{13, 34, " Sim "}, {13, 41, " Nao "}, {13, 48, "Ótimo"_cp}};

TEST(PromptMenu, Keys) {
  const struct {
    std::vector<int> keys;
    int result;
    int lastKey;
  } cases[] = {
      {{kEnter}, 1, kEnter},
      {{kRight, kEnter}, 2, kEnter},
      {{kDown, kDown, kDown, kDown, kPgDn}, 3, kPgDn},  // stops at the last
      {{kUp, kLeft, kEnter}, 1, kEnter},                // stops at the first
      {{kEnd, kLeft, kPgUp}, 2, kPgUp},
      {{kEnd, kHome, kEnter}, 1, kEnter},
      {{'n'}, 2, 'n'},
      {{'S'}, 1, 'S'},
      {{kRight, kRight, 's'}, 1, 's'},
      {{0xA2 /* ó */}, 3, 0xA2},                            // accented letters ignore case too
      {{'x', kF10, kCtrlHome, kRight, kEnter}, 2, kEnter},  // ignored keys
      {{kRight, kEsc}, 0, kEsc},
  };
  for (const auto& c : cases) {
    HeadlessTerminal t;
    t.term.setColor("W+/R,W+/B");
    t.keys.add(c.keys);
    EXPECT_EQ(menuTo(t.term, kPrompts), c.result) << ::testing::PrintToString(c.keys);
    EXPECT_EQ(t.term.lastKey(), c.lastKey);
    EXPECT_EQ(t.keys.pending(), 0u);
  }
}

TEST(PromptMenu, DrawsTheCurrentPromptEnhanced) {
  HeadlessTerminal t;
  t.term.setColor("W+/R,W+/B");
  t.keys.add({kRight, kEnter});
  EXPECT_EQ(menuTo(t.term, kPrompts), 2);
  EXPECT_EQ(at(t.term, 13, 34, 19), " Sim    Nao   Ótimo");
  EXPECT_EQ(attrs(t.term, 13, 34, 5), 0x4F);
  EXPECT_EQ(attrs(t.term, 13, 41, 5), 0x1F);
  EXPECT_EQ(attrs(t.term, 13, 48, 5), 0x4F);
  EXPECT_EQ(t.term.screen().attr(13, 39), 0x07);  // between the prompts: untouched
}

TEST(PromptMenu, NoPromptsReadsNoKey) {
  HeadlessTerminal t;
  EXPECT_EQ(menuTo(t.term, {}), 0);
}

}  // namespace
}  // namespace rt::ui
