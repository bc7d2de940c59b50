#pragma once
// The benchmarks' goals in one table: each figure beside its goal and a verdict. Figures come
// from the files the benchmarks leave in one directory: Google Benchmark's JSON output
// (<name>.json) and the desktop benchmark's figure lines (<name>.figures: `<key> <value>`, or
// `<key> skipped <reason>` / `<key> failed <reason>`).

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace bench {

// A figure, or why there is none.
struct Figure {
    std::optional<double> value;
    bool skipped = false; // its tools are missing: said, not counted as a failure
    std::string note;
};

class Figures {
public:
    void Set(const std::string& key, double value) { figures_[key].value = value; }
    // Reads figure lines; the keys get `prefix` + "/".
    void ReadLines(const std::string& prefix, const std::string& text);
    // Reads Google Benchmark JSON: `<prefix>/<benchmark name>` is the real time in
    // microseconds, of each repetition's aggregate as named (…_median).
    void ReadBenchmarkJson(const std::string& prefix, const std::string& json);
    // Every *.figures and *.json file of `dir`.
    void ReadDirectory(const std::string& dir);
    Figure Get(const std::string& key) const;

private:
    std::map<std::string, Figure> figures_;
};

enum class Verdict { Met, Missed, Skipped, NotMeasured };

// What a goal's limit applies to: the figure itself, or the figure divided by its floor.
enum class LimitOn { Figure, FloorRatio };

struct GoalRow {
    std::string what;
    Figure figure;
    std::string unit; // printed after the figure, its floor and a limit on the figure
    double limit = 0;
    bool atLeast = false; // the figure must reach the limit instead of staying under it
    int decimals = 1;
    // What the platform allows for the same job, in the figure's unit; none where no floor is
    // measured (a row without a floor shows "-" beside it).
    std::optional<Figure> floor = std::nullopt;
    LimitOn limitOn = LimitOn::Figure;
    // The figure divided by its floor, when both were measured.
    std::optional<double> FloorRatio() const;
    Verdict Judge() const;
};

// A figure computed from two others (a ratio), keeping the first failure's note.
Figure Ratio(const Figure& numerator, const Figure& denominator);

std::string Render(const std::vector<GoalRow>& rows);
// 0 when every goal is met or skipped, 1 otherwise.
int ExitCode(const std::vector<GoalRow>& rows);

} // namespace bench
