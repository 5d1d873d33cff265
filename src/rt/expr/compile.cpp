// The compiler: text -> tokens -> tree. Function names are resolved here.
#include <algorithm>
#include <charconv>

#include "rt/expr/node.h"
#include "rt/text/cp860.h"

namespace rt::expr {

namespace {

using Node = Expr::Node;
using NodePtr = std::unique_ptr<Node>;

enum class Tok {
  End,
  Number,
  String,
  Ident,
  Logical,
  Arrow,
  LParen,
  RParen,
  Comma,
  Plus,
  Minus,
  Star,
  Slash,
  Percent,
  Pow,
  Eq,
  ExactEq,
  Ne,
  Lt,
  Le,
  Gt,
  Ge,
  Dollar,
  And,
  Or,
  Not,
};

struct Token {
  Tok kind = Tok::End;
  std::size_t pos = 0;
  std::string_view text;  // as written
  Value value;            // Number, String, Logical
};

[[noreturn]] void fail(std::string_view src, std::size_t pos, const std::string& what) {
  std::string msg = "Syntax error at column " + std::to_string(pos + 1);
  if (pos >= src.size()) {
    msg += what.empty() ? ": expression incomplete" : ": " + what;
  } else {
    std::string near(src.substr(pos, 12));
    msg += " near \"" + near + (src.size() - pos > 12 ? "...\"" : "\"");
    if (!what.empty()) msg += ": " + what;
  }
  throw CompileError(msg, pos);
}

// Deeper nesting is refused: evaluation and release walk the tree by recursion.
constexpr int kMaxDepth = 200;

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::vector<Token> lex(std::string_view s) {
  std::vector<Token> out;
  std::size_t i = 0;
  auto add = [&](Tok k, std::size_t start, std::size_t len) {
    Token t;
    t.kind = k;
    t.pos = start;
    t.text = s.substr(start, len);
    out.push_back(std::move(t));
    i = start + len;
  };
  while (i < s.size()) {
    const char c = s[i];
    const char next = i + 1 < s.size() ? s[i + 1] : '\0';
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      ++i;
      continue;
    }
    const std::size_t start = i;
    if (isDigit(c) || (c == '.' && isDigit(next))) {
      std::size_t j = i;
      while (j < s.size() && isDigit(s[j])) ++j;
      int decimals = 0;
      if (j < s.size() && s[j] == '.' && !(j + 1 < s.size() && isLetter(s[j + 1]))) {
        ++j;
        while (j < s.size() && isDigit(s[j])) ++j, ++decimals;
      }
      std::string digits(s.substr(start, j - start));
      if (digits.front() == '.') digits.insert(0, 1, '0');
      double v = 0;
      std::from_chars(digits.data(), digits.data() + digits.size(), v);
      add(Tok::Number, start, j - start);
      out.back().value = Value::number(v, -1, decimals);
      continue;
    }
    if (c == '"' || c == '\'' || c == '[') {
      const char close = c == '[' ? ']' : c;
      const std::size_t end = s.find(close, i + 1);
      if (end == std::string_view::npos)
        fail(s, s.size(), "unterminated string from column " + std::to_string(start + 1));
      add(Tok::String, start, end + 1 - start);
      out.back().value = Value::str(std::string(s.substr(start + 1, end - start - 1)));
      continue;
    }
    if (isLetter(c)) {
      std::size_t j = i;
      while (j < s.size() && (isLetter(s[j]) || isDigit(s[j]))) ++j;
      add(Tok::Ident, start, j - start);
      continue;
    }
    if (c == '.') {
      std::size_t j = i + 1;
      while (j < s.size() && isLetter(s[j])) ++j;
      if (j >= s.size() || s[j] != '.') fail(s, start, "");
      const std::string word = text::upperAscii(s.substr(i + 1, j - i - 1));
      const std::size_t len = j + 1 - start;
      if (word == "T" || word == "Y" || word == "F" || word == "N") {
        add(Tok::Logical, start, len);
        out.back().value = Value(word == "T" || word == "Y");
      } else if (word == "AND") {
        add(Tok::And, start, len);
      } else if (word == "OR") {
        add(Tok::Or, start, len);
      } else if (word == "NOT") {
        add(Tok::Not, start, len);
      } else {
        fail(s, start, "");
      }
      continue;
    }
    switch (c) {
      case '(':
        add(Tok::LParen, start, 1);
        break;
      case ')':
        add(Tok::RParen, start, 1);
        break;
      case ',':
        add(Tok::Comma, start, 1);
        break;
      case '+':
        add(Tok::Plus, start, 1);
        break;
      case '-':
        next == '>' ? add(Tok::Arrow, start, 2) : add(Tok::Minus, start, 1);
        break;
      case '*':
        next == '*' ? add(Tok::Pow, start, 2) : add(Tok::Star, start, 1);
        break;
      case '^':
        add(Tok::Pow, start, 1);
        break;
      case '/':
        add(Tok::Slash, start, 1);
        break;
      case '%':
        add(Tok::Percent, start, 1);
        break;
      case '$':
        add(Tok::Dollar, start, 1);
        break;
      case '#':
        add(Tok::Ne, start, 1);
        break;
      case '=':
        next == '=' ? add(Tok::ExactEq, start, 2) : add(Tok::Eq, start, 1);
        break;
      case '!':
        next == '=' ? add(Tok::Ne, start, 2) : add(Tok::Not, start, 1);
        break;
      case '<':
        if (next == '=')
          add(Tok::Le, start, 2);
        else if (next == '>')
          add(Tok::Ne, start, 2);
        else
          add(Tok::Lt, start, 1);
        break;
      case '>':
        next == '=' ? add(Tok::Ge, start, 2) : add(Tok::Gt, start, 1);
        break;
      default:
        fail(s, start, "");
    }
  }
  Token end;
  end.pos = s.size();
  out.push_back(std::move(end));
  return out;
}

class Parser {
 public:
  explicit Parser(std::string_view src) : src_(src), toks_(lex(src)) {}

  NodePtr parse() {
    if (peek().kind == Tok::End) throw CompileError("Syntax error: empty expression", 0);
    NodePtr n = orExpr();
    if (peek().kind != Tok::End) fail(src_, peek().pos, "");
    return n;
  }

 private:
  const Token& peek() const { return toks_[at_]; }
  const Token& take() { return toks_[at_++]; }
  bool accept(Tok k) {
    if (peek().kind != k) return false;
    ++at_;
    return true;
  }

  // Counts one level of the parser's own recursion while it lives.
  class Nest {
   public:
    Nest(Parser& p, std::size_t pos) : p_(p) {
      if (++p_.nesting_ > kMaxDepth) fail(p_.src_, pos, "expression nested too deeply");
    }
    ~Nest() { --p_.nesting_; }
    Nest(const Nest&) = delete;
    Nest& operator=(const Nest&) = delete;

   private:
    Parser& p_;
  };

  // Sets the depth of a node that has its children; refuses too deep a tree.
  NodePtr sized(NodePtr n) const {
    int d = 0;
    for (const auto& k : n->kids) d = std::max(d, k->depth);
    n->depth = d + 1;
    if (n->depth > kMaxDepth) fail(src_, n->pos, "expression nested too deeply");
    return n;
  }

  static NodePtr node(Op op, const Token& t) {
    auto n = std::make_unique<Node>();
    n->op = op;
    n->pos = t.pos;
    n->name = std::string(t.text);
    return n;
  }
  NodePtr binary(Op op, const Token& t, NodePtr l, NodePtr r) const {
    NodePtr n = node(op, t);
    n->kids.push_back(std::move(l));
    n->kids.push_back(std::move(r));
    return sized(std::move(n));
  }

  NodePtr orExpr() {
    NodePtr l = andExpr();
    while (peek().kind == Tok::Or) {
      const Token& t = take();
      l = binary(Op::Or, t, std::move(l), andExpr());
    }
    return l;
  }

  NodePtr andExpr() {
    NodePtr l = notExpr();
    while (peek().kind == Tok::And) {
      const Token& t = take();
      l = binary(Op::And, t, std::move(l), notExpr());
    }
    return l;
  }

  NodePtr notExpr() {
    if (peek().kind == Tok::Not) {
      const Token& t = take();
      Nest nest(*this, t.pos);
      NodePtr n = node(Op::Not, t);
      n->kids.push_back(notExpr());
      return sized(std::move(n));
    }
    return relExpr();
  }

  static bool relational(Tok k, Op& op) {
    switch (k) {
      case Tok::Eq:
        op = Op::Eq;
        return true;
      case Tok::ExactEq:
        op = Op::ExactEq;
        return true;
      case Tok::Ne:
        op = Op::Ne;
        return true;
      case Tok::Lt:
        op = Op::Lt;
        return true;
      case Tok::Le:
        op = Op::Le;
        return true;
      case Tok::Gt:
        op = Op::Gt;
        return true;
      case Tok::Ge:
        op = Op::Ge;
        return true;
      case Tok::Dollar:
        op = Op::Contains;
        return true;
      default:
        return false;
    }
  }

  NodePtr relExpr() {
    NodePtr l = addExpr();
    Op op;
    while (relational(peek().kind, op)) {
      const Token& t = take();
      l = binary(op, t, std::move(l), addExpr());
    }
    return l;
  }

  NodePtr addExpr() {
    NodePtr l = mulExpr();
    while (peek().kind == Tok::Plus || peek().kind == Tok::Minus) {
      const Token& t = take();
      l = binary(t.kind == Tok::Plus ? Op::Add : Op::Sub, t, std::move(l), mulExpr());
    }
    return l;
  }

  NodePtr mulExpr() {
    NodePtr l = powExpr();
    while (peek().kind == Tok::Star || peek().kind == Tok::Slash || peek().kind == Tok::Percent) {
      const Token& t = take();
      const Op op = t.kind == Tok::Star ? Op::Mul : t.kind == Tok::Slash ? Op::Div : Op::Mod;
      l = binary(op, t, std::move(l), powExpr());
    }
    return l;
  }

  NodePtr powExpr() {
    NodePtr l = unary();
    while (peek().kind == Tok::Pow) {
      const Token& t = take();
      l = binary(Op::Pow, t, std::move(l), unary());
    }
    return l;
  }

  NodePtr unary() {
    if (peek().kind == Tok::Minus || peek().kind == Tok::Plus) {
      const Token& t = take();
      Nest nest(*this, t.pos);
      NodePtr operand = unary();
      if (operand->op == Op::Literal && operand->literal.isNumber()) {
        if (t.kind == Tok::Minus) {
          Number x = operand->literal.numberInfo();
          x.value = -x.value;
          operand->literal = x;
        }
        operand->pos = t.pos;
        return operand;
      }
      NodePtr n = node(t.kind == Tok::Minus ? Op::Neg : Op::Pos, t);
      n->kids.push_back(std::move(operand));
      return sized(std::move(n));
    }
    return primary();
  }

  NodePtr primary() {
    const Token& t = take();
    switch (t.kind) {
      case Tok::Number:
      case Tok::String:
      case Tok::Logical: {
        NodePtr n = node(Op::Literal, t);
        n->literal = t.value;
        n->name.clear();
        return n;
      }
      case Tok::LParen: {
        Nest nest(*this, t.pos);
        NodePtr n = orExpr();
        if (!accept(Tok::RParen)) fail(src_, peek().pos, "\")\" expected");
        return n;
      }
      case Tok::Ident: {
        if (peek().kind == Tok::LParen) return call(t);
        NodePtr n = node(Op::Ref, t);
        if (accept(Tok::Arrow)) {
          const Token& field = take();
          if (field.kind != Tok::Ident) fail(src_, field.pos, "field name expected");
          n->alias = n->name;
          n->name = std::string(field.text);
        }
        n->ref = refs_++;
        return n;
      }
      default:
        fail(src_, t.pos, "");
    }
  }

  NodePtr call(const Token& t) {
    Nest nest(*this, t.pos);
    take();  // (
    std::vector<NodePtr> args;
    if (!accept(Tok::RParen)) {
      for (;;) {
        args.push_back(orExpr());
        if (accept(Tok::RParen)) break;
        if (!accept(Tok::Comma)) fail(src_, peek().pos, "\")\" expected");
      }
    }
    const Builtin* b = findBuiltin(t.text);
    NodePtr n = node(b == nullptr ? Op::UserCall : isIif(b) ? Op::Iif : Op::Call, t);
    n->fn = b;
    if (b != nullptr) {
      const int count = static_cast<int>(args.size());
      if (count < b->minArgs || count > b->maxArgs) {
        std::string what = std::string(b->name) + " takes ";
        what += b->minArgs == b->maxArgs ? std::to_string(b->minArgs)
                                         : std::to_string(b->minArgs) + " to " + std::to_string(b->maxArgs);
        what += b->maxArgs == 1 && b->minArgs == 1 ? " argument" : " arguments";
        fail(src_, t.pos, what);
      }
    }
    n->kids = std::move(args);
    return sized(std::move(n));
  }

  std::string_view src_;
  std::vector<Token> toks_;
  std::size_t at_ = 0;
  int refs_ = 0;
  int nesting_ = 0;
};

}  // namespace

std::unique_ptr<Expr::Node> compileTree(std::string_view text) { return Parser(text).parse(); }

}  // namespace rt::expr
