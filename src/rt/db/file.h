// rt/db/file: the files under the table layer (rt/os/file) and the error
// objects of the table driver.
#pragma once

#include <filesystem>
#include <string>

#include "rt/err/error.h"
#include "rt/os/file.h"

namespace rt::db {

using os::adviseLarge;
using os::dosCode;
using os::File;
using os::Replacement;

// Error objects of the table driver (subsystem DBFNTX). The error numbers
// are the system's (rt/os).
namespace fail {
err::Error open(const std::filesystem::path& p, int error, int subCode = 1001);
err::Error create(const std::filesystem::path& p, int error, int subCode = 1004);
err::Error read(const std::filesystem::path& p, int error);
err::Error write(const std::filesystem::path& p, int error);
err::Error corrupt(const std::filesystem::path& p, const std::string& why);
// A value that does not suit a field or key (what) of the table p.
err::Error dataType(const std::filesystem::path& p, const std::string& what, const std::string& why = {});
err::Error dataWidth(const std::filesystem::path& p, const std::string& field);
}  // namespace fail

}  // namespace rt::db
