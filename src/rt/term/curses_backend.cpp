#include "rt/term/curses_backend.h"

#include <langinfo.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string_view>

#include "rt/err/error.h"
#include "rt/term/keys.h"
#include "rt/text/cp860.h"

// Last, and as functions only: curses' macros clash with ordinary names.
#define NCURSES_NOMACROS 1
#define NCURSES_WIDECHAR 1
#include <curses.h>

namespace rt::term {

namespace {

constexpr int kEscDelayMs = 25;   // how long curses waits for the rest of a sequence
constexpr int kAltFollowMs = 10;  // how long after ESC a letter still makes Alt+letter
constexpr int kDeadReads = 100;   // failed blocking reads in a row: the terminal is gone

// Classic colour number (blue = 1, red = 4) to curses colour (red = 1, blue = 4).
constexpr short kCursesColor[8] = {COLOR_BLACK, COLOR_BLUE,    COLOR_GREEN,  COLOR_CYAN,
                                   COLOR_RED,   COLOR_MAGENTA, COLOR_YELLOW, COLOR_WHITE};

// Pair bg * 8 + fg, with white on black and black on black swapped so that
// white on black is pair 0, the terminal's own.
short pairOf(int fg, int bg) {
  int n = bg * 8 + fg;
  if (n == 7)
    n = 0;
  else if (n == 0)
    n = 7;
  return static_cast<short>(n);
}

bool utf8Locale() {
  const char* cs = nl_langinfo(CODESET);
  return cs && (std::strcmp(cs, "UTF-8") == 0 || std::strcmp(cs, "utf8") == 0);
}

class Curses final : public Backend {
 public:
  explicit Curses(SCREEN* scr) : scr_(scr) {
    colors_ = has_colors();
    if (colors_ && start_color() == OK) {
      for (int bg = 0; bg < 8; ++bg)
        for (int fg = 0; fg < 8; ++fg) {
          const short p = pairOf(fg, bg);
          if (p != 0 && p < COLOR_PAIRS) init_pair(p, kCursesColor[fg], kCursesColor[bg]);
        }
    } else {
      colors_ = false;
    }
    // Keys that curses knows only by their terminfo names.
    const std::pair<const char*, int> named[] = {{"kLFT5", key::kCtrlLeft}, {"kRIT5", key::kCtrlRight},
                                                 {"kHOM5", key::kCtrlHome}, {"kEND5", key::kCtrlEnd},
                                                 {"kPRV5", key::kCtrlPgUp}, {"kNXT5", key::kCtrlPgDn}};
    for (const auto& [cap, code] : named) {
      const char* seq = tigetstr(cap);
      if (seq == nullptr || seq == reinterpret_cast<const char*>(-1)) continue;
      const int kc = key_defined(seq);
      if (kc > 0) extra_[kc] = code;
    }
    checkSize();
  }

  ~Curses() override {
    endwin();
    delscreen(scr_);
  }

  void present(const Screen& screen, const CursorState& cursor) override {
    shown_ = screen;
    cursor_ = cursor;
    if (!small_) draw(false);
  }

  int readKey(int timeoutMs) override {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int dead = 0;
    for (;;) {
      int wait = -1;
      if (timeoutMs >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        wait = left.count() > 0 ? static_cast<int>(left.count()) : 0;
      }
      wtimeout(stdscr, wait);
      wint_t ch = 0;
      const int rc = wget_wch(stdscr, &ch);
      if (rc == ERR) {
        if (timeoutMs >= 0) {
          if (std::chrono::steady_clock::now() >= deadline) return 0;
        } else if (++dead >= kDeadReads) {
          throw err::ProgramExit(1);
        }
        continue;
      }
      dead = 0;
      if (rc == KEY_CODE_YES && ch == KEY_RESIZE) {
        resized();
        continue;
      }
      const int code = rc == KEY_CODE_YES ? functionKey(ch) : character(ch);
      if (code != 0 && !small_) return code;
      if (timeoutMs == 0) return 0;
    }
  }

  void discardPending() override { flushinp(); }

  void tone(double, double) override { beep(); }

 private:
  int functionKey(wint_t k) const {
    switch (k) {
      case KEY_UP:
        return key::kUp;
      case KEY_DOWN:
        return key::kDown;
      case KEY_LEFT:
        return key::kLeft;
      case KEY_RIGHT:
        return key::kRight;
      case KEY_HOME:
      case KEY_A1:
      case KEY_FIND:
        return key::kHome;
      case KEY_END:
      case KEY_C1:
      case KEY_SELECT:
        return key::kEnd;
      case KEY_PPAGE:
      case KEY_A3:
        return key::kPgUp;
      case KEY_NPAGE:
      case KEY_C3:
        return key::kPgDn;
      case KEY_IC:
        return key::kIns;
      case KEY_DC:
        return key::kDel;
      case KEY_BACKSPACE:
        return key::kBackspace;
      case KEY_ENTER:
        return key::kEnter;
      default:
        break;
    }
    if (k == static_cast<wint_t>(KEY_F(1))) return key::kF1;
    if (k >= static_cast<wint_t>(KEY_F(2)) && k <= static_cast<wint_t>(KEY_F(10)))
      return -static_cast<int>(k - static_cast<wint_t>(KEY_F(1)));
    const auto it = extra_.find(static_cast<int>(k));
    return it == extra_.end() ? 0 : it->second;
  }

  int character(wint_t c) {
    if (c == 27) return escape();
    if (c == 127) return key::kBackspace;
    if (c < 127) return static_cast<int>(c);
    const int b = text::fromUnicode(static_cast<char32_t>(c));
    return b >= 128 ? b : 0;  // characters the code page lacks are dropped
  }

  // ESC + letter is Alt+letter; anything else after ESC is read afterwards.
  int escape() {
    wtimeout(stdscr, kAltFollowMs);
    wint_t next = 0;
    const int rc = wget_wch(stdscr, &next);
    if (rc == OK) {
      if (next < 128) {
        const int a = key::alt(static_cast<char>(next));
        if (a != 0) return a;
      }
      unget_wch(static_cast<wchar_t>(next));
    } else if (rc == KEY_CODE_YES) {
      ungetch(static_cast<int>(next));
    }
    return key::kEsc;
  }

  void checkSize() { small_ = LINES < kRows || COLS < kCols; }

  void resized() {
    checkSize();
    werase(stdscr);
    clearok(stdscr, TRUE);
    if (small_) {
      notice();
    } else {
      draw(true);
    }
  }

  void notice() {
    const std::string size = "(agora " + std::to_string(COLS) + "x" + std::to_string(LINES) + ")";
    const std::string msg[] = {"Terminal pequeno demais.", "Aumente-o para 80x25.", size};
    curs_set(0);
    for (int i = 0; i < 3 && i < LINES; ++i) mvwaddnstr(stdscr, i, 0, msg[i].c_str(), COLS);
    wrefresh(stdscr);
  }

  void putCell(int row, int col, Cell cell) {
    const int fg = cell.attr & 0x0F;
    const int bg = cell.attr >> 4;
    attr_t a = A_NORMAL;
    if (fg & 8) a |= A_BOLD;
    if (bg & 8) a |= A_BLINK;
    short pair = 0;
    if (colors_)
      pair = pairOf(fg & 7, bg & 7);
    else if ((bg & 7) > (fg & 7))
      a |= A_REVERSE;
    const wchar_t wc[2] = {static_cast<wchar_t>(text::toUnicode(cell.ch)), L'\0'};
    cchar_t cc;
    setcchar(&cc, wc, a, pair, nullptr);
    mvwadd_wch(stdscr, row, col, &cc);  // the last cell of the screen reports ERR but is drawn
  }

  void draw(bool all) {
    for (int r = 0; r < kRows; ++r)
      for (int c = 0; c < kCols; ++c) {
        const Cell cell = shown_.cell(r, c);
        if (all || !drawnValid_ || drawn_.cell(r, c) != cell) putCell(r, c, cell);
      }
    drawn_ = shown_;
    drawnValid_ = true;
    if (Screen::inside(cursor_.row, cursor_.col) && cursor_.shape != CursorShape::None) {
      wmove(stdscr, cursor_.row, cursor_.col);
      curs_set(cursor_.shape == CursorShape::Insert ? 2 : 1);
    } else {
      curs_set(0);
    }
    wrefresh(stdscr);
  }

  SCREEN* scr_;
  bool colors_ = false;
  bool small_ = false;
  std::map<int, int> extra_;
  Screen shown_;  // what the program last presented
  Screen drawn_;  // what is on the terminal
  bool drawnValid_ = false;
  CursorState cursor_;
};

}  // namespace

CursesOpen openCurses() {
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO))
    return {nullptr, "standard input and output must be a terminal"};
  const char* type = std::getenv("TERM");
  if (type == nullptr || *type == '\0') return {nullptr, "the terminal type is not set (TERM is empty)"};
  // Glyphs go out as UTF-8.
  std::setlocale(LC_CTYPE, "");
  if (!utf8Locale()) std::setlocale(LC_CTYPE, "C.UTF-8");

  SCREEN* scr = newterm(type, stdout, stdin);
  if (scr == nullptr) return {nullptr, std::string("unknown terminal type '") + type + "'"};
  set_term(scr);
  if (raw() == ERR || noecho() == ERR) {
    endwin();
    delscreen(scr);
    return {nullptr, "cannot put the terminal in raw mode"};
  }
  nonl();
  keypad(stdscr, TRUE);
  intrflush(stdscr, FALSE);
  set_escdelay(kEscDelayMs);
  return {std::make_unique<Curses>(scr), {}};
}

}  // namespace rt::term

// ncurses keeps some memory to the end of the process by design (also after
// endwin and delscreen, and after a failed newterm); the leak checker of a
// sanitizer build is told so. Without that checker this function is unused.
extern "C" const char* __lsan_default_suppressions() { return "leak:libtinfo.so\nleak:libncursesw.so\n"; }
