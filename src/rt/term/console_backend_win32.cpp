// The Windows console: a screen buffer of the program's own, 80 columns by
// 50 rows, given back at the end with the last screen written into the
// user's console as cells with their colours. Cells go out whole with
// WriteConsoleOutputW; keys come from ReadConsoleInputW (console_map.h);
// Ctrl-C is a key (3), Ctrl-Break the cancel key; tones sound with Beep.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <deque>
#include <string>
#include <vector>

#include "rt/err/error.h"
#include "rt/term/console_map.h"
#include "rt/term/device.h"
#include "rt/term/keys.h"
#include "rt/text/cp860.h"

namespace rt::term {

namespace {

constexpr SHORT kConsoleRows = 50;  // the run settings' console; the program draws rows 0..24
constexpr int kDeadWaits = 100;     // failed waits in a row: the console is gone
constexpr DWORD kVtInput = 0x0200;  // ENABLE_VIRTUAL_TERMINAL_INPUT

// Set by the control handler (another thread): Ctrl-Break, and Ctrl-C where
// the console signals it even though processed input is off.
std::atomic<bool> breakSeen{false};
std::atomic<int> ctrlCSeen{0};
HANDLE controlEvent = nullptr;

BOOL WINAPI onControl(DWORD type) {
  if (type == CTRL_BREAK_EVENT)
    breakSeen = true;
  else if (type == CTRL_C_EVENT)
    ++ctrlCSeen;
  else
    return FALSE;
  SetEvent(controlEvent);
  return TRUE;
}

// Code page 860 lines as the screen shows them, for text written to a
// console: line breaks and tabs stay themselves.
std::wstring glyphs(std::string_view cp860) {
  std::wstring out;
  out.reserve(cp860.size());
  for (const char c : cp860) {
    const auto b = static_cast<std::uint8_t>(c);
    if (b == '\n' || b == '\r' || b == '\t')
      out += static_cast<wchar_t>(b);
    else
      out += static_cast<wchar_t>(text::toUnicode(b));
  }
  return out;
}

// Rows [first, first + rows) of a screen as console cells.
std::vector<CHAR_INFO> cells(const Screen& screen, int first, int rows) {
  std::vector<CHAR_INFO> out(static_cast<std::size_t>(rows * kCols));
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < kCols; ++c) {
      const Cell cell = screen.cell(first + r, c);
      CHAR_INFO& ci = out[static_cast<std::size_t>(r * kCols + c)];
      ci.Char.UnicodeChar = static_cast<WCHAR>(text::toUnicode(cell.ch));
      ci.Attributes = console::attribute(cell.attr);
    }
  return out;
}

// The last screen into a console buffer, as cells with their colours, from
// the cursor's row on (a row begun is left whole); the cursor ends at the
// start of the row below it. Where the buffer is too short it scrolls up
// first, and rows that do not fit go off the top, as on a terminal. (Written
// as text instead, a row of 80 characters would wrap at the last column and
// its line break would leave an empty row after it.)
void leaveScreen(HANDLE h, const Screen& screen) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(h, &info) || info.dwSize.Y < 2 || info.dwSize.X < 1) return;
  const int height = info.dwSize.Y;
  const int rows = std::min(kRows, height - 1);
  int top = info.dwCursorPosition.Y + (info.dwCursorPosition.X > 0 ? 1 : 0);
  if (const int over = top + rows + 1 - height; over > 0) {
    const SMALL_RECT moved{0, static_cast<SHORT>(over), static_cast<SHORT>(info.dwSize.X - 1),
                           static_cast<SHORT>(height - 1)};
    CHAR_INFO blank{};
    blank.Char.UnicodeChar = L' ';
    blank.Attributes = info.wAttributes;
    ScrollConsoleScreenBufferW(h, &moved, nullptr, COORD{0, 0}, &blank);
    top -= over;
  }
  const std::vector<CHAR_INFO> last = cells(screen, kRows - rows, rows);
  SMALL_RECT region{0, static_cast<SHORT>(top), kCols - 1, static_cast<SHORT>(top + rows - 1)};
  WriteConsoleOutputW(h, last.data(), COORD{kCols, static_cast<SHORT>(rows)}, COORD{0, 0}, &region);
  SetConsoleCursorPosition(h, COORD{0, static_cast<SHORT>(top + rows)});
}

void writeConsole(HANDLE h, const std::wstring& s) {
  DWORD written = 0;
  WriteConsoleW(h, s.data(), static_cast<DWORD>(s.size()), &written, nullptr);
}

// Buffer and window of 80 x 50; the window first shrinks where it is larger
// than the new buffer. A screen that cannot show the whole window keeps a
// smaller one, with rows 0..24 at its top.
void setSize(HANDLE h) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(h, &info)) return;
  const SMALL_RECT inside{0, 0, std::min<SHORT>(info.srWindow.Right - info.srWindow.Left, kCols - 1),
                          std::min<SHORT>(info.srWindow.Bottom - info.srWindow.Top, kConsoleRows - 1)};
  SetConsoleWindowInfo(h, TRUE, &inside);
  SetConsoleScreenBufferSize(h, COORD{kCols, kConsoleRows});
  const SMALL_RECT whole{0, 0, kCols - 1, kConsoleRows - 1};
  SetConsoleWindowInfo(h, TRUE, &whole);
}

class Console final : public Backend {
 public:
  Console(HANDLE in, DWORD inMode, HANDLE user, HANDLE buffer)
      : in_(in), inMode_(inMode), user_(user), buffer_(buffer) {}

  ~Console() override {
    SetConsoleCtrlHandler(onControl, FALSE);
    SetConsoleMode(in_, inMode_);
    SetConsoleActiveScreenBuffer(user_);
    CloseHandle(buffer_);
    // The last screen stays visible in the user's console.
    leaveScreen(user_, shown_);
    CloseHandle(user_);
    CloseHandle(in_);
  }

  void present(const Screen& screen, const CursorState& cursor) override {
    shown_ = screen;
    cursor_ = cursor;
    draw(false);
  }

  int readKey(int timeoutMs) override {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int dead = 0;
    for (;;) {
      if (breakSeen.exchange(false)) return key::kAltC;
      if (ctrlCSeen > 0) {
        --ctrlCSeen;
        return 3;
      }
      if (!keys_.empty()) {
        const int k = keys_.front();
        keys_.pop_front();
        return k;
      }
      DWORD wait = INFINITE;
      if (timeoutMs >= 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        wait = left.count() > 0 ? static_cast<DWORD>(left.count()) : 0;
      }
      const HANDLE handles[2] = {in_, controlEvent};
      const DWORD r = WaitForMultipleObjects(2, handles, FALSE, wait);
      if (r == WAIT_OBJECT_0 && readInput()) {
        dead = 0;
      } else if (r == WAIT_OBJECT_0 + 1) {
        dead = 0;
      } else if (r == WAIT_TIMEOUT) {
        return 0;
      } else if (++dead >= kDeadWaits) {
        throw err::ProgramExit(1);
      }
    }
  }

  void discardPending() override {
    FlushConsoleInputBuffer(in_);
    keys_.clear();
    ctrlCSeen = 0;
  }

  void tone(double frequency, double ticks) override {
    const double ms = ticks * 1000.0 / 18.2;
    if (!(ms >= 1) || !(frequency > 0)) return;
    Beep(static_cast<DWORD>(std::clamp(frequency, 37.0, 32767.0)), static_cast<DWORD>(std::min(ms, 60000.0)));
  }

 private:
  // Takes the waiting input events; false when the console cannot be read.
  bool readInput() {
    DWORD count = 0;
    if (!GetNumberOfConsoleInputEvents(in_, &count)) return false;
    if (count == 0) return true;
    std::array<INPUT_RECORD, 64> records;
    DWORD n = 0;
    if (!ReadConsoleInputW(in_, records.data(), std::min<DWORD>(count, records.size()), &n)) return false;
    for (DWORD i = 0; i < n; ++i) {
      const INPUT_RECORD& rec = records[i];
      if (rec.EventType == WINDOW_BUFFER_SIZE_EVENT) {
        draw(true);
      } else if (rec.EventType == KEY_EVENT && rec.Event.KeyEvent.bKeyDown) {
        const KEY_EVENT_RECORD& k = rec.Event.KeyEvent;
        const int code = console::keyCode(
            {k.wVirtualKeyCode, static_cast<char16_t>(k.uChar.UnicodeChar), k.dwControlKeyState});
        if (code != 0) keys_.insert(keys_.end(), std::max<WORD>(k.wRepeatCount, 1), code);
      }
    }
    return true;
  }

  void draw(bool all) {
    if (all || !drawnValid_ || drawn_ != shown_) {
      const std::vector<CHAR_INFO> whole = cells(shown_, 0, kRows);
      SMALL_RECT rect{0, 0, kCols - 1, kRows - 1};
      WriteConsoleOutputW(buffer_, whole.data(), COORD{kCols, kRows}, COORD{0, 0}, &rect);
      drawn_ = shown_;
      drawnValid_ = true;
    }
    CONSOLE_CURSOR_INFO info{25, TRUE};
    if (Screen::inside(cursor_.row, cursor_.col) && cursor_.shape != CursorShape::None) {
      SetConsoleCursorPosition(buffer_,
                               COORD{static_cast<SHORT>(cursor_.col), static_cast<SHORT>(cursor_.row)});
      if (cursor_.shape == CursorShape::Insert) info.dwSize = 50;
    } else {
      info.bVisible = FALSE;
    }
    SetConsoleCursorInfo(buffer_, &info);
  }

  HANDLE in_;
  DWORD inMode_;
  HANDLE user_;    // the user's screen buffer, active again at the end
  HANDLE buffer_;  // the program's
  Screen shown_;   // what the program last presented
  Screen drawn_;   // what is in the buffer
  bool drawnValid_ = false;
  CursorState cursor_;
  std::deque<int> keys_;  // mapped keys not yet read
};

HANDLE openConsoleFile(const wchar_t* name) {
  return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                     OPEN_EXISTING, 0, nullptr);
}

}  // namespace

DeviceOpen openDevice() {
  const HANDLE in = openConsoleFile(L"CONIN$");
  DWORD inMode = 0;
  if (in == INVALID_HANDLE_VALUE || !GetConsoleMode(in, &inMode)) {
    if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
    return {nullptr, "there is no console window (start the program from one)"};
  }
  const HANDLE user = openConsoleFile(L"CONOUT$");
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (user == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(user, &info)) {
    if (user != INVALID_HANDLE_VALUE) CloseHandle(user);
    CloseHandle(in);
    return {nullptr, "the console window cannot be written"};
  }
  const HANDLE buffer =
      CreateConsoleScreenBuffer(GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                CONSOLE_TEXTMODE_BUFFER, nullptr);
  const DWORD raw = inMode & ~static_cast<DWORD>(ENABLE_PROCESSED_INPUT | ENABLE_LINE_INPUT |
                                                 ENABLE_ECHO_INPUT | ENABLE_MOUSE_INPUT | kVtInput);
  if (buffer == INVALID_HANDLE_VALUE || !SetConsoleMode(in, raw | ENABLE_WINDOW_INPUT)) {
    if (buffer != INVALID_HANDLE_VALUE) CloseHandle(buffer);
    CloseHandle(user);
    CloseHandle(in);
    return {nullptr, "the console window cannot be set up"};
  }
  setSize(buffer);
  SetConsoleActiveScreenBuffer(buffer);
  if (controlEvent == nullptr) controlEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  breakSeen = false;
  ctrlCSeen = 0;
  SetConsoleCtrlHandler(onControl, TRUE);
  return {std::make_unique<Console>(in, inMode, user, buffer), {}};
}

void writeErrorOutput(std::string_view cp860) {
  const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (err != nullptr && err != INVALID_HANDLE_VALUE && GetConsoleMode(err, &mode)) {
    writeConsole(err, glyphs(cp860));
    return;
  }
  // Redirected: UTF-8 with its line breaks as they are, as on other systems.
  const std::string utf8 = text::toUtf8Lines(cp860);
  DWORD written = 0;
  if (err != nullptr && err != INVALID_HANDLE_VALUE)
    WriteFile(err, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
}

}  // namespace rt::term
