// rt/expr: the xBase expression evaluator. A text is compiled once into an
// Expr and evaluated many times against an Env, which supplies fields,
// variables, user functions and the error system.
//
// What it promises: a text either compiles or is refused with a
// CompileError saying what is wrong and where; evaluation throws nothing of
// its own: every failure at run time (a type mismatch, an unknown name, a
// zero divisor, a bad argument) is raised through the Env's error system,
// and the handler's answer decides what the failed part yields. Texts
// compare as rt/text/compare says, under the Env's SET EXACT.
#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "rt/err/error.h"
#include "rt/expr/value.h"

namespace rt::expr {

// What an expression can see while it runs.
class Env {
 public:
  virtual ~Env() = default;

  virtual err::ErrorSystem& errors() = 0;

  // SET EXACT (off in this system): the rule of "=" between texts.
  virtual bool exact() const { return false; }

  // A name as written: "ALIAS->NAME" or a bare NAME (alias empty). A bare
  // name is a field of the current work area, else a variable. nullopt when
  // nothing of that name exists; the evaluator then raises the error.
  virtual std::optional<Value> lookup(std::string_view alias, std::string_view name) = 0;

  // Fast path for repeated evaluation (index keys): an Env may bind a name to
  // a slot once, and then answer slot reads. -1: not bindable, use lookup().
  virtual int bind(std::string_view alias, std::string_view name) {
    (void)alias;
    (void)name;
    return -1;
  }
  virtual Value slot(int id) {
    (void)id;
    return {};
  }

  // A user function registered by name (names compare without regard to
  // case); nullopt when no such function exists.
  virtual std::optional<Value> call(std::string_view name, std::vector<Value>& args) {
    (void)name;
    (void)args;
    return std::nullopt;
  }
};

class CompileError : public std::runtime_error {
 public:
  CompileError(const std::string& what, std::size_t pos) : std::runtime_error(what), position(pos) {}
  std::size_t position;
};

// A part of a key that joins names with "+": the name whole (take -1), or
// its first take characters, as SubStr(name, 1, take) or Left(name, take)
// gives them.
struct KeyPart {
  std::string alias;  // as written, empty for a bare name
  std::string name;
  int take = -1;
};

class Expr {
 public:
  struct Node;

  Expr();
  ~Expr();
  Expr(Expr&&) noexcept;
  Expr& operator=(Expr&&) noexcept;
  Expr(const Expr&);
  Expr& operator=(const Expr&);

  // Throws CompileError with a description of what is wrong and where.
  static Expr compile(std::string_view text);

  // Compiles, or raises a syntax error (BASE) through es and returns nullopt.
  static std::optional<Expr> compile(std::string_view text, err::ErrorSystem& es);

  // Evaluates; run-time errors (type mismatch, unknown name, zero division,
  // argument errors) are raised through env.errors() and answered as the
  // handler says.
  Value eval(Env& env) const;

  // Binds names to slots of env for repeated evaluation (see Env::bind).
  void bind(Env& env);

  const std::string& text() const { return text_; }

  // The parts of an expression made only of such parts joined by "+", in
  // order; nullopt for any other. What the names stand for is not looked at.
  std::optional<std::vector<KeyPart>> keyParts() const;

 private:
  std::string text_;
  std::shared_ptr<const Node> root_;
  std::vector<int> slots_;
};

}  // namespace rt::expr
