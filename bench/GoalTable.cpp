#include "GoalTable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace bench {

namespace {

double MicrosecondsPer(const QString& unit) {
    if (unit == QLatin1String("ns"))
        return 1e-3;
    if (unit == QLatin1String("ms"))
        return 1e3;
    if (unit == QLatin1String("s"))
        return 1e6;
    return 1;
}

std::string Format(double value, int decimals) {
    if (std::isinf(value))
        return "inf";
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

const char* Name(Verdict verdict) {
    switch (verdict) {
    case Verdict::Met:
        return "met";
    case Verdict::Missed:
        return "MISSED";
    case Verdict::Skipped:
        return "skipped";
    case Verdict::NotMeasured:
        return "NOT MEASURED";
    }
    return "";
}

} // namespace

void Figures::ReadLines(const std::string& prefix, const std::string& text) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::string key, word;
        if (!(words >> key >> word))
            continue;
        Figure& figure = figures_[prefix + "/" + key];
        if (word == "skipped" || word == "failed") {
            figure.skipped = word == "skipped";
            std::getline(words >> std::ws, figure.note);
            continue;
        }
        char* end = nullptr;
        const double value = std::strtod(word.c_str(), &end);
        if (end && *end == '\0')
            figure.value = value;
        else
            figure.note = "unreadable figure \"" + word + "\"";
    }
}

void Figures::ReadBenchmarkJson(const std::string& prefix, const std::string& json) {
    const QJsonArray runs = QJsonDocument::fromJson(QByteArray::fromStdString(json))
                                .object()
                                .value(QLatin1String("benchmarks"))
                                .toArray();
    for (const QJsonValue& entry : runs) {
        const QJsonObject run = entry.toObject();
        const std::string name = run.value(QLatin1String("name")).toString().toStdString();
        Figure& figure = figures_[prefix + "/" + name];
        if (run.contains(QLatin1String("error_message"))) {
            figure.note = run.value(QLatin1String("error_message")).toString().toStdString();
            continue;
        }
        figure.value = run.value(QLatin1String("real_time")).toDouble() *
                       MicrosecondsPer(run.value(QLatin1String("time_unit")).toString());
    }
}

void Figures::ReadDirectory(const std::string& dir) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
        const auto& path = entry.path();
        std::ifstream file(path);
        const std::string text((std::istreambuf_iterator<char>(file)), {});
        if (path.extension() == ".json")
            ReadBenchmarkJson(path.stem().string(), text);
        else if (path.extension() == ".figures")
            ReadLines(path.stem().string(), text);
    }
}

Figure Figures::Get(const std::string& key) const {
    auto found = figures_.find(key);
    if (found != figures_.end())
        return found->second;
    return Figure{std::nullopt, false, "no figure " + key};
}

Figure Ratio(const Figure& numerator, const Figure& denominator) {
    if (!numerator.value)
        return numerator;
    if (!denominator.value)
        return denominator;
    Figure ratio;
    ratio.value = *denominator.value > 0 ? *numerator.value / *denominator.value : INFINITY;
    return ratio;
}

std::optional<double> GoalRow::FloorRatio() const {
    if (!floor || !floor->value || !figure.value)
        return std::nullopt;
    return *floor->value > 0 ? *figure.value / *floor->value : INFINITY;
}

Verdict GoalRow::Judge() const {
    if (!figure.value)
        return figure.skipped ? Verdict::Skipped : Verdict::NotMeasured;
    double judged = *figure.value;
    if (limitOn == LimitOn::FloorRatio) {
        if (!floor || !floor->value)
            return floor && floor->skipped ? Verdict::Skipped : Verdict::NotMeasured;
        judged = *FloorRatio();
    }
    const bool met = atLeast ? judged >= limit : judged <= limit;
    return met ? Verdict::Met : Verdict::Missed;
}

std::string Render(const std::vector<GoalRow>& rows) {
    std::string table;
    char line[320];
    std::snprintf(line, sizeof line, "%-46s %12s %12s %8s %16s  %s\n", "goal", "figure", "floor",
                  "/ floor", "limit", "verdict");
    table += line;
    for (const GoalRow& row : rows) {
        auto withUnit = [&](const Figure& figure) {
            return figure.value ? Format(*figure.value, row.decimals) + " " + row.unit
                                : std::string("-");
        };
        const std::optional<double> ratio = row.FloorRatio();
        const std::string limit =
            std::string(row.limitOn == LimitOn::FloorRatio ? "/ floor " : "") +
            (row.atLeast ? ">= " : "<= ") +
            Format(row.limit, row.limitOn == LimitOn::FloorRatio ? 2 : row.decimals) +
            (row.limitOn == LimitOn::FloorRatio ? "" : " " + row.unit);
        std::snprintf(line, sizeof line, "%-46s %12s %12s %8s %16s  %s", row.what.c_str(),
                      withUnit(row.figure).c_str(), row.floor ? withUnit(*row.floor).c_str() : "-",
                      ratio ? Format(*ratio, 2).c_str() : "-", limit.c_str(), Name(row.Judge()));
        table += line;
        const Figure* missing = !row.figure.value                ? &row.figure
                                : row.floor && !row.floor->value ? &*row.floor
                                                                 : nullptr;
        if (missing && !missing->note.empty())
            table += " (" + missing->note + ")";
        table += "\n";
    }
    return table;
}

int ExitCode(const std::vector<GoalRow>& rows) {
    for (const GoalRow& row : rows)
        if (const Verdict verdict = row.Judge();
            verdict == Verdict::Missed || verdict == Verdict::NotMeasured)
            return 1;
    return 0;
}

} // namespace bench
