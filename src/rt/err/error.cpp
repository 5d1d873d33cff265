// rt/err: raising an error (its file named as the installed naming says,
// then the handler asked; a silenced system answers Default, one without a
// handler throws Unhandled), and the mark of an exception that ends the
// program.
#include "rt/err/error.h"

namespace rt::err {

namespace {
std::string describe(const Error& e) {
  std::string s;
  s.append(e.subSystem.empty() ? std::string_view("???") : std::string_view(e.subSystem));
  s.append("/").append(std::to_string(e.subCode)).append("  ").append(e.description);
  if (!e.filename.empty())
    s += ": " + e.filename;
  else if (!e.operation.empty())
    s += ": " + e.operation;
  return s;
}
}  // namespace

namespace {
thread_local int endings = 0;
}  // namespace

EndMark::EndMark() noexcept { ++endings; }
EndMark::EndMark(const EndMark&) noexcept { ++endings; }
EndMark::~EndMark() { --endings; }
bool programEnding() noexcept { return endings > 0; }

Unhandled::Unhandled(const Error& e) : std::runtime_error(describe(e)), error(e) {}

Answer ErrorSystem::raise(const Error& e) {
  if (silenced_ > 0) return Answer::byDefault();
  Error named = e;
  if (naming_ && !named.filename.empty()) named.filename = naming_(named.filename);
  if (!handler_) throw Unhandled(named);
  const Answer a = handler_(named);
  if (a.kind == Answer::Kind::Default && watch_) watch_(named);
  return a;
}

}  // namespace rt::err
