// The municipality prompt of the import and the critique.
#include "app/funcoes/Funcoes.h"
#include "rt/term/keys.h"
#include "rt/text/cp860.h"
#include "rt/text/number.h"

namespace fpo {

bool perguntaMunicipio(Sistema& s, int& CODMNC) {
  FPO_ROUTINE(s, "perguntaMunicipio");
  auto& t = s.term();
  for (;;) {
    FPO_LINE(s);
    const rt::Value v = EDITA(s, "Entre com o Cod. Município (ENTER p/ Lista)"_cp, "N", 0, "9999", " ");
    CODMNC = v.isNumber() ? static_cast<int>(v.num()) : 0;
    if (t.lastKey() == rt::term::key::kEsc) return false;
    if (CODMNC == 0) {
      FPO_LINE(s);
      CODMNC = MENU_MNC(s);
      if (CODMNC == 0) continue;
    }
    const auto resposta =
        NEWALERT(s, "Confirma Cod. Município: "_cp + rt::text::strZero(CODMNC, 4), {"Sim", "Não"_cp});
    if (resposta == 2) continue;
    return t.lastKey() != rt::term::key::kEsc;
  }
}

}  // namespace fpo
