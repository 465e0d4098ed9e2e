// A player loads in_mf.dll at start-up and may play nothing for hours: what
// the host does right after loading (Init, Quit) must leave no thread of the
// plug-in's or of Media Foundation's behind to wake the machine. Its own
// executable, so that no other test has opened a file before.
#include <gtest/gtest.h>
#include <windows.h>
#include <tlhelp32.h>

#include "tests/in_mf/plugin_test_util.h"

namespace {

int ThreadsOfThisProcess() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  int count = 0;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  }
  CloseHandle(snapshot);
  return count;
}

TEST(IdleTest, LoadingAndInitStartNoThreadsButAFileStillPlays) {
  const int before = ThreadsOfThisProcess();
  ASSERT_GT(before, 0);
  In_Module* m = fake_host::Plugin();  // loads, then Init and Quit as a host does
  ASSERT_NE(m, nullptr);
  m->Init();
  Sleep(200);  // threads started on the way would be running by now
  EXPECT_EQ(ThreadsOfThisProcess(), before);
  m->Quit();

  // Media Foundation comes up with the first file instead.
  REQUIRE_MEDIA("song.flac");
  ASSERT_NO_FATAL_FAILURE(PlayToEnd(m, "song.flac"));
  EXPECT_GT(fake_host::Output().written_frames, 0);
}

}  // namespace
