// The refusals of the import's folder tests, prompts and record checks, and
// where each one sends the run.
#include <functional>

#include "importar_fixture.h"
#include "rt/text/number.h"

namespace fpo {
namespace {

namespace fs = std::filesystem;
namespace key = rt::term::key;
namespace zoz = test::zoz;

enum class Volta { Menu, Prompt };

struct Recusa {
  const char* nome;
  std::function<void(const fs::path& zoz, const fs::path& raiz)> prepara;
  std::vector<std::string> mensagem;  // its lines
  Volta volta;
  const char* municipio = "440";
};

class ImportarRecusas : public test::ImportarTest {};

TEST_F(ImportarRecusas, EachRefusalOnce) {
  const auto apaga = [](const char* nome) {
    return [nome](const fs::path& z, const fs::path&) { fs::remove(z / nome); };
  };
  // A folder by its UTF-8 name, as the system spells it.
  const auto entra = [](const char* pasta) {
    return [pasta](const fs::path&, const fs::path& raiz) {
      const fs::path nome(reinterpret_cast<const char8_t*>(pasta));
      fs::create_directories(raiz / nome);
      fs::current_path(raiz / nome);
    };
  };
  const std::vector<Recusa> casos = {
      {"empty folder",
       [](const fs::path& z, const fs::path&) {
         for (const auto& e : fs::directory_iterator(z)) fs::remove(e.path());
       },
       {"Disquete vazio."},
       Volta::Menu},
      {"another folder",
       entra("DADOS"),
       {"Voce esta posicionado no diretorio/pasta (DADOS).",
        "P O S I C I O N E - S E    N A    P A S T A  \\ZOZ"},
       Volta::Menu},
      {"the root", entra(""), {"Voce esta posicionado no diretorio/pasta ()."}, Volta::Menu},
      {"a folder named with accents",
       entra("Saúde Pública"),
       {"Voce esta posicionado no diretorio/pasta (Saúde Pública)."},
       Volta::Menu},
      {"a folder named with letters the code page lacks",
       entra("Saúde €"),
       {"Voce esta posicionado no diretorio/pasta (Saúde ?)."},
       Volta::Menu},
      {"a package table missing",
       apaga("S_EMU.211"),
       {"Faltando arquivo(s)", "necessário(s) para importação.",
        "Descompactar o KOVA do mes e ano correspondente no", "diretorio/pasta ZOZ"},
       Volta::Menu},
      {"municipality not in the list",
       [](const fs::path&, const fs::path&) {},
       {"Município não encontrado."},
       Volta::Prompt,
       "9999"},
      {"S_MNT.DBF missing", apaga("S_MNT.DBF"), {"Arquivo \\ZOZ\\S_MNT.DBF não encontrado."}, Volta::Prompt},
      {"S_CTR.DBF missing", apaga("S_CTR.DBF"), {"Arquivo \\ZOZ\\S_CTR.DBF não encontrado."}, Volta::Prompt},
      {"S_CTR without rows",
       [](const fs::path& z, const fs::path&) { zoz::writeCtr(z, "202211", "1AAAA", 0); },
       {"Arquivo \\ZOZ\\S_CTR.DBF com múltiplos registros."},
       Volta::Prompt},
      {"S_CTR with two rows",
       [](const fs::path& z, const fs::path&) { zoz::writeCtr(z, "202211", "1AAAA", 2); },
       {"Arquivo \\ZOZ\\S_CTR.DBF com múltiplos registros."},
       Volta::Prompt},
      {"ZOZ in another month",
       [](const fs::path& z, const fs::path&) { zoz::writeCtr(z, "202210"); },
       {"Data de referência inválida.", "Copie os arquivos de Cadastro e Programação do mês",
        " para o diretório \\ZOZ do seu micro."},
       Volta::Prompt},
      {"a stage done",
       [](const fs::path& z, const fs::path&) { zoz::writeCtr(z, "202211", "1AAFA"); },
       {"Etapas do processamento já efetuadas."},
       Volta::Prompt},
      {"cadastre flag",
       [](const fs::path& z, const fs::path&) { zoz::writeCtr(z, "202211", "BAAAA"); },
       {"Etapas do processamento já efetuadas."},
       Volta::Prompt},
      {"S_SS.DBF missing", apaga("S_SS.DBF"), {"Arquivo \\ZOZ\\S_SS.DBF não encontrado."}, Volta::Prompt},
      {"S_SS with two rows",
       [](const fs::path& z, const fs::path&) { zoz::writeSs(z, "230440", "23", "LM", 2); },
       {"Arquivo \\ZOZ\\S_SS.DBF com múltiplos registros."},
       Volta::Prompt},
      {"installed for another municipality",
       [](const fs::path& z, const fs::path&) { zoz::writeSs(z, "230270"); },
       {"Código do município incompatível", "com banco de dados."},
       Volta::Prompt},
      {"another state",
       [](const fs::path& z, const fs::path&) { zoz::writeSs(z, "230440", "23", "XX"); },
       {"Município não configurado como do LUMEA."},
       Volta::Prompt},
      {"another state code",
       [](const fs::path& z, const fs::path&) { zoz::writeSs(z, "230440", "24", "LM"); },
       {"Município não configurado como do LUMEA."},
       Volta::Prompt},
      {"an installed table missing",
       apaga("S_EMU.DBF"),
       {"Faltando arquivo(s) no Disco Rígido", "necessário(s) para importação."},
       Volta::Prompt},
  };
  for (const Recusa& c : casos) {
    SCOPED_TRACE(c.nome);
    fs::current_path(drive().zoz());
    for (const auto& e : fs::directory_iterator(drive().zoz())) fs::remove_all(e.path());
    zoz::build(drive().zoz());
    c.prepara(drive().zoz(), drive().root());
    keys().atKeys.clear();
    const auto tons = keys().tones().size();
    if (c.volta == Volta::Prompt) passo(c.municipio, "5");
    keys().add(key::kEnter);  // the alert
    if (c.volta == Volta::Prompt) keys().add(key::kEsc);

    EXPECT_EQ(importar(), -1);
    EXPECT_EQ(keys().pending(), 0u);
    for (const auto& l : c.mensagem) EXPECT_TRUE(viu(l)) << l;
    ASSERT_EQ(keys().tones().size(), tons + 1);
    EXPECT_EQ(keys().tones().back(), (rt::term::Headless::Tone{200, 3}));
    if (c.volta == Volta::Prompt) {
      EXPECT_TRUE(shows(keys().atKeys.back(), "Entre com o Cod. Município (ENTER p/ Lista)"));
    }
    s.rt.db.closeAll();
  }
}

// S_SS of another municipality: refused, but its management code is first
// taken from the list's row of its own municipality, blank when the list
// lacks it.
TEST_F(ImportarRecusas, ManagementCodeWrittenBeforeTheMunicipalityTest) {
  for (const auto& [gestao, condic] : {std::pair{"230270", "PE"}, std::pair{"239999", ""}}) {
    SCOPED_TRACE(gestao);
    zoz::writeSs(drive().zoz(), gestao);
    passo("440", "0");
    keys().add({key::kEnter, key::kEsc});
    EXPECT_EQ(importar(), -1);
    s.rt.db.closeAll();
    const auto ss = linhas("S_SS.DBF");
    EXPECT_EQ(campo("S_SS.DBF", ss[0], "SS_CONDIC"), condic);
    EXPECT_EQ(campo("S_SS.DBF", ss[0], "SS_DPCNES"), "");
  }
}

TEST_F(ImportarRecusas, FolderBeginningWithZozPasses) {
  fs::create_directories(drive().root() / "ZOZ2");
  fs::current_path(drive().root() / "ZOZ2");
  keys().add(key::kEsc);  // at the municipality prompt
  EXPECT_EQ(importar(), -1);
  EXPECT_TRUE(shows(keys().atKeys.back(), "Entre com o Cod. Município (ENTER p/ Lista)"));
}

// The layout of S_CTR by the month it describes.
TEST_F(ImportarRecusas, ControlRecordFixUps) {
  struct Caso {
    int ano, mes;
    const char* cnes;    // CTR_CNES afterwards
    const char* versao;  // CTR_VERSAO afterwards ("-": the field is gone)
  };
  for (const Caso& c : {Caso{2003, 8, "", "-"}, Caso{2007, 12, "", "3.10"}, Caso{2008, 1, "XYZ", ""}}) {
    const std::string mvm = rt::text::strZero(c.ano, 4) + rt::text::strZero(c.mes, 2);
    SCOPED_TRACE(mvm);
    for (const auto& e : fs::directory_iterator(drive().zoz())) fs::remove_all(e.path());
    zoz::build(drive().zoz());
    mudaPeriodo(c.ano, c.mes, "AAAAA");
    passo("440", "0");
    keys().add(key::kEnter);
    ASSERT_EQ(importar(), -1);

    const auto ctr = linhas("S_CTR.DBF");
    ASSERT_EQ(ctr.size(), 1u);
    EXPECT_EQ(campo("S_CTR.DBF", ctr[0], "CTR_MVM"), mvm);
    EXPECT_EQ(campo("S_CTR.DBF", ctr[0], "CTR_CNES"), c.cnes);
    const auto ctl = linhas("CTL.DBF");  // a new control row for the month
    ASSERT_EQ(ctl.size(), 3u);
    EXPECT_EQ(campo("CTL.DBF", ctl[2], "DATREF"), mvm);
    EXPECT_EQ(campo("CTL.DBF", ctl[2], "CODMNC"), " 440");
    EXPECT_EQ(campo("CTL.DBF", ctl[2], "DATSES"), "");
    const auto nomes = test::fieldNames(z("S_CTR.DBF"));
    if (std::string(c.versao) == "-") {
      EXPECT_EQ(nomes.size(), 7u);
      EXPECT_EQ(test::fieldNames(z("CTR1.DBF")), nomes);
    } else {
      EXPECT_EQ(campo("S_CTR.DBF", ctr[0], "CTR_VERSAO"), c.versao);
      EXPECT_FALSE(fs::exists(z("CTR1.DBF")));
    }
  }
}

}  // namespace
}  // namespace fpo
