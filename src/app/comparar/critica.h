// The critique's run variables, the section engine and what the five
// sections share.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/campos.h"
#include "app/sistema.h"
#include "rt/db/workspace.h"
#include "rt/text/number.h"
#include "rt/text/strings.h"

namespace fpo::comparar {

using rt::text::space;
using rt::text::strZero;
using rt::text::subStr;

// One entry of a section's error list.
struct Entrada {
  std::uint32_t registro = 0;  // national record for "A" and "I", local for "D"
  std::string alias;           // the work area holding it
  char tipo = ' ';             // 'A' differs, 'I' missing locally, 'D' missing nationally
  double chave = 0;            // sort key
  std::uint32_t local = 0;     // for "A": the local record that differs
};

// The run's variables, alive from the start of COMPARAR to its end.
struct Critica {
  explicit Critica(Sistema& s) : ERRO(s), lista(s, "CTRL") {}
  ErroScope ERRO;
  Tabela lista;             // the month's municipality list, CTRL
  std::string UNIDADE;      // folder of the national files: "A:", "B:" or "\ZOZ"
  std::string REF_ARQ;      // the month in the national files' names, "01" to "12"
  std::string REF_ARQUIVO;  // extension of the month's package tables
  int CODMNC = 0;           // the municipality, without state code or check digit
  std::string DIRETORIO = "\\ZOZ\\";
  std::string ARQUIVO;                      // the work table being created
  std::vector<rt::db::FieldSpec> VT_BANCO;  // its fields
  std::vector<bool> VT_VERIFICADOS;         // national records matched, by number
  std::vector<Entrada> VT_BANCOS;           // the section's error list
  long REGISTRO = 0;
  std::size_t CONTADOR = 1;
  int PAG = 0;
  std::array<std::optional<bool>, 5> ERROS;
  std::string relatorio;  // the report file's name in the current directory
  // The last unit sought by doMunicipio and its answer, for the opened
  // UPSZEB of that serial.
  std::string unidadeVista;
  std::uint64_t unidadeSerial = 0;
  bool unidadeDoMunicipio = false;

  // "23" and the municipality in four digits, as ZOZ's tables hold it.
  const std::string& municipio() const;
  // UNIDADE + stem + REF_ARQ + ".TXT".
  std::string nacional(std::string_view stem) const;

 private:
  mutable std::string municipio_;
  mutable int municipioDe_ = -1;
};

// What sets one section apart; the engine (criticaSecao) runs the rest.
class Secao {
 public:
  virtual ~Secao() = default;

  int k = 0;              // its flag in ERROS, 1 to 5
  std::string status;     // status line while it runs
  int tracos = 0;         // dashes of its rule row
  std::string cabecalho;  // its column header
  std::string titulo;     // its title
  std::string nacional;   // alias of the national work table
  std::string local;      // alias of the local table

  // The national work tables loaded and indexed, the local table open and
  // indexed.
  virtual void prepara() = 0;
  // Whether the current local record takes part.
  virtual bool considera() = 0;
  // The key of the current local record sought in the national index.
  virtual std::string chave() = 0;
  // Whether a compared pair differs between the current national and local records.
  virtual bool difere() = 0;
  virtual double ordemNacional() = 0;
  virtual double ordemLocal() = 0;
  // The entry lines of the current national and local records.
  virtual std::string linhaNacional(char tipo) = 0;
  virtual std::string linhaLocal(char tipo) = 0;
};

using Fabrica = std::unique_ptr<Secao> (*)(Sistema& s, Critica& c);
std::unique_ptr<Secao> MANTENEDORAS(Sistema& s, Critica& c);
std::unique_ptr<Secao> UNIDADES(Sistema& s, Critica& c);
std::unique_ptr<Secao> SERVICOS(Sistema& s, Critica& c);
std::unique_ptr<Secao> ESPECIALIDADES(Sistema& s, Critica& c);
std::unique_ptr<Secao> ORCAMENTO(Sistema& s, Critica& c);

// Runs one section: national and local sides, the two phases, the sort and
// its pages of the report.
void criticaSecao(Sistema& s, Critica& c, Secao& secao);

// Creates the work table ARQUIVO from VT_BANCO, opens it under alias in a
// new work area and empties it.
rt::db::Area& criaTrabalho(Sistema& s, Critica& c, std::string_view nome, std::string_view alias,
                           std::vector<rt::db::FieldSpec> campos);

// The page header of the report (rows 1 to 12 of a page).
void imprimeCabecalho(Sistema& s, Critica& c, const Secao& secao);

// Check digit of Val(codups), one character.
std::string digito(std::string_view codups);
// Whether codups followed by its check digit is uid, under the system's "=".
bool igualComDigito(Sistema& s, std::string_view codups, std::string_view uid);

}  // namespace fpo::comparar
