// The month's municipality list and the control table's row, as the import
// and the critique open them.
#include "app/funcoes/Funcoes.h"
#include "rt/text/number.h"

namespace fpo {

rt::db::Area& abreCtrl(Sistema& s, const std::string& extensao) {
  FPO_ROUTINE(s, "abreCtrl");
  auto& db = s.rt.db;
  db.use("\\ZOZ\\ZOZ_CTRL." + extensao, "CTRL", true);
  rt::db::Area& ctrl = db.current();
  ctrl.indexOn("CTRL->CODMNC", "\\ZOZ\\I01CTRL");
  ctrl.indexOn("CTRL->NMEMNC", "\\ZOZ\\I02CTRL");
  ctrl.orderListClear();
  ctrl.orderListAdd("\\ZOZ\\I01CTRL");
  ctrl.orderListAdd("\\ZOZ\\I02CTRL");
  return ctrl;
}

rt::db::Area& linhaDoControle(Sistema& s, std::string_view chave, const std::string& periodo,
                              double municipio, std::string_view aviso) {
  FPO_ROUTINE(s, "linhaDoControle");
  auto& db = s.rt.db;
  db.use("\\ZOZ\\CTL", "CTL", true);
  rt::db::Area& ctl = db.current();
  ctl.indexOn(chave, "\\ZOZ\\I01CTL");
  if (!aviso.empty()) MENSAGEM(s, 24, aviso);
  FPO_LINE(s);
  db.select("CTL");
  ctl.setOrder(1);
  ctl.goTop();
  ctl.seek(rt::Value(periodo + rt::text::str(municipio, 4)), false);
  if (!ctl.found()) ctl.appendBlank();
  ctl.put("DATREF", rt::Value::number(rt::text::val(periodo).value));
  ctl.put("CODMNC", rt::Value::number(municipio));
  return ctl;
}

}  // namespace fpo
