// Section 2: the municipality's units (UPSZEB, opened by the maintainers
// section, against the national FUPSLM file). It leaves UPSZEB in unit-id
// order for the sections after it.
#include "app/comparar/critica.h"
#include "app/comparar/unidade.h"
#include "rt/text/cp860.h"
#include "rt/text/picture.h"

namespace fpo::comparar {

namespace {

using rt::text::transformText;

const std::vector<rt::db::FieldSpec> kUps = {
    {"CODEST", 'C', 2, 0},  {"CODDER", 'C', 3, 0},  {"CODDIS", 'N', 3, 0},  {"CODMNC", 'C', 4, 0},
    {"DIGMNC", 'C', 1, 0},  {"CODUPS", 'C', 6, 0},  {"DATREF", 'N', 6, 0},  {"NMERAZ", 'C', 35, 0},
    {"NMEFAN", 'C', 35, 0}, {"CODFIJ", 'N', 1, 0},  {"NMRFIJ", 'C', 14, 0}, {"CODABT", 'N', 1, 0},
    {"NMELOG", 'C', 30, 0}, {"NMRLOG", 'C', 5, 0},  {"NMECMP", 'C', 10, 0}, {"NMEBAI", 'C', 15, 0},
    {"CODCEP", 'N', 8, 0},  {"CODDDD", 'N', 4, 0},  {"NURTLF", 'N', 7, 0},  {"CODBCO", 'N', 3, 0},
    {"CODAGB", 'C', 6, 0},  {"NMRCTB", 'C', 14, 0}, {"CODTIU", 'C', 2, 0},  {"CODPRT", 'C', 2, 0},
    {"NMRCTR", 'N', 8, 0},  {"DATCTR", 'N', 8, 0},  {"QTDCSM", 'N', 3, 0},  {"QTDEQO", 'N', 3, 0},
    {"QTDSGE", 'N', 2, 0},  {"QTDSPC", 'N', 2, 0},  {"QTDSCA", 'N', 2, 0},  {"CODTUA", 'C', 2, 0},
    {"CODFLU", 'C', 2, 0},  {"CODNVH", 'C', 2, 0}};

class Unidades : public Secao {
 public:
  Unidades(Sistema& s, Critica& c) : s_(s), c_(c) {
    k = 2;
    status = "Criticando Unidades Prestadoras de Serviços."_cp;
    tracos = 72;
    cabecalho = "        | REG.|DER|MUNI. | UNI. |      CGC       |PR|TP| AGENC.|    CONTA      |";
    titulo = "*** UNIDADES ***";
    nacional = "UPS";
    local = "UPSZEB";
  }

  void prepara() override {
    const std::string& d = c_.DIRETORIO;
    rt::db::Area& ups = criaTrabalho(s_, c_, "UPS_COMP", "UPS", kUps);
    ups.appendSdf(c_.nacional("\\FUPSLM"));
    ups.indexOn("UPS->CODUPS", d + "I04KOVA");

    if (!zeb_.area()) return;
    zeb_.seleciona();
    s_.rt.db.current().indexOn("UPSZEB->UPS_ID", d + "I05KOVA");
  }

  bool considera() override { return igual(s_, zeb_.v("UPS_MN"), c_.municipio()); }

  std::string chave() override { return std::string(subStr(zeb_.v("UPS_ID"), 1, 6)); }

  bool difere() override {
    const std::string cgc = strZero(valor(zeb_.c("UPS_CGCCPF")), 14);
    return !igual(s_, ups_.c("CODEST") + ups_.c("CODMNC"), zeb_.c("UPS_MN")) ||
           !igual(s_, ups_.c("CODUPS") + digito(ups_.c("CODUPS")), zeb_.c("UPS_ID")) ||
           !igual(s_, ups_.c("CODDER"), zeb_.c("UPS_RS")) || !igual(s_, ups_.c("NMRFIJ"), cgc) ||
           !igual(s_, ups_.c("CODAGB"), zeb_.c("UPS_AB")) ||
           !igual(s_, ups_.c("NMRCTB"), zeb_.c("UPS_NU_CC")) ||
           !igual(s_, ups_.c("CODTIU"), zeb_.c("UPS_TUP")) || !igual(s_, ups_.c("CODPRT"), zeb_.c("UPS_TP"));
  }

  double ordemNacional() override { return valor(ups_.c("CODUPS")); }
  double ordemLocal() override { return valor(subStr(zeb_.c("UPS_MN"), 1, 6)); }

  std::string linhaNacional(char) override {
    return "ENCONT.: " + strZero(ups_.recno(), 5) + " " + std::string(subStr(ups_.c("CODDER"), 2, 2)) + "  " +
           ups_.c("CODEST") + ups_.c("CODMNC") + " " + ups_.c("CODUPS") + "-" + digito(ups_.c("CODUPS")) +
           " " + transformText(ups_.c("NMRFIJ"), "@R 99999999/9999-99") + " " + ups_.c("CODPRT") + " " +
           ups_.c("CODTIU") + " " + transformText(ups_.c("CODAGB"), "@R 99999-9") + " " +
           transformText(ups_.c("NMRCTB"), "@R 9999999999999-9");
  }

  std::string linhaLocal(char) override {
    return "CORRETO: " + strZero(zeb_.recno(), 5) + " " + std::string(subStr(zeb_.c("UPS_RS"), 2, 2)) + "  " +
           zeb_.c("UPS_MN") + " " + transformText(subStr(zeb_.c("UPS_ID"), 1, 7), "@R 999999-9") + " " +
           transformText(zeb_.c("UPS_CGCCPF"), "@R 99999999/9999-99") + " " + zeb_.c("UPS_TP") + " " +
           zeb_.c("UPS_TUP") + " " + transformText(zeb_.c("UPS_AB"), "@R 99999-9") + " " +
           transformText(zeb_.c("UPS_NU_CC"), "@R 9999999999999-9");
  }

 private:
  Sistema& s_;
  Critica& c_;
  Tabela ups_{s_, "UPS"}, zeb_{s_, "UPSZEB"};
};

}  // namespace

std::unique_ptr<Secao> UNIDADES(Sistema& s, Critica& c) { return std::make_unique<Unidades>(s, c); }

bool doMunicipio(Sistema& s, Critica& c, Tabela& ups, std::string_view uid) {
  rt::db::Area* a = ups.area();
  if (!a) return false;
  // Rows of one unit follow each other: the unit is sought once for them.
  const std::string_view chave = uid.substr(0, 6);
  const std::uint64_t serial = a->table() ? a->table()->serial() : 0;
  if (serial != 0 && serial == c.unidadeSerial && chave == c.unidadeVista) return c.unidadeDoMunicipio;
  ups.seleciona();
  a->goTop();
  a->seek(rt::Value(std::string(chave)), false);
  c.unidadeVista = chave;
  c.unidadeSerial = serial;
  c.unidadeDoMunicipio = igual(s, ups.v("UPS_MN"), c.municipio());
  return c.unidadeDoMunicipio;
}

}  // namespace fpo::comparar
