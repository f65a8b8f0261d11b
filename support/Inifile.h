// INI files with the conventions of the classic profile-file functions:
// - "[name]" starts a section; "key=value" lines belong to it; names compare without
//   regard to ASCII case; the first section or key of a name wins on read;
// - blanks around a value are not part of it, and one pair of matching single or double
//   quotes around it is removed on read; a read returns at most 2047 characters;
// - a write replaces an existing key in place, appends a new key at the end of its
//   section and a new section at the end of the file;
// - every call sees the file as it is on disk, every write rewrites it at once,
//   atomically (written beside it, renamed over it), so two handles on one file never
//   lose each other's keys and a crash never leaves a truncated file. The bytes last read
//   are kept while the file's identity, size and times stay the same (a rewrite by anyone
//   replaces the file), so a run of reads reads the file once.
// Threads: one handle may be used from several threads.
// Files are decoded by the text policy (UTF-8, else Windows-1252) and written as UTF-8
// with CR LF line ends.
#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Supportstring.h"

namespace vombrel {

// A write the file system refused: "Unable to write to <path>".
struct IniWriteError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class IniFile {
 public:
  static constexpr std::size_t kMaxValueLength = 2047;

  explicit IniFile(std::string path);

  // A file held in memory instead of on disk: reads parse `bytes`, writes replace them
  // (see Bytes()); the file system is never touched. Parsing and writing follow exactly
  // the rules of a file on disk.
  static IniFile InMemory(std::string bytes);

  const std::string& Path() const { return path_; }

  // The stored text of the key (after blank and quote stripping and the length cut), or
  // nullopt when the section or key is absent.
  std::optional<std::string> Read(std::string_view section, std::string_view key) const;

  // Writes one key; throws IniWriteError when the file cannot be written.
  void Write(std::string_view section, std::string_view key, std::string_view value);

  // Writes several keys of one section in a single rewrite of the file.
  void WriteMany(std::string_view section, const std::vector<std::pair<std::string, std::string>>& values);

  // The key names of the section in file order (empty when the section is absent).
  StringList ReadSection(std::string_view section) const;

  // Every section name in file order.
  StringList ReadSectionNames() const;

  // The bytes of an in-memory file as the last write left them (empty for a file on disk).
  const std::string& Bytes() const { return memory_; }

 private:
  // The file's bytes (nullopt for a missing file; `error` gets the reason of a failure).
  std::optional<std::string> LoadBytes(int* error = nullptr) const;
  // Replaces the file's bytes; throws IniWriteError when that fails.
  void StoreBytes(const std::string& bytes);

  std::string path_;
  bool inMemory_ = false;
  std::string memory_;
  // The bytes last read from disk and the file status they belong to; shared by copies.
  struct ReadCache;
  std::shared_ptr<ReadCache> cache_;
};

}  // namespace vombrel
