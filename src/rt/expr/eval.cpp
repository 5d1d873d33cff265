// The evaluator: a walk over the tree. Failures are raised through the Env's
// error system; the handler's answer decides what the failed node yields.
#include <cmath>

#include "rt/expr/functions.h"
#include "rt/expr/node.h"
#include "rt/text/compare.h"
#include "rt/text/cp860.h"
#include "rt/text/strings.h"

namespace rt::expr {

namespace {

using Node = Expr::Node;

// Decimals of results the classic run-time shows with SET DECIMALS (2):
// quotients and powers.
constexpr int kSetDecimals = 2;

enum class Fail { None, Argument, ZeroDivide, NoVariable, NoFunction };

int subCodeOf(Op op) {
  switch (op) {
    case Op::ExactEq:
      return 1070;
    case Op::Eq:
      return 1071;
    case Op::Ne:
      return 1072;
    case Op::Lt:
      return 1073;
    case Op::Le:
      return 1074;
    case Op::Gt:
      return 1075;
    case Op::Ge:
      return 1076;
    case Op::Not:
      return 1077;
    case Op::And:
      return 1078;
    case Op::Or:
      return 1079;
    case Op::Neg:
    case Op::Pos:
      return 1080;
    case Op::Add:
      return 1081;
    case Op::Sub:
      return 1082;
    case Op::Mul:
      return 1083;
    case Op::Div:
      return 1084;
    case Op::Mod:
      return 1085;
    case Op::Pow:
      return 1088;
    case Op::Contains:
      return 1109;
    default:
      return 0;
  }
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
      e.operation = text::upperAscii(n.alias.empty() ? n.name : n.alias + "->" + n.name);
      break;
    case Fail::NoFunction:
      e.genCode = err::kNoFunction;
      e.subCode = 1001;
      e.canRetry = true;
      e.description = "Undefined function";
      e.operation = text::upperAscii(n.name);
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
        e.operation = text::upperAscii(n.name);
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
    case Op::Contains:
      return Value(false);
    default:
      return {};
  }
}

class Evaluator {
 public:
  Evaluator(Env& env, const std::vector<int>& slots) : env_(env), slots_(slots) {}

  Value eval(const Node& n) {
    if (n.op == Op::Literal) return n.literal;
    Fail f = Fail::None;
    Value out = step(n, f);
    if (f != Fail::None) [[unlikely]]
      out = recover(n, f);
    return out;
  }

 private:
  // One node's value; f tells a failure (the value is then nil).
  Value step(const Node& n, Fail& f) {
    switch (n.op) {
      case Op::Literal:
        return n.literal;
      case Op::Ref:
        return ref(n, f);
      case Op::Call:
        return call(n, f);
      case Op::UserCall:
        return userCall(n, f);
      case Op::Iif: {
        const Value c = eval(*n.kids[0]);
        if (!c.isLogical()) return failed(f, Fail::Argument);
        return eval(*n.kids[c.logical() ? 1 : 2]);
      }
      case Op::Neg:
      case Op::Pos: {
        const Value v = eval(*n.kids[0]);
        if (!v.isNumber()) return failed(f, Fail::Argument);
        Number x = v.numberInfo();
        if (n.op == Op::Neg) x.value = -x.value;
        return x;
      }
      case Op::Not: {
        const Value v = eval(*n.kids[0]);
        if (!v.isLogical()) return failed(f, Fail::Argument);
        return !v.logical();
      }
      case Op::And:
      case Op::Or: {
        const Value l = eval(*n.kids[0]);
        if (!l.isLogical()) return failed(f, Fail::Argument);
        // Short-circuit: the right side runs only when it decides.
        if (l.logical() == (n.op == Op::Or)) return l;
        Value r = eval(*n.kids[1]);
        if (!r.isLogical()) return failed(f, Fail::Argument);
        return r;
      }
      default:
        break;
    }
    Value l = eval(*n.kids[0]);
    Value r = eval(*n.kids[1]);
    return binary(n.op, l, r, f);
  }

  // Raises the failure and answers as the handler says: Retry runs the node
  // again, Substitute stands in a number, Default gives the node's default.
  Value recover(const Node& n, Fail f) {
    for (;;) {
      const err::Error e = describe(n, f);
      const err::Answer a = env_.errors().raise(e);
      if (a.kind == err::Answer::Kind::Substitute) return Value::number(a.value);
      // A Retry of what cannot be retried is taken as Default.
      if (a.kind != err::Answer::Kind::Retry || !e.canRetry) return defaultOf(n);
      f = Fail::None;
      Value out = step(n, f);
      if (f == Fail::None) return out;
    }
  }

  static Value failed(Fail& f, Fail why) {
    f = why;
    return {};
  }

  Value ref(const Node& n, Fail& f) {
    const auto at = static_cast<std::size_t>(n.ref);
    if (at < slots_.size() && slots_[at] >= 0) return env_.slot(slots_[at]);
    std::optional<Value> v = env_.lookup(n.alias, n.name);
    if (!v) return failed(f, Fail::NoVariable);
    return std::move(*v);
  }

  Value call(const Node& n, Fail& f) {
    // Each argument is built in its place (left to right), never assigned.
    const auto& k = n.kids;
    const std::size_t count = k.size();
    static_assert(kMaxBuiltinArgs == 3);
    Value args[kMaxBuiltinArgs] = {count > 0 ? eval(*k[0]) : Value(), count > 1 ? eval(*k[1]) : Value(),
                                   count > 2 ? eval(*k[2]) : Value()};
    Value out;
    if (!n.fn->fn(args, static_cast<int>(count), out)) return failed(f, Fail::Argument);
    return out;
  }

  Value userCall(const Node& n, Fail& f) {
    std::vector<Value> args;
    args.reserve(n.kids.size());
    for (const auto& k : n.kids) args.push_back(eval(*k));
    std::optional<Value> v = env_.call(n.name, args);
    if (!v) return failed(f, Fail::NoFunction);
    return std::move(*v);
  }

  static Value number(double v, int decimals) { return Value::number(v, -1, decimals); }

  Value binary(Op op, Value& l, Value& r, Fail& f) {
    const bool nn = l.isNumber() && r.isNumber();
    switch (op) {
      case Op::Add:
        if (nn) return number(l.num() + r.num(), std::max(l.numberInfo().decimals, r.numberInfo().decimals));
        if (l.isString() && r.isString()) {
          l.string() += r.string();
          return std::move(l);
        }
        if (l.isDate() && r.isNumber()) return shift(l.date(), r.num());
        if (l.isNumber() && r.isDate()) return shift(r.date(), l.num());
        return failed(f, Fail::Argument);
      case Op::Sub:
        if (nn) return number(l.num() - r.num(), std::max(l.numberInfo().decimals, r.numberInfo().decimals));
        if (l.isString() && r.isString()) {
          // The left side's trailing blanks move to the end.
          std::string& s = l.string();
          const std::size_t kept = text::rTrim(s).size();
          const std::size_t blanks = s.size() - kept;
          s.resize(kept);
          s += r.string();
          s.append(blanks, ' ');
          return std::move(l);
        }
        if (l.isDate() && r.isNumber()) return shift(l.date(), -r.num());
        if (l.isDate() && r.isDate()) return number(l.date().day - r.date().day, 0);
        return failed(f, Fail::Argument);
      case Op::Mul:
        if (!nn) return failed(f, Fail::Argument);
        return number(l.num() * r.num(), l.numberInfo().decimals + r.numberInfo().decimals);
      case Op::Div:
        if (!nn) return failed(f, Fail::Argument);
        if (r.num() == 0) return failed(f, Fail::ZeroDivide);
        return number(l.num() / r.num(), kSetDecimals);
      case Op::Mod:
        if (!nn) return failed(f, Fail::Argument);
        if (r.num() == 0) return failed(f, Fail::ZeroDivide);
        return number(std::fmod(l.num(), r.num()),
                      std::max(l.numberInfo().decimals, r.numberInfo().decimals));
      case Op::Pow:
        if (!nn) return failed(f, Fail::Argument);
        return number(std::pow(l.num(), r.num()), kSetDecimals);
      case Op::Contains:
        if (!l.isString() || !r.isString()) return failed(f, Fail::Argument);
        return !l.string().empty() && r.string().find(l.string()) != std::string::npos;
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
          if (!c) return failed(f, Fail::Argument);
          same = *c == 0;
        }
        return op == Op::Ne ? !same : same;
      }
      case Op::Lt:
      case Op::Le:
      case Op::Gt:
      case Op::Ge: {
        const std::optional<int> c = compareValues(l, r, env_.exact());
        if (!c) return failed(f, Fail::Argument);
        return op == Op::Lt ? *c < 0 : op == Op::Le ? *c <= 0 : op == Op::Gt ? *c > 0 : *c >= 0;
      }
      default:
        return failed(f, Fail::Argument);
    }
  }

  // A date moved by a number of days; outside the calendar (years 1 to
  // 9999) it is the empty date.
  static Value shift(text::Date d, double days) {
    if (d.empty()) return d;
    static const std::int32_t first = text::Date::fromYmd(1, 1, 1).day;
    static const std::int32_t last = text::Date::fromYmd(9999, 12, 31).day;
    const double to = static_cast<double>(d.day) + std::trunc(days);
    if (!(to >= first && to <= last)) return text::Date{};
    return text::Date{static_cast<std::int32_t>(to)};
  }

  Env& env_;
  const std::vector<int>& slots_;
};

}  // namespace

Value evaluate(const Expr::Node& root, Env& env, const std::vector<int>& slots) {
  return Evaluator(env, slots).eval(root);
}

}  // namespace rt::expr
