#include "wave/Wavemixer.h"

#include <algorithm>
#include <cmath>

namespace vombrel {

std::string MixerNameOf(const std::string& text, size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  size_t cut = maxBytes;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return text.substr(0, cut);
}

namespace {
std::string DeviceTitle(const TSoundDevice& d) {
  return MixerNameOf(d.description.empty() ? d.name : d.description, kMixerLineNameMax);
}
std::string PortTitle(const TSoundPort& p) {
  return MixerNameOf(p.description.empty() ? p.name : p.description, kMixerLineNameMax);
}
}  // namespace

StringList SelectListOf(const TSoundDevice& source) {
  StringList list;
  for (const auto& port : source.ports) list.push_back(PortTitle(port));
  if (list.empty()) list.push_back(DeviceTitle(source));
  return list;
}

// ---- TAudioMixerLine ----

TAudioMixerLine::TAudioMixerLine(TAudioMixer& mixer, int sourceIndex) : mixer_(mixer), sourceIndex_(sourceIndex) {}

std::optional<TSoundDevice> TAudioMixerLine::FindDevice() {
  const std::string wanted = mixer_.DestinationDeviceName();
  if (wanted.empty()) return std::nullopt;
  for (auto& d : mixer_.Server().ListSources()) {
    if (d.name == wanted) return d;
  }
  return std::nullopt;
}

void TAudioMixerLine::Refresh() {
  name_.clear();
  deviceName_.clear();
  connections_ = 0;
  available_ = true;
  controls_ = 0;
  const auto device = FindDevice();
  if (!device) {
    result_ = MIXERR_INVALLINE;
    return;
  }
  if (sourceIndex_ < 0) {
    name_ = DeviceTitle(*device);
    deviceName_ = device->name;
    connections_ = static_cast<uint32_t>(SelectListOf(*device).size());
    controls_ = 1U << mcVolume | 1U << mcMute | 1U << mcSelect;
    result_ = MMSYSERR_NOERROR;
    return;
  }
  const StringList names = SelectListOf(*device);
  if (static_cast<size_t>(sourceIndex_) >= names.size()) {
    result_ = MIXERR_INVALLINE;
    return;
  }
  name_ = names[static_cast<size_t>(sourceIndex_)];
  deviceName_ = device->name;
  if (!device->ports.empty()) available_ = device->ports[static_cast<size_t>(sourceIndex_)].available;
  result_ = MMSYSERR_NOERROR;  // a port: no controls of its own
}

int TAudioMixerLine::GetVolume() {
  if (!HasControl(mcVolume)) return -1;
  const auto volumes = mixer_.Server().SourceVolume(deviceName_);
  if (!volumes || volumes->empty()) {
    result_ = MMSYSERR_ERROR;
    return -1;
  }
  result_ = MMSYSERR_NOERROR;
  const double percent = std::round(UniformVolume(*volumes) * 100.0 / kPulseVolumeNorm);
  return static_cast<int>(std::min(percent, 100.0));
}

void TAudioMixerLine::SetVolume(int percent) {
  if (!HasControl(mcVolume)) return;
  percent = std::clamp(percent, 0, 100);
  const auto value = static_cast<uint32_t>(std::lround(kPulseVolumeNorm * (percent / 100.0)));
  result_ = mixer_.Server().SetSourceVolume(deviceName_, {value}) ? MMSYSERR_NOERROR : MMSYSERR_ERROR;
}

bool TAudioMixerLine::GetMute() {
  if (!HasControl(mcMute)) return true;
  const auto mute = mixer_.Server().SourceMute(deviceName_);
  result_ = mute ? MMSYSERR_NOERROR : MMSYSERR_ERROR;
  return mute.value_or(true);
}

void TAudioMixerLine::SetMute(bool mute) {
  if (!HasControl(mcMute)) return;
  result_ = mixer_.Server().SetSourceMute(deviceName_, mute) ? MMSYSERR_NOERROR : MMSYSERR_ERROR;
}

void TAudioMixerLine::SetSelectedLine(int sourceIndex) {
  if (!HasControl(mcMix) && !HasControl(mcSelect)) {
    result_ = MIXERR_INVALCONTROL;
    return;
  }
  // The list is read afresh: the server may have changed its ports since the lines were
  // built, so entries are matched by name, never by position.
  const auto device = FindDevice();
  if (!device) {
    result_ = MMSYSERR_ERROR;
    return;
  }
  const StringList entries = SelectListOf(*device);
  const std::string wanted = mixer_.GetLines(sourceIndex).GetName();
  const auto found = std::find(entries.begin(), entries.end(), wanted);
  if (found == entries.end()) {
    result_ = MMSYSERR_INVALPARAM;
    return;
  }
  const auto entry = static_cast<size_t>(found - entries.begin());
  if (device->ports.empty()) {
    result_ = MMSYSERR_NOERROR;  // the source itself is its only line: nothing to switch
    return;
  }
  const TSoundPort& port = device->ports[entry];
  if (!port.available) {
    result_ = MMSYSERR_ERROR;
    return;
  }
  if (port.name == device->activePort) {
    result_ = MMSYSERR_NOERROR;
    return;
  }
  result_ = mixer_.Server().SetSourcePort(device->name, port.name) ? MMSYSERR_NOERROR : MMSYSERR_ERROR;
}

// ---- TAudioMixer ----

TAudioMixer::TAudioMixer(TSoundServer& server)
    : server_(server), destinationLine_(std::make_unique<TAudioMixerLine>(*this, -1)) {
  Rebuild(true);
}

TAudioMixer::~TAudioMixer() {
  lines_.clear();
  destinationLine_.reset();
}

void TAudioMixer::SetMixerID(int id) {
  if (id == mixerId_) return;
  mixerId_ = id;
  Rebuild(true);
}

void TAudioMixer::SetDestinationID(int index) {
  if (index == destinationId_) return;
  destinationId_ = index;
  Rebuild(false);
}

int TAudioMixer::FetchDestinationNames(StringList& list) const {
  for (const auto& d : destinations_) list.push_back(DeviceTitle(d));
  return static_cast<int>(destinations_.size());
}

TAudioMixerLine& TAudioMixer::GetLines(int index) {
  if (index < 0 || index >= static_cast<int>(lines_.size())) {
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  }
  return *lines_[static_cast<size_t>(index)];
}

std::string TAudioMixer::DestinationDeviceName() const { return DestinationDeviceName(destinationId_); }

std::string TAudioMixer::DestinationDeviceName(int index) const {
  if (index < 0 || index >= static_cast<int>(destinations_.size())) return {};
  return destinations_[static_cast<size_t>(index)].name;
}

int TAudioMixer::ActiveLineIndex() {
  const std::string wanted = DestinationDeviceName();
  if (wanted.empty()) return 0;
  for (const auto& d : server_.ListSources()) {
    if (d.name != wanted) continue;
    // Matched by name, as the selection is: the server may list its ports in another
    // order now.
    for (const auto& port : d.ports) {
      if (port.name != d.activePort) continue;
      for (size_t l = 0; l < lines_.size(); ++l) {
        if (lines_[l]->GetName() == PortTitle(port)) return static_cast<int>(l);
      }
    }
  }
  return 0;
}

void TAudioMixer::Rebuild(bool fully) {
  lines_.clear();
  if (fully) {
    destinations_.clear();
    mixerName_.clear();
    if (mixerId_ == 0) {
      mixerName_ = MixerNameOf(server_.ServerName(), kMixerNameMax);
      if (!mixerName_.empty()) destinations_ = server_.ListSources();
    }
  }
  if (destinationId_ < 0 || destinationId_ >= static_cast<int>(destinations_.size())) destinationId_ = 0;
  destinationLine_->Refresh();
  for (uint32_t s = 0; s < destinationLine_->ConnectionCount(); ++s) {
    lines_.push_back(std::make_unique<TAudioMixerLine>(*this, static_cast<int>(s)));
    lines_.back()->Refresh();
  }
}

}  // namespace vombrel
