// The two control-table listings share one procedure and one key handler;
// they differ in the row text, the heading and the handler's name.
#pragma once

#include <string>
#include <string_view>

#include "app/sistema.h"

namespace fpo {

// The listing's variable that its key handler reads and changes: the text of
// the incremental name search, empty at the start of every listing.
struct Listagem {
  std::string DBCHAVE;
};

using TeclasListagem = int (*)(Sistema&, Listagem&, int MODO, int COLUNA);

// Opens \ZOZ\CTL as CTL and \ZOZ\S_MN as MN with their index files under
// C:\ZOZ, and browses CTL in order 2 with the row text LINHA (an
// expression, which may call Nome_Municipio) under the heading `titulo` until
// the handler ends the browse. Both tables stay open.
void listaCtl(Sistema& s, std::string_view LINHA, std::string_view titulo, TeclasListagem funcao);

// The key handler's steps, shared by FNC_MNC and FNC_MNC_CRI: 0 ends the
// browse, 1 goes on, 2 repaints all rows.
int teclaListagem(Sistema& s, Listagem& v, int MODO, int COLUNA);

}  // namespace fpo
