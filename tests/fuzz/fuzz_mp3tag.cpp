// Any bytes as a file for the Mp3tag reader: it never crashes, hangs or reads outside its buffers.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "mediainfo/Mp3tag.h"
#include "support/Supportfiles.h"

using namespace vombrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/dev/shm/vombrel-fuzz-mp3tag-" + std::to_string(getpid());
  if (!WriteFileAtomically(path, std::string(reinterpret_cast<const char*>(data), size))) return 0;
  Tmp3Tag tag;
  tag.ReadFromFile(path);
  // Writing the tag back always leaves a file with a readable tag of the same title.
  tag.WriteToFile(path);
  Tmp3Tag again;
  again.ReadFromFile(path);
  if (!again.TagPresent() || again.Title() != tag.Title()) std::abort();
  return 0;
}
