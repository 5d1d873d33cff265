// The evaluator on the system's own texts (index keys, browse and listing
// rows, the period rule), operators and functions, names, bound slots, key
// parts and values at the edges.
#include "rt/expr/expr.h"

#include <gtest/gtest.h>

#include "fake_env.h"
#include "rt/text/cp860.h"

namespace {

using fpo::test::FakeEnv;
using fpo::test::show;
using rt::Value;
using rt::expr::Expr;

struct Case {
  std::string text;
  std::string want;
};

// The rows of the tables the system works on.
void fill(FakeEnv& env) {
  for (const char* alias : {"CTL->", "", "CTRL->"}) {
    env.set(std::string(alias) + "DATREF", Value::number(202211, 6, 0));
    env.set(std::string(alias) + "CODMNC", Value::number(40, 4, 0));
  }
  env.set("CTL->DATATU", rt::text::Date::fromYmd(2022, 12, 5));
  env.set("CTL->DATSES", rt::text::Date{});
  env.set("CTL->STASES", Value::str("E"));
  env.set("CTRL->NMEMNC", Value::str("ARACATI   "));
  env.set("SRVZEB->SRV_UID", Value::str("1234567"));
  env.set("SRVZEB->SRV_SR", Value::str("012"));
  env.set("SRVZEB->SRV_CSF", Value::str("003"));
  env.set("IPUZEB->IPU_CMP", Value::str("202211"));
  env.set("IPUZEB->IPU_UID", Value::str("7654321"));
  env.set("IPUZEB->IPU_PA", Value::str("0301010072"));
  env.set("VPA_CMP", Value::str("202211"));
  env.set("VPA_PA", Value::str("0301010072"));
  env.set("VPA_TIPO", Value::str("1"));
  env.set("MN->MN_IBGE", Value::str("230040"));
  env.functions["NOME_MUNICIPIO"] = [](std::vector<Value>& args) {
    return Value::str(args.size() == 1 && args[0].isNumber() && args[0].num() == 40 ? std::string(25, 'N')
                                                                                    : std::string(25, '?'));
  };
}

std::string blanks(std::size_t n) { return std::string(n, ' '); }

TEST(Expr, TheSystemsTexts) {
  const Case cases[] = {
      // index keys
      {"Str(CTL->DATREF, 6) + Str(CTL->CODMNC, 4)", "C:202211  40"},
      {"Str(CTL->DATREF) + Str(CTL->CODMNC, 4)", "C:202211  40"},  // the field's own width
      {"Str(DATREF, 6) + Str(CODMNC, 4)", "C:202211  40"},
      {"Str(CTL->CODMNC, 4) + Str(CTL->DATREF, 6)", "C:  40202211"},
      {"SubStr(SRVZEB->SRV_UID, 1, 6) + SRVZEB->SRV_SR + SRVZEB->SRV_CSF", "C:123456012003"},
      {"IPUZEB->IPU_CMP + IPUZEB->IPU_UID + left(IPUZEB->IPU_PA,2)", "C:202211765432103"},
      {"vpa_cmp + vpa_pa + vpa_tipo", "C:20221103010100721"},
      {"CTRL->CODMNC", "N:40"},
      {"CTRL->NMEMNC", "C:ARACATI   "},
      {"MN->MN_IBGE", "C:230040"},
      // browse rows
      {"'   ' + StrZero(CTRL->CODMNC, 4) + '    -    ' + CTRL->NMEMNC + Spac(35)",
       "C:   0040    -    ARACATI   " + blanks(35)},
      // the listings' rows: 99 and 81 characters
      {"'    ' + Str(CTL->DATREF, 6) + '            ' + DtoC(CTL->DATATU) + '           ' + "
       "StrZero(CTL->CODMNC, 4) + ' - ' + Nome_Municipio(CTL->CODMNC) + Space(24)",
       "C:" + blanks(4) + "202211" + blanks(12) + "05/12/2022" + blanks(11) + "0040 - " +
           std::string(25, 'N') + blanks(24)},
      {"'    ' + Str(CTL->DATREF, 6) + '          ' + DtoC(CTL->DATSES) + '     ' + StrZero(CTL->CODMNC, 4) "
       "+ "
       "' - ' + Nome_Municipio(CTL->CODMNC) + '   ' + CTL->STASES + Space(10)",
       "C:" + blanks(4) + "202211" + blanks(10) + "  /  /    " + blanks(5) + "0040 - " +
           std::string(25, 'N') + blanks(3) + "E" + blanks(10)},
  };
  for (const auto& c : cases) {
    FakeEnv env;
    fill(env);
    EXPECT_EQ(show(Expr::compile(c.text).eval(env)), c.want) << c.text;
    EXPECT_TRUE(env.raised.empty()) << c.text;
  }
}

TEST(Expr, PeriodRule) {
  const Expr rule = Expr::compile(
      "!Empty(Variavel) .and. Val(Variavel) >= 199802 .and. Val(Subs(Variavel, 5, 2)) > 00 .and. "
      "Val(Subs(Variavel, 5, 2)) < 13");
  const std::pair<const char*, bool> cases[] = {
      {"      ", false}, {"199801", false}, {"199802", true},  {"202211", true},
      {"202212", true},  {"202213", false}, {"202200", false}, {"2022  ", false},
  };
  for (const auto& [period, ok] : cases) {
    FakeEnv env;
    env.set("VARIAVEL", Value::str(period));
    const Value v = rule.eval(env);
    ASSERT_TRUE(v.isLogical()) << period;
    EXPECT_EQ(v.logical(), ok) << period;
    EXPECT_TRUE(env.raised.empty()) << period;  // short-circuit: no Val() of a blank error
  }
}

TEST(Expr, OperatorsAndFunctions) {
  const Case cases[] = {
      {"1 + 2 * 3", "N:7"},
      {"(1 + 2) * 3", "N:9"},
      {"-2 ^ 2", "N:4.00"},  // unary minus binds tighter
      {"2 ** 3 - 2 ^ 3", "N:0.00"},
      {"7 / 2", "N:3.50"},
      {"10 % 3", "N:1"},
      {"1.5 * 1.5", "N:2.25"},
      {"- (3)", "N:-3"},
      {"'ab ' - 'cd'", "C:abcd "},
      {"'ab' + [cd] + \"ef\"", "C:abcdef"},
      {"CtoD('31/01/2022') + 1", "D:01/02/2022"},
      {"1 + CtoD('31/01/2022')", "D:01/02/2022"},
      {"CtoD('01/03/2022') - 1", "D:28/02/2022"},
      {"CtoD('01/03/2022') - CtoD('01/02/2022')", "N:28"},
      {"'ab' $ 'xaby'", "L:T"},
      {"'ba' $ 'xaby'", "L:F"},
      {"'' $ 'abc'", "L:F"},
      {".T. .or. .F. .and. .F.", "L:T"},
      {".y. .and. .not. .n.", "L:T"},
      {"!1 = 2", "L:T"},  // .not. binds looser than comparison
      {"1 == 1.0", "L:T"},
      {"'AB' == 'AB '", "L:F"},
      {".T. = .T.", "L:T"},
      {"CtoD('') = CtoD('  /  /    ')", "L:T"},
      {"Iif(1 > 2, 'a', 'b')", "C:b"},
      {"If(.T., 1, 1 / 0)", "N:1"},    // only the chosen branch runs
      {".F. .and. 1 / 0 = 0", "L:F"},  // short-circuit
      {"Upper('ação x')"_cp, "C:" + "AÇÃO X"_cp},
      {"Lower('AÇÃO X')"_cp, "C:" + "ação x"_cp},
      {"Len('abc') + At('c', 'abc')", "N:6"},
      {"Chr(65) + Str(Asc('B'), 2)", "C:A66"},
      {"Replicate('ab', 3)", "C:ababab"},
      {"Right('abcdef', 2) + Left('abc', 9)", "C:efabc"},
      {"SubStr('abcdef', -2) + SubStr('abc', 5) + SubStr('abc', 0, 1)", "C:efa"},
      {"Year(CtoD('05/11/22')) * 10000 + Month(CtoD('05/11/22')) * 100 + Day(CtoD('05/11/22'))",
       "N:20221105"},
      {"DtoS(CtoD('05/11/2022'))", "C:20221105"},
      {"Empty(0) .and. Empty('  ') .and. Empty(CtoD('')) .and. !Empty('x')", "L:T"},
      {"Transform(1234.5, '@E 9,999.99')", "C:1.234,50"},
      {"Transform('202211', '@R 9999/99')", "C:2022/11"},
      {"Transform(CtoD('05/11/2022'), '')", "C:05/11/2022"},
      {"PadC('ab', 6) + PadL('7', 3, '0') + PadR('x', 2, '.')", "C:  ab  007x."},
      {"AllTrim('  x ') + Trim('y  ') + LTrim('  z') + RTrim('w ')", "C:xyzw"},
      {"Round(2.5, 0) + Abs(-3) + Int(-3.7)", "N:3"},
      {"Str(Round(1.2345, 2))", "C:         1.23"},
      {"Val('12') + 1", "N:13"},
      {"StrZero(-5, 4)", "C:-005"},
      {"Date() == Date()", "L:T"},
  };
  for (const auto& c : cases) {
    FakeEnv env;
    EXPECT_EQ(show(Expr::compile(c.text).eval(env)), c.want) << c.text;
    EXPECT_TRUE(env.raised.empty()) << c.text;
  }
}

TEST(Expr, NamesIgnoreCaseAndTakeAbbreviations) {
  const Case cases[] = {
      {"SUBSTR('abc', 2, 1) + substr('abc', 3) + Subs('abc', 1, 1) + SubSt('abc', 2, 1)", "C:bcab"},
      {"sPaC(2) + SPACE(1)", "C:   "},
      {"StrZ(5, 3) + Tran(5, '99') + Repl('-', 2) + AllT(' a ') + Uppe('b')", "C:005 5--aB"},
      {"Empt(1) .or. Roun(1.26, 1) = 1.3", "L:T"},
      {"ctl->datref + CTL->DATREF + Ctl->DatRef", "N:606633"},
      {"iif(.t., 'x', 'y') + IIF(.F., 'x', 'y')", "C:xy"},
  };
  for (const auto& c : cases) {
    FakeEnv env;
    fill(env);
    EXPECT_EQ(show(Expr::compile(c.text).eval(env)), c.want) << c.text;
  }
  FakeEnv env;
  // Fewer than four characters of a longer name is no abbreviation: a user
  // function of that name is called instead.
  env.functions["SPA"] = [](std::vector<Value>&) { return Value::str("user"); };
  EXPECT_EQ(show(Expr::compile("Spa(2)").eval(env)), "C:user");
  EXPECT_EQ(show(Expr::compile("nome_municipio(1)").eval(env)), "U");
  ASSERT_EQ(env.raised.size(), 1u);
  EXPECT_EQ(env.raised[0].genCode, rt::err::kNoFunction);
}

TEST(Expr, BoundNamesReadSlots) {
  FakeEnv env;
  fill(env);
  Expr key = Expr::compile("Str(CTL->DATREF, 6) + Str(CTL->CODMNC, 4)");
  key.bind(env);
  env.lookupsAllowed = false;  // from now on only slots answer
  EXPECT_EQ(show(key.eval(env)), "C:202211  40");
  env.set("CTL->CODMNC", Value::number(7, 4, 0));  // the next row
  EXPECT_EQ(show(key.eval(env)), "C:202211   7");
  const Expr copy = key;  // copies keep their binding
  EXPECT_EQ(show(copy.eval(env)), "C:202211   7");
  EXPECT_TRUE(env.raised.empty());

  // An Env that binds nothing is asked by name every time.
  FakeEnv plain;
  fill(plain);
  plain.bindable = false;
  key.bind(plain);
  EXPECT_EQ(show(key.eval(plain)), "C:202211  40");
}

// Keys that join names, whole or their first characters: their parts as
// written; any other expression has none.
TEST(Expr, KeyParts) {
  const struct {
    const char* text;
    const char* want;  // alias>name:take parts, or "none"
  } cases[] = {
      {"UPSZEB->UPS_ID", "UPSZEB>UPS_ID:-1"},
      {"SubStr(SRVZEB->SRV_UID, 1, 6) + SRVZEB->SRV_SR + SRVZEB->SRV_CSF",
       "SRVZEB>SRV_UID:6 SRVZEB>SRV_SR:-1 SRVZEB>SRV_CSF:-1"},
      {"IPUZEB->IPU_CMP + IPUZEB->IPU_UID + left(IPUZEB->IPU_PA,2)",
       "IPUZEB>IPU_CMP:-1 IPUZEB>IPU_UID:-1 IPUZEB>IPU_PA:2"},
      {"(K) + (Subs(V, 1, 3) + LEFT(W, 9))", ">K:-1 >V:3 >W:9"},
      {"SubStr(K, 2, 3)", "none"},
      {"SubStr(K, 1)", "none"},
      {"SubStr(K, 1, 0) + V", "none"},
      {"Left(K, 2.5)", "none"},
      {"Left(K, N)", "none"},
      {"Left(Trim(K), 2)", "none"},
      {"Str(CTL->DATREF, 6) + Str(CTL->CODMNC, 4)", "none"},
      {"K - V", "none"},
      {"K + 'x'", "none"},
      {"Upper(K)", "none"},
  };
  for (const auto& c : cases) {
    const auto parts = Expr::compile(c.text).keyParts();
    std::string got;
    if (!parts) got = "none";
    for (const rt::expr::KeyPart& p : parts.value_or(std::vector<rt::expr::KeyPart>{}))
      got += (got.empty() ? "" : " ") + p.alias + ">" + p.name + ":" + std::to_string(p.take);
    EXPECT_EQ(got, c.want) << c.text;
  }
}

// Values at the edges: decimals beyond any buffer print as asterisks, a date
// moved out of the calendar is the empty date.
TEST(Expr, ExtremeValues) {
  const Case cases[] = {
      {"Str(1, 10, 1000)", "C:**********"},
      {"Str(Val('1.' + Replicate('0', 500))) == Replicate('*', 502)", "L:T"},
      {"Left(Transform(1, '9.' + Replicate('9', 600)), 3)", "C:*.*"},
      {"Empty(CtoD('01/01/2000') + 100000000000000000000)", "L:T"},
      {"Year(CtoD('01/01/2000') + 2000000000)", "N:0"},
      {"DtoC(CtoD('01/01/2000') - 1000000)", "C:  /  /    "},
      {"DtoS(CtoD('25/12/9999') + 6)", "C:99991231"},
  };
  for (const auto& c : cases) {
    FakeEnv env;
    EXPECT_EQ(show(Expr::compile(c.text).eval(env)), c.want) << c.text;
    EXPECT_TRUE(env.raised.empty()) << c.text;
  }
}

TEST(Expr, LiteralDecimalsReachStr) {
  FakeEnv env;
  EXPECT_EQ(show(Expr::compile("Str(1.50)").eval(env)), "C:         1.50");
  EXPECT_EQ(show(Expr::compile("Str(00)").eval(env)), "C:         0");
  EXPECT_EQ(show(Expr::compile("Str(.5)").eval(env)), "C:         0.5");
  EXPECT_EQ(show(Expr::compile("Str(-2)").eval(env)), "C:        -2");
}

}  // namespace
