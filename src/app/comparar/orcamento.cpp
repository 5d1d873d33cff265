// Section 5: the budget follow-up of the municipality's units (S_IPU
// against the national FAFOLM file), whole items only: rows with a
// sub-code other than 0 take no part on either side.
#include "app/comparar/critica.h"
#include "app/comparar/unidade.h"
#include "rt/text/cp860.h"
#include "rt/text/picture.h"

namespace fpo::comparar {

namespace {

using rt::text::transformNumber;

const std::vector<rt::db::FieldSpec> kAfo = {
    {"CODEST", 'C', 2, 0},  {"CODUPS", 'C', 6, 0},  {"DATREF", 'C', 6, 0},  {"CODIPR", 'C', 2, 0},
    {"IPRAUX", 'C', 5, 0},  {"QTDPRG", 'C', 7, 0},  {"QTDPRD", 'C', 7, 0},  {"QTDAPR", 'C', 7, 0},
    {"VCTPRG", 'C', 15, 0}, {"VCTPRD", 'C', 15, 0}, {"VCTAPR", 'C', 15, 0}, {"CODBLQ", 'C', 1, 0},
    {"VCTDPG", 'C', 15, 0}, {"CODIDC", 'C', 1, 0},  {"CODMNC", 'C', 6, 0}};

class Orcamento : public Secao {
 public:
  Orcamento(Sistema& s, Critica& c) : s_(s), c_(c) {
    k = 5;
    status = "Criticando Acompanhamento Físico Orçamentário."_cp;
    tracos = 59;
    cabecalho = "        | REG.| DATREF | UNIDADE | ITEM | QTDE PRG. |  VALOR PRG. |";
    titulo = "*** ORCAMENTO ***";
    nacional = "AFO";
    local = "IPUZEB";
  }

  void prepara() override {
    auto& db = s_.rt.db;
    const std::string& d = c_.DIRETORIO;
    rt::db::Area& afo = criaTrabalho(s_, c_, "AFO_COMP", "AFO", kAfo);
    // Only the whole items are loaded: the table is what the load of every
    // line, the deletion of the sub-coded ones and a pack would leave.
    const int aux = afo.fieldPos("IPRAUX");
    afo.appendSdf(c_.nacional("\\FAFOLM"),
                  [aux](rt::db::Row& linha) { return aux < 0 || valor(linha.raw(aux)) == 0; });
    afo.indexOn("AFO->DATREF + AFO->CODUPS + AFO->CODIPR", d + "I10KOVA");

    db.use(d + "S_IPU." + c_.REF_ARQUIVO, "IPUZEB", true);
    db.current().indexOn("IPUZEB->IPU_CMP + IPUZEB->IPU_UID + left(IPUZEB->IPU_PA,2)", d + "I11KOVA");
  }

  bool considera() override {
    const std::string_view pa = zeb_.v("IPU_PA");
    if (valor(pa.size() > 5 ? pa.substr(pa.size() - 5) : pa) != 0) return false;
    return doMunicipio(s_, c_, ups_, zeb_.v("IPU_UID"));
  }

  std::string chave() override {
    std::string chaveLocal(zeb_.v("IPU_CMP"));
    chaveLocal += subStr(zeb_.v("IPU_UID"), 1, 6);
    chaveLocal += subStr(zeb_.v("IPU_PA"), 1, 2);
    return chaveLocal;
  }

  bool difere() override {
    const std::string_view codups = afo_.v("CODUPS");
    return !igualComDigito(s_, codups, zeb_.v("IPU_UID")) || valor(afo_.v("QTDPRG")) != zeb_.n("IPU_QT_O") ||
           valor(afo_.v("VCTPRG")) / 100 != zeb_.n("IPU_VL_O");
  }

  double ordemNacional() override { return valor(afo_.c("DATREF") + afo_.c("CODUPS")); }
  double ordemLocal() override {
    return valor(zeb_.c("IPU_CMP") + std::string(subStr(zeb_.c("IPU_UID"), 3, 4)));
  }

  std::string linhaNacional(char tipo) override {
    return "ENCONT.: " + strZero(afo_.recno(), 6) + "  " + afo_.c("DATREF") + space(tipo == 'A' ? 2 : 5) +
           afo_.c("CODUPS") + "-" + digito(afo_.c("CODUPS")) + space(5) + afo_.c("CODIPR") + space(5) +
           transformNumber(valor(afo_.c("QTDPRG")), "@E 999,999") + space(3) +
           transformNumber(valor(afo_.c("VCTPRG")) / 100, "@E 9,999,999.99");
  }

  std::string linhaLocal(char tipo) override {
    return "CORRETO: " + strZero(zeb_.recno(), 6) + "  " + std::string(subStr(zeb_.c("IPU_CMP"), 1, 6)) +
           space(tipo == 'A' ? 2 : 5) +
           rt::text::transformText(subStr(zeb_.c("IPU_UID"), 1, 7), "@R 999999-9") + space(5) +
           std::string(subStr(zeb_.c("IPU_PA"), 1, 2)) + space(5) +
           transformNumber(zeb_.n("IPU_QT_O"), "@E 999,999") + space(3) +
           transformNumber(zeb_.n("IPU_VL_O"), "@E 9,999,999.99");
  }

 private:
  Sistema& s_;
  Critica& c_;
  Tabela afo_{s_, "AFO"}, zeb_{s_, "IPUZEB"}, ups_{s_, "UPSZEB"};
};

}  // namespace

std::unique_ptr<Secao> ORCAMENTO(Sistema& s, Critica& c) { return std::make_unique<Orcamento>(s, c); }

}  // namespace fpo::comparar
