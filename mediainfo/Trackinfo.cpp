#include "mediainfo/Trackinfo.h"

#include <charconv>

#include "mediainfo/Audioinfo.h"
#include "mediainfo/Flactags.h"
#include "mediainfo/Id3v2.h"
#include "mediainfo/Mediafile.h"
#include "mediainfo/Mediatext.h"
#include "mediainfo/Monkey.h"
#include "mediainfo/Mp3tag.h"
#include "mediainfo/Oggvorbis.h"
#include "mediainfo/Wmafile.h"
#include "support/Supportstring.h"

namespace vombrel {
namespace {

class StreamFacts {
 public:
  explicit StreamFacts(std::vector<std::pair<std::string, std::string>>& out) : out_(out) {}
  StreamFacts& Add(const char* name, int64_t value) {
    out_.emplace_back(name, std::to_string(value));
    return *this;
  }
  StreamFacts& Add(const char* name, bool value) {
    out_.emplace_back(name, value ? "true" : "false");
    return *this;
  }
  StreamFacts& Add(const char* name, double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out_.emplace_back(name, std::string(text, result.ptr));
    return *this;
  }

 private:
  std::vector<std::pair<std::string, std::string>>& out_;
};

std::string KbitLabel(int64_t kbit) { return std::to_string(kbit) + " kBit/s"; }
std::string FrequencyLabel(int64_t hertz) { return std::to_string(hertz) + " kHz"; }
std::string ExtensionLabel(const std::string& path) { return "( " + ExtractFileExt(path) + " file )"; }

void FillMp3(MediaFile& file, TrackInfo& info) {
  Tmp3Tag v1;
  v1.ReadFrom(file);
  auto& t = info.Tags;
  if (v1.TagPresent()) {
    t = {v1.Title(), v1.Artist(), v1.Album(), v1.Year(), std::to_string(v1.Track()), v1.Comment(), v1.Genre()};
  } else {
    TID3v2 v2;
    v2.ReadFrom(file);
    t = {v2.Title, v2.Artist, v2.Album, v2.Year, std::to_string(v2.Track), v2.Comment, v2.Genre};
  }
  TAudioInfo audio;
  audio.ReadFrom(file);
  const TMpegFrameHdr& frame = audio.FirstFrame;
  info.LabelBitRate = audio.VBR ? "VBR bitrate" : KbitLabel(frame.BitRate);
  info.LabelFrequency = FrequencyLabel(frame.SampleRate);
  info.LabelExtension = std::string("(mpeg layer ") + frame.LayerName() + ")";
  info.LengthMs = audio.DurationMs;
  StreamFacts(info.Stream)
      .Add("version", int64_t{frame.Version})
      .Add("layer", int64_t{frame.Layer})
      .Add("bitRate", int64_t{frame.BitRate})
      .Add("sampleRate", int64_t{frame.SampleRate})
      .Add("channelMode", int64_t{frame.ChannelMode})
      .Add("frameLength", int64_t{frame.FrameLength})
      .Add("firstFrameOffset", audio.FirstFrameOffset)
      .Add("valid", frame.Valid)
      .Add("vbr", audio.VBR)
      .Add("xingFrames", int64_t{audio.XingFrames})
      .Add("durationMs", int64_t{audio.DurationMs})
      .Add("id3v1", audio.HasId3v1)
      .Add("fileSize", audio.FileSize);
}

void FillWma(MediaFile& file, TrackInfo& info) {
  TWMAfile wma;
  wma.ReadFrom(file);
  info.Tags = {wma.Title, wma.Artist, wma.Album, wma.Year, std::to_string(wma.Track), wma.Comment, wma.Genre};
  info.LabelBitRate = KbitLabel(wma.BitRate);
  info.LabelFrequency = FrequencyLabel(wma.SampleRate);
  StreamFacts(info.Stream)
      .Add("valid", wma.Valid)
      .Add("channels", int64_t{wma.Channels})
      .Add("sampleRate", int64_t{wma.SampleRate})
      .Add("bitRate", int64_t{wma.BitRate})
      .Add("duration", wma.Duration)
      .Add("fileSize", wma.FileSize);
}

template <typename VorbisReader>
void FillVorbis(VorbisReader& reader, TrackInfo& info) {
  info.Tags = {reader.Title,   reader.Artist, reader.Album, "", std::to_string(reader.Track),
               reader.Comment, reader.Genre};
  info.LabelBitRate = KbitLabel(reader.AverageBitRate());
  info.LabelFrequency = FrequencyLabel(reader.SampleRate);
  StreamFacts(info.Stream)
      .Add("valid", reader.Valid)
      .Add("channels", int64_t{reader.Channels})
      .Add("sampleRate", int64_t{reader.SampleRate})
      .Add("nominalBitRate", int64_t{reader.NominalBitRate})
      .Add("samples", reader.Samples)
      .Add("duration", reader.Duration())
      .Add("averageBitRate", int64_t{reader.AverageBitRate()})
      .Add("fileSize", reader.FileSize);
}

void FillApe(MediaFile& file, TrackInfo& info) {
  TMonkey ape;
  ape.ReadFrom(file);
  const TID3v1& tag = ape.ID3v1;
  info.Tags = {tag.Title, tag.Artist, tag.Album, tag.Year, std::to_string(tag.Track), tag.Comment, tag.Genre};
  info.LabelBitRate = std::to_string(ape.BitsPerSample) + " bits";
  info.LabelFrequency = FrequencyLabel(ape.SampleRate);
  StreamFacts(info.Stream)
      .Add("valid", ape.Valid)
      .Add("version", int64_t{ape.Version})
      .Add("channels", int64_t{ape.Channels})
      .Add("sampleRate", int64_t{ape.SampleRate})
      .Add("bitsPerSample", int64_t{ape.BitsPerSample})
      .Add("totalFrames", int64_t{ape.TotalFrames})
      .Add("fileSize", ape.FileSize);
}

}  // namespace

bool IsMp3Path(const std::string& path) { return UpperCase(ExtractFileExt(path)) == ".MP3"; }

namespace {

bool HasPanelReader(const std::string& extension) {
  return extension == ".MP3" || extension == ".WMA" || extension == ".OGG" || extension == ".FLAC" ||
         extension == ".APE";
}

bool HasTitleReader(const std::string& extension) {
  return extension == ".MP3" || extension == ".OGG" || extension == ".WMA" || extension == ".APE";
}

TrackInfo EmptyTrackInfo() {
  TrackInfo info;
  info.LabelBitRate = KbitLabel(0);
  info.LabelFrequency = FrequencyLabel(0);
  return info;
}

}  // namespace

TrackInfo ReadTrackInfo(const std::string& path) {
  // A file no reader knows is never opened.
  if (!HasPanelReader(UpperCase(ExtractFileExt(path)))) return EmptyTrackInfo();
  MediaFile file(path);
  return ReadTrackInfoFrom(file);
}

TrackInfo ReadTrackInfoFrom(MediaFile& file) {
  const std::string extension = UpperCase(ExtractFileExt(file.Path()));
  if (!HasPanelReader(extension)) return EmptyTrackInfo();
  TrackInfo info;
  if (extension == ".MP3") {
    FillMp3(file, info);
    return info;
  }
  if (extension == ".WMA") {
    FillWma(file, info);
  } else if (extension == ".OGG") {
    TOggVorbis ogg;
    ogg.ReadFrom(file);
    FillVorbis(ogg, info);
  } else if (extension == ".FLAC") {
    TFlacTags flac;
    flac.ReadFrom(file);
    FillVorbis(flac, info);
  } else {
    FillApe(file, info);
  }
  info.LabelExtension = ExtensionLabel(file.Path());
  return info;
}

std::string ReadTitle(const std::string& path) {
  if (!HasTitleReader(UpperCase(ExtractFileExt(path)))) return {};
  try {
    MediaFile file(path);
    return ReadTitleFrom(file);
  } catch (const MediaReadError&) {
    // The playlist shows the file name instead.
  }
  return {};
}

std::string ReadTitleFrom(MediaFile& file) {
  const std::string extension = UpperCase(ExtractFileExt(file.Path()));
  try {
    if (extension == ".MP3") {
      Tmp3Tag v1;
      v1.ReadFrom(file);
      if (v1.TagPresent()) return v1.Title();
      TID3v2 v2;
      v2.ReadFrom(file);
      return v2.Title;
    }
    if (extension == ".OGG") {
      TOggVorbis ogg;
      ogg.ReadFrom(file);
      return ogg.Title;
    }
    if (extension == ".WMA") {
      TWMAfile wma;
      wma.ReadFrom(file);
      return wma.Title;
    }
    if (extension == ".APE") {
      TID3v1 tag;
      tag.ReadFrom(file);
      return tag.Title;
    }
  } catch (const MediaReadError&) {
    // The playlist shows the file name instead.
  }
  return {};
}

SaveTagsResult SaveTagsToFile(const std::string& path, const TagPanelTexts& panel) {
  if (!IsMp3Path(path)) return SaveTagsResult::NotMp3;
  Tmp3Tag tag;
  tag.SetAlbum(panel.TagAlbum);
  tag.SetArtist(panel.TagArtista);
  tag.SetComment(panel.TagCommento);
  // A name of the list (in any case) gives its number, the empty text the empty entry
  // 148; any other text is stored as genre 255.
  tag.SetGenre(panel.TagGenere);
  if (tag.GenreID() < 0) tag.SetGenreID(255);
  tag.SetTitle(panel.TagTitolo);
  const auto track = ParseDecimal(panel.TagTraccia);
  if (!track) return SaveTagsResult::WrongTrackFormat;
  tag.SetTrack(static_cast<uint32_t>(*track));
  tag.SetYear(panel.TagAnno);
  tag.WriteToFile(path);
  return SaveTagsResult::Written;
}

}  // namespace vombrel
