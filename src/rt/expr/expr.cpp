// rt/expr: Expr itself: compiling (or raising the syntax error), evaluating,
// binding names to slots, and the parts of a key that joins names.
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

// A literal whole number from 1 to 9999, or -1.
int count(const Expr::Node& n) {
  if (n.op != Op::Literal || !n.literal.isNumber()) return -1;
  const double v = n.literal.num();
  return v >= 1 && v <= 9999 && v == static_cast<double>(static_cast<int>(v)) ? static_cast<int>(v) : -1;
}

bool addParts(const Expr::Node& n, std::vector<KeyPart>& out) {
  switch (n.op) {
    case Op::Add:
      return addParts(*n.kids[0], out) && addParts(*n.kids[1], out);
    case Op::Ref:
      out.push_back({n.alias, n.name, -1});
      return true;
    case Op::Call: {
      const std::string_view fn = n.fn->name;
      int take = -1;
      if (fn == "SUBSTR" && n.kids.size() == 3 && count(*n.kids[1]) == 1)
        take = count(*n.kids[2]);
      else if (fn == "LEFT" && n.kids.size() == 2)
        take = count(*n.kids[1]);
      if (take < 1 || n.kids[0]->op != Op::Ref) return false;
      out.push_back({n.kids[0]->alias, n.kids[0]->name, take});
      return true;
    }
    default:
      return false;
  }
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

std::optional<std::vector<KeyPart>> Expr::keyParts() const {
  std::vector<KeyPart> parts;
  if (!root_ || !addParts(*root_, parts)) return std::nullopt;
  return parts;
}

void Expr::bind(Env& env) {
  slots_.clear();
  if (root_) collectRefs(*root_, env, slots_);
}

}  // namespace rt::expr
