// The control table \ZOZ\CTL.DBF: created at the first start, rebuilt at
// every later one through \ZOZ\CTL1.DBF; a damaged one is set aside and
// made again.
#include <iterator>
#include <vector>

#include "app/funcoes/Funcoes.h"
#include "app/menu/Menu.h"
#include "rt/db/dbf.h"

namespace fpo {

namespace {

const rt::db::FieldSpec VT_BANCO[] = {
    {"CODDER", 'N', 2, 0}, {"CODMNC", 'N', 4, 0}, {"DATREF", 'N', 6, 0}, {"DATATU", 'D', 8, 0},
    {"DATSES", 'D', 8, 0}, {"DATVRS", 'D', 8, 0}, {"DATIMP", 'D', 8, 0}, {"STASES", 'C', 1, 0},
    {"CODRMS", 'C', 1, 0}, {"CODGST", 'C', 2, 0},
};

// A damaged CTL.DBF (its header at odds with its file, or a field of
// another type than the layout's) is kept whole under a free name that says
// so, and the operator told that name; true when it was moved (a fresh
// table is made). A table that cannot be opened (another program holds it)
// is not damaged.
bool guardaDanificado(Sistema& s, const std::vector<rt::db::FieldSpec>& layout) {
  const auto p = s.rt.db.resolve("\\ZOZ\\CTL.DBF", "");
  std::string why;
  if (!p || rt::db::Table::check(*p, why, &layout) != rt::db::Table::Health::Damaged) return false;
  std::string nome = "CTL_DANI.DBF";
  for (int n = 1; n < 100 && s.rt.dos.fileExists("\\ZOZ\\" + nome); ++n)
    nome = "CTLDAN" + std::string(n < 10 ? "0" : "") + std::to_string(n) + ".DBF";
  if (!s.rt.dos.renameFile("\\ZOZ\\CTL.DBF", "\\ZOZ\\" + nome)) return false;
  alertar(s,
          "Arquivo \\ZOZ\\CTL.DBF danificado.;Guardado como \\ZOZ\\" + nome + ";e criado um CTL.DBF novo.");
  return true;
}

}  // namespace

void preparaCtl(Sistema& s) {
  FPO_ROUTINE(s, "preparaCtl");
  auto& db = s.rt.db;
  const std::vector<rt::db::FieldSpec> layout(std::begin(VT_BANCO), std::end(VT_BANCO));
  if (!s.rt.dos.fileExists("\\ZOZ\\CTL.DBF") || guardaDanificado(s, layout)) {
    db.create("\\ZOZ\\CTL.DBF", layout);
    return;
  }
  if (!db.create("\\ZOZ\\CTL1.DBF", layout)) return;
  if (!db.use("CTL1", "CTL1", true)) return;
  auto& ctl1 = db.current();
  // The old rows, fields matched by name. CTL.DBF is replaced only when all
  // of them were read: a damaged or unreadable table stays as it is.
  if (ctl1.appendFrom("CTL.DBF")) {
    for (ctl1.goTop(); !ctl1.eof(); ctl1.skip()) {
      rt::Value datref = ctl1.get("DATREF");
      if (datref.isNumber() && datref.num() < 190000)
        ctl1.put("DATREF", rt::Value::number(datref.num() + 190000, 6));
    }
    if (ctl1.commit()) ctl1.copyTo("CTL");
  }
  ctl1.close();
}

}  // namespace fpo
