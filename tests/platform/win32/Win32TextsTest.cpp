// The program's texts on Windows, which has no Qt catalogue: English from the table built in,
// Japanese as written, with the values of a message kept.
#include <gtest/gtest.h>

#include "app/EngineText.h"
#include "core/Messages.h"

using talvenor::Language;
using talvenor::TranslateEngineText;
using talvenor::TranslateText;
using talvenor::UseLanguage;
namespace msg = talvenor::msg;

TEST(Win32Texts, EngineAndProgramTextsFollowTheChosenLanguage) {
  const std::string removal = msg::Format(msg::kCannotRemoveFolder, {"C:\\bk\\20120917143005.0"});
  const std::string renamed = msg::Format(msg::kRenamed, {"C:\\bk\\old", "C:\\bk\\old.1"});
  struct Case {
    Language language;
    std::string text, expected;
  } const cases[] = {
      {Language::English, removal, "Cannot delete the folder C:\\bk\\20120917143005.0"},
      // A source with a full-width space, and a text with two values.
      {Language::English, msg::kLogSizeControl,
       "The size of the log file cannot be controlled. Please look after it yourself."},
      {Language::English, renamed, "C:\\bk\\old was\nrenamed to C:\\bk\\old.1. Please delete it yourself."},
      {Language::English, "not one of the engine's texts", "not one of the engine's texts"},
      {Language::Japanese, removal, removal},
      {Language::Japanese, msg::kLogSizeControl, msg::kLogSizeControl},
  };
  for (const Case& c : cases) {
    UseLanguage(c.language);
    EXPECT_EQ(TranslateEngineText(c.text), c.expected) << c.text;
  }
  UseLanguage(Language::English);
  EXPECT_EQ(TranslateText("talvenor", "%1 のコピーはありません"), "No copies of %1");
  UseLanguage(Language::Japanese);
  EXPECT_EQ(TranslateText("talvenor", "%1 のコピーはありません"), "%1 のコピーはありません");
}
