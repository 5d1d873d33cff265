// The import's scenario tests: a headless system with the error policy, the
// hidden deleted rows of the run settings, the period 2022/11 and the
// fixture's \ZOZ folder.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "app/errorsys/Errorsys.h"
#include "app/importar/Importar.h"
#include "rt/term/keys.h"
#include "support/app_fixture.h"
#include "support/tables.h"
#include "support/zoz_fixture.h"

namespace fpo::test {

class ImportarTest : public AppTest {
 protected:
  ImportarTest() {
    ERRORSYS(s);
    s.rt.db.settings().deleted = true;
    s.ANO_REFERENCIA = 2022;
    s.MES_REFERENCIA = 11;
    s.REF_ARQUIVO = "211";
    if (!drive().borrowed()) zoz::build(drive().zoz());
  }

  std::filesystem::path z(const std::string& name) const { return drive().zoz() / name; }

  // The answers of one pass: the municipality typed (empty: Enter, the
  // picker), "Sim", the percentage, "Sim".
  void passo(const std::string& municipio, const std::string& percentual) {
    keys().addText(municipio);
    if (municipio.size() < 4) keys().add(rt::term::key::kEnter);
    keys().add(rt::term::key::kEnter);
    keys().addText(percentual);
    if (percentual.size() < 3) keys().add(rt::term::key::kEnter);
    keys().add(rt::term::key::kEnter);
  }

  // Runs the import; -1 when it returned, else the program's exit code.
  int importar() {
    try {
      IMPORTAR(s);
      return -1;
    } catch (const rt::err::ProgramExit& e) {
      return e.code();
    }
  }

  // Whether any screen seen at a key read shows the text.
  bool viu(const std::string& utf8) {
    for (const auto& sc : keys().atKeys)
      if (shows(sc, utf8)) return true;
    return false;
  }

  // The rows of a table that are not marked deleted.
  std::vector<Record> linhas(const std::string& name) {
    std::vector<Record> out;
    for (auto& r : readTable(z(name)))
      if (!r.deleted) out.push_back(std::move(r));
    return out;
  }

  // A field of a row by name.
  std::string campo(const std::string& table, const Record& r, const std::string& field) {
    const auto names = fieldNames(z(table));
    for (std::size_t i = 0; i < names.size(); ++i)
      if (names[i] == field) return r.fields[i];
    ADD_FAILURE() << table << " has no field " << field;
    return {};
  }

  // The .NTX files in \ZOZ, upper-cased and sorted.
  std::vector<std::string> indices() const;

  // Moves the fixture to another reference month: the package's extension,
  // ZOZ's control record (with these stage flags) and the run's period.
  void mudaPeriodo(int ano, int mes, const std::string& etapas = "1AAAA");

  // The bytes of a file in \ZOZ, or at a host path.
  std::string bytes(const std::string& name) const { return lerArquivo(z(name)); }
  static std::string lerArquivo(const std::filesystem::path& p);
};

}  // namespace fpo::test
