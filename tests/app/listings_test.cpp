// The update and critique listings of the control table: their screens,
// the searches of the key handler and the order switch.
#include <fstream>
#include <sstream>

#include "app/errorsys/Errorsys.h"
#include "app/listings/Ver_Atu.h"
#include "app/listings/Ver_Cri.h"
#include "rt/term/keys.h"
#include "rt/text/cp860.h"
#include "rt/text/strings.h"
#include "support/app_fixture.h"
#include "support/tables.h"
#include "support/zoz_fixture.h"

namespace fpo {
namespace {

namespace fs = std::filesystem;
namespace key = rt::term::key;
using test::C;
using test::D;
using test::N;

const int kAltR = key::alt('R'), kAltO = key::alt('O'), kAltM = key::alt('M'), kAltT = key::alt('T'),
          kAltP = key::alt('P');

std::vector<int> texto(const char* s) {
  std::vector<int> k;
  for (const char* p = s; *p; ++p) k.push_back(static_cast<unsigned char>(*p));
  return k;
}
std::vector<int> operator+(std::vector<int> a, const std::vector<int>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// A row of the update listing as the browse shows it: its first 72
// characters.
std::string atu(const char* ref, const char* data, const char* cod, const char* nome) {
  return (std::string("    ") + ref + std::string(12, ' ') + data + std::string(11, ' ') + cod + " - " +
          rt::text::padR(nome, 25) + std::string(24, ' '))
      .substr(0, 72);
}
std::string cri(const char* ref, const char* data, const char* cod, const char* nome, const char* status) {
  return (std::string("    ") + ref + std::string(10, ' ') + data + std::string(5, ' ') + cod + " - " +
          rt::text::padR(nome, 25) + "   " + rt::text::padR(status, 1) + std::string(10, ' '))
      .substr(0, 72);
}

class Listagens : public test::AppTest {
 protected:
  Listagens() {
    ERRORSYS(s);
    s.rt.db.settings().deleted = true;
    test::makeTable(z("CTL.DBF"), test::zoz::kCtl,
                    {
                        {rt::Value(), N(440), N(202211), D("20221120"), D("20221122"), {}, {}, C("E")},
                        {rt::Value(), N(440), N(202210), D("20221105"), D("20221107"), {}, {}, C("C")},
                        {rt::Value(), N(270), N(202211), D("20221121")},                     // imported only
                        {rt::Value(), N(10), N(202211), {}, D("20221123"), {}, {}, C("C")},  // critiqued only
                        {rt::Value(), N(1280), N(202210), D("20221010")},
                        {rt::Value(), N(445), N(202209), D("20220915")},
                        {rt::Value(), N(1240), N(202211), D("20221125")},
                    });
    test::makeTable(z("S_MN.DBF"), {{"MN_IBGE", 'C', 6, 0}, {"MN_NOME", 'C', 30, 0}},
                    {{C("230440"), C("FORTALEZA")},
                     {C("230270"), C("CAUCAIA")},
                     {C("230010"), C("ABAIARA")},
                     {C("230445"), C("FORQUILHA")},
                     {C("231280"), C("SOBRAL")},
                     {C("230020"), C("ACARAPE")},           // no control rows
                     {C("230450"), C("FRECHEIRINHA")},      // no control rows
                     {C("220440"), C("FORMOSA DO PIAUI")},  // another state, the digits of 0440
                     {C("231240"), C("SAO GONCALO DO AMARANTE")}});
  }

  fs::path z(const std::string& name) const { return drive().zoz() / name; }

  // Keys as typed by an operator: each after a moment with none waiting.
  void teclas(const std::vector<int>& ks) {
    for (int k : ks) keys().add({rt::term::Headless::kNoKey, k});
  }

  static std::string linha(const std::string& chave) {
    return rt::text::toUtf8(rt::text::padC("Pesquisa: " + chave, 70));
  }

  // The control row that CTL stands on, as "code/period".
  std::string atual() {
    auto* ctl = s.rt.db.find("CTL");
    if (!ctl || ctl->eof()) return "eof";
    return std::to_string(static_cast<int>(ctl->get("CODMNC").num())) + "/" +
           std::to_string(static_cast<int>(ctl->get("DATREF").num()));
  }

  bool viu(const std::string& utf8) {
    for (const auto& sc : keys().atKeys)
      if (shows(sc, utf8)) return true;
    return false;
  }

  static std::string bytes(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream o;
    o << in.rdbuf();
    return o.str();
  }
};

TEST_F(Listagens, UpdateListingScreen) {
  teclas({key::kEsc});
  VER_ATU(s);
  const auto& sc = keys().atKeys.at(0);
  EXPECT_EQ(text(sc, 4, 1, 3), "┌──");
  EXPECT_EQ(text(sc, 21, 76, 1), "┘");
  EXPECT_EQ(sc.attr(22, 3), 0x08);  // the shadow
  EXPECT_EQ(text(sc, 5, 3, 72), rt::text::toUtf8(rt::text::padR(
                                    " Referência      Data Atualizacao                Município"_cp, 72)));
  EXPECT_EQ(text(sc, 6, 3, 72), "════════════════════════════════════════════════════════════════════════");
  // Order 2: code, then period; a row only the critique wrote has no date.
  const std::vector<std::string> esperado = {atu("202211", "  /  /    ", "0010", "ABAIARA"),
                                             atu("202211", "21/11/2022", "0270", "CAUCAIA"),
                                             atu("202210", "05/11/2022", "0440", "FORTALEZA"),
                                             atu("202211", "20/11/2022", "0440", "FORTALEZA"),
                                             atu("202209", "15/09/2022", "0445", "FORQUILHA"),
                                             atu("202211", "25/11/2022", "1240", "SAO GONCALO DO AMARANTE"),
                                             atu("202210", "10/10/2022", "1280", "SOBRAL")};
  for (std::size_t i = 0; i < esperado.size(); ++i)
    EXPECT_EQ(text(sc, 7 + static_cast<int>(i), 3, 72), esperado[i]);
  EXPECT_EQ(text(sc, 12, 53, 22), "SAO GONCALO DO AMARANT");  // cut at column 74
  EXPECT_EQ(text(sc, 14, 3, 72), std::string(72, ' '));
  EXPECT_EQ(sc.attr(7, 3), 0x4F);  // the highlighted row spans the box
  EXPECT_EQ(sc.attr(7, 74), 0x4F);
  EXPECT_EQ(sc.attr(8, 3), 0x3F);
  EXPECT_EQ(text(sc, 21, 4, 70), linha(""));
  EXPECT_EQ(sc.attr(21, 4), 0x3E);
  EXPECT_EQ(text(sc, 24),
            rt::text::toUtf8(rt::text::padC(
                "<ALT-R> Referência <ALT-O> Código <ALT-M> Nome <ALT-P> Imprime <ALT-T> Ordem"_cp, 80)));
  // Both tables stay open for the menu to close.
  EXPECT_NE(s.rt.db.find("CTL"), nullptr);
  EXPECT_NE(s.rt.db.find("MN"), nullptr);
}

TEST_F(Listagens, CritiqueListingScreen) {
  teclas({key::kEsc});
  VER_CRI(s);
  const auto& sc = keys().atKeys.at(0);
  EXPECT_EQ(text(sc, 5, 3, 72),
            rt::text::toUtf8(rt::text::padR(
                " Referência     Data Crítica             Município              Status"_cp, 72)));
  EXPECT_EQ(text(sc, 7, 3, 72), cri("202211", "23/11/2022", "0010", "ABAIARA", "C"));
  EXPECT_EQ(text(sc, 8, 3, 72), cri("202211", "  /  /    ", "0270", "CAUCAIA", ""));  // imported only
  EXPECT_EQ(text(sc, 10, 3, 72), cri("202211", "22/11/2022", "0440", "FORTALEZA", "E"));
  EXPECT_EQ(text(sc, 12, 45, 25), "SAO GONCALO DO AMARANTE  ");
  EXPECT_EQ(text(sc, 10, 73, 1), "E");
}

TEST_F(Listagens, Searches) {
  struct Caso {
    const char* nome;
    std::vector<int> teclas;  // Esc, which ends the listing, follows
    std::string linha;        // the control row highlighted at the end
    int ordem;
    const char* mensagem;  // shown on the way, or nullptr
    std::string chave;     // the search text at the end
  };
  const std::vector<Caso> casos = {
      {"esc at once", {}, "10/202211", 2, nullptr, ""},
      {"period: the lowest code", std::vector<int>{kAltR} + texto("202210"), "440/202210", 2, nullptr, ""},
      {"period in order 1", std::vector<int>{kAltT, kAltR} + texto("202211"), "10/202211", 1, nullptr, ""},
      {"period not found", std::vector<int>{key::kDown, kAltR} + texto("199901") + std::vector<int>{' '},
       "270/202211", 2, "Referência não encontrada.", ""},
      {"period left with Esc searches 0",
       {key::kDown, kAltR, key::kEsc, ' '},
       "270/202211",
       2,
       "Referência não encontrada.",
       ""},
      {"code: the earliest period", std::vector<int>{kAltO} + texto("0440"), "440/202210", 2, nullptr, ""},
      {"code not found", std::vector<int>{kAltO} + texto("9999") + std::vector<int>{' '}, "10/202211", 2,
       "Código do município não encontrado.", ""},
      {"name", std::vector<int>{kAltM} + texto("sobral") + std::vector<int>{key::kEnter}, "1280/202210", 2,
       nullptr, ""},
      {"name of another state's row",
       std::vector<int>{kAltT, kAltM} + texto("FORMOSA") + std::vector<int>{key::kEnter}, "440/202210", 1,
       nullptr, ""},
      {"name without control rows",
       std::vector<int>{key::kDown, kAltM} + texto("ACARAPE") + std::vector<int>{key::kEnter, ' '},
       "270/202211", 2, "Município não encontrado.", ""},
      {"name past the last", std::vector<int>{kAltM} + texto("ZZZ") + std::vector<int>{key::kEnter, ' '},
       "10/202211", 2, "Município não encontrado.", ""},
      {"blank name: the first name", {key::kDown, kAltM, key::kEnter}, "10/202211", 2, nullptr, ""},
      {"typed letters", texto("FOR"), "440/202210", 1, nullptr, "FOR"},
      {"typed letters to a later name", texto("FR"), "1240/202211", 1, nullptr, "FR"},
      {"lower case", texto("forq"), "445/202209", 1, nullptr, "FORQ"},
      {"a letter past every name", texto("SZ") + std::vector<int>{' '}, "1240/202211", 1,
       "Município não encontrado.", "S"},
      {"backspace", texto("FORQ") + std::vector<int>{key::kBackspace}, "440/202210", 1, nullptr, "FOR"},
      {"backspace to the empty text", std::vector<int>{'S', key::kBackspace}, "10/202211", 1, nullptr, ""},
      {"backspace on the empty text", {key::kDown, key::kBackspace}, "270/202211", 2, nullptr, ""},
      {"accents and punctuation ignored", {key::kDown, 0x82, '-'}, "270/202211", 2, nullptr, ""},
      {"at most 24 characters", std::vector<int>(24, ' ') + std::vector<int>{'A'}, "10/202211", 1, nullptr,
       std::string(24, ' ')},
      {"the 24th character is the last taken",
       texto("SAO GONCALO DO AMARANTE") + std::vector<int>{' ', 'A', key::kBackspace}, "1240/202211", 1,
       nullptr, "SAO GONCALO DO AMARANTE"},
      {"order switch", {key::kDown, kAltT}, "270/202211", 1, nullptr, ""},
      {"order switch twice", {key::kDown, key::kDown, kAltT, kAltT}, "440/202210", 2, nullptr, ""},
      {"Alt-P and Enter", {key::kDown, kAltP, key::kEnter}, "270/202211", 2, nullptr, ""},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    s.rt.db.closeAll();
    keys().atKeys.clear();
    const std::size_t tons = keys().tones().size();
    teclas(c.teclas + std::vector<int>{key::kEsc});
    VER_ATU(s);
    EXPECT_EQ(keys().pending(), 0u);
    EXPECT_EQ(atual(), c.linha);
    EXPECT_EQ(s.rt.db.find("CTL")->order(), c.ordem);
    for (const char* m :
         {"Referência não encontrada.", "Código do município não encontrado.", "Município não encontrado."})
      EXPECT_EQ(viu(m), c.mensagem && std::string(c.mensagem) == m) << m;
    EXPECT_EQ(keys().tones().size() > tons, c.mensagem != nullptr);
    EXPECT_EQ(text(keys().atKeys.back(), 21, 4, 70), linha(c.chave));
    EXPECT_FALSE(s.rt.db.settings().softSeek);
  }
}

TEST_F(Listagens, CritiqueHandlerSearchesAlike) {
  teclas(texto("forq") + std::vector<int>{kAltO} + texto("1280") + std::vector<int>{key::kEsc});
  VER_CRI(s);
  EXPECT_EQ(atual(), "1280/202210");
  EXPECT_EQ(s.rt.db.find("CTL")->order(), 1);
  EXPECT_EQ(text(keys().atKeys.back(), 21, 4, 70), linha("FORQ"));
  // The highlight stands on the found row.
  const auto& sc = keys().atKeys.back();
  int realce = -1;
  for (int r = 7; r <= 20; ++r)
    if (sc.attr(r, 3) == 0x4F) realce = r;
  ASSERT_GE(realce, 7);
  EXPECT_EQ(text(sc, realce, 3, 72), cri("202210", "  /  /    ", "1280", "SOBRAL", ""));
}

TEST_F(Listagens, SearchFieldsStandOnTheHighlightedRow) {
  teclas({key::kDown, key::kDown, kAltR, key::kEsc, ' ', kAltO, key::kEsc, ' ', kAltM, key::kEsc, ' ',
          key::kEsc});
  VER_ATU(s);
  const auto& cur = keys().cursorsAtKeys;
  ASSERT_EQ(cur.size(), 12u);
  for (auto [at, col] : {std::pair{3, 7}, {6, 42}, {9, 49}}) {
    SCOPED_TRACE(col);
    EXPECT_EQ(cur[static_cast<std::size_t>(at)].row, 9);
    EXPECT_EQ(cur[static_cast<std::size_t>(at)].col, col);
    EXPECT_EQ(keys().atKeys[static_cast<std::size_t>(at)].attr(9, col), 0x4F);  // the field being edited
  }
  EXPECT_EQ(text(keys().atKeys[9], 9, 49, 23), std::string(23, ' '));
  EXPECT_EQ(cur[3].shape, rt::term::CursorShape::Normal);
  EXPECT_EQ(cur[11].shape, rt::term::CursorShape::None);  // hidden again after the search
}

TEST_F(Listagens, EmptyControlTable) {
  test::makeTable(z("CTL.DBF"), test::zoz::kCtl, {});
  teclas(std::vector<int>{kAltR} + texto("202211") + std::vector<int>{' ', 'F', ' ', key::kEsc});
  VER_ATU(s);
  const auto& sc = keys().atKeys.at(0);
  EXPECT_EQ(text(sc, 6, 3, 4), "════");
  for (int r = 7; r <= 20; ++r) EXPECT_EQ(text(sc, r, 3, 72), std::string(72, ' ')) << r;
  EXPECT_TRUE(viu("Referência não encontrada."));
  EXPECT_TRUE(viu("Município não encontrado."));
  EXPECT_EQ(text(keys().atKeys.back(), 21, 4, 70), linha(""));
}

TEST_F(Listagens, CodeZeroRowIsNoMunicipality) {
  // A damaged row of code 0 is not what a name past every name leads to.
  test::makeTable(z("CTL.DBF"), test::zoz::kCtl,
                  {{rt::Value(), N(0), N(202211)}, {rt::Value(), N(440), N(202211), D("20221120")}});
  teclas(texto("Z") + std::vector<int>{' ', key::kEsc});
  VER_ATU(s);
  EXPECT_TRUE(viu("Município não encontrado."));
  EXPECT_EQ(atual(), "0/202211");
  EXPECT_EQ(text(keys().atKeys.back(), 21, 4, 70), linha(""));
}

TEST_F(Listagens, EveryOpeningStartsAfreshAndOnlyReads) {
  const std::string antes = bytes(z("CTL.DBF"));
  teclas(texto("SO") + std::vector<int>{kAltT, key::kEsc});
  VER_ATU(s);
  s.rt.db.closeAll();
  for (const char* ntx : {"I01CTL.NTX", "I02CTL.NTX", "I01MN.NTX", "I02MN.NTX"}) {
    EXPECT_TRUE(fs::exists(z(ntx))) << ntx;
    fs::remove(z(ntx));
  }
  keys().atKeys.clear();
  teclas({key::kEsc});
  VER_CRI(s);
  EXPECT_EQ(text(keys().atKeys.at(0), 21, 4, 70), linha(""));
  EXPECT_EQ(atual(), "10/202211");
  EXPECT_EQ(s.rt.db.find("CTL")->order(), 2);
  for (const char* ntx : {"I01CTL.NTX", "I02CTL.NTX", "I01MN.NTX", "I02MN.NTX"})
    EXPECT_TRUE(fs::exists(z(ntx)));
  s.rt.db.closeAll();
  EXPECT_EQ(bytes(z("CTL.DBF")), antes);
}

// An index file the listing cannot make is named as the listing names it:
// on drive C:, given with its letter.
TEST_F(Listagens, IndexFileNamedWithItsDrive) {
  fs::create_directory(z("I01CTL.NTX"));
  teclas({key::kEnter});  // Quit
  EXPECT_THROW(VER_ATU(s), rt::err::ProgramExit);
  EXPECT_TRUE(viu("Error DBFNTX/1006  Create error: C:\\ZOZ\\I01CTL.NTX"));
  EXPECT_EQ(s.rt.errors.errOutput().rfind(
                "\r\nError DBFNTX/1006  Create error: C:\\ZOZ\\I01CTL.NTX (DOS Error ", 0),
            0u)
      << s.rt.errors.errOutput();
}

// The four index files under C:\ZOZ, whatever the current directory, with
// their key expressions and key widths as an NTX header holds them.
TEST_F(Listagens, IndexFiles) {
  const fs::path outra = drive().root() / "OUTRA";
  fs::create_directory(outra);
  fs::current_path(outra);
  teclas({key::kEsc});
  VER_CRI(s);
  s.rt.db.closeAll();
  fs::current_path(drive().zoz());
  EXPECT_TRUE(fs::is_empty(outra));
  struct Caso {
    const char* arquivo;
    const char* chave;
    unsigned largura;
  };
  const Caso casos[] = {
      {"I01CTL.NTX", "Str(CTL->DATREF) + Str(CTL->CODMNC, 4)", 10},
      {"I02CTL.NTX", "Str(CTL->CODMNC, 4) + Str(CTL->DATREF, 6)", 10},
      {"I01MN.NTX", "MN->MN_IBGE", 6},
      {"I02MN.NTX", "MN->MN_NOME", 30},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.arquivo);
    const std::string b = bytes(z(c.arquivo));
    ASSERT_GE(b.size(), 278u);
    EXPECT_EQ(static_cast<unsigned char>(b[14]) | static_cast<unsigned char>(b[15]) << 8, c.largura);
    EXPECT_EQ(std::string(b.c_str() + 22), c.chave);
  }
}

// A table that cannot be opened goes to the error policy; after its Default
// the listing returns to the menu without a browse.
TEST_F(Listagens, MissingTableReturnsToTheMenu) {
  const fs::path guarda = drive().root() / "guarda";
  fs::create_directory(guarda);
  for (const char* t : {"CTL.DBF", "S_MN.DBF"}) fs::copy_file(z(t), guarda / t);
  for (const char* tabela : {"CTL.DBF", "S_MN.DBF"}) {
    SCOPED_TRACE(tabela);
    s.rt.db.closeAll();
    keys().atKeys.clear();
    // Removed first: MinGW's copy_file takes any two files for the same one
    // and refuses to overwrite.
    for (const char* t : {"CTL.DBF", "S_MN.DBF"}) {
      fs::remove(z(t));
      fs::copy_file(guarda / t, z(t));
    }
    fs::remove(z(tabela));
    keys().add({key::kRight, key::kEnter});  // Default
    VER_ATU(s);
    EXPECT_EQ(keys().pending(), 0u);
    ASSERT_EQ(keys().atKeys.size(), 2u);
    EXPECT_TRUE(shows(keys().atKeys[0], "Workarea not in use"));
    EXPECT_FALSE(viu("Pesquisa:"));
  }
}

}  // namespace
}  // namespace fpo
