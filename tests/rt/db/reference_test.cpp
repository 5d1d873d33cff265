// The recorded cases of the classic driver: the table and index steps of
// dbf/ (bytes against the dumps, rows and errors against dbf.tsv), the seeks
// of seek.tsv on the classic files, and the fixed-width imports of sdf.tsv.
#include <gtest/gtest.h>

#include <map>

#include "rt/text/number.h"
#include "support.h"

using namespace dbtest;
using rt::Value;
using rt::db::Area;
using rt::db::FieldSpec;

namespace {

std::vector<std::vector<std::string>> readTsv(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::vector<std::string>> rows;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty()) continue;
    std::vector<std::string> cols;
    std::size_t at = 0;
    for (;;) {
      const auto tab = line.find('\t', at);
      cols.push_back(line.substr(at, tab == std::string::npos ? std::string::npos : tab - at));
      if (tab == std::string::npos) break;
      at = tab + 1;
    }
    rows.push_back(std::move(cols));
  }
  return rows;
}

// A field as dbf.tsv shows it: text as stored, numbers through Str at the
// field's width, dates as YYYYMMDD.
std::string shown(Area& a, int i) {
  const rt::db::Field& f = a.table()->fields()[static_cast<std::size_t>(i)];
  const Value v = a.get(i);
  if (f.type == 'N') return rt::text::str(v.num(), f.width, f.decimals);
  if (f.type == 'D') return v.date().dtos();
  return v.string();
}

std::string rowText(Area& a) {
  std::string s;
  for (int i = 0; i < a.fieldCount(); ++i) {
    if (i) s += '\t';
    s += a.table()->fields()[static_cast<std::size_t>(i)].name + "=[" + shown(a, i) + "]";
  }
  return s;
}

struct Step {
  std::vector<std::string> errors;  // "DBFNTX/1021 Data width error DATREF recno=1 canDefault=Y"
  std::string indexKey;
};

class DbfReference : public ::testing::Test {
 protected:
  Fixture fx;
  std::map<std::string, Step> steps;

  void SetUp() override {
    fx.rec.answer = [this](const rt::err::Error& e) {
      // The classic description; ours names the field in it too, and the
      // table as the error's file.
      std::string description = e.description;
      if (const auto in = description.find(" in " + e.operation); in != std::string::npos) {
        description.erase(in, 4 + e.operation.size());
        EXPECT_NE(e.filename.find("CTL"), std::string::npos) << e.filename;
      }
      errorsOf->push_back(e.subSystem + "/" + std::to_string(e.subCode) + " " + description + " " +
                          e.operation + " recno=" + std::to_string(fx.ws.current().recNo()) +
                          " canDefault=" + (e.canDefault ? "Y" : "N"));
      return rt::err::Answer::byDefault();
    };
    build();
  }

  std::vector<std::string> scratch;
  std::vector<std::string>* errorsOf = &scratch;

  void begin(const std::string& name) { errorsOf = &steps[name].errors; }
  void end(const std::string& name) {
    steps[name].indexKey = fx.ws.current().indexKey();
    fx.ws.closeAll();
    errorsOf = &scratch;
  }

  void build() {
    auto& ws = fx.ws;
    const auto d = [this](const char* n) { return fx.at(n); };

    begin("CTL");
    ASSERT_TRUE(ws.create(d("CTL"), ctlFields()));
    ASSERT_TRUE(ws.use(d("CTL"), "CTL"));
    Area& a = ws.current();
    ASSERT_TRUE(a.appendBlank());
    a.put("CODMNC", Value::number(40));
    a.put("DATREF", Value::number(202211));
    a.put("DATATU", Value(rt::text::Date::fromYmd(2022, 11, 15)));
    a.put("STASES", Value(std::string("C")));
    ASSERT_TRUE(a.appendBlank());
    a.put("CODMNC", Value::number(1234));
    a.put("DATREF", Value::number(9812));
    a.deleteRecord();
    ASSERT_TRUE(a.indexOn("Str( DATREF, 6 ) + Str( CODMNC, 4 )", d("I01CTL")));
    ASSERT_TRUE(a.indexOn("CODMNC", d("I01NUM")));
    end("CTL");

    begin("CTLCOPY");
    ASSERT_TRUE(ws.use(d("CTL")));
    ASSERT_TRUE(ws.current().copyTo(d("CTLCOPY")));
    ws.closeAll();
    ASSERT_TRUE(ws.use(d("CTLCOPY")));
    end("CTLCOPY");

    begin("CTLAPP");
    ASSERT_TRUE(ws.create(d("CTLAPP"), {{"NOVO", 'C', 3, 0},
                                        {"DATREF", 'N', 4, 0},
                                        {"STASES", 'C', 1, 0},
                                        {"CODGST", 'C', 4, 0},
                                        {"CODMNC", 'N', 6, 0},
                                        {"DATATU", 'D', 8, 0}}));
    ASSERT_TRUE(ws.use(d("CTLAPP")));
    ASSERT_TRUE(ws.current().appendFrom(d("CTL")));
    end("CTLAPP");

    begin("CTLBAD");
    ASSERT_TRUE(ws.create(d("CTLBAD"), {{"STASES", 'C', 1, 0}, {"CODMNC", 'C', 4, 0}}));
    ASSERT_TRUE(ws.use(d("CTLBAD")));
    ASSERT_TRUE(ws.current().appendFrom(d("CTL")));
    end("CTLBAD");

    begin("CTLFLD");
    ASSERT_TRUE(ws.create(d("PART"), {{"CODMNC", 'N', 4, 0}, {"STASES", 'C', 1, 0}}));
    ASSERT_TRUE(ws.use(d("PART")));
    ws.current().appendBlank();
    ws.current().put("CODMNC", Value::number(40));
    ws.current().put("STASES", Value(std::string("C")));
    ws.current().appendBlank();
    ws.current().put("CODMNC", Value::number(1234));
    ws.current().deleteRecord();
    ws.closeAll();
    ASSERT_TRUE(ws.create(d("CTLFLD"), ctlFields()));
    ASSERT_TRUE(ws.use(d("CTLFLD")));
    ASSERT_TRUE(ws.current().appendFrom(d("PART")));
    end("CTLFLD");

    begin("CTLPACK");
    ASSERT_TRUE(ws.use(d("CTL")));
    ASSERT_TRUE(ws.current().copyTo(d("CTLPACK")));
    ws.closeAll();
    ASSERT_TRUE(ws.use(d("CTLPACK")));
    ASSERT_TRUE(ws.current().indexOn("Str( DATREF, 6 ) + Str( CODMNC, 4 )", d("I01PACK")));
    ASSERT_TRUE(ws.current().pack());
    end("CTLPACK");
  }
};

TEST_F(DbfReference, TablesMatchTheRecordedBytes) {
  for (const char* t : {"CTL", "CTLCOPY", "CTLAPP", "CTLBAD", "CTLFLD", "CTLPACK"}) {
    SCOPED_TRACE(t);
    const std::string want = masked(fromXxd(refDir() + "/dbf/" + t + ".DBF.xxd"));
    EXPECT_EQ(masked(readFile(fx.at(std::string(t) + ".DBF"))), want);
  }
  EXPECT_EQ(fromXxd(refDir() + "/dbf/CTL_step1.DBF.xxd"), fromXxd(refDir() + "/dbf/CTL.DBF.xxd"));
}

TEST_F(DbfReference, IndexesMatchTheRecordedBytes) {
  for (const char* n : {"I01CTL", "I01NUM", "I01PACK"}) {
    SCOPED_TRACE(n);
    EXPECT_EQ(readFile(fx.at(std::string(n) + ".NTX")), readFile(refDir() + "/dbf/" + n + ".NTX"));
  }
}

TEST_F(DbfReference, RowsErrorsAndHeadersMatchTheLog) {
  std::map<std::string, std::vector<std::string>> errorsWanted;
  for (const auto& cols : readTsv(refDir() + "/dbf/dbf.tsv")) {
    const std::string& t = cols[0];
    SCOPED_TRACE(t + " " + cols[1]);
    if (cols[1].rfind("ERROR ", 0) == 0) {
      errorsWanted[t].push_back(cols[1].substr(6));
      continue;
    }
    ASSERT_TRUE(fx.ws.use(fx.at(t)));
    Area& a = fx.ws.current();
    if (cols[1].rfind("LASTREC=", 0) == 0) {
      EXPECT_EQ("LASTREC=" + std::to_string(a.lastRec()), cols[1]);
      EXPECT_EQ("HEADER=" + std::to_string(a.table()->headerLength()), cols[2]);
      EXPECT_EQ("RECSIZE=" + std::to_string(a.table()->recordLength()), cols[3]);
      EXPECT_EQ("INDEXKEY=" + steps[t].indexKey, cols[4]);
    } else {
      a.goTo(static_cast<std::uint32_t>(std::stoul(cols[1])));
      EXPECT_EQ(a.deleted() ? "*" : " ", cols[2]);
      std::string want = cols[3];
      for (std::size_t i = 4; i < cols.size(); ++i) want += "\t" + cols[i];
      EXPECT_EQ(rowText(a), want);
    }
    fx.ws.closeAll();
  }
  ASSERT_EQ(errorsWanted["CTLBAD"].size(), 2u);
  for (const char* t : {"CTL", "CTLCOPY", "CTLAPP", "CTLBAD", "CTLFLD", "CTLPACK"}) {
    SCOPED_TRACE(t);
    EXPECT_EQ(steps[t].errors, errorsWanted[t]);
  }
}

// --- seeks on the classic files ---

TEST(SeekReference, EveryCase) {
  Fixture fx;
  for (const char* n : {"SEEKC.DBF", "SEEKC.NTX", "SEEKN.DBF", "SEEKN.NTX"})
    fs::copy_file(refDir() + "/seek/" + n, fx.at(n));
  auto rows = readTsv(refDir() + "/seek.tsv");
  rows.erase(rows.begin());
  for (const auto& c : rows) {
    SCOPED_TRACE(c[0] + " " + c[1] + " " + c[2]);
    const bool numeric = c[0] == "N(N)";
    auto& s = fx.ws.settings();
    s.softSeek = c[1].find("SOFTSEEK ON") != std::string::npos;
    s.exact = c[1].find("EXACT ON") != std::string::npos;
    s.deleted = c[1].find("DELETED ON") != std::string::npos;
    ASSERT_TRUE(fx.ws.use(fx.at(numeric ? "SEEKN" : "SEEKC")));
    Area& a = fx.ws.current();
    ASSERT_TRUE(a.orderListAdd(fx.at(numeric ? "SEEKN" : "SEEKC")));
    a.goTop();
    const Value v = numeric ? Value::number(std::stod(c[2])) : Value(c[2].substr(1, c[2].size() - 2));
    a.seek(v);
    EXPECT_EQ(a.found() ? ".T." : ".F.", c[3]);
    EXPECT_EQ(a.eof() ? ".T." : ".F.", c[4]);
    EXPECT_EQ(std::to_string(a.recNo()), c[5]);
    if (numeric) {
      const Value f = a.get("N");
      const auto num = c[6].find(" num=");
      EXPECT_EQ("[" + rt::text::str(f.num(), f.numberInfo().width) + "]", c[6].substr(0, num));
      EXPECT_EQ(f.num(), std::stod(c[6].substr(num + 5)));
      EXPECT_EQ(f.numberInfo().width, 4);
    } else {
      EXPECT_EQ("[" + a.get("K").string() + "]", c[6]);
    }
    fx.ws.closeAll();
  }
  EXPECT_TRUE(fx.rec.seen.empty());
}

// The index files written here for the same tables equal the classic ones.
TEST(SeekReference, IndexesWrittenHereEqualTheClassicOnes) {
  Fixture fx;
  for (const char* n : {"SEEKC.DBF", "SEEKN.DBF"}) fs::copy_file(refDir() + "/seek/" + n, fx.at(n));
  ASSERT_TRUE(fx.ws.use(fx.at("SEEKC")));
  ASSERT_TRUE(fx.ws.current().indexOn("FIELD->K", fx.at("SEEKC")));
  ASSERT_TRUE(fx.ws.use(fx.at("SEEKN")));
  ASSERT_TRUE(fx.ws.current().indexOn("FIELD->N", fx.at("SEEKN")));
  fx.ws.closeAll();
  EXPECT_EQ(readFile(fx.at("SEEKC.NTX")), readFile(refDir() + "/seek/SEEKC.NTX"));
  EXPECT_EQ(readFile(fx.at("SEEKN.NTX")), readFile(refDir() + "/seek/SEEKN.NTX"));
  EXPECT_EQ(masked(readFile(fx.at("SEEKC.DBF"))), masked(readFile(refDir() + "/seek/SEEKC.DBF")));
}

// --- fixed-width import ---

TEST(SdfReference, EveryVariant) {
  auto rows = readTsv(refDir() + "/sdf.tsv");
  rows.erase(rows.begin());
  std::map<std::string, std::vector<std::vector<std::string>>> byVariant;
  for (auto& r : rows) byVariant[r[0]].push_back(r);
  ASSERT_EQ(byVariant.size(), 8u);
  for (const auto& [variant, cases] : byVariant) {
    SCOPED_TRACE(variant);
    Fixture fx;
    ASSERT_TRUE(fx.ws.create(fx.at("T"), {{"A", 'C', 3, 0}, {"B", 'N', 4, 0}, {"C", 'C', 5, 0}}));
    ASSERT_TRUE(fx.ws.use(fx.at("T")));
    Area& a = fx.ws.current();
    ASSERT_TRUE(a.appendSdf(refDir() + "/sdf/sdf_" + variant + ".txt"));
    for (const auto& c : cases) {
      if (c[1].rfind("LASTREC=", 0) == 0) {
        EXPECT_EQ("LASTREC=" + std::to_string(a.lastRec()), c[1]);
        continue;
      }
      a.goTo(static_cast<std::uint32_t>(std::stoul(c[1])));
      EXPECT_EQ("[" + a.get("A").string() + "]", c[2]) << c[1];
      EXPECT_EQ("[" + std::string(a.table()->raw(1)) + "]", c[3]) << c[1];
      EXPECT_EQ(a.get("B").num(), std::stod(c[4])) << c[1];
      EXPECT_EQ("[" + a.get("C").string() + "]", c[5]) << c[1];
    }
    EXPECT_TRUE(fx.rec.seen.empty());
  }
}

}  // namespace
