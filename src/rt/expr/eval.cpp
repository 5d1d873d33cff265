// The evaluator: a walk over the tree. Failures are raised through the Env's
// error system; the handler's answer decides what the failed node yields.
#include <cmath>

#include "rt/expr/functions.h"
#include "rt/expr/node.h"
#include "rt/text/compare.h"
#include "rt/text/strings.h"

namespace rt::expr {

namespace {

using Node = Expr::Node;

// Decimals of results the classic run-time shows with SET DECIMALS (2):
// quotients and powers.
constexpr int kSetDecimals = 2;
constexpr int kMaxBuiltinArgs = 3;

enum class Fail { None, Argument, ZeroDivide, NoVariable, NoFunction };

int subCodeOf(Op op) {
  switch (op) {
    case Op::ExactEq: return 1070;
    case Op::Eq: return 1071;
    case Op::Ne: return 1072;
    case Op::Lt: return 1073;
    case Op::Le: return 1074;
    case Op::Gt: return 1075;
    case Op::Ge: return 1076;
    case Op::Not: return 1077;
    case Op::And: return 1078;
    case Op::Or: return 1079;
    case Op::Neg:
    case Op::Pos: return 1080;
    case Op::Add: return 1081;
    case Op::Sub: return 1082;
    case Op::Mul: return 1083;
    case Op::Div: return 1084;
    case Op::Mod: return 1085;
    case Op::Pow: return 1088;
    case Op::Contains: return 1109;
    default: return 0;
  }
}

std::string upperAscii(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return s;
}

err::Error describe(const Node& n, Fail f) {
  err::Error e;
  e.subSystem = "BASE";
  e.severity = err::kError;
  e.canDefault = true;
  switch (f) {
    case Fail::ZeroDivide:
      e.genCode = err::kZeroDivide;
      e.subCode = n.op == Op::Mod ? 1341 : 1340;
      e.description = "Zero divisor";
      e.operation = n.name;
      break;
    case Fail::NoVariable:
      e.genCode = err::kNoVariable;
      e.subCode = 1003;
      e.canRetry = true;
      e.description = "Variable does not exist";
      e.operation = upperAscii(n.alias.empty() ? n.name : n.alias + "->" + n.name);
      break;
    case Fail::NoFunction:
      e.genCode = err::kNoFunction;
      e.subCode = 1001;
      e.canRetry = true;
      e.description = "Undefined function";
      e.operation = upperAscii(n.name);
      break;
    case Fail::Argument:
    case Fail::None:
      e.genCode = err::kArgument;
      e.description = "Argument error";
      if (n.fn != nullptr) {
        e.subCode = n.fn->subCode;
        e.operation = n.fn->name;
      } else {
        e.subCode = subCodeOf(n.op);
        e.operation = upperAscii(n.name);
      }
      break;
  }
  return e;
}

// What a node yields when the handler answers Default.
Value defaultOf(const Node& n) {
  switch (n.op) {
    case Op::Not:
    case Op::And:
    case Op::Or:
    case Op::Eq:
    case Op::ExactEq:
    case Op::Ne:
    case Op::Lt:
    case Op::Le:
    case Op::Gt:
    case Op::Ge:
    case Op::Contains: return Value(false);
    default: return {};
  }
}

class Evaluator {
 public:
  Evaluator(Env& env, const std::vector<int>& slots) : env_(env), slots_(slots) {}

  Value eval(const Node& n) {
    if (n.op == Op::Literal) return n.literal;
    for (;;) {
      Value out;
      const Fail f = step(n, out);
      if (f == Fail::None) return out;
      const err::Answer a = env_.errors().raise(describe(n, f));
      if (a.kind == err::Answer::Kind::Retry) continue;
      if (a.kind == err::Answer::Kind::Substitute) return Value::number(a.value);
      return defaultOf(n);
    }
  }

 private:
  Fail step(const Node& n, Value& out) {
    switch (n.op) {
      case Op::Literal: out = n.literal; return Fail::None;
      case Op::Ref: return ref(n, out);
      case Op::Call: return call(n, out);
      case Op::UserCall: return userCall(n, out);
      case Op::Iif: {
        const Value c = eval(*n.kids[0]);
        if (!c.isLogical()) return Fail::Argument;
        out = eval(*n.kids[c.logical() ? 1 : 2]);
        return Fail::None;
      }
      case Op::Neg:
      case Op::Pos: {
        Value v = eval(*n.kids[0]);
        if (!v.isNumber()) return Fail::Argument;
        Number x = v.numberInfo();
        if (n.op == Op::Neg) x.value = -x.value;
        out = x;
        return Fail::None;
      }
      case Op::Not: {
        const Value v = eval(*n.kids[0]);
        if (!v.isLogical()) return Fail::Argument;
        out = !v.logical();
        return Fail::None;
      }
      case Op::And:
      case Op::Or: {
        const Value l = eval(*n.kids[0]);
        if (!l.isLogical()) return Fail::Argument;
        // Short-circuit: the right side runs only when it decides.
        if (l.logical() == (n.op == Op::Or)) {
          out = l;
          return Fail::None;
        }
        Value r = eval(*n.kids[1]);
        if (!r.isLogical()) return Fail::Argument;
        out = std::move(r);
        return Fail::None;
      }
      default: break;
    }
    Value l = eval(*n.kids[0]);
    Value r = eval(*n.kids[1]);
    return binary(n.op, l, r, out);
  }

  Fail ref(const Node& n, Value& out) {
    const auto at = static_cast<std::size_t>(n.ref);
    if (at < slots_.size() && slots_[at] >= 0) {
      out = env_.slot(slots_[at]);
      return Fail::None;
    }
    std::optional<Value> v = env_.lookup(n.alias, n.name);
    if (!v) return Fail::NoVariable;
    out = std::move(*v);
    return Fail::None;
  }

  Fail call(const Node& n, Value& out) {
    Value args[kMaxBuiltinArgs];
    const int count = static_cast<int>(n.kids.size());
    for (int i = 0; i < count; ++i) args[i] = eval(*n.kids[static_cast<std::size_t>(i)]);
    return n.fn->fn(args, count, out) ? Fail::None : Fail::Argument;
  }

  Fail userCall(const Node& n, Value& out) {
    std::vector<Value> args;
    args.reserve(n.kids.size());
    for (const auto& k : n.kids) args.push_back(eval(*k));
    std::optional<Value> v = env_.call(n.name, args);
    if (!v) return Fail::NoFunction;
    out = std::move(*v);
    return Fail::None;
  }

  static Value number(double v, int decimals) { return Value::number(v, -1, decimals); }

  Fail binary(Op op, Value& l, Value& r, Value& out) {
    const bool nn = l.isNumber() && r.isNumber();
    switch (op) {
      case Op::Add:
        if (nn) {
          out = number(l.num() + r.num(), std::max(l.numberInfo().decimals, r.numberInfo().decimals));
        } else if (l.isString() && r.isString()) {
          l.string() += r.string();
          out = std::move(l);
        } else if (l.isDate() && r.isNumber()) {
          out = shift(l.date(), r.num());
        } else if (l.isNumber() && r.isDate()) {
          out = shift(r.date(), l.num());
        } else {
          return Fail::Argument;
        }
        return Fail::None;
      case Op::Sub:
        if (nn) {
          out = number(l.num() - r.num(), std::max(l.numberInfo().decimals, r.numberInfo().decimals));
        } else if (l.isString() && r.isString()) {
          // The left side's trailing blanks move to the end.
          std::string& s = l.string();
          const std::size_t kept = text::rTrim(s).size();
          const std::size_t blanks = s.size() - kept;
          s.resize(kept);
          s += r.string();
          s.append(blanks, ' ');
          out = std::move(l);
        } else if (l.isDate() && r.isNumber()) {
          out = shift(l.date(), -r.num());
        } else if (l.isDate() && r.isDate()) {
          out = number(l.date().day - r.date().day, 0);
        } else {
          return Fail::Argument;
        }
        return Fail::None;
      case Op::Mul:
        if (!nn) return Fail::Argument;
        out = number(l.num() * r.num(), l.numberInfo().decimals + r.numberInfo().decimals);
        return Fail::None;
      case Op::Div:
        if (!nn) return Fail::Argument;
        if (r.num() == 0) return Fail::ZeroDivide;
        out = number(l.num() / r.num(), kSetDecimals);
        return Fail::None;
      case Op::Mod:
        if (!nn) return Fail::Argument;
        if (r.num() == 0) return Fail::ZeroDivide;
        out = number(std::fmod(l.num(), r.num()), std::max(l.numberInfo().decimals, r.numberInfo().decimals));
        return Fail::None;
      case Op::Pow:
        if (!nn) return Fail::Argument;
        out = number(std::pow(l.num(), r.num()), kSetDecimals);
        return Fail::None;
      case Op::Contains: {
        if (!l.isString() || !r.isString()) return Fail::Argument;
        out = !l.string().empty() && r.string().find(l.string()) != std::string::npos;
        return Fail::None;
      }
      case Op::Eq:
      case Op::Ne:
      case Op::ExactEq: {
        bool same;
        if (l.isNil() || r.isNil()) {
          same = l.isNil() && r.isNil();
        } else if (op == Op::ExactEq && l.isString() && r.isString()) {
          same = text::exactlyEqual(l.string(), r.string());
        } else {
          const std::optional<int> c = compareValues(l, r, env_.exact());
          if (!c) return Fail::Argument;
          same = *c == 0;
        }
        out = op == Op::Ne ? !same : same;
        return Fail::None;
      }
      case Op::Lt:
      case Op::Le:
      case Op::Gt:
      case Op::Ge: {
        const std::optional<int> c = compareValues(l, r, env_.exact());
        if (!c) return Fail::Argument;
        out = op == Op::Lt ? *c < 0 : op == Op::Le ? *c <= 0 : op == Op::Gt ? *c > 0 : *c >= 0;
        return Fail::None;
      }
      default: return Fail::Argument;
    }
  }

  static Value shift(text::Date d, double days) {
    if (d.empty()) return d;
    return text::Date{d.day + static_cast<std::int32_t>(std::trunc(days))};
  }

  Env& env_;
  const std::vector<int>& slots_;
};

}  // namespace

Value evaluate(const Expr::Node& root, Env& env, const std::vector<int>& slots) {
  return Evaluator(env, slots).eval(root);
}

}  // namespace rt::expr
