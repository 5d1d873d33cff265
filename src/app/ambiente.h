// What the system's expression texts (VALID rules, browse rows) see: the
// fields of the work areas, then the variables and user functions that the
// running routines made visible.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/sistema.h"
#include "rt/expr/expr.h"

namespace fpo {

class Ambiente : public rt::expr::Env {
 public:
  using Funcao = std::function<rt::Value(std::vector<rt::Value>&)>;

  explicit Ambiente(Sistema& s) : s_(s), fields_(s.rt.db, this) {}

  // The environment to evaluate with: fields first, then these names.
  rt::expr::Env& env() { return fields_; }

  // A variable known by name (no regard to case) while this object lives.
  void variavel(std::string_view nome, rt::Value* valor) { vars_[upper(nome)] = valor; }
  void funcao(std::string_view nome, Funcao f) { funcs_[upper(nome)] = std::move(f); }

  // Evaluates a text; a text that does not compile is raised as a syntax
  // error and gives nil.
  rt::Value avalia(std::string_view texto);

  rt::err::ErrorSystem& errors() override { return s_.rt.errors; }
  std::optional<rt::Value> lookup(std::string_view alias, std::string_view name) override;
  std::optional<rt::Value> call(std::string_view name, std::vector<rt::Value>& args) override;

 private:
  static std::string upper(std::string_view n);

  Sistema& s_;
  rt::db::FieldEnv fields_;
  std::map<std::string, rt::Value*> vars_;
  std::map<std::string, Funcao> funcs_;
};

// A name evaluated as an expression reads it: ALIAS->FIELD, a field of the
// current area or else a variable, with the expression's errors (an unknown
// alias may be substituted, an unknown name is a missing variable); after
// the error's Default, nil. Fields alone are read through app/campos.h.
rt::Value campoValor(Sistema& s, std::string_view nome);
// The same, for text fields: nil reads as "".
std::string campoTexto(Sistema& s, std::string_view nome);

}  // namespace fpo
