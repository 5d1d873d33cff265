// Funcoes: the shared toolkit (windows, message box, status line, input
// dialog) and the period, municipality and check-digit routines.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/sistema.h"
#include "rt/expr/value.h"

namespace fpo {

// Windows. Everything is drawn in the current colour; nothing is saved.
// JANELA clears the rectangle, border included, draws the frame (double for
// TIPO "D", else single) and, for SOMBRA "S", the shadow.
void JANELA(Sistema& s, int LI, int CI, int LF, int CF, std::string_view TIPO = {}, std::string_view SOMBRA = {},
            int CORSOMBRA = 8);
void MOLDURA(Sistema& s, int LI, int CI, int LF, int CF, std::string_view TIPO = {});
// Shadow two columns right and one row down: only the attributes change.
void SOMBRA(Sistema& s, int LI, int CI, int LF, int CF, int CORSOMBRA = 8);
// Status line: the text centred in 80 columns over the whole row, in "0/W".
void MENSAGEM(Sistema& s, int LINHA, std::string_view TEXTO);
// Menu-bar highlight: the text without "^" at CI + 1 in "R*/W", which stays set.
void SELECIONA(Sistema& s, int LI, int CI, std::string_view TEXTO);
// The picker's window: rows 4-21, columns 1-76 in "W+/GB" (which stays set).
void JANELAEDICAO(Sistema& s);

// Message and choice box. Without TEXTO: "Fim de processamento.". With
// buttons: the number of the chosen one, 0 after Esc. Without buttons: waits
// for any key, or with PASSA true leaves the box on the screen at once; no
// value.
std::optional<int> NEWALERT(Sistema& s, std::optional<std::string> TEXTO = {},
                            const std::vector<std::string>& BOTOES = {}, std::optional<std::string> CORALERT = {},
                            bool PASSA = false);
// To alert: a tone of 200 Hz for 3 ticks, then NEWALERT with the text and no
// buttons, which waits for any key.
void ALERTAR(Sistema& s, const std::string& texto);
// The lines NEWALERT shows for a text (";" breaks, at most 75 characters).
std::vector<std::string> NEWALERT_LINHAS(std::string_view texto);

// One-field input dialog: the message above the field and on the status
// line, the field of type "C" (TAMANHO blanks, or VALOR), "N" (0, as wide as
// MASCARA) or "D" (today), the VALID text over the name Variavel (" ": none).
// Returns the edited value; after Esc the initial one (test LASTKEY).
rt::Value EDITA(Sistema& s, std::string_view MENSAGEM, std::string_view TIPO, int TAMANHO, std::string_view MASCARA,
                std::string_view VALIDACAO, std::optional<std::string> VALOR = {});

// Progress gauge for a pass over VALOR = 1 .. TOTAL: opens at 1, fills its
// 50-cell bar, closes (restoring rows 2-24) at TOTAL; TEXTO goes on its
// bottom border. Nothing happens for a TOTAL of 0. Always returns "".
std::string PERCENT(Sistema& s, double VALOR, double TOTAL, std::optional<std::string> TEXTO = {});

// Reference-period dialog: asks the period, tests it against S_CTR.DBF and
// sets ANO_REFERENCIA, MES_REFERENCIA and REF_ARQUIVO.
void DATREF(Sistema& s);

// Municipality picker over the month's list, open as CTRL with order 1 on
// CODMNC and order 2 on NMEMNC: a browse in name order with searches by code
// (Alt-O), by name (Alt-N) and by the first letters typed. Returns the
// CODMNC chosen with Enter (which is also left in the keyboard buffer), or 0
// after Esc. The screen rows 2-24, colour, cursor and CTRL's order and record
// are as before.
int MENU_MNC(Sistema& s);
// The picker's variables, shared with its key handler while it is open.
struct ESCOLHA_MNC {
  int VL_RET = 0;
  std::string DBCHAVE;  // the text of the incremental search
};
// The picker's browse handler: 0 ends the browse, 1 goes on.
int PEGA_MNC(Sistema& s, ESCOLHA_MNC& v, int PAR_MODE, int PAR_COL);

// Check digit of a unit number: only its six lowest digits count.
int CALDIGUPS(long long num);
// Check digit of a municipality code of the home state: only its four lowest
// digits count, so 440 and 230440 give the same digit.
int CALDIGMNC(long long num);

}  // namespace fpo
