#include "engine/core/Logger.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "engine/core/EngineDoor.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/platform/ConsoleText.h"
#include "engine/platform/Debugger.h"
#include "engine/platform/Documents.h"
#include "engine/platform/MessageBox.h"
#include "engine/platform/tweakbar/TweakBar.h"

namespace QRX {

namespace {

std::function<std::time_t()> g_timeSource;
int g_dialogOverride = -1;

const char* const PAGE_HEAD =
    "<!DOCTYPE html PUBLIC \"-//W3C//DTD XHTML 1.0 Transitional//EN\" "
    "\"http://www.w3.org/TR/xhtml1/DTD/xhtml1-transitional.dtd\">\n"
    "<html xmlns=\"http://www.w3.org/1999/xhtml\">\n"
    "<head>\n"
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\" />\n"
    "<title>Corvath's Log</title>\n"
    "<style type=\"text/css\">\n"
    "div.hr {\n"
    "width: 90%;\n"
    "height: 1px;\n"
    "background: #d7d7d7;\n"
    "line-height: 1px;\n"
    "font-size: 1px;\n"
    "}\n"
    "</style>\n"
    "</head>\n"
    "\n"
    "<body>\n";

const char* BackgroundOf(int level)
{
    switch (level) {
    case LOG_DEBUG: return "ffffff";
    case LOG_INFO: return "ebf5ff";
    case LOG_WARNING: return "ffffc8";
    case LOG_ERROR: return "ffebeb";
    default: return "";
    }
}

const char* LabelOf(int level)
{
    switch (level) {
    case LOG_DEBUG: return " <strong>DEBUG</strong> -";
    case LOG_INFO: return " <span style=\"color: #004ef0;\"><strong>INFO</strong></span> -";
    case LOG_WARNING: return " <span style=\"color: #ffff00;\"><strong>WARNING</strong></span> -";
    case LOG_ERROR: return " <span style=\"color: #ff2776;\"><strong>ERROR</strong></span> -";
    default: return "";
    }
}

const char* NameOf(int level)
{
    switch (level) {
    case LOG_DEBUG: return "DEBUG";
    case LOG_INFO: return "INFO";
    case LOG_WARNING: return "WARNING";
    case LOG_ERROR: return "ERROR";
    default: return "";
    }
}

int ConsoleAttributesOf(int level)
{
    switch (level) {
    case LOG_DEBUG: return 0xF0;
    case LOG_INFO: return 0xF9;
    case LOG_WARNING: return 0xF6;
    case LOG_ERROR: return 0xFC;
    default: return -1;
    }
}

// The clock's asctime-form text: UTC with 8 added to the hour (day unchanged).
std::string ClockText()
{
    std::time_t now = g_timeSource ? g_timeSource() : std::time(nullptr);
    std::tm t{};
    gmtime_r(&now, &t);
    t.tm_hour = (t.tm_hour + 8) % 24;
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s %s %02d %02d:%02d:%02d %d\n", days[t.tm_wday % 7],
                  months[t.tm_mon % 12], t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec,
                  t.tm_year + 1900);
    return buf;
}

std::string Format(const char* format, va_list args)
{
    char buffer[Logger::MESSAGE_BUFFER_SIZE];
    std::vsnprintf(buffer, sizeof buffer, format ? format : "", args);
    return buffer;
}

bool DialogAvailable()
{
    if (g_dialogOverride >= 0) return g_dialogOverride != 0;
    // Dialogs need the window, and never cover a full-screen one.
    System* system = System::PeekInstance();
    return system && system->window && !system->window->IsFullscreen();
}

// A started tweak-bar library's failure, on the page alone.
void ReportTweakBarFailure(const char* call, const char* file, int line, const std::string& reason)
{
    LogPageReport(LOG_WARNING, call, file, line, "Tweak bar: %s", reason.c_str());
}

} // namespace

Logger::Logger() : m_level(LOG_INFO), m_line(0), m_enabled(true)
{
    // The tweak-bar library sits on the platform, below the logger: its
    // failures reach the page through its own report.
    TwSetFailureReport(ReportTweakBarFailure);
    std::string docs = Platform::GetDocumentsFolder();
    m_path = docs + "/Orvanta/Zendra/" + LOG_FILE_NAME;
    m_stream.open(m_path, std::ios::out | std::ios::trunc);
    if (!m_stream.is_open()) {
        Platform::MakeDirectory(docs + "/Orvanta");
        Platform::MakeDirectory(docs + "/Orvanta/Zendra");
        m_stream.clear();
        m_stream.open(m_path, std::ios::out | std::ios::trunc);
    }
    if (!m_stream.is_open()) return;
    m_stream << PAGE_HEAD;
    m_stream << "<h2>Session started on " << GetDate() << "</h2>" << std::endl;
    WriteToFile(LOG_INFO, "%s opened successfully.", LOG_FILE_NAME);
}

Logger::~Logger()
{
    WriteToFile(LOG_INFO, "Logging System Terminated.");
    if (m_stream.is_open()) {
        m_stream << "\n</body>\n</html>";
        m_stream.close();
    }
}

void Logger::SetLocation(const std::string& function, const std::string& file, int line)
{
    m_function = function;
    m_file = Platform::BareFileName(file.c_str());
    m_line = line;
}

void Logger::ClearLocation()
{
    m_file.clear();
    m_function.clear();
    m_line = 0;
}

void Logger::WriteToFile(int level, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    WriteToFileV(level, format, args);
    va_end(args);
}

void Logger::WriteToFileV(int level, const char* format, va_list args)
{
    m_level = level;
    if (!m_enabled) return;
    WriteEntryText(Format(format, args));
}

void Logger::WriteTextToFile(int level, const std::string& text)
{
    m_level = level;
    if (!m_enabled) return;
    WriteEntryText(text.substr(0, MESSAGE_BUFFER_SIZE - 1));
}

void Logger::WriteEntryText(const std::string& message)
{
    std::string entry = "<span style=\"background-color: #";
    entry += BackgroundOf(m_level);
    entry += ";\">";
    entry += "[" + GetTime() + "]";
    if (m_line != 0)
        entry += " [" + m_file + ":" + std::to_string(m_line) + "|" + m_function + "]";
    entry += LabelOf(m_level);
    entry += " ";
    entry += message;
    entry += "</span><br />";
    entry = RewriteLineBreaks(entry);

    m_stream << entry << "\n<div class=\"hr\"></div>" << std::endl;
    if (m_stream.fail()) {
        m_stream.clear();
        m_stream << "ERROR WRITING INPUT PARAM TO OUTPUT FILELOG." << std::endl;
    }
    ClearLocation();
}

std::string Logger::RewriteLineBreaks(const std::string& entry)
{
    std::string out;
    out.reserve(entry.size() + 64);
    size_t lineStart = 0;
    for (size_t i = 0; i < entry.size(); ++i) {
        if (entry[i] != '\n') continue;
        // The finished line: leading blanks become &nbsp;.
        std::string line = entry.substr(lineStart, i - lineStart);
        size_t blanks = 0;
        while (blanks < line.size() && line[blanks] == ' ') ++blanks;
        for (size_t b = 0; b < blanks; ++b) out += "&nbsp;";
        out += line.substr(blanks);
        out += "<br />\n";
        lineStart = i + 1;
    }
    out += entry.substr(lineStart);
    return out;
}

void Logger::WriteToConsole(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    WriteToConsoleV(format, args);
    va_end(args);
}

void Logger::WriteToConsoleV(const char* format, va_list args)
{
    WriteTextToConsole(Format(format, args));
}

void Logger::WriteTextToConsole(const std::string& message)
{
    std::uint16_t saved = Platform::GetConsoleTextAttributes();
    int attributes = ConsoleAttributesOf(m_level);
    if (attributes >= 0) Platform::SetConsoleTextAttributes(static_cast<std::uint16_t>(attributes));
    std::fputs("[LOG] ", stdout);
    std::fputs(NameOf(m_level), stdout);
    Platform::SetConsoleTextAttributes(saved);

    std::string text = " - " + message.substr(0, MESSAGE_BUFFER_SIZE - 1) + "\n";
    Platform::SetConsoleTextAttributes(0x0F);
    std::fputs(text.c_str(), stdout);
    Platform::SetConsoleTextAttributes(saved);
    std::fflush(stdout);
    EchoToGameConsole(message.substr(0, MESSAGE_BUFFER_SIZE - 1));
    ClearLocation();
}

void Logger::EchoToGameConsole(const std::string& message)
{
    const std::function<void(const std::string&)>& echo = Door().logEcho;
    if (!echo) return;
    // One output line per text line: a newline ends a line, so a message
    // that ends with one has no empty line after it.
    const size_t end = !message.empty() && message.back() == '\n' ? message.size() - 1 : message.size();
    size_t start = 0;
    while (true) {
        const size_t newline = message.find('\n', start);
        if (newline == std::string::npos || newline >= end) {
            echo(message.substr(start, end - start));
            return;
        }
        echo(message.substr(start, newline - start));
        start = newline + 1;
    }
}

void Logger::WriteClosingTags()
{
    m_stream << "\n</body>\n</html>" << std::endl;
}

bool Logger::ShowAssertDialog(int severity, const std::string& text)
{
    if (!DialogAvailable()) return false;
    if (severity < 0 || severity > 2) return false;

    const bool debugger = Platform::IsDebuggerPresent();
    std::string body = text + "\n" +
                       "\nThis shouldn't happen! This error has been logged to file and console.\n\n";
    const char* caption = "Assertion error!";
    using namespace Platform;
    if (severity == 0) {
        if (debugger) {
            int r = ShowMessageBox(body + "Click Retry to break for debug, or Cancel to continue execution",
                                   caption, MB_RETRYCANCEL | MB_ICONINFORMATION);
            if (r == IDRETRY) { WriteClosingTags(); return true; }
            return false;
        }
        ShowMessageBox(body + "No worries, click OK to continue execution", caption, MB_OK | MB_ICONINFORMATION);
        return false;
    }
    if (severity == 1) {
        if (debugger) {
            int r = ShowMessageBox(body + "Click Abort to terminate, Retry to break for debug, or Ignore to continue execution",
                                   caption, MB_ABORTRETRYIGNORE | MB_ICONWARNING);
            if (r == IDABORT) { WriteClosingTags(); std::fflush(stdout); std::exit(-1); }
            if (r == IDRETRY) { WriteClosingTags(); return true; }
            return false;
        }
        ShowMessageBox(body + "No worries! Click ok to continue execution", caption, MB_OK | MB_ICONWARNING);
        return false;
    }
    if (debugger) {
        ShowMessageBox(body + "Fatal Error! Click OK to start debugging", caption, MB_OK | MB_ICONERROR);
        WriteClosingTags();
        return true;
    }
    ShowMessageBox(body + "Fatal Error! Game will now have to terminate", caption, MB_OK | MB_ICONERROR);
    WriteClosingTags();
    std::fflush(stdout);
    std::exit(-1);
}

std::string Logger::GetTime()
{
    std::string s = ClockText();
    s.erase(0, 11);
    s.erase(8, 5);
    s.erase(s.size() - 1);
    return s;
}

std::string Logger::GetDate()
{
    std::string s = ClockText();
    s.erase(0, 4);
    s.erase(6, 9);
    s.erase(s.size() - 1);
    s.insert(6, ",");
    return s;
}

void Logger::SetTimeSource(std::function<std::time_t()> source) { g_timeSource = std::move(source); }

void Logger::SetDialogAvailableOverride(int value) { g_dialogOverride = value; }

Logger* ActiveLogger()
{
    System* system = System::PeekInstance();
    return system ? system->logger : nullptr;
}

void LogReport(int level, const char* function, const char* file, int line, const char* format, ...)
{
    Logger* logger = ActiveLogger();
    if (!logger) return;
    std::string name = Platform::QualifiedFunctionName(function);
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    logger->SetLocation(name, file, line);
    logger->WriteToFileV(level, format, args);
    logger->SetLocation(name, file, line);
    logger->WriteToConsoleV(format, copy);
    va_end(copy);
    va_end(args);
}

void LogPageReport(int level, const char* function, const char* file, int line, const char* format, ...)
{
    Logger* logger = ActiveLogger();
    if (!logger) return;
    va_list args;
    va_start(args, format);
    logger->SetLocation(Platform::QualifiedFunctionName(function), file, line);
    logger->WriteToFileV(level, format, args);
    va_end(args);
}

std::string BuildAssertText(const char* condition, const std::string& functionName, const char* file,
                            int line, const std::string& message)
{
    return std::string("Assertion failure occurred!\n\n") + "Location: " + (file ? file : "") + ":" +
           std::to_string(line) + " in " + functionName + " function\n\n" +
           "Failed Condition: " + (condition ? condition : "") + "\n" + "Additional Info: " + message;
}

void AssertFailed(int severity, const char* condition, const char* function, const char* file, int line,
                  const std::string& message)
{
    std::string name = Platform::QualifiedFunctionName(function);
    std::string text = BuildAssertText(condition, name, file, line, message);
    Logger* logger = ActiveLogger();
    if (!logger) {
        std::fprintf(stderr, "%s\n", text.c_str());
        return;
    }
    logger->SetLocation(name, file, line);
    logger->WriteTextToFile(LOG_ERROR, text);
    logger->SetLocation(name, file, line);
    logger->WriteTextToConsole(text);
    logger->SetLocation(name, file, line);
    if (logger->ShowAssertDialog(severity, text)) Platform::DebugBreak();
}

} // namespace QRX
