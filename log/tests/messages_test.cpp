#include "log/messages.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "core/date_locale.h"
#include "log/run_log.h"
#include "tests/support/test_support.h"

namespace csv2sql {
namespace {

using testing::readFile;
using testing::readLines;

const std::string kStamp = "08:15:41 " + DateLocale::system().am + " : ";
const std::string kBanner =
    "=============================== SILENT VEXMSGBOX "
    "===============================";
const std::string kRule(77, '=');

MessageBoxRequest request(std::string prompt, std::int32_t buttons) {
  MessageBoxRequest r;
  r.prompt = std::move(prompt);
  r.buttons = buttons;
  return r;
}

class ThrowingMessageBox final : public MessageBoxPort {
 public:
  int show(const MessageBoxRequest&) override { throw std::runtime_error("host gone"); }
};

// A session with a run log open, so that silent blocks land in a file.
class MessagesTest : public ::testing::Test {
 protected:
  MessagesTest() { log.OpenLogFile("R27731"); }

  // The lines written after the log's two opening lines, time stamps checked and removed.
  std::vector<std::string> written() const {
    auto lines = readLines(log.logFolder() / log.LogFileName());
    std::vector<std::string> texts;
    for (std::size_t i = 2; i < lines.size(); ++i) {
      EXPECT_EQ(lines[i].rfind(kStamp, 0), 0u) << lines[i];
      texts.push_back(lines[i].substr(std::min(kStamp.size(), lines[i].size())));
    }
    return texts;
  }
  const std::vector<MessageBoxRequest>& shown() const { return ts.messageBox.shown; }

  testing::TestSession ts;
  RunLog log{ts.session};
  Messages messages{ts.session, log};
};

TEST(MsgBoxAnswerNameTest, NamesEveryAnswerAndNothingElse) {
  const std::vector<std::string> names = {"",       "OK",  "CANCEL", "ABORT", "RETRY",
                                          "IGNORE", "YES", "NO",     ""};
  for (int answer = 0; answer <= 8; ++answer) {
    EXPECT_EQ(MsgBoxAnswerName(answer), names[static_cast<std::size_t>(answer)]) << answer;
  }
  EXPECT_EQ(MsgBoxAnswerName(-1), "");
}

struct DefaultCase {
  const char* name;
  std::int32_t buttons;
  int answer;
};

class DefaultButton : public ::testing::TestWithParam<DefaultCase> {};

TEST_P(DefaultButton, AnswersWithTheDefaultButton) {
  EXPECT_EQ(defaultButtonAnswer(GetParam().buttons), GetParam().answer);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DefaultButton,
    ::testing::Values(
        DefaultCase{"ok_first", 0, answer::Ok}, DefaultCase{"ok_second", 256, answer::Ok},
        DefaultCase{"ok_third", 512, answer::Ok}, DefaultCase{"ok_cancel_first", 1, answer::Ok},
        DefaultCase{"ok_cancel_second", 1 + 256, answer::Cancel},
        DefaultCase{"ok_cancel_third_missing", 1 + 512, answer::Ok},
        DefaultCase{"abort_retry_ignore_first", 2, answer::Abort},
        DefaultCase{"abort_retry_ignore_second", 2 + 256, answer::Retry},
        DefaultCase{"abort_retry_ignore_third", 2 + 512, answer::Ignore},
        DefaultCase{"yes_no_cancel_first", 3, answer::Yes},
        DefaultCase{"yes_no_cancel_second", 3 + 256, answer::No},
        DefaultCase{"yes_no_cancel_third", 3 + 512, answer::Cancel},
        DefaultCase{"yes_no_first", 4, answer::Yes},
        DefaultCase{"yes_no_second_260", 260, answer::No},
        DefaultCase{"yes_no_third_missing", 4 + 512, answer::Yes},
        DefaultCase{"retry_cancel_first", 5, answer::Retry},
        DefaultCase{"retry_cancel_second", 5 + 256, answer::Cancel},
        DefaultCase{"retry_cancel_third_missing", 5 + 512, answer::Retry},
        DefaultCase{"set6_first", 6, answer::Ok}, DefaultCase{"set6_second", 6 + 256, answer::Ok},
        DefaultCase{"set6_third", 6 + 512, answer::Ok}, DefaultCase{"set7_first", 7, answer::Ok},
        DefaultCase{"set7_second", 7 + 256, answer::Ok},
        DefaultCase{"set7_third", 7 + 512, answer::Ok},
        DefaultCase{"critical_ok_16", 16, answer::Ok},
        DefaultCase{"icon_passes_over_set", 4 + 32 + 256, answer::No},
        DefaultCase{"second_wins_over_third", 3 + 256 + 512, answer::No}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MessagesTest, UnattendedBoxWritesTheBlockAndAnswersTheDefault) {
  ts.session.UnattendedMode = true;
  EXPECT_EQ(messages.VexMsgBox(request("Delete old rows?", 260)), answer::No);
  EXPECT_TRUE(shown().empty());
  EXPECT_EQ(kBanner.size(), 80u);
  EXPECT_EQ(written(), (std::vector<std::string>{kBanner, "PROMPT= Delete old rows?",
                                                 "BUTTONS= 260", "ANSWER= NO", kRule}));
}

TEST_F(MessagesTest, SilentBlockHoldsTheTitleOnlyWhenGiven) {
  ts.session.UnattendedMode = true;
  MessageBoxRequest r = request("Retry the copy?", 5 + 512);
  r.title = "Archive";
  EXPECT_EQ(messages.VexMsgBox(r), answer::Retry);
  EXPECT_EQ(written(), (std::vector<std::string>{kBanner, "PROMPT= Retry the copy?", "BUTTONS= 517",
                                                 "TITLE= Archive", "ANSWER= RETRY", kRule}));
}

TEST_F(MessagesTest, UnattendedBoxWithoutOpenLogStillAnswers) {
  log.CloseLogFile();
  ts.session.UnattendedMode = true;
  EXPECT_EQ(messages.VexMsgBox(request("Go on?", 3)), answer::Yes);
  EXPECT_TRUE(shown().empty());
}

TEST_F(MessagesTest, AttendedBoxIsShownAsAskedAndGivesThePressedButton) {
  ts.messageBox.nextAnswer = answer::Retry;
  MessageBoxRequest r = request("Retry?", 5 + 32);
  EXPECT_EQ(messages.VexMsgBox(r), answer::Retry);

  ASSERT_EQ(shown().size(), 1u);
  EXPECT_EQ(shown()[0].prompt, "Retry?");
  EXPECT_EQ(shown()[0].buttons, 37);
  EXPECT_FALSE(shown()[0].title.has_value());
  EXPECT_TRUE(written().empty());
}

TEST_F(MessagesTest, ServiceStartNeverWaitsAndKeepsThePromptInErrorStreamAndLog) {
  ts.session.ServiceMode = true;
  EXPECT_EQ(messages.VexMsgBox(request("Delete old rows?", 260)), answer::No);
  EXPECT_TRUE(shown().empty());
  EXPECT_EQ(ts.errors.str(), "Delete old rows?\n");
  EXPECT_EQ(written(), (std::vector<std::string>{kBanner, "PROMPT= Delete old rows?",
                                                 "BUTTONS= 260", "ANSWER= NO", kRule}));
}

TEST_F(MessagesTest, ServiceStartWithoutOpenLogWritesOnlyThePrompt) {
  log.CloseLogFile();
  ts.session.ServiceMode = true;
  EXPECT_EQ(messages.VexMsgBox(request("Go on?", 1 + 256)), answer::Cancel);
  EXPECT_EQ(ts.errors.str(), "Go on?\n");
  // Only the opening and closing lines: no block lines wander into the window list.
  EXPECT_EQ(ts.session.frmMain.lstLog.items().size(), 4u);
}

TEST_F(MessagesTest, DirectBoxIsShownEvenWhenUnattended) {
  ts.session.UnattendedMode = true;
  EXPECT_EQ(messages.directBox(request("Settings file missing", mb::OkOnly)), answer::Ok);
  ASSERT_EQ(shown().size(), 1u);
  EXPECT_EQ(shown()[0].prompt, "Settings file missing");
  EXPECT_TRUE(written().empty());
}

TEST_F(MessagesTest, DirectBoxWithoutHostBoxAnswersTheDefault) {
  ts.session.messageBox = nullptr;
  EXPECT_EQ(messages.directBox(request("Settings file missing", 4 + 256)), answer::No);
  EXPECT_EQ(ts.errors.str(), "Settings file missing\n");
  EXPECT_EQ(written().front(), kBanner);
}

TEST_F(MessagesTest, FailingHostBoxGivesZeroAndNothingEscapes) {
  ThrowingMessageBox throwing;
  ts.session.messageBox = &throwing;
  EXPECT_EQ(messages.VexMsgBox(request("Go on?", 1)), 0);
  EXPECT_EQ(messages.directBox(request("Go on?", 1)), 0);
  EXPECT_NO_THROW(messages.ReportError(13, "Type mismatch", "btnConnectDest_Click"));
}

TEST_F(MessagesTest, ReportWithNumberZeroShowsAndWritesNothing) {
  messages.ReportError(0, "no error", "btnConnectDest_Click");
  ts.session.UnattendedMode = true;
  messages.ReportError(0, "no error");
  EXPECT_TRUE(shown().empty());
  EXPECT_TRUE(written().empty());
}

TEST_F(MessagesTest, ReportWithProcedureNameIsACriticalTwoLineBox) {
  messages.ReportError(13, "Type mismatch", "btnConnectDest_Click");
  ASSERT_EQ(shown().size(), 1u);
  EXPECT_EQ(shown()[0].prompt,
            "Error in Procedure btnConnectDest_Click\r\nError 13 - Type mismatch");
  EXPECT_EQ(shown()[0].buttons, mb::Critical);
  EXPECT_FALSE(shown()[0].title.has_value());
}

TEST_F(MessagesTest, ReportWithoutProcedureNameIsOneLine) {
  messages.ReportError(Error(err::PathNotFound));
  ASSERT_EQ(shown().size(), 1u);
  EXPECT_EQ(shown()[0].prompt, "Error 76 - Path not found");
}

TEST_F(MessagesTest, UnattendedReportIsABlockWhoseSecondPromptLineHasNoTimeStamp) {
  ts.session.UnattendedMode = true;
  messages.ReportError(Error(err::TypeMismatch), "btnConnectDest_Click");
  EXPECT_TRUE(shown().empty());

  const std::string text = readFile(log.logFolder() / log.LogFileName());
  const std::string block = kStamp + kBanner + "\r\n" + kStamp +
                            "PROMPT= Error in Procedure btnConnectDest_Click\r\n"
                            "Error 13 - Type mismatch\r\n" +
                            kStamp + "BUTTONS= 16\r\n" + kStamp + "ANSWER= OK\r\n" + kStamp +
                            kRule + "\r\n";
  ASSERT_GE(text.size(), block.size());
  EXPECT_EQ(text.substr(text.size() - block.size()), block);
}

}  // namespace
}  // namespace csv2sql
