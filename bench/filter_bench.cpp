// Measures the two costs of the wedge that users feel: filtering one barcode
// with every step switched on (also after choosing among ten profiles that
// do not take it), and loading a complete SARNU.INI. Each is set against a
// baseline of the same run (a plain copy of the barcode's bytes, the filter
// without profiles, a plain read of the file), and the ratios close the
// output.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "barcode_filter.h"
#include "file_io.h"
#include "profiles.h"
#include "settings.h"
#include "settings_table.h"

namespace {

// A 13-character barcode as the laser delivers it: leading FNC1, an FNC1
// inside, and the CR of suffix code 0.
const char kBarcode[] =
    "\x1d"
    "X0012\x1d"
    "ab-cd 9\r";

void EnableEveryStep(Settings& s) {
  s.SetReplaceFNC1Enable(1);
  s.SetReplaceFNC1(u"#");
  s.SetStripFirstEnable(1);
  s.SetStripFirst(1);
  s.SetStripLastEnable(1);
  s.SetStripLast(1);
  s.SetSendRangeEnable(1);
  s.SetSendRangeStart(2);
  s.SetSendRangeEnd(9);
  s.SetStripLeadingEnable(1);
  s.SetStripLeading(u"0");
  s.SetStripTrailingEnable(1);
  s.SetStripTrailing(u" ");
  s.SetValidateContentEnable(1);
  s.SetValidateContentMode(0);
  s.SetModifyCaseEnable(1);
  s.SetModifyCaseMode(1);
  s.SetPreambleEnable(1);
  s.SetPreamble(u"<\\t");
  s.SetPostambleEnable(1);
  s.SetPostamble(u">");
}

char g_text[kFilterBufferSize];
char g_output[kFilterBufferSize];

// One barcode through the chain, with the record the profiles choose for
// it (none: the main record).
void RunFilterChain(benchmark::State& state, const char16_t* iniPath) {
  Settings s(kScannerLaser, u"", u"");
  EnableEveryStep(s);
  Profiles profiles(s);
  if (iniPath != nullptr && (!profiles.Load(iniPath) || profiles.Count() != 10)) {
    state.SkipWithError("the profiles were not read");
  }
  for (auto _ : state) {
    const Settings& filter = profiles.For(u"notepad.exe", kLaserTypeFnc1);
    // The queued copy that the chain shortens in place.
    std::memcpy(g_text, kBarcode, sizeof kBarcode);
    Barcode barcode = MakeBarcode(kScannerLaser, g_text, sizeof kBarcode - 1, kLaserTypeFnc1, 0);
    ReplaceFnc1(s, &barcode);
    benchmark::DoNotOptimize(ApplyFilter(filter, &barcode, g_output));
    benchmark::ClobberMemory();
  }
  if (std::strcmp(g_output, "<\t12ABC>") != 0) state.SkipWithError("unexpected filter output");
}

void FilterChain(benchmark::State& state) { RunFilterChain(state, nullptr); }
BENCHMARK(FilterChain)->MinTime(0.3);

void PlainCopy(benchmark::State& state) {
  for (auto _ : state) {
    std::memcpy(g_text, kBarcode, sizeof kBarcode);
    benchmark::DoNotOptimize(g_text);
    std::memcpy(g_output, g_text, sizeof kBarcode);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(PlainCopy)->MinTime(0.3);

// A SARNU.INI with every key of the record and then `extra`, in a folder of
// its own.
struct IniFixture {
  std::string folder;
  std::string native;
  char16_t path[512] = {};

  explicit IniFixture(const std::string& extra) {
    char pattern[] = "/tmp/sarnu-bench-XXXXXX";
    if (!mkdtemp(pattern)) std::abort();
    folder = pattern;
    native = folder + "/SARNU.INI";
    if (!NativeToProductPath(native.c_str(), path, 512)) std::abort();
    std::string text;
    const char* section = "";
    for (size_t i = 0; i < kSettingsFieldCount; ++i) {
      const FieldInfo& f = kSettingsFields[i];
      if (std::strcmp(section, f.sectionName) != 0) {
        section = f.sectionName;
        text += std::string("[") + section + "]\r\n";
      }
      text += std::string(f.keyName) + "=" + ValueFor(f) + "\r\n";
    }
    text += extra;
    if (!FileReplaceThroughTemp(path, text.data(), text.size())) std::abort();
  }
  ~IniFixture() {
    std::remove(native.c_str());
    rmdir(folder.c_str());
  }

  static std::string ValueFor(const FieldInfo& f) {
    switch (f.kind) {
      case FieldKind::Text:
        return f.high > 1 ? "<\\t\\x41>" : "#";
      case FieldKind::CharSet:
        return "0 .";
      case FieldKind::Color:
        return "20C0FF";
      default:
        return std::to_string(f.high);
    }
  }
};

IniFixture& Ini() {
  static IniFixture fixture("");
  return fixture;
}

// Ten profiles that hold for the barcode's type but not for its program:
// each compares names of the program's length, which differ late.
IniFixture& ProfilesIni() {
  static IniFixture fixture([] {
    std::string text;
    for (int i = 0; i < 10; ++i) {
      const std::string n = std::to_string(i);
      text += "[Profile.other" + n + "]\r\nPrograms=notepa" + n + ".exe;wms" + n +
              ".exe\r\nTypes=73;512\r\nPreambleEnable=0\r\n";
    }
    return text;
  }());
  return fixture;
}

void FilterChainTenProfiles(benchmark::State& state) { RunFilterChain(state, ProfilesIni().path); }
BENCHMARK(FilterChainTenProfiles)->MinTime(0.3);

void LoadSettings(benchmark::State& state) {
  Settings s(kScannerLaser, Ini().path, u"");
  for (auto _ : state) benchmark::DoNotOptimize(s.Load());
  if (s.BulkLimit != 999) state.SkipWithError("the file was not read");
}
BENCHMARK(LoadSettings)->MinTime(0.3);

void ReadFile(benchmark::State& state) {
  const char16_t* path = Ini().path;
  for (auto _ : state) {
    unsigned char* data = nullptr;
    size_t size = 0;
    uint32_t attributes = 0;
    if (FileReadAll(path, &data, &size, &attributes)) FileFreeData(data);
    benchmark::DoNotOptimize(size);
  }
}
BENCHMARK(ReadFile)->MinTime(0.3);

// The console output as usual, plus the time per iteration of each
// benchmark for the ratio lines.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
        times[run.run_name.function_name] = run.GetAdjustedRealTime();
      }
    }
  }
  void PrintRatio(const char* label, const char* measured, const char* baseline) const {
    auto m = times.find(measured), b = times.find(baseline);
    if (m == times.end() || b == times.end() || b->second <= 0) return;
    std::printf("%s ratio: %.1f\n", label, m->second / b->second);
  }
  std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  std::fflush(stdout);
  reporter.PrintRatio("filter/copy", "FilterChain", "PlainCopy");
  reporter.PrintRatio("ten profiles/none", "FilterChainTenProfiles", "FilterChain");
  reporter.PrintRatio("load/read", "LoadSettings", "ReadFile");
  return 0;
}
