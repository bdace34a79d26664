// The sound side of the browser build (AudioOutputWeb.cpp, Mp3DecoderWeb.cpp). The page decodes
// the music with Web Audio while it loads (Module.decodedAudio, by path) and makes the
// AudioContext (Module.audioContext) at the file's own rate, so the samples are the file's;
// playing starts from the start button's gesture.
'use strict';

var LibraryOmbrelAudio = {
  $OA: { buffer: null, source: null, startTime: 0 },

  ombrel_audio_init: function() {
    return Module['audioContext'] ? 1 : 0;
  },

  ombrel_audio_free: function() {
    if (OA.source) OA.source.stop();
    OA.source = null;
    OA.buffer = null;
  },

  ombrel_audio_start: function() {
    Module['audioContext'].resume();
  },

  ombrel_audio_open: function(path) {
    var decoded = Module['decodedAudio'] || {};
    var buffer = decoded[UTF8ToString(path)];
    if (!buffer || buffer.length === 0) return 0;
    OA.buffer = buffer;
    return buffer.length;
  },

  ombrel_audio_rate: function() {
    return OA.buffer ? OA.buffer.sampleRate : 0;
  },

  // 16-bit stereo as the native decoder gives it: rounded, clipped, mono on both channels.
  ombrel_audio_samples: function(out) {
    var left = OA.buffer.getChannelData(0);
    var right = OA.buffer.numberOfChannels > 1 ? OA.buffer.getChannelData(1) : left;
    var samples = HEAP16.subarray(out >> 1, (out >> 1) + left.length * 2);
    for (var i = 0; i < left.length; ++i) {
      samples[2 * i] = Math.max(-32768, Math.min(32767, Math.round(left[i] * 32768)));
      samples[2 * i + 1] = Math.max(-32768, Math.min(32767, Math.round(right[i] * 32768)));
    }
  },

  ombrel_audio_close: function() {
    if (OA.source) OA.source.stop();
    OA.source = null;
  },

  ombrel_audio_play: function(restart) {
    var context = Module['audioContext'];
    if (OA.source && !restart) return;
    if (OA.source) OA.source.stop();
    OA.source = context.createBufferSource();
    OA.source.buffer = OA.buffer;
    OA.source.connect(context.destination);
    OA.source.start();
    OA.startTime = context.currentTime;
  },

  // Counts on past the end of the music, as the position of a stream that has finished does.
  ombrel_audio_heard_seconds: function() {
    var context = Module['audioContext'];
    if (!OA.source || !context) return 0;
    return context.currentTime - (context.outputLatency || 0) - OA.startTime;
  },
};

autoAddDeps(LibraryOmbrelAudio, '$OA');
mergeInto(LibraryManager.library, LibraryOmbrelAudio);
