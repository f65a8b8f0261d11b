#include "players/Mmfileinfo.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace vombrel {

// The plug-in interface hands these records and texts across with malloc and free.
// NOLINTBEGIN(cppcoreguidelines-no-malloc): the interface's allocation contract

namespace {

char* MallocCopy(std::string_view text) {
  char* copy = static_cast<char*>(std::malloc(text.size() + 1));
  if (copy == nullptr) throw std::bad_alloc();
  std::memcpy(copy, text.data(), text.size());
  copy[text.size()] = '\0';
  return copy;
}

}  // namespace

void FreeMMFileInfo(TMMFileInfo* info) {
  if (info == nullptr) return;
  std::free(info->FileName);
  std::free(info->ErrorText);
  std::free(info);
}

MMFileInfoPtr NewMMFileInfo(std::string_view fileName) {
  auto* raw = static_cast<TMMFileInfo*>(std::calloc(1, sizeof(TMMFileInfo)));
  if (raw == nullptr) throw std::bad_alloc();
  MMFileInfoPtr info(raw);
  info->FileName = MallocCopy(fileName);
  return info;
}

void SetMMFileInfoError(TMMFileInfo& info, std::string_view text) {
  char* copy = MallocCopy(text);
  std::free(info.ErrorText);
  info.ErrorText = copy;
}

// NOLINTEND(cppcoreguidelines-no-malloc)

}  // namespace vombrel
