// DATREF: the reference-period dialog.
#include "app/ambiente.h"
#include "app/funcoes/Funcoes.h"
#include "rt/text/compare.h"
#include "rt/text/cp860.h"
#include "rt/text/number.h"
#include "rt/text/picture.h"

namespace fpo {

namespace {

const char* const kRegra =
    "!Empty(Variavel) .and. Val(Variavel) >= 199802 .and. Val(Subs(Variavel, 5, 2)) > 00 .and. "
    "Val(Subs(Variavel, 5, 2)) < 13";

}  // namespace

void DATREF(Sistema& s) {
  FPO_ROUTINE(s, "DATREF");
  auto& t = s.term();
  s.ANO_REFERENCIA = 0;
  s.MES_REFERENCIA = 0;

  for (;;) {
    FPO_LINE(s);
    rt::Value v = EDITA(s, "Data de Referência (AAAAMM)"_cp, "C", 6, "999999", kRegra);
    if (t.lastKey() == 27) return;
    const std::string data = v.isString() ? v.string() : std::string();

    FPO_LINE(s);
    if (NEWALERT(s, "Confirma Data: " + data, {"Sim", "Nao"}) != 1) continue;

    auto& db = s.rt.db;
    FPO_LINE(s);
    db.use("s_ctr", "s_ctr", true);
    const int area = db.currentNumber();
    auto fechar = [&] { db.area(area).close(); };

    FPO_LINE(s);
    const std::string mvm = campoTexto(s, "CTR_MVM");
    if (!rt::text::equals(data, mvm, false)) {
      FPO_LINE(s);
      NEWALERT(s, "ZOZ em " + rt::text::transformText(mvm, "@R 9999/99") + " - Cancelado. Tecle <ENTER>");
      fechar();
      continue;
    }
    bool aberto = true;
    for (const char* flag : {"CTR_FPO", "CTR_BDP", "CTR_PRD", "CTR_CRD"}) {
      if (!rt::text::equals(campoTexto(s, flag), "A", false)) {
        aberto = false;
        break;
      }
    }
    if (!aberto) {
      FPO_LINE(s);
      NEWALERT(s, "ZOZ Fechado - Cancelado. Tecle <ENTER>");
      fechar();
      continue;
    }
    fechar();

    if (rt::text::compare(data, "199910", false) <= 0) {
      t.cls();
      s.GETLIST.clear();
      t.devPos(12, 12);
      t.devOut("Data invalida para versao");
      throw rt::err::ProgramExit(0);
    }

    s.ANO_REFERENCIA = static_cast<int>(rt::text::val(data.substr(0, 4)).value);
    s.MES_REFERENCIA = static_cast<int>(rt::text::val(data.substr(4, 2)).value);
    s.REF_ARQUIVO =
        rt::text::strZero(s.ANO_REFERENCIA, 4).substr(3, 1) + rt::text::strZero(s.MES_REFERENCIA, 2);

    t.setColor("GR+/B");
    t.devPos(1, 40);
    t.devOut(rt::text::transformText(data, "@R 9999/99"));
    t.devPos(2, 55);
    t.devOut("Versao 64 bits 21.08.15 A");
    return;
  }
}

}  // namespace fpo
