// Every test runs in a directory of its own, so that tests which CTest runs in
// parallel never race on the final-weights or CSV files they create.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace adaptive {

namespace {

class PerTestDirectory : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo& info) override {
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd) == nullptr) return;
    base = cwd;
    const std::string dir = base + "/" + info.test_suite_name() + "." + info.name();
    mkdir(dir.c_str(), 0755);
    if (chdir(dir.c_str()) != 0) base.clear();
  }
  void OnTestEnd(const ::testing::TestInfo&) override {
    if (!base.empty() && chdir(base.c_str()) != 0) base.clear();
  }
  std::string base;
};

const bool registered = [] {
  ::testing::UnitTest::GetInstance()->listeners().Append(new PerTestDirectory);
  return true;
}();

}  // namespace

}  // namespace adaptive
