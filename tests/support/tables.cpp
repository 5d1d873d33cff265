#include "support/tables.h"

#include <stdexcept>

#include "rt/text/cp860.h"
#include "rt/text/strings.h"

namespace fpo::test {

namespace {
// Tests run without a handler: any table error is a test failure.
rt::err::ErrorSystem& quiet() {
  static rt::err::ErrorSystem es;
  return es;
}
}  // namespace

rt::Value C(const char* utf8) { return rt::Value(rt::text::fromUtf8(utf8)); }
rt::Value D(const char* yyyymmdd) { return rt::Value(rt::Date::fromDtos(yyyymmdd)); }

void makeTable(const std::filesystem::path& path, const std::vector<rt::db::FieldSpec>& fields,
               const std::vector<Row>& rows, const std::vector<int>& deleted) {
  auto& es = quiet();
  if (!rt::db::Table::create(path, fields, es)) throw std::runtime_error("cannot create " + path.string());
  auto t = rt::db::Table::open(path, es);
  if (!t) throw std::runtime_error("cannot open " + path.string());
  for (std::size_t r = 0; r < rows.size(); ++r) {
    t->appendBlank();
    for (std::size_t f = 0; f < rows[r].size() && f < fields.size(); ++f)
      if (!rows[r][f].isNil()) t->put(static_cast<int>(f), rows[r][f]);
    for (int d : deleted)
      if (d == static_cast<int>(r + 1)) t->setDeleted(true);
  }
  t->close();
}

std::vector<Record> readTable(const std::filesystem::path& path) {
  auto t = rt::db::Table::open(path, quiet());
  if (!t) throw std::runtime_error("cannot open " + path.string());
  std::vector<Record> out;
  for (std::uint32_t r = 1; r <= t->lastRec(); ++r) {
    t->load(r);
    Record rec;
    rec.deleted = t->deleted();
    for (std::size_t f = 0; f < t->fields().size(); ++f)
      rec.fields.emplace_back(rt::text::rTrim(t->raw(static_cast<int>(f))));
    out.push_back(std::move(rec));
  }
  t->close();
  return out;
}

std::vector<std::string> fieldNames(const std::filesystem::path& path) {
  auto t = rt::db::Table::open(path, quiet());
  if (!t) throw std::runtime_error("cannot open " + path.string());
  std::vector<std::string> names;
  for (const auto& f : t->fields()) names.push_back(f.name);
  t->close();
  return names;
}

}  // namespace fpo::test
