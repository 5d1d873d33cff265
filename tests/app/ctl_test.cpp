#include <fstream>

#include "app/errorsys/Errorsys.h"
#include "app/menu/Menu.h"
#include "rt/term/keys.h"
#include "support/app_fixture.h"
#include "support/tables.h"

namespace fpo {
namespace {

namespace fs = std::filesystem;
using test::AppTest;
using test::C;
using test::D;
using test::N;

const std::vector<std::string> kLayout = {"CODDER", "CODMNC", "DATREF", "DATATU", "DATSES",
                                          "DATVRS", "DATIMP", "STASES", "CODRMS", "CODGST"};

class Ctl : public AppTest {
 protected:
  Ctl() {
    ERRORSYS(s);
    s.rt.db.settings().deleted = true;
  }
  fs::path ctl() { return drive().zoz() / "CTL.DBF"; }
};

TEST_F(Ctl, FirstStartCreatesAnEmptyTable) {
  PREPARACTL(s);
  EXPECT_EQ(test::fieldNames(ctl()), kLayout);
  EXPECT_TRUE(test::readTable(ctl()).empty());
  EXPECT_FALSE(fs::exists(drive().zoz() / "CTL1.DBF"));
}

TEST_F(Ctl, RebuildWidensPeriodsAndDropsDeletedRows) {
  // An old layout: some fields missing, one extra, one row deleted.
  test::makeTable(ctl(),
                  {{"CODMNC", 'N', 4, 0}, {"DATREF", 'N', 6, 0}, {"DATATU", 'D', 8, 0}, {"OBS", 'C', 5, 0}},
                  {{N(440), N(9812), D("19990105"), C("x")},
                   {N(441), N(0), rt::Value(), C("y")},
                   {N(442), N(202211), D("20221201"), C("z")},
                   {N(443), N(202210), rt::Value(), C("w")}},
                  {4});
  PREPARACTL(s);
  EXPECT_EQ(test::fieldNames(ctl()), kLayout);
  const auto rows = test::readTable(ctl());
  ASSERT_EQ(rows.size(), 3u);
  const std::vector<std::vector<std::string>> expected = {
      {"", " 440", "199812", "19990105", "", "", "", "", "", ""},
      {"", " 441", "190000", "", "", "", "", "", "", ""},
      {"", " 442", "202211", "20221201", "", "", "", "", "", ""},
  };
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_FALSE(rows[i].deleted);
    EXPECT_EQ(rows[i].fields, expected[i]) << i;
  }
  // CTL1.DBF stays beside it with the same rows.
  const auto scratch = test::readTable(drive().zoz() / "CTL1.DBF");
  ASSERT_EQ(scratch.size(), 3u);
  EXPECT_EQ(scratch[2].fields, expected[2]);

  // A further start changes nothing.
  PREPARACTL(s);
  const auto again = test::readTable(ctl());
  ASSERT_EQ(again.size(), 3u);
  for (std::size_t i = 0; i < again.size(); ++i) EXPECT_EQ(again[i].fields, expected[i]);
}

TEST_F(Ctl, DamagedTableIsReportedAndKept) {
  const std::string junk = "\x03\x7a\x0b\x0aThis is no table at all";
  std::ofstream(ctl(), std::ios::binary) << junk;
  keys().add(rt::term::key::kEnd).add(rt::term::key::kEnter);  // "Default" in the alert
  PREPARACTL(s);
  ASSERT_FALSE(keys().atKeys.empty());
  EXPECT_TRUE(shows(keys().atKeys.at(0), "CTL.DBF"));
  std::ifstream in(ctl(), std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), junk);
}

}  // namespace
}  // namespace fpo
