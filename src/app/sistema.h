// The system's program-wide state: the run-time context and the public
// variables shared between the modules. "False until assigned" is an empty
// optional.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "rt/runtime.h"
#include "rt/term/screen_guard.h"
#include "rt/ui/get.h"

namespace fpo {

struct Sistema {
  explicit Sistema(rt::Runtime& runtime) : rt(runtime) {}

  rt::Runtime& rt;
  rt::term::Terminal& term() { return rt.term; }

  // Reference period; 0 while unset.
  int ANO_REFERENCIA = 0;
  int MES_REFERENCIA = 0;
  // Package extension, e.g. "211" for 2022/11.
  std::optional<std::string> REF_ARQUIVO;
  // Federal-complement percentage.
  std::optional<double> WVALCOM;
  bool IMPRESSORA = false;
  // The active input fields.
  rt::ui::GetList GETLIST;

  // The ERRO variables of the running actions, innermost last; the error
  // policy writes into the innermost one.
  std::vector<int*> ERRO;

  // The progress gauge between calls (PERCENT): the screen rows 2 to 24 and
  // the colour saved when it last opened, given back by its calls.
  std::optional<rt::term::ScreenGuard> TELAPERC;
};

// Opens the ERRO variable of an action for as long as the action runs.
class ErroScope {
 public:
  explicit ErroScope(Sistema& s) : s_(s) { s_.ERRO.push_back(&value); }
  ~ErroScope() { s_.ERRO.pop_back(); }
  ErroScope(const ErroScope&) = delete;
  ErroScope& operator=(const ErroScope&) = delete;
  int value = 0;

 private:
  Sistema& s_;
};

}  // namespace fpo

// Marks a routine of the system in the chain of active routines; FPO_LINE
// marks the routine's step at its line (the line shown for the routine in the
// call chain while the step runs).
#define FPO_ROUTINE(sys, name) ::rt::err::Routine fpo_routine_guard_((sys).rt.errors, name, __LINE__)
#define FPO_LINE(sys) fpo_routine_guard_.at(__LINE__)
