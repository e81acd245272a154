#include "bench/BenchReport.h"

#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <fstream>
#include <limits>
#include <sstream>

namespace QRX {
namespace Bench {

namespace {

std::FILE* g_report = stdout;

std::string JsonString(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned char>(c));
            out += buffer;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// JSON has no NaN or infinity: they are written as null.
std::string JsonNumber(double value)
{
    if (!std::isfinite(value)) return "null";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.9g", value);
    return buffer;
}

} // namespace

double Now()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

std::int64_t MonotonicNanoseconds()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<std::int64_t>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

namespace {

// A series with a missing round (NaN) has no median, min or max.
bool Incomplete(const std::vector<double>& values)
{
    return values.empty() || std::any_of(values.begin(), values.end(), [](double v) { return std::isnan(v); });
}

} // namespace

double Series::Median() const
{
    if (Incomplete(m_values)) return std::numeric_limits<double>::quiet_NaN();
    std::vector<double> sorted = m_values;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t n = sorted.size();
    return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2.0;
}

double Series::Min() const
{
    if (Incomplete(m_values)) return std::numeric_limits<double>::quiet_NaN();
    return *std::min_element(m_values.begin(), m_values.end());
}

double Series::Max() const
{
    if (Incomplete(m_values)) return std::numeric_limits<double>::quiet_NaN();
    return *std::max_element(m_values.begin(), m_values.end());
}

Series Ratios(const Series& values, const Series& references)
{
    Series ratios;
    const std::size_t n = std::min(values.Count(), references.Count());
    for (std::size_t i = 0; i < n; ++i) ratios.Add(values.Values()[i] / references.Values()[i]);
    return ratios;
}

std::string Fixed(double value, int decimals)
{
    if (std::isnan(value)) return "-";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

std::string Spread(const Series& series, int decimals)
{
    if (series.Empty()) return "-";
    if (series.Count() == 1) return Fixed(series.Median(), decimals);
    return Fixed(series.Median(), decimals) + " [" + Fixed(series.Min(), decimals) + "-" +
           Fixed(series.Max(), decimals) + "]";
}

void Table::Print(std::FILE* out) const
{
    std::vector<std::size_t> widths(m_header.size(), 0);
    auto widen = [&widths](const std::vector<std::string>& cells) {
        if (widths.size() < cells.size()) widths.resize(cells.size(), 0);
        for (std::size_t i = 0; i < cells.size(); ++i) widths[i] = std::max(widths[i], cells[i].size());
    };
    widen(m_header);
    for (const auto& row : m_rows) widen(row);

    auto line = [&](const std::vector<std::string>& cells) {
        std::string text = " ";
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const std::string pad(widths[i] - cells[i].size(), ' ');
            text += i < m_textColumns ? cells[i] + pad : pad + cells[i];
            if (i + 1 < cells.size()) text += "  ";
        }
        std::fprintf(out, "%s\n", text.c_str());
    };
    std::fprintf(out, "\n%s\n", m_title.c_str());
    if (!m_header.empty()) {
        line(m_header);
        std::size_t total = 0;
        for (std::size_t w : widths) total += w + 2;
        std::fprintf(out, " %s\n", std::string(total > 2 ? total - 2 : 0, '-').c_str());
    }
    for (const auto& row : m_rows) line(row);
    for (const auto& note : m_notes) std::fprintf(out, " %s\n", note.c_str());
    std::fflush(out);
}

void Figures::Add(const std::string& section, const std::string& name, double value, const std::string& unit)
{
    m_figures.push_back(Figure{section, name, value, unit});
}

void Figures::AddSeries(const std::string& section, const std::string& name, const Series& series,
                        const std::string& unit)
{
    Add(section, name + "/median", series.Median(), unit);
    Add(section, name + "/min", series.Min(), unit);
    Add(section, name + "/max", series.Max(), unit);
}

std::vector<Figure> Figures::NotFinite() const
{
    std::vector<Figure> bad;
    for (const Figure& figure : m_figures)
        if (!std::isfinite(figure.value)) bad.push_back(figure);
    return bad;
}

bool Figures::WriteJson(const std::string& path, const std::string& mode, int rounds,
                        const std::vector<std::string>& sections) const
{
    std::ostringstream json;
    json << "{\n  \"program\": \"zendra-bench\",\n";
    json << "  \"mode\": " << JsonString(mode) << ",\n";
    json << "  \"rounds\": " << rounds << ",\n";
    json << "  \"finished\": " << JsonNumber(static_cast<double>(::time(nullptr))) << ",\n";
    json << "  \"sections\": [";
    for (std::size_t i = 0; i < sections.size(); ++i) json << (i ? ", " : "") << JsonString(sections[i]);
    json << "],\n  \"figures\": [\n";
    for (std::size_t i = 0; i < m_figures.size(); ++i) {
        const Figure& f = m_figures[i];
        json << "    {\"section\": " << JsonString(f.section) << ", \"name\": " << JsonString(f.name)
             << ", \"value\": " << JsonNumber(f.value) << ", \"unit\": " << JsonString(f.unit) << "}"
             << (i + 1 < m_figures.size() ? "," : "") << "\n";
    }
    json << "  ]\n}\n";

    // Written beside and renamed, so a failed run leaves the last good copy.
    const std::string temporary = path + ".tmp";
    {
        std::ofstream file(temporary, std::ios::trunc);
        if (!file) return false;
        file << json.str();
        if (!file.good()) return false;
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

std::FILE* ReportStream() { return g_report; }

void SetReportStream(std::FILE* stream) { g_report = stream ? stream : stdout; }

void Progress(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::fputs("  .. ", g_report);
    std::vfprintf(g_report, format, args);
    std::fputc('\n', g_report);
    va_end(args);
    std::fflush(g_report);
}

} // namespace Bench
} // namespace QRX
