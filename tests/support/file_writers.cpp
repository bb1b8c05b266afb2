#include "tests/support/file_writers.h"

#include "tests/support/text_file.h"

namespace kestral::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kSource = KESTRAL_SOURCE_DIR;

// Surface points of a five-layer section, integrated up to m = 150: about
// 0.3 s for kestral.
std::string slow_legacy_problem() {
  std::string text = "5\n3000 2000 300 150 60\n0.35 0.35 0.35 0.4 0.45\n50 100 150 200\n20000 0.56\n15\n";
  for (int i = 0; i < 15; ++i) text += "0 " + std::to_string(140 * i) + "\n";
  return text + "2\n";
}

void write_legacy_run(const fs::path& folder, bool slow) {
  fs::create_directories(folder);
  const fs::path example = kSource / "examples" / "dual-wheel";
  if (slow) {
    write_text(folder / "KESTRAL.in", slow_legacy_problem());
  } else {
    fs::copy_file(example / "KESTRAL.in", folder / "KESTRAL.in");
  }
  fs::copy_file(example / "gauss.qua", folder / "gauss.qua");
}

// A three-layer problem; slow: a grid of many points deep in the section.
std::string json_problem(bool slow) {
  std::string text = R"({"layers": [{"E": 3000, "nu": 0.35, "thickness": 150},
    {"E": 300, "nu": 0.35, "thickness": 250}, {"E": 60, "nu": 0.4}],
  "loads": [{"x": 0, "y": 0, "load": 20000, "pressure": 0.56}],)";
  if (slow) {
    std::string xs;
    std::string zs;
    for (int i = 0; i < 300; ++i) xs += (i > 0 ? ", " : "") + std::to_string(5 * i);
    for (int i = 0; i < 200; ++i) zs += (i > 0 ? ", " : "") + std::to_string(3 * i + 1);
    return text + R"( "grid": {"x": [)" + xs + R"(], "y": [0], "z": [)" + zs + "]}}";
  }
  return text + R"( "points": [{"x": 0, "y": 0, "z": 0}, {"x": 155, "y": 0, "z": 150}]})";
}

}  // namespace

const std::vector<FileWriter>& file_writers() {
  static const std::vector<FileWriter> writers = {
      {"kestral", "KESTRAL.out",
       [](const fs::path& folder, bool slow) -> std::vector<std::string> {
         write_legacy_run(folder, slow);
         return {KESTRAL_EXE};
       }},
      {"kestral-batch --csv", "table.csv",
       [](const fs::path& folder, bool slow) -> std::vector<std::string> {
         std::vector<std::string> command = {KESTRAL_BATCH_EXE, "-j", "1", "--csv", "table.csv"};
         for (int i = 0; i < (slow ? 20 : 1); ++i) {
           write_legacy_run(folder / ("run-" + std::to_string(i)), slow);
           command.push_back("run-" + std::to_string(i));
         }
         return command;
       }},
      {"kestral-analyse -o", "table.csv",
       [](const fs::path& folder, bool slow) -> std::vector<std::string> {
         write_text(folder / "p.json", json_problem(slow));
         return {KESTRAL_ANALYSE_EXE, "-j", "1", "p.json", "-o", "table.csv"};
       }},
#ifdef KESTRAL_PYTHON_EXE
      {"python3 -m kestral plot -o", "picture.png",
       [](const fs::path& folder, bool slow) -> std::vector<std::string> {
         write_text(folder / "p.json", json_problem(false));
         std::vector<std::string> command = {"/usr/bin/env", "PYTHONPATH=" KESTRAL_PYTHON_PATH,
                                             KESTRAL_PYTHON_EXE, "-m", "kestral", "plot", "p.json",
                                             "-o", "picture.png"};
         if (slow) command.insert(command.end(), {"--map", "--grid", "300,200"});
         return command;
       }},
#endif
      // The shipped examples: a thickness search and a 50-drop survey, each
      // a second or so of work.
      {"kestral-design -o", "check.csv",
       [](const fs::path& folder, bool) -> std::vector<std::string> {
         fs::copy_file(kSource / "examples/design/section.json", folder / "section.json");
         return {KESTRAL_DESIGN_EXE, "section.json", "-o", "check.csv"};
       }},
      {"kestral-backcalc -o", "moduli.csv",
       [](const fs::path& folder, bool) -> std::vector<std::string> {
         for (const char* name : {"survey.json", "bowls.csv"})
           fs::copy_file(kSource / "examples/backcalculation" / name, folder / name);
         return {KESTRAL_BACKCALC_EXE, "-j", "1", "survey.json", "-o", "moduli.csv"};
       }},
  };
  return writers;
}

}  // namespace kestral::testing
