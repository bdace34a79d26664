// The page around the program: it finds a WebGPU device, fetches the data (stored gzipped) with a
// progress bar, decodes the music, and starts the presentation from a click (browsers give sound
// and fullscreen only to a gesture). A viewer's choices: ?size=WxH (the picture's size),
// ?fullscreen=0 (stay in the tab), ?display=N (fullscreen on screen N, where the browser lets a
// page place itself). With ?at=S,S&size=WxH&fps=N it renders those moments on the capture tool's
// fixed frame clock instead and hands the frames back as PNGs (window.ombrelCapture), and with
// &particles=0 leaves the particles' draw out as the tool's --no-particles does; with
// ?from=S&to=S&bench=1 it renders every frame of that span for timing only.
// Opened from the file system, where browsers refuse to fetch, every file comes as a script
// beside it (NAME.js, made by scripts/release) that hands over its bytes.
'use strict';

(function () {
  const params = new URLSearchParams(location.search);
  const captureMode = params.has('at') || params.has('bench');
  const pageStart = performance.now();
  const panel = {
    progress: document.getElementById('progress'),
    message: document.getElementById('message'),
    start: document.getElementById('start'),
  };
  let program = null;

  function setState(state) {
    window.ombrelState = state;
    document.body.dataset.state = state;
  }
  function say(text) {
    panel.message.textContent = text;
  }
  // Runs start(), whose creation calls WebGPU validates only later, and waits for the verdict:
  // the error that start-up met, or null.
  async function startChecked(device, start) {
    device.pushErrorScope('out-of-memory');
    device.pushErrorScope('validation');
    const result = start();
    const validation = await device.popErrorScope();
    const memory = await device.popErrorScope();
    const error = validation || memory;
    return { result, error: error ? 'WebGPU: ' + error.message : null };
  }

  function fail(text) {
    setState('failed');
    say(text);
    console.error(text);
    if (captureMode) window.ombrelCapture = { done: true, error: text, frames: [], frameMs: [] };
  }

  window.ombrelState = 'loading';
  window.ombrelLog = function () {
    try {
      return new TextDecoder().decode(program.FS.readFile('log.txt'));
    } catch (error) {
      return '';
    }
  };
  window.ombrelPosition = function () {
    return program ? program._ombrel_position() : 0;
  };
  // The clock and rate of the sound the viewer hears, for the tests to hold the position against.
  window.ombrelAudioTime = function () {
    return program && program.audioContext ? program.audioContext.currentTime : 0;
  };
  window.ombrelAudioRate = function () {
    return program && program.audioContext ? program.audioContext.sampleRate : 0;
  };
  window.ombrelGpuErrors = [];

  function size(text, fallback) {
    const match = /^(\d+)x(\d+)$/.exec(text || '');
    return match ? [Number(match[1]), Number(match[2])] : fallback;
  }

  async function gpuDevice() {
    if (!navigator.gpu) return null;
    const adapter = await navigator.gpu.requestAdapter();
    if (!adapter) return null;
    const features = adapter.features.has('texture-compression-bc') ? ['texture-compression-bc'] : [];
    // The adapter's own limits, not WebGPU's defaults (8192 a side): the program checks its
    // sizes against them.
    const limits = {};
    for (const name of ['maxTextureDimension2D', 'maxBufferSize', 'maxStorageBufferBindingSize'])
      limits[name] = adapter.limits[name];
    const device = await adapter.requestDevice({ requiredFeatures: features, requiredLimits: limits });
    device.addEventListener('uncapturederror', (event) => {
      window.ombrelGpuErrors.push(event.error.message);
      console.error('WebGPU: ' + event.error.message);
    });
    return device;
  }

  const fromFiles = location.protocol === 'file:';
  const storedFiles = {};
  window.ombrelFile = (path, base64) => { storedFiles[path] = base64; };

  function loadScript(src) {
    return new Promise((resolve, reject) => {
      const element = document.createElement('script');
      element.src = src;
      element.onload = resolve;
      element.onerror = () => reject(new Error(src + ' could not be loaded'));
      document.head.appendChild(element);
    });
  }

  // The bytes of one file of the page's folder as stored; onBytes(n) follows the download.
  async function storedBytes(path, onBytes = () => {}) {
    if (fromFiles) {
      await loadScript(encodeURI(path) + '.js');
      const base64 = storedFiles[path];
      delete storedFiles[path];
      if (base64 === undefined) throw new Error(path + '.js holds no ' + path);
      const bytes = new Uint8Array(await (await fetch('data:;base64,' + base64)).arrayBuffer());
      onBytes(bytes.length);
      return bytes;
    }
    const response = await fetch(encodeURI(path));
    if (!response.ok) throw new Error(path + ': ' + response.status);
    const parts = [];
    const reader = response.body.getReader();
    for (;;) {
      const { done, value } = await reader.read();
      if (done) break;
      parts.push(value);
      onBytes(value.length);
    }
    return new Uint8Array(await new Blob(parts).arrayBuffer());
  }

  // A server may already have undone the gzip (Content-Encoding): then the bytes are the file.
  async function gunzip(bytes) {
    if (bytes[0] !== 0x1f || bytes[1] !== 0x8b) return bytes;
    const stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('gzip'));
    return new Uint8Array(await new Response(stream).arrayBuffer());
  }

  // Every file of data/ for the program's file system, the bar showing stored bytes so far.
  async function fetchData(files) {
    const total = files.reduce((sum, file) => sum + file.size, 0);
    let done = 0;
    const contents = {};
    for (const file of files) {
      const stored = await storedBytes('data/' + file.stored, (count) => {
        done += count;
        panel.progress.value = total ? Math.min(1, done / total) : 1;
      });
      contents[file.name] = await gunzip(stored);
    }
    return contents;
  }

  // The sample rate of an MP3's first frame (MPEG-1, 2 or 2.5 Layer III), so the music is decoded
  // at its own rate as the native builds decode it; 44100 where none is found.
  function mp3SampleRate(bytes) {
    let at = 0;
    if (bytes[0] === 0x49 && bytes[1] === 0x44 && bytes[2] === 0x33 && bytes.length >= 10)
      at = 10 + ((bytes[6] & 0x7f) << 21 | (bytes[7] & 0x7f) << 14 | (bytes[8] & 0x7f) << 7 | (bytes[9] & 0x7f));
    for (; at + 4 <= bytes.length; ++at) {
      if (bytes[at] !== 0xff || (bytes[at + 1] & 0xe0) !== 0xe0) continue;
      const version = (bytes[at + 1] >> 3) & 3; // 3: MPEG-1, 2: MPEG-2, 0: MPEG-2.5
      const layer3 = ((bytes[at + 1] >> 1) & 3) === 1;
      const rateIndex = (bytes[at + 2] >> 2) & 3;
      const bitrateIndex = bytes[at + 2] >> 4;
      if (version === 1 || !layer3 || rateIndex === 3 || bitrateIndex === 0 || bitrateIndex === 15)
        continue;
      return [44100, 48000, 32000][rateIndex] >> (version === 3 ? 0 : version === 2 ? 1 : 2);
    }
    return 44100;
  }

  function pngName(seconds) {
    return 'at-' + seconds.toFixed(3).padStart(7, '0') + '.png';
  }

  async function encodePng(image) {
    const pixels = new Uint8ClampedArray(image.pixels.buffer);
    for (let i = 3; i < pixels.length; i += 4) pixels[i] = 255;
    const canvas = new OffscreenCanvas(image.width, image.height);
    canvas.getContext('2d').putImageData(new ImageData(pixels, image.width, image.height), 0, 0);
    const bytes = new Uint8Array(await (await canvas.convertToBlob({ type: 'image/png' })).arrayBuffer());
    let text = '';
    for (let i = 0; i < bytes.length; i += 0x8000)
      text += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
    return btoa(text);
  }

  async function capture(device, loadMs) {
    const bench = params.has('bench');
    // The program checks the parameters as the capture tool checks its options.
    const { result: count, error } = await startChecked(device, () => program.ccall(
      'ombrel_capture_start', 'number', ['string', 'string', 'string', 'string', 'string', 'number'],
      [params.get('size'), params.get('fps'), params.get('from'), params.get('to'),
       params.get('at'), params.get('particles') === '0' ? 0 : 1]));
    if (!count) return fail('The capture could not start: ' + window.ombrelLog().trim().split('\n').pop());
    if (error) {
      program._ombrel_capture_stop();
      return fail('The capture could not start: ' + error);
    }
    setState('playing');
    const frames = [];
    const frameMs = [];
    let stepped = 0;
    const started = performance.now();
    for (;;) {
      const frameStart = performance.now();
      const result = program._ombrel_capture_next();
      if (result < 0) break;
      if (result === 0) {
        // Bounded work in flight while stepping, and the page stays responsive.
        if (++stepped % 16 === 0) await device.queue.onSubmittedWorkDone();
        continue;
      }
      await device.queue.onSubmittedWorkDone();
      frameMs.push(performance.now() - frameStart);
      if (!bench) {
        const seconds = program._ombrel_capture_time();
        const image = await program.readBackBuffer();
        frames.push({ name: pngName(seconds), time: seconds, png: await encodePng(image) });
      }
      say('Frame ' + frameMs.length + ' of ' + count);
    }
    program._ombrel_capture_stop();
    setState('ended');
    window.ombrelCapture = { done: true, error: window.ombrelGpuErrors[0] || null, frames, frameMs,
                             steppedFrames: stepped, seconds: (performance.now() - started) / 1000,
                             loadMs };
  }

  async function play(device, width, height) {
    const canvas = document.getElementById('screen');
    let running = true;
    function fitCanvas() {
      const scale = window.devicePixelRatio || 1;
      canvas.width = Math.max(1, Math.round(canvas.clientWidth * scale));
      canvas.height = Math.max(1, Math.round(canvas.clientHeight * scale));
    }
    function end() {
      if (!running) return;
      running = false;
      program._ombrel_stop();
      if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
      setState('ended');
      say('The end. Reload the page to watch again.');
      panel.start.hidden = true;
    }
    function frame() {
      if (!running) return;
      fitCanvas();
      if (program._ombrel_frame() === 0) return end();
      requestAnimationFrame(frame);
    }
    document.addEventListener('keydown', (event) => {
      if (event.key === 'Escape') end();
    });
    fitCanvas();
    const { result, error } = await startChecked(device, () => program._ombrel_start(width, height));
    if (result !== 0) {
      running = false;
      return fail(panel.message.textContent || 'The presentation could not start (see the console).');
    }
    if (!running) return; // ended while the verdict was awaited
    if (error) {
      running = false;
      program._ombrel_stop();
      return fail('The presentation could not start: ' + error);
    }
    setState('playing');
    requestAnimationFrame(frame);
  }

  async function main() {
    const device = await gpuDevice().catch(() => null);
    if (!device) {
      setState('no-webgpu');
      panel.progress.hidden = true;
      say('This browser has no WebGPU, which Ombrel draws with. Chrome or Edge 113 and later, ' +
          'Firefox 141 and later on Windows, or Safari 26 have it.');
      return;
    }
    const files = JSON.parse(new TextDecoder().decode(await storedBytes('data-files.json')));
    const contents = await fetchData(files);
    say('Decoding the music…');
    // Capturing plays nothing, so it needs no gesture: an offline context decodes alike.
    const rate = contents['music.mp3'] ? mp3SampleRate(contents['music.mp3']) : 44100;
    const audioContext = captureMode ? new OfflineAudioContext(2, 1, rate)
                                     : new AudioContext({ sampleRate: rate, latencyHint: 'playback' });
    const decodedAudio = {};
    if (contents['music.mp3']) {
      try {
        decodedAudio['data/music.mp3'] = await audioContext.decodeAudioData(contents['music.mp3'].slice().buffer);
      } catch (error) {
        console.error('data/music.mp3: ' + error.message);
      }
    }
    program = await createOmbrel({
      ...(fromFiles ? { wasmBinary: await storedBytes('ombrel.wasm') } : {}),
      gpuDevice: device,
      canvas: captureMode ? null : document.getElementById('screen'),
      audioContext: captureMode ? null : audioContext,
      decodedAudio,
      print: (line) => console.log(line),
      printErr: (line) => console.warn(line),
      onProgramError: (text, exitCode) => {
        if (exitCode === null) say(text);
        else fail(panel.message.textContent + ' (exit code ' + exitCode + ')');
      },
      onAbort: (what) => fail('The program stopped: ' + what),
    });
    program.FS.mkdir('data');
    for (const name of Object.keys(contents)) program.FS.writeFile('data/' + name, contents[name]);
    const loadMs = performance.now() - pageStart;
    window.ombrelTimings = { loadMs };
    panel.progress.hidden = true;
    if (captureMode) return capture(device, loadMs);

    const [width, height] = size(params.get('size'), [1920, 1080]);
    setState('ready');
    say('');
    panel.start.hidden = false;
    panel.start.addEventListener('click', () => {
      enterFullscreen();
      play(device, width, height);
    }, { once: true });
  }

  // Fullscreen unless ?fullscreen=0; ?display=N picks the screen through the Window Management
  // API, where the browser has it and the viewer allows it, else the page's own screen.
  async function enterFullscreen() {
    if (params.get('fullscreen') === '0' || !document.documentElement.requestFullscreen) return;
    const options = {};
    if (params.has('display') && window.getScreenDetails) {
      const display = Number(params.get('display'));
      try {
        const screen = (await window.getScreenDetails()).screens[display];
        if (screen) options.screen = screen;
        else console.warn('There is no screen ' + display + '; fullscreen on this one.');
      } catch (error) {
        console.warn('The screens could not be listed (' + error.message + '); fullscreen on this one.');
      }
    }
    document.documentElement.requestFullscreen(options).catch(() => {});
  }

  const script = document.createElement('script');
  script.src = 'ombrel.js';
  script.onload = () => main().catch((error) => fail('Loading failed: ' + error.message));
  script.onerror = () => fail('ombrel.js could not be loaded.');
  document.head.appendChild(script);
})();
