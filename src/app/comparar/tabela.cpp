// The critique's helpers: the run's names, work tables, check digits.
#include <algorithm>

#include "app/comparar/critica.h"
#include "app/funcoes/Funcoes.h"
#include "rt/text/compare.h"
#include "rt/text/number.h"
#include "rt/text/strings.h"

namespace fpo::comparar {

const std::string& Critica::municipio() const {
  if (municipioDe_ != CODMNC) {
    municipio_ = "23" + strZero(CODMNC, 4);
    municipioDe_ = CODMNC;
  }
  return municipio_;
}

std::string Critica::nacional(std::string_view stem) const {
  return UNIDADE + std::string(stem) + REF_ARQ + ".TXT";
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

namespace {

char digitoDe(std::string_view codups) {
  double v = valor(codups);
  if (!(v > -1e15 && v < 1e15)) v = 0;  // only the six lowest digits count anyway
  return static_cast<char>('0' + CALDIGUPS(static_cast<long long>(v)));
}

}  // namespace

std::string digito(std::string_view codups) { return std::string(1, digitoDe(codups)); }

bool igualComDigito(Sistema& s, std::string_view codups, std::string_view uid) {
  // The usual code of six characters is joined in place.
  char junto[16];
  if (codups.size() < sizeof junto) {
    std::copy(codups.begin(), codups.end(), junto);
    junto[codups.size()] = digitoDe(codups);
    return igual(s, std::string_view(junto, codups.size() + 1), uid);
  }
  return igual(s, std::string(codups) + digitoDe(codups), uid);
}

}  // namespace fpo::comparar
