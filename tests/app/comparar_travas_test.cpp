// The critique holds every table and index it opens exclusively until the
// run ends: another program that tries to take one at any moment of the run
// is refused; one that holds a table first makes that table's open fail
// quietly, and its section meets the error policy's box.
#include <algorithm>

#include "rt/os/file.h"
#include "rt/os/os.h"
#include "rt/term/keys.h"
#include "support/cri_fixture.h"

namespace fpo {
namespace {

namespace cri = test::cri;
namespace fs = std::filesystem;
using cri::Mes;

class CompararTravas : public cri::CriticaTest {
 protected:
  // The files of \ZOZ another program could not take now (the new content
  // being written beside a table aside).
  std::vector<std::string> presos() {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(zoz())) {
      int err = 0;
      const std::string nome = e.path().filename().string();
      if (!rt::os::temporaryName(nome) && !rt::os::lockFree(e.path(), err)) out.push_back(nome);
    }
    std::sort(out.begin(), out.end());
    return out;
  }
};

// Held while the sections run (at the box of the last one) and at the
// closing question. UPSZEB's index of the maintainers' section was closed
// when the units section indexed it again.
TEST_F(CompararTravas, EveryTableHeldToTheEnd) {
  Mes m = Mes::limpo();
  cri::grava(zoz(), zoz(), m);
  cri::gravaSem(zoz() / "S_IPU.211", cri::kIpu, m.ipu, "IPU_VL_O");

  const std::vector<std::string> emSecoes = {
      "AFO_COMP.DBF", "ESP2_COMP.DBF", "ESP_COMP.DBF", "I01CTRL.NTX",   "I01KOVA.NTX",  "I02CTRL.NTX",
      "I02KOVA.NTX",  "I04KOVA.NTX",   "I05KOVA.NTX",  "I06KOVA.NTX",   "I07KOVA.NTX",  "I08KOVA.NTX",
      "I09KOVA.NTX",  "I10KOVA.NTX",   "I11KOVA.NTX",  "MAN_COMP.DBF",  "S_EMU.211",    "S_IPU.211",
      "S_MNT.211",    "S_SRV.211",     "S_UPS.211",    "SRV2_COMP.DBF", "SRV_COMP.DBF", "UPS.DBF",
      "UPS_COMP.DBF", "ZOZ_CTRL.211"};
  std::vector<std::string> secoes = emSecoes;
  std::sort(secoes.begin(), secoes.end());
  std::vector<std::string> fim = secoes;
  fim.insert(fim.end(), {"CTL.DBF", "I01CTL.NTX"});
  std::sort(fim.begin(), fim.end());
  int caixas = 0, perguntas = 0;
  keys().onWait = [&] {
    if (shows(keys().atKeys.back(), "Error ")) {
      ++caixas;
      EXPECT_EQ(presos(), secoes);
    } else if (shows(keys().atKeys.back(), "Imprimir?")) {
      ++perguntas;
      EXPECT_EQ(presos(), fim);
    }
  };
  keys().add({'\\', '4', '4', '0', rt::term::key::kEnter, rt::term::key::kEnter, 'D', 'N'});
  EXPECT_EQ(comparar(), -1);
  keys().onWait = nullptr;
  EXPECT_EQ(caixas, 1);
  EXPECT_EQ(perguntas, 1);
  EXPECT_EQ(keys().pending(), 0u);
  EXPECT_TRUE(presos().empty());
}

// A table another program holds from before the run: its open fails
// quietly, its section meets the box of the work area not in use, and the
// run, answered with Default, goes to its end without touching the table.
TEST_F(CompararTravas, TableHeldByAnotherProgram) {
  cri::grava(zoz(), zoz(), Mes::limpo());
  const std::string antes = relatorio("S_SRV.211");
  rt::db::File outro;
  ASSERT_TRUE(outro.open(zoz() / "S_SRV.211", rt::db::File::Mode::ReadWrite, rt::db::File::Lock::Exclusive));
  keys().add({'\\', '4', '4', '0', rt::term::key::kEnter, rt::term::key::kEnter});
  for (int k = 0; k < 20; ++k) keys().add('D');  // Default for each box; the rest are ignored
  keys().add('N');
  EXPECT_EQ(comparar(), -1);
  EXPECT_TRUE(viu("Workarea not in use"));
  ASSERT_EQ(ctl().size(), 1u);
  EXPECT_EQ(ctl()[0].STASES, "E");
  outro.close();
  EXPECT_EQ(relatorio("S_SRV.211"), antes);
}

}  // namespace
}  // namespace fpo
