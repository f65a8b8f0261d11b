// PCM formats of the recorder and the wave format record written into WAV files.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace vombrel {

// nonePCM, then for each rate 8000, 11025, 22050, 44100, 48000 Hz the variants mono
// 8-bit, stereo 8-bit, mono 16-bit, stereo 16-bit. The value k (1..20) has rate number
// (k - 1) / 4 and variant (k - 1) % 4.
enum TPCMFormat : int {
  nonePCM,
  Mono8Bit8000Hz,
  Stereo8bit8000Hz,
  Mono16bit8000Hz,
  Stereo16bit8000Hz,
  Mono8bit11025Hz,
  Stereo8bit11025Hz,
  Mono16bit11025Hz,
  Stereo16bit11025Hz,
  Mono8bit22050Hz,
  Stereo8bit22050Hz,
  Mono16bit22050Hz,
  Stereo16bit22050Hz,
  Mono8bit44100Hz,
  Stereo8bit44100Hz,
  Mono16bit44100Hz,
  Stereo16bit44100Hz,
  Mono8bit48000Hz,
  Stereo8bit48000Hz,
  Mono16bit48000Hz,
  Stereo16bit48000Hz,
};
inline constexpr int kPCMFormatCount = 21;

// The 18-byte wave format record (little-endian in files).
struct TWaveFormatEx {
  uint16_t formatTag = 0;  // 1 = PCM
  uint16_t channels = 0;
  uint32_t samplesPerSec = 0;
  uint32_t avgBytesPerSec = 0;  // blockAlign * samplesPerSec
  uint16_t blockAlign = 0;      // channels * bitsPerSample / 8
  uint16_t bitsPerSample = 0;
  uint16_t cbSize = 0;  // extra size, 0 for PCM
  bool operator==(const TWaveFormatEx&) const = default;
};
inline constexpr uint16_t WAVE_FORMAT_PCM = 1;
inline constexpr int kWaveFormatSize = 18;

// Fills the record for a PCM format; nonePCM leaves it unchanged.
void SetPCMAudioFormatS(TWaveFormatEx& format, TPCMFormat pcm);

// Bytes of a buffer holding `milliseconds` of sound: ms x average bytes per second / 1000
// to the nearest integer (halves away from zero), raised to the next multiple of the
// block align when it is not one (block align 0 or 1: unchanged). Cut to 32 bits: a
// device takes a length only when FittingWaveBufferSize has a size for it.
uint32_t CalcWaveBufferSize(const TWaveFormatEx& format, uint32_t milliseconds);
// The same size when it fits 32 bits; nullopt when the length asks for more (such a
// buffer cannot be had: the device refuses to open rather than work with a cut size).
std::optional<uint32_t> FittingWaveBufferSize(const TWaveFormatEx& format, uint32_t milliseconds);

// The 18 bytes as they are stored in a file, and back.
std::string EncodeWaveFormat(const TWaveFormatEx& format);
TWaveFormatEx DecodeWaveFormat(const unsigned char* bytes);

// Little-endian helpers for the RIFF layout.
void PutLittleEndian32(unsigned char* at, uint32_t value);
uint32_t GetLittleEndian32(const unsigned char* at);
uint16_t GetLittleEndian16(const unsigned char* at);

// Errors of the recording engine.
// A device (sound server) error; the message is the server's text for the code.
struct EWaveAudioError : std::runtime_error {
  EWaveAudioError(int code, const std::string& text) : std::runtime_error(text), code(code) {}
  int code;
};
// An operation the recorder's state does not allow ("Device is aleardy open", ...).
struct EInvalidOperation : std::logic_error {
  using std::logic_error::logic_error;
};
// The file of a recording could not be created; the message names the file and the reason.
struct EFCreateError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

}  // namespace vombrel
