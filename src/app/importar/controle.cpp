// ZOZ's control record S_CTR and installation record S_SS: the tests that
// the installation is in the state the package expects, and their fix-ups.
#include <iterator>
#include <vector>

#include "app/funcoes/Funcoes.h"
#include "app/importar/passos.h"
#include "rt/text/compare.h"
#include "rt/text/cp860.h"
#include "rt/text/number.h"
#include "rt/text/strings.h"

namespace fpo::importar {

namespace {

const rt::db::FieldSpec kLayoutCtr[] = {
    {"CTR_MVM", 'C', 6, 0}, {"CTR_CAD", 'C', 1, 0}, {"CTR_FPO", 'C', 1, 0},  {"CTR_BDP", 'C', 1, 0},
    {"CTR_PRD", 'C', 1, 0}, {"CTR_CRD", 'C', 1, 0}, {"CTR_CNES", 'C', 3, 0},
};

void grava(rt::db::Area& a, std::string_view nome, std::string valor) {
  if (campo(a, nome) >= 0) a.put(nome, rt::Value(std::move(valor)));
}

bool recusa(Sistema& s, const std::string& texto) {
  alertar(s, texto);
  return false;
}

}  // namespace

bool controleZoz(Sistema& s, Importacao& r) {
  FPO_ROUTINE(s, "controleZoz");
  auto& dos = s.rt.dos;
  auto& db = s.rt.db;
  const bool exato = db.settings().exact;
  r.montando = "\\ZOZ\\S_CTR.DBF";

  if (!dos.fileExists("\\ZOZ\\S_MNT.DBF")) return recusa(s, "Arquivo \\ZOZ\\S_MNT.DBF não encontrado."_cp);
  if (!dos.fileExists("\\ZOZ\\S_CTR.DBF")) return recusa(s, "Arquivo \\ZOZ\\S_CTR.DBF não encontrado."_cp);

  db.use("\\ZOZ\\S_CTR", "CTRMNC", true);
  rt::db::Area& ctr = db.current();
  if (ctr.lastRec() != 1) return recusa(s, "Arquivo \\ZOZ\\S_CTR.DBF com múltiplos registros."_cp);
  const std::string mvm(bruto(ctr, "CTR_MVM"));
  if (!igual(s, mvm, r.periodo))
    return recusa(s,
                  "Data de referência inválida.;Copie os arquivos de Cadastro e Programação do mês; para o "
                  "diretório \\ZOZ do seu micro."_cp);
  std::string etapas;
  for (const char* f : {"CTR_CAD", "CTR_FPO", "CTR_BDP", "CTR_PRD", "CTR_CRD"}) etapas += bruto(ctr, f);
  if (!igual(s, etapas, "1AAAA") && !igual(s, etapas, "AAAAA"))
    return recusa(s, "Etapas do processamento já efetuadas."_cp);

  if (igual(s, mvm, "200308")) {
    // S_CTR rebuilt in the seven-field layout through CTR1.DBF.
    ctr.close();
    db.create("\\ZOZ\\CTR1.DBF", {std::begin(kLayoutCtr), std::end(kLayoutCtr)});
    db.use("ctr1", "", true);
    rt::db::Area& ctr1 = db.current();
    ctr1.appendFrom("s_ctr.DBF");
    grava(ctr1, "CTR_CNES", "   ");
    ctr1.copyTo("s_ctr");
    ctr1.close();
  } else if (rt::text::compare(mvm, "200712", exato) <= 0) {
    grava(ctr, "CTR_CNES", "   ");
  } else if (rt::text::compare(mvm, "200801", exato) >= 0) {
    grava(ctr, "CTR_VERSAO", std::string(10, ' '));
  }

  r.montando = "\\ZOZ\\S_SS.DBF";
  if (!dos.fileExists("\\ZOZ\\S_SS.DBF")) return recusa(s, "Arquivo \\ZOZ\\S_SS.DBF não encontrado."_cp);
  db.use("\\ZOZ\\S_SS", "SSMNC", true);
  rt::db::Area& ss = db.current();
  const std::string gestao(bruto(ss, "SS_GESTAO"));

  db.select("CTRL");
  rt::db::Area& ctrl = db.current();
  ctrl.goTop();
  ctrl.seek(rt::Value::number(rt::text::val(rt::text::subStr(gestao, 3, 4)).value), false);
  const std::string codges(bruto(ctrl, "CODGES"));

  db.select("SSMNC");
  if (ss.lastRec() != 1) return recusa(s, "Arquivo \\ZOZ\\S_SS.DBF com múltiplos registros."_cp);
  if (!igual(s, bruto(ss, "SS_CONDIC"), codges)) grava(ss, "SS_CONDIC", codges);
  if (!igual(s, gestao, r.CODMNC))
    return recusa(s, "Código do município incompatível;com banco de dados."_cp);
  if (!igual(s, bruto(ss, "SS_UFIBGE"), "23") || !igual(s, bruto(ss, "SS_UFSIGL"), "LM"))
    return recusa(s, "Município não configurado como do LUMEA."_cp);
  grava(ss, "SS_DPCNES", "04.19");
  return true;
}

}  // namespace fpo::importar
