// The field readers: by name on each read, or through a Tabela that keeps
// each field's position for the table open under its alias.
#include "app/campos.h"

#include "rt/text/compare.h"
#include "rt/text/number.h"

namespace fpo {

bool igual(Sistema& s, std::string_view a, std::string_view b) {
  return rt::text::equals(a, b, s.rt.db.settings().exact);
}

double valor(std::string_view t) {
  // Codes and amounts of digits alone, the usual case, are read here.
  if (!t.empty() && t.size() <= 15) {
    long long n = 0;
    for (char c : t) {
      if (c < '0' || c > '9') return rt::text::val(t).value;
      n = n * 10 + (c - '0');
    }
    return static_cast<double>(n);
  }
  return rt::text::val(t).value;
}

int campo(rt::db::Area& a, std::string_view nome) {
  const int p = a.fieldPos(nome);
  if (p < 0) a.get(nome);  // the error of a read of an unknown field, or of an unused area
  return p;
}

std::string_view bruto(rt::db::Area& a, int pos) {
  if (pos < 0 || !a.used()) return {};
  return a.table()->raw(pos);
}

std::string texto(rt::db::Area& a, std::string_view nome) {
  const int p = campo(a, nome);
  if (p < 0) return {};
  if (a.table()->fields()[static_cast<std::size_t>(p)].type == 'C') return std::string(a.table()->raw(p));
  const rt::Value v = a.get(p);  // a type no table holds is its error
  return v.isString() ? v.string() : std::string();
}

bool textual(rt::db::Area& a, int pos) {
  return pos >= 0 && a.used() && static_cast<std::size_t>(pos) < a.table()->fields().size() &&
         a.table()->fields()[static_cast<std::size_t>(pos)].type == 'C';
}

std::string texto(rt::db::Area& a, rt::db::Lookup& l, int pos) {
  if (textual(a, pos)) return std::string(l.raw(pos));
  if (pos < 0 || !a.used() || static_cast<std::size_t>(pos) >= a.table()->fields().size()) return {};
  const rt::Value v = l.get(pos);  // a type no table holds is its error
  return v.isString() ? v.string() : std::string();
}

double numero(rt::db::Area& a, std::string_view nome) {
  const int p = campo(a, nome);
  if (p < 0) return 0;
  const rt::Value v = a.get(p);
  return v.isNumber() ? v.num() : 0;
}

rt::db::Area* Tabela::area() {
  // Still open on the table the positions belong to: an area keeps its alias
  // while its table is open.
  if (area_ && serial_ != 0 && area_->used() && area_->table()->serial() == serial_) return area_;
  if (!area_ || !area_->used() || area_->alias() != alias_) {
    area_ = s_.rt.db.find(alias_);
    if (!area_) s_.rt.db.select(alias_);  // the error of an alias that does not exist
  }
  rt::db::Table* t = area_ ? area_->table() : nullptr;
  const std::uint64_t serial = t ? t->serial() : 0;
  if (serial != serial_) {
    pos_.clear();
    serial_ = serial;
  }
  return area_;
}

void Tabela::seleciona() {
  if (rt::db::Area* a = area()) s_.rt.db.select(a->number());
}

namespace {

// Field names are short: compared here without a library call.
bool mesmoNome(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i]) return false;
  return true;
}

}  // namespace

const Tabela::Posicao& Tabela::posicao(std::string_view nome) {
  static const Posicao nenhuma{{}, nullptr, -1, '\0'};
  rt::db::Area* a = area();
  if (!a) return nenhuma;
  // The names are mostly the same literals: their address finds them first.
  for (const Posicao& e : pos_)
    if (e.onde == nome.data() && mesmoNome(e.nome, nome)) return e;
  for (const Posicao& e : pos_)
    if (e.nome == nome) return e;
  const int p = campo(*a, nome);
  const char t = p < 0 ? '\0' : a->table()->fields()[static_cast<std::size_t>(p)].type;
  pos_.push_back({std::string(nome), nome.data(), p, t});
  return pos_.back();
}

std::string Tabela::c(std::string_view nome) {
  const int p = posicao(nome).pos;
  if (p < 0) return {};
  const rt::Value v = area_->get(p);
  if (v.isString()) return v.string();
  if (v.isNumber()) return rt::text::str(v.num(), v.numberInfo().width, v.numberInfo().decimals);
  if (v.isDate()) return v.date().dtos();
  return {};
}

std::string_view Tabela::v(std::string_view nome) {
  const Posicao& e = posicao(nome);
  if (e.tipo == 'C') return area_->table()->raw(e.pos);
  std::string& copia = copias_[proxima_++ % copias_.size()];
  copia = c(nome);
  return copia;
}

double Tabela::n(std::string_view nome) {
  const Posicao& e = posicao(nome);
  const int p = e.pos;
  if (p < 0) return 0;
  // Text and number fields are Val of their bytes, read where they stand.
  const char t = e.tipo;
  if (t == 'C') return valor(area_->table()->raw(p));
  if (t == 'N' || t == 'F') return rt::text::val(area_->table()->raw(p)).value;
  const rt::Value v = area_->get(p);
  if (v.isNumber()) return v.num();
  if (v.isString()) return valor(v.string());
  return 0;
}

}  // namespace fpo
