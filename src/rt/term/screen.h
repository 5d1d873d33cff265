// rt/term/screen: the screen of cells and the device interface behind it.
//
// The screen is rows 0..24 of 80 columns; each cell holds one code page 860
// byte and one attribute byte (see color.h). Reads outside the screen give a
// blank cell, writes outside are dropped.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace rt::term {

inline constexpr int kRows = 25;
inline constexpr int kCols = 80;

struct Cell {
  std::uint8_t ch = ' ';
  std::uint8_t attr = 0x07;
  friend bool operator==(const Cell&, const Cell&) = default;
};

class Screen {
 public:
  static constexpr bool inside(int row, int col) {
    return row >= 0 && row < kRows && col >= 0 && col < kCols;
  }

  Cell cell(int row, int col) const { return inside(row, col) ? cells_[index(row, col)] : Cell{}; }
  void set(int row, int col, Cell c) {
    if (inside(row, col)) cells_[index(row, col)] = c;
  }
  std::uint8_t attr(int row, int col) const { return cell(row, col).attr; }

  // The characters of a row (80 code page 860 bytes), or `len` of them from
  // `col` (positions outside the screen read as blanks).
  std::string rowText(int row) const { return text(row, 0, kCols); }
  std::string text(int row, int col, int len) const;

  friend bool operator==(const Screen&, const Screen&) = default;

 private:
  static constexpr std::size_t index(int row, int col) { return static_cast<std::size_t>(row * kCols + col); }
  std::array<Cell, kRows * kCols> cells_{};
};

// A saved rectangle of the screen (the part of it that lies on the screen).
class Region {
 public:
  Region() = default;
  friend bool operator==(const Region&, const Region&) = default;

 private:
  friend class Terminal;
  int top_ = 0, left_ = 0, bottom_ = -1, right_ = -1;
  std::vector<Cell> cells_;
};

enum class CursorShape { None = 0, Normal = 1, Insert = 2 };

struct CursorState {
  int row = 0;
  int col = 0;
  CursorShape shape = CursorShape::Normal;
};

// The device under a Terminal: shows the screen, delivers keys, sounds tones.
// The Terminal never makes two calls at once, but present() may come from a
// thread of the Terminal's own while the program works. The Terminal
// presents its screen a last time before destroying the backend; destroyed,
// the backend gives the device back with that screen left visible on it.
class Backend {
 public:
  virtual ~Backend() = default;

  // Shows the screen and the cursor (a cursor outside the screen is hidden).
  virtual void present(const Screen& screen, const CursorState& cursor) = 0;

  // The next key from the device as a classic key code (keys.h), waiting up
  // to timeoutMs milliseconds (-1 forever, 0 only what is already there);
  // 0 when none came. May throw err::ProgramExit when the device is gone.
  virtual int readKey(int timeoutMs) = 0;

  // Drops the keys that have reached the device but were not read yet.
  virtual void discardPending() = 0;

  // Frequency in Hz, duration in clock ticks (18.2 a second).
  virtual void tone(double frequency, double ticks) = 0;
};

}  // namespace rt::term
