// The spare toolkit routines: the index-key cleaner, the save-or-print
// question, the spinner and the two boxed lists.
#include <fstream>
#include <sstream>

#include "app/errorsys/Errorsys.h"
#include "app/funcoes/Funcoes.h"
#include "rt/term/keys.h"
#include "rt/text/cp860.h"
#include "support/app_fixture.h"
#include "support/tables.h"

namespace fpo {
namespace {

namespace fs = std::filesystem;
namespace key = rt::term::key;

std::string bytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream o;
  o << in.rdbuf();
  return o.str();
}
void escreve(const fs::path& p, const std::string& b) { std::ofstream(p, std::ios::binary) << b; }
std::vector<int> operator+(std::vector<int> a, const std::vector<int>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class SpareToolkit : public test::AppTest {
 protected:
  SpareToolkit() { ERRORSYS(s); }
  fs::path z(const std::string& name) const { return drive().zoz() / name; }
};

TEST_F(SpareToolkit, FechaIndice) {
  test::makeTable(z("T.DBF"), {{"UPS_ID", 'C', 7, 0}}, {{test::C("0000019")}, {test::C("0000027")}});
  auto& db = s.rt.db;
  ASSERT_TRUE(db.use("T", "T", true));
  ASSERT_TRUE(db.current().indexOn("UPS_ID", "I01T"));
  db.closeAll();
  const std::string original = bytes(z("I01T.NTX"));
  ASSERT_GT(original.size(), 278u);

  const auto comChave = [&](const std::string& chave) {
    std::string b = original;
    std::string campo = chave + '\0';
    campo.resize(256, '\0');
    b.replace(22, 256, campo);
    return b;
  };
  struct Caso {
    const char* nome;
    std::string antes;
    std::string depois;
  };
  const std::string cortada = std::string("UPS_ID ") + '\0' + std::string(248, ' ');
  const Caso casos[] = {
      {"progress call cut", comChave("UPS_ID + Percent(RecNo(), LastRec())"),
       original.substr(0, 22) + cortada + original.substr(278)},
      {"no progress call", comChave("UPS_ID"), comChave("UPS_ID")},
      {"past the stored key", comChave(std::string("UPS_ID") + '\0' + "+ Percent()"),
       comChave(std::string("UPS_ID") + '\0' + "+ Percent()")},
      {"too short for a header", "NTX", "NTX"},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    escreve(z("I01T.NTX"), c.antes);
    FECHAINDICE(s, "I01T.NTX");
    EXPECT_EQ(bytes(z("I01T.NTX")), c.depois);
  }
  // The cut index still opens and seeks on its field.
  escreve(z("I01T.NTX"), casos[0].antes);
  FECHAINDICE(s, "I01T.NTX");
  ASSERT_TRUE(db.use("T", "T", true));
  ASSERT_TRUE(db.current().orderListAdd("I01T"));
  EXPECT_TRUE(db.current().seek(rt::Value(std::string("0000027")), false));
  // An index held open is left alone; a missing file is no error.
  const std::string aberto = bytes(z("I01T.NTX"));
  FECHAINDICE(s, "I01T.NTX");
  EXPECT_EQ(bytes(z("I01T.NTX")), aberto);
  db.closeAll();
  FECHAINDICE(s, "NADA.NTX");
  EXPECT_FALSE(fs::exists(z("NADA.NTX")));
  EXPECT_TRUE(s.rt.errors.errOutput().empty());
}

// A system whose printer Lpt1 is a file, ready or not.
struct ComImpressora {
  ComImpressora(const fs::path& root, const fs::path& lpt1)
      : backend(new test::RecordingBackend),
        runtime(std::unique_ptr<rt::term::Backend>(backend), rt::dos::Config{root, {}, {}, lpt1.string()}),
        s(runtime) {
    ERRORSYS(s);
  }
  test::RecordingBackend* backend;
  rt::Runtime runtime;
  Sistema s;
};

TEST_F(SpareToolkit, Imprime) {
  struct Caso {
    const char* nome;
    bool pronta;
    std::vector<int> teclas;
    bool impresso, mantido, aviso;
  };
  const Caso casos[] = {
      {"Salva/Imprime", true, {'S'}, true, true, false},
      {"Apenas Imprime", true, {'A'}, true, false, false},
      {"Apenas Salva without a printer", false, {key::kEnd, key::kEnter}, false, true, false},
      {"Esc without a printer", false, {key::kEsc}, false, false, false},
      {"no printer, then Apenas Salva", false, {'S', ' ', key::kEnd, key::kEnter}, false, true, true},
      {"no printer for Apenas Imprime, then Esc", false, {'A', ' ', key::kEsc}, false, false, true},
  };
  const std::string relatorio = "linha 1\r\nlinha 2\r\n\f\r";
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    const fs::path lpt1 =
        c.pronta ? drive().root() / "printer.out" : drive().root() / "missing" / "printer.out";
    fs::remove(lpt1);
    escreve(z("REL.PRN"), relatorio);
    ComImpressora p(drive().root(), lpt1);
    p.backend->add(c.teclas);
    IMPRIME(p.s, "REL");
    EXPECT_EQ(p.backend->pending(), 0u);
    EXPECT_TRUE(shows(p.backend->atKeys.at(0), "Relatório Concluído"));
    EXPECT_TRUE(shows(p.backend->atKeys.at(0), "Apenas Salva"));
    EXPECT_EQ(fs::exists(lpt1) && bytes(lpt1) == relatorio, c.impresso);
    EXPECT_EQ(fs::exists(z("REL.PRN")), c.mantido);
    bool aviso = false;
    for (const auto& sc : p.backend->atKeys) aviso = aviso || shows(sc, "Impressora Desativada ou");
    EXPECT_EQ(aviso, c.aviso);
    EXPECT_EQ(p.backend->tones().size(), c.aviso ? 1u : 0u);
    const auto& sc = p.runtime.term.screen();
    EXPECT_EQ(text(sc, 20, 3, 14), c.impresso ? "Imprimindo... " : "              ");
    if (c.impresso) {
      EXPECT_EQ(sc.attr(20, 3), 0xF4);  // R*/W
    }
  }
}

TEST_F(SpareToolkit, Relogio) {
  std::vector<double> relogio;
  std::size_t leitura = 0;
  EstadoRelogio r;
  r.segundos = [&] { return relogio.at(leitura++); };
  term().setColor("W/B");
  term().cls();

  struct Passo {
    const char* tipo;
    std::vector<double> horas;  // what the clock gives during the call
    const char* quadro;         // the cell at row 20, column 16 afterwards
  };
  const std::vector<Passo> passos = {
      {"Inicial", {100.00, 100.00}, " "},
      {"", {100.02}, " "},  // the first call after "Inicial" draws none
      {"", {100.04}, "|"},
      {"", {100.045}, "/"},
      {"", {100.046}, "/"},  // less than 0.01 since the last frame
      {"", {100.06}, "/"},
      {"", {100.08}, "─"},
      {"", {100.10}, "\\"},
      {"", {100.12}, "|"},
      {"", {100.14}, "/"},
      {"", {100.16}, "─"},
      {"", {100.18}, "\\"},
      {"", {0.01}, "|"},  // the ninth frame is the first again
      {"", {0.02}, "/"},  // past midnight the spinner goes on
      // A hundredth exactly, which 10.01 - 10.00 in doubles falls just short of.
      {"Inicial", {10.00, 10.00}, " "},
      {"", {10.01}, " "},
      {"", {10.02}, "|"},
  };
  for (std::size_t i = 0; i < passos.size(); ++i) {
    SCOPED_TRACE(i);
    relogio.insert(relogio.end(), passos[i].horas.begin(), passos[i].horas.end());
    term().setDevice(rt::term::Terminal::Device::Printer);
    RELOGIO(s, r, passos[i].tipo);
    EXPECT_EQ(leitura, relogio.size());
    EXPECT_EQ(text(20, 16, 1), passos[i].quadro);
    EXPECT_EQ(term().device(), rt::term::Terminal::Device::Printer);
    EXPECT_EQ(term().colors()[rt::term::Slot::Standard], 0x3F);  // W+/GB
  }
  EXPECT_EQ(text(19, 1, 18), "┌────────────────┐");
  EXPECT_EQ(text(20, 3, 11), "Processando");
  EXPECT_EQ(screen().attr(20, 3), 0x70);
  EXPECT_EQ(screen().attr(20, 16), 0x74);  // R/W
  EXPECT_EQ(screen().attr(22, 3), 0x08);   // the shadow
}

TEST_F(SpareToolkit, MenuAchoice) {
  std::vector<std::string> trinta;
  for (int i = 1; i <= 30; ++i) trinta.push_back("Item " + std::to_string(i));
  struct Caso {
    const char* nome;
    std::vector<std::string> itens;
    int inicial;
    std::vector<int> teclas;
    int resultado;
  };
  const std::vector<Caso> casos = {
      {"enter on the start item", trinta, 3, {key::kEnter}, 3},
      {"scrolls past the box", trinta, 1, std::vector<int>(20, key::kDown) + std::vector<int>{key::kEnter},
       21},
      {"Left and Right open it again at the start",
       trinta,
       2,
       {key::kDown, key::kLeft, key::kRight, key::kEnter},
       2},
      {"esc", trinta, 1, {key::kDown, key::kEsc}, 0},
      {"no items", {}, 1, {}, 0},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.nome);
    term().setColor("W/B");
    term().cls();
    keys().atKeys.clear();
    for (int k : c.teclas) keys().add(k);
    EXPECT_EQ(MENUACHOICE(s, 3, 10, c.itens, c.inicial), c.resultado);
    EXPECT_EQ(keys().pending(), 0u);
    EXPECT_EQ(text(4, 10, 8), "        ");  // rows 2-24 restored
    EXPECT_EQ(term().colors()[rt::term::Slot::Standard], 0x17);
  }
  keys().add(key::kEsc);
  MENUACHOICE(s, 3, 10, trinta, 1);
  const auto& sc = keys().atKeys.back();
  EXPECT_EQ(text(sc, 3, 10, 1), "┌");
  EXPECT_EQ(text(sc, 21, 10, 1), "└");        // the list ends on row 20
  EXPECT_EQ(text(sc, 21, 18, 1), "┘");        // right edge: 10 + 7 + 1
  EXPECT_EQ(text(sc, 20, 11, 7), "Item 17");  // 17 rows, then it scrolls
  EXPECT_EQ(sc.attr(4, 11), 0x4F);
  EXPECT_EQ(sc.attr(5, 11), 0x70);
}

TEST_F(SpareToolkit, RelatAchoice) {
  const auto itens = [](int n) {
    std::vector<std::pair<std::string, bool>> v;
    for (int i = 1; i <= n; ++i) v.emplace_back("Relatorio " + std::to_string(i), i != 2);
    return v;
  };
  struct Caso {
    int itens;
    int base;  // the box's bottom border
  };
  for (const Caso& c : {Caso{16, 19}, Caso{15, 19}, Caso{4, 8}}) {
    SCOPED_TRACE(c.itens);
    keys().atKeys.clear();
    keys().add({key::kDown, key::kEnter});
    EXPECT_EQ(RELATACHOICE(s, 3, 5, itens(c.itens)), 3);  // item 2 cannot be chosen
    const auto& sc = keys().atKeys.at(0);
    EXPECT_EQ(text(sc, c.base, 5, 1), "└");
    EXPECT_EQ(text(sc, 5, 6, 11), "Relatorio 2");
    EXPECT_EQ(sc.attr(4, 6), 0x4F);
  }
  // Nothing to choose: 0 at once.
  EXPECT_EQ(RELATACHOICE(s, 3, 5, {{"A", false}, {"B", false}}), 0);
  EXPECT_EQ(RELATACHOICE(s, 3, 5, {}), 0);
}

}  // namespace
}  // namespace fpo
