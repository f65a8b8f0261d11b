// Mixer lines over a scripted sound server: sources with ports, failures on demand.
#include <gtest/gtest.h>

#include <map>

#include "wave/Wavemixer.h"

using namespace vombrel;

namespace {

// A sound server whose devices the test writes down; it records every change asked of it.
class ScriptedServer : public TSoundServer {
 public:
  std::vector<TSoundDevice> sources;
  std::map<std::string, TChannelVolumes> volumes;
  std::map<std::string, bool> mutes;
  std::string defaultSource;
  bool reachable = true;
  bool refuseChanges = false;

  std::string ServerName() override { return reachable ? "scripted sound server with a long name" : ""; }
  std::vector<TSoundDevice> ListSinks() override { return {}; }
  std::vector<TSoundDevice> ListSources() override { return reachable ? sources : std::vector<TSoundDevice>{}; }
  std::optional<TChannelVolumes> SinkVolume(const std::string&) override { return std::nullopt; }
  bool SetSinkVolume(const std::string&, const TChannelVolumes&) override { return false; }
  std::optional<TChannelVolumes> SourceVolume(const std::string& s) override {
    if (!reachable || !volumes.count(s)) return std::nullopt;
    return volumes[s];
  }
  bool SetSourceVolume(const std::string& s, const TChannelVolumes& v) override {
    if (!reachable || refuseChanges) return false;
    volumes[s] = TChannelVolumes(volumes[s].size(), v.back());
    return true;
  }
  std::optional<bool> SourceMute(const std::string& s) override {
    if (!reachable || !mutes.count(s)) return std::nullopt;
    return mutes[s];
  }
  bool SetSourceMute(const std::string& s, bool m) override {
    if (!reachable || refuseChanges) return false;
    mutes[s] = m;
    return true;
  }
  bool SetSourcePort(const std::string& s, const std::string& port) override {
    if (!reachable || refuseChanges) return false;
    for (auto& d : sources) {
      if (d.name == s) d.activePort = port;
    }
    return true;
  }
  bool SetDefaultSource(const std::string& s) override {
    if (!reachable || refuseChanges) return false;
    defaultSource = s;
    return true;
  }
  std::optional<std::string> DefaultSourceName() override { return defaultSource; }

  TSoundDevice& Source(const std::string& name) {
    for (auto& d : sources) {
      if (d.name == name) return d;
    }
    throw std::logic_error("no source " + name);
  }
};

class MixerLines : public ::testing::Test {
 protected:
  void SetUp() override {
    server.sources = {
        {"alsa_input.pci.analog",
         "Built-in Audio Analog Stereo",
         false,
         {{"analog-input-mic", "Microphone"},
          {"analog-input-linein", "Line In"},
          {"analog-input-headset", "Headset Microphone"}},
         "analog-input-mic"},
        {"alsa_output.pci.analog.monitor", "Monitor of Built-in Audio", true, {}, ""},
        {"usb.mic", std::string(80, 'U'), false, {}, ""},
    };
    for (const auto& s : server.sources) {
      server.volumes[s.name] = {kPulseVolumeNorm, kPulseVolumeNorm};
      server.mutes[s.name] = false;
    }
  }
  ScriptedServer server;
};

StringList LineNames(TAudioMixer& mixer) {
  StringList names;
  for (int i = 0; i < mixer.GetLineCount(); ++i) names.push_back(mixer.GetLines(i).GetName());
  return names;
}

}  // namespace

TEST_F(MixerLines, DestinationsAreSourcesAndLinesArePorts) {
  TAudioMixer mixer(server);
  EXPECT_EQ(mixer.MixerID(), 0);
  EXPECT_EQ(mixer.MixerName(), "scripted sound server with a lo") << "31 characters at most";
  StringList names{"kept"};
  EXPECT_EQ(mixer.FetchDestinationNames(names), 3);
  EXPECT_EQ(names,
            (StringList{"kept", "Built-in Audio Analog Stereo", "Monitor of Built-in Audio", std::string(63, 'U')}));

  EXPECT_EQ(mixer.DestinationID(), 0);
  EXPECT_EQ(mixer.DestinationName(), "Built-in Audio Analog Stereo");
  EXPECT_EQ(LineNames(mixer), (StringList{"Microphone", "Line In", "Headset Microphone"}));
  EXPECT_TRUE(mixer.DestinationLine().HasControl(mcVolume));
  EXPECT_TRUE(mixer.DestinationLine().HasControl(mcMute));
  EXPECT_TRUE(mixer.DestinationLine().HasControl(mcSelect));
  EXPECT_FALSE(mixer.DestinationLine().HasControl(mcMix));
  EXPECT_EQ(mixer.GetLines(1).SourceIndex(), 1);

  mixer.SetDestinationID(1);  // a source without ports: one line named after it
  EXPECT_EQ(mixer.DestinationName(), "Monitor of Built-in Audio");
  EXPECT_EQ(LineNames(mixer), (StringList{"Monitor of Built-in Audio"}));

  mixer.SetDestinationID(7);  // out of range: back to the first
  EXPECT_EQ(mixer.DestinationID(), 0);
  EXPECT_EQ(mixer.GetLineCount(), 3);
}

TEST_F(MixerLines, BadLineIndexRaisesTheListIndexError) {
  TAudioMixer mixer(server);
  for (int index : {-1, 3, 100}) {
    try {
      mixer.GetLines(index);
      ADD_FAILURE() << index;
    } catch (const EListError& e) {
      EXPECT_EQ(std::string(e.what()), "List index out of bounds (" + std::to_string(index) + ")");
    }
  }
  EXPECT_THROW(mixer.DestinationLine().SetSelectedLine(-1), EListError);
}

TEST_F(MixerLines, VolumeInPercentWithClampingAndRounding) {
  TAudioMixer mixer(server);
  TAudioMixerLine& line = mixer.DestinationLine();
  const std::string source = "alsa_input.pci.analog";
  struct Case {
    int percent;
    uint32_t written;
    int readBack;
  };
  const Case cases[] = {
      {100, 65536, 100}, {0, 0, 0}, {150, 65536, 100}, {-5, 0, 0}, {50, 32768, 50}, {33, 21627, 33}, {1, 655, 1},
  };
  for (const auto& c : cases) {
    line.SetVolume(c.percent);
    EXPECT_EQ(line.ResultCode(), MMSYSERR_NOERROR);
    EXPECT_EQ(server.volumes[source], (TChannelVolumes{c.written, c.written})) << c.percent;
    EXPECT_EQ(line.GetVolume(), c.readBack) << c.percent;
  }
  server.volumes[source] = {100, 32768};  // uneven channels: the louder one
  EXPECT_EQ(line.GetVolume(), 50);
  server.volumes[source] = {98000, 98000};  // amplified beyond 100 %
  EXPECT_EQ(line.GetVolume(), 100);
}

TEST_F(MixerLines, MuteRoundTripAndNeutralValues) {
  TAudioMixer mixer(server);
  TAudioMixerLine& line = mixer.DestinationLine();
  EXPECT_FALSE(line.GetMute());
  line.SetMute(true);
  EXPECT_TRUE(server.mutes["alsa_input.pci.analog"]);
  EXPECT_TRUE(line.GetMute());
  line.SetMute(false);
  EXPECT_FALSE(line.GetMute());

  // A port line has no controls of its own.
  TAudioMixerLine& port = mixer.GetLines(0);
  EXPECT_EQ(port.GetVolume(), -1);
  EXPECT_TRUE(port.GetMute());
  port.SetVolume(40);
  EXPECT_EQ(server.volumes["alsa_input.pci.analog"][0], kPulseVolumeNorm);

  // The server stops answering: neutral values and a stored result code.
  server.reachable = false;
  EXPECT_EQ(line.GetVolume(), -1);
  EXPECT_EQ(line.ResultCode(), MMSYSERR_ERROR);
  EXPECT_TRUE(line.GetMute());
  line.SetVolume(10);
  EXPECT_EQ(line.ResultCode(), MMSYSERR_ERROR);
}

TEST_F(MixerLines, SelectionMatchesByExactNameAndOnlyActivatesThePort) {
  server.defaultSource = "usb.mic";
  TAudioMixer mixer(server);
  TAudioMixerLine& destination = mixer.DestinationLine();
  EXPECT_EQ(mixer.ActiveLineIndex(), 0);
  destination.SetSelectedLine(1);
  EXPECT_EQ(destination.ResultCode(), MMSYSERR_NOERROR);
  EXPECT_EQ(server.Source("alsa_input.pci.analog").activePort, "analog-input-linein");
  EXPECT_EQ(server.defaultSource, "usb.mic") << "the system's default input stays as the user set it";
  EXPECT_EQ(mixer.ActiveLineIndex(), 1);

  // The server lists the ports in another order now: the name still decides.
  auto& ports = server.Source("alsa_input.pci.analog").ports;
  std::reverse(ports.begin(), ports.end());
  destination.SetSelectedLine(2);
  EXPECT_EQ(server.Source("alsa_input.pci.analog").activePort, "analog-input-headset");

  // A name that is no longer in the list selects nothing and keeps the selection.
  ports[0].description = "Headset Mic";
  destination.SetSelectedLine(2);
  EXPECT_EQ(destination.ResultCode(), MMSYSERR_INVALPARAM);
  EXPECT_EQ(server.Source("alsa_input.pci.analog").activePort, "analog-input-headset");

  // Letter case counts.
  ports[1].description = "LINE IN";
  destination.SetSelectedLine(1);
  EXPECT_EQ(destination.ResultCode(), MMSYSERR_INVALPARAM);

  // A port line has no select control.
  mixer.GetLines(0).SetSelectedLine(0);
  EXPECT_EQ(mixer.GetLines(0).ResultCode(), MIXERR_INVALCONTROL);

  server.refuseChanges = true;
  destination.SetSelectedLine(0);
  EXPECT_EQ(destination.ResultCode(), MMSYSERR_ERROR);
}

TEST_F(MixerLines, PortlessSourceSelectsItselfAndChangesNothing) {
  server.defaultSource = "usb.mic";
  TAudioMixer mixer(server);
  mixer.SetDestinationID(1);
  mixer.DestinationLine().SetSelectedLine(0);
  EXPECT_EQ(mixer.DestinationLine().ResultCode(), MMSYSERR_NOERROR);
  EXPECT_EQ(server.defaultSource, "usb.mic");
  EXPECT_EQ(mixer.ActiveLineIndex(), 0);
  EXPECT_TRUE(mixer.GetLines(0).Available());
}

TEST_F(MixerLines, UnpluggedPortIsShownAndNeverMadeActive) {
  server.Source("alsa_input.pci.analog").ports[2].available = false;
  TAudioMixer mixer(server);
  EXPECT_TRUE(mixer.GetLines(0).Available());
  EXPECT_TRUE(mixer.GetLines(1).Available());
  EXPECT_FALSE(mixer.GetLines(2).Available());
  mixer.DestinationLine().SetSelectedLine(2);
  EXPECT_EQ(mixer.DestinationLine().ResultCode(), MMSYSERR_ERROR);
  EXPECT_EQ(server.Source("alsa_input.pci.analog").activePort, "analog-input-mic");
}

TEST_F(MixerLines, WithoutServerThereIsNothingToList) {
  server.reachable = false;
  TAudioMixer mixer(server);
  StringList names;
  EXPECT_EQ(mixer.FetchDestinationNames(names), 0);
  EXPECT_TRUE(names.empty());
  EXPECT_EQ(mixer.GetLineCount(), 0);
  EXPECT_EQ(mixer.DestinationLine().ResultCode(), MIXERR_INVALLINE);
  EXPECT_EQ(mixer.DestinationLine().GetVolume(), -1);
  EXPECT_TRUE(mixer.DestinationLine().GetMute());
  mixer.DestinationLine().SetSelectedLine(0);
  EXPECT_EQ(mixer.DestinationLine().ResultCode(), MIXERR_INVALCONTROL);
  EXPECT_THROW(mixer.GetLines(0), EListError);

  mixer.SetMixerID(1);  // there is no second mixer
  EXPECT_EQ(mixer.FetchDestinationNames(names), 0);
}

TEST_F(MixerLines, DestinationThatVanishedHasNoControls) {
  TAudioMixer mixer(server);
  server.sources.erase(server.sources.begin());
  mixer.SetDestinationID(2);
  mixer.SetDestinationID(0);  // rebuilds lines of a destination the server no longer has
  EXPECT_EQ(mixer.DestinationLine().ResultCode(), MIXERR_INVALLINE);
  EXPECT_EQ(mixer.GetLineCount(), 0);
  EXPECT_EQ(mixer.DestinationLine().GetVolume(), -1);
}
