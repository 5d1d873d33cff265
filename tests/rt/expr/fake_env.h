// A small Env for the evaluator's tests: fields and variables by name (case
// ignored), user functions, slots, and the handler's answers recorded.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "rt/expr/expr.h"
#include "rt/text/number.h"

namespace fpo::test {

inline std::string upper(std::string_view s) {
  std::string u(s);
  for (char& c : u)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return u;
}

class FakeEnv : public rt::expr::Env {
 public:
  FakeEnv() {
    es.install([this](const rt::err::Error& e) {
      raised.push_back(e);
      return answer ? answer(e) : rt::err::Answer::byDefault();
    });
  }

  rt::err::ErrorSystem& errors() override { return es; }
  bool exact() const override { return exactOn; }

  // "ALIAS->NAME" or "NAME".
  void set(const std::string& name, rt::Value v) { values[upper(name)] = std::move(v); }

  std::optional<rt::Value> lookup(std::string_view alias, std::string_view name) override {
    if (!lookupsAllowed) return std::nullopt;
    const auto it = values.find(key(alias, name));
    if (it == values.end()) return std::nullopt;
    return it->second;
  }

  int bind(std::string_view alias, std::string_view name) override {
    if (!bindable) return -1;
    const std::string k = key(alias, name);
    if (!values.count(k)) return -1;
    bound.push_back(k);
    return static_cast<int>(bound.size()) - 1;
  }
  rt::Value slot(int id) override { return values.at(bound.at(static_cast<std::size_t>(id))); }

  std::optional<rt::Value> call(std::string_view name, std::vector<rt::Value>& args) override {
    const auto it = functions.find(upper(name));
    if (it == functions.end()) return std::nullopt;
    return it->second(args);
  }

  rt::err::ErrorSystem es;
  bool exactOn = false;
  bool lookupsAllowed = true;
  bool bindable = true;
  std::map<std::string, rt::Value> values;
  std::vector<std::string> bound;
  std::map<std::string, std::function<rt::Value(std::vector<rt::Value>&)>> functions;
  std::function<rt::err::Answer(const rt::err::Error&)> answer;  // default: Default
  std::vector<rt::err::Error> raised;

 private:
  static std::string key(std::string_view alias, std::string_view name) {
    return alias.empty() ? upper(name) : upper(alias) + "->" + upper(name);
  }
};

// A value as the tests write it: "C:text", "N:12.50" (as Str() shows it,
// without blanks), "L:T", "D:dd/mm/yyyy", "U".
inline std::string show(const rt::Value& v) {
  switch (v.type()) {
    case rt::Value::Type::Nil:
      return "U";
    case rt::Value::Type::Logical:
      return v.logical() ? "L:T" : "L:F";
    case rt::Value::Type::Character:
      return "C:" + v.string();
    case rt::Value::Type::Date:
      return "D:" + rt::text::dtoc(v.date());
    case rt::Value::Type::Number: {
      const std::string s = rt::text::str(v.num(), v.numberInfo().width, v.numberInfo().decimals);
      return "N:" + s.substr(s.find_first_not_of(' ') == std::string::npos ? 0 : s.find_first_not_of(' '));
    }
  }
  return "?";
}

}  // namespace fpo::test
