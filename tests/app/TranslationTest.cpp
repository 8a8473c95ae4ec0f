// The language choice and the engine's messages on their way to the user.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>

#include "app/Translation.h"
#include "core/Messages.h"

namespace talvenor {
namespace {

TEST(Language, ChosenAsGettextPicksACatalogue) {
  const struct {
    LocaleVariables variables;  // LANGUAGE, LC_ALL, LC_MESSAGES, LANG
    Language expected;
  } cases[] = {
      {{"", "", "", ""}, Language::Japanese},
      {{"", "", "", "C"}, Language::Japanese},
      {{"", "", "", "POSIX"}, Language::Japanese},
      {{"", "C.UTF-8", "", "en_US.UTF-8"}, Language::Japanese},
      {{"en", "", "", "C.UTF-8"}, Language::Japanese},  // LANGUAGE counts only outside C
      {{"", "", "", "ja_JP.UTF-8"}, Language::Japanese},
      {{"", "", "", "ja_JP.eucJP"}, Language::Japanese},
      {{"", "", "", "en_US.UTF-8"}, Language::English},
      {{"", "", "", "en_GB@euro"}, Language::English},
      {{"", "", "", "de_DE.UTF-8"}, Language::English},
      {{"", "", "", "fr"}, Language::English},
      {{"en", "", "", "ja_JP.UTF-8"}, Language::English},
      {{"ja", "", "", "en_US.UTF-8"}, Language::Japanese},
      {{"de:ja:en", "", "", "de_DE.UTF-8"}, Language::Japanese},  // the first one we speak
      {{"de:fr", "", "", "ja_JP.UTF-8"}, Language::Japanese},     // then the locale itself
      {{"", "en_US.UTF-8", "ja_JP.UTF-8", "ja_JP.UTF-8"}, Language::English},
      {{"", "", "ja_JP.UTF-8", "en_US.UTF-8"}, Language::Japanese},
      {{"", "", "en_US.UTF-8", "C"}, Language::English},
  };
  for (const auto& c : cases) {
    const LocaleVariables& v = c.variables;
    EXPECT_EQ(ChooseLanguage(v), c.expected)
        << "LANGUAGE=" << v.language << " LC_ALL=" << v.lcAll << " LC_MESSAGES=" << v.lcMessages << " LANG=" << v.lang;
  }
}

class EngineTextTest : public ::testing::Test {
 protected:
  void TearDown() override { UseLanguage(Language::Japanese); }
};

TEST_F(EngineTextTest, EnglishKeepsTheValuesOfEveryKindOfMessage) {
  UseLanguage(Language::English);
  const struct {
    std::string japanese, english;
  } cases[] = {
      {msg::kCheckFolders, "Check the watched folder and the backup folder."},
      {msg::kAccessDenied, "Access denied.\nContinuing."},
      {msg::Format(msg::kCannotRemoveFolder, {"/bk/20120917143005.0"}),
       "Cannot delete the folder /bk/20120917143005.0"},
      {msg::Format(msg::kRenamed, {"/bk/は/20120917143005.0", "/bk/は/20120917143005.A"}),
       "/bk/は/20120917143005.0 was\nrenamed to /bk/は/20120917143005.A. Please delete it yourself."},
      {msg::Format(msg::kNotRenamed, {"/bk/%1 100%"}), "/bk/%1 100% could not be deleted. Please delete it yourself."},
      {msg::Format(msg::kDiskFullFormat, {"/home/u/log.csv"}),
       "The disk became full while writing to /home/u/log.csv."},
      {msg::Format(msg::kLogCannotOpen, {"/home/\xff/log.csv"}),
       "The log file can be neither opened nor created.\n/home/\xff/log.csv"},
      // Not an engine text: shown as it came.
      {"a.txt 10 20120917143005 \r\n", "a.txt 10 20120917143005 \r\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(TranslateEngineText(c.japanese), c.english);
}

TEST_F(EngineTextTest, EveryEngineTextIsListedAndTranslatedAndJapaneseStaysAsItIs) {
  // A text missing from kAll would reach English users in Japanese.
  std::ifstream header(TALVENOR_SOURCE_DIR "/src/core/Messages.h");
  const std::string source((std::istreambuf_iterator<char>(header)), std::istreambuf_iterator<char>());
  const std::regex declaration(R"(inline constexpr const char\* k\w+ =)");
  const auto declared =
      std::distance(std::sregex_iterator(source.begin(), source.end(), declaration), std::sregex_iterator());
  EXPECT_EQ(declared, static_cast<long>(std::size(msg::kAll)));

  for (const char* text : msg::kAll) {
    UseLanguage(Language::English);
    const std::string english = TranslateEngineText(msg::Format(text, {"/p", "/q"}));
    EXPECT_NE(english, msg::Format(text, {"/p", "/q"})) << "no English for " << text;
    EXPECT_EQ(english.find("%"), std::string::npos) << english;
    UseLanguage(Language::Japanese);
    EXPECT_EQ(TranslateEngineText(msg::Format(text, {"/p", "/q"})), msg::Format(text, {"/p", "/q"}));
  }
}

}  // namespace
}  // namespace talvenor
