// A \ZOZ folder for the critique of the month 2022/11 (package extension
// "211"): the month's tables (ZOZ_CTRL, S_MNT, S_UPS, S_SRV, S_EMU, S_IPU),
// the control table and the national text files FMANLM11.TXT, FUPSLM11.TXT,
// FSRVLM11.TXT, FESPLM11.TXT and FAFOLM11.TXT, which may go to \ZOZ or to
// the folder standing for drive A:.
//
// Mes::limpo() is a month of FORTALEZA (0440) whose national files agree
// with its tables in every section: units 1 to 3 of 230440 (unit 3 with an
// eleven-digit CPF), unit 4 of CAUCAIA (230270) in the local tables only,
// a sub-coded budget row on both sides.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/sistema.h"
#include "rt/db/dbf.h"
#include "rt/runtime.h"
#include "support/app_fixture.h"
#include "support/tables.h"
#include "zozgen/layouts.h"

namespace fpo::test::cri {

// The month's tables as the critique reads them.
inline const zozgen::Layout& kCtrl = zozgen::kCtrlDer;
inline const zozgen::Layout& kEmu = zozgen::kEmuHoras;
extern const std::vector<rt::db::FieldSpec> kUps;
using zozgen::kIpu;
using zozgen::kMnt;
using zozgen::kSrv;
// The national files' column layouts.
using zozgen::kFafo;
using zozgen::kFman;
using zozgen::kFups;

// A fixed-width line of a layout: the named fields' values at their
// columns (texts left-aligned, numbers right-aligned), blanks elsewhere.
struct Valor {
  const char* campo;
  std::string texto;
};
std::string linha(const std::vector<rt::db::FieldSpec>& layout, const std::vector<Valor>& valores);

// National lines. Unit numbers are the six digits without check digit.
std::string fman(const std::string& cgc, const std::string& agencia, const std::string& conta,
                 const std::string& der = "001", const std::string& mnc = "04400");
std::string fups(const std::string& codups, const std::string& cgc, const std::string& mnc = "0440",
                 const std::string& agencia = "123456", const std::string& conta = "00000012345678",
                 const std::string& tiu = "05", const std::string& prt = "01",
                 const std::string& der = "001");
// The items as they stand from column 9 on.
std::string fsrv(const std::string& codups, const std::string& itens);
std::string fesp(const std::string& codups, const std::string& itens);
std::string fafo(const std::string& codups, const std::string& datref, const std::string& item,
                 const std::string& aux, const std::string& qtd, const std::string& centavos);

// Local rows.
Row mnt(const std::string& cgc14, const std::string& mn, const std::string& agencia = "123456",
        const std::string& conta = "00000000012345", const std::string& rs = "001");
Row ups(const std::string& uid, const std::string& cgc, const std::string& mn = "230440",
        const std::string& agencia = "123456", const std::string& conta = "00000012345678",
        const std::string& tup = "05", const std::string& tp = "01", const std::string& rs = "001");
Row srv(const std::string& uid, const std::string& sr, const std::string& csf);
Row emu(const std::string& uid, const std::string& ema, double qt, double hr);
Row ipu(const std::string& uid, const std::string& pa, const std::string& cmp, double qt, double vl);

// Unit number n of the fixture (234560 + n) as six digits, and with its
// check digit.
std::string num(int n);
std::string uid(int n);

struct Mes {
  std::vector<Row> ctrl, mnt, ups, srv, emu, ipu;
  std::vector<int> upsApagados, emuApagados;  // record numbers marked deleted
  std::vector<std::string> fman, fups, fsrv, fesp, fafo;

  static Mes limpo();
};

// Writes the tables into zoz and the national files into nacional.
void grava(const std::filesystem::path& zoz, const std::filesystem::path& nacional, const Mes& m);
// Writes a table of the layout's fields but the one named, and the rows
// without its values: a month table that lacks a field.
void gravaSem(const std::filesystem::path& tabela, const zozgen::Layout& layout, std::vector<Row> linhas,
              const std::string& campo);
// The national files' lines joined by CR LF, each file ended by CR LF.
void gravaTexto(const std::filesystem::path& file, const std::vector<std::string>& linhas);

// A headless system for the critique: drive C: a temporary folder whose
// ZOZ is the current directory, drive A: its folder "A" (missing: not
// ready), Lpt1 the file "PRINTER/OUT" (the folder missing: not ready); the
// error policy installed, deleted rows hidden, the period 2022/11 set.
class CriticaTest : public ::testing::Test {
 protected:
  CriticaTest() : CriticaTest(std::make_unique<RecordingBackend>()) {}

  std::filesystem::path zoz() const { return drive_.zoz(); }
  std::filesystem::path disquete() const { return drive_.root() / "A"; }
  std::filesystem::path impressora() const { return drive_.root() / "PRINTER" / "OUT"; }
  RecordingBackend& keys() { return *keys_; }

  // The usual answers: the drive button's key, the municipality and "Sim";
  // then the closing question's "Não".
  void roteiro(int drive = '\\', const std::string& municipio = "440");
  // Runs the critique; -1 when it returned, else the program's exit code.
  int comparar();
  // The month in \ZOZ (national files too) and a whole run.
  void critica(const Mes& m);

  bool viu(const std::string& utf8) const;  // on a screen at some key read
  // The bytes of a file of \ZOZ: the report, or another by name.
  std::string relatorio(const std::string& nome = "CRI0440.211") const;
  // The report's pages, each as its rows by printer row (row 0 empty).
  std::vector<std::vector<std::string>> paginas(const std::string& nome = "CRI0440.211") const;
  // The rows from 13 on of the pages whose title row holds the text,
  // trailing empty rows left out.
  std::vector<std::string> entradas(const std::string& titulo) const;
  // The control table's rows.
  struct Ctl {
    std::string CODMNC, DATREF, DATATU, DATSES, STASES;
  };
  std::vector<Ctl> ctl() const;

  static bool shows(const rt::term::Screen& sc, const std::string& utf8) { return AppTest::shows(sc, utf8); }
  static std::string texto(const rt::term::Screen& sc, int row, int col = 0, int len = 80) {
    return AppTest::text(sc, row, col, len);
  }

 private:
  explicit CriticaTest(std::unique_ptr<RecordingBackend> backend);

  TempDrive drive_;
  RecordingBackend* keys_;
  rt::Runtime runtime_;

 protected:
  Sistema s;
};

}  // namespace fpo::test::cri
