// adaptsim run as a user meets it: rows run as they arrive, Ctrl-C, output
// files of any name, warnings of a filter that runs away, the general tokens
// in their loop, and hostile input files.
#if defined(ADAPTSIM_PATH)

#include <cmath>
#include <sstream>
#include <vector>

#include "adaptsim/io/csv.h"
#include "adaptsim/io/final_weights_reader.h"
#include "adaptive/number_text.h"
#include "tests/support/adaptsim_process.h"
#include "tests/support/child_process.h"
#include "tests/support/sanitizer_build.h"
#include "tests/support/svg_check.h"

namespace adaptive {

namespace {

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

// How long a test waits for what a child must do in well under a second: only
// a hung child reaches it, however loaded the machine.
constexpr int kPatienceMs = 120000;

// Rows of a first-order random sequence, and a plant's response to it.
std::string PlantCsv(size_t rows, const std::vector<double>& plant, const std::string& extra = "") {
  std::ostringstream csv;
  std::vector<double> x(rows);
  uint64_t state = 12345;
  for (size_t n = 0; n < rows; ++n) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    x[n] = static_cast<double>(state >> 11) / 9007199254740992.0 - 0.5;
    double d = 0.0;
    for (size_t i = 0; i < plant.size() && i <= n; ++i) d += plant[i] * x[n - i];
    csv << FormatExact(x[n]) << ',' << FormatExact(d) << extra << '\n';
  }
  return csv.str();
}

TEST(RunProcess, RowsRunAsTheyArriveOnAPipe) {
  ChildProcess run(ADAPTSIM_PATH, {"run", "LMS", "-p", "0=2", "--weights", ""}, "stream.stderr");
  ASSERT_TRUE(run.started());
  ASSERT_TRUE(run.write("1,1\n"));
  // The first row's output comes while the input is still open.
  EXPECT_EQ(run.read(kPatienceMs, "\n0,1,"), "Output,PriError,PostError\n0,1,0.97999999999999998\n");
  ASSERT_TRUE(run.write("0.5,-1\n"));
  const std::string second = run.read(kPatienceMs, "\n");
  run.closeInput();
  EXPECT_EQ(run.read(kPatienceMs), "");
  EXPECT_EQ(run.wait(), 0);
  EXPECT_EQ(ReadFileText("stream.stderr"), "");
  // Row by row, the same numbers as a run over the whole input at once.
  EXPECT_EQ("Output,PriError,PostError\n0,1,0.97999999999999998\n" + second,
            Succeeds("whole", "run LMS -p 0=2 --weights ''", "1,1\n0.5,-1\n").out);
}

// Ctrl-C while the run waits for more input: it stops, terminates the token
// (so the final-weights file holds the coefficients reached), says so and
// exits 130.
TEST(RunProcess, CtrlCStopsAtTheCurrentSampleAndKeepsTheCoefficientsReached) {
  const std::string rows = PlantCsv(500, {0.5, -0.25, 0.125});
  std::remove("interrupted.csv");
  std::remove("interrupted.txt");
  ChildProcess run(ADAPTSIM_PATH, {"run", "LMS", "-p", "Numerator Coeffs=3", "-p", "Mu Forward=0.05",
                                   "--weights", "interrupted.txt", "--out", "interrupted.csv"},
                   "interrupted.stderr");
  ASSERT_TRUE(run.started());
  ASSERT_TRUE(run.write(rows));
  // The rows are through once the run waits for more (its output file is
  // flushed then); the interrupt finds it waiting.
  for (int waited = 0; waited < kPatienceMs && Count(ReadFileText("interrupted.csv"), "\n") < 501; waited += 10)
    run.read(10);
  ASSERT_EQ(Count(ReadFileText("interrupted.csv"), "\n"), 501u) << "the rows never came through";
  run.signal(SIGINT);
  EXPECT_EQ(run.wait(), 130);
  EXPECT_TRUE(Contains(ReadFileText("interrupted.stderr"),
                       "adaptsim run: interrupted after 500 samples; the outputs and the final weights hold the "
                       "coefficients reached\n"))
      << ReadFileText("interrupted.stderr");
  FinalWeights weights;
  std::string error;
  ASSERT_TRUE(ReadFinalWeights("interrupted.txt", &weights, &error)) << error;
  ASSERT_EQ(weights.numerator.size(), 3u);
  // The same coefficients as a run over the same rows that ended normally.
  std::ofstream("whole.csv") << rows;
  Succeeds("whole", "run LMS -p 'Numerator Coeffs=3' -p 'Mu Forward=0.05' --weights whole.txt --in whole.csv "
                    "--out whole_out.csv");
  EXPECT_EQ(ReadFileText("interrupted.txt"), ReadFileText("whole.txt"));
  EXPECT_EQ(ReadFileText("interrupted.csv"), ReadFileText("whole_out.csv"));
}

TEST(RunProcess, OutputGoesToAnyNameAsCsvUnlessItNamesASoundFormat) {
  std::ofstream("one.csv") << "1,1\n";
  const std::string expected = "Output,PriError,PostError\n0,1,0.97999999999999998\n";
  for (const char* out : {"result.dat", "result", "result.txt", "dir.d/result"}) {
    std::system("mkdir -p dir.d");
    const Outcome run = Succeeds("named", std::string("run LMS -p 0=2 --weights '' --in one.csv --out ") + out);
    EXPECT_EQ(run.out, "") << out;
    EXPECT_EQ(ReadFileText(out), expected) << out;
  }
  for (const char* out : {"-", "/dev/stdout"}) {
    EXPECT_EQ(Succeeds("stdout", std::string("run LMS -p 0=2 --weights '' --in one.csv --out ") + out).out, expected)
        << out;
  }
  const Outcome null = Succeeds("null", "run LMS -p 0=2 --weights '' --in one.csv --out /dev/null");
  EXPECT_EQ(null.out + null.err, "");
  ExpectRefused("full", {"run LMS --weights '' --in one.csv --out /dev/full", 1, "error writing /dev/full"});
}

// The library does what it is asked, so the exit status stays 0, but the
// user hears once where the output ran away and what to change.
TEST(RunProcess, AnOutputThatRunsAwayIsReportedOnceWithItsSample) {
  const std::string rows = PlantCsv(1500, {1.0, 0.5});
  const Outcome wild = Succeeds("wild", "run LMS -p 'mu forward=5' --weights wild.txt --report wild_report", rows);
  EXPECT_EQ(Count(wild.err, "warning"), 1u) << wild.err;
  for (const char* part : {"adaptsim run: warning: output \"", "at sample ", "the filter diverges",
                           "try a smaller step size (\"Mu Forward\", \"Mu Backward\")"}) {
    EXPECT_TRUE(Contains(wild.err, part)) << wild.err;
  }
  // The sample named is the first whose output went beyond the bound.
  const size_t at = wild.err.find("at sample ") + 10;
  const long sample = std::stol(wild.err.substr(at));
  std::istringstream lines(wild.out);
  std::string line;
  std::getline(lines, line);
  for (long n = 0; n < sample; ++n) {
    ASSERT_TRUE(std::getline(lines, line));
    for (const char* c = line.c_str(); *c != '\0';) {
      char* end = nullptr;
      const double v = std::strtod(c, &end);
      EXPECT_TRUE(std::isfinite(v) && std::fabs(v) < 1e6) << "sample " << n << ": " << line;
      c = *end == ',' ? end + 1 : end;
    }
  }
  // Its report draws what is finite and says what it left out.
  for (const char* figure : {"wild_report/learning-curve.svg", "wild_report/weights-1.svg"}) {
    const std::string svg = ReadFileText(figure);
    EXPECT_EQ(svg.rfind("<svg", 0), 0u) << figure;
    EXPECT_EQ(BadSvgCoordinate(svg), "") << figure;
  }
  const std::string curve = ReadFileText("wild_report/learning-curve.svg");
  EXPECT_TRUE(Contains(curve, "not finite (nan or inf), left as gaps"));
  // Beside Desired, whose range the runaway does not stretch: it is clipped.
  EXPECT_EQ(FigureFault(curve, true), "");
  EXPECT_TRUE(Contains(curve, "above the frame, up to ")) << curve;
  EXPECT_TRUE(Contains(ReadFileText("wild_report/index.html"), "PriError has no finite power (the filter diverged)"));
  // A tame run and a run whose input holds NaN say nothing.
  EXPECT_EQ(Succeeds("tame", "run LMS --weights ''", rows).err, "");
  EXPECT_EQ(Succeeds("nan", "run LMS --weights ''", "1,1\nnan,1\n2,2\n").err, "");
}

// Each general token identifies a plant in the loop a diagram builds around
// it; the final weights come close to the plant's.
TEST(RunProcess, LoopRunsTheGeneralTokensOnUsersData) {
  const std::vector<double> plant{0.5, -0.3, 0.2, 0.1};
  std::ofstream("loop.csv") << "Input,Desired\n" << PlantCsv(6000, plant);
  std::ofstream("loop_ports.csv") << "Input,Desired,Mu,Leakage\n" << PlantCsv(6000, plant, ",0.1,1");
  const struct {
    const char* token;
    const char* settings;
    const char* input;
  } cases[] = {{"GenLMS_A", "", "loop_ports.csv"},       {"GenLMS_B", "-p Mu=0.1", "loop.csv"},
               {"GenNLMS", "-p Mu=0.2", "loop.csv"},      {"GenNEW", "-p Mu=0.5 -p Lambda=0.99", "loop.csv"},
               {"GenRLS", "-p Lambda=0.999", "loop.csv"}, {"GenRW", "-p 'Random Walk Variance=1e-9'", "loop.csv"}};
  for (const auto& c : cases) {
    const std::string weights = std::string("loop_") + c.token + ".txt";
    const Outcome run = Succeeds(std::string("loop_") + c.token,
                                 std::string("run ") + c.token + " --loop -p 'Numerator Coeffs=4' " + c.settings +
                                     " --in " + c.input + " --weights " + weights);
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')), "Output,Error") << c.token;
    FinalWeights w;
    std::string error;
    ASSERT_TRUE(ReadFinalWeights(weights, &w, &error)) << c.token << ": " << error;
    ASSERT_EQ(w.numerator.size(), plant.size()) << c.token;
    for (size_t i = 0; i < plant.size(); ++i) EXPECT_NEAR(w.numerator[i], plant[i], 0.02) << c.token << " tap " << i;
    const std::string last = run.out.substr(run.out.rfind('\n', run.out.size() - 2) + 1);
    EXPECT_LT(std::fabs(std::stod(last.substr(last.find(',') + 1))), 0.02) << c.token << ": " << last;
  }
  ExpectRefused("loop_lms", {"run LMS --loop", 2, "--loop closes the loop around a general token"});
  ExpectRefused("loop_columns", {"run GenLMS_A --loop --weights ''", 1, "line 1: 2 columns, expected 4 columns"});
}

TEST(RunProcess, NamesInAnyCaseAndWithOneBlank) {
  const Outcome run = Succeeds("names", "run lms2 -p 'numerator coeffs 1=2' -p 'MU 2=0.1' --weights ''", "1,2,3\n");
  EXPECT_EQ(run.out, "Output,PriError,PostError\n0,3,0.53999999999999959\n");
  EXPECT_TRUE(Contains(Succeeds("describe", "describe gennlms").out, "GenNLMS: "));
}

// Hostile input on a pipe, as the pipe delivers it: a clear error, nothing
// run, and memory that does not grow with the input.
TEST(RunProcess, HostileInputIsRefusedWithBoundedMemory) {
  ChildProcess run(ADAPTSIM_PATH, {"run", "LMS", "--weights", "hostile_w.txt"}, "hostile.stderr");
  ASSERT_TRUE(run.started());
  const std::string chunk(1 << 20, '1');
  size_t written = 0;
  while (written < (100u << 20) && run.write(chunk)) written += chunk.size();
  run.closeInput();
  long peakKib = 0;
  EXPECT_EQ(run.wait(&peakKib), 1);
  EXPECT_LT(written, 100u << 20);  // it stopped reading long before the end
  // The line alone would be 100 MiB. Under AddressSanitizer the resident size
  // also holds freed blocks in quarantine and their shadow, as much as the
  // machine's load lets the reads come in pieces: the bound is for real builds.
  if (!kAddressSanitizerBuild) {
    EXPECT_LT(peakKib, 80 * 1024);
  }
  EXPECT_EQ(ReadFileText("hostile.stderr"),
            "adaptsim run: standard input, line 1: longer than 1048576 bytes; nothing was run\n");
  EXPECT_FALSE(FileExists("hostile_w.txt"));

  // A malformed line after good ones on a pipe: the rows before it ran, and
  // the run says where it stopped and what it kept.
  std::system(("printf '1,1\\n1,1\\n1\\n' | '" + std::string(ADAPTSIM_PATH) +
               "' run LMS -p 0=2 --weights late_w.txt >late.out 2>late.err; echo $? >late.status")
                  .c_str());
  EXPECT_EQ(ReadFileText("late.status"), "1\n");
  EXPECT_EQ(Count(ReadFileText("late.out"), "\n"), 3u);
  EXPECT_EQ(ReadFileText("late.err"), "adaptsim run: standard input, line 3: 1 column, expected 2 columns; stopped "
                                      "there after 2 samples (the outputs and the final weights hold them)\n");
  EXPECT_TRUE(FileExists("late_w.txt"));

  // An empty input runs no sample and says so; BOM and CRLF simply work.
  const Outcome empty = Succeeds("empty", "run LMS -p 0=2 --weights ''", "");
  EXPECT_EQ(empty.out, "Output,PriError,PostError\n");
  EXPECT_EQ(empty.err, "adaptsim run: warning: standard input holds no samples\n");
  EXPECT_EQ(Succeeds("bom", "run LMS -p 0=2 --weights ''", "\xEF\xBB\xBFInput,Desired\r\n1,1\r\n").out,
            "Output,PriError,PostError\n0,1,0.97999999999999998\n");
  const Outcome nul = Adaptsim("nul", "run LMS --weights ''", std::string("1,\0\n", 4));
  EXPECT_EQ(nul.status, 1);
  EXPECT_EQ(nul.err, "adaptsim run: standard input, line 1: holds a NUL byte: not a text file; nothing was run\n");
}

}  // namespace

#endif

}  // namespace adaptive
