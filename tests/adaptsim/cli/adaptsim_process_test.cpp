// adaptsim as a separate process against the built token library, and its
// loader and session driving that library inside the test process.
#if defined(ADAPTSIM_PATH)

#include <dlfcn.h>

#include <algorithm>
#include <sstream>

#include "core/catalogue.h"
#include "adaptive/number_text.h"
#include "api/token_session.h"
#include "tests/support/adaptsim_process.h"
#include "api/library_source.h"

namespace adaptive {

namespace {

TEST(AdaptsimProcess, ListsAndDescribesTheCatalogue) {
  const Outcome list = Succeeds("list", "list");
  // The catalogue, then after a blank line the families beyond it.
  const std::string catalogue = list.out.substr(0, list.out.find("\n\n") + 1);
  ASSERT_EQ(std::count(catalogue.begin(), catalogue.end(), '\n'), kCatalogueSize);
  EXPECT_TRUE(Contains(list.out.substr(catalogue.size()), "\nIn the library beyond the catalogue (not in the plug-in):\n"))
      << list.out;
  EXPECT_TRUE(Contains(list.out.substr(catalogue.size()), "\nAP ")) << list.out;
  std::istringstream lines(catalogue);
  std::string line;
  for (int k = 0; std::getline(lines, line); ++k) {
    EXPECT_EQ(line.rfind(std::string(CatalogueEntries()[k].name) + " ", 0), 0u) << line;
    EXPECT_TRUE(Contains(line, CatalogueEntries()[k].description)) << line;
  }
  const Outcome describe = Succeeds("describe", "describe LMS2");
  for (const char* part : {"  2  Desired\n", "  3  \"Numerator Coeffs  2\" = 10\n", "  4  \"Mu 2\" = 0.01\n",
                           "Filename for Final Weights: lms2.txt\n"}) {
    EXPECT_TRUE(Contains(describe.out, part)) << part;
  }
}

TEST(AdaptsimProcess, RefusesWhatItCannotRunAndSaysWhy) {
  std::ofstream("proc_bad.csv") << "Input,Desired\n1,1\n2\n";
  const Refusal cases[] = {
      {"", 2, "missing COMMAND"},
      {"frobnicate", 2, "unknown command \"frobnicate\""},
      {"run", 2, "missing TOKEN"},
      {"describe LMS LMS2", 2, "takes one TOKEN"},
      {"list extra", 2, "takes no arguments"},
      {"run LMS --bogus", 2, "unknown option --bogus"},
      {"run NoSuchToken", 2, "unknown token \"NoSuchToken\" ('adaptsim list'"},
      {"run NMLS", 2, "unknown token \"NMLS\" (did you mean \"NLMS\"?)"},
      {"run RLS1 -p Lamda=1", 2, "RLS1 has no parameter \"Lamda\" (did you mean \"Lambda\"?)"},
      {"run LMS -p 'Numerator Coeffs  1=4'", 2, "\"Leakage Backward\""},
      {"run LMS -p 1=fast", 2, "not a number"},
      {"run LMS --rate 0", 2, "--rate"},
      {"run LMS --rate nan", 2, "--rate"},
      {"--library /nonexistent/libnone.so list", 1, "cannot load the token library /nonexistent/libnone.so"},
      {"run LMS --weights proc_bad_w.txt --in proc_bad.csv", 1, "proc_bad.csv, line 3: 1 column, expected 2 columns"},
      {"run LMS -p 'Numerator Coeffs=0' --weights proc_rej.txt", 1,
       "creating LMS (\"Numerator Coeffs\" = 0 is refused; it takes a whole number from 1 to 2147483647) failed "
       "with status 1\nImproper length of Adaptive Filter.\nMust be greater than 0...\n"},
      {"run RLS1 -p 'Numerator Coeffs=100000'", 1,
       "creating RLS1 (RLS1 with 100000 taps needs 80 GB for P) failed with status 1002\nMemory (s_) allocation"},
      {"run LMS --weights /nonexistent/dir/w.txt", 1, "Problems opening /nonexistent/dir/w.txt"},
  };
  for (const Refusal& c : cases) ExpectRefused("refused", c);
  EXPECT_FALSE(FileExists("proc_bad_w.txt"));  // a malformed input runs nothing
  for (const char* help : {"--help", "run --help", "describe -h", "--help list"}) {
    EXPECT_TRUE(Contains(Succeeds("help", help).out, "Usage: adaptsim")) << help;
  }

  // Any shared library without USERCODE will do: the C library of the test
  // process is certain to be there.
  Dl_info libc{};
  ASSERT_NE(dladdr(dlsym(RTLD_DEFAULT, "strlen"), &libc), 0);
  const std::string foreign = std::string("list --library '") + libc.dli_fname + "'";
  ExpectRefused("foreign", {foreign.c_str(), 1, "exports no USERCODE"});
  const std::unique_ptr<Plugin> plugin = LoadBuiltPlugin();
  ASSERT_TRUE(plugin);
  for (const TokenInfo& token : plugin->catalogue()) {
    if (adaptive::EntryPointOf(plugin->tokenLibrary(), token.name) == nullptr) {
      ExpectRefused("noentry", {("run " + token.name).c_str(), 1, "exports no entry point"});
    }
  }
}

TEST(AdaptsimProcess, VersionIsTheCMakePackages) {
  const std::string package = ReadFileText(ADAPTIVE_PACKAGE_VERSION_FILE);
  const std::string mark = "set(PACKAGE_VERSION \"";
  const size_t at = package.find(mark);
  ASSERT_NE(at, std::string::npos) << ADAPTIVE_PACKAGE_VERSION_FILE;
  const std::string version = package.substr(at + mark.size(), package.find('"', at + mark.size()) - at - mark.size());
  EXPECT_EQ(Succeeds("version", "--version").out, "adaptsim " + version + "\n");
}

TEST(AdaptsimProcess, RunsLmsOverCsvSamplesAndFiles) {
  std::remove("proc_w.txt");
  const Outcome outcome =
      Succeeds("lms", "run LMS -p 'Numerator Coeffs=2' --weights proc_w.txt", "Input,Desired\n1,1\n0.5,nan\n");
  EXPECT_EQ(outcome.out, "Output,PriError,PostError\n0,1,0.97999999999999998\n0.01,nan,nan\n");
  EXPECT_TRUE(Contains(ReadFileText("proc_w.txt"), "Numerator Coefficients =2\n"));

  // The same with files, the index form of -p and no final-weights file.
  std::ofstream("proc_in.csv") << "1,1\n";
  std::remove("lms.txt");
  const Outcome files = Succeeds("lmsfiles", "run LMS -p 0=2 --weights '' --in proc_in.csv --out proc_out.csv");
  EXPECT_EQ(files.out, "");
  EXPECT_EQ(ReadFileText("proc_out.csv"), "Output,PriError,PostError\n0,1,0.97999999999999998\n");
  EXPECT_FALSE(FileExists("lms.txt"));

  // The report of a CSV run: every build has it, the Windows one too.
  const Outcome report =
      Succeeds("lmsreport", "run LMS -p 0=2 --weights rw.txt --in proc_in.csv --out proc_out.csv --report rep/lms");
  EXPECT_TRUE(Contains(ReadFileText("rep/lms/index.html"), "<img src=\"weights-1.svg\""));
  EXPECT_EQ(ReadFileText("rep/lms/learning-curve.svg").rfind("<svg", 0), 0u);
  std::ofstream("rep/file") << "in the way";
  ExpectRefused("lmsblocked",
                {"run LMS --weights rw.txt --in proc_in.csv --out proc_out.csv --report rep/file/sub", 1,
                 "cannot create rep/file/sub"});
}

TEST(AdaptsimProcess, RunsTheNormalisedGeneralAndQrTokens) {
  // One-tap NLMS, first sample x = 2, d = 1: the normalised step leaves only
  // the regularisation's share of the error, δ / (4 + δ).
  const Outcome nlms = Succeeds("nlms", "run NLMS -p 'Numerator Coeffs=1' --weights ''", "2,1\n");
  EXPECT_EQ(nlms.out, "Output,PriError,PostError\n0,1," + FormatExact(1.0 - 2.0 * ((1.0 / (4.0 + 1e-8)) * 2.0)) + "\n");

  // GenNLMS with a first tap of 1 and no error passes its input through.
  std::remove("proc_gen.txt");
  const Outcome gen = Succeeds("gennlms",
                               "run GenNLMS -p 'Numerator Coeffs=2' -p 'First Tap Value=1' --weights proc_gen.txt",
                               "3,1,0\n-2,1,0\n");
  EXPECT_EQ(gen.out, "Output\n3\n-2\n");
  EXPECT_EQ(ReadFileText("proc_gen.txt"), "Numerator Coefficients =2\n1.000000000000000E+00\n0.000000000000000E+00\n"
                                          "Denominator Coefficients =1\n1\n");

  // The two-sample example: the first sample fills the triangle (γ = 0, and
  // PriError is d), the second rotates by 45 degrees.
  std::remove("proc_qr.txt");
  const Outcome qr = Succeeds("qr1", "run QR1 -p 'Numerator Coeffs=1' -p Lambda=1 --weights proc_qr.txt", "1,2\n1,2\n");
  EXPECT_EQ(qr.out, "Output,PriError,PostError,Gamma\n2,2,0,0\n2,0,0,0.70710678118654746\n");
  EXPECT_EQ(ReadFileText("proc_qr.txt"),
            "Numerator Coefficients =1\n2.000000000000000E+00\n\nDenominator Coefficients =1\n1\n");

  // One sample cannot determine 20 coefficients: both files say so.
  std::remove("proc_qr21.txt");
  std::remove("proc_qr22.txt");
  const Outcome qr2 = Succeeds("qr2", "run QR2 --weights proc_qr2.txt", "1,0,1\n");
  EXPECT_EQ(ReadFileText("proc_qr21.txt"), "Matrix close to singular...\n");
  EXPECT_EQ(ReadFileText("proc_qr22.txt"), "Matrix close to singular...\n");
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
  EXPECT_EQ(adaptive::EntryPointOf(plugin->tokenLibrary(), "NoSuchToken"), nullptr);
}

TEST(PluginSession, DrivesAnInstanceThroughItsLife) {
  const std::unique_ptr<Plugin> plugin = LoadBuiltPlugin();
  ASSERT_TRUE(plugin);
  const TokenInfo* lms = plugin->find("LMS");
  const TokenEntryPoint entry = adaptive::EntryPointOf(plugin->tokenLibrary(), "LMS");
  ASSERT_TRUE(lms != nullptr && entry != nullptr);

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
  EXPECT_TRUE(Contains(ReadFileText("session_w.dat.txt"), "Numerator Coefficients =2\n"));

  // A rejected creation leaves a live half-built instance and the message;
  // the session's destructor makes the terminate call.
  TokenSession rejected(*lms, entry);
  rejected.setParameter(1, -1);
  rejected.setFileName("");
  EXPECT_EQ(rejected.create(), 1);
  EXPECT_TRUE(rejected.isLive());
  EXPECT_EQ(rejected.errorText(), "Improper step size of Adaptive Filter.\nMust be greater than 0...");
}

}  // namespace

#endif  // ADAPTSIM_PATH

}  // namespace adaptive
