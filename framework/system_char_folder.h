// Search folding by the system's own tables: its compatibility and
// canonical decompositions (FoldString), its lower case (LCMapStringEx) and
// its classes of nonspacing marks, which are dropped. What the system has no
// mapping for (expansions such as "ß" -> "ss") the built-in table adds.
#pragma once
#include <memory>

#include "common/text_fold.h"

class SystemCharFolder : public CharFolder {
 public:
  void AppendFolded(char32_t code, std::string& out) const override;

 private:
  PortableCharFolder portable_;
};

// The folder the program searches with: the system's, each character asked
// once. UI thread only (the cache is not locked).
std::unique_ptr<CharFolder> MakeProgramCharFolder();
