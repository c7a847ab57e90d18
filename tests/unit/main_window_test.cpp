// Start-up, the timer prompt, the message loop and the window procedure's routing.
#include "win/main_window.h"
#include "app/animation.h"
#include "app/objects.h"
#include "model/steering.h"
#include "test_support.h"

namespace {

class Shell : public PlatformTest {
 protected:
  MSG Message(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    MSG msg = {};
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    return msg;
  }
  int Run(int showCommand = SW_SHOWDEFAULT) {
    return WinMain(fake::Instance(), nullptr, nullptr, showCommand);
  }
  // The call names that belong to the shell, in order.
  static std::vector<std::string> ShellCalls() {
    std::vector<std::string> names;
    for (const std::string& n : fake::Names())
      if (n == "RegisterClassExA" || n == "CreateWindowExA" || n == "SetTimer" ||
          n == "MessageBoxA" || n == "ShowWindow" || n == "UpdateWindow" || n == "GetMessageA" ||
          n == "BeginPaint" || n == "CreatePen")
        if (names.empty() || names.back() != n) names.push_back(n);
    return names;
  }
};

TEST_F(Shell, StartsUpInOrderAndReturnsTheQuitCode) {
  MSG quit = {};
  quit.message = WM_QUIT;
  quit.wParam = 7;
  fake::Scripted().queue = {quit};
  // A shortcut set to start maximised: the window shows as WinMain is told.
  EXPECT_EQ(Run(SW_SHOWMAXIMIZED), 7);
  EXPECT_EQ(ShellCalls(), (std::vector<std::string>{"RegisterClassExA", "CreateWindowExA",
                                                    "CreatePen", "SetTimer", "ShowWindow",
                                                    "UpdateWindow", "BeginPaint", "GetMessageA"}));
  HWND hwnd = fake::LastWindow();
  EXPECT_EQ(
      ArgsOf("CreateWindowExA"),
      (std::vector<Args>{{0, 0x00CF0000, 0, 0, 1000, 700, 0, 0, fake::Id(fake::Instance()), 0}}));
  EXPECT_EQ(fake::Calls("CreateWindowExA")[0].text, "Lobecast|Lobecast");
  EXPECT_EQ(ArgsOf("SetTimer"), (std::vector<Args>{{fake::Id(hwnd), 1, 50, 0}}));
  EXPECT_EQ(ArgsOf("ShowWindow"), (std::vector<Args>{{fake::Id(hwnd), SW_SHOWMAXIMIZED}}));
  EXPECT_EQ(ArgsOf("GetMessageA"), (std::vector<Args>{{0, 0, 0}}));
  // The first paint comes after the size message: the heading is centred on the client.
  ASSERT_FALSE(fake::Calls("TextOutA").empty());
  EXPECT_EQ(fake::Calls("TextOutA")[0].args[0], 992 / 2);
  EXPECT_TRUE(fake::Calls("MessageBoxA").empty());
}

TEST_F(Shell, TheClassRecordIsFilledFieldByField) {
  fake::Scripted().queue = {Message(WM_QUIT)};
  Run();
  const WNDCLASSEXA* c = fake::RegisteredClass("Lobecast");
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->cbSize, sizeof(WNDCLASSEXA));
  EXPECT_EQ(c->style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
  EXPECT_EQ(c->lpfnWndProc, &MainWindowProc);
  EXPECT_EQ(c->cbClsExtra, 0);
  EXPECT_EQ(c->cbWndExtra, 0);
  EXPECT_EQ(c->hInstance, fake::Instance());
  EXPECT_EQ(c->lpszMenuName, nullptr);
  EXPECT_STREQ(c->lpszClassName, "Lobecast");
  const std::vector<Args> icons = ArgsOf("LoadIconA");
  ASSERT_FALSE(icons.empty());
  for (const Args& a : icons) EXPECT_EQ(a, (Args{0, 32512}));
  EXPECT_EQ(ArgsOf("LoadCursorA"), (std::vector<Args>{{0, 32512}}));
  EXPECT_EQ(ArgsOf("GetStockObject"), (std::vector<Args>{{WHITE_BRUSH}}));
  ASSERT_NE(c->hIcon, nullptr);
  EXPECT_EQ(c->hIconSm, c->hIcon);
  EXPECT_NE(c->hCursor, nullptr);
  EXPECT_NE(fake::Id(c->hCursor), fake::Id(c->hIcon));
  EXPECT_NE(c->hbrBackground, nullptr);
}

TEST_F(Shell, ARefusedTimerIsRetriedOnAnyAnswerButCancel) {
  const struct Case {
    int failures;
    std::deque<int> answers;
    std::size_t prompts;
    bool shown;
  } cases[] = {
      {2, {IDRETRY, IDRETRY}, 2, true},
      {3, {IDRETRY, IDOK, 0}, 3, true},
      {1, {IDCANCEL}, 1, false},
      {5, {IDRETRY, IDCANCEL}, 2, false},
  };
  for (const Case& c : cases) {
    ResetProgramState();
    fake::Scripted().setTimerFailures = c.failures;
    fake::Scripted().messageBoxAnswers = c.answers;
    fake::Scripted().queue = {Message(WM_QUIT)};
    EXPECT_EQ(Run(), 0);
    const std::vector<fake::Call> prompts = fake::Calls("MessageBoxA");
    ASSERT_EQ(prompts.size(), c.prompts);
    for (const fake::Call& p : prompts) {
      EXPECT_EQ(p.text, "Too many clocks or timers!|Lobecast");
      EXPECT_EQ(p.args, (Args{fake::Id(fake::LastWindow()), 0x30 | 0x5}));
    }
    EXPECT_EQ(fake::Calls("SetTimer").size(), c.shown ? c.failures + 1u : c.prompts);
    EXPECT_EQ(fake::Calls("ShowWindow").size(), c.shown ? 1u : 0u);
    EXPECT_EQ(fake::Calls("UpdateWindow").size(), c.shown ? 1u : 0u);
    EXPECT_EQ(fake::Calls("GetMessageA").size(), c.shown ? 1u : 0u);
  }
}

TEST_F(Shell, EveryMessageIsTranslatedThenDispatchedUntilCloseOrAFailureEndsTheLoop) {
  // Queued messages without a window go to the main window once it exists.
  const MSG enter = Message(WM_KEYDOWN, VK_RETURN), timer = Message(WM_TIMER, 1);
  const std::vector<std::string> twoMessages = {"GetMessageA",      "TranslateMessage",
                                                "DispatchMessageA", "GetMessageA",
                                                "TranslateMessage", "DispatchMessageA"};
  const struct Case {
    MSG last;
    std::vector<std::string> rest;  // the loop's calls after the first two messages
  } cases[] = {
      {Message(WM_CLOSE),
       {"GetMessageA", "TranslateMessage", "DispatchMessageA", "DeleteObject", "DeleteObject",
        "DeleteObject", "DeleteObject", "DeleteObject", "DeleteObject", "KillTimer",
        "PostQuitMessage", "GetMessageA"}},
      // A failed GetMessageA ends the loop with 0, whatever its record holds.
      {Message(fake::Script::GetMessageFails, 7), {"GetMessageA"}},
  };
  for (const Case& c : cases) {
    ResetProgramState();
    fake::Scripted().queue = {enter, timer, c.last};
    EXPECT_EQ(Run(), 0);
    HWND hwnd = fake::LastWindow();
    std::vector<std::string> loop;
    for (const std::string& n : fake::Names())
      if (n == "GetMessageA" || n == "TranslateMessage" || n == "DispatchMessageA" ||
          n == "DeleteObject" || n == "KillTimer" || n == "PostQuitMessage")
        loop.push_back(n);
    std::vector<std::string> expected = twoMessages;
    expected.insert(expected.end(), c.rest.begin(), c.rest.end());
    EXPECT_EQ(loop, expected);
    EXPECT_EQ(TickCount, 1) << "the key and the tick reached the window procedure";
    EXPECT_EQ(fake::OpenDcs(), 0);
    if (c.last.message == WM_CLOSE) {
      EXPECT_EQ(fake::LiveObjects(), 0);
      EXPECT_EQ(ArgsOf("KillTimer"), (std::vector<Args>{{fake::Id(hwnd), 1}}));
      EXPECT_EQ(ArgsOf("PostQuitMessage"), (std::vector<Args>{{0}}));
    }
  }
}

class Routing : public MainWindowTest {};

TEST_F(Routing, SizeMessageKeepsBothUnsigned16BitHalves) {
  const struct Case {
    LPARAM lParam;
    int width, height;
  } cases[] = {
      {MAKELONG(800, 600), 800, 600},
      {MAKELONG(32768, 40000), 32768, 40000},
      {MAKELONG(65535, 65535), 65535, 65535},
      {MAKELONG(0, 0), 0, 0},
      // Bits above the low 32 of a 64-bit lParam are not part of the size.
      {static_cast<LPARAM>(static_cast<std::uint64_t>(0x7FFF000102580320ull)), 800, 600},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Send(WM_SIZE, 0, c.lParam), 0);
    EXPECT_EQ(ClientWidth, c.width);
    EXPECT_EQ(ClientHeight, c.height);
  }
}

TEST_F(Routing, HandledMessagesReturnZeroAndOthersGoToDefaultProcessing) {
  fake::Scripted().defWindowProcResult = 1234;
  for (UINT message : {UINT{WM_SIZE}, UINT{WM_PAINT}, UINT{WM_KEYDOWN}, UINT{WM_TIMER}}) {
    fake::ClearLog();
    EXPECT_EQ(Send(message, 0, MAKELONG(1000, 600)), 0) << message;
    EXPECT_TRUE(fake::Calls("DefWindowProcA").empty()) << message;
  }
  for (UINT message : {UINT{0x0003}, UINT{WM_ERASEBKGND}, UINT{WM_CHAR}, UINT{WM_COMMAND},
                       UINT{0x0112}, UINT{0x0400}}) {
    fake::ClearLog();
    EXPECT_EQ(Send(message, 5, 6), 1234) << message;
    EXPECT_EQ(ArgsOf("DefWindowProcA"),
              (std::vector<Args>{{fake::Id(hwnd), static_cast<std::intptr_t>(message), 5, 6}}));
  }
}

TEST_F(Routing, ATimerMessageAdvancesWhateverItsIdentifier) {
  Key(VK_RETURN);
  for (WPARAM id : {WPARAM{1}, WPARAM{2}, WPARAM{0}, WPARAM{0xFFFF}}) Send(WM_TIMER, id);
  EXPECT_EQ(TickCount, 4);
}

TEST_F(Routing, DestroyFreesTheObjectsThenStopsTheTimerThenQuits) {
  EXPECT_EQ(Send(WM_DESTROY), 0);
  const std::vector<std::string> names = fake::Names();
  EXPECT_EQ(names, (std::vector<std::string>{"DeleteObject", "DeleteObject", "DeleteObject",
                                             "DeleteObject", "DeleteObject", "DeleteObject",
                                             "KillTimer", "PostQuitMessage"}));
  EXPECT_EQ(fake::LiveObjects(), 0);
}

}  // namespace
