// WAVE sounds from memory on Linux, through GStreamer.
//
// The caller's bytes are read in place (a GMemoryInputStream over them, no
// copy) by giostreamsrc ! wavparse ! audioconvert ! audioresample ! sink.
// The sink is autoaudiosink unless LUMORA_AUDIO_SINK holds another
// gst-launch description ("fakesink", "wavenc ! filesink location=x.wav"),
// read at every start so tests can see what played.
//
// A looping sound repeats through segment seeks: wavparse reports the end
// of each pass with a segment-done message instead of end-of-stream, and
// the next pass is queued without a flush, so the sink sees one unbroken
// stream. Bus messages are taken by a watcher thread of the pipeline, not
// by a main loop, which the program may not be running.
#include <gio/gio.h>
#include <gst/gst.h>

#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "base/Stream.h"
#include "os/SysUtils.h"
#include "os/linux/GLibPtr.h"

namespace lumora {

namespace {

// How long a start may take to read the sound's header and hand the first
// samples to the sink; a sink that cannot start within it fails the start.
constexpr GstClockTime kStartTimeout = 5 * GST_SECOND;

struct TGstObjectUnref {
  void operator()(gpointer object) const { gst_object_unref(object); }
};
using TElementPtr = std::unique_ptr<GstElement, TGstObjectUnref>;
using TBusPtr = std::unique_ptr<GstBus, TGstObjectUnref>;

struct TMessageUnref {
  void operator()(GstMessage* message) const { gst_message_unref(message); }
};
using TMessagePtr = std::unique_ptr<GstMessage, TMessageUnref>;

bool GStreamerReady() {
  static const bool ready = gst_init_check(nullptr, nullptr, nullptr) != FALSE;
  return ready;
}

// One sound from start to stop: the pipeline and the thread that watches
// its bus. Destroying it stops the sound; after that nothing reads the
// caller's memory any more.
class TSoundPlayback {
 public:
  // Null when the sound cannot start (no GStreamer, a sink description
  // that does not parse, bytes that are no sound the sink takes).
  static std::unique_ptr<TSoundPlayback> Start(const uint8_t* data, size_t size, bool loop);
  explicit TSoundPlayback(TElementPtr pipeline);
  ~TSoundPlayback();
  TSoundPlayback(const TSoundPlayback&) = delete;
  TSoundPlayback& operator=(const TSoundPlayback&) = delete;

 private:
  bool Preroll();
  void Watch();

  TElementPtr FPipeline;
  TBusPtr FBus;
  std::thread FWatcher;
};

TSoundPlayback::TSoundPlayback(TElementPtr pipeline)
    : FPipeline(std::move(pipeline)), FBus(gst_element_get_bus(FPipeline.get())) {}

std::unique_ptr<TSoundPlayback> TSoundPlayback::Start(const uint8_t* data, size_t size, bool loop) {
  if (!GStreamerReady()) return nullptr;
  const char* sink = g_getenv("LUMORA_AUDIO_SINK");
  const std::string description =
      std::string("giostreamsrc name=source ! wavparse name=parser ! audioconvert ! audioresample ! ") +
      (sink && sink[0] ? sink : "autoaudiosink");
  GError* error = nullptr;
  TElementPtr pipeline(gst_parse_launch(description.c_str(), &error));
  if (error) {
    // A description with a missing element may still give a pipeline.
    g_error_free(error);
    return nullptr;
  }
  if (!pipeline) return nullptr;

  const TElementPtr source(gst_bin_get_by_name(GST_BIN(pipeline.get()), "source"));
  if (!source) return nullptr;
  const TGObjectPtr<GInputStream> memory(g_memory_input_stream_new_from_data(data, static_cast<gssize>(size), nullptr));
  g_object_set(source.get(), "stream", memory.get(), nullptr);

  auto playback = std::make_unique<TSoundPlayback>(std::move(pipeline));
  if (!playback->Preroll()) return nullptr;
  GstElement* element = playback->FPipeline.get();
  if (loop) {
    // The first pass as a segment, so that its end is reported rather
    // than ending the stream. The seek goes to wavparse itself: before it
    // has read the header (a sink that does not preroll, such as a
    // synchronised identity, lets Preroll return that early) it keeps the
    // seek for then, where one sent through the pipeline would be lost.
    const TElementPtr parser(gst_bin_get_by_name(GST_BIN(element), "parser"));
    gst_element_send_event(
        parser.get(),
        gst_event_new_seek(1.0, GST_FORMAT_TIME, static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_SEGMENT),
                           GST_SEEK_TYPE_SET, 0, GST_SEEK_TYPE_NONE, GST_CLOCK_TIME_NONE));
  }
  if (gst_element_set_state(element, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
    return nullptr;
  }
  playback->FWatcher = std::thread(&TSoundPlayback::Watch, playback.get());
  return playback;
}

// Paused, the pipeline reads the header and hands the first samples to the
// sink: that tells whether the bytes are a sound the sink can play.
bool TSoundPlayback::Preroll() {
  const GstStateChangeReturn change = gst_element_set_state(FPipeline.get(), GST_STATE_PAUSED);
  if (change == GST_STATE_CHANGE_FAILURE) return false;
  if (change != GST_STATE_CHANGE_ASYNC) return true;
  const TMessagePtr message(gst_bus_timed_pop_filtered(
      FBus.get(), kStartTimeout, static_cast<GstMessageType>(GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ERROR)));
  return message && GST_MESSAGE_TYPE(message.get()) == GST_MESSAGE_ASYNC_DONE;
}

void TSoundPlayback::Watch() {
  const auto wanted = static_cast<GstMessageType>(GST_MESSAGE_SEGMENT_DONE | GST_MESSAGE_EOS | GST_MESSAGE_ERROR |
                                                  GST_MESSAGE_APPLICATION);
  for (;;) {
    const TMessagePtr message(gst_bus_timed_pop_filtered(FBus.get(), GST_CLOCK_TIME_NONE, wanted));
    if (!message) continue;
    switch (GST_MESSAGE_TYPE(message.get())) {
      case GST_MESSAGE_SEGMENT_DONE:
        // The next pass, queued behind the one that just ended.
        gst_element_seek(FPipeline.get(), 1.0, GST_FORMAT_TIME, GST_SEEK_FLAG_SEGMENT, GST_SEEK_TYPE_SET, 0,
                         GST_SEEK_TYPE_NONE, GST_CLOCK_TIME_NONE);
        break;
      case GST_MESSAGE_EOS:
      case GST_MESSAGE_ERROR:
        // Played out or failed: the sink lets go of the device now, not
        // when the next sound comes.
        gst_element_set_state(FPipeline.get(), GST_STATE_NULL);
        return;
      default:  // the stop request of the destructor
        return;
    }
  }
}

TSoundPlayback::~TSoundPlayback() {
  if (FWatcher.joinable()) {
    gst_bus_post(FBus.get(), gst_message_new_application(nullptr, gst_structure_new_empty("lumora-stop")));
    FWatcher.join();
  }
  gst_element_set_state(FPipeline.get(), GST_STATE_NULL);
}

// The process's one sound, as the platform's sound player keeps it on
// Windows: each start replaces it, a stop ends it.
std::mutex SoundLock;
std::unique_ptr<TSoundPlayback> CurrentSound;

}  // namespace

bool TSysUtils::StopCurrentSound() {
  const std::lock_guard<std::mutex> lock(SoundLock);
  CurrentSound.reset();
  return true;
}

bool TSysUtils::PlaySoundFromStream(const TMemoryStream& stream, bool loop) {
  StopCurrentSound();
  const std::lock_guard<std::mutex> lock(SoundLock);
  CurrentSound = TSoundPlayback::Start(stream.Memory(), stream.Bytes().size(), loop);
  return CurrentSound != nullptr;
}

}  // namespace lumora
