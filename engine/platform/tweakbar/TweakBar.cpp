#include "engine/platform/tweakbar/TweakBar.h"

#include <memory>
#include <vector>

#include "engine/platform/tweakbar/TweakBarModel.h"
#include "engine/platform/tweakbar/TweakBarView.h"

namespace QRX {

namespace {

struct Library
{
    TweakBar::Model model;
    TweakBar::View view;
    bool drawing = false;  // TwDraw is running (callbacks included)
};

std::unique_ptr<Library> g_library;
std::string g_lastError;
TwCopyStdStringToClient g_copyToClient = nullptr;
TwFailureReport g_failureReport = nullptr;

int Succeeded()
{
    g_lastError.clear();
    return 1;
}

// The library's failures go to the page alone, never echoed to the console.
int Failed(const char* call, const std::string& reason)
{
    g_lastError = reason;
    if (g_failureReport) g_failureReport(call, __FILE__, __LINE__, reason);
    return 0;
}

// The started library, or null with the error set. A library that is not
// running has nothing to report: the call is not logged (the renderer sizes
// the bars before the library starts, and after it stops).
Library* Started(const char* call)
{
    if (!g_library) g_lastError = std::string(call) + ": the tweak-bar library is not started";
    return g_library.get();
}

int FromModel(const char* call, bool ok)
{
    return ok ? Succeeded() : Failed(call, g_library->model.LastError());
}

} // namespace

void TwSetFailureReport(TwFailureReport report) { g_failureReport = report; }

int TwInit(TwGraphAPI graphAPI, void* device)
{
    (void)device;  // OpenGL needs none
    const char* call = "QRX::TwInit";
    if (g_library) return Failed(call, "The tweak-bar library is already started");
    if (graphAPI != TW_OPENGL && graphAPI != TW_OPENGL_CORE)
        return Failed(call, "Unsupported graphics interface " + std::to_string(static_cast<int>(graphAPI)));
    g_library = std::make_unique<Library>();
    g_library->model.SetCopyStringToClient(g_copyToClient);
    return Succeeded();
}

int TwTerminate()
{
    const char* call = "QRX::TwTerminate";
    Library* lib = Started(call);
    if (!lib) return 0;
    if (lib->drawing) return Failed(call, "The tweak-bar library cannot be stopped from its own callbacks");
    g_library.reset();
    return Succeeded();
}

const char* TwGetLastError() { return g_lastError.c_str(); }

TwBar* TwNewBar(const char* barName)
{
    const char* call = "QRX::TwNewBar";
    Library* lib = Started(call);
    if (!lib) return nullptr;
    TwBar* bar = lib->model.NewBar(barName);
    FromModel(call, bar != nullptr);
    return bar;
}

int TwDeleteBar(TwBar* bar)
{
    const char* call = "QRX::TwDeleteBar";
    Library* lib = Started(call);
    return lib ? FromModel(call, lib->model.DeleteBar(bar)) : 0;
}

int TwDeleteAllBars()
{
    Library* lib = Started("QRX::TwDeleteAllBars");
    if (!lib) return 0;
    lib->model.DeleteAllBars();
    return Succeeded();
}

int TwDefine(const char* def)
{
    const char* call = "QRX::TwDefine";
    Library* lib = Started(call);
    return lib ? FromModel(call, lib->model.Define(def)) : 0;
}

TwType TwDefineStruct(const char* name, const TwStructMember* structMembers, unsigned int nbMembers,
                      std::size_t structSize, TwSummaryCallback summaryCallback, void* summaryClientData)
{
    (void)summaryCallback;
    (void)summaryClientData;
    const char* call = "QRX::TwDefineStruct";
    Library* lib = Started(call);
    if (!lib) return TW_TYPE_UNDEF;
    TwType type = lib->model.DefineStruct(name, structMembers, nbMembers, structSize);
    FromModel(call, type != TW_TYPE_UNDEF);
    return type;
}

TwType TwDefineEnum(const char* name, const TwEnumVal* enumValues, unsigned int nbValues)
{
    const char* call = "QRX::TwDefineEnum";
    Library* lib = Started(call);
    if (!lib) return TW_TYPE_UNDEF;
    if (!enumValues && nbValues > 0) {
        Failed(call, "Enumeration values are null");
        return TW_TYPE_UNDEF;
    }
    std::vector<std::pair<int, std::string>> values;
    for (unsigned int i = 0; i < nbValues; ++i) {
        if (!enumValues[i].Label) {
            Failed(call, "Enumeration value " + std::to_string(i) + " has no label");
            return TW_TYPE_UNDEF;
        }
        values.emplace_back(enumValues[i].Value, enumValues[i].Label);
    }
    TwType type = lib->model.DefineEnum(name, values);
    FromModel(call, type != TW_TYPE_UNDEF);
    return type;
}

TwType TwDefineEnumFromString(const char* name, const char* enumString)
{
    const char* call = "QRX::TwDefineEnumFromString";
    Library* lib = Started(call);
    if (!lib) return TW_TYPE_UNDEF;
    TwType type = lib->model.DefineEnumFromString(name, enumString);
    FromModel(call, type != TW_TYPE_UNDEF);
    return type;
}

int TwAddVarRW(TwBar* bar, const char* name, TwType type, void* var, const char* def)
{
    const char* call = "QRX::TwAddVarRW";
    Library* lib = Started(call);
    return lib ? FromModel(call, lib->model.AddVariable(bar, name, type, TweakBar::Access::ReadWrite, var,
                                                        nullptr, nullptr, nullptr, def))
               : 0;
}

int TwAddVarRO(TwBar* bar, const char* name, TwType type, const void* var, const char* def)
{
    const char* call = "QRX::TwAddVarRO";
    Library* lib = Started(call);
    // Read-only variables are never written through the pointer.
    return lib ? FromModel(call, lib->model.AddVariable(bar, name, type, TweakBar::Access::ReadOnly,
                                                        const_cast<void*>(var), nullptr, nullptr, nullptr, def))
               : 0;
}

int TwAddVarCB(TwBar* bar, const char* name, TwType type, TwSetVarCallback setCallback,
               TwGetVarCallback getCallback, void* clientData, const char* def)
{
    const char* call = "QRX::TwAddVarCB";
    Library* lib = Started(call);
    return lib ? FromModel(call, lib->model.AddVariable(bar, name, type, TweakBar::Access::Callbacks, nullptr,
                                                        setCallback, getCallback, clientData, def))
               : 0;
}

int TwAddButton(TwBar* bar, const char* name, TwButtonCallback callback, void* clientData, const char* def)
{
    const char* call = "QRX::TwAddButton";
    Library* lib = Started(call);
    return lib ? FromModel(call, lib->model.AddButton(bar, name, callback, clientData, def)) : 0;
}

int TwAddSeparator(TwBar* bar, const char* name, const char* def)
{
    const char* call = "QRX::TwAddSeparator";
    Library* lib = Started(call);
    return lib ? FromModel(call, lib->model.AddSeparator(bar, name, def)) : 0;
}

void TwCopyStdStringToClientFunc(TwCopyStdStringToClient copyStdStringFunc)
{
    g_copyToClient = copyStdStringFunc;
    if (g_library) g_library->model.SetCopyStringToClient(copyStdStringFunc);
}

void TwCopyStdStringToLibrary(std::string& destinationLibraryString, const std::string& sourceClientString)
{
    destinationLibraryString = sourceClientString;
}

int TwDraw()
{
    const char* call = "QRX::TwDraw";
    Library* lib = Started(call);
    if (!lib) return 0;
    if (lib->drawing) return Failed(call, "TwDraw cannot be called from a tweak-bar callback");
    lib->drawing = true;
    lib->view.Draw(lib->model);
    lib->drawing = false;
    return Succeeded();
}

int TwWindowSize(int width, int height)
{
    const char* call = "QRX::TwWindowSize";
    Library* lib = Started(call);
    if (!lib) return 0;
    if (width < 0 || height < 0)
        return Failed(call, "Window size " + std::to_string(width) + " x " + std::to_string(height) + " is negative");
    lib->view.SetWindowSize(width, height);
    return Succeeded();
}

int TwEventWin(const Platform::WindowMessage& message)
{
    // Messages arrive all the time: no error or log line when not started.
    if (!g_library) return 0;
    return g_library->view.HandleMessage(message) ? 1 : 0;
}

namespace TweakBar {

Model* LibraryModel() { return g_library ? &g_library->model : nullptr; }

} // namespace TweakBar

} // namespace QRX
