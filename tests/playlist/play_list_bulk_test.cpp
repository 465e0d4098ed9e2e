// Edits of many entries at once: a dropped folder inserted in one pass, a
// selection of files deleted in one pass.
#include <gtest/gtest.h>

#include "playlist/play_list_model.h"

namespace {
std::vector<std::string> Paths(const PlayListModel& model, int list) {
  std::vector<std::string> paths;
  for (const SoundFile& file : model.List(list)->files) paths.push_back(file.path);
  return paths;
}
}  // namespace

TEST(PlayListBulk, InsertAndDeleteManyKeepOrderAndIds) {
  PlayListModel model(1);
  model.AppendList("a");
  model.AppendFile(0, std::string("x"));
  model.AppendFile(0, std::string("y"));
  EXPECT_EQ(model.InsertFiles(0, 1, {std::string("p"), std::string("q")}), 2);
  EXPECT_EQ(Paths(model, 0), (std::vector<std::string>{"x", "p", "q", "y"}));
  // Ids continue the counter in order.
  EXPECT_EQ(model.List(0)->files[1].id, 3);
  EXPECT_EQ(model.List(0)->files[2].id, 4);
  EXPECT_EQ(model.InsertFiles(0, 99, {std::string("z")}), 1);  // beyond the end appends
  EXPECT_EQ(model.InsertFiles(5, 0, {std::string("w")}), 0);   // no such list
  EXPECT_EQ(model.InsertFiles(0, -1, {std::string("w")}), 0);

  EXPECT_TRUE(model.DeleteFiles(0, {4, 1, 1}));
  EXPECT_EQ(Paths(model, 0), (std::vector<std::string>{"x", "q", "y"}));
  EXPECT_FALSE(model.DeleteFiles(0, {0, 3}));  // one invalid: nothing changes
  EXPECT_EQ(Paths(model, 0).size(), 3u);
  EXPECT_TRUE(model.DeleteFiles(0, {}));
}

TEST(PlayListBulk, FiveThousandOfTenThousandGoInOnePass) {
  PlayListModel model(1);
  model.AppendList("big");
  std::vector<NewSoundFile> entries;
  for (int i = 0; i < 10000; ++i) entries.emplace_back("f" + std::to_string(i));
  ASSERT_EQ(model.InsertFiles(0, 0, std::move(entries)), 10000);
  std::vector<int32_t> odd;
  for (int i = 1; i < 10000; i += 2) odd.push_back(i);
  ASSERT_TRUE(model.DeleteFiles(0, odd));
  const auto& files = model.List(0)->files;
  ASSERT_EQ(files.size(), 5000u);
  EXPECT_EQ(files[0].path, "f0");
  EXPECT_EQ(files[4999].path, "f9998");
  EXPECT_EQ(files[4999].id, 9999);
}
