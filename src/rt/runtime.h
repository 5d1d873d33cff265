// rt: the run-time library and platform layer the system stands on;
// nothing in it knows the application.
//
// rt/runtime: the one context of the run-time library: error system,
// platform, terminal and work areas. The program makes one in main(); tests
// make a fresh one with the headless backend.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "rt/db/workspace.h"
#include "rt/dos/dos.h"
#include "rt/err/error.h"
#include "rt/term/term.h"

namespace rt {

struct Runtime {
  Runtime(std::unique_ptr<term::Backend> backend, dos::Config cfg)
      : dos(std::move(cfg), &errors), term(errors, std::move(backend)), db(errors, &dos) {
    // Errors name files as the program does: by their DOS names.
    errors.nameFiles([this](std::string_view host) { return dos.fileName(host); });
  }

  err::ErrorSystem errors;
  dos::Platform dos;
  term::Terminal term;
  db::Workspace db;  // closed first, before the terminal is restored
};

}  // namespace rt
