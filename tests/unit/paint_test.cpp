// The static screen: texts, fonts, alignments, colours, positions, the antenna and the arcs
// put back by a repaint during a run.
#include <cstring>

#include "app/animation.h"
#include "app/objects.h"
#include "app/paint.h"
#include "model/steering.h"
#include "model/wavefronts.h"
#include "test_support.h"

namespace {

class Paint : public MainWindowTest {
 protected:
  struct Text {
    std::string text;
    int x, y;
    std::intptr_t font;
    UINT align;
    COLORREF color;
    bool operator==(const Text& o) const {
      return text == o.text && x == o.x && y == o.y && font == o.font && align == o.align &&
             color == o.color;
    }
  };
  std::vector<Text> Texts() const {
    std::vector<Text> texts;
    for (const fake::Call& call : fake::Calls("TextOutA")) {
      EXPECT_EQ(static_cast<std::size_t>(call.args[2]), std::strlen(call.text.c_str()));
      texts.push_back({call.text, static_cast<int>(call.args[0]), static_cast<int>(call.args[1]),
                       call.dc.font, call.dc.align, call.dc.textColor});
    }
    return texts;
  }
};

TEST_F(Paint, TextsAreLaidOutFromTheMeasuredFonts) {
  const struct Case {
    int width, height;
    LONG titleHeight, titleLeading, smallHeight, smallLeading, smallAverage;
    int l1, l3, a3;
  } cases[] = {
      {992, 673, 58, 2, 19, 1, 7, 60, 20, 7},
      {800, 500, 45, 0, 17, 6, 9, 45, 23, 9},  // odd L1: (3 * L1) / 2 truncates once
  };
  for (const Case& c : cases) {
    fake::SetMetrics(50, c.titleHeight, c.titleLeading, 21);
    fake::SetMetrics(25, 99, 99, 99);  // the subtitle font must never be measured
    fake::SetMetrics(17, c.smallHeight, c.smallLeading, c.smallAverage);
    Size(c.width, c.height);
    fake::ClearLog();
    Send(WM_PAINT);

    const int w = c.width, h = c.height;
    const std::intptr_t title = fake::Id(FontTitle), sub = fake::Id(FontSubtitle),
                        small = fake::Id(FontSmall);
    const std::vector<Text> expected = {
        {"Lobecast", w / 2, 0, title, TA_CENTER | TA_TOP, 0},
        {"Electronically steered beam", w / 2, c.l1, sub, TA_CENTER | TA_TOP, 0},
        {"Beam angle = 0 degrees", w / 2, (3 * c.l1) / 2, sub, TA_CENTER | TA_TOP, 0},
        {"Lobecast 1.0", w - 2 * c.a3, 0, small, TA_RIGHT | TA_TOP, 0},
        {"Beam steering demonstration", w - 2 * c.a3, c.l3, small, TA_RIGHT | TA_TOP, 0},
        {"Press ENTER to start/pause/restart program", 10, h - 4 * c.l3, small, TA_LEFT, 0x0000FF},
        {"Press F1 to reset program", 10, h - 3 * c.l3, small, TA_LEFT, 0x0000FF},
        {"Press F2 to enter new phase angle", 10, h - 2 * c.l3, small, TA_LEFT, 0x0000FF},
    };
    const std::vector<Text> texts = Texts();
    ASSERT_EQ(texts.size(), expected.size());
    for (std::size_t i = 0; i < texts.size(); ++i)
      EXPECT_TRUE(texts[i] == expected[i])
          << c.width << "x" << c.height << ": text " << i << " \"" << texts[i].text << "\" at "
          << texts[i].x << "," << texts[i].y;
    EXPECT_EQ(LineHeight, c.l3);
    EXPECT_EQ(AvgCharWidth, c.a3);
    EXPECT_EQ(fake::MetricsQueries(), 2 * (&c - cases + 1));
  }
}

TEST_F(Paint, CallsComeInTheirOrderBetweenBeginAndEndPaint) {
  Send(WM_PAINT);
  std::vector<std::string> names;
  for (const std::string& name : fake::Names())
    if (name != "wsprintfA" && name != "MoveToEx" && name != "LineTo") names.push_back(name);
  const std::vector<std::string> expected = {
      "BeginPaint",      "SelectObject", "GetTextMetricsA", "SetTextAlign", "TextOutA",
      "SelectObject",    "SetTextAlign", "TextOutA",        "TextOutA",     "SelectObject",
      "GetTextMetricsA", "SetTextAlign", "TextOutA",        "TextOutA",     "SetTextAlign",
      "SetTextColor",    "TextOutA",     "TextOutA",        "TextOutA",     "SelectObject",
      "SelectObject",    "EndPaint",
  };
  EXPECT_EQ(names, expected);
  // The antenna comes last, over any text it crosses, with its own pens.
  const std::vector<fake::Call> lines = fake::Calls("LineTo");
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines.front().dc.pen, fake::Id(PenElement));
  EXPECT_EQ(lines.back().dc.pen, fake::Id(PenFeed));
  EXPECT_EQ(lines.front().args, (Args{200, 192}));
  EXPECT_EQ(lines.back().dc.rop2, R2_COPYPEN);
  EXPECT_EQ(fake::Calls("wsprintfA").size(), 8u) << "every text is formatted";
}

TEST_F(Paint, TheAngleLineShowsTheSignedAngle) {
  const struct Case {
    int angle;
    const char* line;
  } cases[] = {{-30, "Beam angle = -30 degrees"},
               {0, "Beam angle = 0 degrees"},
               {45, "Beam angle = 45 degrees"},
               {-45, "Beam angle = -45 degrees"}};
  for (const Case& c : cases) {
    SetBeamAngle(c.angle);
    fake::ClearLog();
    Send(WM_PAINT);
    ASSERT_EQ(Texts().size(), 8u);
    EXPECT_EQ(Texts()[2].text, c.line);
  }
}

TEST_F(Paint, ARepaintOfAnErasedRegionDuringARunPutsBackTheCurrentArcsAtTheCurrentSize) {
  const struct Case {
    int angle, ticks;
    bool paused;
    int width, height;  // the client size at the repaint; every run starts at 1000 x 600
  } cases[] = {
      {20, 40, true, 800, 500},  // a resize while paused
      {0, 1, false, 1000, 600},  // the first step's arcs, running, at the same size
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "angle " << c.angle << ", step " << c.ticks);
    Running = 0;
    TickCount = 0;
    Size(1000, 600);
    SetBeamAngle(c.angle);
    Key(VK_RETURN);
    for (int i = 0; i < c.ticks; ++i) Tick();
    if (c.paused) Key(VK_RETURN);
    Size(c.width, c.height);
    fake::ClearLog();
    Send(WM_PAINT);
    std::vector<std::string> after;
    const std::vector<fake::Call>& log = fake::Log();
    std::size_t i = 0;
    while (i < log.size() && log[i].name != "SetROP2") ++i;
    ASSERT_LT(i, log.size()) << "no inverting pass in the paint";
    EXPECT_EQ(log[i].args[1], R2_NOTXORPEN);
    // The antenna is drawn first: arcs put back under it would be inverted onto its black bars.
    bool antennaAfter = false;
    for (std::size_t j = i; j < log.size(); ++j)
      antennaAfter = antennaAfter || log[j].name == "LineTo" || log[j].name == "MoveToEx";
    EXPECT_FALSE(antennaAfter) << "antenna after the arcs";
    EXPECT_EQ(log.back().name, "EndPaint");
    const std::vector<fake::Call> arcs = fake::Calls("Arc");
    for (const fake::Call& arc : arcs) {
      EXPECT_EQ(arc.dc.pen, fake::Id(PenWave));
      EXPECT_EQ(arc.dc.rop2, R2_NOTXORPEN);
      after.push_back(arc.ToString());
    }
    // The same arcs the next tick's erase pass will remove.
    HDC dc = GetDC(nullptr);
    fake::ClearLog();
    DrawWavefronts(dc, c.width, c.height, PenWave, c.ticks);
    std::vector<std::string> expected;
    for (const fake::Call& arc : fake::Calls("Arc")) expected.push_back(arc.ToString());
    ReleaseDC(nullptr, dc);
    EXPECT_EQ(after, expected);
    EXPECT_EQ(expected.size(), 5u);
  }
}

TEST_F(Paint, NoArcsAtStepZero) {
  Key(VK_RETURN);
  for (int i = 0; i < 3; ++i) Tick();
  Key(VK_F1);
  fake::ClearLog();
  Send(WM_PAINT);
  EXPECT_TRUE(fake::Calls("Arc").empty());
  EXPECT_TRUE(fake::Calls("SetROP2").empty());
}

}  // namespace
