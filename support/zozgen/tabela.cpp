// Tables written row by row through the run-time's table layer, without an
// error handler: any failure throws.
#include "zozgen/tabela.h"

#include <algorithm>
#include <stdexcept>

#include "rt/err/error.h"
#include "rt/text/cp860.h"

namespace zozgen {

rt::Value C(const char* utf8) { return rt::Value(rt::text::fromUtf8(utf8)); }
rt::Value D(const char* yyyymmdd) { return rt::Value(rt::Date::fromDtos(yyyymmdd)); }

void tabela(const std::filesystem::path& path, const std::vector<rt::db::FieldSpec>& fields,
            const std::vector<Row>& rows, const std::vector<int>& deleted) {
  rt::err::ErrorSystem es;  // no handler: a failure throws
  if (!rt::db::Table::create(path, fields, es)) throw std::runtime_error("cannot create " + path.string());
  auto t = rt::db::Table::open(path, es);
  if (!t) throw std::runtime_error("cannot open " + path.string());
  for (std::size_t r = 0; r < rows.size(); ++r) {
    t->appendBlank();
    for (std::size_t f = 0; f < rows[r].size() && f < fields.size(); ++f)
      if (!rows[r][f].isNil()) t->put(static_cast<int>(f), rows[r][f]);
    if (std::find(deleted.begin(), deleted.end(), static_cast<int>(r + 1)) != deleted.end())
      t->setDeleted(true);
  }
  if (!t->close()) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace zozgen
