// The demo's national text files for FORTALEZA (0440), 2022/11, written as
// fixed-width lines: a maintainer, units, services, specialities and budget
// lines, the first four with a few differences from the package.
#include "critica.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

// One field of a fixed-width line: its width, and whether it is a number
// (right-aligned).
struct Campo {
  const char* nome;
  int largura;
  bool numero = false;
};

using Valores = std::vector<std::pair<const char*, std::string>>;

std::string linha(const std::vector<Campo>& layout, const Valores& valores) {
  std::string out;
  for (const Campo& c : layout) {
    std::string v;
    for (const auto& [nome, texto] : valores)
      if (std::string(nome) == c.nome) v = texto;
    v.resize(std::min<std::size_t>(v.size(), static_cast<std::size_t>(c.largura)));
    const std::string brancos(static_cast<std::size_t>(c.largura) - v.size(), ' ');
    out += c.numero ? brancos + v : v + brancos;
  }
  return out;
}

void grava(const fs::path& arquivo, const std::vector<std::string>& linhas) {
  std::ofstream out(arquivo, std::ios::binary | std::ios::trunc);
  for (const std::string& l : linhas) out << l << "\r\n";
  out << '\x1a';
  out.close();
  if (!out) throw std::runtime_error("cannot write " + arquivo.string());
}

std::string zeros(long long n, int largura) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*lld", largura, n);
  return buf;
}

const std::vector<Campo> kMan = {
    {"CODEST", 2},       {"CODDER", 3},       {"CODMNC", 5},       {"NMRCGC", 14},
    {"NMERAZ", 30},      {"CODABT", 2, true}, {"NMELOG", 30},      {"NMRLOG", 5},
    {"NMECMP", 10},      {"NMEBAI", 15},      {"CODCEP", 8, true}, {"CODDDD", 4, true},
    {"NMRTLF", 7, true}, {"CODBCO", 3, true}, {"CODAGB", 6},       {"NMRCTB", 14}};
const std::vector<Campo> kUps = {
    {"CODEST", 2},       {"CODDER", 3},       {"CODDIS", 3, true}, {"CODMNC", 4},       {"DIGMNC", 1},
    {"CODUPS", 6},       {"DATREF", 6, true}, {"NMERAZ", 35},      {"NMEFAN", 35},      {"CODFIJ", 1, true},
    {"NMRFIJ", 14},      {"CODABT", 1, true}, {"NMELOG", 30},      {"NMRLOG", 5},       {"NMECMP", 10},
    {"NMEBAI", 15},      {"CODCEP", 8, true}, {"CODDDD", 4, true}, {"NURTLF", 7, true}, {"CODBCO", 3, true},
    {"CODAGB", 6},       {"NMRCTB", 14},      {"CODTIU", 2},       {"CODPRT", 2},       {"NMRCTR", 8, true},
    {"DATCTR", 8, true}, {"QTDCSM", 3, true}, {"QTDEQO", 3, true}, {"QTDSGE", 2, true}, {"QTDSPC", 2, true},
    {"QTDSCA", 2, true}, {"CODTUA", 2},       {"CODFLU", 2},       {"CODNVH", 2}};
const std::vector<Campo> kAfo = {{"CODEST", 2},  {"CODUPS", 6},  {"DATREF", 6},  {"CODIPR", 2},
                                 {"IPRAUX", 5},  {"QTDPRG", 7},  {"QTDPRD", 7},  {"QTDAPR", 7},
                                 {"VCTPRG", 15}, {"VCTPRD", 15}, {"VCTAPR", 15}, {"CODBLQ", 1},
                                 {"VCTDPG", 15}, {"CODIDC", 1},  {"CODMNC", 6}};

// FORTALEZA's units in the package: six digits, tax number, names.
struct Unidade {
  const char* numero;
  const char* cgc;
  const char* razao;
  const char* fantasia;
};
const Unidade kUnidades[] = {
    {"249765", "07954571000104", "HOSPITAL GERAL DA CAPITAL", "HOSPITAL GERAL"},
    {"248128", "07954571000285", "CENTRO DE SAUDE DO CENTRO", "CS CENTRO"},
    {"237261", "07954571000366", "POLICLINICA DO NORTE", "POLICLINICA NORTE"},
    {"232801", "07954571000447", "CENTRO DE SAUDE DA PRAIA", "CS PRAIA"},
};

std::string unidade(const Unidade& u, const std::string& tipo) {
  return linha(kUps, {{"CODEST", "23"},
                      {"CODDER", "001"},
                      {"CODDIS", "1"},
                      {"CODMNC", "0440"},
                      {"DIGMNC", "0"},
                      {"CODUPS", u.numero},
                      {"DATREF", "202211"},
                      {"NMERAZ", u.razao},
                      {"NMEFAN", u.fantasia},
                      {"CODFIJ", "1"},
                      {"NMRFIJ", u.cgc},
                      {"NMELOG", "RUA DO SOL"},
                      {"NMRLOG", "100"},
                      {"NMEBAI", "CENTRO"},
                      {"CODCEP", "60000000"},
                      {"CODDDD", "85"},
                      {"CODBCO", "1"},
                      {"CODAGB", "000019"},
                      {"NMRCTB", "00000123456789"},
                      {"CODTIU", tipo},
                      {"CODPRT", "01"},
                      {"CODNVH", "01"}});
}

}  // namespace

void makeDemoCritique(const fs::path& zoz) {
  // The maintainer, with another bank account than the package's.
  grava(zoz / "FMANLM11.TXT", {linha(kMan, {{"CODEST", "23"},
                                            {"CODDER", "001"},
                                            {"CODMNC", "04400"},
                                            {"NMRCGC", "07954571000104"},
                                            {"NMERAZ", "SECRETARIA MUNICIPAL DA CAPITAL"},
                                            {"CODCEP", "60000000"},
                                            {"CODAGB", "000019"},
                                            {"NMRCTB", "00000123456780"}})});

  // The units: the third with another type code, and one the package lacks.
  std::vector<std::string> ups;
  for (const Unidade& u : kUnidades)
    ups.push_back(unidade(u, u.numero == std::string("237261") ? "07" : "05"));
  ups.insert(ups.begin(),
             unidade({"240001", "07954571000528", "UNIDADE DE PRONTO ATENDIMENTO LESTE", "UPA LESTE"}, "05"));
  grava(zoz / "FUPSLM11.TXT", ups);

  // Services 010/001 and 014/002 of every unit, but only the first of the last.
  std::vector<std::string> srv;
  for (const Unidade& u : kUnidades)
    srv.push_back("23" + std::string(u.numero) +
                  (u.numero == std::string("232801") ? "010001" : "010001014002"));
  grava(zoz / "FSRVLM11.TXT", srv);

  // Speciality 01, 2 professionals, 40 hours; the second unit reports 60.
  std::vector<std::string> esp;
  for (const Unidade& u : kUnidades)
    esp.push_back("23" + std::string(u.numero) +
                  (u.numero == std::string("248128") ? "0100200060" : "0100200040"));
  grava(zoz / "FESPLM11.TXT", esp);

  // The budget rows of the package, item 07 with its sub-codes, values in
  // cents; rows with a sub-code take no part, so the section has no errors.
  std::vector<std::string> afo;
  int n = 0;
  for (const Unidade& u : kUnidades) {
    const struct {
      const char* aux;
      long long qtd, centavos;
    } itens[] = {{"01000", 100 + 10 * n, (100 + 10 * n) * 1000LL},
                 {"02000", 40 + n, (40 + n) * 185LL},
                 {"03000", 12, 12 * 3795LL}};
    for (const auto& i : itens)
      afo.push_back(linha(kAfo, {{"CODEST", "23"},
                                 {"CODUPS", u.numero},
                                 {"DATREF", "202211"},
                                 {"CODIPR", "07"},
                                 {"IPRAUX", i.aux},
                                 {"QTDPRG", zeros(i.qtd, 7)},
                                 {"QTDPRD", zeros(0, 7)},
                                 {"QTDAPR", zeros(0, 7)},
                                 {"VCTPRG", zeros(i.centavos, 15)},
                                 {"VCTPRD", zeros(0, 15)},
                                 {"VCTAPR", zeros(0, 15)},
                                 {"CODBLQ", "N"},
                                 {"VCTDPG", zeros(0, 15)},
                                 {"CODIDC", "N"},
                                 {"CODMNC", "230440"}}));
    ++n;
  }
  grava(zoz / "FAFOLM11.TXT", afo);
}
