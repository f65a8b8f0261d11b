#include "platform/Volume.h"

#include <cmath>

namespace vombrel {

uint32_t ChannelToServerVolume(uint16_t value) {
  return static_cast<uint32_t>(std::llround(static_cast<double>(value) * kPulseVolumeNorm / 65535.0));
}

uint16_t ServerVolumeToChannel(uint32_t volume) {
  if (volume >= kPulseVolumeNorm) return 65535;
  return static_cast<uint16_t>(std::llround(static_cast<double>(volume) * 65535.0 / kPulseVolumeNorm));
}

uint32_t FindWaveDevice(TSoundServer& server) { return server.ListSinks().empty() ? WAVE_MAPPER_OUT : 0; }

std::optional<uint32_t> VolumeWordOf(const TChannelVolumes& volumes) {
  if (volumes.empty()) return std::nullopt;
  const uint16_t left = ServerVolumeToChannel(volumes[0]);
  const uint16_t right = ServerVolumeToChannel(volumes.size() > 1 ? volumes[1] : volumes[0]);
  return static_cast<uint32_t>(left) | static_cast<uint32_t>(right) << 16;
}

TChannelVolumes ChannelVolumesOf(uint32_t word, uint8_t channels) {
  TChannelVolumes volumes(channels, ChannelToServerVolume(static_cast<uint16_t>(word >> 16)));
  if (!volumes.empty()) volumes[0] = ChannelToServerVolume(static_cast<uint16_t>(word & 0xFFFFU));
  return volumes;
}

std::optional<uint32_t> WaveOutGetVolume(uint32_t /*device*/, TSoundServer& server) {
  const auto volumes = server.SinkVolume(kDefaultSinkName);
  if (!volumes) return std::nullopt;
  return VolumeWordOf(*volumes);
}

bool WaveOutSetVolume(uint32_t /*device*/, uint32_t volume, TSoundServer& server) {
  const uint32_t left = ChannelToServerVolume(static_cast<uint16_t>(volume & 0xFFFFU));
  const uint32_t right = ChannelToServerVolume(static_cast<uint16_t>(volume >> 16));
  // Channels beyond the first two (surround sinks) follow the right channel.
  return server.SetSinkVolume(kDefaultSinkName, {left, right});
}

bool SetOutputVolume(uint32_t device, uint16_t v, TSoundServer& server) {
  return WaveOutSetVolume(device, static_cast<uint32_t>(v) * 65537U, server);
}

std::optional<uint16_t> ReadVolumeBarPosition(uint32_t device, TSoundServer& server) {
  const auto word = WaveOutGetVolume(device, server);
  if (!word) return std::nullopt;
  return static_cast<uint16_t>(*word >> 16);
}

}  // namespace vombrel
