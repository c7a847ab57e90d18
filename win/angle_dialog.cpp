// The phase angle dialog: shows the beam angle and takes a new one.
#include "win/angle_dialog.h"

#include "app/animation.h"
#include "model/steering.h"

namespace {
const int TextSize = 100;  // 99 characters and the terminator

bool IsBlank(unsigned char c) {
  return c == ' ' || (c >= 9 && c <= 13);
}
bool IsDigit(unsigned char c) {
  return c >= '0' && c <= '9';
}
}  // namespace

int ParseAngle(const char* text) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
  while (IsBlank(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  // Accumulate the magnitude with a ceiling just past the 32-bit range, so no overflow.
  const long long limit = 2147483648LL;
  long long magnitude = 0;
  for (; IsDigit(*p); ++p) {
    magnitude = magnitude * 10 + (*p - '0');
    if (magnitude > limit) magnitude = limit;
  }
  if (negative) return static_cast<int>(-magnitude);
  return magnitude >= limit ? 2147483647 : static_cast<int>(magnitude);
}

void RunAngleDialog(HWND owner) {
  DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(AngleDialogId), owner,
                  AngleDialogProc, 0);
}

INT_PTR CALLBACK AngleDialogProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM) {
  char text[TextSize];
  switch (message) {
    case WM_INITDIALOG: {
      HWND edit = GetDlgItem(hDlg, AngleEditId);
      SetFocus(edit);
      wsprintfA(text, "%d", BeamAngle);
      SetWindowTextA(edit, text);
      SendMessageA(edit, EM_SETSEL, 0, -1);  // typing replaces the old angle
      return FALSE;                          // keep the focus on the edit control
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          text[0] = '\0';
          GetWindowTextA(GetDlgItem(hDlg, AngleEditId), text, TextSize);
          text[TextSize - 1] = '\0';
          SetBeamAngle(ParseAngle(text));
          EndDialog(hDlg, 1);
          break;
        case IDCANCEL:
          EndDialog(hDlg, 0);
          break;
        default:
          break;
      }
      return FALSE;
    default:
      return FALSE;
  }
}
