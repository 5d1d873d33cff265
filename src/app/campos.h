// Fields of the work areas read by name, and the text comparison and Val
// their readers share. A name the table lacks is told to the error policy
// and then reads as blank or 0.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/sistema.h"
#include "rt/db/workspace.h"

namespace fpo {

// The system's "=" between texts, under SET EXACT.
bool igual(Sistema& s, std::string_view a, std::string_view b);

// Val of a text, the value alone.
double valor(std::string_view t);

// Reads of the current row of an area, each on its own: a name the area
// lacks is told on every read.
//
// Position of a field in an area; -1 when it has none, after the error
// policy has been told as for any read of an unknown field (or of an unused
// area). For loops that keep the positions of their fields.
int campo(rt::db::Area& a, std::string_view nome);
// Whether the field at pos is a text field (false for -1).
bool textual(rt::db::Area& a, int pos);
// The stored characters of a field of any type ("" for -1).
std::string_view bruto(rt::db::Area& a, int pos);
inline std::string_view bruto(rt::db::Area& a, std::string_view nome) { return bruto(a, campo(a, nome)); }
// A text field's characters, or a number field's value; any other type
// reads "" or 0.
std::string texto(rt::db::Area& a, std::string_view nome);
double numero(rt::db::Area& a, std::string_view nome);
// The same of the row a look-up in the area found (blank after a miss), by
// the field's position; "" for -1.
std::string texto(rt::db::Area& a, rt::db::Lookup& l, int pos);

// The fields of the area open under an alias read by name, their positions
// kept for the opened table: a name the table lacks is told on its first
// read and then reads as blank or 0.
class Tabela {
 public:
  Tabela(Sistema& s, std::string alias) : s_(s), alias_(std::move(alias)) {}

  const std::string& alias() const { return alias_; }
  rt::db::Area* area();  // nullptr when the alias is not open (after its error)
  void seleciona();      // makes it the current area
  std::uint32_t recno() {
    rt::db::Area* a = area();
    return a ? a->recNo() : 0;
  }

  // Any field as text: numbers as Str gives them, dates as DToS, logicals "".
  std::string c(std::string_view nome);
  // The same without a copy: valid until the table moves or this is asked
  // for a few more fields.
  std::string_view v(std::string_view nome);
  // A number field, or a text one by Val.
  double n(std::string_view nome);

 private:
  Sistema& s_;
  std::string alias_;
  rt::db::Area* area_ = nullptr;
  std::uint64_t serial_ = 0;  // the opened table the positions below belong to
  struct Posicao {
    std::string nome;
    const char* onde;  // where the name was read from, tried first
    int pos;           // -1 when the table lacks it
    char tipo;         // its type, '\0' when none
  };
  // The field's entry for the table open under the alias now; pos -1 when
  // the alias is not open (after its error) or the table lacks the field.
  const Posicao& posicao(std::string_view nome);

  std::vector<Posicao> pos_;
  std::array<std::string, 4> copias_;  // fields that are not text, as c() gives them
  std::size_t proxima_ = 0;
};

}  // namespace fpo
