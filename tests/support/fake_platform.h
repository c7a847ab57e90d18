// Recording stand-in for the platform calls: logs every call, answers from a script, delivers
// the synchronous messages the program relies on and tracks objects and device contexts.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "platform_names.h"

namespace fake {

// Drawing state of a device context at the moment a drawing call was made.
struct DcState {
  std::intptr_t pen = 0;
  std::intptr_t font = 0;
  int rop2 = R2_COPYPEN;
  UINT align = TA_LEFT | TA_TOP;
  COLORREF textColor = 0x000000;
};

struct Call {
  std::string name;
  std::vector<std::intptr_t> args;  // handles appear as their ids
  std::string text;                 // the text argument, where the call has one
  DcState dc;                       // for drawing calls: the device context's state
  std::string ToString() const;
};

// One step of what the user does while a modal dialog is open.
struct DialogAction {
  enum Kind { Type, Command, OwnerMessage, DialogMessage } kind;
  std::string text;  // Type: replaces the edit control's selection
  // Command: control id; OwnerMessage: message sent to the owner window; DialogMessage: message
  // sent to the dialog procedure, as the dialog manager sends its own (colours, cursor...)
  int value = 0;
};
DialogAction TypeText(const std::string& text);
DialogAction Press(int id);
DialogAction OwnerReceives(UINT message);
DialogAction DialogReceives(UINT message);

struct Script {
  int setTimerFailures = 0;           // SetTimer refuses this many times first
  std::deque<int> messageBoxAnswers;  // IDCANCEL once exhausted
  int fullScreenWidth = 1024;         // GetSystemMetrics(SM_CXFULLSCREEN)
  int clientWidth = 992;              // delivered by the first ShowWindow as WM_SIZE
  int clientHeight = 673;
  std::map<LONG, TEXTMETRICA> metrics;  // by the selected font's lfHeight
  std::deque<MSG> queue;                // what GetMessageA returns, in order
  // A queued message numbered GetMessageFails makes GetMessageA fail (-1), leaving its wParam
  // in the caller's record, as a failed call leaves whatever the record held.
  static const UINT GetMessageFails = 0xFFFFFFFF;
  std::vector<DialogAction> dialog;  // played by the next DialogBoxParamA
  LRESULT defWindowProcResult = 0;   // DefWindowProcA's answer to other messages
};

struct Object {
  enum Kind { Pen, Font, Stock } kind;
  bool alive = true;
  int penStyle = 0;
  int penWidth = 0;
  COLORREF penColor = 0;
  LOGFONTA font{};
};

// Forgets every call, object, window and script entry.
void Reset();
Script& Scripted();

const std::vector<Call>& Log();
std::vector<Call> Calls(const std::string& name);
std::vector<std::string> Names();  // the call names in order
void ClearLog();

// Misuse seen so far: a deleted object selected or deleted again, a device context released
// twice or used after release, a dialog that never ended, an empty message queue...
const std::vector<std::string>& Errors();
int LiveObjects();  // pens and fonts created and not deleted
int OpenDcs();      // device contexts got and not released
std::intptr_t Id(const void* handle);
const Object* ObjectOf(std::intptr_t id);

HINSTANCE Instance();    // what GetModuleHandleA(nullptr) answers; also given to WinMain
HWND LastWindow();       // the window CreateWindowExA made most recently
std::string EditText();  // the dialog's edit control text as it was when the dialog ended
bool EditAllSelected();  // whether the whole edit text was selected after WM_INITDIALOG
std::intptr_t FocusId();
int MetricsQueries();
// What the dialog procedure answered to each message the last dialog delivered.
const std::vector<INT_PTR>& DialogAnswers();
// The class record registered under name, or null.
const WNDCLASSEXA* RegisteredClass(const std::string& name);

// Lets a test fill in one font's metrics by its cell height.
void SetMetrics(LONG fontHeight, LONG height, LONG externalLeading, LONG aveCharWidth);

}  // namespace fake
