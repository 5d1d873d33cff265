// The five sections on months that differ from the national files in
// chosen ways: the entries of each kind, their lines and their order.
#include <algorithm>
#include <functional>
#include <string>

#include "rt/text/number.h"
#include "rt/text/picture.h"
#include "rt/text/strings.h"
#include "support/cri_fixture.h"

namespace fpo {
namespace {

namespace cri = test::cri;
using cri::Mes;
using cri::num;
using cri::uid;

class CompararSecoes : public cri::CriticaTest {
 protected:
  // The entries of a section, two lines each.
  using Entradas = std::vector<std::pair<std::string, std::string>>;
  Entradas de(const std::string& titulo) const {
    const auto l = entradas(titulo);
    Entradas out;
    for (std::size_t i = 0; i + 1 < l.size(); i += 2) out.emplace_back(l[i], l[i + 1]);
    if (l.size() % 2) out.emplace_back(l.back(), "");
    return out;
  }
  // Entries with equal sort keys come out in no fixed order: compare those
  // as sets.
  static Entradas ordenadas(Entradas e) {
    std::sort(e.begin(), e.end());
    return e;
  }
  // The unit number of each entry, read at a column of the line that shows
  // a record, national or local.
  static std::vector<long> unidades(const Entradas& e, std::size_t col) {
    std::vector<long> out;
    for (const auto& [a, b] : e) {
      const std::string& l = a.rfind("ENCONT.: Registro", 0) == 0 ? b : a;
      out.push_back(std::stol(l.substr(col, 6)));
    }
    return out;
  }
};

std::string dv(int n) { return uid(n).substr(6); }
// Unit n with a check digit that is not its own.
std::string errado(int n) { return num(n) + std::to_string((uid(n)[6] - '0' + 1) % 10); }

const char* const kInexistente = "CORRETO: Registro inexistente.";
const char* const kDeletado = "ENCONT.: Registro deletado.";

TEST_F(CompararSecoes, Maintainers) {
  Mes m = Mes::limpo();
  m.fman[0] = cri::fman("07954571000104", "654321", "00000000012345");                // another branch: "A"
  m.fman.push_back(cri::fman("11111111000111", "123456", "00000000012345"));          // not in S_MNT: "I"
  m.mnt.push_back(cri::mnt("07954571000285", "230440", "123456", "99999999999999"));  // not national: "D"
  m.mnt.push_back(cri::mnt("55555555000155", "230440"));  // no unit of 0440 has this root: left out
  critica(m);
  EXPECT_EQ(
      ordenadas(de("*** MANTENEDORAS ***")),
      ordenadas({{"ENCONT.: 00001   001  230440  07954571/0001-04   65432-1   0000000001234-5",
                  "CORRETO: 00001   001  230440  07954571/0001-04   12345-6   0000000001234-5"},
                 {"ENCONT.: 00002   001  230440  11111111/0001-11   12345-6   0000000001234-5", kInexistente},
                 {kDeletado, "CORRETO: 00003   001  230440  07954571/0002-85   12345-6   9999999999999-9"}}));
  EXPECT_EQ(entradas("*** UNIDADES ***"),
            std::vector<std::string>{rt::text::padC("# CRITICA SEM ERROS #", 78)});
  EXPECT_EQ(ctl()[0].STASES, "E");
}

TEST_F(CompararSecoes, Units) {
  Mes m = Mes::limpo();
  m.ups[1] = cri::ups(errado(2), "07954571000285");                 // wrong check digit: "A"
  m.ups.push_back(cri::ups(uid(5), "07954571000500"));              // not national: "D"
  m.ups.push_back(cri::ups(uid(6), "", "230440", "", "", "", ""));  // blank tax number = fourteen zeros
  m.fups.insert(m.fups.begin(), cri::fups(num(4), "07533995000129", "0270"));  // CAUCAIA's: "I"
  m.fups.push_back(cri::fups(num(6), "00000000000000", "0440", "", "", "", ""));
  m.fups.push_back(cri::fups(num(1), "07954571000104"));  // a second line of unit 1: "I"
  critica(m);
  // "D" carries the key 230440, below every unit number.
  EXPECT_EQ(de("*** UNIDADES ***"),
            (Entradas{{kDeletado, "CORRETO: 00005 01  230440 " + num(5) + "-" + dv(5) +
                                      " 07954571/0005-00 01 05 12345-6 0000001234567-8"},
                      {"ENCONT.: 00006 01  230440 " + num(1) + "-" + dv(1) +
                           " 07954571/0001-04 01 05 12345-6 0000001234567-8",
                       kInexistente},
                      {"ENCONT.: 00003 01  230440 " + num(2) + "-" + dv(2) +
                           " 07954571/0002-85 01 05 12345-6 0000001234567-8",
                       "CORRETO: 00002 01  230440 " + num(2) + "-" + errado(2).substr(6) +
                           " 07954571/0002-85 01 05 12345-6 0000001234567-8"},
                      {"ENCONT.: 00001 01  230270 " + num(4) + "-" + dv(4) +
                           " 07533995/0001-29 01 05 12345-6 0000001234567-8",
                       kInexistente}}));
  for (const auto& [a, b] : de("*** UNIDADES ***")) {
    EXPECT_EQ(a.size() == 81 || a == kDeletado, true) << a;
    EXPECT_EQ(b.size() == 81 || b == kInexistente, true) << b;
  }
}

TEST_F(CompararSecoes, Services) {
  Mes m = Mes::limpo();
  // Unit 1: its first part ends in the middle of the 34th item, whose rest
  // opens the second part; a 4-character rest ends the line.
  std::string parte1;
  for (int i = 0; i < 33; ++i) parte1 += "900" + rt::text::strZero(i, 3);
  parte1 += "01";
  m.fsrv[0] = cri::fsrv(num(1), parte1 + "0001" + "020003" + std::string(190, ' ') + "0400");
  // Unit 2: blanks ending the first part are dropped, so its items join up.
  m.fsrv[1] = cri::fsrv(num(2), "010001" + std::string(194, ' ') + "030002");
  m.srv = {cri::srv(uid(1), "010", "001"), cri::srv(uid(1), "020", "003"), cri::srv(errado(2), "010", "001"),
           cri::srv(uid(2), "030", "002"), cri::srv(uid(2), "050", "005"), cri::srv(uid(4), "030", "001")};
  critica(m);
  // Every 900 item of unit 1 is reported "I"; the others:
  Entradas outros;
  for (const auto& e : de("*** SERVICOS ***"))
    if (e.first.find(" 900") == std::string::npos) outros.push_back(e);
  const std::string u1 = num(1) + "-" + dv(1), u2 = num(2) + "-" + dv(2);
  EXPECT_EQ(ordenadas(outros),
            ordenadas({{"ENCONT.: 00036   " + u1 + "     040           0  ", kInexistente},
                       {"ENCONT.: 00037   " + u2 + "     010           001",
                        "CORRETO: 00003   " + num(2) + "-" + errado(2).substr(6) + "     010           001"},
                       {kDeletado, "CORRETO: 00005   " + u2 + "     050           005"}}));
  EXPECT_EQ(de("*** SERVICOS ***").size(), 33u + 3u);
  // Keyed by unit: unit 1's entries, of whatever kind, before unit 2's.
  const auto u = unidades(de("*** SERVICOS ***"), 17);
  EXPECT_TRUE(std::is_sorted(u.begin(), u.end()));
  EXPECT_EQ(u.front(), 234561);
  EXPECT_EQ(u.back(), 234562);
}

TEST_F(CompararSecoes, Specialities) {
  Mes m = Mes::limpo();
  // Unit 1: three items, the third cut short (speciality 03, quantity 4, no hours).
  m.fesp[0] = cri::fesp(num(1),
                        "0100201250"
                        "0200300010"
                        "03004");
  m.emu = {cri::emu(uid(1), "01", 2, 40), cri::emu(uid(2), "05", 1000, 100000), cri::emu(uid(4), "01", 3, 30),
           cri::emu(uid(2), "09", 7, 0)};
  critica(m);
  const std::string u1 = num(1) + "-" + dv(1), u2 = num(2) + "-" + dv(2);
  EXPECT_EQ(ordenadas(de("*** ESPECIALIDADES ***")),
            ordenadas({{"ENCONT.: 00001  " + u1 + "         01            2      1.250",
                        "CORRETO: 00001  " + u1 + "         01            2         40"},
                       {"ENCONT.: 00002  " + u1 + "         02            3         10", kInexistente},
                       {"ENCONT.: 00003  " + u1 + "         03            4          0", kInexistente},
                       {kDeletado, "CORRETO: 00004  " + u2 + "         09            7          0"},
                       {"ENCONT.: 00004  " + u2 + "         05            1         20",
                        "CORRETO: 00002  " + u2 + "         05          ***     ******"}}));
  const auto u = unidades(de("*** ESPECIALIDADES ***"), 16);
  EXPECT_TRUE(std::is_sorted(u.begin(), u.end()));
  EXPECT_EQ(u.back(), 234562);
}

TEST_F(CompararSecoes, BudgetFollowUp) {
  Mes m = Mes::limpo();
  m.fafo[3] = cri::fafo(num(2), "202211", "01", "     ", "0001500", "000000000003160");  // value differs: "A"
  m.fafo.push_back(
      cri::fafo(num(1), "202210", "01", "00000", "1000000", "000001000000000"));  // other month: "I"
  m.ipu.push_back(cri::ipu(uid(2), "0200000", "202211", 2, 1234.5));              // not national: "D"
  m.ipu[3] = cri::ipu(uid(2), "0100000", "202211", 1500, 31.5);
  critica(m);
  const std::string u1 = num(1) + "-" + dv(1), u2 = num(2) + "-" + dv(2);
  EXPECT_EQ(
      de("*** ORCAMENTO ***"),
      (Entradas{{kDeletado, "CORRETO: 000006  202211     " + u2 + "     02           2       1.234,50"},
                {"ENCONT.: 000004  202210     " + u1 + "     01     *******   *********,**", kInexistente},
                {"ENCONT.: 000003  202211  " + u2 + "     01       1.500          31,60",
                 "CORRETO: 000004  202211  " + u2 + "     01       1.500          31,50"}}));
  // The sub-coded national row is gone before the index: 4 rows stay of 5.
  EXPECT_EQ(test::readTable(zoz() / "AFO_COMP.DBF").size(), 4u);
}

// Each compared pair alone: one value changed in a month that otherwise
// agrees gives one "A" entry, its national line with the national value and
// its local line with the local one.
TEST_F(CompararSecoes, EachComparedPairAlone) {
  const std::string u1 = num(1) + "-" + dv(1), u2 = num(2) + "-" + dv(2);
  const std::string cgc = " 07954571/0001-04 ", resto = "01 05 12345-6 0000001234567-8";
  const std::string n1 = "ENCONT.: 00001 01  230440 " + u1 + cgc + resto;
  const std::string l1 = "CORRETO: 00001 01  230440 " + u1 + cgc;
  const std::string uni = "*** UNIDADES ***";
  struct Caso {
    const char* nome;
    std::function<void(Mes&)> muda;
    std::string titulo, nacional, local;
  };
  const std::vector<Caso> casos = {
      {"state and municipality", [](Mes& m) { m.fups[0] = cri::fups(num(1), "07954571000104", "0441"); }, uni,
       "ENCONT.: 00001 01  230441 " + u1 + cgc + resto, l1 + resto},
      {"blank check digit", [](Mes& m) { m.ups[0] = cri::ups(num(1) + " ", "07954571000104"); }, uni, n1,
       "CORRETO: 00001 01  230440 " + num(1) + "- " + cgc + resto},
      // All three characters count, though only the last two are printed.
      {"department",
       [](Mes& m) {
         m.ups[0] =
             cri::ups(uid(1), "07954571000104", "230440", "123456", "00000012345678", "05", "01", "101");
       },
       uni, n1, l1 + resto},
      {"tax number", [](Mes& m) { m.ups[0] = cri::ups(uid(1), "07954571000105"); }, uni, n1,
       "CORRETO: 00001 01  230440 " + u1 + " 07954571/0001-05 " + resto},
      {"branch", [](Mes& m) { m.ups[0] = cri::ups(uid(1), "07954571000104", "230440", "123457"); }, uni, n1,
       l1 + "01 05 12345-7 0000001234567-8"},
      {"account",
       [](Mes& m) { m.ups[0] = cri::ups(uid(1), "07954571000104", "230440", "123456", "00000012345679"); },
       uni, n1, l1 + "01 05 12345-6 0000001234567-9"},
      {"TP",
       [](Mes& m) {
         m.ups[0] = cri::ups(uid(1), "07954571000104", "230440", "123456", "00000012345678", "06");
       },
       uni, n1, l1 + "01 06 12345-6 0000001234567-8"},
      {"PR",
       [](Mes& m) {
         m.ups[0] = cri::ups(uid(1), "07954571000104", "230440", "123456", "00000012345678", "05", "02");
       },
       uni, n1, l1 + "02 05 12345-6 0000001234567-8"},
      {"speciality check digit", [](Mes& m) { m.emu[1] = cri::emu(errado(2), "05", 1, 20); },
       "*** ESPECIALIDADES ***", "ENCONT.: 00002  " + u2 + "         05            1         20",
       "CORRETO: 00002  " + num(2) + "-" + errado(2).substr(6) + "         05            1         20"},
      {"budget check digit", [](Mes& m) { m.ipu[3] = cri::ipu(errado(2), "0100000", "202211", 3, 31.5); },
       "*** ORCAMENTO ***", "ENCONT.: 000003  202211  " + u2 + "     01           3          31,50",
       "CORRETO: 000004  202211  " + num(2) + "-" + errado(2).substr(6) +
           "     01           3          31,50"},
      {"budget quantity", [](Mes& m) { m.ipu[1] = cri::ipu(uid(1), "0200000", "202211", 5, 80); },
       "*** ORCAMENTO ***", "ENCONT.: 000002  202211  " + u1 + "     02           4          80,00",
       "CORRETO: 000002  202211  " + u1 + "     02           5          80,00"},
  };
  for (const auto& c : casos) {
    SCOPED_TRACE(c.nome);
    Mes m = Mes::limpo();
    c.muda(m);
    critica(m);
    EXPECT_EQ(de(c.titulo), (Entradas{{c.nacional, c.local}}));
  }
}

// National items and rows that repeat, a short rest of two characters, an
// item list that begins with blanks, a line of blanks, and local records
// whose unit the month's unit table lacks.
TEST_F(CompararSecoes, RepeatedShortAndBlankNationalRecords) {
  Mes m = Mes::limpo();
  m.fsrv.push_back(cri::fsrv(num(2), "01000103"));  // unit 2's line again, and "03" left over
  m.srv.push_back(cri::srv(uid(7), "090", "009"));
  m.fesp[1] = cri::fesp(num(2), "   0500100020");  // cut from its first character that is not blank
  m.emu.push_back(cri::emu(uid(7), "09", 9, 9));
  m.fafo.push_back(std::string(110, ' '));
  m.fafo.push_back(m.fafo[3]);  // unit 2's item 01 again
  m.ipu.push_back(cri::ipu(uid(7), "0100000", "202211", 1, 1));
  critica(m);
  const std::string u2 = num(2) + "-" + dv(2);
  EXPECT_EQ(ordenadas(de("*** SERVICOS ***")),
            ordenadas({{"ENCONT.: 00004   " + u2 + "     010           001", kInexistente},
                       {"ENCONT.: 00005   " + u2 + "     03 " + std::string(14, ' '), kInexistente}}));
  EXPECT_EQ(entradas("*** ESPECIALIDADES ***"),
            std::vector<std::string>{rt::text::padC("# CRITICA SEM ERROS #", 78)});
  // The row of blanks stays (its sub-code reads 0) and its key 0 comes first.
  const std::string branca = "ENCONT.: 000004  " + std::string(17, ' ') + "-0" + std::string(12, ' ') +
                             rt::text::transformNumber(0, "@E 999,999") + "   " +
                             rt::text::transformNumber(0, "@E 9,999,999.99");
  EXPECT_EQ(
      de("*** ORCAMENTO ***"),
      (Entradas{{branca, kInexistente},
                {"ENCONT.: 000005  202211     " + u2 + "     01           3          31,50", kInexistente}}));
}

// The local line of an "A" entry shows the local record that differs, even
// when another one with the same key comes first in the local order: a
// duplicate unit, a sub-coded budget row.
TEST_F(CompararSecoes, LocalLineOfTheRecordThatDiffers) {
  Mes m = Mes::limpo();
  m.ups.push_back(cri::ups(uid(1), "07954571000104", "230440", "777777"));  // unit 1 again, another branch
  m.ipu[0] = cri::ipu(uid(1), "0100010", "202211", 1, 5);                   // sub-coded, first
  m.ipu[2] = cri::ipu(uid(1), "0100000", "202211", 10, 151);                // whole item, value differs
  critica(m);
  const std::string u1 = num(1) + "-" + dv(1);
  EXPECT_EQ(
      de("*** UNIDADES ***"),
      (Entradas{{"ENCONT.: 00001 01  230440 " + u1 + " 07954571/0001-04 01 05 12345-6 0000001234567-8",
                 "CORRETO: 00005 01  230440 " + u1 + " 07954571/0001-04 01 05 77777-7 0000001234567-8"}}));
  EXPECT_EQ(de("*** ORCAMENTO ***"),
            (Entradas{{"ENCONT.: 000001  202211  " + u1 + "     01          10         150,00",
                       "CORRETO: 000003  202211  " + u1 + "     01          10         151,00"}}));
}

// 17 entries fill one page and one entry of the next; the next section's
// page number follows on.
TEST_F(CompararSecoes, SeventeenEntriesTwoPages) {
  Mes m = Mes::limpo();
  for (int i = 0; i < 17; ++i)
    m.fman.push_back(cri::fman("2000000000" + rt::text::strZero(i, 4), "123456", "00000000012345"));
  critica(m);
  const auto p = paginas();
  ASSERT_EQ(p.size(), 6u);
  EXPECT_EQ(p[0][1].substr(69), "PAG.: 001");
  EXPECT_EQ(p[1][1].substr(69), "PAG.: 002");
  EXPECT_EQ(p[2][1].substr(69), "PAG.: 003");
  EXPECT_NE(p[2][11].find("*** UNIDADES ***"), std::string::npos);
  ASSERT_EQ(p[0].size(), 61u);  // rows 0 to 60, ejected after the 16th entry
  EXPECT_EQ(p[0][58], "ENCONT.: 00017   001  230440  20000000/0000-15   12345-6   0000000001234-5");
  EXPECT_EQ(p[0][59], kInexistente);
  EXPECT_EQ(p[0][60], "");
  ASSERT_EQ(p[1].size(), 16u);  // header, one entry
  EXPECT_EQ(p[1][13], "ENCONT.: 00018   001  230440  20000000/0000-16   12345-6   0000000001234-5");
}

}  // namespace
}  // namespace fpo
