// rt/expr/node: the compiled form of an expression (internal to rt/expr).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "rt/expr/expr.h"

namespace rt::expr {

enum class Op : std::uint8_t {
  Literal,
  Ref,       // ALIAS->NAME or NAME
  Call,      // a built-in function
  UserCall,  // a function reached through Env::call
  Iif,       // Iif()/If(): only the chosen branch runs
  Neg,
  Pos,
  Not,
  And,
  Or,
  Add,
  Sub,
  Mul,
  Div,
  Mod,
  Pow,
  Eq,       // =
  ExactEq,  // ==
  Ne,       // != <> #
  Lt,
  Le,
  Gt,
  Ge,
  Contains,  // $
};

// The most arguments a built-in takes.
constexpr int kMaxBuiltinArgs = 3;

// A built-in function. fn returns false when its arguments are wrong; the
// evaluator then raises an argument error with subCode and the name.
struct Builtin {
  const char* name;  // upper case
  int minArgs;
  int maxArgs;
  int subCode;
  bool (*fn)(Value* args, int n, Value& out);
};

// The built-in of a name as written (case ignored; at least four characters
// of a longer name), or nullptr.
const Builtin* findBuiltin(std::string_view name);

// The built-in Iif()/If(), compiled into Op::Iif.
bool isIif(const Builtin* b);

struct Expr::Node {
  Op op = Op::Literal;
  int ref = -1;  // Ref: index into Expr's slots
  const Builtin* fn = nullptr;
  std::size_t pos = 0;  // offset in the text, for messages
  int depth = 1;        // levels of the subtree, this node included
  Value literal;
  std::string alias;  // Ref: as written, empty for a bare name
  std::string name;   // Ref, UserCall: as written
  std::vector<std::unique_ptr<Node>> kids;
};

// Builds the tree of a text; throws CompileError.
std::unique_ptr<Expr::Node> compileTree(std::string_view text);

// Evaluates a tree; slots as Expr::bind left them (empty: not bound).
Value evaluate(const Expr::Node& root, Env& env, const std::vector<int>& slots);

}  // namespace rt::expr
