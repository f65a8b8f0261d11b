// Access to the user's sound server (PulseAudio): sinks, sources, their ports, volumes,
// mute and the default devices. The output volume of the main window and the mixer lines
// of the recorder go through the abstract TSoundServer, so tests can script a server with
// devices the real one lacks (ports, for example).
//
// Contract of every operation: it never throws and never blocks its caller for more than
// about a second. Without a reachable server (none running, refused, gone away, hung) it
// returns the neutral result: no devices, nullopt for a reading, false for a change.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace vombrel {

// The server's "100 %" volume of one channel; volumes above it amplify.
inline constexpr uint32_t kPulseVolumeNorm = 0x10000U;

struct TSoundPort {
  std::string name;         // the server's identifier of the port
  std::string description;  // what the user sees
  bool available = true;    // false when the server knows it is unplugged
};

struct TSoundDevice {
  std::string name;         // the server's identifier ("nullsink.monitor")
  std::string description;  // what the user sees ("Monitor of Null Output")
  bool isMonitor = false;   // a source that records what a sink plays
  std::vector<TSoundPort> ports;
  std::string activePort;  // empty when the device has no ports
};

// Per-channel volumes, channel 0 first, each 0 .. kPulseVolumeNorm (and beyond).
using TChannelVolumes = std::vector<uint32_t>;

// Name that stands for the server's current default sink or source in every call below.
inline constexpr const char* kDefaultSinkName = "@DEFAULT_SINK@";
inline constexpr const char* kDefaultSourceName = "@DEFAULT_SOURCE@";

class TSoundServer {
 public:
  virtual ~TSoundServer() = default;

  // Name of the server as it introduces itself; empty when unreachable.
  virtual std::string ServerName() = 0;

  virtual std::vector<TSoundDevice> ListSinks() = 0;
  // Every source, monitors of sinks included, in the server's order.
  virtual std::vector<TSoundDevice> ListSources() = 0;

  virtual std::optional<TChannelVolumes> SinkVolume(const std::string& sink) = 0;
  // The volumes are given per channel; a sink with more channels than given gets the
  // last given value on the rest.
  virtual bool SetSinkVolume(const std::string& sink, const TChannelVolumes& volumes) = 0;

  virtual std::optional<TChannelVolumes> SourceVolume(const std::string& source) = 0;
  virtual bool SetSourceVolume(const std::string& source, const TChannelVolumes& volumes) = 0;
  virtual std::optional<bool> SourceMute(const std::string& source) = 0;
  virtual bool SetSourceMute(const std::string& source, bool mute) = 0;
  virtual bool SetSourcePort(const std::string& source, const std::string& port) = 0;
  virtual bool SetDefaultSource(const std::string& source) = 0;
  virtual std::optional<std::string> DefaultSourceName() = 0;
};

// The process's connection to the user's sound server (the one PULSE_SERVER or the
// user's session names), made on first use and remade on demand after it broke. A failed
// connection is not retried for two seconds, so polling callers get neutral results at
// once while the server is away. Callable from any thread; calls are serialised.
TSoundServer& DefaultSoundServer();

// A fresh connection of its own (tests, tools); same contract as above.
std::unique_ptr<TSoundServer> ConnectSoundServer();

// The largest of the channel volumes, 0 for none: the one value a uniform control shows.
uint32_t UniformVolume(const TChannelVolumes& volumes);

}  // namespace vombrel
