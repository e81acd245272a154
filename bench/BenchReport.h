// What every benchmark section shares: the clock, series of rounds, the
// printed tables and the figures of the run.
//
// Rules:
// - Machines are shared and noisy: a figure is the median of several rounds,
//   printed with the rounds' min and max. A speed figure is a ratio to a
//   reference measured in the same run, in the same rounds (interleaved);
//   the absolute times are printed beside it.
// - Every figure the run prints is also recorded (Figures) so that the run
//   can be written as JSON and two runs compared, and so that the smoke run
//   can check that each figure was produced and is finite.
// - Tables go to the report stream (the terminal); the engine's own log
//   lines go elsewhere (see BenchMain.cpp).
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace QRX {
namespace Bench {

// Seconds on the monotonic clock.
double Now();
// Nanoseconds on CLOCK_MONOTONIC, comparable between processes.
std::int64_t MonotonicNanoseconds();

// The values of one quantity over the rounds of a run.
class Series
{
public:
    void Add(double value) { m_values.push_back(value); }
    bool Empty() const { return m_values.empty(); }
    std::size_t Count() const { return m_values.size(); }
    // Median, min and max; NaN for an empty series or one with a NaN round.
    double Median() const;
    double Min() const;
    double Max() const;
    const std::vector<double>& Values() const { return m_values; }

private:
    std::vector<double> m_values;
};

// The value / reference of each round (rounds paired by index).
Series Ratios(const Series& values, const Series& references);

// Numbers as the tables print them.
std::string Fixed(double value, int decimals);
// "median [min-max]" of a series, with the given decimals.
std::string Spread(const Series& series, int decimals);

// A table printed with aligned columns: a title, a header row and rows.
class Table
{
public:
    explicit Table(std::string title) : m_title(std::move(title)) {}
    void Header(std::vector<std::string> cells) { m_header = std::move(cells); }
    // How many leading columns hold text (left-aligned); the rest are
    // numbers (right-aligned). One by default.
    void TextColumns(std::size_t count) { m_textColumns = count; }
    void Row(std::vector<std::string> cells) { m_rows.push_back(std::move(cells)); }
    // A line under the table (what a column means, notes).
    void Note(std::string text) { m_notes.push_back(std::move(text)); }
    void Print(std::FILE* out) const;

private:
    std::string m_title;
    std::vector<std::string> m_header;
    std::vector<std::vector<std::string>> m_rows;
    std::vector<std::string> m_notes;
    std::size_t m_textColumns = 1;
};

// One recorded figure: its section, its name within it, value and unit.
struct Figure
{
    std::string section;
    std::string name;
    double value = 0.0;
    std::string unit;
};

// The figures of the run, in the order they were recorded.
class Figures
{
public:
    void Add(const std::string& section, const std::string& name, double value, const std::string& unit);
    // Adds name + "/median", "/min" and "/max" of a series.
    void AddSeries(const std::string& section, const std::string& name, const Series& series,
                   const std::string& unit);
    // The figures that are not finite (NaN or infinite).
    std::vector<Figure> NotFinite() const;
    std::size_t Count() const { return m_figures.size(); }
    // Writes the run as JSON; false when the file cannot be written.
    bool WriteJson(const std::string& path, const std::string& mode, int rounds,
                   const std::vector<std::string>& sections) const;

private:
    std::vector<Figure> m_figures;
};

// The settings every section reads.
struct Settings
{
    bool smoke = false;  // tiny sizes, one round: proves the program runs
    int rounds = 5;
};

// The stream the tables are printed to (the terminal).
std::FILE* ReportStream();
void SetReportStream(std::FILE* stream);
// A progress line on the report stream (what the run is doing now).
void Progress(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace Bench
} // namespace QRX
