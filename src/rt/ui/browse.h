// rt/ui/browse: the table browse (DBEDIT) over a source of rows.
//
// The browse owns the box top..bottom, left..right: its first row holds the
// column headings, the second the heading separator (a double line, "═╤═"
// between columns), the rest one row of the source each (at least one row).
// Columns stand side by side from the first visible one, separated by " │ ",
// each as wide as the longer of its heading and its text on the row current
// at the start; a text is cut or padded to that width, and a first visible
// column wider than the box is cut at its right edge. Headings, separator and
// rows are in the standard colour, the current row's cell of the current
// column in the enhanced colour (the colour setting at the call). Rows past
// the end of the source are blank. The cursor is hidden while the browse runs
// and its shape restored at the end.
//
// The browse handles these keys itself:
//   Up, Down, PgUp, PgDn      a row, a page
//   Ctrl-PgUp, Ctrl-PgDn      first, last row
//   Left, Right               previous, next column
//   Home, End                 first, last visible column
//   Ctrl-Home, Ctrl-End       first, last column
//   Ctrl-Left, Ctrl-Right     the view one column left, right
// Each time no key is waiting (Terminal::nextKey() is 0) it calls the handler
// once with mode 3 (empty source), 1 (an Up, PgUp or Ctrl-PgUp found the
// first row current, since the last call), 2 (the same for Down, PgDn,
// Ctrl-PgDn at the last row) or 0 (idle), and then waits for a key. Every
// other key is passed with mode 4; the handler reads it with lastKey().
// handler(mode, column) gets the current column's number (from 1). While it
// runs the device position (the cursor) stands at the highlighted row, at the
// current column's left edge. Its result:
//   0  ends the browse;
//   2  repaints all rows;
//   1, or anything else, goes on: all rows are repainted when the handler
//      moved the source to another position, else the current row.
// Before every repaint a source left at its end (past the last row) is
// stepped back onto its last row; a source with no row there is empty. A
// repaint keeps the current row at its place in the box as far as the rows
// before and after it allow while filling the box.
// Without a handler Enter and Esc end the browse.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "rt/term/term.h"

namespace rt::ui {

// The rows a browse shows, in their order; an adaptor of a work area, say.
class BrowseSource {
 public:
  using Position = std::int64_t;

  virtual ~BrowseSource() = default;

  virtual void goTop() = 0;
  virtual void goBottom() = 0;
  // Moves n rows on (n < 0: back), stopping on the first or last row, never
  // onto the end; returns the rows moved (negative going back). From the end
  // a step back lands on the last row and counts as one.
  virtual std::int64_t skip(std::int64_t n) = 0;
  // True on the end position, past the last row: after a failed search, and
  // always for an empty source.
  virtual bool eof() const = 0;
  // The current position, and a return to one given by position().
  virtual Position position() const = 0;
  virtual void goTo(Position p) = 0;
};

struct BrowseColumn {
  std::string heading;                // code page 860
  std::function<std::string()> text;  // the current row's text
};

using BrowseHandler = std::function<int(int mode, int column)>;

void dbEdit(term::Terminal& term, BrowseSource& source, int top, int left, int bottom, int right,
            std::span<const BrowseColumn> columns, const BrowseHandler& handler);

}  // namespace rt::ui
