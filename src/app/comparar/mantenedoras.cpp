// Section 1: the maintainers of the municipality's units (S_MNT against
// the national FMANLM file). It also opens ZOZ's unit table as UPSZEB, which
// the later sections use.
#include "app/comparar/critica.h"
#include "rt/text/picture.h"

namespace fpo::comparar {

namespace {

using rt::text::transformText;

const std::vector<rt::db::FieldSpec> kMan = {
    {"CODEST", 'C', 2, 0},  {"CODDER", 'C', 3, 0},  {"CODMNC", 'C', 5, 0},  {"NMRCGC", 'C', 14, 0},
    {"NMERAZ", 'C', 30, 0}, {"CODABT", 'N', 2, 0},  {"NMELOG", 'C', 30, 0}, {"NMRLOG", 'C', 5, 0},
    {"NMECMP", 'C', 10, 0}, {"NMEBAI", 'C', 15, 0}, {"CODCEP", 'N', 8, 0},  {"CODDDD", 'N', 4, 0},
    {"NMRTLF", 'N', 7, 0},  {"CODBCO", 'N', 3, 0},  {"CODAGB", 'C', 6, 0},  {"NMRCTB", 'C', 14, 0}};

class Mantenedoras : public Secao {
 public:
  Mantenedoras(Sistema& s, Critica& c) : s_(s), c_(c) {
    k = 1;
    status = "Criticando Mantenedoras.";
    tracos = 67;
    cabecalho = "        | REG. | DER | MUNI. |       CGC       | AGENC.  |      C/C       |";
    titulo = "*** MANTENEDORAS ***";
    nacional = "MAN";
    local = "MNTZEB";
  }

  void prepara() override {
    auto& db = s_.rt.db;
    const std::string& d = c_.DIRETORIO;
    rt::db::Area& man = criaTrabalho(s_, c_, "MAN_COMP", "MAN", kMan);
    man.appendSdf(c_.nacional("\\FMANLM"));
    man.indexOn("MAN->NMRCGC", d + "I01KOVA");

    db.use(d + "S_MNT." + c_.REF_ARQUIVO, "MNTZEB", true);
    db.current().indexOn("MNTZEB->MNT_ID + MNTZEB->MNT_CGCFI + MNTZEB->MNT_CGCDV", d + "I02KOVA");
    db.use(d + "S_UPS." + c_.REF_ARQUIVO, "UPSZEB", true);
    db.current().indexOn("UPSZEB->UPS_MN + UPSZEB->UPS_CGCCPF", d + "I03KOVA");
  }

  // A maintainer of a unit of the municipality: a unit there whose tax
  // number begins with the maintainer's root.
  bool considera() override {
    const std::string raiz = mnt_.c("MNT_ID");
    rt::db::Area* ups = ups_.area();
    if (!ups) return false;
    ups_.seleciona();
    ups->setOrder(1);
    ups->goTop();
    return ups->seek(rt::Value(c_.municipio() + raiz), false);
  }

  std::string chave() override { return cgcLocal(); }

  bool difere() override {
    return !igual(s_, man_.c("CODEST") + std::string(subStr(man_.c("CODMNC"), 1, 4)), mnt_.c("MNT_MN")) ||
           !igual(s_, man_.c("CODDER"), mnt_.c("MNT_RS")) || !igual(s_, man_.c("NMRCGC"), cgcLocal()) ||
           !igual(s_, man_.c("CODAGB"), mnt_.c("MNT_AB")) ||
           !igual(s_, man_.c("NMRCTB"), mnt_.c("MNT_NU_CC"));
  }

  double ordemNacional() override { return valor(subStr(man_.c("CODMNC"), 1, 4)); }
  double ordemLocal() override { return valor(subStr(mnt_.c("MNT_MN"), 3, 4)); }

  std::string linhaNacional(char) override {
    return "ENCONT.: " + strZero(man_.recno(), 5) + "   " + man_.c("CODDER") + "  " + man_.c("CODEST") +
           std::string(subStr(man_.c("CODMNC"), 1, 4)) + "  " +
           transformText(man_.c("NMRCGC"), "@R 99999999/9999-99") + "   " +
           transformText(man_.c("CODAGB"), "@R 99999-9") + "   " +
           transformText(man_.c("NMRCTB"), "@R 9999999999999-9");
  }

  std::string linhaLocal(char) override {
    return "CORRETO: " + strZero(mnt_.recno(), 5) + "   " + mnt_.c("MNT_RS") + "  " + mnt_.c("MNT_MN") +
           "  " + transformText(cgcLocal(), "@R 99999999/9999-99") + "   " +
           transformText(mnt_.c("MNT_AB"), "@R 99999-9") + "   " +
           transformText(mnt_.c("MNT_NU_CC"), "@R 9999999999999-9");
  }

 private:
  std::string cgcLocal() { return mnt_.c("MNT_ID") + mnt_.c("MNT_CGCFI") + mnt_.c("MNT_CGCDV"); }

  Sistema& s_;
  Critica& c_;
  Tabela man_{s_, "MAN"}, mnt_{s_, "MNTZEB"}, ups_{s_, "UPSZEB"};
};

}  // namespace

std::unique_ptr<Secao> MANTENEDORAS(Sistema& s, Critica& c) { return std::make_unique<Mantenedoras>(s, c); }

}  // namespace fpo::comparar
