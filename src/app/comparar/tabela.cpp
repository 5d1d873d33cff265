// The critique's helpers: field reads by name, work tables, texts.
#include <algorithm>
#include <cstring>

#include "app/comparar/critica.h"
#include "app/funcoes/Funcoes.h"
#include "rt/text/compare.h"
#include "rt/text/number.h"
#include "rt/text/strings.h"

namespace fpo::comparar {

const std::string& Critica::municipio() const {
  if (municipioDe_ != CODMNC) {
    municipio_ = "23" + zeros(CODMNC, 4);
    municipioDe_ = CODMNC;
  }
  return municipio_;
}

std::string Critica::nacional(std::string_view stem) const {
  return UNIDADE + std::string(stem) + REF_ARQ + ".TXT";
}

rt::db::Area* Tabela::area() {
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

int Tabela::pos(std::string_view nome) {
  // The names are mostly the same literals: their address finds them first.
  for (const Posicao& e : pos_)
    if (e.onde == nome.data() && e.nome == nome) return e.pos;
  for (const Posicao& e : pos_)
    if (e.nome == nome) return e.pos;
  rt::db::Area* a = area();
  if (!a) return -1;
  const int p = a->fieldPos(nome);
  if (p < 0) a->get(nome);  // told once: the error of a read of an unknown field
  pos_.push_back({std::string(nome), nome.data(), p});
  return p;
}

std::string Tabela::c(std::string_view nome) {
  const int p = pos(nome);
  if (p < 0) return {};
  const rt::Value v = area_->get(p);
  if (v.isString()) return v.string();
  if (v.isNumber()) return rt::text::str(v.num(), v.numberInfo().width, v.numberInfo().decimals);
  if (v.isDate()) return v.date().dtos();
  return {};
}

std::string_view Tabela::v(std::string_view nome) {
  const int p = pos(nome);
  if (p >= 0 && area_ && area_->used()) {
    rt::db::Table* t = area_->table();
    if (p < static_cast<int>(t->fields().size()) && t->fields()[static_cast<std::size_t>(p)].type == 'C')
      return t->raw(p);
  }
  std::string& copia = copias_[proxima_++ % copias_.size()];
  copia = c(nome);
  return copia;
}

double Tabela::n(std::string_view nome) {
  const int p = pos(nome);
  if (p < 0) return 0;
  // Text and number fields are Val of their bytes, read where they stand.
  if (area_ && area_->used()) {
    rt::db::Table* t = area_->table();
    if (p < static_cast<int>(t->fields().size())) {
      const char tipo = t->fields()[static_cast<std::size_t>(p)].type;
      if (tipo == 'C') return val(t->raw(p));
      if (tipo == 'N' || tipo == 'F') return rt::text::val(t->raw(p)).value;
    }
  }
  const rt::Value v = area_->get(p);
  if (v.isNumber()) return v.num();
  if (v.isString()) return val(v.string());
  return 0;
}

rt::db::Area& criaTrabalho(Sistema& s, Critica& c, std::string_view nome, std::string_view alias,
                           std::vector<rt::db::FieldSpec> campos) {
  FPO_ROUTINE(s, "criaTrabalho");
  auto& db = s.rt.db;
  c.ARQUIVO = c.DIRETORIO + std::string(nome);
  c.VT_BANCO = std::move(campos);
  db.create(c.ARQUIVO, c.VT_BANCO);
  db.use(c.ARQUIVO, alias, true);
  rt::db::Area& a = db.current();
  // A table just made has no rows: emptying it would only write it again.
  if (a.used() && a.lastRec() > 0) a.zap();
  return a;
}

char* Lote::novo() {
  if (bytes_.size() + tamanho_ > (1u << 20)) grava();
  bytes_.append(tamanho_, ' ');
  ++n_;
  return bytes_.data() + bytes_.size() - tamanho_;
}

void Lote::texto(char* rec, int campo, std::string_view bytes) const {
  const rt::db::Field& f = t_.fields()[static_cast<std::size_t>(campo)];
  const auto w = static_cast<std::size_t>(f.width);
  const std::size_t n = std::min(w, bytes.size());
  if (n) std::memcpy(rec + f.offset, bytes.data(), n);
  std::memset(rec + f.offset + n, ' ', w - n);
}

bool Lote::grava() {
  const bool ok = t_.appendRecords(bytes_.data(), n_);
  bytes_.clear();
  n_ = 0;
  return ok;
}

bool igual(Sistema& s, std::string_view a, std::string_view b) {
  return rt::text::equals(a, b, s.rt.db.settings().exact);
}

std::string sub(std::string_view t, std::size_t from, std::size_t n) {
  if (from >= t.size()) return {};
  return std::string(t.substr(from, n));
}

std::string digito(std::string_view codups) {
  double v = val(codups);
  if (!(v > -1e15 && v < 1e15)) v = 0;  // only the six lowest digits count anyway
  return std::string(1, static_cast<char>('0' + CALDIGUPS(static_cast<long long>(v))));
}

double val(std::string_view t) {
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

std::string zeros(double n, int width) { return rt::text::strZero(n, width); }

std::string brancos(int n) { return rt::text::space(n); }

}  // namespace fpo::comparar
