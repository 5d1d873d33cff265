// A month table that lacks a field the critique reads: the error policy's
// box is met in that table's section; "Default" to every box runs the
// critique to its end, "Quit" ends the program with the error and its call
// chain on the error output.
#include <algorithm>

#include "rt/term/keys.h"
#include "support/cri_fixture.h"

namespace fpo {
namespace {

namespace cri = test::cri;
namespace fs = std::filesystem;
using cri::Mes;

struct Caso {
  const char* tabela;
  const zozgen::Layout* layout;
  std::vector<test::Row> Mes::*linhas;
  const char* campo;   // left out of the table; nullptr: the clean month
  int resposta = 'D';  // to the error policy's box: Default, or Quit
};

class CompararFalhas : public cri::CriticaTest, public ::testing::WithParamInterface<Caso> {
 protected:
  struct Corrida {
    int fim = 0;
    std::vector<std::string> telas;  // every screen at a key read
    std::string saida;
  };

  Corrida corre() {
    // What a "Quit" before left behind.
    s.rt.db.closeAll();
    s.term().printer().close();
    s.term().setDevice(rt::term::Terminal::Device::Screen);
    s.TELAPERC.reset();
    for (const auto& e : fs::directory_iterator(zoz())) fs::remove_all(e.path());
    const Caso& k = GetParam();
    Mes m = Mes::limpo();
    cri::grava(zoz(), zoz(), m);
    if (k.campo) cri::gravaSem(zoz() / k.tabela, *k.layout, m.*k.linhas, k.campo);
    s.term().cls();
    keys().atKeys.clear();
    keys().add({'\\', '4', '4', '0', rt::term::key::kEnter, rt::term::key::kEnter});
    if (k.resposta == 'D') {
      for (int i = 0; i < 40; ++i) keys().add('D');  // Default for each box; the rest are ignored
      keys().add('N');
    } else {
      keys().add(k.resposta);
    }
    const std::size_t saidaAntes = s.rt.errors.errOutput().size();
    Corrida c;
    c.fim = comparar();
    EXPECT_EQ(keys().pending(), 0u);
    c.saida = s.rt.errors.errOutput().substr(saidaAntes);
    for (const auto& sc : keys().atKeys) {
      std::string t;
      for (int r = 0; r < 25; ++r) t += texto(sc, r) + "\n";
      c.telas.push_back(t);
    }
    return c;
  }
};

TEST_P(CompararFalhas, BoxMetAndAnswered) {
  const Corrida um = corre();
  EXPECT_EQ(um.fim, GetParam().resposta == 'D' ? -1 : 1);
  EXPECT_EQ(um.saida.empty(), GetParam().resposta == 'D');  // the error and the call chain at "Quit"
  if (GetParam().resposta == 'Q') {
    EXPECT_NE(um.saida.find("COMPARAR"), std::string::npos) << um.saida;
  }
  const bool caixa = std::any_of(um.telas.begin(), um.telas.end(),
                                 [](const std::string& t) { return t.find("Error ") != std::string::npos; });
  EXPECT_EQ(caixa, GetParam().campo != nullptr) << "the error policy's box";
}

INSTANTIATE_TEST_SUITE_P(Meses, CompararFalhas,
                         ::testing::Values(Caso{nullptr, nullptr, nullptr, nullptr},
                                           Caso{"S_UPS.211", &cri::kUps, &Mes::ups, "UPS_ID"},
                                           Caso{"S_UPS.211", &cri::kUps, &Mes::ups, "UPS_MN"},
                                           Caso{"S_SRV.211", &cri::kSrv, &Mes::srv, "SRV_CSF"},
                                           Caso{"S_EMU.211", &cri::kEmu, &Mes::emu, "EMU_QT_HR"},
                                           Caso{"S_IPU.211", &cri::kIpu, &Mes::ipu, "IPU_VL_O"},
                                           Caso{"S_MNT.211", &cri::kMnt, &Mes::mnt, "MNT_RS", 'Q'},
                                           Caso{"S_EMU.211", &cri::kEmu, &Mes::emu, "EMU_QT_HR", 'Q'}),
                         [](const auto& p) {
                           return std::string(p.param.campo ? p.param.campo : "limpo") +
                                  (p.param.resposta == 'Q' ? "_Quit" : "");
                         });

}  // namespace
}  // namespace fpo
