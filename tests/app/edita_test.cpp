// The one-field input dialog: its layout, its VALID rule, the field by
// type, and rules that are blank or do not compile.
#include "app/errorsys/Errorsys.h"
#include "app/funcoes/Funcoes.h"
#include "rt/term/keys.h"
#include "rt/text/date.h"
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
  rt::Value municipio() {
    return EDITA(s, "Entre com o Cod. Município (ENTER p/ Lista)"_cp, "N", 0, "9999", " ");
  }
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

// The initial value and the field width by type, and where the width puts
// the field under the message "Mensagem" (columns 35 to 42).
TEST_F(Edita, InitialValueAndFieldByType) {
  const std::string hoje = rt::text::dtoc(rt::Date::today());
  struct Caso {
    const char* tipo;
    int tamanho;
    const char* mascara;
    std::optional<std::string> valor;
    int coluna;            // the field's first column
    std::string mostrado;  // what the field shows
  };
  const Caso casos[] = {
      {"C", 3, "", "ab12", 37, "ab12"},  // VALOR sets the value and the width
      {"C", 5, "", std::nullopt, 36, "     "},
      {"N", 0, "999", std::nullopt, 37, "  0"},
      {"D", 0, "", std::nullopt, 35, hoje},  // as wide as 8 for the placing
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.tipo);
    keys().atKeys.clear();
    keys().cursorsAtKeys.clear();
    keys().add(key::kEsc);
    const rt::Value v = EDITA(s, "Mensagem", c.tipo, c.tamanho, c.mascara, " ", c.valor);
    EXPECT_EQ(term().lastKey(), key::kEsc);
    EXPECT_EQ(text(keys().atKeys.at(0), 12, c.coluna, static_cast<int>(c.mostrado.size())), c.mostrado);
    EXPECT_EQ(keys().cursorsAtKeys.at(0).col, c.coluna);
    if (*c.tipo == 'C') {
      EXPECT_EQ(v.string(), c.valor.value_or(std::string(static_cast<std::size_t>(c.tamanho), ' ')));
    } else if (*c.tipo == 'N') {
      EXPECT_EQ(v.num(), 0);
    } else {
      EXPECT_EQ(v.date(), rt::Date::today());
    }
  }
}

// A rule that does not compile goes to the error policy before the field is
// shown; its "Quit" ends the program.
TEST_F(Edita, RuleThatDoesNotCompile) {
  ERRORSYS(s);
  keys().add(key::kEnter);  // "Quit"
  try {
    EDITA(s, "Teste", "C", 3, "999", "Val(");
    FAIL() << "Quit must end the program";
  } catch (const rt::err::ProgramExit& e) {
    EXPECT_EQ(e.code(), 1);
  }
  EXPECT_TRUE(shows(keys().atKeys.at(0), "Quit"));
  // The alert has put back what it covered: the message, and no field yet.
  EXPECT_EQ(text(11, 37, 5), "Teste");
  EXPECT_EQ(screen().attr(12, 38), 0x78);
  EXPECT_NE(s.rt.errors.errOutput().find("Called from EDITA("), std::string::npos);
}

TEST_F(Edita, BlankRuleMeansNone) {
  keys().add(key::kEnter);
  rt::Value v = EDITA(s, "Teste", "C", 3, "999", " .F.");
  EXPECT_EQ(v.string(), "   ");
  EXPECT_EQ(term().lastKey(), key::kEnter);
}

}  // namespace
}  // namespace fpo
