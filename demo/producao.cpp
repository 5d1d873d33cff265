// The demo's production table, its municipality table and a few earlier
// rows of the control table; and the production table repeated into a
// large one to index.
#include "producao.h"

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "rt/db/dbf.h"
#include "rt/err/error.h"
#include "rt/expr/value.h"
#include "rt/text/number.h"
#include "rt/text/strings.h"
#include "tabela.h"
#include "zozgen/layouts.h"

namespace fs = std::filesystem;

namespace {

using namespace demo;  // NOLINT(google-build-using-namespace)

// The rows of a table that are not marked deleted, as the texts of the
// fields named, trailing blanks cut.
std::vector<std::vector<std::string>> linhas(const fs::path& path, const std::vector<const char*>& campos) {
  rt::err::ErrorSystem es;
  if (!fs::exists(path)) throw std::runtime_error(path.string() + " is missing: make the package first");
  auto t = rt::db::Table::open(path, es, rt::db::Table::Access::SharedRead);
  if (!t) throw std::runtime_error("cannot open " + path.string());
  std::vector<int> pos;
  for (const char* c : campos) {
    pos.push_back(t->fieldIndex(c));
    if (pos.back() < 0) throw std::runtime_error(path.string() + " has no field " + c);
  }
  std::vector<std::vector<std::string>> out;
  for (std::uint32_t r = 1; r <= t->lastRec(); ++r) {
    if (!t->load(r)) throw std::runtime_error("cannot read " + path.string());
    if (t->deleted()) continue;
    std::vector<std::string> linha;
    for (int p : pos) linha.emplace_back(rt::text::rTrim(t->raw(p)));
    out.push_back(std::move(linha));
  }
  return out;
}

const std::vector<FieldSpec> kPrd = {{"PRD_UID", 'C', 7, 0},  {"PRD_CMP", 'C', 6, 0}, {"PRD_FLH", 'C', 3, 0},
                                     {"PRD_SEQ", 'C', 2, 0},  {"PRD_PA", 'C', 10, 0}, {"PRD_QT_P", 'N', 6, 0},
                                     {"PRD_QT_A", 'N', 6, 0}, {"PRD_MVM", 'C', 6, 0}};
const std::vector<FieldSpec> kMn = {{"MN_IBGE", 'C', 6, 0}, {"MN_NOME", 'C', 30, 0}, {"MN_UF", 'C', 2, 0}};
using zozgen::kCtl;

}  // namespace

void makeDemoProduction(const fs::path& zoz) {
  // The municipalities of the month's list.
  std::vector<Row> mn;
  for (const auto& m : linhas(zoz / "ZOZ_CTRL.211", {"CODMNC", "NMEMNC"}))
    mn.push_back({T("23" + rt::text::strZero(rt::text::val(m[0]).value, 4)), T(m[1]), C("LM")});
  tabela(zoz / "S_MN.DBF", kMn, mn);

  // Each unit's production over the procedures of each month: approved a
  // little below what was presented, some procedures left out.
  const auto unidades = linhas(zoz / "S_UPS.DBF", {"UPS_ID"});
  const auto procedimentos = linhas(zoz / "S_PA.DBF", {"PA_ID", "PA_CMP"});
  std::vector<Row> prd;
  int u = 0;
  for (const auto& unidade : unidades) {
    int folha = 1, seq = 0;
    int p = 0;
    for (const auto& pa : procedimentos) {
      ++p;
      const bool mes = pa[1] == "202211";
      if (!mes && u >= 2) continue;  // last month's rows of the first two units only
      if ((u + p) % 3 == 0) continue;
      const int apresentada = 5 + (u * 7 + p * 11) % 60;
      const int aprovada = apresentada - (u + p) % 4;
      if (++seq > 20) {
        seq = 1;
        ++folha;
      }
      prd.push_back({T(unidade[0]), T(pa[1]), T(rt::text::strZero(folha, 3)), T(rt::text::strZero(seq, 2)),
                     T(pa[0]), N(apresentada), N(aprovada), C("202211")});
    }
    ++u;
  }
  tabela(zoz / "S_PRD.DBF", kPrd, prd);

  // A few imports and critiques recorded earlier, for the listings; the
  // start-up keeps them when it rebuilds the table.
  if (!fs::exists(zoz / "CTL.DBF")) {
    tabela(zoz / "CTL.DBF", kCtl,
           {{{}, N(440), N(202210), D("20221004"), D("20221006"), {}, {}, C("C")},
            {{}, N(270), N(202210), D("20221005"), D("20221006"), {}, {}, C("E")},
            {{}, N(1280), N(202210), D("20221011")},
            {{}, N(1030), N(202209), {}, D("20220920"), {}, {}, C("C")}});
  }
}

void enlargeProduction(const fs::path& zoz, std::uint32_t rows) {
  const fs::path path = zoz / "S_PRD.DBF";
  std::ifstream in(path, std::ios::binary);
  const std::string old((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto u16 = [&](std::size_t at) {
    return static_cast<std::size_t>(static_cast<unsigned char>(old[at]) |
                                    static_cast<unsigned char>(old[at + 1]) << 8);
  };
  if (old.size() < 32) throw std::runtime_error("cannot read " + path.string());
  const std::size_t header = u16(8), width = u16(10);
  const std::size_t count = width == 0 ? 0 : (old.size() - header) / width;
  if (count == 0 || rows <= count) return;
  const std::string records = old.substr(header, count * width);
  std::string out = old.substr(0, header);
  out.reserve(header + rows * width + 1);
  // The copies are marked deleted: the report's walk passes them by, its
  // indexing still takes them all.
  std::string copies = records;
  for (std::size_t r = 0; r < count; ++r) copies[r * width] = '*';
  out += records;
  for (std::uint32_t n = static_cast<std::uint32_t>(count); n < rows; n += static_cast<std::uint32_t>(count))
    out += copies;
  const std::uint32_t total = static_cast<std::uint32_t>((out.size() - header) / width);
  for (int i = 0; i < 4; ++i)
    out[4 + static_cast<std::size_t>(i)] = static_cast<char>((total >> (8 * i)) & 0xFF);
  out += '\x1A';
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(out.data(), static_cast<std::streamsize>(out.size()));
}
