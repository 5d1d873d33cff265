// Input fields and the modal read: text editing keys, numbers, the upper-case
// picture, dates, VALID rules, colours and cursor, several fields, and the
// types a field takes.
#include "rt/ui/get.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "rt/term/headless.h"
#include "rt/term/keys.h"
#include "rt/text/number.h"
#include "rt/text/strings.h"
#include "rt/ui/fixture.h"

namespace rt::ui {
namespace {

using namespace term::key;
using testing::at;
using testing::attrs;
using testing::HeadlessTerminal;
using K = std::vector<int>;

constexpr std::uint8_t kUnselected = 0x70;  // 0/W
constexpr std::uint8_t kEnhanced = 0x4F;    // W+/R

std::vector<int> keysOf(std::string_view typed) { return {typed.begin(), typed.end()}; }

std::vector<int> operator+(std::vector<int> a, const std::vector<int>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

struct Outcome {
  Value value;
  int lastKey = 0;
  std::string shown;  // the field's cells after the read
};

Outcome read(Value v, std::string_view picture, const std::vector<int>& keys, Valid valid = {}) {
  HeadlessTerminal t;
  t.term.setColor("0/W, W+/R,,, 0/W");
  t.keys.add(keys);
  GetList list;
  list.add(t.term, 12, 36, v, picture, std::move(valid));
  readModal(t.term, list);
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(t.keys.pending(), 0u) << "keys left over";
  // The field is the run of cells in the unselected colour.
  int width = 0;
  while (t.term.screen().attr(12, 36 + width) == kUnselected) ++width;
  return {v, t.term.lastKey(), at(t.term, 12, 36, width)};
}

Value txt(const char* s) { return Value(std::string(s)); }
Value num(double n) { return Value::number(n); }

TEST(Get, TextEditingKeys) {
  const struct {
    std::vector<int> keys;
    const char* value;
    int lastKey;
  } cases[] = {
      {keysOf("202211"), "202211", '1'},    // the last place ends the read
      {keysOf("2022a.11"), "202211", '1'},  // digits only
      {keysOf("20") + K{kEnter}, "20    ", kEnter},
      {keysOf("20") + K{kDown}, "20    ", kDown},
      {keysOf("20") + K{kPgDn}, "20    ", kPgDn},
      {keysOf("20") + K{kUp}, "20    ", kUp},  // a single field: back ends it too
      {keysOf("20") + K{kPgUp}, "20    ", kPgUp},
      {keysOf("123") + K{kHome, '9', kEnter}, "923   ", kEnter},
      {keysOf("123") + K{kLeft, kLeft, '9', kEnter}, "193   ", kEnter},
      {keysOf("1") + K{kRight, '2', kEnter}, "1 2   ", kEnter},
      {keysOf("123") + K{kBackspace, kEnter}, "12    ", kEnter},
      {keysOf("123") + K{kHome, kDel, kEnter}, "23    ", kEnter},
      {keysOf("123") + K{kLeft, kBackspace, '9', kEnter}, "19    ", kEnter},
      {K{kBackspace} + keysOf("1") + K{kEnter}, "1     ", kEnter},
      {keysOf("12") + K{kHome, kEnd, '3', kEnter}, "123   ", kEnter},
      {K{kRight, kRight, kRight, kRight, kRight, kRight, kRight, '7'}, "     7",
       '7'},  // Right stops at the last place
      {keysOf("12") + K{kF10, alt('X'), kCtrlHome, kEnter}, "12    ", kEnter},  // ignored keys
      {keysOf("12") + K{kEsc}, "      ", kEsc},                                 // undone
  };
  for (const auto& c : cases) {
    const Outcome o = read(txt("      "), "999999", c.keys);
    EXPECT_EQ(o.value.string(), c.value) << ::testing::PrintToString(c.keys);
    EXPECT_EQ(o.lastKey, c.lastKey) << ::testing::PrintToString(c.keys);
    EXPECT_EQ(o.shown, c.value);
  }
}

TEST(Get, Numbers) {
  const struct {
    double initial;
    const char* picture;
    std::vector<int> keys;
    double value;
    const char* shown;
  } cases[] = {
      {0, "9999", keysOf("440") + K{kEnter}, 440, " 440"},
      {0, "9999", keysOf("4400"), 4400, "4400"},  // ends after the fourth digit
      {0, "9999", {kEnter}, 0, "   0"},
      {12, "9999", keysOf("5") + K{kEnter}, 5, "   5"},                // the first digit clears
      {12, "9999", keysOf("x5") + K{kEnter}, 5, "   5"},               // a refused key does not count
      {12, "9999", K{kRight} + keysOf("5") + K{kEnter}, 512, " 512"},  // a cursor key first: no clear
      {0, "9999", keysOf("-5") + K{kEnter}, -5, "  -5"},
      {7, "9999", keysOf("12") + K{kEsc}, 7, "   7"},
      {0, "@E 999%", keysOf("100"), 100, "100%"},  // the literal is skipped
      {0, "@E 999%", keysOf("5") + K{kEnter}, 5, "  5%"},
      {0, "@E 999%", {kEnter}, 0, "  0%"},
      {0, "999999", keysOf("202211"), 202211, "202211"},
  };
  for (const auto& c : cases) {
    const Outcome o = read(num(c.initial), c.picture, c.keys);
    EXPECT_EQ(o.value.num(), c.value) << c.picture << " " << ::testing::PrintToString(c.keys);
    EXPECT_EQ(o.shown, c.shown) << c.picture;
  }
}

TEST(Get, UpperCasePicture) {
  HeadlessTerminal t;
  t.term.setColor("0/W, W+/R,,, 0/W");
  Value v = Value("abcde"_cp);
  GetList list;
  list.add(t.term, 3, 19, v, "@!");
  EXPECT_EQ(at(t.term, 3, 19, 5), "ABCDE");
  EXPECT_EQ(attrs(t.term, 3, 19, 5), kUnselected);
  t.keys.addText("ção").add(kEnter);
  readModal(t.term, list);
  EXPECT_EQ(text::toUtf8(v.string()), "ÇÃODE");
  EXPECT_EQ(at(t.term, 3, 19, 5), "ÇÃODE");
}

TEST(Get, Dates) {
  const Value initial = Value(text::Date::fromYmd(2022, 11, 5));
  Outcome o = read(initial, "", keysOf("01012023"));
  EXPECT_EQ(o.value.date(), text::Date::fromYmd(2023, 1, 1));
  EXPECT_EQ(o.shown, "01/01/2023");
  // 31/02 is no date: the field stays open until it is mended.
  o = read(initial, "", keysOf("31022023") + keysOf("28") + K{kEnter});
  EXPECT_EQ(o.value.date(), text::Date::fromYmd(2023, 2, 28));
  o = read(initial, "", K{kDel, kDel, kDel, kDel, kDel, kDel, kDel, kDel, kEnter});
  EXPECT_TRUE(o.value.date().empty());
  EXPECT_EQ(o.shown, "  /  /    ");
}

bool periodRule(const Value& v) {
  const std::string& s = v.string();
  const double month = text::val(s.substr(4, 2)).value;
  return !text::blank(s) && text::val(s).value >= 199802 && month > 0 && month < 13;
}

TEST(Get, ValidKeepsTheFieldOpen) {
  int asked = 0;
  auto rule = [&](const Value& v) {
    ++asked;
    return periodRule(v);
  };
  // Enter on the blank field, then three refused periods, then a good one.
  const Outcome o =
      read(txt("      "), "999999",
           K{kEnter} + keysOf("199801") + keysOf("202213") + keysOf("202200") + keysOf("202211"), rule);
  EXPECT_EQ(o.value.string(), "202211");
  EXPECT_EQ(asked, 5);

  // Esc leaves without the rule and undoes what the refused tries assigned.
  asked = 0;
  const Outcome esc = read(num(0), "@E 999%", keysOf("101") + K{kEsc}, [&](const Value& v) {
    ++asked;
    return v.num() >= 0 && v.num() <= 100;
  });
  EXPECT_EQ(esc.value.num(), 0);
  EXPECT_EQ(esc.lastKey, kEsc);
  EXPECT_EQ(asked, 1);
}

TEST(Get, RefusedNumberStaysShownAndTheNextDigitClearsIt) {
  HeadlessTerminal t;
  t.term.setColor("0/W, W+/R,,, 0/W");
  Value v = num(0);
  GetList list;
  list.add(t.term, 20, 18, v, "@E 999%", [](const Value& x) { return x.num() <= 100; });
  EXPECT_EQ(at(t.term, 20, 18, 4), "  0%");
  EXPECT_EQ(attrs(t.term, 20, 18, 4), kUnselected);
  t.keys.add(keysOf("101"));
  EXPECT_THROW(readModal(t.term, list), term::ScriptExhausted);
  EXPECT_EQ(at(t.term, 20, 18, 4), "101%");
  EXPECT_EQ(attrs(t.term, 20, 18, 4), kEnhanced);
  EXPECT_EQ(t.term.row(), 20);  // the cursor on the first place
  EXPECT_EQ(t.term.col(), 18);
  EXPECT_EQ(t.term.cursor(), term::CursorShape::Normal);
  EXPECT_EQ(v.num(), 101);

  t.keys.add(keysOf("50")).add(kEnter);
  list.clear();
  list.add(t.term, 20, 18, v, "@E 999%", [](const Value& x) { return x.num() <= 100; });
  readModal(t.term, list);
  EXPECT_EQ(v.num(), 50);
  EXPECT_EQ(at(t.term, 20, 18, 4), " 50%");
}

TEST(Get, ColoursAndCursorWhileEditing) {
  HeadlessTerminal t;
  t.term.setColor("W+/GB, W+/R,,, 0/W");
  t.term.setCursor(term::CursorShape::None);
  Value v = num(0);
  GetList list;
  list.add(t.term, 7, 42, v, "9999");
  EXPECT_EQ(attrs(t.term, 7, 42, 4), kUnselected);
  t.keys.add('4');
  EXPECT_THROW(readModal(t.term, list), term::ScriptExhausted);
  EXPECT_EQ(at(t.term, 7, 42, 4), "4   ");  // cleared, then the digit
  EXPECT_EQ(attrs(t.term, 7, 42, 4), kEnhanced);
  EXPECT_EQ(t.term.col(), 43);
  EXPECT_EQ(t.term.cursor(), term::CursorShape::Normal);

  HeadlessTerminal u;
  u.term.setColor("W+/GB, W+/R,,, 0/W");
  u.term.setCursor(term::CursorShape::None);
  list.clear();
  list.add(u.term, 7, 42, v, "9999");
  u.keys.add(keysOf("44")).add(kEnter);
  readModal(u.term, list);
  EXPECT_EQ(at(u.term, 7, 42, 4), "  44");
  EXPECT_EQ(attrs(u.term, 7, 42, 4), kUnselected);
  EXPECT_EQ(u.term.cursor(), term::CursorShape::None);
  EXPECT_EQ(u.term.screen().rowText(0), std::string(80, ' '));  // no scoreboard
}

TEST(Get, SeveralFields) {
  const struct {
    std::vector<int> keys;
    const char* first;
    const char* second;
  } cases[] = {
      {keysOf("ab") + K{kEnter} + keysOf("cd") + K{kEnter}, "ab  ", "cd  "},
      {keysOf("ab") + K{kDown} + keysOf("cd") + K{kUp, 'x', kDown, kDown}, "xb  ", "cd  "},
      {keysOf("abcd") + keysOf("efgh"), "abcd", "efgh"},  // typing out moves on
      {{kUp}, "    ", "    "},                            // back from the first ends
      {keysOf("ab") + K{kEnter, kPgUp}, "ab  ", "    "},
      {keysOf("ab") + K{kEnter} + keysOf("cd") + K{kEsc}, "ab  ", "    "},
  };
  for (const auto& c : cases) {
    HeadlessTerminal t;
    Value a = txt("    "), b = txt("    ");
    GetList list;
    list.add(t.term, 5, 10, a);
    list.add(t.term, 6, 10, b);
    t.keys.add(c.keys);
    readModal(t.term, list);
    EXPECT_EQ(a.string(), c.first) << ::testing::PrintToString(c.keys);
    EXPECT_EQ(b.string(), c.second) << ::testing::PrintToString(c.keys);
    EXPECT_EQ(t.keys.pending(), 0u);
    EXPECT_TRUE(list.empty());
  }
}

TEST(Get, OnlyTextNumbersAndDates) {
  HeadlessTerminal t;
  Value b(true);
  GetList list;
  EXPECT_THROW(list.add(t.term, 0, 0, b, ""), std::invalid_argument);
  EXPECT_TRUE(list.empty());
}

}  // namespace
}  // namespace rt::ui
