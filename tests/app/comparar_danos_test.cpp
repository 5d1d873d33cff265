// Damaged national files: short and long lines, other line ends, Ctrl-Z,
// letters in number columns, control and high bytes. The critique runs to
// its end and reads each line by the fixed-width rules.
#include <fstream>

#include "rt/term/keys.h"
#include "rt/text/strings.h"
#include "support/cri_fixture.h"

namespace fpo {
namespace {

namespace fs = std::filesystem;
namespace cri = test::cri;
using cri::Mes;
using cri::num;
using cri::uid;

class CompararDanos : public cri::CriticaTest {
 protected:
  void bytes(const char* nome, const std::string& conteudo) {
    std::ofstream(zoz() / nome, std::ios::binary) << conteudo;
  }
};

TEST_F(CompararDanos, EveryFileDamaged) {
  cri::grava(zoz(), zoz(), Mes::limpo());
  // Only an end-of-file mark: no maintainer nationally.
  bytes("FMANLM11.TXT", "\x1a");
  // A short line, letters in a number column, control bytes in a name, a
  // line far past its width; the last line has no line end before Ctrl-Z.
  std::string ups = "23001\r\n";
  std::string letras = cri::fups(num(1), "07954571000104");
  letras.replace(5, 3, "ABC");
  letras.replace(30, 3, std::string("\0\t\x07", 3));
  ups += letras + "\r\n" + cri::fups(num(2), "07954571000285") + std::string(400, 'X') + "\r\n";
  ups += cri::fups(num(3), "00012345678901") + "\x1a";
  bytes("FUPSLM11.TXT", ups);
  // Lines ended by LF alone and by CR alone, a tab inside an item.
  bytes("FSRVLM11.TXT", cri::fsrv(num(1), "010001020003") + "\n" + cri::fsrv(num(2), "01\t001") + "\r" +
                            std::string(1000, '9') + "\n");
  // Letters inside a quantity and inside the hours.
  bytes("FESPLM11.TXT", cri::fesp(num(1), "01AB2000X0") + "\r\n" + cri::fesp(num(2), "0500100020") + "\r\n");
  // Letters in the sub-code (it reads 0 and stays), a line of high bytes,
  // Ctrl-Z in the middle of a line.
  std::string afo = cri::fafo(num(1), "202211", "01", "ABCDE", "0000010", "000000000015000") + "\r\n";
  std::string alto;
  for (int b = 0x80; b <= 0xFF; ++b) alto.push_back(static_cast<char>(b));
  afo += alto + "\r\n";
  std::string meio = cri::fafo(num(2), "202211", "01", "00000", "0000003", "000000000003150");
  afo += meio.substr(0, 20) + "\x1a" + meio.substr(20) + "\r\n";
  bytes("FAFOLM11.TXT", afo);

  roteiro();
  ASSERT_EQ(comparar(), -1);
  EXPECT_EQ(keys().pending(), 0u);
  ASSERT_EQ(ctl().size(), 1u);
  EXPECT_EQ(ctl()[0].STASES, "E");

  const std::string u1 = num(1) + "-" + uid(1).substr(6), u2 = num(2) + "-" + uid(2).substr(6);
  const auto man = entradas("*** MANTENEDORAS ***");
  ASSERT_EQ(man.size(), 2u);
  EXPECT_EQ(man[0], "ENCONT.: Registro deletado.");

  // The short line is a unit without a number; the line with letters and
  // control bytes still matches unit 1 (those columns are not compared).
  const auto ups1 = entradas("*** UNIDADES ***");
  ASSERT_EQ(ups1.size(), 2u);
  EXPECT_EQ(ups1[0], "ENCONT.: 00001 01  23     " + std::string(6, ' ') + "-0 " + "        /    -  " +
                         "    " + "  " + "      - " + "              - ");
  EXPECT_EQ(ups1[1], "CORRETO: Registro inexistente.");

  // Unit 1's two items match; unit 2's item holds a tab, which stays in the
  // report's bytes; the line of nines gives 83 items.
  EXPECT_EQ(entradas("*** SERVICOS ***").size(), 2u * (1 + 1 + 83));
  EXPECT_NE(relatorio().find("ENCONT.: 00003   " + u2 + "     01\t           001"), std::string::npos);

  const auto esp = entradas("*** ESPECIALIDADES ***");
  ASSERT_GE(esp.size(), 2u);
  EXPECT_EQ(esp[0], "ENCONT.: 00001  " + u1 + "         01            0          0");

  // The line of high bytes is a row of its own ("I", its key reads 0), its
  // bytes kept in the report; the Ctrl-Z inside unit 2's line is no data,
  // so that line still matches.
  const auto afo1 = entradas("*** ORCAMENTO ***");
  ASSERT_EQ(afo1.size(), 4u);
  EXPECT_EQ(afo1[0].substr(0, 15), "ENCONT.: 000002");
  EXPECT_EQ(afo1[2], "ENCONT.: Registro deletado.");
  EXPECT_NE(relatorio().find("ENCONT.: 000002  " + alto.substr(8, 6)), std::string::npos);
}

// A month list without CODDER: the error policy's box once, and "Default"
// goes on with the department as 00 on every page.
TEST_F(CompararDanos, MonthListWithoutItsDepartment) {
  Mes m = Mes::limpo();
  cri::grava(zoz(), zoz(), m);
  std::vector<rt::db::FieldSpec> semDer = cri::kCtrl;
  semDer.erase(semDer.begin() + 2);
  for (auto& r : m.ctrl) r.erase(r.begin() + 2);
  test::makeTable(zoz() / "ZOZ_CTRL.211", semDer, m.ctrl);
  keys().add({'\\', '4', '4', '0', rt::term::key::kEnter, rt::term::key::kEnter, 'D', 'N'});
  ASSERT_EQ(comparar(), -1);
  EXPECT_EQ(keys().pending(), 0u);
  // On the screen, not in the report, though the report is the device.
  EXPECT_TRUE(viu("Variable does not exist: CODDER"));
  EXPECT_EQ(relatorio().find("CODDER"), std::string::npos);
  const auto p = paginas();
  ASSERT_EQ(p.size(), 5u);
  for (const auto& pagina : p)
    EXPECT_NE(pagina[5].find("DERES: 00  MUNICIPIO: 0440-0 FORTALEZA"), std::string::npos);
  EXPECT_EQ(ctl()[0].STASES, "C");
}

}  // namespace
}  // namespace fpo
