// Message boxes and their silent blocks in the run log; whole logs of runs are read by the
// import tests.
#include "log/run_log.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "core/date_locale.h"
#include "core/error.h"
#include "log/messages.h"
#include "tests/support/test_support.h"

namespace csv2sql {
namespace {

using Lines = std::vector<std::string>;

// "hh:mm:ss AMPM : " with the designators of the locale the tests run in.
const std::string kStamp = "08:15:41 " + DateLocale::system().am + " : ";
const std::string kBanner = std::string(31, '=') + " SILENT VEXMSGBOX " + std::string(31, '=');

// A default button that the set lacks answers like the first; an icon does not count.
TEST(DefaultButtonAnswer, AnswersWithTheDefaultButtonOfTheSet) {
  EXPECT_EQ(defaultButtonAnswer(4 + 512), answer::Yes);
  EXPECT_EQ(defaultButtonAnswer(3 + 32 + 256 + 512), answer::No);
  const Lines names = {"", "OK", "CANCEL", "ABORT", "RETRY", "IGNORE", "YES", "NO", ""};
  for (int answer = 0; answer <= 8; ++answer) EXPECT_EQ(MsgBoxAnswerName(answer), names[answer]);
}

// A session with a run log open, so that silent blocks land in a file.
class MessagesTest : public ::testing::Test {
 protected:
  MessagesTest() { log.OpenLogFile("R27731"); }
  std::string written() const { return testing::readFile(log.logFolder() / log.LogFileName()); }
  const std::vector<MessageBoxRequest>& shown() const { return ts.messageBox.shown; }

  testing::TestSession ts;
  RunLog log{ts.session};
  Messages messages{ts.session, log};
};

// The prompt's second line has no time stamp of its own.
TEST_F(MessagesTest, UnattendedBoxIsASilentBlockByteForByte) {
  ts.session.UnattendedMode = true;
  messages.ReportError(Error(err::TypeMismatch), "btnConnectDest_Click");
  EXPECT_EQ(messages.VexMsgBox({"Retry the copy?", 5 + 512, "Archive"}), answer::Retry);
  const std::string rule = kStamp + std::string(77, '=') + "\r\n";
  EXPECT_TRUE(written().ends_with(
      kStamp + kBanner + "\r\n" + kStamp + "PROMPT= Error in Procedure btnConnectDest_Click\r\n" +
      "Error 13 - Type mismatch\r\n" + kStamp + "BUTTONS= 16\r\n" + kStamp + "ANSWER= OK\r\n" +
      rule + kStamp + kBanner + "\r\n" + kStamp + "PROMPT= Retry the copy?\r\n" + kStamp +
      "BUTTONS= 517\r\n" + kStamp + "TITLE= Archive\r\n" + kStamp + "ANSWER= RETRY\r\n" + rule))
      << written();
  EXPECT_TRUE(shown().empty());
}

TEST_F(MessagesTest, AttendedBoxIsShownAsAskedAndAReportNamesTheProcedure) {
  ts.messageBox.nextAnswer = answer::Retry;
  EXPECT_EQ(messages.VexMsgBox({"Retry?", 5 + 32, {}}), answer::Retry);
  messages.ReportError(0, "no error", "btnConnectDest_Click");  // number 0 is no error
  messages.ReportError(Error(err::PathNotFound));
  ASSERT_EQ(shown().size(), 2u);
  EXPECT_EQ(shown()[0].buttons, 37);
  EXPECT_EQ(shown()[1].prompt, "Error 76 - Path not found");
  EXPECT_EQ(shown()[1].buttons, mb::Critical);
  EXPECT_EQ(written().find("VEXMSGBOX"), std::string::npos);
  struct Throwing final : MessageBoxPort {
    int show(const MessageBoxRequest&) override { throw std::runtime_error("host gone"); }
  } throwing;
  ts.session.messageBox = &throwing;
  EXPECT_EQ(messages.VexMsgBox({"Go on?", 1, {}}), 0);  // nothing escapes
}

// A service has nobody to answer: the prompt goes to the error stream and the log.
TEST_F(MessagesTest, NobodyToAnswerNeverWaits) {
  ts.session.ServiceMode = true;
  EXPECT_EQ(messages.directBox({"Delete old rows?", 260, {}}), answer::No);
  EXPECT_EQ(ts.errors.str(), "Delete old rows?\n");
  EXPECT_NE(written().find(kStamp + "PROMPT= Delete old rows?\r\n"), std::string::npos);
}

}  // namespace
}  // namespace csv2sql
