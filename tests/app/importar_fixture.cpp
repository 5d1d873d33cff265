#include "importar_fixture.h"

#include <algorithm>

#include "rt/text/cp860.h"

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

}  // namespace fpo::test
