// Recording stand-in for the platform calls: logs every call, answers from a script, delivers
// the synchronous messages the program relies on and tracks objects and device contexts.
#include "fake_platform.h"
#include "res/resource.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <utility>

namespace fake {
namespace {

struct Window {
  WNDPROC proc = nullptr;
  bool shown = false;
};

struct Dc {
  bool open = true;
  bool paint = false;
  std::intptr_t hwnd = 0;
  DcState state;
};

struct Dialog {
  std::intptr_t hwnd = 0;
  std::intptr_t edit = 0;
  bool ended = false;
  INT_PTR result = 0;
};

struct State {
  std::intptr_t nextId = 0x100;
  std::vector<Call> log;
  std::vector<std::string> errors;
  Script script;
  std::map<std::string, WNDCLASSEXA> classes;
  std::map<std::string, std::string> classNames;  // keeps the copied names alive
  std::map<std::intptr_t, Window> windows;
  std::map<std::intptr_t, Dc> dcs;
  std::map<std::intptr_t, Object> objects;
  std::intptr_t lastWindow = 0;
  bool quitPosted = false;
  int quitCode = 0;
  bool queueEnded = false;  // GetMessageA has answered 0 or -1
  Dialog dialog;
  std::string editText;
  int selStart = 0;
  int selEnd = 0;
  bool editAllSelected = false;
  std::intptr_t focus = 0;
  int metricsQueries = 0;
  std::vector<INT_PTR> dialogAnswers;
};

State& S() {
  static State state;
  return state;
}

// Read after the dialog procedure has run, which selects through EM_SETSEL.
bool WholeEditTextSelected() {
  return S().selStart == 0 && S().selEnd == static_cast<int>(S().editText.size());
}

const std::intptr_t InstanceId = 0x400000;
const std::intptr_t IconId = 0x51;
const std::intptr_t CursorId = 0x52;
const std::intptr_t WhiteBrushId = 0x53;

std::intptr_t NewId() {
  return S().nextId++;
}

template <typename H>
H AsHandle(std::intptr_t id) {
  return reinterpret_cast<H>(id);
}

Call& Record(const char* name, std::vector<std::intptr_t> args, std::string text = {}) {
  S().log.push_back(Call{name, std::move(args), std::move(text), {}});
  return S().log.back();
}

void Error(const std::string& what) {
  S().errors.push_back(what);
}

// A device context that a drawing call may use, or null after recording the misuse.
Dc* UsableDc(HDC dc, const char* call) {
  auto it = S().dcs.find(Id(dc));
  if (it == S().dcs.end() || !it->second.open) {
    Error(std::string(call) + " on a device context that is not open");
    return nullptr;
  }
  return &it->second;
}

// Records a drawing call together with the state of its device context.
BOOL Draw(const char* name, HDC dc, std::vector<std::intptr_t> args, std::string text = {}) {
  Call& call = Record(name, std::move(args), std::move(text));
  if (Dc* d = UsableDc(dc, name)) call.dc = d->state;
  return TRUE;
}

LRESULT Deliver(std::intptr_t hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto it = S().windows.find(hwnd);
  if (it == S().windows.end()) {
    Error("message " + std::to_string(message) + " for an unknown window");
    return 0;
  }
  return it->second.proc(AsHandle<HWND>(hwnd), message, wParam, lParam);
}

HDC OpenDc(std::intptr_t hwnd, bool paint) {
  const std::intptr_t id = NewId();
  Dc dc;
  dc.paint = paint;
  dc.hwnd = hwnd;
  S().dcs[id] = dc;
  return AsHandle<HDC>(id);
}

BOOL CloseDc(HDC dc, bool paint, const char* call) {
  auto it = S().dcs.find(Id(dc));
  if (it == S().dcs.end() || !it->second.open) {
    Error(std::string(call) + " of a device context that is not open");
    return FALSE;
  }
  if (it->second.paint != paint) Error(std::string(call) + " of the wrong kind of device context");
  it->second.open = false;
  return TRUE;
}

std::intptr_t NewObject(const Object& object) {
  const std::intptr_t id = NewId();
  S().objects[id] = object;
  return id;
}

}  // namespace

std::string Call::ToString() const {
  std::ostringstream out;
  out << name << "(";
  for (std::size_t i = 0; i < args.size(); ++i) out << (i ? "," : "") << args[i];
  if (!text.empty()) out << (args.empty() ? "" : ",") << '"' << text << '"';
  out << ")";
  return out.str();
}

DialogAction TypeText(const std::string& text) {
  return {DialogAction::Type, text, 0};
}
DialogAction Press(int id) {
  return {DialogAction::Command, {}, id};
}
DialogAction OwnerReceives(UINT message) {
  return {DialogAction::OwnerMessage, {}, static_cast<int>(message)};
}
DialogAction DialogReceives(UINT message) {
  return {DialogAction::DialogMessage, {}, static_cast<int>(message)};
}

void Reset() {
  S() = State();
}
Script& Scripted() {
  return S().script;
}
const std::vector<Call>& Log() {
  return S().log;
}
void ClearLog() {
  S().log.clear();
}

std::vector<Call> Calls(const std::string& name) {
  std::vector<Call> found;
  for (const Call& call : S().log)
    if (call.name == name) found.push_back(call);
  return found;
}

std::vector<std::string> Names() {
  std::vector<std::string> names;
  for (const Call& call : S().log) names.push_back(call.name);
  return names;
}

const std::vector<std::string>& Errors() {
  return S().errors;
}

int LiveObjects() {
  int live = 0;
  for (const auto& entry : S().objects)
    if (entry.second.alive && entry.second.kind != Object::Stock) ++live;
  return live;
}

int OpenDcs() {
  int open = 0;
  for (const auto& entry : S().dcs)
    if (entry.second.open) ++open;
  return open;
}

std::intptr_t Id(const void* handle) {
  return reinterpret_cast<std::intptr_t>(handle);
}

const Object* ObjectOf(std::intptr_t id) {
  auto it = S().objects.find(id);
  return it == S().objects.end() ? nullptr : &it->second;
}

HINSTANCE Instance() {
  return AsHandle<HINSTANCE>(InstanceId);
}
HWND LastWindow() {
  return AsHandle<HWND>(S().lastWindow);
}
std::string EditText() {
  return S().editText;
}
bool EditAllSelected() {
  return S().editAllSelected;
}
std::intptr_t FocusId() {
  return S().focus;
}
int MetricsQueries() {
  return S().metricsQueries;
}
const std::vector<INT_PTR>& DialogAnswers() {
  return S().dialogAnswers;
}

const WNDCLASSEXA* RegisteredClass(const std::string& name) {
  auto it = S().classes.find(name);
  return it == S().classes.end() ? nullptr : &it->second;
}

void SetMetrics(LONG fontHeight, LONG height, LONG externalLeading, LONG aveCharWidth) {
  TEXTMETRICA tm{};
  tm.tmHeight = height;
  tm.tmExternalLeading = externalLeading;
  tm.tmAveCharWidth = aveCharWidth;
  S().script.metrics[fontHeight] = tm;
}

}  // namespace fake

using fake::AsHandle;
using fake::Id;
using fake::Record;
using fake::S;

extern "C" {

// Graphics device operations.

HPEN WINAPI CreatePen(int style, int width, COLORREF color) {
  fake::Object pen{fake::Object::Pen};
  pen.penStyle = style;
  pen.penWidth = width;
  pen.penColor = color;
  const std::intptr_t id = fake::NewObject(pen);
  Record("CreatePen", {style, width, static_cast<std::intptr_t>(color), id});
  return AsHandle<HPEN>(id);
}

HFONT WINAPI CreateFontIndirectA(const LOGFONTA* font) {
  fake::Object object{fake::Object::Font};
  object.font = *font;
  const std::intptr_t id = fake::NewObject(object);
  Record("CreateFontIndirectA", {font->lfHeight, id}, font->lfFaceName);
  return AsHandle<HFONT>(id);
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
  Record("DeleteObject", {Id(object)});
  auto it = S().objects.find(Id(object));
  if (it == S().objects.end() || !it->second.alive) {
    fake::Error("DeleteObject of an object that is not alive");
    return FALSE;
  }
  for (const auto& dc : S().dcs)
    if (dc.second.open && (dc.second.state.pen == Id(object) || dc.second.state.font == Id(object)))
      fake::Error("DeleteObject of an object selected into an open device context");
  it->second.alive = false;
  return TRUE;
}

HGDIOBJ WINAPI GetStockObject(int index) {
  Record("GetStockObject", {index});
  if (index != WHITE_BRUSH) fake::Error("GetStockObject of an unexpected stock object");
  S().objects[fake::WhiteBrushId] = fake::Object{fake::Object::Stock};
  return AsHandle<HGDIOBJ>(fake::WhiteBrushId);
}

HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object) {
  Record("SelectObject", {Id(dc), Id(object)});
  fake::Dc* d = fake::UsableDc(dc, "SelectObject");
  auto it = S().objects.find(Id(object));
  if (it == S().objects.end() || !it->second.alive) {
    fake::Error("SelectObject of an object that is not alive");
    return nullptr;
  }
  if (!d) return nullptr;
  std::intptr_t& slot = it->second.kind == fake::Object::Pen ? d->state.pen : d->state.font;
  const std::intptr_t previous = slot;
  slot = Id(object);
  return AsHandle<HGDIOBJ>(previous);
}

BOOL WINAPI MoveToEx(HDC dc, int x, int y, LPPOINT previous) {
  return fake::Draw("MoveToEx", dc, {x, y, Id(previous)});
}

BOOL WINAPI LineTo(HDC dc, int x, int y) {
  return fake::Draw("LineTo", dc, {x, y});
}

BOOL WINAPI Arc(HDC dc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd,
                int yEnd) {
  return fake::Draw("Arc", dc, {left, top, right, bottom, xStart, yStart, xEnd, yEnd});
}

int WINAPI SetROP2(HDC dc, int mode) {
  Record("SetROP2", {Id(dc), mode});
  fake::Dc* d = fake::UsableDc(dc, "SetROP2");
  if (!d) return 0;
  const int previous = d->state.rop2;
  d->state.rop2 = mode;
  return previous;
}

BOOL WINAPI GetTextMetricsA(HDC dc, LPTEXTMETRICA metrics) {
  Record("GetTextMetricsA", {Id(dc)});
  ++S().metricsQueries;
  const fake::Dc* d = fake::UsableDc(dc, "GetTextMetricsA");
  const fake::Object* font = d ? fake::ObjectOf(d->state.font) : nullptr;
  if (!font) {
    fake::Error("GetTextMetricsA with no font selected");
    return FALSE;
  }
  auto it = S().script.metrics.find(font->font.lfHeight);
  if (it != S().script.metrics.end()) {
    *metrics = it->second;
  } else {
    *metrics = TEXTMETRICA{};
    metrics->tmHeight = font->font.lfHeight;
    metrics->tmAveCharWidth = font->font.lfHeight / 2;
  }
  return TRUE;
}

UINT WINAPI SetTextAlign(HDC dc, UINT align) {
  Record("SetTextAlign", {Id(dc), static_cast<std::intptr_t>(align)});
  fake::Dc* d = fake::UsableDc(dc, "SetTextAlign");
  if (!d) return 0;
  const UINT previous = d->state.align;
  d->state.align = align;
  return previous;
}

COLORREF WINAPI SetTextColor(HDC dc, COLORREF color) {
  Record("SetTextColor", {Id(dc), static_cast<std::intptr_t>(color)});
  fake::Dc* d = fake::UsableDc(dc, "SetTextColor");
  if (!d) return 0;
  const COLORREF previous = d->state.textColor;
  d->state.textColor = color;
  return previous;
}

BOOL WINAPI TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
  return fake::Draw("TextOutA", dc, {x, y, length}, std::string(text, length < 0 ? 0 : length));
}

// Window manager operations.

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
  Record("GetModuleHandleA", {Id(moduleName)});
  return fake::Instance();
}

HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name) {
  Record("LoadIconA", {Id(instance), Id(name)});
  return AsHandle<HICON>(fake::IconId);
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
  Record("LoadCursorA", {Id(instance), Id(name)});
  return AsHandle<HCURSOR>(fake::CursorId);
}

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* windowClass) {
  const std::string name = windowClass->lpszClassName;
  Record("RegisterClassExA", {}, name);
  WNDCLASSEXA copy = *windowClass;
  S().classNames[name] = name;
  copy.lpszClassName = S().classNames[name].c_str();
  S().classes[name] = copy;
  return 0xC001;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
  const std::intptr_t id = fake::NewId();
  Record("CreateWindowExA",
         {static_cast<std::intptr_t>(exStyle), static_cast<std::intptr_t>(style), x, y, width,
          height, Id(parent), Id(menu), Id(instance), Id(param)},
         std::string(className) + "|" + title);
  auto it = S().classes.find(className);
  if (it == S().classes.end()) {
    fake::Error("CreateWindowExA of an unregistered class");
    return nullptr;
  }
  S().windows[id].proc = it->second.lpfnWndProc;
  const std::intptr_t previous = S().lastWindow;
  S().lastWindow = id;
  // -1 from the create message destroys the window: the program gets no handle.
  if (fake::Deliver(id, WM_CREATE, 0, 0) == -1) {
    S().windows.erase(id);
    S().lastWindow = previous;
    return nullptr;
  }
  return AsHandle<HWND>(id);
}

UINT_PTR WINAPI SetTimer(HWND hwnd, UINT_PTR id, UINT elapse, TIMERPROC timerProc) {
  Record("SetTimer", {Id(hwnd), static_cast<std::intptr_t>(id), static_cast<std::intptr_t>(elapse),
                      Id(reinterpret_cast<const void*>(timerProc))});
  if (S().script.setTimerFailures > 0) {
    --S().script.setTimerFailures;
    return 0;
  }
  return id;
}

BOOL WINAPI KillTimer(HWND hwnd, UINT_PTR id) {
  Record("KillTimer", {Id(hwnd), static_cast<std::intptr_t>(id)});
  return TRUE;
}

int WINAPI MessageBoxA(HWND hwnd, LPCSTR text, LPCSTR caption, UINT type) {
  Record("MessageBoxA", {Id(hwnd), static_cast<std::intptr_t>(type)},
         std::string(text) + "|" + caption);
  auto& answers = S().script.messageBoxAnswers;
  if (answers.empty()) return IDCANCEL;
  const int answer = answers.front();
  answers.pop_front();
  return answer;
}

BOOL WINAPI ShowWindow(HWND hwnd, int showCommand) {
  Record("ShowWindow", {Id(hwnd), showCommand});
  auto it = S().windows.find(Id(hwnd));
  if (it == S().windows.end()) {
    fake::Error("ShowWindow of an unknown window");
    return FALSE;
  }
  fake::Window& window = it->second;
  const bool wasShown = window.shown;
  window.shown = true;
  if (!wasShown)
    fake::Deliver(Id(hwnd), WM_SIZE, 0, MAKELONG(S().script.clientWidth, S().script.clientHeight));
  return wasShown;
}

BOOL WINAPI UpdateWindow(HWND hwnd) {
  Record("UpdateWindow", {Id(hwnd)});
  fake::Deliver(Id(hwnd), WM_PAINT, 0, 0);
  return TRUE;
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax) {
  // A loop that does not stop on 0 or -1 would otherwise ask forever while the log grows.
  if (S().queueEnded) {
    std::fprintf(stderr,
                 "fake GetMessageA: called again after it answered 0 or -1; the message loop "
                 "must end there\n");
    std::abort();
  }
  Record("GetMessageA",
         {Id(hwnd), static_cast<std::intptr_t>(filterMin), static_cast<std::intptr_t>(filterMax)});
  auto& queue = S().script.queue;
  if (!queue.empty()) {
    *msg = queue.front();
    queue.pop_front();
    if (msg->message == fake::Script::GetMessageFails) {
      S().queueEnded = true;
      return -1;
    }
    if (!msg->hwnd && msg->message != WM_QUIT) msg->hwnd = fake::LastWindow();
    S().queueEnded = msg->message == WM_QUIT;
    return S().queueEnded ? FALSE : TRUE;
  }
  *msg = MSG{};
  S().queueEnded = true;
  if (S().quitPosted) {
    msg->message = WM_QUIT;
    msg->wParam = static_cast<WPARAM>(S().quitCode);
    return FALSE;
  }
  fake::Error("GetMessageA with an empty queue and no quit message");
  return -1;
}

BOOL WINAPI TranslateMessage(const MSG* msg) {
  Record("TranslateMessage", {static_cast<std::intptr_t>(msg->message)});
  return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
  Record("DispatchMessageA", {Id(msg->hwnd), static_cast<std::intptr_t>(msg->message)});
  return fake::Deliver(Id(msg->hwnd), msg->message, msg->wParam, msg->lParam);
}

LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Record("DefWindowProcA", {Id(hwnd), static_cast<std::intptr_t>(message),
                            static_cast<std::intptr_t>(wParam), lParam});
  if (message == WM_CLOSE) {  // closing destroys the window
    fake::Deliver(Id(hwnd), WM_DESTROY, 0, 0);
    return 0;
  }
  return S().script.defWindowProcResult;
}

void WINAPI PostQuitMessage(int exitCode) {
  Record("PostQuitMessage", {exitCode});
  S().quitPosted = true;
  S().quitCode = exitCode;
}

HDC WINAPI BeginPaint(HWND hwnd, LPPAINTSTRUCT paint) {
  HDC dc = fake::OpenDc(Id(hwnd), true);
  Record("BeginPaint", {Id(hwnd), Id(dc)});
  *paint = PAINTSTRUCT{};
  paint->hdc = dc;
  paint->fErase = FALSE;
  paint->rcPaint = RECT{0, 0, S().script.clientWidth, S().script.clientHeight};
  return dc;
}

BOOL WINAPI EndPaint(HWND hwnd, const PAINTSTRUCT* paint) {
  Record("EndPaint", {Id(hwnd), Id(paint->hdc)});
  return fake::CloseDc(paint->hdc, true, "EndPaint");
}

HDC WINAPI GetDC(HWND hwnd) {
  HDC dc = fake::OpenDc(Id(hwnd), false);
  Record("GetDC", {Id(hwnd), Id(dc)});
  return dc;
}

int WINAPI ReleaseDC(HWND hwnd, HDC dc) {
  Record("ReleaseDC", {Id(hwnd), Id(dc)});
  return fake::CloseDc(dc, false, "ReleaseDC");
}

BOOL WINAPI InvalidateRect(HWND hwnd, const RECT* rect, BOOL erase) {
  Record("InvalidateRect", {Id(hwnd), Id(rect), erase});
  if (!erase) fake::Error("InvalidateRect without erase: the paint's arcs need an erased region");
  return TRUE;
}

int WINAPI GetSystemMetrics(int index) {
  Record("GetSystemMetrics", {index});
  return index == SM_CXFULLSCREEN ? S().script.fullScreenWidth : 0;
}

int WINAPIV wsprintfA(LPSTR buffer, LPCSTR format, ...) {
  // The platform writes at most 1024 bytes.
  va_list args;
  va_start(args, format);
  const int written = std::vsnprintf(buffer, 1024, format, args);
  va_end(args);
  Record("wsprintfA", {}, buffer);
  return written < 1024 ? written : 1023;
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE instance, LPCSTR templateName, HWND owner,
                               DLGPROC dialogProc, LPARAM initParam) {
  Record("DialogBoxParamA", {Id(instance), Id(templateName), Id(owner), initParam});
  fake::Dialog& dialog = S().dialog;
  dialog = fake::Dialog{};
  dialog.hwnd = fake::NewId();
  dialog.edit = fake::NewId();
  S().editText.clear();
  S().selStart = S().selEnd = 0;
  HWND dlg = AsHandle<HWND>(dialog.hwnd);

  S().dialogAnswers.clear();
  S().dialogAnswers.push_back(dialogProc(dlg, WM_INITDIALOG, 0, initParam));
  S().editAllSelected = fake::WholeEditTextSelected();

  const std::vector<fake::DialogAction> actions = S().script.dialog;
  S().script.dialog.clear();
  for (const fake::DialogAction& action : actions) {
    if (dialog.ended) break;
    switch (action.kind) {
      case fake::DialogAction::Type:
        S().editText.replace(S().selStart, S().selEnd - S().selStart, action.text);
        S().selStart = S().selEnd = S().selStart + static_cast<int>(action.text.size());
        break;
      case fake::DialogAction::Command:
        S().dialogAnswers.push_back(
            dialogProc(dlg, WM_COMMAND, static_cast<WPARAM>(action.value), 0));
        break;
      case fake::DialogAction::OwnerMessage:
        fake::Deliver(Id(owner), static_cast<UINT>(action.value), 0, 0);
        break;
      case fake::DialogAction::DialogMessage:
        S().dialogAnswers.push_back(dialogProc(dlg, static_cast<UINT>(action.value), 0, 0));
        break;
    }
  }
  if (!dialog.ended) {
    fake::Error("the dialog never ended");
    return -1;
  }
  return dialog.result;
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
  Record("EndDialog", {Id(dialog), result});
  if (Id(dialog) != S().dialog.hwnd || S().dialog.ended) {
    fake::Error("EndDialog of a dialog that is not open");
    return FALSE;
  }
  S().dialog.ended = true;
  S().dialog.result = result;
  return TRUE;
}

HWND WINAPI GetDlgItem(HWND dialog, int id) {
  Record("GetDlgItem", {Id(dialog), id});
  if (Id(dialog) == S().dialog.hwnd && id == IDC_ANGLE_EDIT) return AsHandle<HWND>(S().dialog.edit);
  return nullptr;
}

HWND WINAPI SetFocus(HWND hwnd) {
  Record("SetFocus", {Id(hwnd)});
  const std::intptr_t previous = S().focus;
  S().focus = Id(hwnd);
  return AsHandle<HWND>(previous);
}

BOOL WINAPI SetWindowTextA(HWND hwnd, LPCSTR text) {
  Record("SetWindowTextA", {Id(hwnd)}, text);
  if (Id(hwnd) != S().dialog.edit) {
    fake::Error("SetWindowTextA on a window other than the edit control");
    return FALSE;
  }
  S().editText = text;
  S().selStart = S().selEnd = 0;
  return TRUE;
}

int WINAPI GetWindowTextA(HWND hwnd, LPSTR buffer, int size) {
  Record("GetWindowTextA", {Id(hwnd), size});
  if (Id(hwnd) != S().dialog.edit || size <= 0) {
    fake::Error("GetWindowTextA on a window other than the edit control");
    if (size > 0) buffer[0] = '\0';
    return 0;
  }
  const int count = std::min(static_cast<int>(S().editText.size()), size - 1);
  std::memcpy(buffer, S().editText.data(), static_cast<std::size_t>(count));
  buffer[count] = '\0';
  return count;
}

LRESULT WINAPI SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Record("SendMessageA", {Id(hwnd), static_cast<std::intptr_t>(message),
                          static_cast<std::intptr_t>(wParam), lParam});
  if (Id(hwnd) == S().dialog.edit && message == EM_SETSEL) {
    const int length = static_cast<int>(S().editText.size());
    const int start = static_cast<int>(static_cast<std::intptr_t>(wParam));
    const int end = static_cast<int>(lParam);
    if (start == -1) {
      S().selStart = S().selEnd;
    } else {
      S().selStart = std::min(std::max(start, 0), length);
      S().selEnd = end < 0 ? length : std::min(end, length);
      if (S().selEnd < S().selStart) std::swap(S().selStart, S().selEnd);
    }
    return TRUE;
  }
  return 0;
}

}  // extern "C"
