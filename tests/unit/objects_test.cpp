// Pens and fonts: what is made, from which record, at which heights, and that all are freed.
#include <cstring>

#include "app/objects.h"
#include "test_support.h"

namespace {

class Objects : public PlatformTest {};

TEST_F(Objects, FontHeightsFollowTheScreenWidthAtItsBoundaries) {
  const struct Case {
    int screenWidth, title, subtitle, small;
  } cases[] = {
      {1001, 50, 25, 17}, {1000, 40, 20, 15}, {701, 40, 20, 15}, {700, 30, 20, 13},
      {1920, 50, 25, 17}, {320, 30, 20, 13},  {0, 30, 20, 13},
  };
  for (const Case& c : cases) {
    ResetProgramState();
    fake::Scripted().fullScreenWidth = c.screenWidth;
    OnCreate(nullptr);
    EXPECT_EQ(ScreenWidth, c.screenWidth);
    const Args heights[] = {{c.title}, {c.subtitle}, {c.small}};
    const std::vector<Args> fonts = ArgsOf("CreateFontIndirectA");
    ASSERT_EQ(fonts.size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(fonts[i][0], heights[i][0]) << "width " << c.screenWidth;
    OnDestroyObjects();
  }
}

TEST_F(Objects, EveryFontComesFromTheSameDefaultRecord) {
  OnCreate(nullptr);
  for (HFONT font : {FontTitle, FontSubtitle, FontSmall}) {
    const fake::Object* object = fake::ObjectOf(fake::Id(font));
    ASSERT_NE(object, nullptr);
    const LOGFONTA& f = object->font;
    EXPECT_GT(f.lfHeight, 0);
    EXPECT_EQ(f.lfWidth, 0);
    EXPECT_EQ(f.lfEscapement, 0);
    EXPECT_EQ(f.lfOrientation, 0);
    EXPECT_EQ(f.lfWeight, 0);
    EXPECT_EQ(f.lfItalic, 0);
    EXPECT_EQ(f.lfUnderline, 0);
    EXPECT_EQ(f.lfStrikeOut, 0);
    EXPECT_EQ(f.lfCharSet, ANSI_CHARSET);
    EXPECT_EQ(f.lfOutPrecision, 0);
    EXPECT_EQ(f.lfClipPrecision, 0);
    EXPECT_EQ(f.lfQuality, 0);
    EXPECT_EQ(f.lfPitchAndFamily, 0);
    EXPECT_STREQ(f.lfFaceName, "Arial Bold");
    // The rest of the face name is zero-filled, not left over from the stack.
    for (std::size_t i = std::strlen(f.lfFaceName); i < LF_FACESIZE; ++i)
      EXPECT_EQ(f.lfFaceName[i], 0);
  }
  OnDestroyObjects();
}

TEST_F(Objects, CreatedInOrderAndDeletedOnceEachInOrder) {
  OnCreate(nullptr);
  EXPECT_EQ(fake::Names(),
            (std::vector<std::string>{"CreatePen", "CreatePen", "CreatePen", "GetSystemMetrics",
                                      "CreateFontIndirectA", "CreateFontIndirectA",
                                      "CreateFontIndirectA"}));
  EXPECT_EQ(ArgsOf("GetSystemMetrics"), (std::vector<Args>{{SM_CXFULLSCREEN}}));
  const std::vector<Args> pens = ArgsOf("CreatePen");
  ASSERT_EQ(pens.size(), 3u);
  EXPECT_EQ(pens[0], (Args{PS_SOLID, 4, 0x000000, fake::Id(PenElement)}));
  EXPECT_EQ(pens[1], (Args{PS_SOLID, 2, 0x0000FF, fake::Id(PenWave)}));
  EXPECT_EQ(pens[2], (Args{PS_SOLID, 2, 0x000000, fake::Id(PenFeed)}));
  EXPECT_EQ(fake::LiveObjects(), 6);

  fake::ClearLog();
  OnDestroyObjects();
  const std::vector<Args> expected = {
      {fake::Id(PenElement)}, {fake::Id(PenWave)},      {fake::Id(PenFeed)},
      {fake::Id(FontTitle)},  {fake::Id(FontSubtitle)}, {fake::Id(FontSmall)},
  };
  EXPECT_EQ(ArgsOf("DeleteObject"), expected);
  EXPECT_EQ(fake::LiveObjects(), 0);
}

}  // namespace
