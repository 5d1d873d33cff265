// The reference-period dialog: the month it accepts, the refusals that ask
// again, closed stages, the confirmation, the periods that end the program
// and a missing control record.
#include "app/errorsys/Errorsys.h"
#include "app/funcoes/Funcoes.h"
#include "rt/term/keys.h"
#include "support/app_fixture.h"
#include "support/tables.h"

namespace fpo {
namespace {

namespace key = rt::term::key;
using test::AppTest;
using test::C;

class Datref : public AppTest {
 protected:
  Datref() { ERRORSYS(s); }

  void ctr(const char* mvm, const char* flags = "AAAA") {
    std::vector<rt::Value> row{C(mvm), C("A")};
    for (int i = 0; i < 4; ++i) row.push_back(rt::Value(std::string(1, flags[i])));
    row.push_back(C(""));
    test::makeTable(drive().zoz() / "S_CTR.DBF",
                    {{"CTR_MVM", 'C', 6, 0},
                     {"CTR_CAD", 'C', 1, 0},
                     {"CTR_FPO", 'C', 1, 0},
                     {"CTR_BDP", 'C', 1, 0},
                     {"CTR_PRD", 'C', 1, 0},
                     {"CTR_CRD", 'C', 1, 0},
                     {"CTR_CNES", 'C', 3, 0}},
                    {row});
  }
  // Types a period and confirms it with "Sim".
  void period(const char* digits) { keys().addText(digits).add(key::kEnter); }
};

TEST_F(Datref, AcceptsTheProcessingMonth) {
  ctr("199911");
  term().setColor("W/B");
  term().cls();
  period("199911");
  DATREF(s);
  EXPECT_EQ(s.ANO_REFERENCIA, 1999);
  EXPECT_EQ(s.MES_REFERENCIA, 11);
  EXPECT_EQ(s.REF_ARQUIVO, "911");
  EXPECT_EQ(text(1, 40, 7), "1999/11");
  EXPECT_EQ(screen().attr(1, 40), 0x1E);
  EXPECT_EQ(text(2, 55, 25), "Versao 64 bits 21.08.15 A");
  EXPECT_EQ(term().colors()[rt::term::Slot::Standard], 0x1E);  // GR+/B stays
  EXPECT_TRUE(shows(keys().atKeys.at(6), "Confirma Data: 199911"));
  EXPECT_FALSE(s.rt.db.find("S_CTR"));  // closed again
}

TEST_F(Datref, RefusalsAskAgain) {
  ctr("202210");
  period("202211");
  keys().add(key::kEnter);  // the refusal
  keys().add(key::kEsc);    // then leave
  s.REF_ARQUIVO = "211";
  DATREF(s);
  EXPECT_TRUE(shows(keys().atKeys.at(7), "ZOZ em 2022/10 - Cancelado. Tecle <ENTER>"));
  EXPECT_EQ(s.ANO_REFERENCIA, 0);
  EXPECT_EQ(s.MES_REFERENCIA, 0);
  EXPECT_EQ(s.REF_ARQUIVO, "211");  // kept from an earlier run
}

// Each of the four stage flags closes the month on its own.
TEST_F(Datref, ClosedStageIsRefused) {
  for (const char* flags : {"FAAA", "AFAA", "AAFA", "AAAF", "AAA "}) {
    SCOPED_TRACE(flags);
    keys().atKeys.clear();
    ctr("202211", flags);
    period("202211");
    keys().add(key::kEnter).add(key::kEsc);
    DATREF(s);
    EXPECT_TRUE(shows(keys().atKeys.at(7), "ZOZ Fechado - Cancelado. Tecle <ENTER>"));
    EXPECT_EQ(s.ANO_REFERENCIA, 0);
    EXPECT_FALSE(s.rt.db.find("S_CTR"));
  }
}

TEST_F(Datref, NoAtTheConfirmationAsksBlankAgain) {
  ctr("202211");
  keys().addText("202211").add({key::kRight, key::kEnter});  // "Nao"
  keys().addText("202211").add(key::kEsc);                   // Esc at the box
  keys().add(key::kEsc);
  DATREF(s);
  EXPECT_EQ(text(keys().atKeys.at(8), 12, 36, 6), "      ");
  EXPECT_EQ(s.ANO_REFERENCIA, 0);
}

TEST_F(Datref, EmptyControlRecordShowsBlankMonth) {
  test::makeTable(drive().zoz() / "S_CTR.DBF", {{"CTR_MVM", 'C', 6, 0}, {"CTR_FPO", 'C', 1, 0}}, {});
  period("202211");
  keys().add(key::kEnter).add(key::kEsc);
  DATREF(s);
  EXPECT_TRUE(shows(keys().atKeys.at(7), "ZOZ em     /   - Cancelado. Tecle <ENTER>"));
}

TEST_F(Datref, PeriodsUpTo199910StopTheProgram) {
  ctr("199910");
  period("199910");
  try {
    DATREF(s);
    FAIL();
  } catch (const rt::err::ProgramExit& e) {
    EXPECT_EQ(e.code(), 0);
  }
  EXPECT_EQ(text(12, 12, 25), "Data invalida para versao");
  EXPECT_EQ(text(0), std::string(80, ' '));
}

// A control record that is missing, or a folder in its place: the error
// policy's alert names the table and the field read there.
TEST_F(Datref, MissingControlRecordEndsThroughTheErrorPolicy) {
  for (const bool pasta : {false, true}) {
    SCOPED_TRACE(pasta ? "a folder" : "missing");
    std::filesystem::remove_all(drive().zoz() / "S_CTR.DBF");
    if (pasta) std::filesystem::create_directory(drive().zoz() / "S_CTR.DBF");
    s.rt.errors.takeErrOutput();
    period("202211");
    keys().add(key::kEnter);  // "Quit" in the error alert
    try {
      DATREF(s);
      FAIL();
    } catch (const rt::err::ProgramExit& e) {
      EXPECT_EQ(e.code(), 1);
    }
    const std::string saida = s.rt.errors.errOutput();
    EXPECT_NE(saida.find("CTR_MVM"), std::string::npos);
    EXPECT_NE(saida.find("Workarea not in use for CTR_MVM: \\ZOZ\\S_CTR.DBF"), std::string::npos) << saida;
    EXPECT_NE(saida.find("Called from DATREF("), std::string::npos);
    s.rt.db.closeAll();
  }
}

}  // namespace
}  // namespace fpo
