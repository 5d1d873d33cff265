// The critique's refusals before its sections, where each one sends the
// run, and that none leaves a report or a control-table row behind.
#include <functional>

#include "rt/term/keys.h"
#include "support/cri_fixture.h"

namespace fpo {
namespace {

namespace fs = std::filesystem;
namespace key = rt::term::key;
namespace cri = test::cri;
using cri::Mes;

enum class Volta { Inicio, Prompt, Menu };

struct Recusa {
  const char* nome;
  std::function<void(const fs::path& zoz, const fs::path& disquete)> prepara;
  std::vector<int> teclas;            // up to the key that dismisses the message (if any)
  std::vector<std::string> mensagem;  // its lines; none: no message
  Volta volta;
};

class CompararRecusas : public cri::CriticaTest {};

std::vector<int> digita(std::vector<int> antes, const std::string& digitos, std::vector<int> depois) {
  for (char c : digitos) antes.push_back(c);
  antes.insert(antes.end(), depois.begin(), depois.end());
  return antes;
}

TEST_F(CompararRecusas, EachRefusalAndWhereItGoes) {
  const auto nada = [](const fs::path&, const fs::path&) {};
  const auto apaga = [](const char* nome) {
    return [nome](const fs::path& z, const fs::path&) { fs::remove(z / nome); };
  };
  const auto nacional = [](std::vector<std::string> fups) {
    return [fups](const fs::path& z, const fs::path&) { cri::gravaTexto(z / "FUPSLM11.TXT", fups); };
  };
  const std::vector<std::string> faltaNacional = {
      "Faltando arquivo(s) no disquete", "necessário(s) para comparação ou",
      "arquivos de Cadastro e Programação", "estão com Data de Referência",
      " diferentes dos arquivos do disquete."};
  const std::vector<std::string> incompativel = {"Código do município incompatível",
                                                 "com os arquivos encontrados."};
  const int E = key::kEnter;
  const std::vector<Recusa> casos = {
      {"Esc at the drive choice", nada, {key::kEsc}, {}, Volta::Menu},
      {"drive A: not ready", nada, {'A', E}, {"Não foi encontrado", "disquete na unidade."}, Volta::Inicio},
      {"drive B: not ready", nada, {'B', E}, {"Não foi encontrado", "disquete na unidade."}, Volta::Inicio},
      {"an empty diskette",
       [](const fs::path&, const fs::path& a) { fs::create_directories(a); },
       {'A', E},
       {"Disquete vazio."},
       Volta::Inicio},
      {"a package table missing",
       apaga("S_EMU.211"),
       {'\\', E},
       {"Faltando arquivo(s) no disco rígido", "necessário(s) para comparação."},
       Volta::Inicio},
      {"a national file missing", apaga("FESPLM11.TXT"), {'\\', E}, faltaNacional, Volta::Inicio},
      {"a month list without a month",
       [](const fs::path& z, const fs::path&) {
         Mes m = Mes::limpo();
         for (auto& r : m.ctrl) r[4] = test::C("2022");
         cri::grava(z, z, m);
       },
       {'\\', E},
       faltaNacional,
       Volta::Inicio},
      {"Esc at the municipality prompt", nada, {'\\', key::kEsc}, {}, Volta::Menu},
      {"Esc at the confirmation", nada, digita({'\\'}, "440", {E, key::kEsc}), {}, Volta::Menu},
      {"\"Não\" at the confirmation", nada, digita({'\\'}, "440", {E, 'N'}), {}, Volta::Prompt},
      {"Esc in the picker", nada, {'\\', E, key::kEsc}, {}, Volta::Prompt},
      {"a municipality not in the list",
       nada,
       digita({'\\'}, "9999", {E, E}),
       {"Código do Município Inválido ou Inexistente."},
       Volta::Prompt},
      {"the units file of another municipality", nacional({cri::fups(cri::num(1), "07954571000104", "0270")}),
       digita({'\\'}, "440", {E, E, E}), incompativel, Volta::Inicio},
      {"an empty units file", nacional({}), digita({'\\'}, "440", {E, E, E}), incompativel, Volta::Inicio},
      // The picker's first name is ABAIARA (0010); the national files are 0440's.
      {"the picker's choice against 0440's files", nada, {'\\', E, E, E, E}, incompativel, Volta::Inicio},
  };
  for (const Recusa& c : casos) {
    SCOPED_TRACE(c.nome);
    // A fresh folder per case.
    for (const auto& e : fs::directory_iterator(zoz())) fs::remove_all(e.path());
    fs::remove_all(disquete());
    cri::grava(zoz(), zoz(), Mes::limpo());
    c.prepara(zoz(), disquete());
    keys().atKeys.clear();
    // Back at the start, a second pass: it reopens and indexes what the
    // first one closed, and meets the same refusal.
    const int passes = c.volta == Volta::Inicio ? 2 : 1;
    for (int p = 0; p < passes; ++p) keys().add(c.teclas);
    if (c.volta != Volta::Menu) keys().add(key::kEsc);
    ASSERT_EQ(comparar(), -1);
    EXPECT_EQ(keys().pending(), 0u);

    const auto& telas = keys().atKeys;
    std::size_t i = 0;
    for (int p = 0; p < passes; ++p) {
      if (!c.mensagem.empty()) {
        while (i < telas.size() && !shows(telas[i], c.mensagem[0])) ++i;
        ASSERT_LT(i + 1, telas.size()) << "no message in pass " << p + 1;
        for (const auto& l : c.mensagem) EXPECT_TRUE(shows(telas[i], l)) << l;
        ++i;
      } else {
        i = telas.size() - 1;
      }
      if (c.volta == Volta::Inicio) {
        EXPECT_TRUE(shows(telas[i], "Escolha a unidade"));
      } else if (c.volta == Volta::Prompt) {
        EXPECT_TRUE(shows(telas[i], "Entre com o Cod. Município"));
      }
    }
    for (const auto& t : telas) EXPECT_FALSE(shows(t, "Error ")) << "the error policy's box";
    EXPECT_FALSE(fs::exists(zoz() / "CRI0440.211"));
    EXPECT_FALSE(fs::exists(zoz() / "CRI0010.211"));
    EXPECT_TRUE(ctl().empty());
    s.rt.db.closeAll();  // what the menu does after the action
  }
}

// Every alert sounds the tone first; the printing notice does not.
TEST_F(CompararRecusas, AlertsSoundTheTone) {
  cri::grava(zoz(), zoz(), Mes::limpo());
  keys().add({'A', key::kEnter, key::kEsc});
  ASSERT_EQ(comparar(), -1);
  ASSERT_EQ(keys().tones().size(), 1u);
  EXPECT_EQ(keys().tones()[0], (rt::term::Headless::Tone{200, 3}));
}

}  // namespace
}  // namespace fpo
