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

using Lines = std::vector<std::string>;
const std::string kStamp = "08:15:41 " + DateLocale::system().am + " : ";
const std::string kBanner = std::string(31, '=') + " SILENT VEXMSGBOX " + std::string(31, '=');
const std::string kRule(77, '=');

MessageBoxRequest request(std::string prompt, std::int32_t buttons) {
  MessageBoxRequest r;
  r.prompt = std::move(prompt);
  r.buttons = buttons;
  return r;
}

TEST(MsgBoxAnswerName, NamesEveryAnswerAndNothingElse) {
  const Lines names = {"", "OK", "CANCEL", "ABORT", "RETRY", "IGNORE", "YES", "NO", ""};
  for (int answer = -1; answer <= 8; ++answer) {
    EXPECT_EQ(MsgBoxAnswerName(answer), names[answer < 0 ? 0 : answer]) << answer;
  }
}

TEST(DefaultButtonAnswer, AnswersWithTheDefaultButtonOfTheSet) {
  const struct {
    const char* name;
    std::int32_t buttons;
    int answer;
  } cases[] = {
      {"ok_cancel_second", 1 + 256, answer::Cancel},
      {"ok_cancel_third_missing", 1 + 512, answer::Ok},
      {"abort_retry_ignore_second", 2 + 256, answer::Retry},
      {"abort_retry_ignore_third", 2 + 512, answer::Ignore},
      {"yes_no_cancel_third", 3 + 512, answer::Cancel},
      {"yes_no_second", 4 + 256, answer::No},
      {"yes_no_third_missing", 4 + 512, answer::Yes},
      {"retry_cancel_second", 5 + 256, answer::Cancel},
      {"set_7_is_ok", 7 + 512, answer::Ok},
      {"icon_passes_over_the_set", 4 + 32 + 256, answer::No},
      {"second_wins_over_third", 3 + 256 + 512, answer::No},
  };
  for (const auto& c : cases) EXPECT_EQ(defaultButtonAnswer(c.buttons), c.answer) << c.name;
}

// A session with a run log open, so that silent blocks land in a file.
class MessagesTest : public ::testing::Test {
 protected:
  MessagesTest() { log.OpenLogFile("R27731"); }
  // The texts written after the log's two opening lines, each checked for its time stamp.
  Lines written() const {
    const Lines lines = testing::readLines(log.logFolder() / log.LogFileName());
    Lines texts;
    for (std::size_t i = 2; i < lines.size(); ++i) {
      EXPECT_TRUE(lines[i].starts_with(kStamp)) << lines[i];
      texts.push_back(lines[i].substr(std::min(kStamp.size(), lines[i].size())));
    }
    return texts;
  }
  const std::vector<MessageBoxRequest>& shown() const { return ts.messageBox.shown; }

  testing::TestSession ts;
  RunLog log{ts.session};
  Messages messages{ts.session, log};
};

TEST_F(MessagesTest, UnattendedReportIsASilentBlockByteForByte) {
  ts.session.UnattendedMode = true;
  messages.ReportError(Error(err::TypeMismatch), "btnConnectDest_Click");
  EXPECT_TRUE(shown().empty());
  const std::string text = testing::readFile(log.logFolder() / log.LogFileName());
  // The prompt's second line has no time stamp.
  EXPECT_TRUE(text.ends_with(kStamp + kBanner + "\r\n" + kStamp +
                             "PROMPT= Error in Procedure btnConnectDest_Click\r\n"
                             "Error 13 - Type mismatch\r\n" +
                             kStamp + "BUTTONS= 16\r\n" + kStamp + "ANSWER= OK\r\n" + kStamp +
                             kRule + "\r\n"))
      << text;
  EXPECT_EQ(kBanner.size(), 80u);
}

TEST_F(MessagesTest, SilentBlockHoldsOnlyTheGivenOptionalLines) {
  ts.session.UnattendedMode = true;
  const struct {
    const char* name;
    std::optional<std::string> title;
    Lines optionalLines;
  } cases[] = {
      {"none", {}, {}},
      {"title", "Archive", {"TITLE= Archive"}},
  };
  for (const auto& c : cases) {
    const std::size_t before = written().size();
    MessageBoxRequest r = request("Retry the copy?", 5 + 512);
    r.title = c.title;
    EXPECT_EQ(messages.VexMsgBox(r), answer::Retry) << c.name;
    Lines expected = {kBanner, "PROMPT= Retry the copy?", "BUTTONS= 517"};
    expected.insert(expected.end(), c.optionalLines.begin(), c.optionalLines.end());
    expected.insert(expected.end(), {"ANSWER= RETRY", kRule});
    const Lines all = written();
    EXPECT_EQ(Lines(all.begin() + before, all.end()), expected) << c.name;
  }
  EXPECT_TRUE(shown().empty());
  log.CloseLogFile();  // without a log the box is still answered
  EXPECT_EQ(messages.VexMsgBox(request("Go on?", 3)), answer::Yes);
}

TEST_F(MessagesTest, AttendedBoxIsShownAsAskedAndGivesThePressedButton) {
  ts.messageBox.nextAnswer = answer::Retry;
  MessageBoxRequest r = request("Retry?", 5 + 32);
  EXPECT_EQ(messages.VexMsgBox(r), answer::Retry);
  ASSERT_EQ(shown().size(), 1u);
  EXPECT_EQ(shown()[0].prompt, "Retry?");
  EXPECT_EQ(shown()[0].buttons, 37);
  EXPECT_FALSE(shown()[0].title);
  EXPECT_TRUE(written().empty());
}

TEST_F(MessagesTest, NobodyToAnswerNeverWaitsAndKeepsThePromptInErrorStreamAndLog) {
  ts.session.ServiceMode = true;
  EXPECT_EQ(messages.VexMsgBox(request("Delete old rows?", 260)), answer::No);
  ts.session.ServiceMode = false;
  ts.session.messageBox = nullptr;
  EXPECT_EQ(messages.directBox(request("Settings file missing", 1 + 256)), answer::Cancel);
  EXPECT_EQ(ts.errors.str(), "Delete old rows?\nSettings file missing\n");
  EXPECT_EQ(written(), (Lines{kBanner, "PROMPT= Delete old rows?", "BUTTONS= 260", "ANSWER= NO",
                              kRule, kBanner, "PROMPT= Settings file missing", "BUTTONS= 257",
                              "ANSWER= CANCEL", kRule}));
  log.CloseLogFile();  // without a log only the prompt is kept
  EXPECT_EQ(messages.directBox(request("Go on?", 4)), answer::Yes);
  EXPECT_TRUE(ts.errors.str().ends_with("\nGo on?\n"));
  EXPECT_TRUE(shown().empty());
}

TEST_F(MessagesTest, DirectBoxIsShownEvenWhenUnattended) {
  ts.session.UnattendedMode = true;
  EXPECT_EQ(messages.directBox(request("Settings file missing", mb::OkOnly)), answer::Ok);
  ASSERT_EQ(shown().size(), 1u);
  EXPECT_TRUE(written().empty());
}

TEST_F(MessagesTest, FailingHostBoxGivesZeroAndNothingEscapes) {
  struct Throwing final : MessageBoxPort {
    int show(const MessageBoxRequest&) override { throw std::runtime_error("host gone"); }
  } throwing;
  ts.session.messageBox = &throwing;
  EXPECT_EQ(messages.VexMsgBox(request("Go on?", 1)), 0);
  EXPECT_EQ(messages.directBox(request("Go on?", 1)), 0);
  EXPECT_NO_THROW(messages.ReportError(13, "Type mismatch", "btnConnectDest_Click"));
}

TEST_F(MessagesTest, ReportIsACriticalBoxNamingTheProcedureAndNumberZeroIsNone) {
  messages.ReportError(0, "no error", "btnConnectDest_Click");
  messages.ReportError(13, "Type mismatch", "btnConnectDest_Click");
  messages.ReportError(Error(err::PathNotFound));
  ASSERT_EQ(shown().size(), 2u);
  EXPECT_EQ(shown()[0].prompt,
            "Error in Procedure btnConnectDest_Click\r\nError 13 - Type mismatch");
  EXPECT_EQ(shown()[0].buttons, mb::Critical);
  EXPECT_FALSE(shown()[0].title);
  EXPECT_EQ(shown()[1].prompt, "Error 76 - Path not found");
  ts.session.UnattendedMode = true;
  messages.ReportError(0, "no error");
  EXPECT_TRUE(written().empty());
}

}  // namespace
}  // namespace csv2sql
