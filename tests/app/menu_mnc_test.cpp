// The municipality picker over the fixture's list of the month.
#include "app/errorsys/Errorsys.h"
#include "app/funcoes/Funcoes.h"
#include "rt/term/keys.h"
#include "rt/text/cp860.h"
#include "rt/text/strings.h"
#include "support/app_fixture.h"
#include "support/tables.h"
#include "support/zoz_fixture.h"

namespace fpo {
namespace {

namespace key = rt::term::key;

class MenuMnc : public test::AppTest {
 protected:
  MenuMnc() {
    ERRORSYS(s);
    s.rt.db.settings().deleted = true;
    test::zoz::build(drive().zoz());
  }

  // The list opened and indexed as the import and the critique open it.
  void abre() {
    auto& db = s.rt.db;
    ASSERT_TRUE(db.use("\\ZOZ\\ZOZ_CTRL.211", "CTRL", true));
    auto& a = db.current();
    ASSERT_TRUE(a.indexOn("CTRL->CODMNC", "\\ZOZ\\I01CTRL"));
    ASSERT_TRUE(a.indexOn("CTRL->NMEMNC", "\\ZOZ\\I02CTRL"));
    a.orderListClear();
    ASSERT_TRUE(a.orderListAdd("\\ZOZ\\I01CTRL"));
    ASSERT_TRUE(a.orderListAdd("\\ZOZ\\I02CTRL"));
  }

  // Keys as typed by an operator: each after a moment with none waiting,
  // so the browse idles before it (and the screen is recorded).
  void teclas(const std::vector<int>& ks) {
    for (int k : ks) keys().add({rt::term::Headless::kNoKey, k});
  }

  static std::string linha(const std::string& chave) {
    return rt::text::toUtf8(rt::text::padC("Pesquisa: " + chave, 70));
  }
};

TEST_F(MenuMnc, ScreenAndWhatItRestores) {
  abre();
  auto& ctrl = s.rt.db.current();
  ctrl.goTo(5);  // SOBRAL, in order 1
  term().setColor("W/B");
  term().cls();
  term().devPos(10, 10);
  term().devOut("under the picker");
  teclas({key::kEnter});
  EXPECT_EQ(MENU_MNC(s), 10);  // ABAIARA, the first name

  const auto& sc = keys().atKeys.at(0);
  EXPECT_EQ(text(sc, 4, 1, 3), "┌──");
  EXPECT_EQ(text(sc, 5, 3, 34), "  Código         Nome do Município");
  EXPECT_EQ(text(sc, 6, 3, 4), "════");
  EXPECT_EQ(text(sc, 7, 3, 24), "   0010    -    ABAIARA ");
  EXPECT_EQ(text(sc, 8, 6, 4), "0020");
  EXPECT_EQ(text(sc, 8, 19, 7), "ACARAPE");
  EXPECT_EQ(text(sc, 13, 19, 6), "SOBRAL");
  EXPECT_EQ(sc.attr(7, 3), 0x4F);  // the highlighted row, W+/R
  EXPECT_EQ(sc.attr(8, 3), 0x3F);  // W+/GB
  EXPECT_EQ(text(sc, 21, 4, 70), linha(""));
  EXPECT_EQ(sc.attr(21, 4), 0x3E);  // GR+/GB
  EXPECT_EQ(text(sc, 24), rt::text::toUtf8(rt::text::padC(
                              "<Alt-O> Loc.Cod.  <Alt-N> Loc.Nome  <Enter> Atribui Valor", 80)));

  EXPECT_EQ(term().pollKey(), key::kEnter);  // left for the caller
  EXPECT_EQ(text(10, 10, 16), "under the picker");
  EXPECT_EQ(text(4, 1, 3), "   ");
  EXPECT_EQ(term().colors()[rt::term::Slot::Standard], 0x17);
  EXPECT_EQ(ctrl.order(), 1);
  EXPECT_EQ(ctrl.recNo(), 5u);
}

struct Busca {
  const char* nome;
  std::vector<int> teclas;
  int resultado;
  const char* mensagem;  // shown on the way, or nullptr
  std::string chave;     // the search text at the end
};

std::vector<int> texto(const char* s) {
  std::vector<int> k;
  for (const char* p = s; *p; ++p) k.push_back(static_cast<unsigned char>(*p));
  return k;
}
std::vector<int> operator+(std::vector<int> a, const std::vector<int>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

const int kAltO = key::alt('O'), kAltN = key::alt('N');

TEST_F(MenuMnc, Searches) {
  const std::vector<Busca> casos = {
      {"enter on the first row", {key::kEnter}, 10, nullptr, ""},
      {"code found", std::vector<int>{kAltO} + texto("0440") + std::vector<int>{key::kEnter}, 440, nullptr,
       ""},
      {"code not in the list",
       std::vector<int>{kAltO} + texto("9999") + std::vector<int>{key::kEnter, key::kEnter}, 10,
       "Código do município não encontrado.", ""},
      {"code search left with Esc",
       {key::kDown, key::kDown, kAltO, '4', key::kEsc, key::kEnter},
       270,
       nullptr,
       ""},
      {"empty name",
       {kAltN, key::kEnter, key::kEnter, key::kEnter},
       10,
       "Nome do município não encontrado.",
       ""},
      {"name found", std::vector<int>{kAltN} + texto("sob") + std::vector<int>{key::kEnter, key::kEnter},
       1280, nullptr, ""},
      {"first letter decides",
       std::vector<int>{kAltN} + texto("FA") + std::vector<int>{key::kEnter, key::kEnter}, 445, nullptr, ""},
      {"name past its letter",
       std::vector<int>{kAltN} + texto("FZ") + std::vector<int>{key::kEnter, key::kEnter, key::kEnter}, 10,
       "Nome do município não encontrado.", ""},
      {"typed letters", texto("FOR") + std::vector<int>{key::kEnter}, 445, nullptr, "FOR"},
      {"lower case and backspace",
       texto("fort") +
           std::vector<int>{key::kBackspace, key::kBackspace, key::kBackspace, key::kBackspace, key::kEnter},
       10, nullptr, ""},
      {"no name begins so", texto("XYZ") + std::vector<int>{key::kEnter}, 1280, nullptr, "XYZ"},
      {"accents and punctuation ignored", std::vector<int>{0x82, '-', 'C', key::kEnter}, 270, nullptr, "C"},
      {"at most one past the name width", std::vector<int>(32, 'A') + std::vector<int>{key::kEnter}, 1280,
       nullptr, std::string(31, 'A')},
      {"esc", {key::kEsc}, 0, nullptr, ""},
  };
  for (const Busca& c : casos) {
    SCOPED_TRACE(c.nome);
    s.rt.db.closeAll();
    abre();
    keys().atKeys.clear();
    teclas(c.teclas);
    EXPECT_EQ(MENU_MNC(s), c.resultado);
    EXPECT_EQ(keys().pending(), 0u);
    EXPECT_EQ(term().pollKey(), c.resultado ? key::kEnter : 0);
    bool viu = false;
    for (const auto& sc : keys().atKeys) viu = viu || (c.mensagem && shows(sc, c.mensagem));
    EXPECT_EQ(viu, c.mensagem != nullptr);
    EXPECT_EQ(text(keys().atKeys.back(), 21, 4, 70), linha(c.chave));
    EXPECT_FALSE(s.rt.db.settings().softSeek);
  }
}

TEST_F(MenuMnc, SearchFieldsStandOnTheHighlightedRow) {
  abre();
  teclas({key::kDown, key::kDown, kAltO, key::kEsc, kAltN, key::kEsc, key::kEsc});
  EXPECT_EQ(MENU_MNC(s), 0);
  const auto& cur = keys().cursorsAtKeys;
  ASSERT_EQ(cur.size(), 7u);
  EXPECT_EQ(cur[3].row, 9);
  EXPECT_EQ(cur[3].col, 6);
  EXPECT_EQ(cur[5].row, 9);
  EXPECT_EQ(cur[5].col, 19);
  EXPECT_EQ(text(keys().atKeys[5], 9, 19, 30), std::string(30, ' '));
}

TEST_F(MenuMnc, EmptyList) {
  test::makeTable(drive().zoz() / "ZOZ_CTRL.211", test::zoz::kCtrl, {});
  abre();
  teclas({key::kEnter});
  EXPECT_EQ(MENU_MNC(s), 0);
  EXPECT_EQ(term().pollKey(), key::kEnter);  // still left for the caller
  teclas({key::kEsc});
  EXPECT_EQ(MENU_MNC(s), 0);
  EXPECT_EQ(term().pollKey(), 0);
}

}  // namespace
}  // namespace fpo
