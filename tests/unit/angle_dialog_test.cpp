// The phase angle dialog: pre-filled text, the lenient parse, OK and cancel.
#include <climits>
#include <clocale>
#include <cstdlib>
#include <random>
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

// A text of the kinds the dialog may hold: mostly blanks, a sign and a number first (zeros,
// digits of every length up to past 64 bits, the 32- and 64-bit edges), then such pieces and
// bytes above 127 and other junk in any order, cut to the 99 characters the dialog reads.
std::string RandomAngleText(std::mt19937& rng) {
  static const char* const edges[] = {"45",
                                      "46",
                                      "2147483647",
                                      "2147483648",
                                      "2147483649",
                                      "4294967295",
                                      "4294967296",
                                      "9223372036854775807",
                                      "9223372036854775808",
                                      "18446744073709551616"};
  const auto below = [&rng](unsigned n) { return static_cast<unsigned>(rng() % n); };
  std::string text;
  const auto add = [&](unsigned piece) {
    switch (piece) {
      case 0:
        for (unsigned n = 1 + below(3); n > 0; --n) text += " \t\n\v\f\r"[below(6)];
        break;
      case 1:
        text += below(2) ? '-' : '+';
        break;
      case 2:
        text.append(1 + below(30), '0');
        break;
      case 3:
        text += edges[below(sizeof edges / sizeof edges[0])];
        break;
      case 4:
      case 5:
        // 1 to 20 digits: every magnitude about as often, up to past 64 bits
        for (unsigned n = 1 + below(20); n > 0; --n) text += static_cast<char>('0' + below(10));
        break;
      case 6:
        text += static_cast<char>(128 + below(128));
        break;
      default:
        text += static_cast<char>(1 + below(127));
        break;
    }
  };
  if (below(3)) {
    if (below(2)) add(0);
    if (below(3)) add(1);
    add(2 + below(4));
  }
  for (unsigned pieces = below(6); pieces > 0; --pieces) add(below(8));
  return text.substr(0, 99);
}

// strtoll in base 10 reads what ParseAngle reads: the same blanks in the C locale, one sign,
// decimal digits only (no 0x prefix in base 10), and saturates beyond 64 bits; clamped to
// 32 bits, that is the exact value ParseAngle must give, and clamped to -45..45 the angle.
TEST(ParseAngle, AgreesWithStrtoll) {
  ASSERT_STREQ(std::setlocale(LC_CTYPE, nullptr), "C") << "strtoll's blanks depend on it";
  const unsigned seed = 26;
  // valgrind.unit asks for fewer: under memcheck each text costs some fifty times as much.
  const char* const count = std::getenv("LOBECAST_ANGLE_TEXTS");
  const long inputs = count ? std::atol(count) : 2000000;
  std::mt19937 rng(seed);
  int failures = 0;
  for (long i = 0; i < inputs && failures < 10; ++i) {
    const std::string text = RandomAngleText(rng);
    const long long read = std::strtoll(text.c_str(), nullptr, 10);
    const long long want = read < INT_MIN ? INT_MIN : read > INT_MAX ? INT_MAX : read;
    const int angle = want < -45 ? -45 : want > 45 ? 45 : static_cast<int>(want);
    const int got = ParseAngle(text.c_str());
    SetBeamAngle(got);
    if (got != want || BeamAngle != angle || PhaseStep != (2 * angle) / 9) {
      ++failures;
      ADD_FAILURE() << "seed " << seed << ", text " << i << ": " << testing::PrintToString(text)
                    << " parsed " << got << ", strtoll clamped " << want << "; stored angle "
                    << BeamAngle << " step " << PhaseStep << ", want " << angle;
    }
  }
  ResetProgramState();
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

// Every answer is FALSE: for the messages the procedure leaves alone, that lets the dialog
// manager do its default work (its own colours for the edit box and the label, say).
TEST_F(AngleDialog, OtherCommandsAndMessagesDoNothingAndTheNotificationCodeIsIgnored) {
  SetBeamAngle(10);
  Open({fake::TypeText("-25"), fake::Press(AngleEditId), fake::Press(0xFFFF), fake::Press(3),
        fake::DialogReceives(WM_CTLCOLOREDIT), fake::DialogReceives(WM_CTLCOLORSTATIC),
        fake::DialogReceives(WM_ERASEBKGND), fake::Press((1 << 16) | IDOK)});
  EXPECT_EQ(fake::Calls("EndDialog").size(), 1u);
  EXPECT_EQ(BeamAngle, -25);
  const std::vector<INT_PTR>& answers = fake::DialogAnswers();
  for (std::size_t i = 0; i < answers.size(); ++i) EXPECT_EQ(answers[i], 0) << "message " << i;
  EXPECT_EQ(answers.size(), 8u);
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
