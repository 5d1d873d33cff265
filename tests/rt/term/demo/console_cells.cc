// The last screen the console backend leaves in the user's console, read
// back cell by cell: every row of it whole with its colours, one under the
// other with no empty row between, below what the console held and above
// the error output. Once in a buffer taller than the screen, once in one so
// short that the top rows go off it. Run in a console window (under wine in
// tmux by the smoke test); exit code 0 when every cell is right, else the
// differences go to the file named by the argument.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "rt/term/console_map.h"
#include "rt/term/device.h"
#include "rt/term/screen.h"
#include "rt/text/cp860.h"

namespace {

namespace term = rt::term;

// Every row filled to the last column, every byte of the code page, a run
// of colours.
term::Screen pattern() {
  term::Screen s;
  for (int r = 0; r < term::kRows; ++r)
    for (int c = 0; c < term::kCols; ++c) {
      const int n = r * term::kCols + c;
      s.set(r, c, {static_cast<std::uint8_t>(n % 256), static_cast<std::uint8_t>((n / 7) % 256)});
    }
  return s;
}

// The first len characters of a row of cells read back.
std::wstring rowText(const std::vector<CHAR_INFO>& cells, int row, int len) {
  std::wstring t;
  for (int c = 0; c < len; ++c) t += cells[static_cast<std::size_t>(row * term::kCols + c)].Char.UnicodeChar;
  return t;
}

// One round: the buffer `height` rows high, a line written at row `start`,
// then the program's screen, then the error output. The faults found go to
// `out`.
void round(HANDLE user, SHORT height, SHORT start, std::vector<std::string>& out) {
  const std::string at = "height " + std::to_string(height) + ": ";
  SMALL_RECT window{0, 0, term::kCols - 1, static_cast<SHORT>(std::min<SHORT>(height, 25) - 1)};
  SetConsoleWindowInfo(user, TRUE, &window);
  if (!SetConsoleScreenBufferSize(user, COORD{term::kCols, height})) {
    out.push_back(at + "the buffer cannot be sized");
    return;
  }
  DWORD n = 0;
  FillConsoleOutputCharacterW(user, L' ', term::kCols * height, COORD{0, 0}, &n);
  FillConsoleOutputAttribute(user, 0x07, term::kCols * height, COORD{0, 0}, &n);
  SetConsoleCursorPosition(user, COORD{0, start});
  WriteConsoleW(user, L"antes\r\n", 7, &n, nullptr);

  const term::Screen screen = pattern();
  {
    term::DeviceOpen open = term::openDevice();
    if (!open.backend) {
      out.push_back(at + open.error);
      return;
    }
    open.backend->present(screen, {0, 0, term::CursorShape::None});
  }
  term::writeErrorOutput("\r\nErro de teste\n");

  CONSOLE_SCREEN_BUFFER_INFO info;
  GetConsoleScreenBufferInfo(user, &info);
  std::vector<CHAR_INFO> cells(static_cast<std::size_t>(term::kCols * height));
  SMALL_RECT all{0, 0, term::kCols - 1, static_cast<SHORT>(height - 1)};
  ReadConsoleOutputW(user, cells.data(), COORD{term::kCols, height}, COORD{0, 0}, &all);

  // From the bottom: the cursor, the error text above it, the empty row
  // the error output begins with, the screen's rows, what was there before.
  const int cursor = info.dwCursorPosition.Y;
  const int shown = std::min(term::kRows, cursor - 2);
  const int wanted = height > term::kRows + 3 ? term::kRows : height - 3;
  if (shown != wanted || info.dwCursorPosition.X != 0)
    out.push_back(at + "the cursor at row " + std::to_string(cursor) + ", column " +
                  std::to_string(info.dwCursorPosition.X));
  if (rowText(cells, cursor - 1, 13) != L"Erro de teste")
    out.push_back(at + "no error text above the cursor");
  if (rowText(cells, cursor - 2, term::kCols) != std::wstring(term::kCols, L' '))
    out.push_back(at + "the error output does not begin on a row of its own");
  const int top = cursor - 2 - shown;
  if (wanted == term::kRows && rowText(cells, top - 1, 5) != L"antes")
    out.push_back(at + "the screen does not follow what the console held");
  for (int i = 0; i < shown; ++i) {
    const int row = term::kRows - shown + i;
    for (int c = 0; c < term::kCols; ++c) {
      const term::Cell want = screen.cell(row, c);
      const CHAR_INFO& got = cells[static_cast<std::size_t>((top + i) * term::kCols + c)];
      if (got.Char.UnicodeChar != static_cast<WCHAR>(rt::text::toUnicode(want.ch)) ||
          got.Attributes != term::console::attribute(want.attr)) {
        out.push_back(at + "screen row " + std::to_string(row) + ", column " + std::to_string(c) +
                      " is not as drawn");
        break;
      }
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  const HANDLE user = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  std::vector<std::string> faults;
  if (user == INVALID_HANDLE_VALUE) {
    faults.push_back("no console");
  } else {
    round(user, 60, 3, faults);
    round(user, 25, 20, faults);
  }
  if (argc > 1) {
    if (FILE* f = std::fopen(argv[1], "w")) {
      for (const auto& line : faults) std::fprintf(f, "%s\n", line.c_str());
      std::fclose(f);
    }
  }
  return faults.empty() ? 0 : 1;
}
