#include "tools/Console.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <iostream>
#include <sstream>

#include "engine/core/FrameRateController.h"
#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/GUIComponent.h"
#include "engine/graphics/Renderer.h"
#include "engine/graphics/UIPass.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "game/flow/LevelManager.h"
#include "tools/LevelEditor.h"

// Command errors are reported from the interpreter whichever row found them.
#define QRX_COMMAND_ERROR(...) \
    ::QRX::LogReport(::QRX::LOG_ERROR, "QRX::Console::ExecuteCommand", __FILE__, __LINE__, __VA_ARGS__)

namespace QRX {

int Console::s_historyCursor = 0;
float Console::s_graphTimer = 0.0f;

namespace {

const glm::vec4 GRAPH_GREEN(0.0f, 1.0f, 0.0f, 1.0f);
const glm::vec4 GRAPH_YELLOW(1.0f, 1.0f, 0.0f, 1.0f);
const glm::vec4 GRAPH_RED(1.0f, 0.0f, 0.0f, 1.0f);
const glm::vec4 GRAPH_WHITE(1.0f, 1.0f, 1.0f, 1.0f);

constexpr const char* NOTHING_YET = "This function does nothing, yet.";

bool StartsWith(const std::string& text, const char* head)
{
    return text.compare(0, std::char_traits<char>::length(head), head) == 0;
}

std::string ToUpper(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

GameStateManager* States() { return System::GetInstance()->gameStateManager; }

LevelManager* Levels()
{
    GameStateManager* states = States();
    return states ? states->GetLevelManager() : nullptr;
}

int CurrentState()
{
    GameStateManager* states = States();
    return states ? states->GetCurrentState() : STATE_NONE;
}

void Request(int id)
{
    if (GameStateManager* states = States()) states->RequestState(id);
}

// A goto's request: the level being played, named again, starts again.
void RequestAgain(int id)
{
    if (GameStateManager* states = States()) states->RequestStateAgain(id);
}

// The level a goto or edit names: its first word, or the words up to a
// ".xml" when they name a level file (the table's "Warm Up.xml").
std::string LevelArgument(const std::string& rest, LevelManager* levels)
{
    const size_t first = rest.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    const std::string word = rest.substr(first, rest.find(' ', first) - first);
    const size_t xml = rest.find(".xml", first);
    if (word.find(".xml") != std::string::npos || xml == std::string::npos || !levels) return word;
    const std::string file = rest.substr(first, xml + 4 - first);
    return levels->IsLevelFileFound(file) ? file : word;
}

bool IsEditorState(int id) { return id == STATE_LEVELEDITOR || id == STATE_LEVELEDITORNEXT; }

// The id the level editor runs under, also beneath a menu pushed over it
// (its pause menu is no level of its own); 0 when it is not open.
int EditingState()
{
    LevelEditor* editor = FindLevelEditor();
    return editor ? editor->GetOpenStateId() : 0;
}

bool InEditor() { return EditingState() != 0; }

// The level editor's file, which it opens when it starts.
std::string EditorFile()
{
    LevelEditor* editor = FindLevelEditor();
    return editor ? editor->GetFileName() : std::string();
}

void SetEditorFile(const std::string& file)
{
    if (LevelEditor* editor = FindLevelEditor()) editor->SetFileName(file);
}

// The frame time of the frame-rate controller (raw); 0 without one.
double RawFrameTime()
{
    FrameRateController* frames = System::GetInstance()->frameRateController;
    return frames ? frames->dt : 0.0;
}

void PlaceDisplayObject(GameObject* object, const glm::vec3& position, bool hidden)
{
    object->position = position;
    object->previousPosition = position;
    object->scale = glm::vec3(Console::OBJECT_SIZE, Console::OBJECT_SIZE, 1.0f);
    object->flags &= ~OBJ_WORLD_VALID;
    object->flags |= OBJ_PERSISTENT;
    if (hidden) object->flags |= OBJ_SKIP_DRAW;
    else object->flags &= ~OBJ_SKIP_DRAW;
}

void MoveDisplayObject(GameObject* object, const glm::vec3& position, float size)
{
    const glm::vec3 scale(size, size, 1.0f);
    if (object->position == position && object->scale == scale) return;
    object->position = position;
    object->previousPosition = position;
    object->scale = scale;
    object->flags &= ~OBJ_WORLD_VALID;
}

void SetHidden(GameObject* object, bool hidden)
{
    if (!object) return;
    if (hidden) object->flags |= OBJ_SKIP_DRAW;
    else object->flags &= ~OBJ_SKIP_DRAW;
}

} // namespace

Console::Console()
{
    s_historyCursor = 0;
    s_graphTimer = 0.0f;
}

Console::~Console()
{
    m_graphSamples.clear();
    // The objects stay in the manager's pool, which takes them back.
    for (GameObject* object : {m_consoleObject, m_graphObject})
        if (object) object->flags &= ~OBJ_PERSISTENT;
    m_consoleObject = nullptr;
    m_graphObject = nullptr;
    if (m_open) InputManager::SetKeyboardTaken(false);
}

void Console::Load()
{
    System* system = System::GetInstance();
    ObjectManager* objects = system->objectManager;

    if (!m_consoleObject) {
        m_consoleObject = objects ? objects->CreatePersistentInstance(GAMECONSOLE) : nullptr;
        if (!m_consoleObject) {
            QRX_LOG_ERROR("Problem creating console object!");
            return;
        }
        PlaceDisplayObject(m_consoleObject, glm::vec3(CONSOLE_OBJECT_X, CONSOLE_OBJECT_Y, CONSOLE_OBJECT_Z), !m_open);
    } else {
        QRX_LOG_INFO("Skipping console object creation. It appears to have existed already.");
    }

    if (!m_graphObject) {
        m_graphObject = objects ? objects->CreatePersistentInstance(FPSGRAPH) : nullptr;
        if (!m_graphObject) {
            QRX_LOG_ERROR("Problem creating FPS graph object!");
            return;
        }
        PlaceDisplayObject(m_graphObject, glm::vec3(0.0f, 0.0f, GRAPH_OBJECT_Z), m_graphMode == 0);
    } else {
        QRX_LOG_INFO("Skipping fpsgraph object creation. It appears to have existed already.");
    }
    FitToWindow();
}

void Console::FitToWindow()
{
    float width = GUIComponent::LAYOUT_WIDTH, height = GUIComponent::LAYOUT_HEIGHT;
    if (const Window* window = System::GetInstance()->window) {
        width = static_cast<float>(window->GetWidth());
        height = static_cast<float>(window->GetHeight());
    }
    // The panel as laid out; in a smaller window it moves left as far as it
    // sticks out, and down to keep the layout's gap under the top edge (where
    // a level's name and time are) as far as the bottom edge lets it.
    const float top = CONSOLE_OBJECT_Y + OBJECT_SIZE * 0.5f, bottom = CONSOLE_OBJECT_Y - OBJECT_SIZE * 0.5f;
    const float topGap = GUIComponent::LAYOUT_HEIGHT * 0.5f - top;
    const float dx = std::min(0.0f, width * 0.5f - WINDOW_MARGIN - (CONSOLE_OBJECT_X + OBJECT_SIZE * 0.5f));
    const float dy = std::min({0.0f, std::max(height * 0.5f - topGap - top, WINDOW_MARGIN - height * 0.5f - bottom),
                               height * 0.5f - WINDOW_MARGIN - top});
    m_panelX = PANEL_CENTRE_X + dx;
    m_panelY = PANEL_CENTRE_Y + dy;
    if (m_consoleObject)
        MoveDisplayObject(m_consoleObject, glm::vec3(CONSOLE_OBJECT_X + dx, CONSOLE_OBJECT_Y + dy, CONSOLE_OBJECT_Z),
                          OBJECT_SIZE);
    if (!m_graphObject) return;
    // Smaller in a smaller window, where it would reach the menus' words.
    const float size = GRAPH_SIZE * height / GUIComponent::LAYOUT_HEIGHT;
    const glm::vec3 corner(width * 0.5f - WINDOW_MARGIN - size * 0.5f, -height * 0.5f + WINDOW_MARGIN + size * 0.5f,
                           GRAPH_OBJECT_Z);
    const glm::vec2 moved(corner - m_graphObject->position);
    for (glm::vec2& sample : m_graphSamples) sample += moved;
    MoveDisplayObject(m_graphObject, corner, size);
}

glm::vec3 Console::GraphOrigin() const
{
    if (!m_graphObject) return glm::vec3(0.0f);
    return m_graphObject->position + glm::vec3(GRAPH_ORIGIN_X, GRAPH_ORIGIN_Y, 0.0f);
}

void Console::Update()
{
    FitToWindow();
    SampleGraph();
    m_panelWidth = PANEL_SIZE;
    m_panelHeight = PANEL_SIZE;

    // The frame's keys and characters in the order they came, so that what
    // was typed before the toggle, Enter or Escape lands where it belongs.
    InputManager* input = System::GetInstance()->inputManager;
    bool walked[InputManager::KEY_COUNT] = {};
    bool afterToggle = false;  // the character the toggle key itself makes is no text
    const size_t count = input ? input->GetStrokes().size() : 0;
    for (size_t i = 0; i < count; ++i) {
        const InputManager::Stroke stroke = input->GetStrokes()[i];
        if (!stroke.IsCharacter()) {
            afterToggle = stroke.keyIndex == KEY_OEM_3;
            if (stroke.keyIndex >= 0) {
                walked[stroke.keyIndex] = true;
                OnKeyPressed(stroke.keyIndex);
            }
        } else if (afterToggle) {
            input->ClaimStroke(i);
            afterToggle = false;  // a key makes one character
        } else if (m_open) {
            input->ClaimStroke(i);
            TypeCharacter(stroke.character);
        }
    }
    // Keys down without a message of this frame (set by other code) come last.
    for (int key : {KEY_ESCAPE, KEY_OEM_3, KEY_RETURN, KEY_UP, KEY_DOWN, KEY_PAGEUP, KEY_PAGEDOWN, KEY_HOME, KEY_END})
        if (!walked[key] && InputManager::IsTriggered(key)) OnKeyPressed(key);
}

void Console::SampleGraph()
{
    if (!m_graphObject) return;
    const double raw = RawFrameTime();
    // A clock hiccup (negative or not a number) counts as no time.
    const float t = raw > 0.0 ? static_cast<float>(std::min(raw, static_cast<double>(GRAPH_FRAME_CAP))) : 0.0f;
    s_graphTimer += t;
    if (!(s_graphTimer > GRAPH_INTERVAL)) return;
    s_graphTimer = 0.0f;
    // Only a frame with time can push the timer over, so t is not 0 here.
    const glm::vec3 at = GraphOrigin();
    m_graphSamples.push_back(glm::vec2(at.x, at.y + std::ceil(GRAPH_RATE_SCALE / t)));
    if (m_graphSamples.size() > GRAPH_SAMPLES) m_graphSamples.pop_front();
}

void Console::OnKeyPressed(int key)
{
    if (key == KEY_OEM_3) {
        SetOpen(!m_open);
        return;
    }
    if (!m_open) return;
    switch (key) {
    case KEY_ESCAPE:
        SetOpen(false);
        break;
    case KEY_RETURN:
        SubmitLine();
        s_historyCursor = 0;
        m_history.erase(std::unique(m_history.begin(), m_history.end()), m_history.end());
        std::cout << "Enter triggered\n" << std::flush;
        break;
    case KEY_UP:
        ++s_historyCursor;
        m_input = GetHistoryEntry();
        break;
    case KEY_DOWN:
        --s_historyCursor;
        m_input = GetHistoryEntry();
        if (s_historyCursor < 0) s_historyCursor = 0;
        break;
    case KEY_PAGEUP:
        if (m_scrollOffset < LINE_LIMIT) ++m_scrollOffset;
        break;
    case KEY_PAGEDOWN:
        if (m_scrollOffset > 0) --m_scrollOffset;
        break;
    case KEY_HOME:
        m_scrollOffset = static_cast<unsigned>(m_output.size());
        break;
    case KEY_END:
        m_scrollOffset = 0;
        break;
    default:
        break;
    }
}

void Console::SetOpen(bool open)
{
    m_open = open;
    SetHidden(m_consoleObject, !open);
    InputManager::SetKeyboardTaken(open);
}

void Console::SetGraphMode(int mode)
{
    m_graphMode = mode;
    SetHidden(m_graphObject, mode == 0);
}

void Console::Print(const std::string& line)
{
    if (m_output.size() >= LINE_LIMIT) m_output.pop_front();
    m_output.push_back(line);
}

void Console::TypeCharacter(char character)
{
    if (character == '\b') {
        if (!m_input.empty()) m_input.pop_back();
        return;
    }
    m_input += character;
}

void Console::SubmitLine()
{
    if (m_input.empty()) return;
    if (m_output.size() >= LINE_LIMIT) m_output.pop_front();
    m_history.push_back(m_input);

    const size_t width = static_cast<size_t>(WRAP_WIDTH);
    if (m_input.size() <= width) {
        Print(ECHO_PREFIX + m_input);
    } else {
        Print(ECHO_PREFIX);
        for (size_t at = 0; at < m_input.size(); at += width) Print(m_input.substr(at, width));
    }

    ExecuteCommand();
    m_input.clear();
    m_scrollOffset = 0;
}

std::string Console::GetHistoryEntry() const
{
    if (s_historyCursor < 0 || m_history.empty()) return std::string();
    const int count = static_cast<int>(m_history.size());
    if (s_historyCursor > count) {
        s_historyCursor = count;
        return m_history.front();
    }
    if (s_historyCursor == 0) return std::string();
    return m_history[static_cast<size_t>(count - s_historyCursor)];
}

// The command table, tested in this order; "exact" rows need the whole line.
const std::vector<Console::Command>& Console::Commands()
{
    using C = Console;
    using L = const std::string&;
    static const std::vector<Command> commands = {
        // Listed by help, in this order.
        {{"clear"}, nullptr, 0, {"clear\t-\tclear the console prompt"}, [](C& c, L) { c.m_output.clear(); }},
        {{"quit", "exit"}, nullptr, 0, {"quit\t-\texit game"},
         [](C& c, L line) {
             if (c.MayLeaveEditor(line)) System::GetInstance()->RequestQuit(("console command '" + line + "'").c_str());
         }},
        {{"fps 0", "fps 1", "fps 2"}, nullptr, 0, {"fps #\t-\tshow frames per second graph. 0 = off, 1 = on"},
         [](C& c, L line) { c.SetGraphMode(line.back() - '0'); }},
        {{"edit"}, nullptr, 0,
         {"edit #\t-\tenter level editor using data for specified level.",
          "\t\t\t# = level (enum; leave # empty default to current level)",
          "\t\t\t# = new to create a new level to edit"},
         [](C& c, L line) { c.EditCurrentLevel(line); }},
        {{"edit new"}, nullptr, 0, {},
         [](C& c, L line) {
             if (!c.MayLeaveEditor(line)) return;
             SetEditorFile(LevelEditor::TEMPLATE_FILE);
             c.RequestEditor();
         }},
        // "edit" and at least two more characters ("edit " alone is unknown).
        {{}, "edit", 6, {}, [](C& c, L line) { c.EditWithArgument(line); }},
        {{}, "goto", 4,
         {"goto #\t-\tload a specific level. # = level (enum)", "\t\t\t# = 'yourlevelname.xml' load custom xml)"},
         [](C& c, L line) { c.Goto(line); }},
        {{}, "save", 4, {"save #\t-\tsave current level state to an levelname.XML file.", "\t\t\t# = level (enum)"},
         [](C& c, L line) { c.Save(line); }},
        {{"restart"}, nullptr, 0, {"restart\t-\treset current level"},
         [](C& c, L line) {
             // Only the editor itself on top starts its level again from the file.
             if (IsEditorState(CurrentState()) && !c.MayLeaveEditor(line)) return;
             if (GameStateManager* states = States()) states->RestartState();
         }},
        {{"reload"}, nullptr, 0, {"reload\t-\tfully unload and reload current level"},
         [](C& c, L line) {
             if (IsEditorState(CurrentState()) && !c.MayLeaveEditor(line)) return;
             if (GameStateManager* states = States()) states->ReloadState();
         }},
        {{"list"}, nullptr, 0, {"list #\t-\tdisplay available levels/paths in levelloadtable."},
         [](C& c, L) { c.ListLevels(); }},
        {{"log 1", "log 0"}, nullptr, 0, {"log #\t-\tdisplay or set log status. 0 = off, 1 = on"},
         [](C& c, L line) {
             const bool on = line.back() == '1';
             if (Logger* logger = System::GetInstance()->logger) logger->SetEnabled(on);
             c.Print(on ? "Logging is turned On" : "Logging is turned Off");
         }},
        // Not listed.
        {{"help"}, nullptr, 0, {}, [](C& c, L) { c.PrintHelp(); }},
        {{"objsize", "log"}, nullptr, 0, {}, [](C&, L) {}},  // known words that do nothing
        {{"mainmenu"}, nullptr, 0, {}, [](C& c, L) { c.Print(NOTHING_YET); }},
        {{"mouse 0", "mouse 1", "mouse 2"}, nullptr, 0, {},
         [](C& c, L line) {
             c.Print(NOTHING_YET);
             c.m_mouseMode = line.back() - '0';
         }},
        {{"debugdraw 0", "debugdraw 1"}, nullptr, 0, {},
         [](C& c, L line) {
             c.Print(NOTHING_YET);
             c.m_debugDraw = line.back() == '1';
         }},
        {{}, "delete", 6, {}, [](C& c, L line) { c.Delete(line); }},
        {{"god 1", "god 0"}, nullptr, 0, {},
         [](C& c, L line) {
             c.m_godMode = line.back() == '1';
             c.Print(c.m_godMode ? "God mode enabled." : "God mode disabled.");
         }},
        {{"password"}, nullptr, 0, {}, [](C& c, L) { c.Print("You're so smart."); }},
        {{}, "password", 8, {}, [](C& c, L line) { c.Password(line); }},
        {{"waves 0"}, nullptr, 0, {}, [](C& c, L) { c.Print("Waves spawns are halted indefinitely."); }},
        {{"waves 1"}, nullptr, 0, {}, [](C& c, L) { c.Print("Waves spawns will now resume from this time on."); }},
        {{}, "spawn", 5, {}, [](C& c, L line) { c.Spawn(line); }},
    };
    return commands;
}

void Console::ExecuteCommand()
{
    const std::string line = m_input;
    // A command that warned of unsaved changes counts as confirmed only when
    // it is the very next line.
    m_lineRepeated = !m_warnedLine.empty() && line == m_warnedLine;
    m_warnedLine.clear();
    for (const Command& command : Commands())
        for (const char* word : command.words)
            if (line == word) return command.run(*this, line);
    for (const Command& command : Commands())
        if (command.prefix && line.size() >= command.minLength && StartsWith(line, command.prefix))
            return command.run(*this, line);
    Print("Unknown command: " + line);
}

void Console::ListLevels()
{
    for (const LevelTableEntry& row : GetLevelTable())
        Print(GameStateToString(row.stateId) + " - " + row.fileName);
}

void Console::RequestEditor()
{
    // The other id while the editor is open, so that it opens the file anew
    // (also from a menu over it, which pops down to the editor first).
    const int editing = InEditor() ? EditingState() : CurrentState();
    Request(editing == STATE_LEVELEDITOR ? STATE_LEVELEDITORNEXT : STATE_LEVELEDITOR);
}

void Console::EditWithArgument(const std::string& line)
{
    LevelManager* levels = Levels();
    const size_t blank = line.find(' ');
    std::string argument = blank == std::string::npos ? std::string() : LevelArgument(line.substr(blank), levels);
    if (argument.empty()) argument = "edit";

    if (argument == "edit") {
        Print("Invalid level to edit.");
        Print("Type a gamestate name or a .xml file name");
        return;
    }
    if (argument.find(".xml") != std::string::npos) {
        if (levels && levels->IsLevelFileFound(argument)) {
            if (!MayLeaveEditor(line)) return;
            SetEditorFile(argument);
            RequestEditor();
        } else {
            QRX_COMMAND_ERROR("Level %s does not exist", argument.c_str());
        }
        return;
    }
    const std::string name = ToUpper(argument);
    int id = STATE_NONE;
    StringToGameState(name, id);
    const std::string file = levels ? levels->GetLevelFileName(id) : std::string();
    if (file.empty()) {
        Print("Level " + name + " was not found in level table to be loaded. Check LevelManager");
        return;
    }
    if (!MayLeaveEditor(line)) return;
    SetEditorFile(file);
    RequestEditor();
}

void Console::EditCurrentLevel(const std::string& line)
{
    // Under a menu over the editor the current level is still the editor's.
    const int current = InEditor() ? EditingState() : CurrentState();
    LevelManager* levels = Levels();
    if (current == STATE_FREELOAD || current == STATE_FREELOADNEXT) {
        SetEditorFile(levels ? levels->GetFreeLoadPath() : std::string());
        Request(STATE_LEVELEDITOR);
        return;
    }
    const std::string file = levels ? levels->GetLevelFileName(current) : std::string();
    std::cout << file << "\n";
    if (file.empty() || !MayLeaveEditor(line)) return;
    SetEditorFile(file);
    Request(STATE_LEVELEDITOR);
}

void Console::Delete(const std::string& line)
{
    if (line.size() > 7) Print("Deleted " + line.substr(7) + "(not working, upvote this to KM if you want it)");
}

void Console::Save(const std::string& line)
{
    LevelManager* levels = Levels();
    std::string name;
    bool write = false;
    if (line == "save") {
        const int current = CurrentState();
        write = true;
        if (InEditor()) {
            name = EditorFile();
            if (name == LevelEditor::TEMPLATE_FILE) {
                Print("Failed. Cannot overwrite leveltemplate.xml. Use command 'save yourname.xml' instead");
                write = false;
            }
        } else if (current == STATE_FREELOAD || current == STATE_FREELOADNEXT) {
            name = levels ? levels->GetFreeLoadPath() : "";
        } else {
            name = levels ? levels->GetLevelFileName(current) : "";
        }
    } else if (line.size() > 5) {
        name = line.substr(5);
        write = true;
    }
    // A refusal is reported once, by the editor's log line.
    if (write) {
        LevelEditor* editor = FindLevelEditor();
        if (!editor) Print("No level editor writes level files in this program.");
        else if (editor->SaveAs(name)) Print("Saved as " + name);
    }
    if (levels) levels->LoadLevelPaths(LevelManager::LEVEL_SCAN_FOLDER);
}

void Console::Goto(const std::string& line)
{
    LevelManager* levels = Levels();
    if (line == "goto" && InEditor()) {
        // The edited file: its own level-table state, else as a free load.
        const std::string file = EditorFile();
        if (!levels || !levels->IsLevelFileFound(file)) {
            Print("Invalid level path to 'goto'");
            return;
        }
        if (!MayLeaveEditor(line)) return;
        const int id = levels->GetLevelStateId(file);
        if (id != 0) {
            Request(id);
        } else {
            levels->SetFreeLoadPath(file);
            Request(STATE_FREELOAD);
        }
        Print("Loading level: " + file);
        return;
    }
    if (line == "goto") {
        if (levels) levels->GoToNextLevel();
        Print("Loading next level in leveltable");
        return;
    }
    if (line.size() <= 5) return;

    const std::string rest = line.substr(5);
    const std::string argument = LevelArgument(rest, levels);
    if (argument.empty()) {
        Print("Invalid level name");
        return;
    }
    if (argument.find(".xml") != std::string::npos) {
        if (levels && levels->IsLevelFileFound(argument)) {
            if (!MayLeaveEditor(line)) return;
            levels->SetFreeLoadPath(argument);
            RequestAgain(CurrentState() == STATE_FREELOAD ? STATE_FREELOADNEXT : STATE_FREELOAD);
            Print("Loading level: " + argument);
        } else {
            QRX_COMMAND_ERROR("%s cannot be found in the level folder", rest.c_str());
        }
        return;
    }
    const std::string name = ToUpper(argument);
    int id = STATE_NONE;
    if (!StringToGameState(name, id)) {
        Print(rest + " is not a valid gamestate to load.");
        return;
    }
    if (!MayLeaveEditor(line)) return;
    RequestAgain(id);
    Print("Loading level: " + name);
}

bool Console::MayLeaveEditor(const std::string& line)
{
    LevelEditor* editor = FindLevelEditor();
    if (!InEditor() || !editor || !editor->HasUnsavedChanges() || m_lineRepeated) return true;
    // Nothing is written and nothing left: the same line again drops the changes.
    m_warnedLine = line;
    const bool fileKeeps = editor->GetFileName() != LevelEditor::TEMPLATE_FILE;
    Print(std::string("Unsaved work: ") + (fileKeeps ? "'save' or " : "") + "'save name.xml' keeps it; same " +
          line.substr(0, line.find(' ')) + " again drops it");
    return false;
}

void Console::Spawn(const std::string& line)
{
    std::string trimmed = line;
    Trim(trimmed);
    if (trimmed.size() < 6) {
        for (const char* usage : {"Usage:", "\tparam1 - count\t\t(number of enemy)",
                                  "\tparam2 - interval\t(time between each spawn)",
                                  "\tparam3 - type\t\t(type of enemy to spawn)", "\t\tType code:",
                                  "\t\tRUNNINGMEN - 0", "\t\tGIANT      - 16", "\t\tRANGED     - 15",
                                  "\t\tFLYING     - 13"})
            Print(usage);
        return;
    }
    if (trimmed.substr(6) == "clear") {
        Print("All jobs in the queue has been cleared!");
        return;
    }
    // No job queue exists: the command only checks its arguments.
    std::istringstream in(trimmed.substr(5));
    unsigned count = 0;
    float interval = 0.0f;
    unsigned type = 0;
    if (!(in >> count >> interval >> type) || interval < 0.0f) Print("Missing or incorrect parameters!");
    else Print("Spawn job has been added to queue.");
}

void Console::Password(const std::string& line)
{
    std::string shown = line;
    for (size_t i = 9; i < shown.size(); ++i) shown[i] = '*';
    shown[0] = 'P';
    Print(shown + " accepted. Additional options is now available.");
}

void Console::PrintHelp()
{
    Print("Commands available:");
    for (const Command& command : Commands())
        for (const char* usage : command.usage) Print(usage);
}

// ---- drawing ----

Console::TextLine Console::InputLine() const
{
    TextLine line;
    const std::string shown = m_input.size() < INPUT_SHOWN ? m_input : m_input.substr(m_input.size() - INPUT_SHOWN);
    line.text = INPUT_PREFIX + shown;
    line.position = glm::vec2(LeftEdge() + INPUT_OFFSET_X, BottomEdge() + INPUT_OFFSET_Y);
    line.colorIndex = INPUT_COLOR;
    return line;
}

std::vector<std::string> Console::WrapLine(const std::string& line, float room, const TextMeasure& measure)
{
    std::vector<std::string> rows;
    std::string rest = line;
    while (measure(rest) > room) {
        // The most characters that fit (more are never narrower), one at least.
        size_t fits = 1, tooMany = rest.size();
        while (tooMany - fits > 1) {
            const size_t middle = fits + (tooMany - fits) / 2;
            if (measure(rest.substr(0, middle)) <= room) fits = middle;
            else tooMany = middle;
        }
        const size_t blank = rest.find_last_of(' ', fits - 1);
        if (blank != std::string::npos && blank > 0 && blank + 1 >= fits / 2) fits = blank + 1;
        rows.push_back(rest.substr(0, fits));
        rest.erase(0, fits);
    }
    rows.push_back(rest);
    return rows;
}

float Console::RowRoom() const
{
    const float backingRight = m_panelX + (CONSOLE_OBJECT_X - PANEL_CENTRE_X) + OBJECT_SIZE * 0.5f;
    return backingRight - ROW_RIGHT_MARGIN - (LeftEdge() + OUTPUT_OFFSET_X);
}

std::vector<Console::TextLine> Console::CollectLines()
{
    const FontManager* fonts = System::GetInstance()->fontManager;
    const TextMeasure measure = [fonts](const std::string& text) {
        return fonts ? fonts->TextWidth(CONSOLE_FONT_ID, text) : -1.0f;
    };
    const float room = RowRoom();
    // Newest first, whole lines as far back as the rows reach.
    const size_t rowCount = static_cast<size_t>(VISIBLE_ROWS);
    std::vector<std::string> collected;
    const size_t count = m_output.size();
    for (size_t distance = m_scrollOffset; distance < count && collected.size() < rowCount; ++distance) {
        const std::vector<std::string> rows = WrapLine(ExpandTabs(m_output[count - 1 - distance]), room, measure);
        const size_t free = rowCount - collected.size();
        if (rows.size() > free) {
            // A line taller than the panel shows its end, where a reason is.
            if (collected.empty())
                collected.insert(collected.end(), rows.rbegin(), rows.rbegin() + static_cast<std::ptrdiff_t>(free));
            break;
        }
        collected.insert(collected.end(), rows.rbegin(), rows.rend());
    }
    if (collected.empty() && m_scrollOffset > 0) --m_scrollOffset;

    std::vector<TextLine> rows;
    rows.reserve(collected.size());
    const float x = LeftEdge() + OUTPUT_OFFSET_X;
    for (size_t k = collected.size(); k-- > 0;) {
        const int row = VISIBLE_ROWS - 1 - static_cast<int>(k);
        TextLine line;
        line.text = collected[k];
        line.position = glm::vec2(x, TopEdge() - ROW_HEIGHT * static_cast<float>(row));
        line.colorIndex = OUTPUT_COLOR;
        rows.push_back(std::move(line));
    }
    return rows;
}

void Console::Draw()
{
    FontManager* fonts = System::GetInstance()->fontManager;
    const TextLine input = InputLine();
    if (fonts)
        fonts->AddText(FontManager::POSITION_CENTRE, input.text, input.position.x, input.position.y, CONSOLE_FONT_ID,
                       input.colorIndex, 1.0f);
    DrawLines();
}

void Console::DrawLines()
{
    FontManager* fonts = System::GetInstance()->fontManager;
    for (const TextLine& line : CollectLines())
        if (fonts)
            fonts->AddText(FontManager::POSITION_CENTRE, line.text, line.position.x, line.position.y, CONSOLE_FONT_ID,
                           line.colorIndex, 1.0f);
}

int Console::GraphStep(float graphScaleX) { return static_cast<int>(graphScaleX * 0.9f * 0.5f * 0.1f); }

std::vector<Console::GraphSegment> Console::GraphSegments(const std::deque<glm::vec2>& samples,
                                                          const glm::vec3& graphPosition, float graphScaleX,
                                                          float thresholdFactor)
{
    std::vector<GraphSegment> segments;
    if (samples.size() < 2) return segments;
    const float step = static_cast<float>(GraphStep(graphScaleX));
    for (size_t i = samples.size() - 1; i >= 1; --i) {
        GraphSegment segment;
        segment.from = samples[i] + glm::vec2(step * static_cast<float>(i), 0.0f);
        segment.to = samples[i - 1] + glm::vec2(step * static_cast<float>(i - 1), 0.0f);
        const float d = samples[i].y - graphPosition.y;
        if (d > GRAPH_GREEN_ABOVE * thresholdFactor) segment.colour = GRAPH_GREEN;
        else if (d > GRAPH_YELLOW_ABOVE * thresholdFactor) segment.colour = GRAPH_YELLOW;
        else segment.colour = GRAPH_RED;
        segments.push_back(segment);
    }
    return segments;
}

void Console::DrawFPSGraph()
{
    if (!m_graphObject) return;
    System* system = System::GetInstance();
    if (FrameRateController* frames = system->frameRateController) {
        if (m_graphDrawn && m_graphFrame == frames->frameCount) return;
        m_graphDrawn = true;
        m_graphFrame = frames->frameCount;
    }

    const glm::vec3 at = GraphOrigin();
    const std::vector<GraphSegment> segments =
        GraphSegments(m_graphSamples, at, m_graphObject->scale.x, m_graphThresholdFactor);
    if (Renderer* renderer = system->renderer)
        for (const GraphSegment& segment : segments)
            renderer->Draw2DLine(at.z + GRAPH_DEPTH_OFFSET, GRAPH_LINE_WIDTH, segment.from, segment.to,
                                 segment.colour);

    // The rate in the colour of the last segment (the two oldest samples).
    const glm::vec4 colour = segments.empty() ? GRAPH_WHITE : segments.back().colour;
    if (FontManager* fonts = system->fontManager)
        fonts->AddText(FontManager::POSITION_CENTRE, std::to_string(FrameRateOf(RawFrameTime())),
                       at.x + GRAPH_TEXT_OFFSET_X, at.y + GRAPH_TEXT_OFFSET_Y, GRAPH_FONT_ID, colour);
}

// ---- helpers ----

std::string Trim(std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        text.clear();
        return text;
    }
    const size_t last = text.find_last_not_of(' ');
    text = text.substr(first, last - first + 1);
    return text;
}

std::string ExpandTabs(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\t') out.append(4 - out.size() % 4, ' ');
        else out += c;
    }
    return out;
}

void LoadConsole()
{
    System* system = System::PeekInstance();
    if (system && system->console) system->console->Load();
}

void UpdateConsole()
{
    System* system = System::PeekInstance();
    if (system && system->console) system->console->Update();
}

bool IsConsoleOpen()
{
    System* system = System::PeekInstance();
    return system && system->console && system->console->IsOpen();
}

} // namespace QRX
