// The steps of the import and what they share: the run's variables and
// small helpers over the work areas.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/sistema.h"
#include "rt/db/workspace.h"

namespace fpo::importar {

// The run's variables, alive from the start of IMPORTAR to its end.
struct Importacao {
  explicit Importacao(Sistema& s) : ERRO(s) {}
  ErroScope ERRO;
  std::string UNIDADE;   // the package's folder, "\ZOZ"
  int numero = 0;        // the municipality as typed or picked
  std::string CODMNC;    // "23" + the number in 4 digits, after the lookup
  std::string extensao;  // the package extension
  std::string periodo;   // the reference month, YYYYMM
};

// ZOZ's control and installation records; false: back to the start.
bool controleZoz(Sistema& s, Importacao& r);
// The unit table, the month's budget rows, S_CNESIA and the control-table
// row; false: back to the start (an installed table is missing).
bool instalaTabelas(Sistema& s, Importacao& r);
// The federal-complement price rows.
void complementoFederal(Sistema& s, Importacao& r);

// The complement written to VPA_SA for a price and a whole percentage: the
// product rounded to 3 decimals, then cut to 2.
double valorComplemento(double PA_TOTAL, double WVALCOM);

// The 44-field layout of S_UPS.
const std::vector<rt::db::FieldSpec>& layoutUps();

// Position of a field in an area; -1 when it has none, after the error
// policy has been told as for any read of an unknown field.
int campo(rt::db::Area& a, std::string_view nome);
// The stored characters of a field of the current row ("" for -1).
std::string_view bruto(rt::db::Area& a, int pos);
inline std::string texto(rt::db::Area& a, std::string_view nome) {
  return std::string(bruto(a, campo(a, nome)));
}
// The system's "=" between texts.
bool igual(Sistema& s, std::string_view a, std::string_view b);

}  // namespace fpo::importar
