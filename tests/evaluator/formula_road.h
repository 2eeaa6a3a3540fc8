// Runs typed formulas through the whole road (compiler, evaluator, result text) and checks
// tables of them: values with their shown text, failures, and pairs that must agree.
#pragma once

#include <span>
#include <string>

namespace numerella::testing {

struct Road {
  bool failed;       // the evaluation failed ("Errore di Esecuzione")
  double value;      // the evaluated value
  std::string text;  // the result text the window shows
  int notices;       // notices given during the evaluation
};
Road RunTyped(const std::string& formula);

// A formula, its value (NAN: the evaluation fails) and shown text, and the allowed relative
// difference. Every case must give no notice.
struct RoadCase {
  const char* formula;
  double value;
  const char* text = "";
  double rel = 1e-9;
};
void CheckRoad(std::span<const RoadCase> cases);

// Both formulas compute, to the same value (within a few units in the last place when
// tolerance is 0, else within tolerance).
struct SamePair {
  const char* first;
  const char* second;
  double tolerance = 0;
};
void CheckSameValue(std::span<const SamePair> pairs);

}  // namespace numerella::testing
