// What reaches the device unasked: drawing shown while the program does
// something else or keeps drawing, and the last screen before the backend
// goes.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "rt/err/error.h"
#include "rt/term/term.h"

namespace rt::term {
namespace {

// The first row of every screen presented, kept beyond the backend's life.
struct Shown {
  std::mutex mu;
  std::condition_variable cv;
  std::vector<std::string> rows;

  bool waitFor(const std::string& text) {
    std::unique_lock lock(mu);
    return cv.wait_for(lock, std::chrono::seconds(10),
                       [&] { return !rows.empty() && rows.back().find(text) != std::string::npos; });
  }
};

class Recording : public Backend {
 public:
  explicit Recording(Shown& shown) : shown_(shown) {}
  void present(const Screen& screen, const CursorState&) override {
    std::lock_guard lock(shown_.mu);
    shown_.rows.push_back(screen.rowText(0));
    shown_.cv.notify_all();
  }
  int readKey(int) override { return 0; }
  void discardPending() override {}
  void tone(double, double) override {}

 private:
  Shown& shown_;
};

TEST(Showing, DrawingReachesTheDeviceWhileTheProgramDoesSomethingElse) {
  Shown shown;
  err::ErrorSystem errors;
  Terminal t(errors, std::make_unique<Recording>(shown));
  t.devPos(0, 0);
  t.devOut("Indexando");
  // No further call on the terminal: the program is busy elsewhere.
  EXPECT_TRUE(shown.waitFor("Indexando"));
  t.devPos(0, 0);
  t.devOut("Gravando ");
  EXPECT_TRUE(shown.waitFor("Gravando"));
}

TEST(Showing, DrawingReachesTheDeviceWhileTheProgramKeepsDrawing) {
  Shown shown;
  err::ErrorSystem errors;
  Terminal t(errors, std::make_unique<Recording>(shown));
  t.flush();
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(400);
  for (long n = 0; std::chrono::steady_clock::now() < until; ++n) {
    t.devPos(0, 0);
    t.devOut("Registro " + std::to_string(n));
  }
  // Screens came out during the loop, not only at its end.
  std::lock_guard lock(shown.mu);
  int during = 0;
  for (const std::string& row : shown.rows)
    if (row.find("Registro") != std::string::npos) ++during;
  EXPECT_GE(during, 2);
}

TEST(Showing, TheLastScreenIsPresentedBeforeTheBackendGoes) {
  Shown shown;
  {
    err::ErrorSystem errors;
    Terminal t(errors, std::make_unique<Recording>(shown));
    t.flush();
    t.devOut("Data invalida para versao");
  }
  ASSERT_FALSE(shown.rows.empty());
  EXPECT_EQ(shown.rows.back().substr(0, 25), "Data invalida para versao");
}

}  // namespace
}  // namespace rt::term
