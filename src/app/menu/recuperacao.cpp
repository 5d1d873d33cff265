// The start-up's recovery of an import cut off while it switched ZOZ's
// tables, and what the operator is told of it.
#include "app/arquivos.h"
#include "app/funcoes/Funcoes.h"
#include "app/menu/Menu.h"
#include "rt/text/cp860.h"

namespace fpo {

rt::db::Switch::Recovery recuperaImportacao(Sistema& s) {
  return s.rt.db.recover(kJornal, kTrava, nomesDaTroca());
}

void avisaRecuperacao(Sistema& s, const rt::db::Switch::Recovery& r) {
  using Outcome = rt::db::Switch::Recovery::Outcome;
  if (r.outcome != Outcome::SetAside && r.outcome != Outcome::Refused) return;
  const std::string guardado =
      r.outcome == Outcome::SetAside
          ? ";guardado como " + s.rt.dos.fileName(r.journal.string()) + ", sem alterar tabelas."
          : ";mantido como está, sem alterar tabelas."_cp;
  alertar(s, "Arquivo " + std::string(kJornal) + " danificado ou desconhecido:" + guardado +
                 ";A última importação pode estar incompleta:;importe o município novamente."_cp);
}

}  // namespace fpo
