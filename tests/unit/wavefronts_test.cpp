// The arcs of one animation step: geometry, order, start of each element and determinism.
#include "model/wavefronts.h"
#include "model/steering.h"
#include "test_support.h"

namespace {

class Wavefronts : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    dc = GetDC(nullptr);
    pen = CreatePen(PS_SOLID, 2, 0x0000FF);
    fake::ClearLog();
  }
  void TearDown() override {
    ReleaseDC(nullptr, dc);
    PlatformTest::TearDown();
  }
  HDC dc = nullptr;
  HPEN pen = nullptr;
};

TEST_F(Wavefronts, StepTwoAtTenIssuesTheFiveArcsInOrder) {
  SetBeamAngle(9);  // step 2: delays 8, 6, 4, 2, 0
  DrawWavefronts(dc, 1000, 600, pen, 10);
  const std::vector<Args> expected = {
      {190, 170, 210, 190, 205, 480, 205, -120}, {180, 220, 220, 260, 210, 540, 210, -60},
      {170, 270, 230, 330, 215, 600, 215, 0},    {160, 320, 240, 400, 220, 660, 220, 60},
      {150, 370, 250, 470, 225, 720, 225, 120},
  };
  EXPECT_EQ(ArgsOf("Arc"), expected);
}

TEST_F(Wavefronts, GeometryTruncatesEachTermInTheWrittenOrder) {
  const struct Case {
    const char* what;
    int width, height, n;
    Args middleArc;  // element 2, all delays 0
  } cases[] = {
      {"odd age halved before multiplying", 1000, 600, 7, {165, 265, 235, 335, 215, 600, 215, 0}},
      {"odd radius step", 600, 600, 3, {111, 291, 129, 309, 123, 600, 123, 0}},
      {"row multiplies before dividing", 1000, 605, 2, {190, 292, 210, 312, 205, 604, 205, 0}},
      {"first tick draws a half circle", 1000, 600, 1, {195, 295, 205, 305, 200, 600, 200, 0}},
  };
  for (const auto& c : cases) {
    fake::ClearLog();
    DrawWavefronts(dc, c.width, c.height, pen, c.n);
    const std::vector<Args> arcs = ArgsOf("Arc");
    ASSERT_EQ(arcs.size(), 5u) << c.what;
    EXPECT_EQ(arcs[2], c.middleArc) << c.what;
  }
}

TEST_F(Wavefronts, AnElementDrawsOnlyOnceTheStepExceedsItsDelay) {
  SetBeamAngle(9);  // delays 8, 6, 4, 2, 0
  const struct Case {
    int n;
    std::vector<int> rowsTop;  // top of each arc's rectangle plus its radius: the element row
  } cases[] = {
      {0, {}},
      {1, {420}},
      {2, {420}},
      {3, {360, 420}},
      {5, {300, 360, 420}},
      {7, {240, 300, 360, 420}},
      {8, {240, 300, 360, 420}},
      {9, {180, 240, 300, 360, 420}},
      {-3, {}},
  };
  for (const auto& c : cases) {
    fake::ClearLog();
    DrawWavefronts(dc, 1000, 600, pen, c.n);
    std::vector<int> rows;
    for (const Args& a : ArgsOf("Arc")) rows.push_back(static_cast<int>(a[1] + (a[2] - a[0]) / 2));
    EXPECT_EQ(rows, c.rowsTop) << "n " << c.n;
  }
}

TEST_F(Wavefronts, NarrowWindowGivesEmptyRectanglesAtTheRows) {
  DrawWavefronts(dc, 199, 600, pen, 5);
  const std::vector<Args> expected = {
      {39, 180, 39, 180, 39, 480, 39, -120}, {39, 240, 39, 240, 39, 540, 39, -60},
      {39, 300, 39, 300, 39, 600, 39, 0},    {39, 360, 39, 360, 39, 660, 39, 60},
      {39, 420, 39, 420, 39, 720, 39, 120},
  };
  EXPECT_EQ(ArgsOf("Arc"), expected);
}

TEST_F(Wavefronts, IdenticalArgumentsRepeatTheCallsExactly) {
  SetBeamAngle(-30);
  DrawWavefronts(dc, 992, 673, pen, 37);
  const std::vector<fake::Call> first = fake::Log();
  fake::ClearLog();
  DrawWavefronts(dc, 992, 673, pen, 37);
  ASSERT_EQ(fake::Log().size(), first.size());
  for (std::size_t i = 0; i < first.size(); ++i)
    EXPECT_EQ(fake::Log()[i].ToString(), first[i].ToString());
}

TEST_F(Wavefronts, PenIsSelectedFirstAndLeftSelected) {
  SetBeamAngle(20);
  DrawWavefronts(dc, 1000, 600, pen, 30);
  const std::vector<std::string> names = fake::Names();
  ASSERT_FALSE(names.empty());
  EXPECT_EQ(names[0], "SelectObject");
  EXPECT_EQ(fake::Calls("SelectObject").size(), 1u);
  EXPECT_EQ(ArgsOf("SelectObject")[0], (Args{fake::Id(dc), fake::Id(pen)}));
  for (const fake::Call& arc : fake::Calls("Arc")) EXPECT_EQ(arc.dc.pen, fake::Id(pen));
}

TEST_F(Wavefronts, DelaysAreRecomputedFromTheCurrentStep) {
  SetBeamAngle(45);
  DrawWavefronts(dc, 1000, 600, pen, 1);
  ElementDelay[4] = 99;  // stale data must not survive the next call
  fake::ClearLog();
  DrawWavefronts(dc, 1000, 600, pen, 1);
  EXPECT_EQ(fake::Calls("Arc").size(), 1u);
}

}  // namespace
