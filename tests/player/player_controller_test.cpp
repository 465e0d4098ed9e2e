// The player thread's command protocol, against a recording engine.
#include "engine/player_controller.h"

#include <gtest/gtest.h>

#include "tests/player/player_fakes.h"

namespace {
using Events = std::vector<std::string>;

class PlayerControllerTest : public ::testing::Test {
 protected:
  PlayerControllerTest() : engine(log), host(log), controller(engine, host) {
    host.files = {{1, "a.wav", "", 0, 0}, {2, "b.wav", "", 100, 5}, {3, "missing.wav", "", -50, 0}};
  }
  void Send(uint32_t message, uintptr_t wParam = 0, intptr_t lParam = 0) {
    bool quit = false;
    controller.HandleMessage(message, wParam, lParam, quit);
    quitSeen = quitSeen || quit;
  }
  void Command(uint32_t code, int32_t argument = 0) { Send(UM_PLAYER_COMMAND, code, argument); }

  EventLog log;
  RecordingEngine engine;
  ScriptedHost host;
  PlayerController controller;
  bool quitSeen = false;
};

TEST_F(PlayerControllerTest, PlayAppliesGainAndPresetThenPlays) {
  host.current = 1;
  Command(PC_PLAY);
  EXPECT_EQ(log.Events(), (Events{"gain 16384", "eq 2", "play b.wav", "show Title", "play-started"}));
  EXPECT_TRUE(controller.playing());
  EXPECT_EQ(host.titles[2], "Title");
}

TEST_F(PlayerControllerTest, FailedPlayStillBroadcastsAndKeepsTitle) {
  host.current = 2;
  Command(PC_PLAY);
  // -50 % gives -8192; an unknown preset turns the equalizer off (empty curve).
  EXPECT_EQ(log.Events(), (Events{"gain -8192", "eq 0", "play missing.wav", "play-started"}));
  EXPECT_FALSE(controller.playing());
  EXPECT_TRUE(host.titles.empty());
}

TEST_F(PlayerControllerTest, NoCurrentFileDoesNothing) {
  host.current = -1;
  Command(PC_PLAY);
  EXPECT_TRUE(log.Events().empty());
}

TEST_F(PlayerControllerTest, TrackEndAdvancesOnlyWhilePlaying) {
  Send(UM_TRACK_END);
  EXPECT_TRUE(log.Events().empty());

  Command(PC_PLAY);
  log.Clear();
  Send(UM_TRACK_END);
  EXPECT_EQ(log.Events(), (Events{"stop", "close", "next-file end", "gain 16384", "eq 2", "play b.wav",
                                  "show Title", "play-started"}));

  Command(PC_STOP);
  log.Clear();
  Send(UM_TRACK_END);  // a stop overtook the end: nothing advances
  EXPECT_TRUE(log.Events().empty());
}

TEST_F(PlayerControllerTest, PauseStopAndAnEndWithNothingPlayableTellTheWindows) {
  Command(PC_PLAY);
  log.Clear();
  Command(PC_PAUSE);
  Command(PC_STOP);
  EXPECT_EQ(log.Events(), (Events{"pause", "play-state", "stop", "close", "play-state"}));

  // The last playable file ends and the next one fails: the windows hear of
  // the attempt and of the stop.
  host.current = 1;
  Command(PC_PLAY);
  log.Clear();
  Send(UM_TRACK_END);
  EXPECT_EQ(log.Events(), (Events{"stop", "close", "next-file end", "gain -8192", "eq 0", "play missing.wav",
                                  "play-started", "play-state"}));
}

TEST_F(PlayerControllerTest, HeldEqualizerIsLeftAlone) {
  Command(PC_HOLD_EQUALIZER, 0x101);  // only the low byte counts
  EXPECT_TRUE(controller.eqHeld());
  Command(PC_HOLD_EQUALIZER, 0x100);
  EXPECT_FALSE(controller.eqHeld());
  Command(PC_HOLD_EQUALIZER, 1);
  log.Clear();
  host.current = 1;
  Command(PC_PLAY);
  EXPECT_EQ(log.Events(), (Events{"gain 16384", "play b.wav", "show Title", "play-started"}));
}

TEST_F(PlayerControllerTest, SettingsCommandsReachTheEngine) {
  Command(PC_SET_VOLUME, 8192);
  Command(PC_SET_FILE_GAIN, -20000);
  Command(PC_PAUSE);
  Command(PC_SET_EQUALIZER, 5);
  Command(PC_SET_EQUALIZER, 77);
  EXPECT_EQ(log.Events(), (Events{"volume 8192", "gain -20000", "pause", "play-state", "eq 2", "eq 0"}));
}

TEST_F(PlayerControllerTest, UnknownAndUnusedCodesAreIgnored) {
  for (uint32_t code : {5u, 6u, 10u, 16u, 99u, 0xFFFFFFFFu}) Command(code);
  EXPECT_TRUE(log.Events().empty());
  bool quit = true;
  EXPECT_FALSE(controller.HandleMessage(kWmUser + 1, 0, 0, quit));
  EXPECT_FALSE(quit);
}

TEST_F(PlayerControllerTest, PrevNextReloadAndQuit) {
  Command(PC_NEXT);
  Command(PC_PREV);
  EXPECT_EQ(log.Events()[0], "next-file");
  EXPECT_EQ(log.Events()[1], "gain 16384");
  log.Clear();
  Command(PC_RELOAD_PLUGINS);
  EXPECT_EQ(log.Events(), (Events{"stop", "close", "unload", "load .", "load Plugins"}));
  log.Clear();
  Send(UM_PLAYER_QUIT);
  EXPECT_TRUE(quitSeen);
  EXPECT_EQ(log.Events(), (Events{"stop", "close"}));
  EXPECT_FALSE(controller.playing());
}
}  // namespace

namespace {

// Gapless playback's protocol: a done decoder queues the next file, the
// model moves on when it is heard, and commands act on the file heard.
TEST_F(PlayerControllerTest, GaplessQueuesTheNextFileAndMovesOnWhenItIsHeard) {
  Command(PC_PLAY);
  log.Clear();
  Send(UM_DECODER_DONE, 0, 0);  // a.wav has delivered everything
  EXPECT_EQ(log.Events(), (Events{"preroll b.wav gain 16384 eq 2"}));
  EXPECT_EQ(controller.QueuedFileIds(), (std::vector<int32_t>{2}));
  EXPECT_EQ(host.current, 0);  // nothing moves until b.wav is heard

  log.Clear();
  Send(UM_DECODER_DONE, 0, 0);   // stale: a.wav is no longer the newest
  Send(UM_FILE_HEARD, 0, 999);   // no such queued file
  EXPECT_TRUE(log.Events().empty());

  Send(UM_FILE_HEARD, 0, 101);
  EXPECT_EQ(log.Events(), (Events{"advance 2", "heard 101", "show Title 101", "play-started"}));
  EXPECT_EQ(host.titles[2], "Title 101");
  EXPECT_TRUE(controller.QueuedFileIds().empty());

  // Next while the following file is queued but not heard: that file plays
  // from its start, walked to from the file heard.
  log.Clear();
  Send(UM_DECODER_DONE, 0, 101);
  Command(PC_NEXT);
  EXPECT_EQ(log.Events(), (Events{"preroll missing.wav gain -8192 eq 0", "next-file", "gain -8192", "eq 0",
                                  "play missing.wav", "play-started"}));
  EXPECT_TRUE(controller.QueuedFileIds().empty());

  // Nothing after the last file, or gapless playback off: the stream ends.
  host.current = 1;
  Command(PC_PLAY);
  engine.newest = 0;
  host.current = 2;
  log.Clear();
  Send(UM_DECODER_DONE, 0, 0);
  Command(PC_SET_GAPLESS, 0);
  host.current = 0;
  Send(UM_DECODER_DONE, 0, 0);
  EXPECT_EQ(log.Events(), (Events{"decline", "hold off", "decline"}));
  EXPECT_FALSE(controller.gapless());
}

TEST_F(PlayerControllerTest, GaplessQueueYieldsToSeeksEditsAndFailures) {
  Command(PC_PLAY);
  Send(UM_DECODER_DONE, 0, 0);
  // A seek while b.wav is queued: the plug-in decodes b.wav, so a.wav plays
  // again and the seek goes to it.
  engine.seekWorks = false;
  log.Clear();
  Command(PC_SEEK, 500);
  EXPECT_EQ(log.Events(), (Events{"seek 500", "stop", "close", "gain 0", "eq 0", "play a.wav",
                                  "show Title", "play-started", "seek 500"}));
  EXPECT_TRUE(controller.QueuedFileIds().empty());

  // An edit that changes what follows a.wav drops the queued file and
  // queues the new next one; an edit that does not leaves it.
  engine.seekWorks = true;
  engine.newest = 0;
  Send(UM_DECODER_DONE, 0, 0);
  log.Clear();
  Command(PC_PLAYLIST_EDITED);
  EXPECT_TRUE(log.Events().empty());
  host.files[1].volume = 50;
  engine.decoderDone = true;
  Command(PC_PLAYLIST_EDITED);
  EXPECT_EQ(log.Events(), (Events{"cancel", "preroll b.wav gain 8192 eq 2"}));
  EXPECT_EQ(controller.QueuedFileIds(), (std::vector<int32_t>{2}));

  // A file that cannot join leaves nothing queued; the stream ends as usual.
  Command(PC_STOP);
  Command(PC_PLAY);
  engine.newest = 0;
  engine.preRollWorks = false;
  log.Clear();
  Send(UM_DECODER_DONE, 0, 0);
  EXPECT_EQ(log.Events(), (Events{"preroll b.wav gain 8192 eq 2", "decline"}));
  EXPECT_TRUE(controller.QueuedFileIds().empty());
}

TEST_F(PlayerControllerTest, EachFileStartsAtItsOwnLoudnessAndAChangeReachesTheFileHeard) {
  host.loudness = {{1, 1 << 23}, {2, 3 << 23}};
  Command(PC_PLAY);
  EXPECT_EQ(log.Events(), (Events{"gain 0", "loudness 8388608", "eq 0", "play a.wav", "show Title", "play-started"}));
  log.Clear();
  Send(UM_DECODER_DONE, 0, 0);
  EXPECT_EQ(log.Events(), (Events{"preroll b.wav gain 16384 loudness 25165824 eq 2"}));

  // New settings: the file heard takes its gain at once, the queued file is
  // queued again with its own.
  host.loudness = {{1, 1 << 22}, {2, 1 << 25}};
  engine.decoderDone = true;
  log.Clear();
  Command(PC_LOUDNESS_CHANGED);
  EXPECT_EQ(log.Events(), (Events{"loudness 4194304", "cancel", "preroll b.wav gain 16384 loudness 33554432 eq 2"}));
}

}  // namespace
