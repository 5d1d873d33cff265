// The import fixture's helpers: the index files in \ZOZ, the package moved
// to another period, a file's bytes.
#include "importar_fixture.h"

#include <algorithm>

#include "rt/text/cp860.h"
#include "rt/text/number.h"

namespace fpo::test {

std::vector<std::string> ImportarTest::indices() const {
  std::vector<std::string> out;
  for (const auto& e : std::filesystem::directory_iterator(drive().zoz())) {
    std::string n = rt::text::upperAscii(e.path().filename().string());
    if (n.size() > 4 && n.substr(n.size() - 4) == ".NTX") out.push_back(n);
  }
  std::sort(out.begin(), out.end());
  return out;
}

void ImportarTest::mudaPeriodo(int ano, int mes, const std::string& etapas) {
  const std::string ext = std::to_string(ano % 10) + rt::text::strZero(mes, 2);
  for (const char* t : {"S_MNT", "S_UPS", "S_SRV", "S_EMU", "S_IPU", "ZOZ_CTRL"})
    std::filesystem::rename(z(std::string(t) + ".211"), z(std::string(t) + "." + ext));
  zoz::writeCtr(drive().zoz(), rt::text::strZero(ano, 4) + rt::text::strZero(mes, 2), etapas);
  s.ANO_REFERENCIA = ano;
  s.MES_REFERENCIA = mes;
  s.REF_ARQUIVO = ext;
}

std::string ImportarTest::lerArquivo(const std::filesystem::path& p) { return test::bytes(p); }

}  // namespace fpo::test
