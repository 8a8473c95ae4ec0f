// Help's page from any start: the current directory's copy, else the installed one, else the
// built-in page written to a private folder.
#include <filesystem>

#include "UiTestSupport.h"
#include "ui/HelpPage.h"

namespace talvenor::test {
namespace {

namespace fs = std::filesystem;

class HelpPageTest : public UiTest {};

TEST_F(HelpPageTest, TheCurrentDirectoryThenTheInstalledCopyThenTheBuiltInOne) {
  const TempDir places;
  const ui::HelpPlaces where{QString::fromStdString(places / "share"),
                             QString::fromStdString(places / "run/talvenor-help")};
  const auto found = [&](const char* page) { return ui::FindHelpPage(QString::fromUtf8(page), where).toStdString(); };

  const std::string builtIn = places / "run/talvenor-help/help/main.htm";
  EXPECT_EQ(found("help/main.htm"), builtIn);
  EXPECT_EQ(ReadFile(builtIn), ReadFile(TALVENOR_TEST_DATA "/../../res/help/main.htm"));
  EXPECT_EQ(fs::status(places / "run/talvenor-help").permissions(), fs::perms::owner_all);
  EXPECT_EQ(found("help/missing.htm"), "");

  const std::string installed = places.Write("share/help/main.htm", "installed");
  EXPECT_EQ(found("help/main.htm"), installed);
  const std::string local = m_work.Write("help/main.htm", "local");
  EXPECT_EQ(found("help/main.htm"), local);
}

}  // namespace
}  // namespace talvenor::test
