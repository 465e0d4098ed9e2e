// The single-instance channel under Wine: the named mutex between processes,
// delivery of command lines from the same thread, another thread and another
// process, the topics the server answers, and how poke data is cut.
//
// The program runs itself as a child with "--child <mode> ..." to be a second
// start of the program.
#include "app/instance_channel.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/hand_over.h"
#include "tests/e2e/dde_conversation.h"
#include "tests/shell/child_process.h"

namespace {
constexpr int kChildIsFirst = 10;
constexpr int kChildIsNotFirst = 11;
constexpr int kChildSent = 0;
constexpr int kChildNotSent = 1;
constexpr int kChildNoAnswer = 12;

std::string UniqueName(const char* tag) {
  return "MelodekShellTest" + std::to_string(::GetCurrentProcessId()) + tag;
}

std::string WithNul(const std::string& text) { return std::string(text.c_str(), text.size() + 1); }

// A serving channel that records what it receives (the texts, and every
// hand-over whole); it takes hand-overs at once unless told to hold them.
struct RecordingChannel {
  explicit RecordingChannel(const std::string& name, bool hold = false) : name(name) {
    channel.SetReceiver([this](const CInstanceChannel::HandOver& handOver) {
      received.push_back(handOver.arguments);
      handOvers.push_back(handOver);
    });
    serving = channel.BecomeFirstInstance(name);
    if (!hold) channel.ReleaseHeld();
  }
  std::string name;
  CInstanceChannel channel;
  std::vector<std::string> received;
  std::vector<CInstanceChannel::HandOver> handOvers;
  bool serving = false;
};

// Starts this program as a child without waiting for it; ExitCodeOf pumps
// this thread's messages until it ends (-1: it did not).
UniqueHandle StartSelf(const std::vector<std::string>& arguments) {
  std::string commandLine = "\"" + ModuleFilePath() + "\"";
  for (const std::string& argument : arguments) commandLine += " \"" + argument + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
    return UniqueHandle();
  }
  ::CloseHandle(process.hThread);
  return UniqueHandle(process.hProcess);
}

int ExitCodeOf(const UniqueHandle& child) {
  if (!child || !shell_test::PumpUntilSignalled(child.get(), 60000)) return -1;
  DWORD code = 0;
  ::GetExitCodeProcess(child.get(), &code);
  return static_cast<int>(code);
}

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

TEST(InstanceChannel, HoldsHandOversUntilItsListsAreLoaded) {
  RecordingChannel server(UniqueName("Hold"), /*hold=*/true);
  ASSERT_TRUE(server.serving);
  bool poked = false;
  CInstanceChannel::SendResult play{}, add{};
  ASSERT_TRUE(shell_test::RunOnOtherThread([&] {
    poked = CInstanceChannel::SendCommandLine(server.name, "a.wav");
    play = CInstanceChannel::SendDirect(server.name, {HandOverKind::kPlay, "b.wav"}, 7, 5000);
    add = CInstanceChannel::SendDirect(server.name, {HandOverKind::kAdd, "c.wav d.wav"}, 133790000000000042, 5000);
  }));
  // Taken at once, handed on only now, in their order.
  EXPECT_TRUE(poked && play == CInstanceChannel::SendResult::kDelivered && add == play);
  EXPECT_TRUE(server.handOvers.empty());
  server.channel.ReleaseHeld();
  ASSERT_EQ(server.handOvers.size(), 3u);
  const uint64_t launched[] = {0, 7, 133790000000000042ULL};  // DDE names no launch time
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(server.handOvers[i].kind, i == 2 ? HandOverKind::kAdd : HandOverKind::kPlay) << i;
    EXPECT_EQ(server.handOvers[i].launched, launched[i]) << i;
  }
  EXPECT_EQ(server.received, (std::vector<std::string>{"a.wav", "b.wav", "c.wav d.wav"}));
  // From now on at once.
  EXPECT_TRUE(CInstanceChannel::SendCommandLine(server.name, "e.wav"));
  EXPECT_EQ(server.received.back(), "e.wav");
}

TEST(InstanceChannel, HandOverWindowRefusesWhatNoStartSends) {
  RecordingChannel server(UniqueName("Refuse"));
  ASSERT_TRUE(server.serving);
  HWND window = ::FindWindowExA(HWND_MESSAGE, nullptr, CInstanceChannel::kHandOverClass, server.name.c_str());
  ASSERT_NE(window, nullptr);
  const std::vector<uint8_t> bytes = DirectHandOverBytes(1, "x.wav");
  // An unknown tag (the data's checks are the parser's own test's).
  COPYDATASTRUCT copy{0x1234, static_cast<DWORD>(bytes.size()), const_cast<uint8_t*>(bytes.data())};
  LRESULT taken = TRUE;
  ASSERT_TRUE(shell_test::RunOnOtherThread(
      [&] { taken = ::SendMessageA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&copy)); }));
  EXPECT_EQ(taken, FALSE);
  EXPECT_TRUE(server.received.empty());
  // The DDE service has no topic for adds: an older copy refuses them too.
  EXPECT_FALSE(dde_test::Conversation(server.name, "ADD").connected());
}

TEST(InstanceChannel, AnEndingCopyTakesNothingAndKeepsItsNameUntilSaved) {
  RecordingChannel server(UniqueName("Ending"));
  ASSERT_TRUE(server.serving);
  server.channel.StopServing();
  EXPECT_FALSE(server.channel.IsServing());
  EXPECT_EQ(CInstanceChannel::Send(server.name, "TEXT", "DATA_ITEM", "lost?"),
            CInstanceChannel::SendResult::kNoServer);
  EXPECT_EQ(CInstanceChannel::SendDirect(server.name, {HandOverKind::kPlay, "lost?"}, 0, 2000),
            CInstanceChannel::SendResult::kNoServer);
  EXPECT_EQ(shell_test::RunSelf({"--child", "first-instance", server.name}), kChildIsNotFirst);
  server.channel.ReleaseName();
  EXPECT_EQ(shell_test::RunSelf({"--child", "first-instance", server.name}), kChildIsFirst);
  EXPECT_TRUE(server.received.empty());
}

TEST(HandOver, WaitsForAFirstCopyThatDoesNotAnswerYet) {
  RecordingChannel server(UniqueName("Late"));
  ASSERT_TRUE(server.serving);
  UniqueHandle child = StartSelf({"--child", "hand-over", server.name, "10000", "play", "late.wav"});
  ASSERT_TRUE(child);
  ::Sleep(1500);  // this copy is busy starting up: it pumps no messages
  EXPECT_EQ(ExitCodeOf(child), kChildSent);
  EXPECT_EQ(server.received, std::vector<std::string>{"late.wav"});
}

TEST(HandOver, BecomesTheFirstCopyWhenTheOldOneEnds) {
  const std::string name = UniqueName("Ended");
  // A copy that ends: it holds the mutex and serves nothing any more.
  UniqueHandle ending(::CreateMutexA(nullptr, FALSE, name.c_str()));
  ASSERT_TRUE(ending);
  UniqueHandle child = StartSelf({"--child", "hand-over", name, "10000", "play", "next.wav"});
  ASSERT_TRUE(child);
  ::Sleep(700);
  ending.reset();
  EXPECT_EQ(ExitCodeOf(child), kChildIsFirst);
}

TEST(HandOver, GivesUpAfterTheBoundWhenNobodyAnswers) {
  const std::string name = UniqueName("Mute");
  UniqueHandle mute(::CreateMutexA(nullptr, FALSE, name.c_str()));
  ASSERT_TRUE(mute);
  const DWORD started = ::GetTickCount();
  EXPECT_EQ(shell_test::RunSelf({"--child", "hand-over", name, "1500", "play", "x.wav"}), kChildNoAnswer);
  EXPECT_GE(::GetTickCount() - started, 1500u);
}

TEST(HandOver, SimultaneousStartsAllArriveWhole) {
  RecordingChannel server(UniqueName("Crowd"));
  ASSERT_TRUE(server.serving);
  std::vector<UniqueHandle> children;
  std::vector<std::string> expected;
  for (int i = 0; i < 8; ++i) {
    // Two files each (the child's one argument is the whole text handed over).
    const std::string files = "C:\\music\\" + std::to_string(i) + "a.wav " + std::to_string(i) + "b.wav";
    expected.push_back(files);
    children.push_back(StartSelf({"--child", "hand-over", server.name, "10000", i % 2 ? "add" : "play", files}));
  }
  for (const UniqueHandle& child : children) EXPECT_EQ(ExitCodeOf(child), kChildSent);
  std::vector<std::string> received = server.received;
  std::sort(received.begin(), received.end());
  EXPECT_EQ(received, expected);
  for (const CInstanceChannel::HandOver& handOver : server.handOvers) {  // each with its launch time and kind
    EXPECT_NE(handOver.launched, 0u) << handOver.arguments;
    EXPECT_EQ(handOver.kind, (handOver.arguments[9] - '0') % 2 ? HandOverKind::kAdd : HandOverKind::kPlay)
        << handOver.arguments;
  }
}

int RunChild(int argc, char** argv) {
  const std::string mode = argc > 2 ? argv[2] : "";
  if (mode == "hand-over" && argc == 7) {
    CInstanceChannel channel;
    const StartRequest request{std::strcmp(argv[5], "add") == 0 ? HandOverKind::kAdd : HandOverKind::kPlay, argv[6]};
    switch (BecomeFirstOrHandOver(channel, argv[3], request, std::strtoul(argv[4], nullptr, 10))) {
      case StartRole::kFirst:
        return kChildIsFirst;
      case StartRole::kHandedOver:
        return kChildSent;
      case StartRole::kNoAnswer:
        return kChildNoAnswer;
    }
  }
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
