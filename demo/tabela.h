// Writing the demo's tables with the run-time's own table layer.
#pragma once

#include <string>
#include <utility>

#include "rt/db/dbf.h"
#include "rt/expr/value.h"
#include "zozgen/tabela.h"

namespace demo {

using rt::db::FieldSpec;
using zozgen::Row;

// A text from a UTF-8 literal; a text already in code page 860; a number; a
// date "YYYYMMDD".
using zozgen::C;
inline rt::Value T(std::string cp860) { return rt::Value(std::move(cp860)); }
using zozgen::D;
using zozgen::N;

// Creates the table with these rows (nil leaves a field blank); throws on a
// failure of the table layer.
using zozgen::tabela;

}  // namespace demo
