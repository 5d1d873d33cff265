// Section 4: the specialities of the municipality's units (S_EMU against
// the national FESPLM file, whose lines pack a unit's items of 10
// characters: speciality, quantity, hours).
#include "app/comparar/critica.h"
#include "app/comparar/unidade.h"
#include "rt/text/number.h"
#include "rt/text/picture.h"
#include "rt/text/strings.h"

namespace fpo::comparar {

namespace {

const std::vector<rt::db::FieldSpec> kEsp = {{"CODEST", 'C', 2, 0},
                                             {"CODUPS", 'C', 6, 0},
                                             {"CODESP", 'C', 2, 0},
                                             {"QTDESP", 'N', 3, 0},
                                             {"QTDHOR", 'N', 5, 0}};
const std::vector<rt::db::FieldSpec> kEsp2 = {
    {"CODEST", 'C', 2, 0},    {"CODUPS", 'C', 6, 0},    {"CODESM1", 'C', 200, 0}, {"CODESM2", 'C', 200, 0},
    {"CODESM3", 'C', 200, 0}, {"CODESM4", 'C', 200, 0}, {"CODESM5", 'C', 180, 0}};

class Especialidades : public Secao {
 public:
  Especialidades(Sistema& s, Critica& c) : s_(s), c_(c) {
    k = 4;
    status = "Criticando Especialidades.";
    tracos = 53;
    cabecalho = "        | REG.| UNIDADE | ESPECIALIDADE | QTDE | QTDE HORAS |";
    titulo = "*** ESPECIALIDADES ***";
    nacional = "ESP";
    local = "EMUZEB";
  }

  void prepara() override {
    const std::string& d = c_.DIRETORIO;
    rt::db::Area& esp = criaTrabalho(s_, c_, "ESP_COMP", "ESP", kEsp);
    rt::db::Area& esp2 = criaTrabalho(s_, c_, "ESP2_COMP", "ESP2", kEsp2);
    esp2.appendSdf(c_.nacional("\\FESPLM"));
    // Indexed after the items are in, as the items section does.
    expande(esp, esp2);
    esp.indexOn("ESP->CODUPS + ESP->CODESP", d + "I08KOVA");

    s_.rt.db.use(d + "S_EMU." + c_.REF_ARQUIVO, "EMUZEB", true);
    s_.rt.db.current().indexOn("SubStr(EMUZEB->EMU_UID, 1, 6) + EMUZEB->EMU_EMA", d + "I09KOVA");
  }

  bool considera() override { return doMunicipio(s_, c_, ups_, zeb_.v("EMU_UID")); }

  std::string chave() override {
    std::string chaveLocal(subStr(zeb_.v("EMU_UID"), 1, 6));
    chaveLocal += zeb_.v("EMU_EMA");
    return chaveLocal;
  }

  bool difere() override {
    const std::string_view codups = esp_.v("CODUPS");
    return !igualComDigito(s_, codups, zeb_.v("EMU_UID")) ||
           !igual(s_, esp_.v("CODESP"), zeb_.v("EMU_EMA")) || esp_.n("QTDESP") != zeb_.n("EMU_QT_PR") ||
           esp_.n("QTDHOR") != zeb_.n("EMU_QT_HR");
  }

  double ordemNacional() override { return valor(esp_.c("CODUPS")); }
  double ordemLocal() override { return valor(subStr(zeb_.c("EMU_UID"), 1, 6)); }

  std::string linhaNacional(char) override {
    return "ENCONT.: " + strZero(esp_.recno(), 5) + "  " + esp_.c("CODUPS") + "-" + digito(esp_.c("CODUPS")) +
           space(9) + esp_.c("CODESP") + space(10) + rt::text::str(esp_.n("QTDESP"), 3) + space(5) +
           rt::text::transformNumber(esp_.n("QTDHOR"), "@E 99,999");
  }

  std::string linhaLocal(char) override {
    return "CORRETO: " + strZero(zeb_.recno(), 5) + "  " +
           rt::text::transformText(subStr(zeb_.c("EMU_UID"), 1, 7), "@R 999999-9") + space(9) +
           zeb_.c("EMU_EMA") + space(10) + rt::text::str(zeb_.n("EMU_QT_PR"), 3) + space(5) +
           rt::text::transformNumber(zeb_.n("EMU_QT_HR"), "@E 99,999");
  }

 private:
  // One item record of 10 characters per item of a line's item list, the
  // five fields joined and then trimmed at both ends.
  void expande(rt::db::Area& esp, rt::db::Area& esp2) {
    FPO_ROUTINE(s_, "expande");
    if (!esp.used() || !esp2.used()) return;
    Tabela linha(s_, "ESP2");
    const std::string estado = "23";
    // The items go in by the batch.
    rt::db::Appender itens(esp);
    std::string juntos;
    for (esp2.goTop(); !esp2.eof(); esp2.skip(1)) {
      juntos = linha.v("CODESM1");
      for (const char* campo : {"CODESM2", "CODESM3", "CODESM4", "CODESM5"}) juntos += linha.v(campo);
      const std::string_view SOMCAM = rt::text::allTrim(juntos);
      const std::string_view CODUPS = linha.v("CODUPS");
      for (std::size_t VFOR = 0; VFOR < SOMCAM.size(); VFOR += 10) {
        const std::string_view DIVREG = SOMCAM.substr(VFOR, 10);
        if (!itens.add()) return;
        itens.text(0, estado);
        itens.text(1, CODUPS);
        itens.text(2, subStr(DIVREG, 1, 2));
        itens.put(3, rt::Value::number(valor(subStr(DIVREG, 3, 3))));
        itens.put(4, rt::Value::number(valor(subStr(DIVREG, 6, 5))));
      }
    }
    itens.finish();
  }

  Sistema& s_;
  Critica& c_;
  Tabela esp_{s_, "ESP"}, zeb_{s_, "EMUZEB"}, ups_{s_, "UPSZEB"};
};

}  // namespace

std::unique_ptr<Secao> ESPECIALIDADES(Sistema& s, Critica& c) {
  return std::make_unique<Especialidades>(s, c);
}

}  // namespace fpo::comparar
