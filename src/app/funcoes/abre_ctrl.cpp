// The month's municipality list, as the import and the critique open it.
#include "app/funcoes/Funcoes.h"

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

}  // namespace fpo
