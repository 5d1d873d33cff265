// The import's two prompts: the municipality with its picker, and the
// complement percentage.
#include "importar_fixture.h"

namespace fpo {
namespace {

namespace key = rt::term::key;
using rt::term::Headless;

class ImportarPrompts : public test::ImportarTest {
 protected:
  // The screen at the first key read that showed the text.
  const rt::term::Screen* quando(const std::string& utf8) {
    for (const auto& sc : keys().atKeys)
      if (shows(sc, utf8)) return &sc;
    return nullptr;
  }
};

TEST_F(ImportarPrompts, EmptyCodeOpensThePicker) {
  keys().add(key::kEnter);                      // empty code: the picker
  keys().add({Headless::kNoKey, key::kEsc});    // left: the prompt again
  keys().add(key::kEnter);                      // the picker again
  keys().add({Headless::kNoKey, key::kEnter});  // ABAIARA
  keys().add({key::kRight, key::kEnter});       // "Não"
  keys().add(key::kEsc);                        // the prompt: back to the menu
  EXPECT_EQ(importar(), -1);
  EXPECT_EQ(keys().pending(), 0u);
  EXPECT_TRUE(viu("Confirma Cod. Município: 0010"));
  EXPECT_TRUE(shows(keys().atKeys.back(), "Entre com o Cod. Município (ENTER p/ Lista)"));
  EXPECT_TRUE(std::filesystem::exists(z("I01CTRL.NTX")));
  EXPECT_TRUE(std::filesystem::exists(z("I02CTRL.NTX")));
}

TEST_F(ImportarPrompts, PercentageScreenAndTheStop) {
  keys().addText("440").add({key::kEnter, key::kEnter});
  keys().addText("101");  // fills the field: refused by its rule
  keys().add(key::kEsc);  // ends the program
  EXPECT_EQ(importar(), 0);

  const auto* sc = quando("Complemento de:");
  ASSERT_TRUE(sc);
  EXPECT_EQ(text(*sc, 11, 2, 14), "Atencao !!!!!!");
  EXPECT_EQ(text(*sc, 13, 2, 70), "Para os Municipio que forem fazer Complemento Federal, informar abaixo");
  EXPECT_EQ(text(*sc, 15, 2, 42), "o percentual de Complemento de 0% ate 100%");
  EXPECT_EQ(text(*sc, 17, 2, 48), "Caso o Municipio NAO faca Complemento Digitar 0%");
  EXPECT_EQ(text(*sc, 20, 2, 20), "Complemento de:   0%");
  EXPECT_EQ(sc->attr(11, 2), 0x17);
  EXPECT_EQ(sc->attr(21, 78), 0x17);
  EXPECT_EQ(text(keys().atKeys.back(), 20, 18, 4), "101%");  // still in the field
  EXPECT_FALSE(viu("Confirma Percentual"));

  EXPECT_EQ(text(12, 12, 24), "Acessar o KOVA Novamente");
  EXPECT_EQ(text(0), std::string(80, ' '));
  EXPECT_EQ(screen().attr(0, 0), 0x17);
  EXPECT_TRUE(s.GETLIST.empty());
}

TEST_F(ImportarPrompts, PercentageConfirmation) {
  keys().addText("440").add({key::kEnter, key::kEnter});
  keys().addText("5").add(key::kEnter);
  keys().add({key::kRight, key::kEnter});  // "Nao": asked again from 0
  keys().addText("100");                   // fills the field
  keys().add(key::kEsc);                   // Esc at the box: asked again
  keys().add(key::kEsc);
  EXPECT_EQ(importar(), 0);
  EXPECT_TRUE(viu("Confirma Percentual de Complemento:   5%"));
  EXPECT_TRUE(viu("Confirma Percentual de Complemento: 100%"));
  EXPECT_EQ(text(keys().atKeys.back(), 20, 18, 4), "  0%");
  EXPECT_EQ(s.WVALCOM, 0);
}

}  // namespace
}  // namespace fpo
