// The installation of the package: S_UPS in its 44-field layout, the index
// purge, the month's budget rows of S_IPU, S_CNESIA and the control-table row.
#include <iterator>
#include <vector>

#include "app/funcoes/Funcoes.h"
#include "app/importar/passos.h"
#include "rt/text/compare.h"
#include "rt/text/cp860.h"
#include "rt/text/number.h"

namespace fpo::importar {

namespace {

const rt::db::FieldSpec kLayoutCnesia[] = {
    {"COD_CNES", 'C', 7, 0},
    {"COD_ZOZ", 'C', 7, 0},
    {"GESTAO", 'C', 6, 0},
};

// The budget fields carried from the package to the installed table.
const char* const kCamposIpu[] = {"IPU_UID",  "IPU_NAPU", "IPU_PA",   "IPU_TPFIN", "IPU_CMP",
                                  "IPU_VU_O", "IPU_QT_O", "IPU_VL_O", "IPU_MVM",   "IPU_FPOMAG"};

// S_UPS rebuilt in the 44-field layout through UPS1.DBF: fields carried by
// name, rows marked deleted left out, the new file renamed over the old.
void reestruturaUps(Sistema& s) {
  FPO_ROUTINE(s, "reestruturaUps");
  auto& db = s.rt.db;
  db.create("\\ZOZ\\UPS1.DBF", layoutUps());
  db.use("ups1", "", true);
  rt::db::Area& ups1 = db.current();
  ups1.appendFrom("s_ups");
  ups1.copyTo("s_ups");
  db.closeAll();
}

// The month's rows of S_IPU replaced by the package's rows of the
// municipality's units.
void atualizaIpu(Sistema& s, Importacao& r, rt::db::Area& ctrl, rt::db::Area& ups, rt::db::Area& ipu,
                 rt::db::Area& ipumnc) {
  FPO_ROUTINE(s, "atualizaIpu");
  // A list without DATREF is an error that ends the run before here; an
  // empty month would match every row, so none is ever taken.
  const int datref = campo(ctrl, "DATREF");
  if (datref < 0) return;
  const std::string mes(bruto(ctrl, datref));
  const bool exato = s.rt.db.settings().exact;

  const int ipuCmp = campo(ipumnc, "IPU_CMP");
  ipumnc.rewrite([&](rt::db::Row& linha) {
    return !linha.deleted() && !rt::text::equals(linha.raw(ipuCmp), mes, exato);
  });

  const int cmp = campo(ipu, "IPU_CMP");
  const int uid = campo(ipu, "IPU_UID");
  const int mn = campo(ups, "UPS_MN");
  // (field of IPUMNC, field of IPU) of the fields both have.
  std::vector<std::pair<int, int>> pares;
  for (const char* nome : kCamposIpu) {
    const int de = campo(ipu, nome), para = campo(ipumnc, nome);
    if (de >= 0 && para >= 0) pares.emplace_back(para, de);
  }

  ipu.goTop();
  ipu.seek(rt::Value(mes), false);
  // Rows of one unit follow each other: its unit is sought once.
  std::string unidade;
  bool buscada = false, doMunicipio = false;
  while (!ipu.eof() && rt::text::equals(bruto(ipu, cmp), mes, exato)) {
    if (!buscada || bruto(ipu, uid) != unidade) {
      unidade = bruto(ipu, uid);
      ups.seek(rt::Value(unidade), false);
      doMunicipio = rt::text::equals(bruto(ups, mn), r.CODMNC, exato);
      buscada = true;
    }
    if (doMunicipio) {
      ipumnc.appendBlank();
      ipumnc.putFrom(ipu, pares);
    }
    if (!ipu.skip(1)) break;
  }
}

// S_CNESIA: one row per unit of the installed S_UPS.
void escreveCnesia(Sistema& s) {
  FPO_ROUTINE(s, "escreveCnesia");
  auto& db = s.rt.db;
  MENSAGEM(s, 24, "Atualizando Codigo CNES");
  db.create("\\ZOZ\\S_CNESIA.DBF", {std::begin(kLayoutCnesia), std::end(kLayoutCnesia)});
  db.use("s_cnesia", "CNESIA", true);
  rt::db::Area& cnesia = db.current();
  db.use("s_ups", "UPSMNC", true);
  rt::db::Area& ups = db.current();
  const int id = campo(ups, "UPS_ID"), idant = campo(ups, "UPS_IDANT"), mn = campo(ups, "UPS_MN");
  for (ups.goTop(); !ups.eof(); ups.skip(1)) {
    if (!cnesia.appendBlank()) break;
    cnesia.put(0, rt::Value(std::string(bruto(ups, id))));
    cnesia.put(1, rt::Value(std::string(bruto(ups, idant))));
    cnesia.put(2, rt::Value(std::string(bruto(ups, mn))));
  }
  db.closeAll();
}

// The control-table row of the month and municipality.
void registraAtualizacao(Sistema& s, Importacao& r) {
  FPO_ROUTINE(s, "registraAtualizacao");
  const double numero = rt::text::val(r.CODMNC.substr(2, 4)).value;
  rt::db::Area& ctl = linhaDoControle(s, "Str(CTL->DATREF, 6) + Str(CTL->CODMNC, 4)", r.periodo, numero,
                                      "Atualizando CTL.DBF");
  ctl.put("DATATU", rt::Value(rt::Date::today()));
}

}  // namespace

bool instalaTabelas(Sistema& s, Importacao& r) {
  FPO_ROUTINE(s, "instalaTabelas");
  auto& dos = s.rt.dos;
  auto& db = s.rt.db;
  for (const char* nome : {"S_MNT", "S_UPS", "S_SRV", "S_EMU", "S_IPU"}) {
    if (!dos.fileExists("\\ZOZ\\" + std::string(nome) + ".DBF")) {
      alertar(s, "Faltando arquivo(s) no Disco Rígido;necessário(s) para importação."_cp);
      return false;
    }
  }
  r.montando = "\\ZOZ\\S_UPS.DBF";
  db.closeAll();
  FPO_LINE(s);
  reestruturaUps(s);

  MENSAGEM(s, 24, "Aguarde atualização dos índices."_cp);
  // The old index files go once the new ones are switched in: a run given
  // up leaves them as they were.
  r.outrosIndices = true;

  r.montando = "\\ZOZ\\S_IPU.DBF";
  db.use("\\ZOZ\\ZOZ_CTRL." + r.extensao, "CTRL", true);
  rt::db::Area& ctrl = db.current();
  db.use("\\ZOZ\\S_UPS." + r.extensao, "UPS", true);
  rt::db::Area& ups = db.current();
  ups.indexOn("UPS->UPS_ID", "\\ZOZ\\I01UPS");
  db.use("\\ZOZ\\S_IPU." + r.extensao, "IPU", true);
  rt::db::Area& ipu = db.current();
  ipu.indexOn("IPU->IPU_CMP", "\\ZOZ\\I01IPU");
  db.use("\\ZOZ\\S_UPS", "UPSMNC", true);
  db.current().indexOn("UPSMNC->UPS_CGCCPF", "\\ZOZ\\I02UPS");
  db.use("\\ZOZ\\S_IPU", "IPUMNC", true);
  rt::db::Area& ipumnc = db.current();

  for (const char* aviso :
       {"Atualizando \\ZOZ\\S_UPS.DBF", "Atualizando \\ZOZ\\S_MNT.DBF", "Atualizando \\ZOZ\\S_SRV.DBF",
        "Atualizando \\ZOZ\\S_EMU.DBF", "Atualizando S_IPU.DBF"})
    MENSAGEM(s, 24, aviso);
  FPO_LINE(s);
  atualizaIpu(s, r, ctrl, ups, ipu, ipumnc);
  db.closeAll();

  r.montando = "\\ZOZ\\S_CNESIA.DBF";
  FPO_LINE(s);
  escreveCnesia(s);
  r.montando = "\\ZOZ\\CTL.DBF";
  FPO_LINE(s);
  registraAtualizacao(s, r);
  return true;
}

const std::vector<rt::db::FieldSpec>& layoutUps() {
  static const std::vector<rt::db::FieldSpec> layout = {
      {"UPS_ID", 'C', 7, 0},      {"UPS_UF", 'C', 2, 0},     {"UPS_RZSC", 'C', 35, 0},
      {"UPS_NMFN", 'C', 35, 0},   {"UPS_IN_ATV", 'C', 1, 0}, {"UPS_IN_FJ", 'C', 1, 0},
      {"UPS_CGCCPF", 'C', 14, 0}, {"UPS_IR", 'C', 1, 0},     {"UPS_LOGR", 'C', 30, 0},
      {"UPS_NUM", 'C', 10, 0},    {"UPS_COMPL", 'C', 15, 0}, {"UPS_BAIRRO", 'C', 15, 0},
      {"UPS_DDD", 'C', 5, 0},     {"UPS_TELE", 'C', 7, 0},   {"UPS_CEP", 'C', 8, 0},
      {"UPS_MN", 'C', 6, 0},      {"UPS_DS", 'C', 3, 0},     {"UPS_RS", 'C', 3, 0},
      {"UPS_AB", 'C', 6, 0},      {"UPS_NU_CC", 'C', 14, 0}, {"UPS_IN_MN", 'C', 1, 0},
      {"UPS_NU_CT", 'C', 8, 0},   {"UPS_DT_IN", 'D', 8, 0},  {"UPS_DT_CT", 'D', 8, 0},
      {"UPS_DT_PR", 'D', 8, 0},   {"UPS_TUP", 'C', 2, 0},    {"UPS_TP", 'C', 2, 0},
      {"UPS_QT_CM", 'N', 3, 0},   {"UPS_QT_EO", 'N', 3, 0},  {"UPS_QT_SG", 'N', 2, 0},
      {"UPS_QT_SPC", 'N', 2, 0},  {"UPS_QT_SCA", 'N', 2, 0}, {"UPS_TA", 'C', 2, 0},
      {"UPS_FC", 'C', 2, 0},      {"UPS_CNES", 'C', 7, 0},   {"UPS_IDANT", 'C', 7, 0},
      {"UPS_NH", 'C', 2, 0},      {"UPSATUCNES", 'C', 1, 0}, {"UPS_BANCO", 'C', 3, 0},
      {"UPS_MNT", 'C', 14, 0},    {"UPS_NATJUR", 'C', 4, 0}, {"UNIDADE_ID", 'C', 31, 0},
      {"UPS_LOCNAC", 'C', 1, 0},  {"UPS_CHKSM", 'C', 6, 0},
  };
  return layout;
}

}  // namespace fpo::importar
