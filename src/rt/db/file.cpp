// The error objects of the table driver (subsystem DBFNTX). Open, create,
// read and write errors may be answered Retry or Default; damage and a value
// that does not suit its field only Default.
#include "rt/db/file.h"

namespace fs = std::filesystem;

namespace rt::db {

namespace fail {
namespace {
err::Error base(int gen, int sub, const char* what, const fs::path& p, int e) {
  err::Error x;
  x.genCode = gen;
  x.subSystem = "DBFNTX";
  x.subCode = sub;
  x.osCode = dosCode(e);
  x.description = what;
  x.filename = p.string();
  return x;
}
}  // namespace

err::Error open(const fs::path& p, int e, int subCode) {
  err::Error x = base(err::kOpen, subCode, "Open error", p, e);
  x.canRetry = true;
  x.canDefault = true;
  return x;
}

err::Error create(const fs::path& p, int e, int subCode) {
  err::Error x = base(err::kCreate, subCode, "Create error", p, e);
  x.canRetry = true;
  x.canDefault = true;
  return x;
}

err::Error read(const fs::path& p, int e) {
  err::Error x = base(err::kRead, 1010, "Read error", p, e);
  x.canRetry = true;
  x.canDefault = true;
  return x;
}

err::Error write(const fs::path& p, int e) {
  err::Error x = base(err::kWrite, 1011, "Write error", p, e);
  x.canRetry = true;
  x.canDefault = true;
  return x;
}

err::Error corrupt(const fs::path& p, const std::string& why) {
  err::Error x = base(err::kCorruption, 1012, "Corruption detected", p, 0);
  x.description += " (" + why + ")";
  x.canDefault = true;
  return x;
}

namespace {
// The description names the field or key; the file is the error's own.
err::Error ofField(int gen, int sub, const char* what, const fs::path& p, const std::string& field,
                   const std::string& why) {
  err::Error x = base(gen, sub, what, p, 0);
  if (!field.empty()) x.description += " in " + field;
  if (!why.empty()) x.description += " (" + why + ")";
  x.operation = field;
  x.canDefault = true;
  return x;
}
}  // namespace

err::Error dataType(const fs::path& p, const std::string& what, const std::string& why) {
  return ofField(err::kDataType, 1020, "Data type error", p, what, why);
}

err::Error dataWidth(const fs::path& p, const std::string& field) {
  return ofField(err::kDataWidth, 1021, "Data width error", p, field, {});
}
}  // namespace fail

}  // namespace rt::db
