#include "wave/Waveutils.h"

namespace vombrel {

namespace {

constexpr uint32_t kRates[] = {8000, 11025, 22050, 44100, 48000};

uint64_t WaveBufferBytes(const TWaveFormatEx& format, uint32_t milliseconds) {
  // In integers, exactly: the product of two 32-bit values fits 64 bits; + 500 rounds
  // halves away from zero.
  uint64_t size = (uint64_t{milliseconds} * format.avgBytesPerSec + 500) / 1000;
  if (format.blockAlign > 1 && size % format.blockAlign != 0) size += format.blockAlign - size % format.blockAlign;
  return size;
}

}  // namespace

void SetPCMAudioFormatS(TWaveFormatEx& format, TPCMFormat pcm) {
  if (pcm <= nonePCM || pcm >= kPCMFormatCount) return;
  const int k = static_cast<int>(pcm) - 1;
  const int variant = k % 4;
  format.formatTag = WAVE_FORMAT_PCM;
  format.channels = (variant == 1 || variant == 3) ? 2 : 1;
  format.bitsPerSample = variant >= 2 ? 16 : 8;
  format.samplesPerSec = kRates[k / 4];
  format.blockAlign = static_cast<uint16_t>(format.channels * format.bitsPerSample / 8);
  format.avgBytesPerSec = format.blockAlign * format.samplesPerSec;
  format.cbSize = 0;
}

uint32_t CalcWaveBufferSize(const TWaveFormatEx& format, uint32_t milliseconds) {
  return static_cast<uint32_t>(WaveBufferBytes(format, milliseconds));
}

std::optional<uint32_t> FittingWaveBufferSize(const TWaveFormatEx& format, uint32_t milliseconds) {
  const uint64_t size = WaveBufferBytes(format, milliseconds);
  if (size > UINT32_MAX) return std::nullopt;
  return static_cast<uint32_t>(size);
}

void PutLittleEndian32(unsigned char* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

uint32_t GetLittleEndian32(const unsigned char* at) {
  return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

uint16_t GetLittleEndian16(const unsigned char* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }

std::string EncodeWaveFormat(const TWaveFormatEx& f) {
  unsigned char b[kWaveFormatSize];
  auto put16 = [&](int at, uint16_t v) {
    b[at] = static_cast<unsigned char>(v);
    b[at + 1] = static_cast<unsigned char>(v >> 8);
  };
  put16(0, f.formatTag);
  put16(2, f.channels);
  PutLittleEndian32(b + 4, f.samplesPerSec);
  PutLittleEndian32(b + 8, f.avgBytesPerSec);
  put16(12, f.blockAlign);
  put16(14, f.bitsPerSample);
  put16(16, f.cbSize);
  return std::string(reinterpret_cast<const char*>(b), sizeof b);
}

TWaveFormatEx DecodeWaveFormat(const unsigned char* b) {
  TWaveFormatEx f;
  f.formatTag = GetLittleEndian16(b);
  f.channels = GetLittleEndian16(b + 2);
  f.samplesPerSec = GetLittleEndian32(b + 4);
  f.avgBytesPerSec = GetLittleEndian32(b + 8);
  f.blockAlign = GetLittleEndian16(b + 12);
  f.bitsPerSample = GetLittleEndian16(b + 14);
  f.cbSize = GetLittleEndian16(b + 16);
  return f;
}

}  // namespace vombrel
