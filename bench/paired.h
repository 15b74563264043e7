// A figure and its floor measured in turn in every iteration of one benchmark,
// so that both see the same load of a shared machine; reported as medians and
// their ratio.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

namespace dxl::bench {

inline double Median(std::vector<double> values) {
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

class Paired {
 public:
  void Add(double figure, double floor) {
    figures_.push_back(figure);
    floors_.push_back(floor);
  }
  // Counters "<unit>" and "floor_<unit>" (medians, seconds times `scale`) and "ratio_<unit>";
  // with a goal, "goal" (the largest ratio that meets it) and "met_<unit>" (1 or 0).
  void Report(benchmark::State& state, const std::string& unit = "ms", double scale = 1e3, double goal = 0) {
    if (figures_.empty()) return;
    const double figure = Median(figures_), floor = Median(floors_);
    const double ratio = floor > 0 ? figure / floor : 0;
    state.counters[unit] = figure * scale;
    state.counters["floor_" + unit] = floor * scale;
    state.counters["ratio_" + unit] = ratio;
    if (goal <= 0) return;
    state.counters["goal"] = goal;
    state.counters["met_" + unit] = ratio <= goal ? 1 : 0;
  }

 private:
  std::vector<double> figures_, floors_;
};

}  // namespace dxl::bench
