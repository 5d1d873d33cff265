// The independent dBASE reader of the tests (Debian's python3-dbfread,
// through read_dbf.py beside this file), and the same rows as read here.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "rt/db/dbf.h"
#include "rt/text/cp860.h"
#include "rt/text/strings.h"

namespace fpo::test {

// Whether the reader can be run (it runs beside the Linux build only).
inline bool haveDbfread() {
#ifdef _WIN32
  return false;
#else
  static const bool ok = std::system("/usr/bin/python3 -c 'import dbfread' >/dev/null 2>&1") == 0;
  return ok;
#endif
}

// What read_dbf.py prints in a mode ("dump" or "rows") for the tables, its
// error output included; ok is false when it failed.
inline std::string dbfread(const std::string& mode, const std::vector<std::filesystem::path>& tables,
                           bool* ok = nullptr) {
  std::string cmd = "/usr/bin/python3 " FPO_SOURCE_DIR "/tests/support/read_dbf.py " + mode;
  for (const auto& t : tables) cmd += " '" + t.string() + "'";
  cmd += " 2>&1";
  std::string out;
  int status = -1;
#ifndef _WIN32
  if (FILE* p = ::popen(cmd.c_str(), "r")) {
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    status = ::pclose(p);
  }
#endif
  if (ok) *ok = status == 0;
  return out;
}

// The "rows" form of read_dbf.py for tables read by this run-time.
inline std::string rowsReadHere(const std::vector<std::filesystem::path>& tables, rt::err::ErrorSystem& es) {
  std::string out;
  for (const auto& t : tables) {
    auto tab = rt::db::Table::open(t, es);
    if (!tab) return out + "cannot open " + t.string() + "\n";
    std::string linhas;
    std::uint32_t vivas = 0;
    for (std::uint32_t r = 1; r <= tab->lastRec(); ++r) {
      tab->load(r);
      if (tab->deleted()) continue;
      ++vivas;
      std::string linha;
      for (std::size_t i = 0; i < tab->fields().size(); ++i) {
        const auto& f = tab->fields()[i];
        std::string v(rt::text::rTrim(tab->raw(static_cast<int>(i))));
        if (f.type == 'N' && !rt::text::blank(v)) {
          char num[64];
          std::snprintf(num, sizeof num, "%.4f", tab->get(static_cast<int>(i)).num());
          v = num;
        } else if (f.type == 'N') {
          v.clear();
        }
        linha += (i ? "|" : "") + rt::text::toUtf8(v);
      }
      linhas += linha + "\n";
    }
    out += "# " + std::to_string(vivas);
    for (const auto& f : tab->fields()) out += " " + f.name;
    out += "\n" + linhas;
  }
  return out;
}

}  // namespace fpo::test
