// The antenna figure: bars, feed lines, their pens and their order.
#include "model/antenna.h"
#include "test_support.h"

namespace {

class Antenna : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    dc = GetDC(nullptr);
    elementPen = CreatePen(PS_SOLID, 4, 0);
    feedPen = CreatePen(PS_SOLID, 2, 0);
    fake::ClearLog();
  }
  void TearDown() override {
    ReleaseDC(nullptr, dc);
    PlatformTest::TearDown();
  }
  // Each segment as x0, y0, x1, y1 with the pen it was drawn with.
  struct Segment {
    Args line;
    std::intptr_t pen;
    bool operator==(const Segment& o) const { return line == o.line && pen == o.pen; }
  };
  std::vector<Segment> Segments() const {
    std::vector<Segment> segments;
    const std::vector<fake::Call>& log = fake::Log();
    for (std::size_t i = 0; i + 1 < log.size(); ++i) {
      if (log[i].name != "MoveToEx") continue;
      EXPECT_EQ(log[i + 1].name, "LineTo");
      EXPECT_EQ(log[i].args[2], 0) << "the previous position is not asked for";
      segments.push_back({{log[i].args[0], log[i].args[1], log[i + 1].args[0], log[i + 1].args[1]},
                          log[i + 1].dc.pen});
    }
    return segments;
  }
  HDC dc = nullptr;
  HPEN elementPen = nullptr;
  HPEN feedPen = nullptr;
};

TEST_F(Antenna, BarsThenFeedLinesAtThousandBySixHundred) {
  DrawAntenna(dc, 1000, 600, elementPen, feedPen);
  const std::intptr_t e = fake::Id(elementPen);
  const std::intptr_t f = fake::Id(feedPen);
  const std::vector<Segment> expected = {
      {{200, 168, 200, 192}, e}, {{200, 228, 200, 252}, e}, {{200, 288, 200, 312}, e},
      {{200, 348, 200, 372}, e}, {{200, 408, 200, 432}, e}, {{200, 180, 100, 300}, f},
      {{200, 240, 100, 300}, f}, {{200, 300, 50, 300}, f},  {{200, 360, 100, 300}, f},
      {{200, 420, 100, 300}, f},
  };
  EXPECT_EQ(Segments(), expected);
  EXPECT_EQ(fake::Names().front(), "SelectObject");
  EXPECT_EQ(fake::Calls("SelectObject").size(), 2u);
  EXPECT_EQ(fake::Log().size(), 22u);  // two selections and ten move-line pairs, nothing else
}

TEST_F(Antenna, TermsTruncateSeparately) {
  const struct Case {
    int width, height;
    Args firstBar, mainFeed, firstSlant;
  } cases[] = {
      {999, 600, {199, 168, 199, 192}, {199, 300, 49, 300}, {199, 180, 100, 300}},
      {1000, 49, {200, 14, 200, 14}, {200, 24, 50, 24}, {200, 14, 100, 24}},  // zero-length bars
      {205, 605, {41, 169, 41, 193}, {41, 302, 10, 302}, {41, 181, 21, 302}},
  };
  for (const auto& c : cases) {
    fake::ClearLog();
    DrawAntenna(dc, c.width, c.height, elementPen, feedPen);
    const std::vector<Segment> s = Segments();
    ASSERT_EQ(s.size(), 10u);
    EXPECT_EQ(s[0].line, c.firstBar) << c.width << "x" << c.height;
    EXPECT_EQ(s[7].line, c.mainFeed) << c.width << "x" << c.height;
    EXPECT_EQ(s[5].line, c.firstSlant) << c.width << "x" << c.height;
  }
}

}  // namespace
