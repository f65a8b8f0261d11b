/*
 * Vombrel player plug-in interface.
 *
 * A player plug-in is a shared library "<name>.so" in the "Players" folder of the program
 * folder. Vombrel loads it with dlopen(RTLD_NOW | RTLD_LOCAL) when the user chooses <name>
 * as the player, and hands every playback operation to it. This header is usable from C
 * and C++ and is the whole contract between the two sides.
 *
 * ENTRY POINTS
 *   The plug-in exports twenty functions by these exact (unmangled) names, with the C
 *   calling convention of the platform. The host resolves them in this order and gives
 *   up at the first one that is missing, so a plug-in lacking any of them is never used:
 *
 *     _Pause _Resume _Play _Stop _Close _GetLength _GetPosition _SetPosition _GetMode
 *     _Open _GetFileName _InitPlayer _SetFullScreen _HasVideo _GetVideoWidth
 *     _GetVideoHeight _Refresh _OutputText _DeinitPlayer _Description
 *
 *   The VOMBREL_PLAYER_ENTRY_NAMES macro lists them in that order.
 *
 * THREADS
 *   The host calls every entry point on its user-interface thread, one call at a time.
 *   The notify callback given to _InitPlayer may be called from ANY thread (a decoding
 *   thread of the plug-in included): the host queues the notification onto its
 *   user-interface thread and returns at once. Inside its notification handling the host
 *   calls back into the plug-in (_GetPosition, _GetLength, and for the next track _GetMode,
 *   _Stop, _Open, _Play), always on its user-interface thread.
 *
 * MEMORY
 *   _Open returns a TMMFileInfo allocated by the plug-in with malloc(). FileName and
 *   ErrorText are either NULL or zero-terminated texts allocated with malloc(). The host
 *   frees both texts and the record with free(). The plug-in must not touch the record
 *   after returning it. Every other text crosses the boundary as a pointer that stays
 *   valid only during the call (the host copies _GetFileName's result at once).
 *   All texts are UTF-8.
 *
 * BOOLEANS
 *   A "bool" here is an int32_t of which only the low byte (0 or 1) is meaningful in
 *   either direction; the host ignores the upper bytes of results.
 *
 * FAILURES
 *   A file the plug-in cannot open is reported through Success = 0 (and ErrorText), not
 *   by failing. A plug-in written in C++ should not let exceptions escape; if one does,
 *   the host catches it, shows its message to the user and goes on with a default result
 *   (0, false, stopped, empty text, or no record from _Open).
 *
 * LIFETIME
 *   dlopen -> resolve all twenty names -> _InitPlayer -> any number of calls ->
 *   _DeinitPlayer -> _DeinitPlayer (a second time, from the host's destructor) -> dlclose.
 *   The plug-in must accept the second _DeinitPlayer, and must have ended every thread of
 *   its own and stopped calling the notify callback when _DeinitPlayer returns.
 */
#ifndef VOMBREL_PLAYER_PLUGIN_H
#define VOMBREL_PLAYER_PLUGIN_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Engine states returned (in the low byte) by _GetMode. The host acts on PLAYING and
 * PAUSED only. */
enum {
  VOMBREL_MODE_NOT_READY = 0,
  VOMBREL_MODE_STOPPED = 1,
  VOMBREL_MODE_PLAYING = 2,
  VOMBREL_MODE_RECORDING = 3,
  VOMBREL_MODE_SEEKING = 4,
  VOMBREL_MODE_PAUSED = 5,
  VOMBREL_MODE_OPEN = 6
};

/* The record returned by _Open. The field order is fixed; offsets in bytes:
 *
 *   field        32-bit  64-bit (LP64)  meaning
 *   Reserved        0       0           never read or written by the host
 *   AudioOnly       4       4           nonzero: no picture; 0: the file shows a picture
 *   FileName        8       8           malloc'ed UTF-8 name of the opened file, or NULL
 *   Success        12      16           nonzero: the file is open and can be played
 *   ErrorText      16      24           malloc'ed UTF-8 failure message, or NULL
 *   VideoWidth     20      32           native picture width in pixels (files with picture)
 *   VideoHeight    24      36           native picture height in pixels
 *   (size)         28      40
 *
 * The host reads Success and AudioOnly (and the picture size), then frees the record. */
typedef struct TMMFileInfo {
  int32_t Reserved;
  uint8_t AudioOnly;
  char* FileName;
  uint8_t Success;
  char* ErrorText;
  int32_t VideoWidth;
  int32_t VideoHeight;
} TMMFileInfo;

/* The host's notification handler. Call it with the context received by _InitPlayer and
 * any value as sender (the host ignores the sender) when a play command completes: at the
 * end of the file (after which _GetPosition must equal _GetLength) and when a pending play
 * is cut short by another command. Callable from any thread. */
typedef void (*VombrelNotifyProc)(void* context, void* sender);

/* _InitPlayer(application, screen, display, display, notify, notifyContext)
 *   application, screen: opaque pointers to the host toolkit's application and screen
 *     objects (may be NULL); a plug-in built on the same toolkit may use them, others
 *     ignore them.
 *   display: the native window (X11 window id, cast to a pointer) of the area in which
 *     pictures are to be shown, or NULL when the host has none. The same value is passed
 *     as the third and the fourth argument.
 *   notify, notifyContext: the notification handler and its context (see above).
 *   Positions and lengths are milliseconds from now on. */
typedef void (*VombrelInitPlayerProc)(void* application, void* screen, void* display, void* display2,
                                      VombrelNotifyProc notify, void* notifyContext);
/* Releases everything _InitPlayer and _Open acquired; called twice at the end. */
typedef void (*VombrelDeinitPlayerProc)(void);
/* Opens a file by name (UTF-8), closing any file open before. Returns a malloc'ed record
 * (see TMMFileInfo), never NULL. */
typedef TMMFileInfo* (*VombrelOpenProc)(const char* fileName);
/* Starts or continues playback from the current position; from the start when the
 * position equals the length. */
typedef void (*VombrelPlayProc)(void);
/* Pauses playback (a second call may resume it). */
typedef void (*VombrelPauseProc)(void);
/* Resumes paused playback. */
typedef void (*VombrelResumeProc)(void);
/* Stops playback; the position stays. */
typedef void (*VombrelStopProc)(void);
/* Closes the open file; _GetFileName still returns its name afterwards. */
typedef void (*VombrelCloseProc)(void);
/* Length of the open file, milliseconds (0 when none is open). */
typedef int32_t (*VombrelGetLengthProc)(void);
/* Current position, milliseconds. */
typedef int32_t (*VombrelGetPositionProc)(void);
/* Moves to a position in milliseconds and plays from there. */
typedef void (*VombrelSetPositionProc)(int32_t position);
/* Current state (VOMBREL_MODE_...) in the low byte. */
typedef int32_t (*VombrelGetModeProc)(void);
/* The name passed to the last _Open; valid until the next call into the plug-in. */
typedef const char* (*VombrelGetFileNameProc)(void);
/* Switches the full-screen picture on (nonzero low byte) or off. */
typedef void (*VombrelSetFullScreenProc)(int32_t fullScreen);
/* Whether the open file shows a picture (low byte). */
typedef int32_t (*VombrelHasVideoProc)(void);
/* Native picture size in pixels, 0 when unknown. */
typedef int32_t (*VombrelGetVideoWidthProc)(void);
typedef int32_t (*VombrelGetVideoHeightProc)(void);
/* Repaints the picture in the display area. */
typedef void (*VombrelRefreshProc)(void);
/* Shows a text on the picture; the two integers are passed through unchanged from the
 * host's caller (the host itself never calls it). */
typedef void (*VombrelOutputTextProc)(int32_t x, int32_t y, const char* text);
/* Writes a zero-terminated name of the engine (at most 127 bytes plus the terminator)
 * into the 128-byte buffer. The result is ignored. */
typedef int32_t (*VombrelDescriptionProc)(char* buffer128);

/* The entry names in the order the host resolves them. */
#define VOMBREL_PLAYER_ENTRY_NAMES                                                                                    \
  "_Pause", "_Resume", "_Play", "_Stop", "_Close", "_GetLength", "_GetPosition", "_SetPosition", "_GetMode", "_Open", \
      "_GetFileName", "_InitPlayer", "_SetFullScreen", "_HasVideo", "_GetVideoWidth", "_GetVideoHeight", "_Refresh",  \
      "_OutputText", "_DeinitPlayer", "_Description"

#define VOMBREL_PLAYER_DESCRIPTION_SIZE 128

#ifdef __cplusplus
}
#endif

#endif /* VOMBREL_PLAYER_PLUGIN_H */
