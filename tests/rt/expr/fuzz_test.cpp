// Random and mutated texts: every one compiles or is refused with a
// CompileError, and whatever compiles evaluates to some value under any
// answer of the handler (the sanitizer builds check the work).
#include <gtest/gtest.h>

#include <random>

#include "fake_env.h"

namespace {

using fpo::test::FakeEnv;
using rt::Value;
using rt::err::Answer;
using rt::expr::CompileError;
using rt::expr::Expr;

constexpr int kRounds = 20000;

const char* const kSeeds[] = {
    "Str(CTL->DATREF, 6) + Str(CTL->CODMNC, 4)",
    "SubStr(SRVZEB->SRV_UID, 1, 6) + SRVZEB->SRV_SR + SRVZEB->SRV_CSF",
    "IPUZEB->IPU_CMP + IPUZEB->IPU_UID + left(IPUZEB->IPU_PA,2)",
    "vpa_cmp + vpa_pa + vpa_tipo",
    "!Empty(Variavel) .and. Val(Variavel) >= 199802 .and. Val(Subs(Variavel, 5, 2)) > 00 .and. "
    "Val(Subs(Variavel, 5, 2)) < 13",
    "'   ' + StrZero(CTRL->CODMNC, 4) + '    -    ' + CTRL->NMEMNC + Spac(35)",
    "Transform(N, '@E 9,999.99') + DtoC(D + 30) + PadC(Nome_Municipio(N), 20)",
    "Iif(N / 0 > 1, Round(N ^ 300, 400), Replicate('x', N * 1000))",
};

// Pieces that random texts are made of.
const char* const kPieces[] = {
    "(",        ")",          ",",
    "+",        "-",          "*",
    "/",        "%",          "^",
    "**",       "=",          "==",
    "!=",       "<>",         "#",
    "<",        "<=",         ">",
    ">=",       "$",          "!",
    ".and.",    ".or.",       ".not.",
    ".T.",      ".F.",        "->",
    "'ab'",     "[x]",        "\"\"",
    "0",        "1.5",        "99999999999",
    ".5",       "N",          "S",
    "D",        "L",          "CTL",
    "VARIAVEL", "Str",        "StrZero",
    "SubStr",   "Left",       "Right",
    "Val",      "Empty",      "Space",
    "DtoC",     "CtoD",       "Upper",
    "Trim",     "AllTrim",    "PadC",
    "Len",      "Transform",  "Iif",
    "Round",    "Int",        "Replicate",
    "Chr",      "Asc",        "At",
    "Year",     "Date",       "Nome_Municipio",
    " ",        "'@R 99/99'", "'@EZ 9,999.99'",
    "-1e",      "\x01",       "\xE7",
    "'",        "..",
};

std::string randomText(std::mt19937& rng) {
  std::string t;
  const int n = 1 + static_cast<int>(rng() % 25);
  for (int i = 0; i < n; ++i) t += kPieces[rng() % std::size(kPieces)];
  return t;
}

// A random expression that is mostly well formed: calls with fitting argument
// counts, operators, nesting, and literals at the edges of their ranges.
std::string grown(std::mt19937& rng, int depth) {
  static const char* const literals[] = {"0",
                                         "1",
                                         "-1",
                                         "40",
                                         "2.5",
                                         "1000",
                                         "100000",
                                         "99999999999999999999",
                                         "0.000001",
                                         "''",
                                         "'ab'",
                                         "' 12.50'",
                                         "'@E 9,999.99'",
                                         "'@R 99/99'",
                                         "'@Z 999'",
                                         "'9.999'",
                                         "'31/12/9999'",
                                         "'01/01/0001'",
                                         ".T.",
                                         ".F.",
                                         "N",
                                         "S",
                                         "D",
                                         "L",
                                         "VARIAVEL",
                                         "CTL->X"};
  static const std::pair<const char*, int> calls[] = {
      {"Str", 3},   {"StrZero", 3},   {"SubStr", 3}, {"Left", 2},      {"Right", 2},         {"Val", 1},
      {"Empty", 1}, {"Space", 1},     {"DtoC", 1},   {"CtoD", 1},      {"DtoS", 1},          {"Upper", 1},
      {"Lower", 1}, {"Trim", 1},      {"PadC", 3},   {"PadL", 2},      {"Len", 1},           {"Round", 2},
      {"Int", 1},   {"Transform", 2}, {"Iif", 3},    {"Replicate", 2}, {"Chr", 1},           {"Asc", 1},
      {"At", 2},    {"Year", 1},      {"Day", 1},    {"Abs", 1},       {"Nome_Municipio", 1}};
  static const char* const ops[] = {" + ",  " - ",  " * ", " / ",  " % ", " ^ ",     " = ",
                                    " == ", " <> ", " < ", " >= ", " $ ", " .and. ", " .or. "};
  if (depth <= 0 || rng() % 4 == 0) return literals[rng() % std::size(literals)];
  switch (rng() % 5) {
    case 0:
    case 1: {
      const auto& [name, arity] = calls[rng() % std::size(calls)];
      std::string t = std::string(name) + "(";
      const int n = 1 + static_cast<int>(rng() % static_cast<unsigned>(arity));
      for (int i = 0; i < n; ++i) t += (i ? ", " : "") + grown(rng, depth - 1);
      return t + ")";
    }
    case 2:
      return grown(rng, depth - 1) + ops[rng() % std::size(ops)] + grown(rng, depth - 1);
    case 3:
      return "(" + grown(rng, depth - 1) + ")";
    default:
      return (rng() % 2 ? "!" : "-") + grown(rng, depth - 1);
  }
}

std::string mutated(std::mt19937& rng) {
  std::string t = kSeeds[rng() % std::size(kSeeds)];
  const int edits = 1 + static_cast<int>(rng() % 4);
  for (int i = 0; i < edits && !t.empty(); ++i) {
    const std::size_t at = rng() % t.size();
    switch (rng() % 4) {
      case 0:
        t[at] = static_cast<char>(rng());
        break;
      case 1:
        t.erase(at, 1 + rng() % 5);
        break;
      case 2:
        t.insert(at, kPieces[rng() % std::size(kPieces)]);
        break;
      default:
        t.insert(at, t.substr(rng() % t.size()));
        break;
    }
  }
  return t;
}

TEST(ExprFuzz, AnyTextCompilesOrIsRefusedAndEvaluates) {
  std::mt19937 rng(2024);
  int compiled = 0;
  for (int round = 0; round < kRounds; ++round) {
    const std::string text = round % 3 == 0 ? randomText(rng) : round % 3 == 1 ? mutated(rng) : grown(rng, 6);
    std::optional<Expr> e;
    try {
      e = Expr::compile(text);
    } catch (const CompileError& ce) {
      EXPECT_LE(ce.position, text.size()) << text;
      continue;
    }
    ++compiled;
    FakeEnv env;
    env.set("N", Value::number(40, 4, 0));
    env.set("S", Value::str("ab"));
    env.set("D", rt::text::Date::fromYmd(2022, 11, 5));
    env.set("L", Value(true));
    env.set("VARIAVEL", Value::str("202211"));
    env.functions["NOME_MUNICIPIO"] = [](std::vector<Value>& args) {
      return args.empty() ? Value() : args[0];
    };
    // Every kind of answer, a retry only a few times in a row.
    int retries = 0;
    env.answer = [&](const rt::err::Error& err) {
      EXPECT_NE(err.genCode, 0) << text;
      switch (rng() % 3) {
        case 0:
          return Answer::byDefault();
        case 1:
          return retries++ < 3 ? Answer::retry() : Answer::byDefault();
        default:
          return Answer::substitute(static_cast<double>(rng() % 3));
      }
    };
    e->eval(env);
    e->bind(env);
    e->eval(env);
  }
  EXPECT_GT(compiled, kRounds / 20);
}

}  // namespace
