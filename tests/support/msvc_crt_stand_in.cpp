// The pieces of MSVC's C runtime that a program links against and Wine's msvcrt import library
// lacks, for the clang-cl build against Wine's SDK (cmake/clang-cl-common.cmake). Compiled with
// /GS-, since it holds the stack check itself.
#include <stdint.h>

extern "C" {
// The stack-protector cookie and its check (/GS), which MSVC's runtime keeps in its static part.
uintptr_t __security_cookie = static_cast<uintptr_t>(0x2B992DDFA232ULL);
#if defined(_M_IX86)
void __fastcall __security_check_cookie(uintptr_t cookie) {
#else
void __security_check_cookie(uintptr_t cookie) {
#endif
  if (cookie != __security_cookie) __fastfail(2);  // FAST_FAIL_STACK_COOKIE_CHECK_FAILURE
}

// Tells the linker the program uses floating point; MSVC's runtime defines it.
int _fltused = 0;

// MSVC's start-up for GUI programs. Wine's runtime starts every program through mainCRTStartup,
// which calls WinMain when there is no main.
int mainCRTStartup(void);
int WinMainCRTStartup(void) {
  return mainCRTStartup();
}
}
