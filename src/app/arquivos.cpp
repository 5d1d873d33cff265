// The names of the files the system writes in \ZOZ.
#include "app/arquivos.h"

#include <algorithm>

#include "rt/dos/dos.h"
#include "rt/text/cp860.h"

namespace fpo {

const std::vector<std::string>& arquivosDaImportacao() {
  static const std::vector<std::string> nomes = {
      "S_CTR.DBF", "CTR1.DBF",  "S_SS.DBF",   "UPS1.DBF",   "S_UPS.DBF",  "S_IPU.DBF",  "S_CNESIA.DBF",
      "CTL.DBF",   "S_VPA.DBF", "I01UPS.NTX", "I01IPU.NTX", "I02UPS.NTX", "I01CTL.NTX", "INSVPA.NTX",
  };
  return nomes;
}

bool arquivoDoSistema(std::string_view nome) {
  // The start-up's, the critique's, the production report's and the
  // listings' files; the critique reports are CRI + municipality + month.
  static const char* const outros[] = {
      "CTL1.DBF",     "I01CTRL.NTX",   "I02CTRL.NTX",  "UPS.DBF",       "MAN_COMP.DBF", "UPS_COMP.DBF",
      "SRV_COMP.DBF", "SRV2_COMP.DBF", "ESP_COMP.DBF", "ESP2_COMP.DBF", "AFO_COMP.DBF", "I01KOVA.NTX",
      "I02KOVA.NTX",  "I03KOVA.NTX",   "I04KOVA.NTX",  "I05KOVA.NTX",   "I06KOVA.NTX",  "I07KOVA.NTX",
      "I08KOVA.NTX",  "I09KOVA.NTX",   "I10KOVA.NTX",  "I11KOVA.NTX",   "I01MN.NTX",    "I02MN.NTX",
      "I01PA.NTX",    "I01VPA.NTX",    "I01PRD.NTX",   "I02CTL.NTX",    "PABFAE.PRN",   "FPO.JNL",
  };
  const std::string n = rt::text::upperAscii(nome);
  const auto& importacao = arquivosDaImportacao();
  return std::find(importacao.begin(), importacao.end(), n) != importacao.end() ||
         std::find(std::begin(outros), std::end(outros), n) != std::end(outros) ||
         (rt::dos::wildcardMatch("CRI????.???", n) && n.size() == 11);
}

rt::db::SwitchNames nomesDaTroca() { return {arquivosDaImportacao(), arquivoDoSistema}; }

}  // namespace fpo
