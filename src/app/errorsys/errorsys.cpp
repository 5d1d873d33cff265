// ERRORSYS, DEFERROR and ERRORMESSAGE: the error policy installed as the
// run-time's handler, its alert and the error output of "Quit".
#include "app/errorsys/Errorsys.h"

#include <string>
#include <vector>

#include "rt/ui/alert.h"

namespace fpo {

using rt::err::Answer;
using rt::err::Error;

void ERRORSYS(Sistema& s) {
  s.rt.errors.install([&s](const Error& e) { return DEFERROR(s, e); });
}

std::string ERRORMESSAGE(const Error& E) {
  std::string msg = E.severity > 1 ? "Error " : "Warning ";
  msg += E.subSystem.empty() ? std::string("???") : E.subSystem;
  msg += "/" + std::to_string(E.subCode);
  if (!E.description.empty()) msg += "  " + E.description;
  if (!E.filename.empty())
    msg += ": " + E.filename;
  else if (!E.operation.empty())
    msg += ": " + E.operation;
  return msg;
}

Answer DEFERROR(Sistema& s, const Error& E) {
  if (E.genCode == rt::err::kOpen || E.genCode == rt::err::kRead || E.genCode == rt::err::kUnsupported) {
    if (!s.ERRO.empty()) *s.ERRO.back() = E.genCode;
    return Answer::byDefault();
  }
  if (E.genCode == rt::err::kZeroDivide) return Answer::substitute(0);
  if (E.genCode == rt::err::kAppendLock && E.canDefault) {
    s.rt.errors.setNetErr(true);
    return Answer::byDefault();
  }

  std::string texto = ERRORMESSAGE(E);
  std::vector<std::string> opcoes{"Quit"};
  if (E.canRetry) opcoes.emplace_back("Retry");
  if (E.canDefault) opcoes.emplace_back("Default");

  std::string mostrado = texto;
  if (E.osCode != 0) mostrado += ";(DOS Error " + std::to_string(E.osCode) + ")";
  int escolha = 0;
  while (escolha == 0) escolha = rt::ui::alert(s.term(), mostrado, opcoes);

  const std::string& opcao = opcoes[static_cast<std::size_t>(escolha - 1)];
  if (opcao == "Retry") return Answer::retry();
  if (opcao == "Default") return Answer::byDefault();

  if (E.osCode != 0) texto += " (DOS Error " + std::to_string(E.osCode) + ") ";
  std::string saida = "\r\n" + texto;
  const auto& cadeia = s.rt.errors.chain();
  for (auto it = cadeia.rbegin(); it != cadeia.rend(); ++it)
    saida += "\r\nCalled from " + it->name + "(" + std::to_string(it->line) + ")  ";
  s.rt.errors.writeErr(saida);
  throw rt::err::ProgramExit(1);
}

}  // namespace fpo
