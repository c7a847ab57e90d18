// The animation state machine: ticks with their erase and draw passes, and the command keys.
#include "app/animation.h"
#include "app/objects.h"
#include "model/steering.h"
#include "model/wavefronts.h"
#include "test_support.h"

namespace {

class Animation : public MainWindowTest {
 protected:
  // The calls DrawWavefronts makes for step n at the current size, as text.
  std::vector<std::string> Pass(int n) {
    HDC dc = GetDC(nullptr);
    fake::ClearLog();
    DrawWavefronts(dc, ClientWidth, ClientHeight, PenWave, n);
    std::vector<std::string> calls;
    for (const fake::Call& call : fake::Log()) calls.push_back(Shape(call));
    ReleaseDC(nullptr, dc);
    fake::ClearLog();
    return calls;
  }
  // A call without its device context, which differs between ticks.
  static std::string Shape(const fake::Call& call) {
    fake::Call copy = call;
    if (copy.name == "SelectObject") copy.args.erase(copy.args.begin());
    return copy.ToString();
  }
  // One tick's calls, split at the SelectObject that starts each pass.
  struct TickCalls {
    std::vector<std::string> names;
    std::vector<std::string> erase, draw;
  };
  TickCalls TickAndSplit() {
    fake::ClearLog();
    Tick();
    TickCalls t;
    int pass = -1;
    for (const fake::Call& call : fake::Log()) {
      t.names.push_back(call.name);
      if (call.name == "SelectObject") ++pass;
      if (pass == 0 && call.name != "ReleaseDC") t.erase.push_back(Shape(call));
      if (pass == 1 && call.name != "ReleaseDC") t.draw.push_back(Shape(call));
    }
    return t;
  }
};

TEST_F(Animation, AWholeRunErasesEachStepAndStopsAfterStep251) {
  SetBeamAngle(20);  // step 4: the top element starts at step 17
  Key(VK_RETURN);
  ASSERT_EQ(Running, 1);
  std::vector<std::string> previousDraw = Pass(0);
  for (int step = 1; step <= 251; ++step) {
    const TickCalls t = TickAndSplit();
    ASSERT_GE(t.names.size(), 4u);
    EXPECT_EQ(t.names.front(), "GetDC") << "step " << step;
    EXPECT_EQ(t.names[1], "SetROP2") << "step " << step;
    EXPECT_EQ(fake::Log()[1].args[1], R2_NOTXORPEN);
    EXPECT_EQ(t.names.back(), "ReleaseDC") << "step " << step;
    EXPECT_EQ(t.erase, previousDraw) << "the erase pass of step " << step;
    EXPECT_EQ(t.draw, Pass(step)) << "the draw pass of step " << step;
    EXPECT_EQ(TickCount, step);
    previousDraw = t.draw;
  }
  EXPECT_EQ(Running, 0);
  EXPECT_EQ(TickCount, 251);
  EXPECT_EQ(Pass(251).size(), 6u) << "the last step still draws all five arcs";

  // Stopped: a tick does nothing at all.
  fake::ClearLog();
  Tick();
  EXPECT_TRUE(fake::Log().empty());
  EXPECT_EQ(TickCount, 251);

  // After the end each Enter advances exactly one step.
  for (int step = 252; step <= 254; ++step) {
    Key(VK_RETURN);
    const TickCalls t = TickAndSplit();
    EXPECT_EQ(t.erase, previousDraw);
    EXPECT_EQ(t.draw, Pass(step));
    EXPECT_EQ(TickCount, step);
    EXPECT_EQ(Running, 0);
    previousDraw = t.draw;
    fake::ClearLog();
    Tick();
    EXPECT_TRUE(fake::Log().empty());
  }
}

TEST_F(Animation, ArcsAreDrawnWithTheWavePenUnderTheInvertingMix) {
  Key(VK_RETURN);
  for (int i = 0; i < 5; ++i) Tick();
  const std::vector<fake::Call> arcs = fake::Calls("Arc");
  ASSERT_EQ(arcs.size(), 45u);  // steps 1 to 4 erased, 1 to 5 drawn
  for (const fake::Call& arc : arcs) {
    EXPECT_EQ(arc.dc.pen, fake::Id(PenWave));
    EXPECT_EQ(arc.dc.rop2, R2_NOTXORPEN);
  }
  EXPECT_EQ(fake::Calls("GetDC").size(), fake::Calls("ReleaseDC").size());
}

TEST_F(Animation, TheFirstTickFromResetDrawsStepOneOfTheElementsWithoutDelay) {
  SetBeamAngle(-9);  // step -2: only the top element has delay 0
  Key(VK_RETURN);
  fake::ClearLog();
  Tick();
  EXPECT_EQ(ArgsOf("Arc"), (std::vector<Args>{{195, 175, 205, 185, 200, 480, 200, -120}}));
}

TEST_F(Animation, EnterPausesAndResumesWhereItWas) {
  Key(VK_RETURN);
  for (int i = 0; i < 7; ++i) Tick();
  Key(VK_RETURN);
  EXPECT_EQ(Running, 0);
  fake::ClearLog();
  Tick();
  EXPECT_TRUE(fake::Log().empty());
  Key(VK_RETURN);
  Key(VK_RETURN);  // twice within one tick: no change
  EXPECT_EQ(Running, 0);
  EXPECT_EQ(TickCount, 7);
  EXPECT_TRUE(fake::Log().empty()) << "Enter touches neither the screen nor the step";
  Key(VK_RETURN);
  Tick();
  EXPECT_EQ(TickCount, 8);
}

TEST_F(Animation, ResetKeysStopClearAndInvalidateWithEraseAsThePaintAssumesAnErasedRegion) {
  const struct Case {
    WPARAM key;
    std::vector<fake::DialogAction> dialog;
  } cases[] = {
      {VK_F1, {}},
      {VK_F2, {fake::Press(IDCANCEL)}},
      {VK_F2, {fake::TypeText("30"), fake::Press(IDOK)}},
  };
  for (const Case& c : cases) {
    Running = 0;
    TickCount = 0;
    Key(VK_RETURN);
    for (int i = 0; i < 12; ++i) Tick();
    fake::Scripted().dialog = c.dialog;
    fake::ClearLog();
    Key(c.key);
    EXPECT_EQ(Running, 0);
    EXPECT_EQ(TickCount, 0);
    const std::vector<std::string> names = fake::Names();
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names.back(), "InvalidateRect") << "the repaint comes after the dialog has closed";
    EXPECT_EQ(ArgsOf("InvalidateRect"), (std::vector<Args>{{fake::Id(hwnd), 0, TRUE}}));
    EXPECT_EQ(fake::Calls("DialogBoxParamA").size(), c.key == VK_F2 ? 1u : 0u);
    EXPECT_TRUE(fake::Calls("Arc").empty());
    fake::ClearLog();
    Tick();
    EXPECT_TRUE(fake::Log().empty());
  }
}

TEST_F(Animation, TicksWhileTheDialogIsOpenDoNothing) {
  Key(VK_RETURN);
  Tick();
  fake::Scripted().dialog = {fake::OwnerReceives(WM_TIMER), fake::OwnerReceives(WM_TIMER),
                             fake::Press(IDCANCEL)};
  fake::ClearLog();
  Key(VK_F2);
  EXPECT_TRUE(fake::Calls("GetDC").empty());
  EXPECT_EQ(TickCount, 0);
}

TEST_F(Animation, OtherKeysHaveNoEffect) {
  Key(VK_RETURN);
  for (int i = 0; i < 5; ++i) Tick();
  fake::ClearLog();
  for (WPARAM key : {WPARAM{VK_ESCAPE}, WPARAM{VK_SPACE}, WPARAM{'A'}, WPARAM{0x72}, WPARAM{0},
                     WPARAM{0x6F}, WPARAM{0x10D}, WPARAM{0x170}}) {
    Key(key);
    EXPECT_EQ(Running, 1) << key;
    EXPECT_EQ(TickCount, 5) << key;
  }
  EXPECT_TRUE(fake::Log().empty());
}

}  // namespace
