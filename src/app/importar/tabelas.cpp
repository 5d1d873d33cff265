// Helpers of the import over the work areas.
#include "app/importar/passos.h"
#include "rt/text/compare.h"

namespace fpo::importar {

int campo(rt::db::Area& a, std::string_view nome) {
  const int p = a.fieldPos(nome);
  if (p < 0) a.get(nome);  // the error of a read of an unknown field, or of an unused area
  return p;
}

std::string_view bruto(rt::db::Area& a, int pos) {
  if (pos < 0 || !a.used()) return {};
  return a.table()->raw(pos);
}

bool igual(Sistema& s, std::string_view a, std::string_view b) {
  return rt::text::equals(a, b, s.rt.db.settings().exact);
}

}  // namespace fpo::importar
