// The phase angle dialog: pre-filled text, the lenient parse, OK and cancel.
#include <climits>
#include <string>

#include "app/animation.h"
#include "model/steering.h"
#include "test_support.h"
#include "win/angle_dialog.h"

namespace {

TEST(ParseAngle, ReadsLeadingBlanksOneSignAndDigitsUpToTheFirstOther) {
  const struct Case {
    std::string text;
    int value;
  } cases[] = {
      {"", 0},
      {"abc", 0},
      {"x12", 0},
      {"  -30xyz", -30},
      {"+12", 12},
      {"100", 100},
      {"-500", -500},
      {"4.9", 4},
      {"\t\n\v\f\r 17", 17},
      {"- 5", 0},
      {"+-5", 0},
      {"--5", 0},
      {"-", 0},
      {"007", 7},
      {"-0", 0},
      {"12 34", 12},
      {"\xA0"
       "30",
       0},  // a byte above 127 is not white space
      {"\xFF", 0},
      {"3\xB9", 3},
      {"\x85"
       "5",
       0},
      {"2147483647", INT_MAX},
      {"-2147483648", INT_MIN},
      {"2147483648", INT_MAX},  // 2^31 saturates instead of wrapping negative
      {"4294967296", INT_MAX},  // 2^32 saturates instead of wrapping to 0
      {"-4294967296", INT_MIN},
      {"99999999999999999999999999999999", INT_MAX},
      {"-99999999999999999999999999999999", INT_MIN},
      {"00000000000000000000000000000042", 42},
  };
  for (const Case& c : cases)
    EXPECT_EQ(ParseAngle(c.text.c_str()), c.value) << '"' << c.text << '"';
}

class AngleDialog : public MainWindowTest {
 protected:
  void Open(std::vector<fake::DialogAction> actions) {
    fake::Scripted().dialog = std::move(actions);
    fake::ClearLog();
    Key(VK_F2);
  }
};

TEST_F(AngleDialog, RunsTemplate101FromTheProgramModuleOverTheMainWindow) {
  Open({fake::Press(IDCANCEL)});
  const std::vector<Args> calls = ArgsOf("DialogBoxParamA");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0], (Args{fake::Id(fake::Instance()), 101, fake::Id(hwnd), 0}));
  EXPECT_EQ(ArgsOf("GetModuleHandleA"), (std::vector<Args>{{0}}));
}

TEST_F(AngleDialog, OpensWithTheCurrentAngleFullySelectedAndFocused) {
  for (int angle : {0, 45, -45, 7}) {
    SetBeamAngle(angle);
    Open({fake::Press(IDCANCEL)});
    const std::vector<fake::Call> texts = fake::Calls("SetWindowTextA");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, std::to_string(angle));
    EXPECT_TRUE(fake::EditAllSelected()) << angle;
    const std::vector<Args> items = ArgsOf("GetDlgItem");
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(items[0][1], 1001);
    EXPECT_EQ(fake::FocusId(), texts[0].args[0]) << "the edit control has the focus";
    EXPECT_EQ(fake::DialogAnswers(), (std::vector<INT_PTR>{0, 0}));
  }
}

TEST_F(AngleDialog, OkParsesTheTypedTextAndStoresTheClampedAngle) {
  const struct Case {
    std::string typed;
    int angle, step;
  } cases[] = {
      {"20", 20, 4},
      {"", 0, 0},
      {"abc", 0, 0},
      {"  -30xyz", -30, -6},
      {"+12", 12, 2},
      {"100", 45, 10},
      {"-500", -45, -10},
      {"4.9", 4, 0},
      {"\t\n 17", 17, 3},
      {"\xB5"
       "9",
       0, 0},
      {"2147483648", 45, 10},
      {"4294967296", 45, 10},
      {"-2147483649", -45, -10},
  };
  for (const Case& c : cases) {
    SetBeamAngle(33);
    Open({fake::TypeText(c.typed), fake::Press(IDOK)});
    EXPECT_EQ(BeamAngle, c.angle) << '"' << c.typed << '"';
    EXPECT_EQ(PhaseStep, c.step) << '"' << c.typed << '"';
    EXPECT_EQ(ArgsOf("GetWindowTextA").at(0)[1], 100);
    const std::vector<Args> ends = ArgsOf("EndDialog");
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(ends[0][1], 1);
  }
}

TEST_F(AngleDialog, OnlyTheFirst99CharactersAreRead) {
  Open({fake::TypeText(std::string(98, ' ') + "-30"), fake::Press(IDOK)});
  EXPECT_EQ(BeamAngle, 0) << "the 99th character is the sign, the digits are cut off";
  Open({fake::TypeText(std::string(96, ' ') + "-30"), fake::Press(IDOK)});
  EXPECT_EQ(BeamAngle, -30);
  Open({fake::TypeText(std::string(300, '9')), fake::Press(IDOK)});
  EXPECT_EQ(BeamAngle, 45);
}

TEST_F(AngleDialog, CancelAfterTypingChangesNothing) {
  SetBeamAngle(20);
  Open({fake::TypeText("35"), fake::Press(IDCANCEL)});
  EXPECT_EQ(BeamAngle, 20);
  EXPECT_EQ(PhaseStep, 4);
  EXPECT_EQ(ArgsOf("EndDialog").at(0)[1], 0);
  EXPECT_TRUE(fake::Calls("GetWindowTextA").empty());
}

TEST_F(AngleDialog, OtherCommandsDoNothingAndTheNotificationCodeIsIgnored) {
  SetBeamAngle(10);
  Open({fake::TypeText("-25"), fake::Press(AngleEditId), fake::Press(0xFFFF), fake::Press(3),
        fake::Press((1 << 16) | IDOK)});
  EXPECT_EQ(fake::Calls("EndDialog").size(), 1u);
  EXPECT_EQ(BeamAngle, -25);
  for (INT_PTR answer : fake::DialogAnswers()) EXPECT_EQ(answer, 0);
  EXPECT_EQ(fake::DialogAnswers().size(), 5u);
}

TEST_F(AngleDialog, TheRepaintAfterOkShowsTheNewAngle) {
  Open({fake::TypeText("30"), fake::Press(IDOK)});
  EXPECT_EQ(fake::Names().back(), "InvalidateRect");
  fake::ClearLog();
  Send(WM_PAINT);
  const std::vector<fake::Call> texts = fake::Calls("TextOutA");
  ASSERT_GE(texts.size(), 3u);
  EXPECT_EQ(texts[2].text, "Beam angle = 30 degrees");
}

}  // namespace
