// The maintainers section: which maintainers take part (a unit of the
// municipality whose tax number begins with the maintainer's root) and the
// order of its entries by the maintainer's municipality number, the pairs
// it compares.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "rt/text/strings.h"
#include "support/cri_fixture.h"

namespace fpo {
namespace {

namespace cri = test::cri;
using cri::Mes;

class CompararMantenedoras : public cri::CriticaTest {};

// Each entry's first row (or the second one when the first says the
// record is not in the national file).
std::vector<std::string> linhas(const std::vector<std::string>& e) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i + 1 < e.size(); i += 2)
    out.push_back(e[i].rfind("ENCONT.: Registro", 0) == 0 ? e[i + 1] : e[i]);
  return out;
}

TEST_F(CompararMantenedoras, TakingPartAndOrder) {
  Mes m = Mes::limpo();
  // National: 0440's maintainer with another branch ("A", key 440), one
  // that S_MNT lacks ("I", 440), CAUCAIA's maintainer ("I", 270: its local
  // row has no unit of 0440, so it is never matched) and one of 0999
  // ("I", 999).
  m.fman = {cri::fman("22222222000122", "123456", "00000000012345", "009", "09990"),
            cri::fman("07954571000104", "654321", "00000000012345"),
            cri::fman("11111111000111", "123456", "00000000012345"),
            cri::fman("07533995000129", "123456", "00000000012345", "002", "02700")};
  // Local: one that the national file lacks ("D", key 440 from MNT_MN).
  m.mnt.push_back(cri::mnt("07954571000285", "230440"));
  critica(m);

  const auto l = linhas(entradas("*** MANTENEDORAS ***"));
  ASSERT_EQ(l.size(), 5u);
  EXPECT_EQ(l.front(), "ENCONT.: 00004   002  230270  07533995/0001-29   12345-6   0000000001234-5");
  EXPECT_EQ(l.back(), "ENCONT.: 00001   009  230999  22222222/0001-22   12345-6   0000000001234-5");
  // Key 440: in no fixed order among themselves.
  std::vector<std::string> meio(l.begin() + 1, l.end() - 1);
  std::sort(meio.begin(), meio.end());
  EXPECT_EQ(meio, (std::vector<std::string>{
                      "CORRETO: 00003   001  230440  07954571/0002-85   12345-6   0000000001234-5",
                      "ENCONT.: 00002   001  230440  07954571/0001-04   65432-1   0000000001234-5",
                      "ENCONT.: 00003   001  230440  11111111/0001-11   12345-6   0000000001234-5"}));
}

// 0440's maintainer with one compared pair changed at a time: one "A"
// entry, its national and local lines; the fifth character of the national
// municipality is not compared.
TEST_F(CompararMantenedoras, EachComparedPair) {
  const std::string cgc = "  07954571/0001-04   ", resto = "   0000000001234-5";
  const std::string n1 = "ENCONT.: 00001   001  230440" + cgc + "12345-6" + resto;
  const std::string l1 = "CORRETO: 00001   001  230440" + cgc + "12345-6" + resto;
  struct Caso {
    const char* nome;
    std::function<void(Mes&)> muda;
    std::vector<std::string> linhas;  // none: the page without errors
  };
  const std::vector<Caso> casos = {
      {"municipality",
       [](Mes& m) { m.fman[0] = cri::fman("07954571000104", "123456", "00000000012345", "001", "04410"); },
       {"ENCONT.: 00001   001  230441" + cgc + "12345-6" + resto, l1}},
      {"department, all three characters",
       [](Mes& m) { m.mnt[0] = cri::mnt("07954571000104", "230440", "123456", "00000000012345", "101"); },
       {n1, "CORRETO: 00001   101  230440" + cgc + "12345-6" + resto}},
      {"branch",
       [](Mes& m) { m.mnt[0] = cri::mnt("07954571000104", "230440", "123457"); },
       {n1, "CORRETO: 00001   001  230440" + cgc + "12345-7" + resto}},
      {"account",
       [](Mes& m) { m.mnt[0] = cri::mnt("07954571000104", "230440", "123456", "00000000012346"); },
       {n1, "CORRETO: 00001   001  230440" + cgc + "12345-6   0000000001234-6"}},
      {"fifth municipality character",
       [](Mes& m) { m.fman[0] = cri::fman("07954571000104", "123456", "00000000012345", "001", "04409"); },
       {}},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    Mes m = Mes::limpo();
    c.muda(m);
    critica(m);
    const auto e = entradas("*** MANTENEDORAS ***");
    if (c.linhas.empty()) {
      EXPECT_EQ(e, std::vector<std::string>{rt::text::padC("# CRITICA SEM ERROS #", 78)});
    } else {
      EXPECT_EQ(e, c.linhas);
    }
  }
}

}  // namespace
}  // namespace fpo
