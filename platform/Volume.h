// The main window's output volume: the default sink of the sound server, seen as the
// wave-output device of the original design. A volume word holds the left channel in its
// low 16 bits and the right channel in its high 16 bits, each 0..65535 for 0..100 %.
// Every call returns at once without a sound server (see wave/Pulseaccess.h); failures are
// not reported, a missing device simply has no effect.
#pragma once

#include <cstdint>
#include <optional>

#include "wave/Pulseaccess.h"

namespace vombrel {

// The system's default wave output.
inline constexpr uint32_t WAVE_MAPPER_OUT = 0xFFFFFFFFU;

// Construction step of the main window: device 0 when the server has an output device,
// otherwise WAVE_MAPPER_OUT. Either number addresses the default sink.
uint32_t FindWaveDevice(TSoundServer& server = DefaultSoundServer());

// Reads the volume word of the device; nullopt when there is no server or sink.
// Channel 0 is left, channel 1 right (a mono sink gives both from channel 0).
std::optional<uint32_t> WaveOutGetVolume(uint32_t device, TSoundServer& server = DefaultSoundServer());
// Writes the volume word; false when it could not be written.
bool WaveOutSetVolume(uint32_t device, uint32_t volume, TSoundServer& server = DefaultSoundServer());

// SetVolume of the main window: v (0..65535) on both channels.
bool SetOutputVolume(uint32_t device, uint16_t v, TSoundServer& server = DefaultSoundServer());
// The right channel, which the volume bar shows; nullopt when it cannot be read.
std::optional<uint16_t> ReadVolumeBarPosition(uint32_t device, TSoundServer& server = DefaultSoundServer());

// The linear map between a channel value 0..65535 and the server's volume, where
// 65535 is the server's 100 %; server volumes above 100 % read as 65535. Every channel
// value survives a write and a read unchanged.
uint32_t ChannelToServerVolume(uint16_t value);
uint16_t ServerVolumeToChannel(uint32_t volume);

// The volume word of a sink's channel volumes: channel 0 is left, channel 1 right (a mono
// sink gives both from channel 0); nullopt for no channels.
std::optional<uint32_t> VolumeWordOf(const TChannelVolumes& volumes);
// The server volumes of a volume word for a sink of `channels` channels: channel 0 takes
// the left half, every further channel (surround sinks) the right half.
TChannelVolumes ChannelVolumesOf(uint32_t word, uint8_t channels);

}  // namespace vombrel
