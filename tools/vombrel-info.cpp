// vombrel-info [--json] FILE...
// Prints, for every file, what the player's information panel and playlist show: the seven
// tag fields, the three format labels, the total length, the playlist title and the
// reader's raw stream values. With --json one JSON object per line and file. The exit
// status is 0 when every file was read, 1 otherwise (a file the player would skip).
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "mediainfo/Mediafile.h"
#include "mediainfo/Trackinfo.h"
#include "support/Textcodec.h"

namespace {

using vombrel::TrackInfo;

// A field: its key and its value as a JSON literal (null, a string or a number).
using Field = std::pair<std::string, std::string>;

std::string JsonString(const std::string& utf8) {
  // Paths are bytes: show one that is not UTF-8 as Windows-1252 so the line stays JSON.
  const std::string text = vombrel::IsValidUtf8(utf8) ? utf8 : vombrel::Windows1252ToUtf8(utf8);
  std::string out = "\"";
  for (const char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
          out += escaped;
        } else {
          out += c;
        }
    }
  }
  return out + "\"";
}

std::string JsonOptional(const std::optional<std::string>& text) { return text ? JsonString(*text) : "null"; }

std::vector<Field> Describe(const std::string& path, const std::optional<TrackInfo>& info, const std::string& error) {
  std::vector<Field> fields{{"file", JsonString(path)}};
  const vombrel::TagPanelTexts empty;
  const vombrel::TagPanelTexts& t = info ? info->Tags : empty;
  const std::pair<const char*, const std::string*> tags[] = {
      {"TagTitolo", &t.TagTitolo}, {"TagArtista", &t.TagArtista}, {"TagAlbum", &t.TagAlbum},
      {"TagAnno", &t.TagAnno},     {"TagTraccia", &t.TagTraccia}, {"TagCommento", &t.TagCommento},
      {"TagGenere", &t.TagGenere}};
  for (const auto& [key, value] : tags) fields.emplace_back(key, info ? JsonString(*value) : "null");
  fields.emplace_back("LabelBitRate", info ? JsonString(info->LabelBitRate) : "null");
  fields.emplace_back("LabelFrequency", info ? JsonString(info->LabelFrequency) : "null");
  fields.emplace_back("LabelExtension", info ? JsonOptional(info->LabelExtension) : "null");
  fields.emplace_back("LengthMs", info && info->LengthMs ? std::to_string(*info->LengthMs) : "null");
  fields.emplace_back("ReadTitle", JsonString(vombrel::ReadTitle(path)));
  fields.emplace_back("error", info ? "null" : JsonString(error));
  if (info && !info->Stream.empty()) {
    std::string stream = "{";
    for (const auto& [name, value] : info->Stream) {
      if (stream.size() > 1) stream += ", ";
      stream += JsonString(name) + ": " + value;
    }
    fields.emplace_back("stream", stream + "}");
  }
  return fields;
}

void PrintJson(const std::vector<Field>& fields) {
  std::string line = "{";
  for (const auto& [key, value] : fields) {
    if (line.size() > 1) line += ", ";
    line += JsonString(key) + ": " + value;
  }
  std::cout << line << "}\n";
}

// Readable form: strings without quotes, null spelled out by what it means.
void PrintText(const std::vector<Field>& fields, bool first) {
  if (!first) std::cout << '\n';
  for (const auto& [key, value] : fields) {
    std::string shown = value;
    if (value == "null") {
      shown = key == "LabelExtension" ? "(left unchanged)" : key == "LengthMs" ? "(from the engine)" : "-";
    } else if (value.size() >= 2 && value.front() == '"') {
      shown = value.substr(1, value.size() - 2);
    }
    std::cout << key << ": " << shown << '\n';
  }
}

}  // namespace

int main(int argc, char** argv) {
  bool json = false;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--json")
      json = true;
    else if (arg == "--help" || arg == "-h") {
      std::cout << "usage: vombrel-info [--json] FILE...\n";
      return 0;
    } else
      files.push_back(arg);
  }
  if (files.empty()) {
    std::cerr << "usage: vombrel-info [--json] FILE...\n";
    return 2;
  }
  int status = 0;
  for (std::size_t i = 0; i < files.size(); ++i) {
    std::optional<TrackInfo> info;
    std::string error;
    try {
      info = vombrel::ReadTrackInfo(files[i]);
    } catch (const vombrel::MediaReadError& failure) {
      error = failure.what();
      status = 1;
    }
    const auto fields = Describe(files[i], info, error);
    if (json)
      PrintJson(fields);
    else
      PrintText(fields, i == 0);
  }
  return status;
}
