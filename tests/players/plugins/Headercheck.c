/* The public plug-in header compiles as C and gives the documented record layout. */
#include <stddef.h>

#include "players/vombrel_player_plugin.h"

_Static_assert(offsetof(TMMFileInfo, AudioOnly) == 4, "AudioOnly");
_Static_assert(offsetof(TMMFileInfo, FileName) == 8, "FileName");
_Static_assert(offsetof(TMMFileInfo, Success) == (sizeof(void*) == 4 ? 12 : 16), "Success");
_Static_assert(offsetof(TMMFileInfo, ErrorText) == (sizeof(void*) == 4 ? 16 : 24), "ErrorText");
_Static_assert(offsetof(TMMFileInfo, VideoWidth) == (sizeof(void*) == 4 ? 20 : 32), "VideoWidth");
_Static_assert(offsetof(TMMFileInfo, VideoHeight) == (sizeof(void*) == 4 ? 24 : 36), "VideoHeight");
_Static_assert(sizeof(TMMFileInfo) == (sizeof(void*) == 4 ? 28 : 40), "size");

static const char* const entryNames[] = {VOMBREL_PLAYER_ENTRY_NAMES};
_Static_assert(sizeof entryNames / sizeof entryNames[0] == 20, "twenty entry points");

const char* VombrelHeaderCheckFirstEntry(void) { return entryNames[0]; }
