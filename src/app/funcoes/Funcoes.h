// Funcoes: the shared toolkit (windows, message box, status line, input
// dialog) and the period, municipality and check-digit routines.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/sistema.h"
#include "rt/expr/value.h"

namespace fpo {

// Windows. Everything is drawn in the current colour; nothing is saved.
// JANELA clears the rectangle, border included, draws the frame (double for
// TIPO "D", else single) and, for SOMBRA "S", the shadow.
void JANELA(Sistema& s, int LI, int CI, int LF, int CF, std::string_view TIPO = {},
            std::string_view SOMBRA = {}, int CORSOMBRA = 8);
void MOLDURA(Sistema& s, int LI, int CI, int LF, int CF, std::string_view TIPO = {});
// Shadow two columns right and one row down: only the attributes change.
void SOMBRA(Sistema& s, int LI, int CI, int LF, int CF, int CORSOMBRA = 8);
// Status line: the text centred in 80 columns over the whole row, in "0/W".
void MENSAGEM(Sistema& s, int LINHA, std::string_view TEXTO);
// Menu-bar highlight: the text without "^" at CI + 1 in "R*/W", which stays set.
void SELECIONA(Sistema& s, int LI, int CI, std::string_view TEXTO);
// The picker's window: rows 4-21, columns 1-76 in "W+/GB" (which stays set).
void JANELAEDICAO(Sistema& s);
// A text at a row and column, in the colour given or the standard colour.
void escreve(Sistema& s, int linha, int coluna, std::string_view texto, std::string_view cor = {});
// The search line on a list window's bottom frame: "Pesquisa: " and the
// typed search, centred in 70 columns from column 4 in "GR+/GB".
void linhaPesquisa(Sistema& s, const std::string& DBCHAVE);

// Message and choice box. Without TEXTO: "Fim de processamento.". With
// buttons: the number of the chosen one, 0 after Esc. Without buttons: waits
// for any key, or with PASSA true leaves the box on the screen at once; no
// value.
std::optional<int> NEWALERT(Sistema& s, std::optional<std::string> TEXTO = {},
                            const std::vector<std::string>& BOTOES = {},
                            std::optional<std::string> CORALERT = {}, bool PASSA = false);
// To alert: a tone of 200 Hz for 3 ticks, then NEWALERT with the text and no
// buttons, which waits for any key.
void alertar(Sistema& s, const std::string& texto);
// The lines NEWALERT shows for a text (";" breaks, at most 75 characters).
std::vector<std::string> linhasDoAlerta(std::string_view texto);

// One-field input dialog: the message above the field and on the status
// line, the field of type "C" (TAMANHO blanks, or VALOR), "N" (0, as wide as
// MASCARA) or "D" (today), the VALID text over the name Variavel (" ": none).
// Returns the edited value; after Esc the initial one (test LASTKEY).
rt::Value EDITA(Sistema& s, std::string_view MENSAGEM, std::string_view TIPO, int TAMANHO,
                std::string_view MASCARA, std::string_view VALIDACAO, std::optional<std::string> VALOR = {});

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
struct EscolhaMnc {
  int VL_RET = 0;
  std::string DBCHAVE;  // the text of the incremental search
};
// The picker's browse handler: 0 ends the browse, 1 goes on.
int PEGA_MNC(Sistema& s, EscolhaMnc& v, int PAR_MODE, int PAR_COL);

// The month's municipality list \ZOZ\ZOZ_CTRL.<extensao> opened in a new
// work area as CTRL, indexed anew: order 1 on CODMNC (\ZOZ\I01CTRL),
// order 2 on NMEMNC (\ZOZ\I02CTRL); order 1 controls.
rt::db::Area& abreCtrl(Sistema& s, const std::string& extensao);
// The control table \ZOZ\CTL opened in a new work area as CTL and indexed
// anew on the key text `chave` (\ZOZ\I01CTL), then on the row of the period
// YYYYMM and the municipality, appended when missing, with DATREF and CODMNC
// written. With `aviso`, that status line is shown once the index is built.
rt::db::Area& linhaDoControle(Sistema& s, std::string_view chave, const std::string& periodo,
                              double municipio, std::string_view aviso = {});

// The municipality prompt of the import and the critique: a code typed, or
// picked from the month's list (open as CTRL) when left empty, then
// confirmed. False when the operator goes back to the menu (Esc).
bool perguntaMunicipio(Sistema& s, int& CODMNC);

// Check digit of a unit number: only its six lowest digits count.
int CALDIGUPS(long long num);
// Check digit of a municipality code of the home state: only its four lowest
// digits count, so 440 and 230440 give the same digit.
int CALDIGMNC(long long num);

// Spare toolkit routines.

// Cuts a progress call ("+ Percent" and what follows) off the key
// expression stored in an NTX file's header (256 bytes from offset 22),
// keeping what stands before it. A key without one, a file too short for
// the header, or one that cannot be opened (another opener holds it) is
// left as it is, without a message. The file is replaced whole.
void FECHAINDICE(Sistema& s, std::string_view INDICE);

// Asks what to do with the finished report VL_ARQ + ".PRN" in the current
// directory (VL_ARQ: the report's name without extension, which the caller
// gives): "Salva/Imprime" copies it to Lpt1, "Apenas Imprime" copies it and
// then deletes it, "Apenas Salva" keeps it, Esc deletes it. A printer that is
// not ready, or a copy that failed, is alerted and the question asked again.
void IMPRIME(Sistema& s, std::string_view VL_ARQ);

// The spinner's state, which its caller keeps from call to call: the time
// the previous call ended, the time the last frame was drawn and the next
// frame (1 to 8). segundos gives the time of day in seconds; empty: the
// clock.
struct EstadoRelogio {
  double fim = 0;
  double quadro = 0;
  int proximo = 1;
  std::function<double()> segundos;
};
// The spinner for loops that print: TIPO "Inicial" opens its window; each
// call draws the next frame when at least a hundredth of a second lay
// between the last frame and the end of the previous call. Ends with the
// colour "W+/GB" and the output device on the printer.
void RELOGIO(Sistema& s, EstadoRelogio& r, std::string_view TIPO);

// A boxed list at LI, CI (at most to row 20) starting on item INICIAL: the
// item chosen with Enter, 0 after Esc (or with no items). Screen rows 2-24
// and the colour are as before.
int MENUACHOICE(Sistema& s, int LI, int CI, const std::vector<std::string>& ELEMENTOS, int INICIAL);
// A boxed list of items and whether each can be chosen (the highlight skips
// those that cannot); the list ends at row 18 with more than 15 items.
int RELATACHOICE(Sistema& s, int LI, int CI, const std::vector<std::pair<std::string, bool>>& ELEMENTOS);

// Spare period and code routines. The values that REFERENCIA, ID_MENS and
// INTFUN2 read and that nothing in the system defines come from their
// caller: WCON and WANO (texts of digits: month, two-digit year), VT_MENS
// (at least four messages) and INT1 (a YYMM text) as arguments; ID_MENS
// reads the fields DATSMP and DATPSF of the work area MNC and CODIPR and
// CODCPC of PID, which the caller opens under those aliases (a missing one
// goes to the error policy).

// Scrambles ("C") or unscrambles ("D") the first 7 characters of EXPRESSAO,
// padded with blanks; no value for any other ACAO.
std::optional<std::string> CODIGO(std::string_view EXPRESSAO, std::string_view ACAO);
// A number below 4000 written out with "00" appended and read back (a whole
// number times 100; one with decimals unchanged); others unchanged.
rt::Value ORDELEM(const rt::Value& VALOR);
// A period YYMM as "NOVEMBRO / 1.997" (no month name outside 1 to 12).
std::string PERIODO(double REFERENCIA);
// The month's name in capitals without accents ("MARCO"); none for a month
// that is not a whole number from 1 to 12.
std::string nomeDoMes(double mes);
// The same text from the month WCON and the year WANO (+ 1900).
std::string REFERENCIA(std::string_view WCON, std::string_view WANO);
// One of the four messages of VT_MENS chosen from MNC and PID and the year
// WANO; none where the rules choose none (or VT_MENS lacks that entry).
std::optional<std::string> ID_MENS(Sistema& s, const std::vector<std::string>& VT_MENS,
                                   std::string_view WANO);
// VALID tests of a period typed as YYMM: from 9401 on (INTFUN1) or from INT1
// on (INTFUN2), month 1 to 12, or the last key Esc; else "Referência
// Inválida" and false.
bool INTFUN1(Sistema& s, std::string_view VAR);
bool INTFUN2(Sistema& s, std::string_view VAR, std::string_view INT1);

}  // namespace fpo
