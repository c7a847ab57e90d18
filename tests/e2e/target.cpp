// Acceptance driver: starting lobecast.exe, finding its windows, posting keys, closing it.
#include <cstring>

#include "e2e.h"

namespace {
const char AppName[] = "Lobecast";
const int AngleEditId = 1001;

struct Search {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK MatchMainWindow(HWND hwnd, LPARAM lParam) {
  Search* search = reinterpret_cast<Search*>(lParam);
  char name[64], title[64];
  if (!GetClassNameA(hwnd, name, sizeof name) || std::strcmp(name, AppName) != 0) return TRUE;
  if (GetWindowTextA(hwnd, title, sizeof title) <= 0 || std::strcmp(title, AppName) != 0)
    return TRUE;
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (search->processId != 0 && pid != search->processId) return TRUE;
  if (!IsWindowVisible(hwnd)) return TRUE;
  search->found = hwnd;
  return FALSE;
}
}  // namespace

Target::~Target() {
  if (!pi.hProcess) return;
  if (!exited && WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
    if (hwnd) PostMessageA(hwnd, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) {
      Say("  the program did not close; ending it");
      TerminateProcess(pi.hProcess, 99);
      WaitForSingleObject(pi.hProcess, 10000);
    }
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
}

HWND FindMainWindow(DWORD processId, DWORD timeoutMs) {
  const DWORD start = Now();
  for (;;) {
    Search search = {processId, nullptr};
    EnumWindows(MatchMainWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found) return search.found;
    if (Now() - start >= timeoutMs) return nullptr;
    Sleep(50);
  }
}

void StartTarget(const std::string& exe, Target& t) {
  Require(GetFileAttributesA(exe.c_str()) != INVALID_FILE_ATTRIBUTES, "the program %s exists",
          exe.c_str());
  STARTUPINFOA si;
  std::memset(&si, 0, sizeof si);
  si.cb = sizeof si;
  std::string command = "\"" + exe + "\"";
  std::vector<char> line(command.begin(), command.end());
  line.push_back('\0');
  const BOOL started = CreateProcessA(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                      nullptr, &si, &t.pi);
  Require(started != FALSE, "CreateProcess started %s (error %lu)", exe.c_str(),
          started ? 0UL : static_cast<unsigned long>(GetLastError()));
  WaitForInputIdle(t.pi.hProcess, 20000);
  t.hwnd = FindMainWindow(t.pi.dwProcessId, 20000);
  Require(t.hwnd != nullptr, "a visible window of class and title \"%s\" appeared (pid %lu)",
          AppName, static_cast<unsigned long>(t.pi.dwProcessId));
}

void PostKey(HWND hwnd, UINT vk) {
  const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC)) << 16;
  PostMessageA(hwnd, WM_KEYDOWN, vk, 1 | scan);
  PostMessageA(hwnd, WM_KEYUP, vk, static_cast<LPARAM>(1 | scan | (LPARAM(3) << 30)));
}

void ClientSize(HWND hwnd, int& w, int& h) {
  RECT rc = {0, 0, 0, 0};
  GetClientRect(hwnd, &rc);
  w = rc.right - rc.left;
  h = rc.bottom - rc.top;
}

Image Capture(HWND hwnd) {
  Image image;
  if (!CaptureClient(hwnd, image)) Require(false, "the client area could be read (GetDC + BitBlt)");
  return image;
}

bool WaitStable(HWND hwnd, DWORD timeoutMs, Image& image) {
  const DWORD start = Now();
  Image previous = Capture(hwnd);
  int same = 0;
  while (Now() - start < timeoutMs) {
    Sleep(100);
    Image next = Capture(hwnd);
    same = next == previous ? same + 1 : 0;
    previous.px.swap(next.px);
    previous.w = next.w;
    previous.h = next.h;
    if (same >= 2) {
      image = previous;
      return true;
    }
  }
  image = previous;
  return false;
}

HWND WaitForDialog(HWND owner, DWORD timeoutMs) {
  const DWORD start = Now();
  for (;;) {
    HWND dialog = nullptr;
    while ((dialog = FindWindowExA(nullptr, dialog, "#32770", AppName)) != nullptr)
      if (GetWindow(dialog, GW_OWNER) == owner && IsWindowVisible(dialog)) return dialog;
    if (Now() - start >= timeoutMs) return nullptr;
    Sleep(50);
  }
}

bool WaitWindowGone(HWND hwnd, DWORD timeoutMs) {
  const DWORD start = Now();
  while (IsWindow(hwnd) && IsWindowVisible(hwnd)) {
    if (Now() - start >= timeoutMs) return false;
    Sleep(50);
  }
  return true;
}

std::string DialogEditText(HWND dialog) {
  char text[128] = "";
  GetDlgItemTextA(dialog, AngleEditId, text, sizeof text);
  return text;
}

void CloseTarget(Target& t) {
  PostMessageA(t.hwnd, WM_CLOSE, 0, 0);
  const DWORD waited = WaitForSingleObject(t.pi.hProcess, 15000);
  Require(waited == WAIT_OBJECT_0, "the program ended after WM_CLOSE");
  t.exited = true;
  DWORD code = 99;
  GetExitCodeProcess(t.pi.hProcess, &code);
  Check(code == 0, "exit code %lu (expected 0)", static_cast<unsigned long>(code));
  Check(!IsWindow(t.hwnd), "the main window is gone");
}
