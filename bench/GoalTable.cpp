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

Verdict GoalRow::Judge() const {
    if (!figure.value)
        return figure.skipped ? Verdict::Skipped : Verdict::NotMeasured;
    const bool met = atLeast ? *figure.value >= limit : *figure.value <= limit;
    return met ? Verdict::Met : Verdict::Missed;
}

std::string Render(const std::vector<GoalRow>& rows) {
    std::string table;
    char line[256];
    std::snprintf(line, sizeof line, "%-44s %14s %14s  %s\n", "goal", "figure", "limit", "verdict");
    table += line;
    for (const GoalRow& row : rows) {
        const std::string figure =
            row.figure.value ? Format(*row.figure.value, row.decimals) + " " + row.unit : "-";
        const std::string limit = std::string(row.atLeast ? ">= " : "<= ") +
                                  Format(row.limit, row.decimals) + " " + row.unit;
        std::snprintf(line, sizeof line, "%-44s %14s %14s  %s", row.what.c_str(), figure.c_str(),
                      limit.c_str(), Name(row.Judge()));
        table += line;
        if (!row.figure.value && !row.figure.note.empty())
            table += " (" + row.figure.note + ")";
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
