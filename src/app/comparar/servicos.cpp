// Section 3: the services of the municipality's units (S_SRV against the
// national FSRVLM file, whose lines pack a unit's items of 6 characters).
#include "app/comparar/critica.h"
#include "app/comparar/unidade.h"
#include "rt/text/cp860.h"
#include "rt/text/picture.h"
#include "rt/text/strings.h"

namespace fpo::comparar {

namespace {

const std::vector<rt::db::FieldSpec> kSrv = {
    {"CODEST", 'C', 2, 0}, {"CODUPS", 'C', 6, 0}, {"CODSRV", 'C', 3, 0}, {"CODCLS", 'C', 3, 0}};
const std::vector<rt::db::FieldSpec> kSrv2 = {{"CODEST", 'C', 2, 0},
                                              {"CODUPS", 'C', 6, 0},
                                              {"CODSRM1", 'C', 200, 0},
                                              {"CODSRM2", 'C', 200, 0},
                                              {"CODSRM3", 'C', 95, 0}};

class Servicos : public Secao {
 public:
  Servicos(Sistema& s, Critica& c) : s_(s), c_(c) {
    k = 3;
    status = "Criticando Serviços."_cp;
    tracos = 43;
    cabecalho = "        | REG.| UNIDADE | SERVICO | CLASSIFICACAO |";
    titulo = "*** SERVICOS ***";
    nacional = "SRV";
    local = "SRVZEB";
  }

  void prepara() override {
    const std::string& d = c_.DIRETORIO;
    rt::db::Area& srv = criaTrabalho(s_, c_, "SRV_COMP", "SRV", kSrv);
    rt::db::Area& srv2 = criaTrabalho(s_, c_, "SRV2_COMP", "SRV2", kSrv2);
    srv2.appendSdf(c_.nacional("\\FSRVLM"));
    // The index is written whole from its sorted entries: made after the
    // items are in, it is the same file without a key insert per item.
    expande(srv, srv2);
    srv.indexOn("SRV->CODUPS + SRV->CODSRV + SRV->CODCLS", d + "I06KOVA");

    s_.rt.db.use(d + "S_SRV." + c_.REF_ARQUIVO, "SRVZEB", true);
    s_.rt.db.current().indexOn("SubStr(SRVZEB->SRV_UID, 1, 6) + SRVZEB->SRV_SR + SRVZEB->SRV_CSF",
                               d + "I07KOVA");
  }

  bool considera() override { return doMunicipio(s_, c_, ups_, zeb_.v("SRV_UID")); }

  std::string chave() override {
    std::string chaveLocal(subStr(zeb_.v("SRV_UID"), 1, 6));
    chaveLocal += zeb_.v("SRV_SR");
    chaveLocal += zeb_.v("SRV_CSF");
    return chaveLocal;
  }

  bool difere() override {
    const std::string_view codups = srv_.v("CODUPS");
    return !igualComDigito(s_, codups, zeb_.v("SRV_UID")) || !igual(s_, srv_.v("CODSRV"), zeb_.v("SRV_SR")) ||
           !igual(s_, srv_.v("CODCLS"), zeb_.v("SRV_CSF"));
  }

  double ordemNacional() override { return valor(srv_.c("CODUPS")); }
  double ordemLocal() override { return valor(subStr(zeb_.c("SRV_UID"), 1, 6)); }

  std::string linhaNacional(char) override {
    return "ENCONT.: " + strZero(srv_.recno(), 5) + "   " + srv_.c("CODUPS") + "-" +
           digito(srv_.c("CODUPS")) + space(5) + srv_.c("CODSRV") + space(11) + srv_.c("CODCLS");
  }

  std::string linhaLocal(char) override {
    return "CORRETO: " + strZero(zeb_.recno(), 5) + "   " +
           rt::text::transformText(subStr(zeb_.c("SRV_UID"), 1, 7), "@R 999999-9") + space(5) +
           zeb_.c("SRV_SR") + space(11) + zeb_.c("SRV_CSF");
  }

 private:
  // One item record of 6 characters (service, class) per item of a line's
  // joined item fields, each field first trimmed at both ends.
  void expande(rt::db::Area& srv, rt::db::Area& srv2) {
    FPO_ROUTINE(s_, "expande");
    if (!srv.used() || !srv2.used()) return;
    Tabela linha(s_, "SRV2");
    const std::string estado = "23";
    // The items go in by the batch.
    rt::db::Appender itens(srv);
    std::string SOMCAM;
    for (srv2.goTop(); !srv2.eof(); srv2.skip(1)) {
      SOMCAM = rt::text::allTrim(linha.v("CODSRM1"));
      SOMCAM += rt::text::allTrim(linha.v("CODSRM2"));
      SOMCAM += rt::text::allTrim(linha.v("CODSRM3"));
      const std::string_view CODUPS = linha.v("CODUPS");
      for (std::size_t VFOR = 0; VFOR < SOMCAM.size(); VFOR += 6) {
        const std::string_view DIVREG = std::string_view(SOMCAM).substr(VFOR, 6);
        if (!itens.add()) return;
        itens.text(0, estado);
        itens.text(1, CODUPS);
        itens.text(2, subStr(DIVREG, 1, 3));
        itens.text(3, subStr(DIVREG, 4, 3));
      }
    }
    itens.finish();
  }

  Sistema& s_;
  Critica& c_;
  Tabela srv_{s_, "SRV"}, zeb_{s_, "SRVZEB"}, ups_{s_, "UPSZEB"};
};

}  // namespace

std::unique_ptr<Secao> SERVICOS(Sistema& s, Critica& c) { return std::make_unique<Servicos>(s, c); }

}  // namespace fpo::comparar
