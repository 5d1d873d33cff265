// Funcoes: the shared toolkit (windows, message box, status line, input
// dialog) and the period, municipality and check-digit routines.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/sistema.h"

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
// The lines NEWALERT shows for a text (";" breaks, at most 75 characters).
std::vector<std::string> NEWALERT_LINHAS(std::string_view texto);

// Check digit of a unit number: only its six lowest digits count.
int CALDIGUPS(long long num);
// Check digit of a municipality code of the home state: only its four lowest
// digits count, so 440 and 230440 give the same digit.
int CALDIGMNC(long long num);

}  // namespace fpo
