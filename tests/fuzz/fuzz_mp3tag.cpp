// Any bytes as a file for the Mp3tag reader: it never crashes, hangs or reads outside its
// buffers, and writing the tag back always leaves a file with a readable tag of the same title.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "Scratchfile.h"
#include "mediainfo/Mp3tag.h"

using namespace vombrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The writer patches a real file.
  const ScratchFile file("mp3tag", data, size);
  if (!file.Written()) return 0;
  Tmp3Tag tag;
  tag.ReadFromFile(file.Path());
  tag.WriteToFile(file.Path());
  Tmp3Tag again;
  again.ReadFromFile(file.Path());
  if (!again.TagPresent() || again.Title() != tag.Title()) std::abort();
  return 0;
}
