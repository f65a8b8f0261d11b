// What the built-in engine keeps from one file to the next: GStreamer's leaks tracer counts
// every live GStreamer object and mini-object (elements, pads, buses, messages, caps, tag
// lists, ...). After a warm-up, which makes the one-time objects of each format's
// plug-ins, a round of track changes must leave exactly the objects that were alive before
// it; anything more is kept by every change and grows without end while a playlist plays.
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Mediafixtures.h"
#include "Sinkenvironment.h"
#include "Soundsink.h"
#include "Testdispatcher.h"
#include "players/Mmcplayer.h"

namespace vombrel::test {
namespace {

// The tracer must be named before GStreamer is initialised, which happens at the first
// engine of the test program.
const bool kLeaksTracerRequested = [] {
  setenv("GST_TRACERS", "leaks", 1);
  return true;
}();

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new SinkEnvironment);

GstTracer* LeaksTracer() {
  GstTracer* found = nullptr;
  GList* tracers = gst_tracing_get_active_tracers();
  for (GList* item = tracers; item != nullptr; item = item->next) {
    if (found == nullptr && std::string(G_OBJECT_TYPE_NAME(item->data)) == "GstLeaksTracer") {
      found = GST_TRACER(gst_object_ref(item->data));
    }
  }
  g_list_free_full(tracers, gst_object_unref);
  return found;
}

// What became of GStreamer's objects since the tracer's checkpoint, by type name: the
// objects made since and still alive count up, the older ones destroyed since count down.
// (The tracer's list of live objects is not used: GStreamer 1.22 gives its objects one
// reference too few, and freeing the list unrefs them.)
using ObjectChange = std::map<std::string, int>;

void StartTracking(GstTracer* tracer) { g_signal_emit_by_name(tracer, "activity-start-tracking"); }

void CountList(const GstStructure* checkpoint, const char* field, int sign, ObjectChange& change) {
  const GValue* list = gst_structure_get_value(checkpoint, field);
  for (guint i = 0; list != nullptr && i < gst_value_list_get_size(list); ++i) {
    const GstStructure* entry = gst_value_get_structure(gst_value_list_get_value(list, i));
    const char* type = gst_structure_get_string(entry, "type-name");
    change[type != nullptr ? type : "?"] += sign;
  }
}

// Each checkpoint gives the change since the previous one.
ObjectChange NextCheckpoint(GstTracer* tracer) {
  ObjectChange change;
  GstStructure* checkpoint = nullptr;
  g_signal_emit_by_name(tracer, "activity-get-checkpoint", &checkpoint);
  if (checkpoint == nullptr) return change;
  CountList(checkpoint, "objects-created-list", 1, change);
  CountList(checkpoint, "objects-removed-list", -1, change);
  gst_structure_free(checkpoint);
  return change;
}

bool AnyKept(const ObjectChange& change) {
  for (const auto& entry : change) {
    if (entry.second > 0) return true;
  }
  return false;
}

// "GstPad +12, GstMessage +40, " for every type with more live objects than at the start
// of tracking; empty when none has. A streaming thread drops its last reference to its
// task just after the task is joined, so that is waited for (a hang guard of 2 s, not a
// timing requirement). Fewer objects is no fault: a warm-up object may end late too.
std::string KeptSinceTrackingStarted(GstTracer* tracer) {
  ObjectChange total;
  for (int attempt = 0; attempt < 200; ++attempt) {
    for (const auto& [type, delta] : NextCheckpoint(tracer)) total[type] += delta;
    if (!AnyKept(total)) break;
    g_usleep(10000);
  }
  g_signal_emit_by_name(tracer, "activity-stop-tracking");
  std::ostringstream text;
  for (const auto& [type, delta] : total) {
    if (delta > 0) text << type << " +" << delta << ", ";
  }
  return text.str();
}

enum class Change { PlayToEnd, StopHalfWay, OpenOnly, FailToOpen };

struct Scenario {
  const char* name;
  Change change;
  std::vector<const char*> files;
};

void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.name; }

class TrackChangeReleaseTest : public ::testing::TestWithParam<Scenario> {
 protected:
  void SetUp() override {
    engine = std::make_unique<TMMCPlayer>(nullptr, dispatcher, notes.Handler());
    tracer = LeaksTracer();
    ASSERT_NE(tracer, nullptr) << "GStreamer's leaks tracer is not active";
  }
  void TearDown() override {
    engine.reset();
    if (tracer != nullptr) gst_object_unref(tracer);
  }

  void Round() {
    for (const char* file : GetParam().files) ChangeTrack(file);
    engine->Close();
    dispatcher.RunPending();
  }

  void ChangeTrack(const char* file) {
    MMFileInfoPtr info = engine->Open(Fixtures().Path(file));
    ASSERT_TRUE(info);
    if (GetParam().change == Change::FailToOpen) {
      EXPECT_EQ(info->Success, 0) << file;
      return;
    }
    ASSERT_NE(info->Success, 0) << file;
    if (GetParam().change == Change::OpenOnly) return;
    const int before = notes.count;
    engine->Play();
    if (GetParam().change == Change::StopHalfWay) {
      ASSERT_TRUE(dispatcher.RunUntil([&] { return engine->GetPosition() > 100; }));
      engine->Stop();
      return;
    }
    ASSERT_TRUE(dispatcher.RunUntil([&] { return notes.count > before; })) << file;
  }

  QueueDispatcher dispatcher;
  NotifyRecorder notes;
  std::unique_ptr<TMMCPlayer> engine;
  GstTracer* tracer = nullptr;
};

TEST_P(TrackChangeReleaseTest, ARoundOfTrackChangesLeavesNoGStreamerObjectBehind) {
  // Warm-up: the one-time objects of each format's plug-ins come with the first open, the
  // sound server's with the first play.
  for (const char* file : GetParam().files) engine->Open(Fixtures().Path(file));
  if (GetParam().change != Change::FailToOpen) ChangeTrack(GetParam().files.front());
  engine->Close();
  dispatcher.RunPending();
  // A pipeline half made when tracking starts would count its later half as kept.
  engine->SettleBackgroundWork();
  StartTracking(tracer);
  Round();
  EXPECT_EQ(KeptSinceTrackingStarted(tracer), "");
}

INSTANTIATE_TEST_SUITE_P(
    Changes, TrackChangeReleaseTest,
    ::testing::Values(Scenario{"PlayedToTheEnd", Change::PlayToEnd, {"tone.mp3", "tone.ogg", "tone.flac"}},
                      Scenario{"StoppedHalfWay", Change::StopHalfWay, {"tone.mp3", "tone.ogg", "tone.flac"}},
                      Scenario{"OpenedOnly", Change::OpenOnly, {"tone.mp3", "tone.ogg", "tone.flac", "tone.wav"}},
                      Scenario{"FailedToOpen", Change::FailToOpen, {"corrupt.mp3", "truncated.mp3", "empty.mp3"}}),
    [](const ::testing::TestParamInfo<Scenario>& info) { return std::string(info.param.name); });

TEST(EngineReleaseTest, AnEngineMadeAndDestroyedLeavesNoGStreamerObjectBehind) {
  QueueDispatcher dispatcher;
  NotifyRecorder notes;
  auto playOneFile = [&] {
    TMMCPlayer engine(nullptr, dispatcher, notes.Handler());
    ASSERT_NE(engine.Open(Fixtures().Path("tone.ogg"))->Success, 0);
    const int before = notes.count;
    engine.Play();
    ASSERT_TRUE(dispatcher.RunUntil([&] { return notes.count > before; }));
  };
  playOneFile();  // warm-up
  dispatcher.RunPending();
  GstTracer* tracer = LeaksTracer();
  ASSERT_NE(tracer, nullptr);
  StartTracking(tracer);
  playOneFile();
  dispatcher.RunPending();
  EXPECT_EQ(KeptSinceTrackingStarted(tracer), "");
  gst_object_unref(tracer);
}

}  // namespace
}  // namespace vombrel::test
