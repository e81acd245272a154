#include "engine/platform/tweakbar/TweakBarView.h"

#include <GL/glew.h>
#include <imgui.h>
#include <imgui_internal.h>
#include <imgui_stdlib.h>
#include <backends/imgui_impl_opengl2.h>

#include <algorithm>
#include <bitset>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "engine/platform/Clock.h"
#include "engine/platform/VirtualKeys.h"
#include "engine/platform/tweakbar/TweakBarGLState.h"

namespace QRX {
namespace TweakBar {

namespace {

using namespace QRX::Platform;

// Frame time used for the first frame, before there is a previous one.
constexpr float FIRST_FRAME_SECONDS = 1.0f / 60.0f;
constexpr float MIN_FRAME_SECONDS = 1.0e-4f;
// Drag speed of numbers without a step.
constexpr double DEFAULT_INT_STEP = 1.0;
constexpr double DEFAULT_FLOAT_STEP = 0.01;
constexpr double DEFAULT_DIRECTION_STEP = 0.01;
constexpr int MAX_DECIMALS = 8;
constexpr float LABEL_GAP = 8.0f;

ImVec4 Rgba(const int rgb[3], float alpha, float mixWith, float amount)
{
    auto mix = [&](int c) { return (c / 255.0f) * (1.0f - amount) + mixWith * amount; };
    return ImVec4(mix(rgb[0]), mix(rgb[1]), mix(rgb[2]), alpha);
}

void HelpTooltip(const std::string& help)
{
    if (!help.empty() && ImGui::IsItemHovered()) ImGui::SetTooltip("%s", help.c_str());
}

// Decimals shown for a number edited in steps of step.
int DecimalsFor(const NumberLimits& limits)
{
    if (!limits.hasStep) return 3;
    int d = static_cast<int>(std::ceil(-std::log10(limits.step) - 1e-9));
    return std::max(0, std::min(MAX_DECIMALS, d));
}

template <typename T>
bool DragNumber(ImGuiDataType dataType, unsigned char* bytes, const NumberLimits& limits,
                double defaultStep, const char* format)
{
    T v;
    std::memcpy(&v, bytes, sizeof v);
    const double lowest = static_cast<double>(std::numeric_limits<T>::lowest());
    const double highest = static_cast<double>(std::numeric_limits<T>::max());
    T lo = limits.hasMin ? static_cast<T>(std::max(lowest, std::min(highest, limits.min))) : std::numeric_limits<T>::lowest();
    T hi = limits.hasMax ? static_cast<T>(std::max(lowest, std::min(highest, limits.max))) : std::numeric_limits<T>::max();
    bool clamped = limits.hasMin || limits.hasMax;
    float speed = static_cast<float>(limits.hasStep ? limits.step : defaultStep);
    bool changed = ImGui::DragScalar("##value", dataType, &v, speed, clamped ? &lo : nullptr,
                                     clamped ? &hi : nullptr, format,
                                     clamped ? ImGuiSliderFlags_AlwaysClamp : 0);
    if (changed) std::memcpy(bytes, &v, sizeof v);
    return changed;
}

// Places the cursor for a value after a row's label; the value column is
// valuesWidth wide at the right of the window.
void RowLabel(const std::string& label, const std::string& help, float valuesWidth)
{
    ImGui::AlignTextToFramePadding();
    ImGui::TextUnformatted(label.c_str());
    HelpTooltip(help);
    float right = ImGui::GetWindowContentRegionMax().x;
    float afterLabel = ImGui::GetItemRectMax().x - ImGui::GetWindowPos().x + LABEL_GAP;
    float x = std::max(afterLabel, right - valuesWidth);
    ImGui::SameLine(x);
    ImGui::SetNextItemWidth(std::max(1.0f, right - x));
}

} // namespace

View::View()
{
    IMGUI_CHECKVERSION();
    ImGuiContext* previous = ImGui::GetCurrentContext();
    m_context = ImGui::CreateContext();
    ImGui::SetCurrentContext(m_context);
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;  // layouts come from define strings, not files
    io.LogFilename = nullptr;
    io.BackendPlatformName = "zendra-windowmessages";
    io.KeyMap[ImGuiKey_Tab] = VK_TAB;
    io.KeyMap[ImGuiKey_LeftArrow] = VK_LEFT;
    io.KeyMap[ImGuiKey_RightArrow] = VK_RIGHT;
    io.KeyMap[ImGuiKey_UpArrow] = VK_UP;
    io.KeyMap[ImGuiKey_DownArrow] = VK_DOWN;
    io.KeyMap[ImGuiKey_PageUp] = VK_PRIOR;
    io.KeyMap[ImGuiKey_PageDown] = VK_NEXT;
    io.KeyMap[ImGuiKey_Home] = VK_HOME;
    io.KeyMap[ImGuiKey_End] = VK_END;
    io.KeyMap[ImGuiKey_Insert] = VK_INSERT;
    io.KeyMap[ImGuiKey_Delete] = VK_DELETE;
    io.KeyMap[ImGuiKey_Backspace] = VK_BACK;
    io.KeyMap[ImGuiKey_Space] = VK_SPACE;
    io.KeyMap[ImGuiKey_Enter] = VK_RETURN;
    io.KeyMap[ImGuiKey_Escape] = VK_ESCAPE;
    io.KeyMap[ImGuiKey_KeyPadEnter] = VK_RETURN;
    io.KeyMap[ImGuiKey_A] = 'A';
    io.KeyMap[ImGuiKey_C] = 'C';
    io.KeyMap[ImGuiKey_V] = 'V';
    io.KeyMap[ImGuiKey_X] = 'X';
    io.KeyMap[ImGuiKey_Y] = 'Y';
    io.KeyMap[ImGuiKey_Z] = 'Z';
    ImGui::StyleColorsDark();
    ImGuiStyle& style = ImGui::GetStyle();
    style.WindowRounding = 2.0f;
    style.FrameRounding = 2.0f;
    style.ItemSpacing.y = 3.0f;
    if (previous) ImGui::SetCurrentContext(previous);
}

View::~View()
{
    ImGui::SetCurrentContext(m_context);
    if (m_glReady) ImGui_ImplOpenGL2_Shutdown();
    ImGui::DestroyContext(m_context);
}

void View::SetWindowSize(int width, int height)
{
    m_width = width;
    m_height = height;
}

// ---------------------------------------------------------------- input

bool View::IsOverBar(int x, int y) const
{
    const ImVec2 p(static_cast<float>(x), static_cast<float>(y));
    for (ImGuiWindow* w : m_context->Windows) {
        if (!w->Active || w->Hidden || (w->Flags & ImGuiWindowFlags_NoMouseInputs)) continue;
        if (w->OuterRectClipped.Contains(p)) return true;
    }
    return false;
}

void View::Queue(InputEvent event)
{
    if (m_queue.size() >= MAX_QUEUED_EVENTS) {
        // No frame for a long time: let ImGui see the latest state at once.
        ImGui::SetCurrentContext(m_context);
        for (const InputEvent& e : m_queue) ApplyEvent(e);
        m_queue.clear();
    }
    m_queue.push_back(event);
}

void View::ForgetInputIfStale()
{
    if (!m_drawn || m_inputForgotten) return;
    double seconds = static_cast<double>(GetPerformanceCounter() - m_lastDrawTicks) /
                     static_cast<double>(GetPerformanceFrequency());
    if (seconds <= STALE_INPUT_SECONDS) return;
    m_queue.clear();
    m_queue.push_back({InputEvent::ReleaseAll, 0, 0});
    std::fill(m_pressOwned, m_pressOwned + MOUSE_BUTTONS, false);
    m_inputForgotten = true;
}

bool View::HandleMessage(const WindowMessage& message)
{
    ImGui::SetCurrentContext(m_context);
    ForgetInputIfStale();
    const ImGuiIO& io = ImGui::GetIO();
    int button = -1;
    bool down = false;
    switch (message.message) {
    case WM_LBUTTONDOWN: button = 0; down = true; break;
    case WM_RBUTTONDOWN: button = 1; down = true; break;
    case WM_MBUTTONDOWN: button = 2; down = true; break;
    case WM_LBUTTONUP: button = 0; break;
    case WM_RBUTTONUP: button = 1; break;
    case WM_MBUTTONUP: button = 2; break;
    default: break;
    }
    if (button >= 0) {
        m_lastMouseX = MouseX(message.lParam);
        m_lastMouseY = MouseY(message.lParam);
        Queue({InputEvent::MousePos, m_lastMouseX, m_lastMouseY});
        Queue({InputEvent::MouseButton, button, down ? 1 : 0});
        // A release always reaches the game, whoever took the press.
        bool used = down && IsOverBar(m_lastMouseX, m_lastMouseY);
        m_pressOwned[button] = used;
        return used;
    }
    const int key = static_cast<int>(message.wParam);
    switch (message.message) {
    case WM_MOUSEMOVE: {
        m_lastMouseX = MouseX(message.lParam);
        m_lastMouseY = MouseY(message.lParam);
        Queue({InputEvent::MousePos, m_lastMouseX, m_lastMouseY});
        bool dragging = m_pressOwned[0] || m_pressOwned[1] || m_pressOwned[2];
        return dragging || IsOverBar(m_lastMouseX, m_lastMouseY);
    }
    case WM_MOUSEWHEEL:
        Queue({InputEvent::Wheel, WheelDelta(message.wParam), 0});
        return IsOverBar(m_lastMouseX, m_lastMouseY);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (key <= 0 || key >= KEY_COUNT) return false;
        Queue({InputEvent::Key, key, 1});
        return io.WantCaptureKeyboard;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (key > 0 && key < KEY_COUNT) Queue({InputEvent::Key, key, 0});
        return false;
    case WM_CHAR:
        if (message.wParam == 0 || message.wParam > 0x10FFFF) return false;
        Queue({InputEvent::Char, key, 0});
        return io.WantTextInput || io.WantCaptureKeyboard;
    case WM_KILLFOCUS:
        Queue({InputEvent::ReleaseAll, 0, 0});
        std::fill(m_pressOwned, m_pressOwned + MOUSE_BUTTONS, false);
        return false;
    case WM_ACTIVATE:
        if (LowWord(message.wParam) == WA_INACTIVE) {
            Queue({InputEvent::ReleaseAll, 0, 0});
            std::fill(m_pressOwned, m_pressOwned + MOUSE_BUTTONS, false);
        }
        return false;
    default:
        return false;
    }
}

void View::ApplyEvent(const InputEvent& e)
{
    ImGuiIO& io = ImGui::GetIO();
    switch (e.kind) {
    case InputEvent::MousePos:
        io.MousePos = ImVec2(static_cast<float>(e.a), static_cast<float>(e.b));
        break;
    case InputEvent::MouseButton:
        io.MouseDown[e.a] = e.b != 0;
        break;
    case InputEvent::Wheel:
        io.MouseWheel += static_cast<float>(e.a) / static_cast<float>(WHEEL_DELTA);
        break;
    case InputEvent::Key:
        io.KeysDown[e.a] = e.b != 0;
        if (e.a == static_cast<int>(VK_SHIFT)) io.KeyShift = e.b != 0;
        if (e.a == static_cast<int>(VK_CONTROL)) io.KeyCtrl = e.b != 0;
        if (e.a == static_cast<int>(VK_MENU)) io.KeyAlt = e.b != 0;
        break;
    case InputEvent::Char:
        io.AddInputCharacter(static_cast<unsigned int>(e.a));
        break;
    case InputEvent::ReleaseAll:
        std::fill(std::begin(io.MouseDown), std::end(io.MouseDown), false);
        std::fill(std::begin(io.KeysDown), std::end(io.KeysDown), false);
        io.KeyShift = io.KeyCtrl = io.KeyAlt = false;
        break;
    }
}

void View::ApplyQueuedInput()
{
    // One change per button or key per frame, and no move after a button
    // change, so ImGui sees each press where and when it happened.
    bool buttonChanged[MOUSE_BUTTONS] = {};
    bool anyButton = false;
    bool anyKey = false;
    std::bitset<KEY_COUNT> keyChanged;
    size_t applied = 0;
    for (; applied < m_queue.size(); ++applied) {
        const InputEvent& e = m_queue[applied];
        if (e.kind == InputEvent::MousePos && anyButton) break;
        if (e.kind == InputEvent::MouseButton && buttonChanged[e.a]) break;
        if (e.kind == InputEvent::Key && keyChanged[static_cast<size_t>(e.a)]) break;
        if (e.kind == InputEvent::ReleaseAll && (anyButton || anyKey)) break;
        ApplyEvent(e);
        if (e.kind == InputEvent::MouseButton) buttonChanged[e.a] = anyButton = true;
        if (e.kind == InputEvent::Key) {
            keyChanged[static_cast<size_t>(e.a)] = true;
            anyKey = true;
        }
    }
    m_queue.erase(m_queue.begin(), m_queue.begin() + static_cast<std::ptrdiff_t>(applied));
}

// ---------------------------------------------------------------- drawing

void View::Draw(Model& model)
{
    ImGuiContext* previous = ImGui::GetCurrentContext();
    ImGui::SetCurrentContext(m_context);
    ForgetInputIfStale();
    const std::uint64_t now = GetPerformanceCounter();
    m_lastDrawTicks = now;
    m_drawn = true;
    m_inputForgotten = false;
    if (m_width > 0 && m_height > 0) {
        ImGuiIO& io = ImGui::GetIO();
        io.DisplaySize = ImVec2(static_cast<float>(m_width), static_cast<float>(m_height));
        float dt = static_cast<float>(static_cast<double>(now - m_lastFrameTicks) /
                                      static_cast<double>(GetPerformanceFrequency()));
        io.DeltaTime = m_firstFrame ? FIRST_FRAME_SECONDS : std::max(dt, MIN_FRAME_SECONDS);
        m_lastFrameTicks = now;
        m_firstFrame = false;
        ApplyQueuedInput();
        m_contained = model.Contained();
        model.Refresh();

        GLStateGuard state;
        state.PrepareFixedFunction();
        if (!m_glReady) m_glReady = ImGui_ImplOpenGL2_Init();
        ImGui_ImplOpenGL2_NewFrame();
        ImGui::NewFrame();
        for (Bar& bar : model.Bars()) BuildBar(model, bar);
        BuildHelp(model);
        ImGui::Render();
        ImGui_ImplOpenGL2_RenderDrawData(ImGui::GetDrawData());
        state.Restore();
    }
    if (previous && previous != m_context) ImGui::SetCurrentContext(previous);
    // After the pass: callbacks may now change bars freely.
    model.RunPending();
}

void View::ApplyLayoutBefore(BarLayout& layout)
{
    int x = layout.x, y = layout.y;
    bool move = layout.positionChanged;
    if (m_contained) {
        int cx = x, cy = y;
        Model::ContainedPosition(layout, m_width, m_height, cx, cy);
        if (cx != x || cy != y) {
            x = cx;
            y = cy;
            move = true;
        }
    }
    if (move) ImGui::SetNextWindowPos(ImVec2(static_cast<float>(x), static_cast<float>(y)), ImGuiCond_Always);
    if (layout.sizeChanged)
        ImGui::SetNextWindowSize(ImVec2(static_cast<float>(layout.width), static_cast<float>(layout.height)),
                                 ImGuiCond_Always);
    if (layout.iconifiedChanged) ImGui::SetNextWindowCollapsed(layout.iconified, ImGuiCond_Always);
    layout.positionChanged = layout.sizeChanged = layout.iconifiedChanged = false;
}

void View::ReadLayoutAfter(BarLayout& layout)
{
    ImVec2 pos = ImGui::GetWindowPos();
    layout.x = static_cast<int>(std::lround(pos.x));
    layout.y = static_cast<int>(std::lround(pos.y));
    layout.iconified = ImGui::IsWindowCollapsed();
    if (!layout.iconified) {
        ImVec2 size = ImGui::GetWindowSize();
        layout.width = static_cast<int>(std::lround(size.x));
        layout.height = static_cast<int>(std::lround(size.y));
    }
}

void View::PushBarStyle(const BarLayout& layout)
{
    const float alpha = static_cast<float>(layout.alpha) / 255.0f;
    const bool dark = layout.darkText;
    const float towards = dark ? 1.0f : 0.0f;  // title and frames lighter under dark text
    const ImVec4 text = dark ? ImVec4(0, 0, 0, 1) : ImVec4(1, 1, 1, 1);
    const ImVec4 frame = dark ? ImVec4(1, 1, 1, 0.45f) : ImVec4(0, 0, 0, 0.35f);
    const ImVec4 frameHover = dark ? ImVec4(1, 1, 1, 0.65f) : ImVec4(0, 0, 0, 0.5f);
    const std::pair<ImGuiCol, ImVec4> colors[] = {
        {ImGuiCol_WindowBg, Rgba(layout.color, alpha, 0.0f, 0.0f)},
        {ImGuiCol_PopupBg, Rgba(layout.color, 1.0f, 0.0f, 0.0f)},
        {ImGuiCol_TitleBg, Rgba(layout.color, 1.0f, towards, 0.35f)},
        {ImGuiCol_TitleBgActive, Rgba(layout.color, 1.0f, towards, 0.5f)},
        {ImGuiCol_TitleBgCollapsed, Rgba(layout.color, 1.0f, towards, 0.35f)},
        {ImGuiCol_Text, text},
        {ImGuiCol_FrameBg, frame},
        {ImGuiCol_FrameBgHovered, frameHover},
        {ImGuiCol_FrameBgActive, frameHover},
        {ImGuiCol_Header, frame},
        {ImGuiCol_HeaderHovered, frameHover},
        {ImGuiCol_HeaderActive, frameHover},
        {ImGuiCol_Button, frame},
        {ImGuiCol_ButtonHovered, frameHover},
        {ImGuiCol_ButtonActive, frameHover},
    };
    for (const auto& c : colors) ImGui::PushStyleColor(c.first, c.second);
    m_styleColors = static_cast<int>(sizeof colors / sizeof colors[0]);
}

void View::PopBarStyle() { ImGui::PopStyleColor(m_styleColors); }

void View::BuildBar(Model& model, Bar& bar)
{
    BarLayout& layout = bar.layout;
    if (!layout.visible) return;
    ApplyLayoutBefore(layout);
    PushBarStyle(layout);
    // The bar's name keeps the window's identity when its label changes.
    std::string title = layout.label + "###bar:" + bar.name;
    bool open = ImGui::Begin(title.c_str(), nullptr, ImGuiWindowFlags_NoSavedSettings);
    ReadLayoutAfter(layout);
    if (open) BuildItems(model, bar, std::string(), 0);
    ImGui::End();
    PopBarStyle();
}

void View::BuildHelp(Model& model)
{
    BarLayout& layout = model.Help();
    if (!layout.visible) return;
    ApplyLayoutBefore(layout);
    PushBarStyle(layout);
    std::string title = layout.label + "###" + HELP_TARGET;
    bool open = ImGui::Begin(title.c_str(), nullptr, ImGuiWindowFlags_NoSavedSettings);
    ReadLayoutAfter(layout);
    if (open) {
        ImGui::TextWrapped("Drag a value to change it; Ctrl+click or double-click it to type one.");
        for (const Bar& bar : model.Bars()) {
            if (!bar.layout.visible) continue;
            std::string header = bar.layout.label + "###help:" + bar.name;
            if (!ImGui::CollapsingHeader(header.c_str())) continue;
            if (!bar.layout.help.empty()) ImGui::TextWrapped("%s", bar.layout.help.c_str());
            for (const Node& n : bar.nodes)
                if (!n.help.empty() && n.visible) ImGui::BulletText("%s: %s", n.Shown().c_str(), n.help.c_str());
        }
    }
    ImGui::End();
    PopBarStyle();
}

void View::BuildItems(Model& model, Bar& bar, const std::string& group, int depth)
{
    // Groups cannot hold themselves (the model refuses it); the depth only
    // keeps a broken bar from recursing without end.
    if (depth > static_cast<int>(bar.nodes.size())) return;
    for (size_t i = 0; i < bar.nodes.size(); ++i) {
        Node& n = bar.nodes[i];
        if (n.group != group || !n.visible) continue;
        ImGui::PushID(n.id);
        switch (n.kind) {
        case NodeKind::Group: {
            if (n.openChanged) ImGui::SetNextItemOpen(n.open, ImGuiCond_Always);
            n.openChanged = false;
            n.open = ImGui::TreeNodeEx("##group", ImGuiTreeNodeFlags_Framed | ImGuiTreeNodeFlags_SpanAvailWidth,
                                       "%s", n.Shown().c_str());
            HelpTooltip(n.help);
            if (n.open) {
                BuildItems(model, bar, n.name, depth + 1);
                ImGui::TreePop();
            }
            break;
        }
        case NodeKind::Separator:
            ImGui::Separator();
            break;
        case NodeKind::Button:
            if (!n.buttonCallback) {
                ImGui::TextUnformatted(n.Shown().c_str());
            } else if (ImGui::Button(n.Shown().c_str(), ImVec2(-FLT_MIN, 0.0f))) {
                model.QueuePress(n.id);
            }
            HelpTooltip(n.help);
            break;
        case NodeKind::Variable:
            BuildVariable(model, bar, n);
            break;
        }
        ImGui::PopID();
    }
}

void View::BuildVariable(Model& model, Bar& bar, Node& node)
{
    const float valuesWidth = static_cast<float>(bar.layout.valuesWidth);
    const bool readOnly = node.ReadOnly();
    const CustomType* custom = model.Custom(node.type);

    if (custom && !custom->isEnum) {
        if (node.openChanged) ImGui::SetNextItemOpen(node.open, ImGuiCond_Always);
        node.openChanged = false;
        node.open = ImGui::TreeNodeEx("##struct", ImGuiTreeNodeFlags_SpanAvailWidth, "%s", node.Shown().c_str());
        HelpTooltip(node.help);
        if (!node.open) return;
        Value edited = node.cache;
        bool changed = false;
        for (size_t m = 0; m < custom->members.size(); ++m) {
            const StructMember& member = custom->members[m];
            ImGui::PushID(static_cast<int>(m));
            RowLabel(member.label.empty() ? member.name : member.label, member.help, valuesWidth);
            if (readOnly) ImGui::BeginDisabled(true);
            changed |= BuildValueWidget(model, member.type, member.limits, node,
                                        edited.bytes.data() + member.offset);
            if (readOnly) ImGui::EndDisabled();
            ImGui::PopID();
        }
        if (changed && !readOnly) model.QueueEdit(node.id, edited);
        ImGui::TreePop();
        return;
    }

    RowLabel(node.Shown(), node.help, valuesWidth);
    if (readOnly) ImGui::BeginDisabled(true);
    if (node.type == TW_TYPE_STDSTRING) {
        // While the field is being typed into it edits its own copy, which
        // goes to the variable when the field is left.
        const bool editing = m_textNode == node.id;
        std::string shown = node.cache.text;
        std::string* text = editing ? &m_textBuffer : &shown;
        ImGui::InputText("##value", text);
        if (ImGui::IsItemActivated() || (ImGui::IsItemActive() && !editing)) {
            m_textNode = node.id;
            m_textBuffer = *text;
        }
        if (ImGui::IsItemDeactivated()) {
            if (ImGui::IsItemDeactivatedAfterEdit() && !readOnly) {
                Value v;
                v.text = *text;
                model.QueueEdit(node.id, v);
            }
            if (m_textNode == node.id) m_textNode = 0;
        }
    } else {
        Value edited = node.cache;
        if (BuildValueWidget(model, node.type, node.limits, node, edited.bytes.data()) && !readOnly)
            model.QueueEdit(node.id, edited);
    }
    if (readOnly) ImGui::EndDisabled();
}

bool View::BuildValueWidget(Model& model, TwType type, const NumberLimits& limits, const Node& node,
                            unsigned char* bytes)
{
    char format[16];
    switch (type) {
    case TW_TYPE_BOOLCPP: {
        bool v = bytes[0] != 0;
        bool changed = ImGui::Checkbox("##value", &v);
        ImGui::SameLine();
        // Members of structures have no labels of their own.
        const bool ownLabels = node.type == TW_TYPE_BOOLCPP;
        ImGui::TextUnformatted(v ? (ownLabels ? node.trueLabel.c_str() : "true")
                                 : (ownLabels ? node.falseLabel.c_str() : "false"));
        if (changed) bytes[0] = v ? 1 : 0;
        return changed;
    }
    case TW_TYPE_CHAR: {
        char buf[2] = {static_cast<char>(bytes[0]), 0};
        bool changed = ImGui::InputText("##value", buf, sizeof buf);
        if (changed) bytes[0] = static_cast<unsigned char>(buf[0]);
        return changed;
    }
    case TW_TYPE_INT32:
        return DragNumber<std::int32_t>(ImGuiDataType_S32, bytes, limits, DEFAULT_INT_STEP, "%d");
    case TW_TYPE_UINT32:
        return DragNumber<std::uint32_t>(ImGuiDataType_U32, bytes, limits, DEFAULT_INT_STEP, "%u");
    case TW_TYPE_INT64:
        return DragNumber<std::int64_t>(ImGuiDataType_S64, bytes, limits, DEFAULT_INT_STEP, "%lld");
    case TW_TYPE_FLOAT:
        std::snprintf(format, sizeof format, "%%.%df", DecimalsFor(limits));
        return DragNumber<float>(ImGuiDataType_Float, bytes, limits, DEFAULT_FLOAT_STEP, format);
    case TW_TYPE_DOUBLE:
        std::snprintf(format, sizeof format, "%%.%df", DecimalsFor(limits));
        return DragNumber<double>(ImGuiDataType_Double, bytes, limits, DEFAULT_FLOAT_STEP, format);
    case TW_TYPE_COLOR3F:
    case TW_TYPE_COLOR4F: {
        float c[4] = {0, 0, 0, 1};
        const size_t count = type == TW_TYPE_COLOR3F ? 3 : 4;
        std::memcpy(c, bytes, count * sizeof(float));
        bool changed = count == 3 ? ImGui::ColorEdit3("##value", c, ImGuiColorEditFlags_Float)
                                  : ImGui::ColorEdit4("##value", c, ImGuiColorEditFlags_Float |
                                                                        ImGuiColorEditFlags_AlphaBar);
        if (changed) std::memcpy(bytes, c, count * sizeof(float));
        return changed;
    }
    case TW_TYPE_DIR3F: {
        float d[3];
        std::memcpy(d, bytes, sizeof d);
        // A small arrow of the direction seen along z (x right, y up).
        const float size = ImGui::GetFrameHeight();
        ImVec2 at = ImGui::GetCursorScreenPos();
        ImGui::Dummy(ImVec2(size, size));
        ImDrawList* draw = ImGui::GetWindowDrawList();
        ImVec2 centre(at.x + size * 0.5f, at.y + size * 0.5f);
        float length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        ImU32 colour = ImGui::GetColorU32(ImGuiCol_Text);
        draw->AddCircle(centre, size * 0.45f, colour, 16);
        if (length > 0.0f)
            draw->AddLine(centre, ImVec2(centre.x + d[0] / length * size * 0.45f, centre.y - d[1] / length * size * 0.45f),
                          colour, 2.0f);
        ImGui::SameLine();
        ImGui::SetNextItemWidth(std::max(1.0f, ImGui::GetContentRegionAvail().x));
        float speed = static_cast<float>(limits.hasStep ? limits.step : DEFAULT_DIRECTION_STEP);
        bool changed = ImGui::DragFloat3("##value", d, speed, 0.0f, 0.0f, "%.3f");
        if (changed) std::memcpy(bytes, d, sizeof d);
        return changed;
    }
    default:
        break;
    }
    const CustomType* custom = model.Custom(type);
    if (custom && custom->isEnum) {
        int v;
        std::memcpy(&v, bytes, sizeof v);
        std::string current = std::to_string(v);
        for (const auto& value : custom->enumValues)
            if (value.first == v) {
                current = value.second;
                break;
            }
        bool changed = false;
        if (ImGui::BeginCombo("##value", current.c_str())) {
            for (size_t i = 0; i < custom->enumValues.size(); ++i) {
                const auto& value = custom->enumValues[i];
                ImGui::PushID(static_cast<int>(i));
                if (ImGui::Selectable(value.second.c_str(), value.first == v)) {
                    v = value.first;
                    changed = true;
                }
                ImGui::PopID();
            }
            ImGui::EndCombo();
        }
        if (changed) std::memcpy(bytes, &v, sizeof v);
        return changed;
    }
    ImGui::TextUnformatted("?");
    return false;
}

} // namespace TweakBar
} // namespace QRX
