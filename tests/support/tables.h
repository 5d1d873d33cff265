// Builds small tables for tests with the run-time's own table layer.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "rt/db/dbf.h"
#include "rt/expr/value.h"
#include "zozgen/tabela.h"

namespace fpo::test {

using zozgen::Row;

// Creates the table at a host path with these fields and rows (values in
// field order; nil leaves a field blank). deleted lists 1-based record
// numbers to mark deleted.
inline void makeTable(const std::filesystem::path& path, const std::vector<rt::db::FieldSpec>& fields,
                      const std::vector<Row>& rows, const std::vector<int>& deleted = {}) {
  zozgen::tabela(path, fields, rows, deleted);
}

// Writes bytes over a file's own at an offset (a damaged header).
inline void patch(const std::filesystem::path& path, std::size_t at, const std::string& bytes) {
  std::fstream f(path, std::ios::binary | std::ios::in | std::ios::out);
  f.seekp(static_cast<std::streamoff>(at));
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The bytes of a file (none when it cannot be read).
inline std::string bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every record (deleted ones included) as field texts, trailing blanks cut.
struct Record {
  bool deleted = false;
  std::vector<std::string> fields;
};
std::vector<Record> readTable(const std::filesystem::path& path);
std::vector<std::string> fieldNames(const std::filesystem::path& path);

// A text value from a UTF-8 literal, a number, a date "YYYYMMDD".
using zozgen::C;
using zozgen::D;
using zozgen::N;

}  // namespace fpo::test
