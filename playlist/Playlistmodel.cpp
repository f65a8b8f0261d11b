#include "playlist/Playlistmodel.h"

#include <exception>
#include <mutex>
#include <random>
#include <utility>

#include "playlist/Playlistfiles.h"
#include "support/Supportfiles.h"

namespace vombrel {

namespace {

// The process-wide generator the playlist shares with the rest of the program.
uint32_t ProcessRandom() {
  static std::mutex mutex;
  static std::mt19937 generator{std::random_device{}()};
  std::lock_guard lock(mutex);
  return generator();
}

// value mod n in 0..n-1 for n > 0, whatever the sign of value.
int32_t PositiveModulo(int64_t value, int32_t n) {
  const int64_t remainder = value % n;
  return static_cast<int32_t>(remainder < 0 ? remainder + n : remainder);
}

bool HasTitleTags(const std::string& entry) {
  const std::string extension = UpperCase(ExtractFileExt(entry));
  return extension == ".MP3" || extension == ".OGG" || extension == ".WMA" || extension == ".APE";
}

}  // namespace

PlaylistModel::PlaylistModel(PlaylistController* controller) : controller_(controller), random_(ProcessRandom) {}

void PlaylistModel::SetRandomSource(RandomSource source) {
  random_ = source ? std::move(source) : RandomSource(ProcessRandom);
}

void PlaylistModel::SetTitleReader(TitleReader reader) { titleReader_ = std::move(reader); }

void PlaylistModel::SetRecentPlaylistHook(RecentPlaylistHook hook) { recentHook_ = std::move(hook); }

std::string PlaylistModel::Entry(int32_t i) const {
  if (i < 0 || i >= Count()) return {};
  return Entries[static_cast<std::size_t>(i)];
}

void PlaylistModel::AddFiles(const StringList& files) {
  Entries.insert(Entries.end(), files.begin(), files.end());
  Changed();
}

void PlaylistModel::AddFile(std::string_view file) { AddFiles({std::string(file)}); }

void PlaylistModel::Clear() { Entries.clear(); }

void PlaylistModel::RemoveEntries(const std::set<int32_t>& positions) {
  // Highest position first, so the lower positions still name the same entries.
  for (auto it = positions.rbegin(); it != positions.rend(); ++it)
    if (*it >= 0 && *it < Count()) Entries.erase(Entries.begin() + *it);
  Changed();
}

int32_t PlaylistModel::RandomStep(int32_t n) const {
  return n <= 0 ? 0 : static_cast<int32_t>(random_() % static_cast<uint32_t>(n));
}

void PlaylistModel::StepNext() {
  const int32_t n = Count();
  if (n == 0) return;
  const int32_t step = Shuffle ? RandomStep(n) : 1;
  CurrentIndex = PositiveModulo(int64_t{CurrentIndex} + step, n);
}

void PlaylistModel::StepPrevious() {
  const int32_t n = Count();
  if (n == 0) return;
  const int32_t step = Shuffle ? RandomStep(n) : 1;
  CurrentIndex = PositiveModulo(int64_t{CurrentIndex} - step, n);
}

bool PlaylistModel::PlayWithRetry() {
  StopRequested = false;
  // Count is read anew before each attempt: an attempt may show a message whose nested
  // event loop lets the user change the list or press Stop.
  for (int32_t attempt = 0; attempt < Count() && !StopRequested; ++attempt) {
    if (controller_ && controller_->TryPlayCurrent()) return true;
    StepNext();
  }
  return false;
}

void PlaylistModel::HandleTrackEnd() {
  if (!controller_ || controller_->EnginePosition() != controller_->EngineLength()) return;
  if (CurrentIndex < Count() - 1 || Repeat) {
    StepNext();
    PlayWithRetry();
  }
}

void PlaylistModel::SelectAndPlay(int32_t i) {
  const int32_t n = Count();
  if (n == 0) return;
  const int32_t position = PositiveModulo(i, n);
  if (position == CurrentIndex) {
    if (controller_) controller_->TogglePause();
    return;
  }
  CurrentIndex = position;
  PlayWithRetry();
}

std::string PlaylistModel::DisplayName(const std::string& entry) const {
  std::string title;
  if (!ShowFileNames && titleReader_ && HasTitleTags(entry) && FileExists(entry)) title = titleReader_(entry);
  // The emptiness test comes before the trimming: a title of blanks shows as "".
  if (title.empty()) return ExtractFileName(entry);
  return Trim(title);
}

void PlaylistModel::SaveAutosave() const { WritePlaylistFile(AutosavePath(), Entries); }

void PlaylistModel::LoadPlaylistFile(std::string_view path) {
  if (!FileExists(path)) return;
  // The backup guards against a crash while loading. One that cannot be written does not
  // stop the load: its error is raised once the new entries are in place (unless the
  // autosave, in the same folder, fails first and raises its own).
  std::exception_ptr backupError;
  try {
    WritePlaylistFile(BackupPath(), Entries);
  } catch (const PlaylistWriteError&) {
    backupError = std::current_exception();
  }
  StringList previous = std::move(Entries);
  Entries.clear();
  if (auto loaded = ReadPlaylistFile(path)) {
    Entries = std::move(*loaded);
    NotifyRecent(path);
  } else {
    // The backup on disk guards against a crash; the restore uses the copy in memory,
    // which holds exactly the old entries even where an entry contained a line break.
    Entries = std::move(previous);
  }
  Changed();
  if (backupError) std::rethrow_exception(backupError);
}

void PlaylistModel::SavePlaylistFile(std::string_view path) const {
  WritePlaylistFile(path, Entries);
  NotifyRecent(path);
}

void PlaylistModel::LoadAutosave() {
  Entries = ReadPlaylistFile(AutosavePath()).value_or(StringList{});
  CurrentIndex = 0;
}

void PlaylistModel::WriteHeldAutosave() {
  autosaveHeld_ = false;
  if (std::exchange(autosaveWanted_, false)) SaveAutosave();
}

// The playlist window shows the entries as they are, also when the autosave fails.
void PlaylistModel::Changed() {
  if (autosaveHeld_) {
    autosaveWanted_ = true;
    Refresh();
    return;
  }
  try {
    SaveAutosave();
  } catch (...) {
    Refresh();
    throw;
  }
  Refresh();
}

void PlaylistModel::Refresh() const {
  if (controller_) controller_->RefreshPlaylistWindow();
}

void PlaylistModel::NotifyRecent(std::string_view path) const {
  if (recentHook_) recentHook_(std::string(path));
}

}  // namespace vombrel
