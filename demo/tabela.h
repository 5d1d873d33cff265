// Writing the demo's tables with the run-time's own table layer.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "rt/db/dbf.h"
#include "rt/err/error.h"
#include "rt/expr/value.h"
#include "rt/text/cp860.h"

namespace demo {

using rt::db::FieldSpec;
using Row = std::vector<rt::Value>;

// A text from a UTF-8 literal; a text already in code page 860; a number; a
// date "YYYYMMDD".
inline rt::Value C(const char* utf8) { return rt::Value(rt::text::fromUtf8(utf8)); }
inline rt::Value T(std::string cp860) { return rt::Value(std::move(cp860)); }
inline rt::Value N(double v) { return rt::Value::number(v); }
inline rt::Value D(const char* yyyymmdd) { return rt::Value(rt::Date::fromDtos(yyyymmdd)); }

// Creates the table with these rows (nil leaves a field blank); throws on a
// failure of the table layer.
inline void tabela(const std::filesystem::path& path, const std::vector<FieldSpec>& fields,
                   const std::vector<Row>& rows) {
  rt::err::ErrorSystem es;  // no handler: a failure throws
  if (!rt::db::Table::create(path, fields, es)) throw std::runtime_error("cannot create " + path.string());
  auto t = rt::db::Table::open(path, es);
  if (!t) throw std::runtime_error("cannot open " + path.string());
  for (const Row& r : rows) {
    t->appendBlank();
    for (std::size_t f = 0; f < r.size() && f < fields.size(); ++f)
      if (!r[f].isNil()) t->put(static_cast<int>(f), r[f]);
  }
  if (!t->close()) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace demo
