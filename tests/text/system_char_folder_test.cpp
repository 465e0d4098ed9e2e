// Search folding by the system's tables gives the forms a search needs, the
// same ones the built-in table gives.
#include "framework/system_char_folder.h"

#include <gtest/gtest.h>

#include "tests/text/fold_cases.h"

namespace {

TEST(SystemCharFolder, FoldsCaseAndAccentsInAnyScript) {
  const SystemCharFolder system;
  const std::unique_ptr<CharFolder> program = MakeProgramCharFolder();
  for (const FoldCase& c : kFoldCases) {
    EXPECT_EQ(FoldUtf8(c.text, system), c.folded) << c.what;
    EXPECT_EQ(FoldUtf8(c.text, *program), c.folded) << c.what << " (cached)";
  }
}

}  // namespace
