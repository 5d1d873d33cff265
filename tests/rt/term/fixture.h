// A Terminal on the headless backend, with its error system and key script.
#pragma once

#include <memory>

#include "rt/err/error.h"
#include "rt/term/headless.h"
#include "rt/term/term.h"

namespace rt::term::testing {

struct HeadlessTerminal {
  err::ErrorSystem errors;
  std::unique_ptr<Headless> owned = std::make_unique<Headless>();
  Headless& keys = *owned;
  Terminal term{errors, std::move(owned)};
};

}  // namespace rt::term::testing
