// Mixer lines over the sound server, for the recorder window: the destinations are the
// server's sources (monitors of outputs included, so what the computer plays can be
// recorded), the source lines of a destination are its ports (a source without ports has
// one line named after it), the destination's select control is its active port, and its
// volume and mute are the source's. Selecting a line makes its port the source's active
// port and changes nothing else: the system's default source stays as the user set it
// (the recorder records from the chosen source by name). An unplugged port is never made
// active.
//
// Failures of the server are not raised: each line operation stores a result code in the
// line and returns its neutral value. User-interface thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/Supportstring.h"
#include "wave/Pulseaccess.h"

namespace vombrel {

enum TMixerControlType { mcVolume, mcMute, mcSelect, mcMix };

// Result codes stored in a line.
inline constexpr int MMSYSERR_NOERROR = 0;
inline constexpr int MMSYSERR_ERROR = 1;          // the server did not answer or refused
inline constexpr int MMSYSERR_INVALPARAM = 11;    // the name is not in the select list
inline constexpr int MIXERR_INVALLINE = 1024;     // no such line
inline constexpr int MIXERR_INVALCONTROL = 1025;  // the line has no such control

// Longest line name and mixer name, in bytes (cut on a character boundary).
inline constexpr size_t kMixerLineNameMax = 63;
inline constexpr size_t kMixerNameMax = 31;

// "List index out of bounds (%d)".
struct EListError : std::out_of_range {
  using std::out_of_range::out_of_range;
};

class TAudioMixer;

class TAudioMixerLine {
 public:
  // sourceIndex -1: the destination line itself.
  TAudioMixerLine(TAudioMixer& mixer, int sourceIndex);

  int SourceIndex() const { return sourceIndex_; }
  std::string GetName() const { return name_; }
  uint32_t ConnectionCount() const { return connections_; }
  // False for a source line whose port the server reports unplugged.
  bool Available() const { return available_; }
  int ResultCode() const { return result_; }
  bool HasControl(TMixerControlType type) const { return (controls_ & (1U << type)) != 0; }

  // Percent 0..100 of the line's volume; -1 without a volume control or when the
  // reading fails.
  int GetVolume();
  // Clamped to 0..100; written to every channel. Nothing without a volume control.
  void SetVolume(int percent);
  // True without a mute control or when the reading fails.
  bool GetMute();
  void SetMute(bool mute);
  // Selects, in this line's select list, the entry named like source line `sourceIndex`
  // of the mixer (exact match): that port becomes the source's active port. An unplugged
  // port is left alone (MMSYSERR_ERROR). Throws EListError for an index outside the
  // source lines.
  void SetSelectedLine(int sourceIndex);

  // Re-reads the line from the server (done by the mixer when it rebuilds).
  void Refresh();

 private:
  std::optional<TSoundDevice> FindDevice();
  TAudioMixer& mixer_;
  int sourceIndex_;
  std::string name_;
  std::string deviceName_;  // the server's name of the source behind the line
  uint32_t connections_ = 0;
  bool available_ = true;
  int result_ = MMSYSERR_NOERROR;
  unsigned controls_ = 0;
};

class TAudioMixer {
 public:
  explicit TAudioMixer(TSoundServer& server = DefaultSoundServer());
  ~TAudioMixer();
  TAudioMixer(const TAudioMixer&) = delete;
  TAudioMixer& operator=(const TAudioMixer&) = delete;

  // The server is mixer 0; there are no others. Changing the id rebuilds fully.
  int MixerID() const { return mixerId_; }
  void SetMixerID(int id);
  std::string MixerName() const { return mixerName_; }

  int DestinationID() const { return destinationId_; }
  // A different index rebuilds the lines; one out of range becomes 0.
  void SetDestinationID(int index);
  std::string DestinationName() const { return destinationLine_->GetName(); }

  // Appends the name of every destination, in order; returns how many there are.
  int FetchDestinationNames(StringList& list) const;

  TAudioMixerLine& DestinationLine() { return *destinationLine_; }
  int GetLineCount() const { return static_cast<int>(destinationLine_->ConnectionCount()); }
  // Throws EListError "List index out of bounds (<index>)" outside 0 .. count - 1.
  // A line taken here must not be kept across a change of destination.
  TAudioMixerLine& GetLines(int index);

  TSoundServer& Server() { return server_; }
  // The server's name of the destination's source ("" without destinations).
  std::string DestinationDeviceName() const;
  // The same for destination `index` of FetchDestinationNames ("" outside them).
  std::string DestinationDeviceName(int index) const;
  // The source line of the destination's active port as the server reports it now; 0
  // when the source has no ports or none is active.
  int ActiveLineIndex();

 private:
  void Rebuild(bool fully);
  TSoundServer& server_;
  int mixerId_ = 0;
  int destinationId_ = 0;
  std::string mixerName_;
  std::vector<TSoundDevice> destinations_;  // as read when the mixer was opened
  std::unique_ptr<TAudioMixerLine> destinationLine_;
  std::vector<std::unique_ptr<TAudioMixerLine>> lines_;
};

// The user-visible name cut to `maxBytes` without splitting a UTF-8 character.
std::string MixerNameOf(const std::string& text, size_t maxBytes);
// The select list of a source: its ports' names, or the source's own name without ports.
StringList SelectListOf(const TSoundDevice& source);

}  // namespace vombrel
