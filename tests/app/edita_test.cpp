#include "app/funcoes/Funcoes.h"
#include "rt/term/keys.h"
#include "support/app_fixture.h"

namespace fpo {
namespace {

namespace key = rt::term::key;
using test::AppTest;

const char* const kRegra =
    "!Empty(Variavel) .and. Val(Variavel) >= 199802 .and. Val(Subs(Variavel, 5, 2)) > 00 .and. "
    "Val(Subs(Variavel, 5, 2)) < 13";

class Edita : public AppTest {
 protected:
  rt::Value periodo() { return EDITA(s, "Data de Referência (AAAAMM)"_cp, "C", 6, "999999", kRegra); }
  rt::Value municipio() { return EDITA(s, "Entre com o Cod. Município (ENTER p/ Lista)"_cp, "N", 0, "9999", " "); }
};

TEST_F(Edita, PeriodDialogGeometry) {
  term().setColor("W/B");
  term().cls();
  MENSAGEM(s, 24, "status");
  keys().addText("202211");
  rt::Value v = periodo();
  EXPECT_EQ(v.string(), "202211");

  const auto& sc = keys().atKeys.at(0);
  EXPECT_EQ(text(sc, 10, 25, 29), "┌───────────────────────────┐");
  EXPECT_EQ(text(sc, 11, 26, 27), "Data de Referência (AAAAMM)");
  EXPECT_EQ(sc.attr(11, 26), 0x70);
  EXPECT_EQ(sc.attr(10, 25), 0x78);
  EXPECT_EQ(text(sc, 12, 36, 6), "      ");
  EXPECT_EQ(sc.attr(12, 36), 0x4F);  // enhanced while edited
  EXPECT_EQ(sc.attr(12, 41), 0x4F);
  EXPECT_EQ(sc.attr(12, 42), 0x78);  // the window inside
  EXPECT_EQ(keys().cursorsAtKeys.at(0).row, 12);
  EXPECT_EQ(keys().cursorsAtKeys.at(0).col, 36);
  EXPECT_EQ(text(sc, 24, 26, 27), "Data de Referência (AAAAMM)");
  for (int c = 27; c <= 55; ++c) EXPECT_EQ(sc.attr(14, c), 0x08) << c;
  for (int r = 11; r <= 14; ++r) EXPECT_EQ(sc.attr(r, 55), 0x08) << r;
  // Afterwards rows 2-24 are back, the cursor hidden.
  EXPECT_EQ(text(24, 37, 6), "status");
  EXPECT_EQ(text(11, 26, 5), "     ");
  EXPECT_EQ(term().cursor(), rt::term::CursorShape::None);
  EXPECT_EQ(term().colors()[rt::term::Slot::Standard], 0x17);
}

TEST_F(Edita, PeriodRuleKeepsTheInputOpen) {
  // Each bad entry is refused by Enter; Esc finally leaves with blanks.
  keys().addText("1998").add(key::kEnter);
  keys().add(key::kHome).addText("19980").add(key::kEnter);  // 199801: ends at the last digit, refused
  keys().add(key::kHome).addText("202213");
  keys().add(key::kHome).addText("2022 1").add(key::kEnter);
  keys().add(key::kEsc);
  rt::Value v = periodo();
  EXPECT_EQ(v.string(), "      ");
  EXPECT_EQ(term().lastKey(), key::kEsc);
}

TEST_F(Edita, MunicipalityCodeEndsAfterTheFourthDigit) {
  keys().addText("0440");
  EXPECT_EQ(municipio().num(), 440);
  const auto& sc = keys().atKeys.at(0);
  EXPECT_EQ(text(sc, 10, 17, 1), "┌");
  EXPECT_EQ(text(sc, 10, 61, 1), "┐");
  EXPECT_EQ(text(sc, 11, 18, 43), "Entre com o Cod. Município (ENTER p/ Lista)");
  EXPECT_EQ(keys().cursorsAtKeys.at(0).col, 37);
  EXPECT_EQ(sc.attr(14, 63), 0x08);

  keys().add(key::kEnter);  // an empty code
  EXPECT_EQ(municipio().num(), 0);
  keys().addText("44").add(key::kEsc);  // Esc undoes
  EXPECT_EQ(municipio().num(), 0);
  EXPECT_EQ(term().lastKey(), key::kEsc);
}

TEST_F(Edita, BlankRuleMeansNone) {
  keys().add(key::kEnter);
  rt::Value v = EDITA(s, "Teste", "C", 3, "999", " .F.");
  EXPECT_EQ(v.string(), "   ");
  EXPECT_EQ(term().lastKey(), key::kEnter);
}

}  // namespace
}  // namespace fpo
