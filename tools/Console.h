// The in-game developer console.
//
// One console exists for the whole run: the System makes it before every
// other manager and deletes it at shut-down. It is a text panel that the
// grave-accent key opens and closes (Escape also closes it), a one-line input
// with a history, a list of output lines that scrolls, a command interpreter
// and a frame-rate graph. Every game state calls Load from its own Load (the
// panel object GAMECONSOLE and the graph object FPSGRAPH are made once, as
// persistent objects, and live to shut-down) and Update from its own Update;
// the renderer draws the panel and calls Draw while the console is open and
// DrawFPSGraph while the graph shows; the logger hands every report to Print
// once the panel object exists, open or not.
//
// Rules:
// - While open the console has the keyboard: the game sees no key (see
//   InputManager::SetKeyboardTaken) until the frame after it closes, so the
//   Escape that closes it opens no pause menu.
// - A frame's keys and characters are taken in the order they were typed:
//   what came before the toggle key, Enter or Escape belongs to the line (or
//   the game) as it was then; the character the toggle key itself makes is
//   never typed. The characters the console takes are claimed, the others
//   are left to the game (a menu's name field).
// - The output keeps at most LINE_LIMIT lines: a new line drops the oldest.
// - An output line too wide for the panel is drawn on as many rows as it
//   needs, broken after a blank where one lets a row fill at least half.
//   Scrolling still counts whole lines: the rows show whole lines, from the
//   newest the view reaches back, except a line taller than the panel, whose
//   last rows show.
// - A submitted line is echoed as "] " + line; a line longer than WRAP_WIDTH
//   is echoed as "] " alone followed by pieces of WRAP_WIDTH characters.
// - The history keeps every submitted line (runs of equal neighbours
//   collapse to one on Enter); one cursor, shared by all callers, walks it.
// - Commands never fail loudly: an unknown line prints "Unknown command: " +
//   line, bad arguments print their own message, a missing level file is
//   logged at ERROR (and so reaches the output through the logger).
// - "goto" never writes a level file. With the level editor open (also under
//   its pause menu) and unsaved changes, a goto, edit, restart, reload or quit
//   that would drop them only says so; the same line entered next goes on
//   without them. While the editor is open, "save" and "goto" alone work on
//   the level being edited, not on a menu over it. A "goto" that names the
//   level being played (also under its pause menu) starts it again from its
//   file.
// - A display object that could not be made stays null: the graph sampling
//   and drawing that need it are skipped.
// - The panel text is laid out in pixels from the window centre (y up) in
//   the font CONSOLE_FONT_ID; its size keeps a full row inside the panel.
// - The panel and the graph stay inside the window at every size (without a
//   window, one of the layout size): the panel where it is laid out, in a
//   smaller window moved left as far as it needs and down to keep its gap
//   under the top edge (clear of a level's name and time); the graph in the
//   window's bottom right corner, where it covers least of a level or a menu,
//   GRAPH_SIZE across in a window of the layout's height and in proportion
//   to the height in others.
#pragma once
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include <glm/glm.hpp>

namespace QRX {

class GameObject;

class Console
{
public:
    // Output lines kept; also the largest scroll offset.
    static constexpr unsigned LINE_LIMIT = 2600;
    // Characters per echoed line.
    static constexpr int WRAP_WIDTH = 66;
    // Output rows drawn at once, and their spacing in pixels.
    static constexpr int VISIBLE_ROWS = 26;
    static constexpr float ROW_HEIGHT = 17.0f;
    // The input row shows at most this many of the last characters typed.
    static constexpr size_t INPUT_SHOWN = 65;
    static constexpr const char* INPUT_PREFIX = " > ";
    static constexpr const char* ECHO_PREFIX = "] ";
    // The text panel: centre and size in user-interface pixels.
    static constexpr float PANEL_CENTRE_X = 130.0f;
    static constexpr float PANEL_CENTRE_Y = 40.0f;
    static constexpr float PANEL_SIZE = 512.0f;
    // Where rows sit relative to the panel's edges.
    static constexpr float INPUT_OFFSET_X = 30.0f;   // from the left edge
    static constexpr float INPUT_OFFSET_Y = 59.0f;   // from the bottom edge
    static constexpr float OUTPUT_OFFSET_X = 40.0f;  // from the left edge
    static constexpr const char* CONSOLE_FONT_ID = "console";
    static constexpr const char* GRAPH_FONT_ID = "default";
    // Colour-table indices of the input row and the output rows.
    static constexpr int INPUT_COLOR = 11;
    static constexpr int OUTPUT_COLOR = 7;
    // A row's text ends this far inside the panel's backing.
    static constexpr float ROW_RIGHT_MARGIN = 20.0f;
    // Where the display objects go, and their size: the panel's backing as
    // laid out, and the graph's backing, whose samples start at its origin.
    static constexpr float OBJECT_SIZE = 512.0f;
    static constexpr float CONSOLE_OBJECT_X = 150.0f;
    static constexpr float CONSOLE_OBJECT_Y = 80.0f;
    static constexpr float CONSOLE_OBJECT_Z = -2.0f;
    static constexpr float GRAPH_SIZE = 256.0f;
    static constexpr float GRAPH_OBJECT_Z = -3.0f;
    static constexpr float GRAPH_ORIGIN_X = -20.0f;  // from the backing's centre
    static constexpr float GRAPH_ORIGIN_Y = -60.0f;
    // Both keep this far inside the window's edges.
    static constexpr float WINDOW_MARGIN = 8.0f;
    // The graph: samples kept, seconds between samples, frame-time cap of the
    // sampling, the height of a sample above the origin for a frame time t
    // (GRAPH_RATE_SCALE / t), the colour thresholds (times the threshold
    // factor), the segment step (graph scale x times GRAPH_STEP_FACTOR), and
    // the rate text's offset from the origin.
    static constexpr size_t GRAPH_SAMPLES = 11;
    static constexpr float GRAPH_INTERVAL = 0.5f;
    static constexpr float GRAPH_FRAME_CAP = 0.05f;
    static constexpr float GRAPH_RATE_SCALE = 2.0f;
    static constexpr float GRAPH_GREEN_ABOVE = 30.0f;
    static constexpr float GRAPH_YELLOW_ABOVE = 15.0f;
    static constexpr float GRAPH_STEP_FACTOR = 0.9f * 0.5f * 0.1f;
    static constexpr float GRAPH_DEPTH_OFFSET = 0.01f;
    static constexpr float GRAPH_LINE_WIDTH = 1.0f;
    static constexpr float GRAPH_TEXT_OFFSET_X = -70.0f;
    static constexpr float GRAPH_TEXT_OFFSET_Y = -30.0f;

    // One line of text to queue: where (pixels from the window centre, y up)
    // and in which colour of the font manager's table.
    struct TextLine
    {
        std::string text;
        glm::vec2 position{0.0f};
        int colorIndex = 0;
    };

    // One graph segment, in pixels from the window centre.
    struct GraphSegment
    {
        glm::vec2 from{0.0f};
        glm::vec2 to{0.0f};
        glm::vec4 colour{1.0f};
    };

    // Closed, empty, graph off; resets the shared history cursor and sample
    // timer (one console per run; a new one starts afresh).
    Console();
    // Clears the persistent flag of both display objects (the object manager
    // reclaims them) and forgets them. Runs before the object manager goes.
    ~Console();
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    // Makes the two display objects when they do not exist yet, placing them
    // and showing them by the open flag and the graph mode. A failure logs
    // at ERROR and leaves that object (and, for the panel, the graph) null.
    void Load();
    // One frame: graph sampling, then the frame's keys and characters in
    // order: typing, Escape, the toggle key, Enter, Up, Down and the scroll
    // keys; keys down without a stroke of this frame are taken last. Needs no
    // manager: what is missing is skipped.
    void Update();
    // Appends one output line, dropping the oldest when LINE_LIMIT are held.
    void Print(const std::string& line);
    // Backspace (8) removes the last character of a non-empty input line;
    // any other character is appended.
    void TypeCharacter(char character);
    // Echoes, records and runs the input line, then empties it and scrolls
    // to the newest line. An empty input line does nothing.
    void SubmitLine();
    // Runs the command of the input line: the row of the command table that
    // names the line exactly, else the first row whose prefix it starts with.
    // Never fails: unknown lines are reported on the output.
    void ExecuteCommand();

    // One row of the command table: the lines it answers exactly, or (with a
    // prefix) every line that starts with it and is at least minLength long;
    // the lines `help` prints for it, in table order (none: not listed); and
    // what it does with the line.
    struct Command
    {
        std::vector<const char*> words;
        const char* prefix;
        size_t minLength;
        std::vector<const char*> usage;
        void (*run)(Console& console, const std::string& line);
    };
    static const std::vector<Command>& Commands();
    // The history entry of the shared cursor: k >= 1 gives the k-th newest
    // entry; 0, a negative cursor or an empty history give ""; a cursor past
    // the oldest entry is brought back to it.
    std::string GetHistoryEntry() const;
    std::string GetInput() const { return m_input; }

    // Queues the input row and the visible output rows (only called while
    // the console is open; does nothing without a font manager).
    void Draw();
    // Queues the visible output rows (see CollectLines).
    void DrawLines();
    // How wide a text is in pixels; negative when it cannot be measured.
    using TextMeasure = std::function<float(const std::string&)>;
    // The rows a line takes in `room` pixels: the longest start that fits,
    // cut after its last blank when that leaves at least half of it, and so
    // on with the rest. One row when the line cannot be measured; a row holds
    // one character at least.
    static std::vector<std::string> WrapLine(const std::string& line, float room, const TextMeasure& measure);
    // The width a row has: from its start to ROW_RIGHT_MARGIN inside the
    // panel's backing.
    float RowRoom() const;
    // The input row: INPUT_PREFIX + the last INPUT_SHOWN characters.
    TextLine InputLine() const;
    // The output rows to draw, oldest first: the lines from the newest
    // backwards whose distance from the newest is at least the scroll offset,
    // tabs expanded, each on the rows WrapLine gives it in the console font
    // (one row each without that font), while their rows fit VISIBLE_ROWS,
    // the newest in the bottom row. When none is left and the view is
    // scrolled, the offset steps back by one (a view past the oldest line
    // walks back a frame at a time).
    std::vector<TextLine> CollectLines();

    // Draws the graph segments and queues the current frame rate. Takes
    // effect once a frame however often it is called; nothing without the
    // graph object.
    void DrawFPSGraph();
    // Places the panel and the display objects for the window's size (see
    // the rules); the graph's samples move with it. Load and Update call it.
    void FitToWindow();
    // Where the graph's samples start: GRAPH_ORIGIN from its backing's centre
    // (the backing's z); 0 without the graph object.
    glm::vec3 GraphOrigin() const;
    // The segments of the graph for the samples, newest first, each moved
    // right by step x its index; coloured by the height of its newer sample
    // above the graph's origin.
    static std::vector<GraphSegment> GraphSegments(const std::deque<glm::vec2>& samples,
                                                   const glm::vec3& graphPosition, float graphScaleX,
                                                   float thresholdFactor);
    // The horizontal step between samples for a graph object's scale x.
    static int GraphStep(float graphScaleX);

    bool IsOpen() const { return m_open; }
    int GetGraphMode() const { return m_graphMode; }
    int GetMouseMode() const { return m_mouseMode; }
    bool IsDebugDraw() const { return m_debugDraw; }
    bool IsGodMode() const { return m_godMode; }
    unsigned GetScrollOffset() const { return m_scrollOffset; }
    const std::deque<std::string>& GetOutput() const { return m_output; }
    const std::vector<std::string>& GetHistory() const { return m_history; }
    const std::deque<glm::vec2>& GetGraphSamples() const { return m_graphSamples; }
    GameObject* GetConsoleObject() const { return m_consoleObject; }
    GameObject* GetGraphObject() const { return m_graphObject; }
    float LeftEdge() const { return m_panelX - m_panelWidth * 0.5f; }
    float BottomEdge() const { return m_panelY - m_panelHeight * 0.5f; }
    float TopEdge() const { return m_panelY + m_panelHeight * 0.5f; }

    // The shared history cursor (0 after every Enter).
    static int GetHistoryCursor() { return s_historyCursor; }

private:
    void SampleGraph();
    // What one key going down does (only the toggle key while closed).
    void OnKeyPressed(int key);
    void SetOpen(bool open);
    void SetGraphMode(int mode);

    // The rows of the command table that take arguments.
    void ListLevels();
    void EditWithArgument(const std::string& line);
    void EditCurrentLevel(const std::string& line);
    void RequestEditor();
    void Delete(const std::string& line);
    void Save(const std::string& line);
    void Goto(const std::string& line);
    // Whether a command may leave the editor's level (goto, edit, restart,
    // reload, quit): always while the editor is not open (under a menu it is)
    // and without unsaved changes. Otherwise it writes nothing, prints that
    // the changes are unsaved and how to keep them, and the same line entered
    // next leaves without them.
    bool MayLeaveEditor(const std::string& line);
    void Spawn(const std::string& line);
    void Password(const std::string& line);
    void PrintHelp();

    float m_panelX = PANEL_CENTRE_X;
    float m_panelY = PANEL_CENTRE_Y;
    float m_panelWidth = PANEL_SIZE;
    float m_panelHeight = PANEL_SIZE;
    int m_graphMode = 0;    // 0 off; 1 and 2 show the same graph
    int m_mouseMode = 0;    // set by "mouse"; nothing reads it
    bool m_debugDraw = false;
    bool m_godMode = false;
    bool m_open = false;
    std::deque<std::string> m_output;     // oldest first
    std::vector<std::string> m_history;   // oldest first
    std::string m_input;
    unsigned m_scrollOffset = 0;          // newest lines skipped when drawing
    std::string m_warnedLine;             // the command refused for unsaved changes by the last line
    bool m_lineRepeated = false;          // the line being run repeats it
    GameObject* m_consoleObject = nullptr;  // persistent pool object, not owned
    GameObject* m_graphObject = nullptr;    // persistent pool object, not owned
    std::deque<glm::vec2> m_graphSamples;
    float m_graphThresholdFactor = 2.0f;
    // The frame whose graph has been drawn (both the overlay and the frame's
    // end ask for it).
    bool m_graphDrawn = false;
    std::uint64_t m_graphFrame = 0;

    static int s_historyCursor;
    static float s_graphTimer;
};

// Removes blanks (spaces only) at both ends of the string in place and
// returns a copy of the result.
std::string Trim(std::string& text);
// Replaces each tab at column p by 4 - (p mod 4) blanks, left to right.
std::string ExpandTabs(const std::string& text);

// The System's console's Load and Update, when there is a console: every
// game state calls them from its own Load and Update.
void LoadConsole();
void UpdateConsole();
// Whether the System's console is open (it then has the keyboard).
bool IsConsoleOpen();

} // namespace QRX
