// The steps of the import and what they share: the run's variables and
// the layout of S_UPS.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/campos.h"
#include "app/sistema.h"
#include "rt/db/workspace.h"

namespace fpo::importar {

// The run's variables, alive from the start of IMPORTAR to its end.
struct Importacao {
  explicit Importacao(Sistema& s) : ERRO(s) {}
  ErroScope ERRO;
  std::string UNIDADE;         // the package's folder, "\ZOZ"
  int numero = 0;              // the municipality as typed or picked
  std::string CODMNC;          // "23" + the number in 4 digits, after the lookup
  std::string extensao;        // the package extension
  std::string periodo;         // the reference month, YYYYMM
  std::string montando;        // the table of ZOZ's being built, by its DOS name
  bool outrosIndices = false;  // \ZOZ's other index files go with the switch
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

}  // namespace fpo::importar
