// VER_ATU: the update listing; FNC_MNC, its key handler; NOME_MUNICIPIO,
// the name of a row's municipality for both listings.
#include "app/listings/Ver_Atu.h"

#include "app/campos.h"
#include "rt/text/cp860.h"
#include "rt/text/number.h"
#include "rt/text/strings.h"

namespace fpo {

void VER_ATU(Sistema& s) {
  FPO_ROUTINE(s, "VER_ATU");
  FPO_LINE(s);
  listaCtl(s,
           "'    ' + Str(CTL->DATREF, 6) + '            ' + DtoC(CTL->DATATU) + '           ' + "
           "StrZero(CTL->CODMNC, 4) + ' - ' + Nome_Municipio(CTL->CODMNC) + Space(24)",
           " Referência      Data Atualizacao                Município"_cp, FNC_MNC);
}

int FNC_MNC(Sistema& s, Listagem& v, int MODO, int COLUNA) {
  FPO_ROUTINE(s, "FNC_MNC");
  return teclaListagem(s, v, MODO, COLUNA);
}

std::string NOME_MUNICIPIO(Sistema& s, double CODIGO_MUNICIPIO) {
  FPO_ROUTINE(s, "NOME_MUNICIPIO");
  auto& db = s.rt.db;
  db.select("MN");
  rt::db::Area& mn = db.current();
  mn.setOrder(1);
  mn.goTop();
  mn.seek(rt::Value("23" + rt::text::strZero(CODIGO_MUNICIPIO, 4)), false);
  db.select("CTL");
  // The row layout needs the 25 places even from a narrower field.
  std::string t(rt::text::subStr(texto(mn, "MN_NOME"), 1, 25));
  t.resize(25, ' ');
  return t;
}

}  // namespace fpo
