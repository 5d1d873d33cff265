// Writes a table of rows with the run-time's own table layer.
#pragma once

#include <filesystem>
#include <vector>

#include "rt/db/dbf.h"
#include "rt/expr/value.h"

namespace zozgen {

using Row = std::vector<rt::Value>;

// A text from a UTF-8 literal (in code page 860), a number, a date
// "YYYYMMDD".
rt::Value C(const char* utf8);
inline rt::Value N(double v) { return rt::Value::number(v); }
rt::Value D(const char* yyyymmdd);

// Creates the table at a host path with these fields and rows (values in
// field order; nil leaves a field blank); deleted lists 1-based record
// numbers to mark deleted. Throws std::runtime_error on a failure.
void tabela(const std::filesystem::path& path, const std::vector<rt::db::FieldSpec>& fields,
            const std::vector<Row>& rows, const std::vector<int>& deleted = {});

}  // namespace zozgen
