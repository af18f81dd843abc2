// adaptsim as a separate process against the built token library, and its
// loader and session driving that library inside the test process.
#if defined(ADAPTSIM_PATH)

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "host/catalogue.h"
#include "sim/csv.h"
#include "sim/plugin.h"
#include "sim/token_session.h"

namespace {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

std::string Slurp(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs adaptsim with `arguments` (shell words) and `input` on its standard
// input. `tag` names the capture files: tests run in parallel in one directory.
Outcome Adaptsim(const std::string& tag, const std::string& arguments, const std::string& input = "") {
  std::ofstream(tag + ".stdin") << input;
  const std::string command = std::string("'") + ADAPTSIM_PATH + "' " + arguments + " <" + tag + ".stdin >" +
                              tag + ".stdout 2>" + tag + ".stderr";
  const int raw = std::system(command.c_str());
  const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return {status, Slurp(tag + ".stdout"), Slurp(tag + ".stderr")};
}

std::unique_ptr<Plugin> LoadBuiltPlugin() {
  std::string error;
  std::unique_ptr<Plugin> plugin = Plugin::Load(ADAPTIVE_PLUGIN_PATH, &error);
  EXPECT_TRUE(plugin) << error;
  return plugin;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(AdaptsimProcess, ListsAndDescribesTheCatalogue) {
  Outcome list = Adaptsim("list", "list");
  ASSERT_EQ(list.status, 0) << list.err;
  std::istringstream lines(list.out);
  std::string line;
  int count = 0;
  while (std::getline(lines, line)) {
    const CatalogueEntry& entry = CatalogueEntries()[count];
    EXPECT_EQ(line.rfind(std::string(entry.name) + " ", 0), 0u) << line;
    EXPECT_TRUE(Contains(line, entry.description)) << line;
    ++count;
  }
  EXPECT_EQ(count, kCatalogueSize);

  Outcome describe = Adaptsim("describe", "describe LMS2");
  ASSERT_EQ(describe.status, 0) << describe.err;
  EXPECT_TRUE(Contains(describe.out, "  2  Desired\n"));
  EXPECT_TRUE(Contains(describe.out, "  3  \"Numerator Coeffs  2\" = 10\n"));
  EXPECT_TRUE(Contains(describe.out, "  4  \"Mu 2\" = 0.01\n"));
  EXPECT_TRUE(Contains(describe.out, "Filename for Final Weights: lms2.txt\n"));
}

TEST(AdaptsimProcess, WrongUsageExitsWithTwoAndSaysWhy) {
  const struct {
    const char* arguments;
    const char* message;
  } cases[] = {
      {"", "missing COMMAND"},
      {"frobnicate", "unknown command \"frobnicate\""},
      {"run", "missing TOKEN"},
      {"describe LMS LMS2", "takes one TOKEN"},
      {"list extra", "takes no arguments"},
      {"run LMS --out", "needs a value"},
      {"run LMS --bogus", "unknown option --bogus"},
      {"run NoSuchToken", "unknown token \"NoSuchToken\""},
      {"run LMS -p 'Numerator Coeffs  1=4'", "\"Leakage Backward\""},
      {"run LMS -p 1=fast", "not a number"},
      {"run LMS --rate 0", "--rate"},
      {"run LMS --rate nan", "--rate"},
  };
  for (const auto& c : cases) {
    const Outcome outcome = Adaptsim("usage", c.arguments);
    EXPECT_EQ(outcome.status, 2) << c.arguments;
    EXPECT_TRUE(Contains(outcome.err, c.message)) << c.arguments << ": " << outcome.err;
    EXPECT_EQ(outcome.out, "") << c.arguments;
  }
  for (const char* help : {"--help", "run --help", "describe -h", "--help list"}) {
    const Outcome outcome = Adaptsim("help", help);
    EXPECT_EQ(outcome.status, 0) << help;
    EXPECT_TRUE(Contains(outcome.out, "Usage: adaptsim")) << help;
  }
}

TEST(AdaptsimProcess, ReportsLibrariesAndEntryPointsItCannotUse) {
  const Outcome missing = Adaptsim("nolib", "--library /nonexistent/libnone.so list");
  EXPECT_EQ(missing.status, 1);
  EXPECT_TRUE(Contains(missing.err, "cannot load the token library /nonexistent/libnone.so")) << missing.err;

  // Any shared library without USERCODE will do: the C library of the test
  // process is certain to be there.
  Dl_info libc{};
  ASSERT_NE(dladdr(dlsym(RTLD_DEFAULT, "strlen"), &libc), 0);
  const Outcome foreign = Adaptsim("foreign", std::string("list --library '") + libc.dli_fname + "'");
  EXPECT_EQ(foreign.status, 1);
  EXPECT_TRUE(Contains(foreign.err, "exports no USERCODE")) << foreign.err;

  const std::unique_ptr<Plugin> plugin = LoadBuiltPlugin();
  ASSERT_TRUE(plugin);
  const TokenInfo* absent = nullptr;
  for (const TokenInfo& token : plugin->catalogue()) {
    if (plugin->entryPoint(token.name) == nullptr) absent = &token;
  }
  if (absent == nullptr) GTEST_SKIP() << "every token of the catalogue is built";
  const Outcome outcome = Adaptsim("noentry", "run " + absent->name, "");
  EXPECT_EQ(outcome.status, 1);
  EXPECT_TRUE(Contains(outcome.err, "exports no entry point")) << outcome.err;
}

TEST(AdaptsimProcess, RunsLmsOverCsvSamples) {
  std::remove("proc_w.txt");
  const Outcome outcome =
      Adaptsim("lms", "run LMS -p 'Numerator Coeffs=2' --weights proc_w.txt", "Input,Desired\n1,1\n0.5,nan\n");
  ASSERT_EQ(outcome.status, 0) << outcome.err;
  std::istringstream text(outcome.out);
  std::string header;
  std::getline(text, header);
  EXPECT_EQ(header, "Output,PriError,PostError");
  SampleTable rows;
  std::string error;
  ASSERT_TRUE(ReadSampleCsv(text, 3, &rows, &error)) << error;
  ASSERT_EQ(rows.rows(), 2u);
  EXPECT_EQ(rows.row(0)[0], 0.0);
  EXPECT_EQ(rows.row(0)[1], 1.0);
  EXPECT_DOUBLE_EQ(rows.row(0)[2], 0.98);
  EXPECT_TRUE(std::isnan(rows.row(1)[1]));
  EXPECT_TRUE(Contains(Slurp("proc_w.txt"), "Numerator Coefficients =2\n"));

  // The same with files, the index form of -p and no final-weights file.
  std::ofstream("proc_in.csv") << "1,1\n";
  std::remove("lms.txt");
  const Outcome files = Adaptsim("lmsfiles", "run LMS -p 0=2 --weights '' --in proc_in.csv --out proc_out.csv");
  ASSERT_EQ(files.status, 0) << files.err;
  EXPECT_EQ(files.out, "");
  EXPECT_EQ(Slurp("proc_out.csv"), "Output,PriError,PostError\n0,1,0.97999999999999998\n");
  EXPECT_FALSE(std::ifstream("lms.txt").good());

  // The report of a CSV run: every build has it, the Windows one too.
  const Outcome report =
      Adaptsim("lmsreport", "run LMS -p 0=2 --weights rw.txt --in proc_in.csv --out proc_out.csv --report rep/lms");
  ASSERT_EQ(report.status, 0) << report.err;
  EXPECT_TRUE(Contains(Slurp("rep/lms/index.html"), "<img src=\"weights-1.svg\""));
  EXPECT_EQ(Slurp("rep/lms/learning-curve.svg").rfind("<svg", 0), 0u);
  std::ofstream("rep/file") << "in the way";
  const Outcome blocked = Adaptsim("lmsblocked", "run LMS --weights rw.txt --in proc_in.csv --out proc_out.csv "
                                                 "--report rep/file/sub");
  EXPECT_EQ(blocked.status, 1);
  EXPECT_TRUE(Contains(blocked.err, "cannot create rep/file/sub")) << blocked.err;
}

TEST(AdaptsimProcess, RunsTheNormalisedAndGeneralTokens) {
  // One-tap NLMS, first sample x = 2, d = 1: the normalised step leaves only
  // the regularisation's share of the error, δ / (4 + δ).
  const Outcome nlms = Adaptsim("nlms", "run NLMS -p 'Numerator Coeffs=1' --weights ''", "2,1\n");
  ASSERT_EQ(nlms.status, 0) << nlms.err;
  std::istringstream text(nlms.out);
  std::string header;
  std::getline(text, header);
  SampleTable rows;
  std::string error;
  ASSERT_TRUE(ReadSampleCsv(text, 3, &rows, &error)) << error;
  ASSERT_EQ(rows.rows(), 1u);
  EXPECT_EQ(rows.row(0)[0], 0.0);
  EXPECT_EQ(rows.row(0)[1], 1.0);
  EXPECT_EQ(rows.row(0)[2], 1.0 - 2.0 * ((1.0 / (4.0 + 1e-8)) * 2.0));
  EXPECT_NEAR(rows.row(0)[2], 2.5e-9, 1e-12);

  // GenNLMS with a first tap of 1 and no error passes its input through.
  std::remove("proc_gen.txt");
  const Outcome gen = Adaptsim("gennlms",
                               "run GenNLMS -p 'Numerator Coeffs=2' -p 'First Tap Value=1' --weights proc_gen.txt",
                               "3,1,0\n-2,1,0\n");
  ASSERT_EQ(gen.status, 0) << gen.err;
  EXPECT_EQ(gen.out, "Output\n3\n-2\n");
  EXPECT_EQ(Slurp("proc_gen.txt"), "Numerator Coefficients =2\n1.000000000000000E+00\n0.000000000000000E+00\n"
                                   "Denominator Coefficients =1\n1\n");
}

TEST(AdaptsimProcess, RunsTheQrTokens) {
  // The two-sample example: the first sample fills the triangle (γ = 0, and
  // PriError is d), the second rotates by 45 degrees.
  std::remove("proc_qr.txt");
  const Outcome qr = Adaptsim("qr1", "run QR1 -p 'Numerator Coeffs=1' -p Lambda=1 --weights proc_qr.txt", "1,2\n1,2\n");
  ASSERT_EQ(qr.status, 0) << qr.err;
  EXPECT_EQ(qr.out, "Output,PriError,PostError,Gamma\n2,2,0,0\n2,0,0,0.70710678118654746\n");
  EXPECT_EQ(Slurp("proc_qr.txt"), "Numerator Coefficients =1\n2.000000000000000E+00\n\nDenominator Coefficients =1\n1\n");

  // One sample cannot determine 20 coefficients: both files say so.
  std::remove("proc_qr21.txt");
  std::remove("proc_qr22.txt");
  const Outcome qr2 = Adaptsim("qr2", "run QR2 --weights proc_qr2.txt", "1,0,1\n");
  ASSERT_EQ(qr2.status, 0) << qr2.err;
  EXPECT_EQ(Slurp("proc_qr21.txt"), "Matrix close to singular...\n");
  EXPECT_EQ(Slurp("proc_qr22.txt"), "Matrix close to singular...\n");
}

TEST(AdaptsimProcess, FailuresReportTheLibrarysTextAndRunNothing) {
  std::ofstream("proc_bad.csv") << "Input,Desired\n1,1\n2\n";
  const Outcome malformed = Adaptsim("malformed", "run LMS --weights proc_bad_w.txt --in proc_bad.csv");
  EXPECT_EQ(malformed.status, 1);
  EXPECT_TRUE(Contains(malformed.err, "proc_bad.csv, line 3: 1 column, expected 2 columns")) << malformed.err;
  EXPECT_EQ(malformed.out, "");
  EXPECT_FALSE(std::ifstream("proc_bad_w.txt").good());

  const Outcome rejected = Adaptsim("rejected", "run LMS -p 'Numerator Coeffs=0' --weights proc_rej.txt", "1,1\n");
  EXPECT_EQ(rejected.status, 1);
  EXPECT_TRUE(Contains(rejected.err, "status 1\nImproper length of Adaptive Filter.\nMust be greater than 0...\n"))
      << rejected.err;
  EXPECT_EQ(rejected.out, "");

  const Outcome unwritable = Adaptsim("unwritable", "run LMS --weights /nonexistent/dir/w.txt", "1,1\n");
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_TRUE(Contains(unwritable.err, "Problems opening /nonexistent/dir/w.txt")) << unwritable.err;
}

TEST(PluginSession, CatalogueThroughTheHostRecordsMatchesTheLibrarysTable) {
  const std::unique_ptr<Plugin> plugin = LoadBuiltPlugin();
  ASSERT_TRUE(plugin);
  EXPECT_EQ(plugin->version(), 10);
  ASSERT_EQ(plugin->catalogue().size(), static_cast<size_t>(kCatalogueSize));
  for (int k = 0; k < kCatalogueSize; ++k) {
    const CatalogueEntry& want = CatalogueEntries()[k];
    const TokenInfo& got = plugin->catalogue()[static_cast<size_t>(k)];
    EXPECT_EQ(got.name, want.name);
    EXPECT_EQ(got.displayName, want.name);
    EXPECT_EQ(got.defaultFileName, want.defaultFileName);
    ASSERT_EQ(got.inputNames.size(), static_cast<size_t>(want.inputCount));
    ASSERT_EQ(got.outputNames.size(), static_cast<size_t>(want.outputCount));
    ASSERT_EQ(got.parameterNames.size(), static_cast<size_t>(want.parameterCount));
    EXPECT_EQ(got.inputNames.back(), want.inputNames[want.inputCount - 1]);
    for (int p = 0; p < want.parameterCount; ++p) {
      EXPECT_EQ(got.parameterNames[static_cast<size_t>(p)], want.parameters[p].name);
      EXPECT_EQ(got.parameterDefaults[static_cast<size_t>(p)], want.parameters[p].defaultValue);
    }
    EXPECT_EQ(plugin->find(want.name), &got);
  }
  EXPECT_EQ(plugin->find("lms"), nullptr);
  EXPECT_EQ(plugin->entryPoint("NoSuchToken"), nullptr);
}

TEST(PluginSession, DrivesAnInstanceThroughItsLife) {
  const std::unique_ptr<Plugin> plugin = LoadBuiltPlugin();
  ASSERT_TRUE(plugin);
  const TokenInfo* lms = plugin->find("LMS");
  ASSERT_NE(lms, nullptr);
  const TokenEntryPoint entry = plugin->entryPoint("LMS");
  ASSERT_NE(entry, nullptr);

  TokenSession session(*lms, entry);
  session.setParameter(0, 2);
  session.setFileName("session_w.dat.txt");
  session.setSampleRate(8000);
  ASSERT_EQ(session.create(), 0) << session.errorText();
  EXPECT_TRUE(session.isLive());
  // The token cut the name at its first dot, in the session's own buffer.
  EXPECT_STREQ(session.fileName(), "session_w");
  EXPECT_EQ(session.output(0).sampleRate, 8000);

  const double samples[3][2] = {{1, 1}, {0, 0}, {1, 1}};
  for (const auto& sample : samples) ASSERT_EQ(session.run(sample), 0);
  EXPECT_EQ(session.samplesRun(), 3);
  // Outputs carry the time of the third sample, index 2 over the rate.
  EXPECT_EQ(session.output(2).sampleTime, 2.0 / 8000);
  EXPECT_EQ(session.output(2).skip, 0);
  EXPECT_EQ(session.output(0).formatWidth, 64);
  ASSERT_EQ(session.terminate(), 0);
  EXPECT_FALSE(session.isLive());
  EXPECT_TRUE(Contains(Slurp("session_w.dat.txt"), "Numerator Coefficients =2\n"));

  // A rejected creation leaves a live half-built instance and the message;
  // the session's destructor makes the terminate call.
  TokenSession rejected(*lms, entry);
  rejected.setParameter(1, -1);
  rejected.setFileName("");
  EXPECT_EQ(rejected.create(), 1);
  EXPECT_TRUE(rejected.isLive());
  EXPECT_STREQ(rejected.errorText(), "Improper step size of Adaptive Filter.\nMust be greater than 0...");
}

}  // namespace

#endif  // ADAPTSIM_PATH
