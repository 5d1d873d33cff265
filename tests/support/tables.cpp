// Tables read back for tests: every record with its deletion flag and its
// fields' text, trailing blanks cut; and the field names.
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
