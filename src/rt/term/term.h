// rt/term: the console. The folder holds the Terminal (this file), the
// screen of cells and the backend interface (screen.h), colours (color.h),
// key codes (keys.h) and their decoding (keydecode.h, console_map.h), the
// screen state kept for a scope (screen_guard.h), the printer as an output
// device (printer.h) and the backends (device.h, curses_backend.h,
// headless.h).
//
// A Terminal owns the screen of 25 x 80 cells, the colour setting, the device
// position, the cursor shape and the keyboard with its type-ahead buffer, and
// shows them through a Backend (the platform's console, device.h, or the
// headless one for tests, headless.h). What it promises:
//   - every drawing call changes only cells on the screen; coordinates outside
//     are clipped, never an error;
//   - text is code page 860 bytes, one cell per byte; control bytes are drawn
//     as their code-page glyphs;
//   - the screen is shown before every key read that waits and every tone,
//     on flush(), and at the latest a few tens of milliseconds after it was
//     drawn on, whatever the program does meanwhile (a thread of the Terminal
//     shows it; every call of the Backend is made with the Terminal's lock
//     held, so the backend is never entered twice at once);
//   - when the Terminal is destroyed the screen is presented a last time
//     before the backend is destroyed; the backend leaves it visible;
//   - key reads return the classic key codes of keys.h. Keys stuffed into the
//     type-ahead buffer come before the device's. With cancel enabled (the
//     default) the cancel key Alt-C (302) arriving from the device at any key
//     read writes to the error output
//         "Cancelled at: NAME (line)\n"   the innermost active routine,
//         "Called from NAME (line)\n"     once per outer routine, outwards,
//     and throws err::ProgramExit(0). With no active routine the first line
//     is "Cancelled at: \n". A stuffed 302 is an ordinary key.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <thread>

#include "rt/err/error.h"
#include "rt/term/color.h"
#include "rt/term/keys.h"
#include "rt/term/printer.h"
#include "rt/term/screen.h"

namespace rt::term {

class Terminal {
 public:
  Terminal(err::ErrorSystem& errors, std::unique_ptr<Backend> backend);
  ~Terminal();
  Terminal(const Terminal&) = delete;
  Terminal& operator=(const Terminal&) = delete;

  const Screen& screen() const { return screen_; }

  // Colours (SETCOLOR). setColor applies a colour string (color.h);
  // colorSpec gives the whole setting back as a string for setColor;
  // setColors puts back a setting read with colors().
  void setColor(std::string_view spec);
  void setColors(const ColorSet& colors) { colors_ = colors; }
  std::string colorSpec() const { return colorSpecText(colors_); }
  const ColorSet& colors() const { return colors_; }

  // The output device of devPos/devOut (SET DEVICE): the screen or the
  // printer (printer.h). Boxes, clearing and cells always go to the screen.
  enum class Device { Screen, Printer };
  void setDevice(Device d) { device_ = d; }
  Device device() const { return device_; }
  Printer& printer() { return printer_; }

  // Device position and output (DEVPOS, DEVOUT, ROW, COL). devOut writes at
  // the position and moves it right by the length of the text; what passes
  // column 79 is cut off (no wrap). The colour is the standard slot, the
  // first pair of `color` (the standard slot when that pair is empty), or
  // the attribute byte `attr`.
  void devPos(int row, int col);
  int row() const { return row_; }
  int col() const { return col_; }
  void devOut(std::string_view text);
  void devOut(std::string_view text, std::string_view color);
  void devOutAttr(std::string_view text, std::uint8_t attr);
  // devPos(row, col), devOutAttr(text, attr) and devPos(toRow, toCol) as one
  // change of the screen.
  void devOutAttrAt(int row, int col, std::string_view text, std::uint8_t attr, int toRow, int toCol);

  // Box (DISPBOX) in the standard colour. `frame` holds the border
  // characters top-left, top, top-right, right, bottom-right, bottom,
  // bottom-left, left (missing ones are blanks) and an optional ninth that
  // fills the inside; without it the inside is left as it is.
  void dispBox(int top, int left, int bottom, int right, std::string_view frame);
  // Blanks in the standard colour (@ ... CLEAR TO); cls() clears the whole
  // screen and puts the position at 0, 0 (CLS).
  void clear(int top, int left, int bottom, int right);
  void cls();

  // Single cells, e.g. for shadows.
  Cell cell(int row, int col) const { return screen_.cell(row, col); }
  void setCell(int row, int col, Cell c);

  // Rectangle save and restore (SAVESCREEN / RESTSCREEN at the same place).
  Region saveRegion(int top, int left, int bottom, int right) const;
  void restoreRegion(const Region& region);

  // Cursor shape (SETCURSOR); the cursor stands at the device position.
  void setCursor(CursorShape shape);
  CursorShape cursor() const { return shape_; }

  // Keyboard. inkey waits up to `seconds` (0: without limit) and gives 0 when
  // no key came (INKEY(n)); readKey waits without limit (INKEY(0)); pollKey
  // does not wait (INKEY()); nextKey tells the key that the next read would
  // return without taking it, 0 if none is waiting (NEXTKEY). Every key
  // returned by a read becomes the last key.
  int inkey(double seconds);
  int readKey();
  int pollKey();
  int nextKey();

  // Type-ahead (CLEAR TYPEAHEAD, KEYBOARD). clearTypeAhead drops the stuffed
  // keys and the device's unread ones; stuff appends to the stuffed keys.
  void clearTypeAhead();
  void stuff(int key);
  void stuff(std::span<const int> keys);
  void stuffText(std::string_view cp860);

  int lastKey() const { return lastKey_; }
  void setLastKey(int key) { lastKey_ = key; }

  // The cancel key (SETCANCEL); on by default.
  void setCancel(bool on) { cancel_ = on; }
  bool cancelEnabled() const { return cancel_; }

  // TONE(frequency, ticks).
  void tone(double frequency, double ticks);

  // Shows the screen now.
  void flush();

 private:
  using Lock = std::unique_lock<std::mutex>;
  void changed(const Lock&);
  void show(const Lock&);
  void showLater();
  // Every live terminal held still across a fork, so that a child never
  // starts with a lock its shower thread held.
  static void holdAll();
  static void releaseAll();
  void put(int row, int col, std::uint8_t ch, std::uint8_t attr);
  void outAt(std::string_view text, std::uint8_t attr);  // devOutAttr on the screen, mu_ held
  void clearCells(int top, int left, int bottom, int right);
  int fromDevice(int timeoutMs);
  int take(int timeoutMs);

  err::ErrorSystem& errors_;
  std::unique_ptr<Backend> backend_;
  Device device_ = Device::Screen;
  Printer printer_{errors_};
  Screen screen_;
  ColorSet colors_;
  int row_ = 0, col_ = 0;
  CursorShape shape_ = CursorShape::Normal;
  std::deque<int> typeAhead_;
  std::optional<int> peeked_;  // a device key seen by nextKey, not yet read
  int lastKey_ = 0;
  bool cancel_ = true;
  // The screen and the cursor are written by the program's thread with mu_
  // held; the shower thread reads them with mu_ held.
  std::mutex mu_;
  std::condition_variable wake_;
  bool dirty_ = true;
  bool stop_ = false;
  std::chrono::steady_clock::time_point dirtySince_{};
  unsigned sinceLook_ = 0;  // changes since the clock was last read
  std::thread shower_;
};

}  // namespace rt::term
