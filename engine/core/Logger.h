// The activity log and assertions.
//
// Every report goes to the HTML page "SystemActivity.html" in the documents
// folder's "Orvanta/Zendra/" (rewritten at every start), is echoed to standard
// output as "[LOG] LEVEL - message" (the level coloured when stdout is a
// terminal), and to the in-game console while it exists (page-only reports,
// LogPageReport, skip the echo: a logger connects the tweak-bar library's
// failure report to them as it opens). Reports are written
// through the QRX_LOG macros, which set the location first; assertions through
// QRX_ASSERT, which logs the failure at ERROR and shows a dialog chosen by the
// severity and by debugger presence. Both macros are harmless when no logger
// exists (before the logger is made at start-up and after shut-down).
#pragma once
#include <cstdarg>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>

#include "engine/platform/SourceLocation.h"

namespace QRX {

enum LogLevel { LOG_DEBUG = 0, LOG_INFO = 1, LOG_WARNING = 2, LOG_ERROR = 3 };

class Logger
{
public:
    // Formatting buffer of one message; longer messages are cut to one less.
    static constexpr size_t MESSAGE_BUFFER_SIZE = 16384;
    static constexpr const char* LOG_FILE_NAME = "SystemActivity.html";

    // Opens (truncating) the page in the documents folder and writes its head,
    // the session heading and the first entry. A folder that cannot be made or
    // written leaves the logger with a failed stream: it then writes nothing.
    Logger();
    // Writes "Logging System Terminated." and the closing tags, closes the page.
    ~Logger();
    Logger(const Logger&) = delete;
    Logger& operator=(const Logger&) = delete;

    // Sets the location consumed by the next WriteToFile and WriteToConsole.
    void SetLocation(const std::string& function, const std::string& file, int line);
    // Writes one page entry at the level (when enabled); printf-style format.
    void WriteToFile(int level, const char* format, ...) __attribute__((format(printf, 3, 4)));
    void WriteToFileV(int level, const char* format, va_list args);
    // Echoes a report to stdout (and the in-game console) at the stored level.
    void WriteToConsole(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void WriteToConsoleV(const char* format, va_list args);
    // Writes an entry whose text is used as is, not as a format.
    void WriteTextToFile(int level, const std::string& text);
    void WriteTextToConsole(const std::string& text);
    // Hands a report's message to the door's log echo (the in-game console),
    // one line at a time; without an echo the message goes nowhere else.
    static void EchoToGameConsole(const std::string& message);

    // Shows the assertion dialog; true when the user chose to break.
    // Ends the process (exit -1) where the dialog table says so.
    bool ShowAssertDialog(int severity, const std::string& text);

    // Writes "\n</body>\n</html>" and a line end, leaving the file open.
    void WriteClosingTags();

    // hh:mm:ss of the clock (UTC + 8 hours).
    static std::string GetTime();
    // "Mmm dd, yyyy" of the UTC date.
    static std::string GetDate();
    // Replaces the clock (tests); an empty function restores time().
    static void SetTimeSource(std::function<std::time_t()> source);
    // Overrides whether a dialog may be shown (tests): -1 asks the window.
    static void SetDialogAvailableOverride(int value);

    // Turns line breaks into "<br />" and leading blanks of each finished line
    // into "&nbsp;", as the page shows entries.
    static std::string RewriteLineBreaks(const std::string& entry);

    bool IsEnabled() const { return m_enabled; }
    void SetEnabled(bool enabled) { m_enabled = enabled; }
    int GetLevel() const { return m_level; }
    bool IsOpen() const { return m_stream.is_open() && m_stream.good(); }
    const std::string& GetPath() const { return m_path; }

private:
    void ClearLocation();
    void WriteEntryText(const std::string& text);

    std::ofstream m_stream;
    int m_level;
    std::string m_file;
    int m_line;
    std::string m_function;
    bool m_enabled;
    std::string m_path;
};

// The System's logger, or null before it exists and after shut-down.
Logger* ActiveLogger();

// One report at a level from the calling location; does nothing without a logger.
void LogReport(int level, const char* function, const char* file, int line, const char* format, ...)
    __attribute__((format(printf, 5, 6)));
// The same report written to the page alone, without console echo (the
// tweak-bar library's messages); does nothing without a logger.
void LogPageReport(int level, const char* function, const char* file, int line, const char* format, ...)
    __attribute__((format(printf, 5, 6)));

// The assertion: builds the text, logs it, shows the dialog, traps on break.
void AssertFailed(int severity, const char* condition, const char* function, const char* file,
                  int line, const std::string& message);

// The text of a failed assertion, exactly as logged.
std::string BuildAssertText(const char* condition, const std::string& functionName,
                            const char* file, int line, const std::string& message);

} // namespace QRX

#define QRX_LOG(level, ...) ::QRX::LogReport((level), QRX_FUNCTION, __FILE__, __LINE__, __VA_ARGS__)
#define QRX_LOG_DEBUG(...) QRX_LOG(::QRX::LOG_DEBUG, __VA_ARGS__)
#define QRX_LOG_INFO(...) QRX_LOG(::QRX::LOG_INFO, __VA_ARGS__)
#define QRX_LOG_WARNING(...) QRX_LOG(::QRX::LOG_WARNING, __VA_ARGS__)
#define QRX_LOG_ERROR(...) QRX_LOG(::QRX::LOG_ERROR, __VA_ARGS__)

// Checks a condition; on failure reports it at ERROR and shows the dialog of
// the severity (0, 1 or 2 fatal). Execution goes on after the check unless the
// dialog ends the process.
#define QRX_ASSERT(condition, severity, message)                                              \
    do {                                                                                      \
        if (!(condition))                                                                     \
            ::QRX::AssertFailed((severity), #condition, QRX_FUNCTION, __FILE__, __LINE__,     \
                                (message));                                                   \
    } while (0)
