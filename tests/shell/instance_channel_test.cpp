// The single-instance channel under Wine: the named mutex between processes,
// delivery of command lines from the same thread, another thread and another
// process, the topics the server answers, and how poke data is cut.
//
// The program runs itself as a child with "--child <mode> ..." to be a second
// start of the program.
#include "app/instance_channel.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/e2e/dde_conversation.h"
#include "tests/shell/child_process.h"

namespace {
constexpr int kChildIsFirst = 10;
constexpr int kChildIsNotFirst = 11;
constexpr int kChildSent = 0;
constexpr int kChildNotSent = 1;

std::string UniqueName(const char* tag) {
  return "MelodekShellTest" + std::to_string(::GetCurrentProcessId()) + tag;
}

std::string WithNul(const std::string& text) { return std::string(text.c_str(), text.size() + 1); }

// A serving channel that records what it receives.
struct RecordingChannel {
  explicit RecordingChannel(const std::string& name) : name(name) {
    channel.SetReceiver([this](const std::string& text) { received.push_back(text); });
    serving = channel.BecomeFirstInstance(name);
  }
  std::string name;
  CInstanceChannel channel;
  std::vector<std::string> received;
  bool serving = false;
};

// Windows form of a path of the build machine (the build runs outside Wine).
std::string WindowsPath(std::string path) {
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

TEST(InstanceChannel, FirstInstanceHoldsTheNameUntilItEnds) {
  const std::string name = UniqueName("Hold");
  {
    CInstanceChannel first;
    ASSERT_TRUE(first.BecomeFirstInstance(name));
    EXPECT_TRUE(first.IsServing());
    // Another start of the program, in a process of its own, finds the mutex.
    EXPECT_EQ(shell_test::RunSelf({"--child", "first-instance", name}), kChildIsNotFirst);
    // In this process a second channel cannot serve either.
    CInstanceChannel second;
    EXPECT_FALSE(second.BecomeFirstInstance(name));
    EXPECT_FALSE(second.IsServing());
  }
  // The ended channel released the mutex and unregistered the service.
  EXPECT_FALSE(CInstanceChannel::SendCommandLine(name, "after the end"));
  EXPECT_EQ(shell_test::RunSelf({"--child", "first-instance", name}), kChildIsFirst);
  CInstanceChannel again;
  EXPECT_TRUE(again.BecomeFirstInstance(name));
}

TEST(InstanceChannel, DeliversCommandLinesFromEverySender) {
  RecordingChannel server(UniqueName("Deliver"));
  ASSERT_TRUE(server.serving);

  // The first start hands its own command line to its own server from the
  // UI thread: DDEML runs the server side while the client waits.
  EXPECT_TRUE(CInstanceChannel::SendCommandLine(server.name, "\"C:\\music\\a b.mp3\" c.mp3"));
  bool sentFromThread = false;
  ASSERT_TRUE(shell_test::RunOnOtherThread(
      [&] { sentFromThread = CInstanceChannel::SendCommandLine(server.name, "from a thread"); }));
  EXPECT_TRUE(sentFromThread);
  // A second start of the program, and one without arguments.
  EXPECT_EQ(shell_test::RunSelf({"--child", "send", server.name, "D:\\list.m3u"}), kChildSent);
  EXPECT_EQ(shell_test::RunSelf({"--child", "send", server.name, ""}), kChildSent);

  const std::vector<std::string> expected = {"\"C:\\music\\a b.mp3\" c.mp3", "from a thread", "D:\\list.m3u", ""};
  EXPECT_EQ(server.received, expected);

  // Nobody serves another name.
  EXPECT_FALSE(CInstanceChannel::SendCommandLine(UniqueName("Nobody"), "lost"));
  EXPECT_EQ(shell_test::RunSelf({"--child", "send", UniqueName("Nobody"), "lost"}), kChildNotSent);
  EXPECT_EQ(server.received.size(), expected.size());
}

TEST(InstanceChannel, AnswersOnlyItsTopics) {
  RecordingChannel server(UniqueName("Topics"));
  ASSERT_TRUE(server.serving);
  const HWND window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x00ABCDEFu));
  server.channel.SetMainWindow(window);

  // Connections: the three topics of the service, nothing else.
  EXPECT_TRUE(dde_test::Conversation(server.name, "MESSAGE").connected());
  EXPECT_TRUE(dde_test::Conversation(server.name, "HWND").connected());
  EXPECT_TRUE(dde_test::Conversation(server.name, "text").connected());  // DDE names ignore case
  EXPECT_FALSE(dde_test::Conversation(server.name, "OTHER").connected());

  // Pokes are taken on "TEXT" only.
  EXPECT_FALSE(dde_test::PokeBytes(server.name, "HWND", "DATA_ITEM", WithNul("refused")));
  EXPECT_FALSE(dde_test::PokeBytes(server.name, "MESSAGE", "DATA_ITEM", WithNul("refused")));
  EXPECT_TRUE(dde_test::PokeBytes(server.name, "TEXT", "ANY_ITEM", WithNul("taken")));
  EXPECT_EQ(server.received, std::vector<std::string>{"taken"});

  // Requests on "HWND" answer the main window for any item, 4 bytes.
  for (const char* item : {"DATA_ITEM", "anything"}) {
    const std::optional<std::string> reply =
        dde_test::RequestBytes(server.name, "HWND", item, CInstanceChannel::kWindowFormat);
    ASSERT_TRUE(reply.has_value()) << item;
    ASSERT_EQ(reply->size(), 4u) << item;
    uint32_t value = 0;
    std::memcpy(&value, reply->data(), sizeof value);
    EXPECT_EQ(value, 0x00ABCDEFu) << item;
  }
  EXPECT_FALSE(dde_test::RequestBytes(server.name, "TEXT", "DATA_ITEM", CInstanceChannel::kWindowFormat));
  EXPECT_FALSE(dde_test::RequestBytes(server.name, "MESSAGE", "DATA_ITEM", CInstanceChannel::kWindowFormat));
}

TEST(InstanceChannel, CutsPokeDataToItsBufferAndTerminatesIt) {
  RecordingChannel server(UniqueName("Cut"));
  ASSERT_TRUE(server.serving);
  const size_t maxText = CInstanceChannel::kMaxPokeBytes - 1;
  struct Case {
    const char* what;
    std::string bytes;
    std::string text;
  };
  const Case cases[] = {
      {"no NUL", "abc", "abc"},
      {"stops at the first NUL", std::string("ab\0cd", 5), "ab"},
      {"exactly the buffer", WithNul(std::string(maxText, 'y')), std::string(maxText, 'y')},
      {"a full buffer without NUL", std::string(maxText + 1, 'z'), std::string(maxText, 'z')},
      {"far longer", WithNul(std::string(40000, 'x')), std::string(maxText, 'x')},
      {"empty", std::string(), std::string()},
  };
  for (const Case& c : cases) {
    server.received.clear();
    EXPECT_TRUE(dde_test::PokeBytes(server.name, "TEXT", "DATA_ITEM", c.bytes)) << c.what;
    ASSERT_EQ(server.received.size(), 1u) << c.what;
    EXPECT_EQ(server.received[0], c.text) << c.what;
  }
}

TEST(InstanceChannel, TestClientToolTalksToTheChannel) {
  RecordingChannel server(UniqueName("Tool"));
  ASSERT_TRUE(server.serving);
  server.channel.SetMainWindow(reinterpret_cast<HWND>(static_cast<UINT_PTR>(4242)));
  const std::string tool = WindowsPath(DDE_CLIENT_EXE);

  EXPECT_EQ(shell_test::RunProgram(tool, {"poke", server.name, "TEXT", "a.mp3 b.mp3"}), 0);
  EXPECT_EQ(shell_test::RunProgram(tool, {"poke-raw", server.name, "TEXT", "78797a"}), 0);
  EXPECT_EQ(shell_test::RunProgram(tool, {"poke", server.name, "HWND", "refused"}), 1);
  std::string printed;
  EXPECT_EQ(shell_test::RunProgram(tool, {"request", server.name, "HWND", "any"}, &printed), 0);
  EXPECT_EQ(printed.substr(0, printed.find_first_of("\r\n")), "4242");
  EXPECT_EQ(shell_test::RunProgram(tool, {"request", server.name, "TEXT", "any"}, &printed), 1);
  EXPECT_EQ(printed, "");
  EXPECT_EQ(shell_test::RunProgram(tool, {"poke-raw", server.name, "TEXT", "7"}), 2);  // odd digit count
  EXPECT_EQ(server.received, (std::vector<std::string>{"a.mp3 b.mp3", "xyz"}));
}

int RunChild(int argc, char** argv) {
  const std::string mode = argc > 2 ? argv[2] : "";
  if (mode == "first-instance" && argc == 4) {
    CInstanceChannel channel;
    return channel.BecomeFirstInstance(argv[3]) ? kChildIsFirst : kChildIsNotFirst;
  }
  if (mode == "send" && argc == 5) {
    return CInstanceChannel::SendCommandLine(argv[3], argv[4]) ? kChildSent : kChildNotSent;
  }
  return 2;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--child") == 0) return RunChild(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
