// The federal-complement price rows of S_VPA: the month's earlier
// complement rows replaced by one per elective procedure of the month, and
// the municipality written into every price row from 2012/08 on.
#include <set>

#include "app/funcoes/Funcoes.h"
#include "app/importar/passos.h"
#include "rt/text/compare.h"
#include "rt/text/cp860.h"
#include "rt/text/number.h"

namespace fpo::importar {

namespace {

const std::string_view kExcluidos = "040505009,040505010,040505011,040505037";

std::string ajusta(std::string_view v, int largura) {
  std::string saida(v.substr(0, static_cast<std::size_t>(std::max(largura, 0))));
  saida.resize(static_cast<std::size_t>(std::max(largura, 0)), ' ');
  return saida;
}

int larguraDe(rt::db::Area& a, int pos) {
  return pos < 0 ? 0 : a.table()->fields()[static_cast<std::size_t>(pos)].width;
}

}  // namespace

double valorComplemento(double PA_TOTAL, double WVALCOM) {
  const double WVPA3 = rt::text::roundTo(PA_TOTAL * (WVALCOM / 100), 3);
  return rt::text::intPart(WVPA3 * 1000 / 10) / 100;
}

void complementoFederal(Sistema& s, Importacao& r) {
  FPO_ROUTINE(s, "complementoFederal");
  auto& db = s.rt.db;
  const bool exato = db.settings().exact;
  r.montando = "\\ZOZ\\S_VPA.DBF";
  MENSAGEM(s, 24, "Atualizando VPA para Gestao Municipal");
  db.use("s_pa", "SPA", true);
  rt::db::Area& spa = db.current();
  db.use("s_vpa", "SVPA", true);
  rt::db::Area& svpa = db.current();

  const double WVALCOM = s.WVALCOM.value_or(0);
  const int paId = campo(spa, "PA_ID"), paCmp = campo(spa, "PA_CMP");
  const int paEletiva = campo(spa, "PA_ELETIVA"), paTotal = campo(spa, "PA_TOTAL");
  const int vCmp = campo(svpa, "VPA_CMP"), vPa = campo(svpa, "VPA_PA"), vTipo = campo(svpa, "VPA_TIPO");
  const int vTotal = campo(svpa, "VPA_TOTAL"), vSa = campo(svpa, "VPA_SA"), vCtf = campo(svpa, "VPA_CTF");
  const int vRub = campo(svpa, "VPA_RUB"), vMvm = campo(svpa, "VPA_MVM"), vMun = campo(svpa, "VPA_MUN");

  // The month's elective procedures that get a complement row, in the
  // order of S_PA. A procedure found twice among them stops the program
  // before S_VPA is touched.
  std::vector<std::uint32_t> procedimentos;
  if (WVALCOM != 0) {
    const std::size_t tamanhoChave =
        static_cast<std::size_t>(larguraDe(svpa, vCmp) + larguraDe(svpa, vPa) + larguraDe(svpa, vTipo));
    std::set<std::string> chaves;
    for (spa.goTop(); !spa.eof(); spa.skip(1)) {
      const std::string_view id = bruto(spa, paId);
      if (kExcluidos.find(id.substr(0, 9)) != std::string_view::npos) continue;
      const std::string_view cmp = bruto(spa, paCmp);
      if (!rt::text::equals(cmp, r.periodo, exato) || !rt::text::equals(bruto(spa, paEletiva), "S", exato))
        continue;
      std::string procurada = std::string(cmp) + std::string(id) + "1";
      if (procurada.size() > tamanhoChave) procurada.resize(tamanhoChave);
      const auto achada = chaves.lower_bound(procurada);
      if (svpa.used() && achada != chaves.end() && rt::text::startsWith(*achada, procurada)) {
        FPO_LINE(s);
        NEWALERT(s,
                 std::string("Problema na Geracao do Valor Complemento Federal - Cancelado. Tecle <ENTER>"));
        throw rt::err::ProgramExit(0);
      }
      chaves.insert(ajusta(cmp, larguraDe(svpa, vCmp)) + ajusta(id, larguraDe(svpa, vPa)) +
                    ajusta("1", larguraDe(svpa, vTipo)));
      procedimentos.push_back(spa.recNo());
    }
  }

  // The month's complement rows go, and every row from 2012/08 on takes the
  // municipality and its own month, in one rewrite of the table; the rows
  // appended below get both as they are written.
  const rt::Value municipio(r.CODMNC);
  if (svpa.used()) {
    svpa.rewrite([&](rt::db::Row& linha) {
      const std::string_view cmp = linha.raw(vCmp);
      if (linha.deleted() ||
          (rt::text::equals(cmp, r.periodo, exato) && rt::text::equals(linha.raw(vTipo), "1", exato)))
        return false;
      if (rt::text::compare(cmp, "201208", exato) >= 0) {
        const rt::Value mes{std::string(cmp)};
        linha.put(vMun, municipio);
        linha.put(vMvm, mes);
      }
      return true;
    });
  } else {
    svpa.rewrite({});  // the layer's error of an area not in use
  }

  for (const std::uint32_t registro : procedimentos) {
    spa.goTo(registro);
    const std::string id(bruto(spa, paId));
    const std::string cmp(bruto(spa, paCmp));
    const rt::Value total = paTotal >= 0 ? spa.get(paTotal) : rt::Value::number(0);
    const double WVPA4 = valorComplemento(total.isNumber() ? total.num() : 0, WVALCOM);

    if (!svpa.appendBlank()) break;
    const auto grava = [&](int pos, const rt::Value& v) {
      if (pos >= 0) svpa.put(pos, v);
    };
    grava(vPa, rt::Value(id));
    grava(vCmp, rt::Value(cmp));
    grava(vTotal, total);
    grava(vSa, rt::Value::number(WVPA4));
    grava(vTipo, rt::Value(std::string("1")));
    grava(vCtf, rt::Value(std::string("04")));
    grava(vRub, rt::Value(std::string("040066")));
    grava(vMvm, rt::Value(cmp));
    const std::string gravado(bruto(svpa, vCmp));
    if (rt::text::compare(gravado, "201208", exato) >= 0) {
      grava(vMun, municipio);
      grava(vMvm, rt::Value(gravado));
    }
  }

  // The index is made over the finished rows: the same file as one made
  // before the appends and kept current through them.
  svpa.indexOn("vpa_cmp + vpa_pa + vpa_tipo", "insvpa");
}

}  // namespace fpo::importar
