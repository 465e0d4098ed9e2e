// What the Jump to File window needs from the application: the lists, the
// folding its search compares by, playing and queuing files, and the size
// it is remembered at. UI thread only.
#pragma once
#include <cstdint>
#include <vector>

#include "common/text_fold.h"
#include "playlist/play_list_set.h"

class JumpHost {
 public:
  virtual PlayListSet& PlayLists() = 0;
  virtual const CharFolder& SearchFolder() = 0;
  // Makes the file current and plays it (as a double click in the editor).
  virtual void PlayFileById(int32_t id) = 0;
  // Adds the files to the play queue.
  virtual void QueueFiles(const std::vector<int32_t>& ids) = 0;
  // The window's size in pixels at 96 DPI; 0 for its template's size.
  virtual void JumpWindowSize(int32_t& width, int32_t& height) const = 0;
  virtual void SetJumpWindowSize(int32_t width, int32_t height) = 0;

 protected:
  ~JumpHost() = default;
};
