// What a start asks for, what it sends the first copy, and where the files of
// close "/add" starts join the list.
#include <gtest/gtest.h>

#include "app/add_order.h"
#include "app/command_line.h"
#include "app/poke_text.h"

TEST(ParseStartRequest, ReadsALeadingAddSwitchOnly) {
  const struct {
    const char* arguments;
    const char* files;  // nullptr: not the switch, kept as files exactly as written
  } cases[] = {
      {"/add \"C:\\a b.mp3\"", "\"C:\\a b.mp3\""}, {"/ADD   x.wav y.wav", "x.wav y.wav"}, {" \t/Add\tx.wav", "x.wav"},
      {"/add", ""}, {"/add ", ""}, {"x.wav /add", nullptr}, {"/added.wav", nullptr}, {"\"/add\" x.wav", nullptr},
      {"/ad", nullptr}, {"", nullptr}, {"a.mp3  b.mp3", nullptr},
  };
  for (const auto& c : cases) {
    const StartRequest request = ParseStartRequest(c.arguments);
    EXPECT_EQ(request.kind, c.files ? HandOverKind::kAdd : HandOverKind::kPlay) << c.arguments;
    EXPECT_EQ(request.files, c.files ? c.files : c.arguments) << c.arguments;
  }
}

TEST(DirectHandOver, CarriesKindLaunchTimeAndText) {
  const std::vector<uint8_t> bytes = DirectHandOverBytes(0x0123456789ABCDEFULL, "\"a b.wav\" c.wav");
  ASSERT_EQ(bytes.size(), 8u + 15u + 1u);
  EXPECT_EQ(bytes[0], 0xEF);  // little-endian
  const std::optional<DirectHandOver> add = ParseDirectHandOver(kDirectAddTag, bytes.data(), bytes.size());
  ASSERT_TRUE(add.has_value());
  EXPECT_TRUE(add->kind == HandOverKind::kAdd && add->launched == 0x0123456789ABCDEFULL);
  EXPECT_EQ(add->text, "\"a b.wav\" c.wav");
  EXPECT_EQ(ParseDirectHandOver(kDirectPlayTag, bytes.data(), bytes.size())->kind, HandOverKind::kPlay);
  // Anyone may send the window data: other tags and short data are refused,
  // the text is cut like a poke's.
  EXPECT_FALSE(ParseDirectHandOver(0, bytes.data(), bytes.size()));
  EXPECT_FALSE(ParseDirectHandOver(kDirectPlayTag, bytes.data(), 7));
  EXPECT_FALSE(ParseDirectHandOver(kDirectPlayTag, nullptr, 0));
  EXPECT_EQ(ParseDirectHandOver(kDirectPlayTag, bytes.data(), 8)->text, "");
  EXPECT_EQ(ParseDirectHandOver(kDirectPlayTag, bytes.data(), 10)->text, "\"a");  // no NUL: the data's end
  const std::vector<uint8_t> long_text = DirectHandOverBytes(1, std::string(40000, 'x'));
  EXPECT_EQ(ParseDirectHandOver(kDirectPlayTag, long_text.data(), long_text.size())->text.size(), kMaxPokeBytes - 1);
}

TEST(AddOrder, LaterLaunchesOfTheSameListEarliestFirst) {
  AddOrder order;
  EXPECT_TRUE(order.LaterAdds(0, 10, 0).empty());
  order.Remember(0, 30, 300, 1000);  // arrived first, launched last
  order.Remember(0, 20, 200, 1100);
  order.Remember(1, 25, 900, 1150);  // another list
  order.Remember(0, 20, 210, 1200);  // launched at the same moment as 200: as it arrived
  const struct {
    int32_t list;
    uint64_t launched;
    std::vector<int32_t> ids;
  } cases[] = {{0, 10, {200, 210, 300}}, {0, 20, {300}} /* equal: not later */, {0, 30, {}}, {1, 10, {900}},
               {2, 10, {}}};
  for (const auto& c : cases) EXPECT_EQ(order.LaterAdds(c.list, c.launched, 1300), c.ids) << c.list << c.launched;
  // Forgotten once the window has passed since they arrived.
  EXPECT_EQ(order.LaterAdds(0, 10, 1101 + AddOrder::kWindowMs), (std::vector<int32_t>{210}));
  EXPECT_TRUE(order.LaterAdds(0, 10, 1201 + AddOrder::kWindowMs).empty());
}
