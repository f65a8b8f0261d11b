// The record an engine's Open returns, and the C++ ownership around it. The record's
// layout is shared with player plug-ins (see vombrel_player_plugin.h): it and its two
// texts are allocated with malloc and freed with free, whichever side made them.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

#include "players/vombrel_player_plugin.h"

namespace vombrel {

using ::TMMFileInfo;

static_assert(offsetof(TMMFileInfo, AudioOnly) == 4);
static_assert(offsetof(TMMFileInfo, FileName) == 8);
static_assert(offsetof(TMMFileInfo, Success) == (sizeof(void*) == 4 ? 12 : 16));
static_assert(offsetof(TMMFileInfo, ErrorText) == (sizeof(void*) == 4 ? 16 : 24));
static_assert(offsetof(TMMFileInfo, VideoWidth) == (sizeof(void*) == 4 ? 20 : 32));
static_assert(offsetof(TMMFileInfo, VideoHeight) == (sizeof(void*) == 4 ? 24 : 36));
static_assert(sizeof(TMMFileInfo) == (sizeof(void*) == 4 ? 28 : 40));

// Frees the two texts and the record (null is allowed).
void FreeMMFileInfo(TMMFileInfo* info);

struct MMFileInfoDeleter {
  void operator()(TMMFileInfo* info) const { FreeMMFileInfo(info); }
};
// The caller of Open owns the record through this handle.
using MMFileInfoPtr = std::unique_ptr<TMMFileInfo, MMFileInfoDeleter>;

// A zeroed record on the malloc heap with FileName set; throws std::bad_alloc.
MMFileInfoPtr NewMMFileInfo(std::string_view fileName);
// Replaces the record's ErrorText with a malloc'ed copy of `text`.
void SetMMFileInfoError(TMMFileInfo& info, std::string_view text);

}  // namespace vombrel
