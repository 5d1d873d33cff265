// Further period and code routines: the password scrambler, the number
// widening, period texts with month names, the message picker and two
// period checks.
#include <string>

#include "app/ambiente.h"
#include "app/campos.h"
#include "app/funcoes/Funcoes.h"
#include "rt/term/keys.h"
#include "rt/text/compare.h"
#include "rt/text/cp860.h"
#include "rt/text/number.h"
#include "rt/text/picture.h"
#include "rt/text/strings.h"

namespace fpo {

namespace {

int arredonda(double x) { return static_cast<int>(rt::text::roundTo(x, 0)); }
char caractere(int codigo) { return static_cast<char>(static_cast<unsigned>(codigo) & 0xFFu); }
int codigo(char c) { return static_cast<unsigned char>(c); }

std::string mesEAno(double mes, double ano) {
  return nomeDoMes(mes) + " / " + rt::text::transformNumber(ano, "@E 9,999");
}

// INTFUN1 and INTFUN2: the period YYMM at or after the lower bound, with a
// month from 1 to 12; Esc always leaves the field.
bool periodoValido(Sistema& s, std::string_view VAR, double minimo) {
  if (s.term().lastKey() == rt::term::key::kEsc) return true;
  const double mes = valor(rt::text::subStr(VAR, 3, 2));
  if (valor(VAR) < minimo || mes < 1 || mes > 12) {
    NEWALERT(s, "Referência Inválida"_cp);
    return false;
  }
  return true;
}

}  // namespace

std::string nomeDoMes(double mes) {
  static const char* const kMeses[] = {"JANEIRO", "FEVEREIRO", "MARCO",    "ABRIL",   "MAIO",     "JUNHO",
                                       "JULHO",   "AGOSTO",    "SETEMBRO", "OUTUBRO", "NOVEMBRO", "DEZEMBRO"};
  return mes >= 1 && mes <= 12 && mes == static_cast<int>(mes) ? kMeses[static_cast<int>(mes) - 1]
                                                               : std::string();
}

std::optional<std::string> CODIGO(std::string_view EXPRESSAO, std::string_view ACAO) {
  std::string e(EXPRESSAO.substr(0, 7));
  e.resize(7, ' ');
  std::string saida(7, ' ');
  if (rt::text::equals(ACAO, "C", false)) {
    int anterior = arredonda(codigo(e[0]) / 3.0 * 5.0 + 6.0);
    saida[0] = caractere(anterior);
    for (std::size_t i = 1; i < 7; ++i) {
      anterior = codigo(e[i]) + arredonda(anterior / 2.0);
      saida[i] = caractere(anterior);
    }
    return saida;
  }
  if (rt::text::equals(ACAO, "D", false)) {
    saida[0] = caractere(arredonda((codigo(e[0]) - 6) / 5.0 * 3.0));
    for (std::size_t i = 1; i < 7; ++i)
      saida[i] = caractere(codigo(e[i]) - arredonda(codigo(e[i - 1]) / 2.0));
    return saida;
  }
  return std::nullopt;
}

rt::Value ORDELEM(const rt::Value& VALOR) {
  if (!VALOR.isNumber() || VALOR.num() >= 4000) return VALOR;
  const rt::Number& n = VALOR.numberInfo();
  // A fraction shows its decimals, after which "00" changes nothing, even
  // when the value does not say how many it has.
  if (n.decimals == 0 && n.value != rt::text::intPart(n.value)) return VALOR;
  const std::string texto = std::string(rt::text::lTrim(rt::text::str(n.value, n.width, n.decimals))) + "00";
  const rt::text::NumberText lido = rt::text::val(texto);
  return rt::Value::number(lido.value, lido.width, lido.decimals);
}

std::string PERIODO(double REFERENCIA) {
  const std::string t = rt::text::str(REFERENCIA, 4);
  return mesEAno(valor(rt::text::subStr(t, 3, 2)), valor(rt::text::subStr(t, 1, 2)) + 1900);
}

std::string REFERENCIA(std::string_view WCON, std::string_view WANO) {
  return mesEAno(valor(WCON), valor(WANO) + 1900);
}

std::optional<std::string> ID_MENS(Sistema& s, const std::vector<std::string>& VT_MENS,
                                   std::string_view WANO) {
  FPO_ROUTINE(s, "ID_MENS");
  const bool exact = s.rt.db.settings().exact;
  const auto vazia = [&](std::string_view campo) {
    const rt::Value v = campoValor(s, campo);
    return !v.isDate() || v.date().empty();
  };
  const rt::Value ipr = campoValor(s, "PID->CODIPR");
  const double CODIPR = ipr.isNumber() ? ipr.num() : 0;
  const std::string CODCPC = campoTexto(s, "PID->CODCPC");
  const double Y = valor(WANO);
  const auto cpc = [&](const char* letra) { return rt::text::equals(CODCPC, letra, exact); };

  int entrada = 0;  // none
  if (!vazia("MNC->DATSMP")) {
    entrada = CODIPR > 17 && cpc("M") && Y <= 96 ? 4 : 3;
  } else if (!vazia("MNC->DATPSF")) {
    if (CODIPR == 1 || (CODIPR == 2 && cpc("B")))
      entrada = 3;
    else if ((CODIPR == 2 && !cpc("B")) || CODIPR == 3 || (CODIPR >= 6 && CODIPR <= 17) ||
             (CODIPR == 18 && cpc("O") && Y <= 96))
      entrada = 1;
    else if (CODIPR == 4 && Y >= 97)
      entrada = 4;
    else if (CODIPR == 5)
      entrada = 2;
    else if (CODIPR == 18 && cpc("M") && Y <= 96)
      entrada = 4;
    else if (CODIPR == 18 && Y >= 97)
      entrada = 1;
  } else {
    if (CODIPR == 1 || (CODIPR == 2 && cpc("B")) || CODIPR == 5)
      entrada = 2;
    else if ((CODIPR == 18 && cpc("M") && Y <= 96) || (CODIPR == 4 && Y >= 97))
      entrada = 4;
    else
      entrada = 1;
  }
  if (entrada == 0 || static_cast<std::size_t>(entrada) > VT_MENS.size()) return std::nullopt;
  return VT_MENS[static_cast<std::size_t>(entrada - 1)];
}

bool INTFUN1(Sistema& s, std::string_view VAR) {
  FPO_ROUTINE(s, "INTFUN1");
  return periodoValido(s, VAR, 9401);
}

bool INTFUN2(Sistema& s, std::string_view VAR, std::string_view INT1) {
  FPO_ROUTINE(s, "INTFUN2");
  return periodoValido(s, VAR, valor(INT1));
}

}  // namespace fpo
