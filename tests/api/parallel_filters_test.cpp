// Independent filters on several threads at once: every token, created, run
// and closed on each thread while the others do the same, with two live
// filters of one final-weights name on each thread. Every thread's outputs,
// files and refusals equal those of a lone run, bit for bit. The
// ThreadSanitizer build of CI runs this test alone (.ci/thread-sanitize.sh).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "adaptive/filter.h"

namespace adaptive {

namespace {

constexpr size_t kSamples = 200;
constexpr int kThreads = 4;

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// What one token leaves: the outputs of its two filters, the text of the
// refusal that closing the first one gets (it shares its name with the second,
// which is still live), and the files the second one writes.
struct Outcome {
  std::vector<double> first, second;
  std::string firstClose;
  std::vector<std::string> files;

  bool operator==(const Outcome& o) const {
    return first.size() == o.first.size() &&
           std::memcmp(first.data(), o.first.data(), first.size() * sizeof(double)) == 0 &&
           second.size() == o.second.size() &&
           std::memcmp(second.data(), o.second.data(), second.size() * sizeof(double)) == 0 &&
           firstClose == o.firstClose && files == o.files;
  }
};

std::vector<double> Inputs(const TokenInfo& token) {
  std::vector<double> values(kSamples * token.inputNames.size());
  uint32_t state = 2024;
  for (double& v : values) {
    state = state * 1664525u + 1013904223u;
    v = static_cast<double>(state >> 8) / 8388608.0 - 1.0;
  }
  return values;
}

Outcome RunToken(const TokenInfo& token, const std::string& directory) {
  const std::string name = directory + "/" + token.name + ".txt";
  const std::vector<double> in = Inputs(token);
  Outcome outcome;
  outcome.first.resize(kSamples * token.outputNames.size());
  outcome.second.resize(outcome.first.size());
  Filter first(token.name, {}, name);
  Filter second(token.name, {}, name);
  first.processUnchecked(in.data(), kSamples, outcome.first.data());
  second.processUnchecked(in.data(), kSamples, outcome.second.data());
  try {
    first.close();
  } catch (const Error& e) {
    outcome.firstClose = e.what();
    for (size_t at = outcome.firstClose.find(directory); at != std::string::npos;
         at = outcome.firstClose.find(directory, at)) {
      outcome.firstClose.erase(at, directory.size());
    }
  }
  second.close();
  const int channels = token.name.back() == '2' ? 2 : token.name.back() == '3' ? 3 : 1;
  for (int c = 1; c <= channels; ++c) {
    const std::string base = directory + "/" + token.name;
    outcome.files.push_back(FileBytes(channels == 1 ? base + ".txt" : base + std::to_string(c) + ".txt"));
  }
  return outcome;
}

std::string Directory(const std::string& leaf) {
  const std::string path = "parallel_filters_" + leaf;
  ::mkdir(path.c_str(), 0777);
  return path;
}

TEST(ParallelFilters, EveryTokenOnSeveralThreadsAtOnceEqualsALoneRun) {
  std::vector<TokenInfo> catalogue;
  for (const TokenInfo& token : tokens())
    if (token.inCatalogue) catalogue.push_back(token);
  ASSERT_EQ(catalogue.size(), 24u);
  std::vector<Outcome> lone;
  for (const TokenInfo& token : catalogue) lone.push_back(RunToken(token, Directory("lone")));
  for (const Outcome& o : lone) {
    ASSERT_NE(o.firstClose.find("Problems writing "), std::string::npos) << o.firstClose;
    for (const std::string& file : o.files) ASSERT_NE(file.find("Numerator Coefficients ="), std::string::npos);
  }

  std::mutex gate;
  std::condition_variable opened;
  bool go = false;
  std::vector<std::vector<Outcome>> results(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const std::string directory = Directory("thread" + std::to_string(t));
      {
        std::unique_lock<std::mutex> wait(gate);
        opened.wait(wait, [&] { return go; });
      }
      // Each thread walks the catalogue from a different place, so that
      // different tokens overlap.
      results[t].resize(catalogue.size());
      for (size_t k = 0; k < catalogue.size(); ++k) {
        const size_t i = (k + static_cast<size_t>(t) * 7) % catalogue.size();
        results[t][i] = RunToken(catalogue[i], directory);
      }
    });
  }
  {
    std::lock_guard<std::mutex> release(gate);
    go = true;
  }
  opened.notify_all();
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t)
    for (size_t i = 0; i < catalogue.size(); ++i)
      EXPECT_TRUE(results[t][i] == lone[i]) << catalogue[i].name << " on thread " << t;
}

}  // namespace

}  // namespace adaptive
