// rt/ui: the classic run-time's interactive pieces over rt/term: input
// fields and the modal read (this file), list selection (achoice.h), the
// table browse (browse.h), the prompt menu (prompt.h) and the run-time's own
// alert box (alert.h). Each draws on the Terminal, reads its keys until one
// ends the call, and returns what was chosen or edited. None knows tables or
// files: the browse reads its rows through a BrowseSource.
//
// rt/ui/get: input fields and the modal read (@ ... GET, READMODAL, GETLIST).
//
// A field edits a variable (a Value the caller keeps alive until the read has
// ended) of type text, number or date at a row and column through a picture:
//   - "@" functions, then a blank and a template: "!" upper-cases every
//     letter typed (code page 860), "E" shows a number European style (as
//     text/picture.h's transformNumber); others are ignored;
//   - template places: 9 a digit (numbers also take "-"), # a digit, blank or
//     sign, A a letter, N a letter or digit, X any character, ! any character
//     upper-cased; every other template character is a literal: shown, kept,
//     skipped by the cursor (for texts it stands in the value at its
//     position);
//   - without a template a text field is as wide as its value (any character),
//     a number shows as Str() shows it, a date as "dd/mm/yyyy".
// A number is shown with transformNumber ("@E 999%": 0 shows "  0%") and read
// back with Val() from its places; a date is read back with CtoD() and a date
// that is not a valid calendar date cannot be left forward or back.
//
// GetList::add shows the field at once in the unselected colour of the colour
// setting in force, which, with the enhanced colour, the field keeps.
//
// readModal edits the fields in order, then empties the list. While a field is
// edited it is shown in the enhanced colour and the cursor (made visible if it
// was hidden; its shape is restored after the read) stands at the edit place.
// Keys:
//   a character   overwrites the place at the cursor if the place takes it,
//                 then the cursor goes to the next place; typed into the last
//                 place it leaves the field forward (confirm is off). In a
//                 number the first character typed, before any cursor key,
//                 first clears the field.
//   Left, Right   previous, next place; Home first place; End the place after
//                 the last non-blank character (at most the last place)
//   Backspace     deletes the character left of the cursor, Del the one at
//                 it; the places to the right move left, a blank comes in
//   Enter, Down, PgDn  forward: the next field, after the last one the read ends
//   Up            back: the previous field; on the first field the read ends
//   PgUp          ends the read
//   Esc           undoes the changes of the current field and ends the read
//                 without its VALID rule
// Leaving a field in any way but Esc assigns the edited value to the variable
// (only when something was typed) and then asks the VALID rule, if any, with
// the variable's value; when it says false the field stays open, redisplayed
// from the variable, with the cursor on its first place. A field that loses
// the focus, and every field when the read ends, is shown again from its
// variable in its unselected colour. Other keys are ignored. The last key is
// the key that ended the read. Nothing is written on row 0 (no scoreboard).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "rt/expr/value.h"
#include "rt/term/term.h"

namespace rt::ui {

// The VALID rule of a field, given the variable's value.
using Valid = std::function<bool(const Value&)>;

struct Get {
  int row = 0;
  int col = 0;
  Value* var = nullptr;
  std::string picture;
  Valid valid;
  std::uint8_t unselected = 0x70;
  std::uint8_t enhanced = 0x70;
};

class GetList {
 public:
  // Shows the field and appends it. Throws std::invalid_argument for a
  // variable that is not text, number or date.
  void add(term::Terminal& term, int row, int col, Value& var, std::string_view picture = {},
           Valid valid = {});

  const std::vector<Get>& gets() const { return gets_; }
  bool empty() const { return gets_.empty(); }
  void clear() { gets_.clear(); }

 private:
  std::vector<Get> gets_;
};

// READMODAL over the list; the list is empty afterwards.
void readModal(term::Terminal& term, GetList& list);

}  // namespace rt::ui
