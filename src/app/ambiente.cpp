// The expression environment's variables and user functions by name, and
// the evaluation of a text or a name through it.
#include "app/ambiente.h"

#include "rt/text/cp860.h"

namespace fpo {

std::string Ambiente::upper(std::string_view n) { return rt::text::upperAscii(n); }

std::optional<rt::Value> Ambiente::lookup(std::string_view alias, std::string_view name) {
  if (!alias.empty()) return std::nullopt;
  auto it = vars_.find(upper(name));
  if (it == vars_.end()) return std::nullopt;
  return *it->second;
}

std::optional<rt::Value> Ambiente::call(std::string_view name, std::vector<rt::Value>& args) {
  auto it = funcs_.find(upper(name));
  if (it == funcs_.end()) return std::nullopt;
  return it->second(args);
}

rt::Value Ambiente::avalia(std::string_view texto) {
  auto e = rt::expr::Expr::compile(texto, s_.rt.errors);
  if (!e) return {};
  return e->eval(env());
}

rt::Value campoValor(Sistema& s, std::string_view nome) {
  Ambiente a(s);
  return a.avalia(nome);
}

std::string campoTexto(Sistema& s, std::string_view nome) {
  rt::Value v = campoValor(s, nome);
  return v.isString() ? v.string() : std::string();
}

}  // namespace fpo
