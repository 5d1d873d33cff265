// rt/term/curses_backend: the real terminal through ncursesw: cells drawn as
// glyphs in the curses colours, keys read as raw characters and decoded
// here, the resize notice, the last screen written out when the terminal is
// given back, and the signal handlers that give it back before the process
// ends.
#include "rt/term/curses_backend.h"

#include <langinfo.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "rt/err/error.h"
#include "rt/term/keydecode.h"
#include "rt/term/keys.h"
#include "rt/text/cp860.h"

// Last, and as functions only: curses' macros clash with ordinary names.
#define NCURSES_NOMACROS 1
#define NCURSES_WIDECHAR 1
#include <curses.h>

namespace rt::term {

namespace {

constexpr int kEscDelayMs = 25;  // how long the rest of an escape sequence is waited for
constexpr int kDeadReads = 100;  // failed blocking reads in a row: the terminal is gone

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

// --- giving the terminal back on a signal ---
//
// Hang-up, quit, interrupt, termination and the fault signals restore the
// terminal's mode and leave the full-screen mode, then end the process with
// exit code 1. The handler only writes prepared bytes and sets the saved mode.

constexpr int kSignals[] = {SIGHUP, SIGINT, SIGQUIT, SIGTERM, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr std::size_t kSignalCount = sizeof kSignals / sizeof kSignals[0];

struct SignalRestore {
  termios mode{};
  bool haveMode = false;
  char bytes[512] = {};
  volatile std::sig_atomic_t length = 0;
  struct sigaction previous[kSignalCount] = {};
  stack_t previousStack{};
  bool haveStack = false;
};
SignalRestore gRestore;
alignas(16) char gAltStack[64 * 1024];  // the handler still runs when the stack overflowed

extern "C" void restoreAndExit(int) {
  const auto n = static_cast<std::size_t>(gRestore.length);
  if (n > 0 && ::write(STDOUT_FILENO, gRestore.bytes, n) < 0) {
    // Nothing more can be done about it here.
  }
  if (gRestore.haveMode) ::tcsetattr(STDIN_FILENO, TCSANOW, &gRestore.mode);
  ::_exit(1);
}

void catchSignals() {
  gRestore.haveMode = ::tcgetattr(STDIN_FILENO, &gRestore.mode) == 0;
  stack_t alt{};
  alt.ss_sp = gAltStack;
  alt.ss_size = sizeof gAltStack;
  gRestore.haveStack = ::sigaltstack(&alt, &gRestore.previousStack) == 0;
  struct sigaction act {};
  act.sa_handler = restoreAndExit;
  act.sa_flags = SA_ONSTACK;
  sigfillset(&act.sa_mask);
  for (std::size_t i = 0; i < kSignalCount; ++i) ::sigaction(kSignals[i], &act, &gRestore.previous[i]);
}

void releaseSignals() {
  gRestore.length = 0;
  for (std::size_t i = 0; i < kSignalCount; ++i) ::sigaction(kSignals[i], &gRestore.previous[i], nullptr);
  if (gRestore.haveStack) ::sigaltstack(&gRestore.previousStack, nullptr);
}

// A terminfo string, empty when the terminal lacks it.
std::string cap(const char* name) {
  const char* s = tigetstr(name);
  if (s == nullptr || s == reinterpret_cast<const char*>(-1)) return {};
  return s;
}

// The bytes that end the full-screen mode as endwin() does.
void prepareRestore() {
  const std::string bytes = cap("sgr0") + cap("cnorm") + cap("rmcup");
  gRestore.length = 0;
  if (bytes.size() > sizeof gRestore.bytes) return;
  std::memcpy(gRestore.bytes, bytes.data(), bytes.size());
  gRestore.length = static_cast<std::sig_atomic_t>(bytes.size());
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
    checkSize();
    prepareRestore();
  }

  // The last screen stays on the terminal, below what was there before.
  ~Curses() override {
    endwin();
    showLastScreen();
    delscreen(scr_);
    releaseSignals();
  }

  void present(const Screen& screen, const CursorState& cursor) override {
    shown_ = screen;
    cursor_ = cursor;
    if (!small_) draw(false);
  }

  int readKey(int timeoutMs) override {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int dead = 0;
    bool tried = false;
    for (;;) {
      for (int k; (k = decoder_.take()) != 0;)
        if (!small_) return k;
      const bool inSequence = decoder_.waiting();
      int wait = -1;
      if (inSequence) {
        wait = kEscDelayMs;
      } else if (timeoutMs >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 && tried) return 0;
        wait = left.count() > 0 ? static_cast<int>(left.count()) : 0;
      }
      tried = true;
      wtimeout(stdscr, wait);
      wint_t ch = 0;
      const int rc = wget_wch(stdscr, &ch);
      if (rc == ERR) {
        if (inSequence)
          decoder_.timeout();
        else if (timeoutMs < 0 && ++dead >= kDeadReads)
          throw err::ProgramExit(1);
        continue;
      }
      dead = 0;
      if (rc == KEY_CODE_YES) {
        if (ch == KEY_RESIZE) resized();
        continue;
      }
      decoder_.feed(static_cast<char32_t>(ch));
    }
  }

  void discardPending() override {
    flushinp();
    decoder_.clear();
  }

  void tone(double, double) override { beep(); }

 private:
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

  // The cells last presented, written as text with their colours where the
  // terminal's own screen is (after endwin), each row on a line of its own.
  void showLastScreen() {
    const std::string sgr0 = cap("sgr0"), setaf = cap("setaf"), setab = cap("setab");
    const std::string bold = cap("bold"), blink = cap("blink"), rev = cap("rev");
    const bool lateWrap = tigetflag("xenl") > 0 || COLS > kCols;
    std::string out;
    for (int r = 0; r < kRows; ++r) {
      int last = kCols - 1;
      while (last >= 0 && shown_.cell(r, last).ch == ' ' && (shown_.cell(r, last).attr & 0xF0) == 0) --last;
      int attr = -1;
      for (int c = 0; c <= last; ++c) {
        const Cell cell = shown_.cell(r, c);
        if (cell.attr != attr) {
          attr = cell.attr;
          const int fg = attr & 0x0F, bg = attr >> 4;
          out += sgr0;
          if (fg & 8) out += bold;
          if (bg & 8) out += blink;
          if (colors_ && !setaf.empty() && !setab.empty()) {
            out += tiparm(setaf.c_str(), kCursesColor[fg & 7]);
            out += tiparm(setab.c_str(), kCursesColor[bg & 7]);
          } else if ((bg & 7) > (fg & 7)) {
            out += rev;
          }
        }
        out += text::toUtf8(std::string(1, static_cast<char>(cell.ch)));
      }
      out += sgr0;
      if (last < kCols - 1 || lateWrap) out += "\r\n";
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
  }

  SCREEN* scr_;
  bool colors_ = false;
  bool small_ = false;
  KeyDecoder decoder_;
  Screen shown_;  // what the program last presented
  Screen drawn_;  // what is on the terminal
  bool drawnValid_ = false;
  CursorState cursor_;
};

}  // namespace

DeviceOpen openCurses() {
  if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO))
    return {nullptr, "standard input and output must be a terminal"};
  const char* type = std::getenv("TERM");
  if (type == nullptr || *type == '\0') return {nullptr, "the terminal type is not set (TERM is empty)"};
  // Glyphs go out as UTF-8.
  std::setlocale(LC_CTYPE, "");
  if (!utf8Locale()) std::setlocale(LC_CTYPE, "C.UTF-8");

  catchSignals();
  SCREEN* scr = newterm(type, stdout, stdin);
  if (scr == nullptr) {
    releaseSignals();
    return {nullptr, std::string("unknown terminal type '") + type + "'"};
  }
  set_term(scr);
  if (raw() == ERR || noecho() == ERR) {
    endwin();
    delscreen(scr);
    releaseSignals();
    return {nullptr, "cannot put the terminal in raw mode"};
  }
  nonl();
  // Keys are decoded here from the bytes (keydecode.h), not from terminfo.
  keypad(stdscr, FALSE);
  intrflush(stdscr, FALSE);
  return {std::make_unique<Curses>(scr), {}};
}

}  // namespace rt::term

// ncurses keeps some memory to the end of the process by design (also after
// endwin and delscreen, and after a failed newterm); the leak checker of a
// sanitizer build is told so. Without that checker this function is unused.
extern "C" const char* __lsan_default_suppressions() { return "leak:libtinfo.so\nleak:libncursesw.so\n"; }
