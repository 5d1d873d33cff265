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

std::string_view noRegistro(rt::db::Area& a, int pos, const char* registro) {
  const rt::db::Field& f = a.table()->fields()[static_cast<std::size_t>(pos)];
  return std::string_view(registro + f.offset, static_cast<std::size_t>(f.width));
}

bool igual(Sistema& s, std::string_view a, std::string_view b) {
  return rt::text::equals(a, b, s.rt.db.settings().exact);
}

bool removeLinhas(rt::db::Area& a, const std::function<bool(const char* registro)>& remover) {
  if (!a.used() || a.orderCount() > 0) {
    // Without a table this raises the layer's error; with orders the
    // layer's own delete and pack keep them current.
    if (!a.used()) return a.pack();
    for (a.goTop(); !a.eof(); a.skip(1))
      if (remover(a.table()->record())) a.deleteRecord();
    return a.pack();
  }
  if (!a.commit()) return false;
  const bool ok = a.table()->rewrite([&](const char* reg) { return reg[0] != '*' && !remover(reg); });
  a.goTop();
  return ok;
}

}  // namespace fpo::importar
