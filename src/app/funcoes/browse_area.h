// A work area as the rows of a table browse: its visible rows in the
// controlling order (record order without one), rows marked deleted hidden
// as navigation hides them. The area must stay open while the browse runs.
#pragma once

#include "rt/db/workspace.h"
#include "rt/ui/browse.h"

namespace fpo {

class BrowseArea : public rt::ui::BrowseSource {
 public:
  explicit BrowseArea(rt::db::Area& area) : area_(area) {}

  void goTop() override { area_.goTop(); }
  void goBottom() override { area_.goBottom(); }
  std::int64_t skip(std::int64_t n) override;
  bool eof() const override { return area_.eof(); }
  Position position() const override { return area_.recNo(); }
  void goTo(Position p) override;

 private:
  rt::db::Area& area_;
};

}  // namespace fpo
