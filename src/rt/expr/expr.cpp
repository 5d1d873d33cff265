#include "rt/expr/expr.h"

#include "rt/expr/node.h"

namespace rt::expr {

namespace {

void collectRefs(const Expr::Node& n, Env& env, std::vector<int>& slots) {
  if (n.op == Op::Ref) {
    const auto at = static_cast<std::size_t>(n.ref);
    if (slots.size() <= at) slots.resize(at + 1, -1);
    slots[at] = env.bind(n.alias, n.name);
  }
  for (const auto& k : n.kids) collectRefs(*k, env, slots);
}

}  // namespace

Expr::Expr() = default;
Expr::~Expr() = default;
Expr::Expr(Expr&&) noexcept = default;
Expr& Expr::operator=(Expr&&) noexcept = default;
Expr::Expr(const Expr&) = default;
Expr& Expr::operator=(const Expr&) = default;

Expr Expr::compile(std::string_view text) {
  Expr e;
  e.root_ = compileTree(text);
  e.text_ = std::string(text);
  return e;
}

std::optional<Expr> Expr::compile(std::string_view text, err::ErrorSystem& es) {
  try {
    return compile(text);
  } catch (const CompileError& ce) {
    err::Error e;
    e.genCode = err::kSyntax;
    e.subSystem = "BASE";
    e.subCode = 1449;
    e.severity = err::kError;
    e.canDefault = true;
    e.description = ce.what();
    e.operation = std::string(text);
    es.raise(e);
    return std::nullopt;
  }
}

Value Expr::eval(Env& env) const {
  if (!root_) return {};
  return evaluate(*root_, env, slots_);
}

void Expr::bind(Env& env) {
  slots_.clear();
  if (root_) collectRefs(*root_, env, slots_);
}

}  // namespace rt::expr
