// rt/err: the run-time error object, the one installed handler, and the chain
// of active routines.
//
// Every failure of the run-time (tables, indexes, files, screen, expressions)
// is described by an Error and passed to ErrorSystem::raise, which asks the
// installed handler what to do: abandon the operation with its default
// result, try it again, or substitute a value. A handler that ends the program
// throws ProgramExit; main() catches it, closes what is open and exits.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rt::err {

// Classic error classes (genCode).
enum GenCode : int {
  kArgument = 1,
  kBound = 2,
  kStringOverflow = 3,
  kNumericOverflow = 4,
  kZeroDivide = 5,
  kNumericError = 6,
  kSyntax = 7,
  kComplexity = 8,
  kMemory = 11,
  kNoFunction = 12,
  kNoMethod = 13,
  kNoVariable = 14,
  kNoAlias = 15,
  kNoVarMethod = 16,
  kBadAlias = 17,
  kDupAlias = 18,
  kCreate = 20,
  kOpen = 21,
  kClose = 22,
  kRead = 23,
  kWrite = 24,
  kPrint = 25,
  kUnsupported = 30,
  kLimit = 31,
  kCorruption = 32,
  kDataType = 33,
  kDataWidth = 34,
  kNoTable = 35,
  kNoOrder = 36,
  kShared = 37,
  kUnlocked = 38,
  kReadOnly = 39,
  kAppendLock = 40,
  kLock = 41,
};

enum Severity : int { kWarning = 1, kError = 2, kCatastrophic = 3 };

struct Error {
  int genCode = 0;
  int osCode = 0;
  bool canRetry = false;
  bool canDefault = false;
  int severity = kError;
  std::string subSystem;  // "DBFNTX", "BASE", "TERM", "DOS", ...
  int subCode = 0;
  std::string description;
  std::string filename;
  std::string operation;
};

// What the handler tells the failed operation to do.
struct Answer {
  enum class Kind { Default, Retry, Substitute };
  Kind kind = Kind::Default;
  double value = 0;  // with Substitute

  static Answer byDefault() { return {Kind::Default, 0}; }
  static Answer retry() { return {Kind::Retry, 0}; }
  static Answer substitute(double v) { return {Kind::Substitute, v}; }
};

// Marks an exception that ends the program: while one lives on this thread
// (from its throw until the handler that caught it is done), programEnding()
// is true, and what gives the screen back at the end of a scope leaves it as
// it stands, as the program leaves it at its end.
class EndMark {
 public:
  EndMark() noexcept;
  EndMark(const EndMark&) noexcept;
  EndMark& operator=(const EndMark&) noexcept { return *this; }
  ~EndMark();
};
bool programEnding() noexcept;

// Thrown to end the program with an exit code; caught by main() and by tests.
class ProgramExit : public std::exception {
 public:
  explicit ProgramExit(int code) : code_(code) {}
  int code() const { return code_; }
  const char* what() const noexcept override { return "program exit"; }

 private:
  int code_;
  EndMark end_;
};

// Raised when no handler is installed (only in tests of the run-time itself).
class Unhandled : public std::runtime_error {
 public:
  explicit Unhandled(const Error& e);
  Error error;
};

struct Frame {
  std::string name;
  int line = 0;
};

class ErrorSystem {
 public:
  using Handler = std::function<Answer(const Error&)>;

  void install(Handler h) { handler_ = std::move(h); }
  bool installed() const { return static_cast<bool>(handler_); }
  const Handler& handler() const { return handler_; }

  // Hands the error to the handler and returns its answer. Without a handler
  // the error is thrown as Unhandled. Its file name goes first through the
  // naming installed with nameFiles.
  Answer raise(const Error& e);

  // How a file name (a host path) is shown in errors, e.g. as its DOS name.
  using FileNaming = std::function<std::string(std::string_view)>;
  void nameFiles(FileNaming naming) { naming_ = std::move(naming); }

  // While a Silence lives, raise() answers Default without asking the
  // handler: failures while the program ends or an object is destroyed
  // are not reported again, and nothing is thrown from a destructor.
  class Silence {
   public:
    explicit Silence(ErrorSystem& es) : es_(es) { ++es_.silenced_; }
    ~Silence() { --es_.silenced_; }
    Silence(const Silence&) = delete;
    Silence& operator=(const Silence&) = delete;

   private:
    ErrorSystem& es_;
  };

  // While set, told of every error the handler answers Default; it may
  // throw to give up the work in hand.
  using DefaultWatch = std::function<void(const Error&)>;
  void watchDefaults(DefaultWatch w) { watch_ = std::move(w); }

  // The network-error flag (NETERR).
  bool netErr() const { return netErr_; }
  void setNetErr(bool v) { netErr_ = v; }

  // Chain of active routines, outermost first.
  void push(std::string_view name, int line) { chain_.push_back({std::string(name), line}); }
  void pop() {
    if (!chain_.empty()) chain_.pop_back();
  }
  void setLine(int line) {
    if (!chain_.empty()) chain_.back().line = line;
  }
  // The line of the routine at `depth` (0 the outermost).
  void setLine(std::size_t depth, int line) {
    if (depth < chain_.size()) chain_[depth].line = line;
  }
  const std::vector<Frame>& chain() const { return chain_; }

  // The error output stream (OUTERR). Kept in memory while the screen is in
  // use and written to the process's standard error by main() at exit.
  void writeErr(std::string_view text) { errOut_.append(text); }
  const std::string& errOutput() const { return errOut_; }
  std::string takeErrOutput() { return std::exchange(errOut_, {}); }

 private:
  Handler handler_;
  FileNaming naming_;
  DefaultWatch watch_;
  int silenced_ = 0;
  bool netErr_ = false;
  std::vector<Frame> chain_;
  std::string errOut_;
};

// Marks one active routine for the call chain while it runs. Its line starts
// at `line` and follows the routine's steps through at(), also while routines
// it called are active, so the chain tells where each level stood.
class Routine {
 public:
  Routine(ErrorSystem& es, std::string_view name, int line) : es_(es), depth_(es.chain().size()) {
    es_.push(name, line);
  }
  ~Routine() { es_.pop(); }
  Routine(const Routine&) = delete;
  Routine& operator=(const Routine&) = delete;

  void at(int line) { es_.setLine(depth_, line); }

 private:
  ErrorSystem& es_;
  std::size_t depth_;
};

// Raises e and tells whether the handler answered Retry, i.e. whether the
// failed operation is to be tried again.
inline bool retry(ErrorSystem& es, const Error& e) { return es.raise(e).kind == Answer::Kind::Retry; }

// Runs op() and, when it reports a failure (returns an Error), raises it and
// repeats while the handler answers Retry. Returns the final answer, or
// nullopt when op succeeded.
template <class Op>
std::optional<Answer> attempt(ErrorSystem& es, Op&& op) {
  for (;;) {
    std::optional<Error> failure = op();
    if (!failure) return std::nullopt;
    Answer a = es.raise(*failure);
    if (a.kind != Answer::Kind::Retry) return a;
  }
}

}  // namespace rt::err
