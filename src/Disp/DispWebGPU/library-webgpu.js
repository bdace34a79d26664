// The display device's calls on WebGPU, for the C++ back end (src/Disp/DispWebGPU). Direct3D 11's
// immediate context is kept as state here and turned into passes of one command encoder a frame:
// a render pass opens at the first draw after its targets are set and closes before a dispatch or
// a new target. Constant blocks are copied into a per-frame arena and bound by offset, so every
// draw sees the block as it was when it was drawn, as on Direct3D.
'use strict';

var LibraryOmbrelWebGpu = {
  $OG: {
    device: null,
    objects: [null], // id -> record; 0 names nothing
    alive: 0,        // records the C++ side made and has not released
    // What the immediate context holds.
    programs: { vertex: 0, pixel: 0 },
    inputLayout: [],  // components of each element of input slot 0
    vertexBuffer: { id: 0, stride: 0 },
    indexBuffer: 0,
    textureSlots: [],
    uniformSlots: [],
    storageSlots: {}, // binding -> buffer id
    target: { color: 0, depth: 0 },
    viewport: null,
    clearPending: false,
    encoder: null,
    pass: null,
    // Constant block arena of the frame being recorded.
    arena: null,
    arenaBytes: null,
    arenaUsed: 0,
    arenaEpoch: 1,
    // Device-owned helpers.
    sampler: null,
    empty2d: null,
    emptyCube: null,
    pipelines: null, // Maps, made by init: a library object is written out as its source
    layouts: null,
    canvas: null,
    canvasContext: null,
    presenter: null,
    backBuffer: 0,

    ARENA_SIZE: 4 << 20,
    ALIGN: 256,
    CLEAR: { r: 0.012, g: 0.012, b: 0.012, a: 1.0 },

    formats: ['rgba8unorm', 'rgb10a2unorm', null, 'r8unorm', 'rgba16float', 'rg16float',
              'rgba32float', null, 'rg32float', 'r32float', 'bc1-rgba-unorm', 'bc3-rgba-unorm',
              'bc5-rg-unorm', 'depth24plus-stencil8', 'depth32float'],
    blockFormats: [10, 11, 12],

    add: function(record) {
      OG.objects.push(record);
      OG.alive++;
      return OG.objects.length - 1;
    },
    get: function(id) {
      return id > 0 && id < OG.objects.length ? OG.objects[id] : null;
    },

    // Bindings and vertex inputs of a WGSL program as naga writes them from our SPIR-V.
    reflect: function(code) {
      var bindings = [];
      var pattern = /@group\(0\)\s*@binding\((\d+)\)\s*var(<[^>]*>)?\s+\w+\s*:\s*([\w<>, ]+?)\s*;/g;
      var match;
      while ((match = pattern.exec(code)) !== null) {
        var binding = Number(match[1]);
        var space = match[2] || '';
        var type = match[3];
        var kind;
        if (space.indexOf('uniform') >= 0) kind = 'uniform';
        else if (space.indexOf('read_write') >= 0) kind = 'storage';
        else if (space.indexOf('storage') >= 0) kind = 'read-only-storage';
        else if (type.indexOf('sampler') === 0) kind = 'sampler';
        else if (type.indexOf('texture_cube') === 0) kind = 'cube';
        else kind = '2d';
        bindings.push({ binding: binding, kind: kind });
      }
      var inputs = [];
      var entry = /@vertex\s*fn\s+main\s*\(([\s\S]*?)\)\s*->/.exec(code);
      if (entry) {
        var locations = /@location\((\d+)\)/g;
        while ((match = locations.exec(entry[1])) !== null) inputs.push(Number(match[1]));
      }
      return { bindings: bindings, inputs: inputs };
    },

    bindGroupLayout: function(programs) {
      var key = programs.map(function(p) { return p.id; }).join(',');
      var cached = OG.layouts.get(key);
      if (cached) return cached;
      var byBinding = new Map();
      programs.forEach(function(program) {
        program.bindings.forEach(function(b) {
          var entry = byBinding.get(b.binding);
          if (!entry) {
            entry = { binding: b.binding, visibility: 0, kind: b.kind };
            byBinding.set(b.binding, entry);
          }
          entry.visibility |= program.visibility;
        });
      });
      var entries = [];
      var kinds = [];
      byBinding.forEach(function(e) {
        var layout = { binding: e.binding, visibility: e.visibility };
        if (e.kind === 'uniform') layout.buffer = { type: 'uniform' };
        else if (e.kind === 'storage' || e.kind === 'read-only-storage') layout.buffer = { type: e.kind };
        else if (e.kind === 'sampler') layout.sampler = { type: 'filtering' };
        else layout.texture = { sampleType: 'float', viewDimension: e.kind };
        entries.push(layout);
        kinds.push({ binding: e.binding, kind: e.kind });
      });
      var group = OG.device.createBindGroupLayout({ entries: entries });
      var result = {
        group: group,
        pipeline: OG.device.createPipelineLayout({ bindGroupLayouts: [group] }),
        kinds: kinds,
      };
      OG.layouts.set(key, result);
      return result;
    },

    // The constant block's bytes as they are now, in this frame's arena.
    uniformBinding: function(id) {
      var block = OG.get(id);
      if (!block) return null;
      if (block.epoch !== OG.arenaEpoch) {
        OG.arenaBytes.set(block.bytes, OG.arenaUsed);
        block.offset = OG.arenaUsed;
        block.epoch = OG.arenaEpoch;
        OG.arenaUsed += Math.ceil(block.size / OG.ALIGN) * OG.ALIGN;
      }
      return { buffer: OG.arena, offset: block.offset, size: block.size };
    },

    bindGroup: function(layout) {
      // Room for every block of one draw, so that all its offsets are of one arena's contents.
      if (OG.arenaUsed + 16 * OG.ALIGN > OG.ARENA_SIZE) OG.submit();
      var entries = [];
      for (var i = 0; i < layout.kinds.length; ++i) {
        var b = layout.kinds[i].binding;
        var kind = layout.kinds[i].kind;
        var resource;
        if (kind === 'uniform') {
          resource = OG.uniformBinding(OG.uniformSlots[b] || 0);
          if (!resource) return null; // Direct3D would read zeros; nothing here draws that way
        } else if (kind === 'storage' || kind === 'read-only-storage') {
          var buffer = OG.get(OG.storageSlots[b] || 0);
          if (!buffer) return null;
          resource = { buffer: buffer.buffer };
        } else if (kind === 'sampler') {
          resource = OG.sampler;
        } else {
          // An empty slot, or a view of the other dimension, reads zeros as on Direct3D.
          var texture = OG.get(OG.textureSlots[b - 10] || 0);
          resource = texture && texture.dimension === kind ? texture.view
                   : (kind === 'cube' ? OG.emptyCube : OG.empty2d);
        }
        entries.push({ binding: b, resource: resource });
      }
      return OG.device.createBindGroup({ layout: layout.group, entries: entries });
    },

    endPass: function() {
      if (!OG.pass && OG.clearPending) OG.beginPass(); // a cleared target with nothing drawn
      if (OG.pass) {
        OG.pass.end();
        OG.pass = null;
      }
    },

    beginPass: function() {
      var color = OG.get(OG.target.color);
      var depth = OG.get(OG.target.depth);
      var load = OG.clearPending ? 'clear' : 'load';
      OG.clearPending = false;
      var desc = { colorAttachments: [] };
      if (color) {
        desc.colorAttachments.push({ view: color.view, loadOp: load, storeOp: 'store',
                                     clearValue: OG.CLEAR });
      }
      if (depth) {
        desc.depthStencilAttachment = { view: depth.view, depthLoadOp: load, depthStoreOp: 'store',
                                        depthClearValue: 1.0 };
        if (depth.format === 'depth24plus-stencil8') {
          desc.depthStencilAttachment.stencilLoadOp = load;
          desc.depthStencilAttachment.stencilStoreOp = 'store';
          desc.depthStencilAttachment.stencilClearValue = 0;
        }
      }
      if (!color && !depth) return null;
      OG.pass = OG.encoder.beginRenderPass(desc);
      var size = color || depth;
      var v = OG.viewport || { x: 0, y: 0, width: size.width, height: size.height };
      // WebGPU refuses a viewport outside the target; Direct3D clips to it.
      var x = Math.max(0, Math.min(v.x, size.width));
      var y = Math.max(0, Math.min(v.y, size.height));
      OG.pass.setViewport(x, y, Math.max(0, Math.min(v.width, size.width - x)),
                          Math.max(0, Math.min(v.height, size.height - y)), 0, 1);
      return OG.pass;
    },

    // Everything recorded so far goes to the GPU; recording goes on in a new encoder, where the
    // next draw opens a pass that keeps what the targets hold.
    submit: function() {
      OG.endPass();
      if (OG.arenaUsed > 0) OG.device.queue.writeBuffer(OG.arena, 0, OG.arenaBytes, 0, OG.arenaUsed);
      OG.device.queue.submit([OG.encoder.finish()]);
      OG.encoder = OG.device.createCommandEncoder();
      OG.arenaUsed = 0;
      OG.arenaEpoch++;
    },

    renderPipeline: function(topology) {
      var vs = OG.get(OG.programs.vertex);
      var ps = OG.get(OG.programs.pixel);
      var color = OG.get(OG.target.color);
      var depth = OG.get(OG.target.depth);
      if (!vs || !ps) return null;
      var stride = vs.inputs.length > 0 ? OG.vertexBuffer.stride : 0;
      var layoutKey = vs.inputs.length > 0 ? OG.inputLayout.join('.') : '';
      var key = [vs.id, ps.id, topology, stride, layoutKey, color ? color.format : '-',
                 depth ? depth.format : '-'].join('|');
      var cached = OG.pipelines.get(key);
      if (cached) return cached;
      var layout = OG.bindGroupLayout([vs, ps]);
      var buffers = [];
      if (vs.inputs.length > 0) {
        var attributes = [];
        vs.inputs.forEach(function(location) {
          var offset = 0;
          for (var i = 0; i < location && i < OG.inputLayout.length; ++i) offset += OG.inputLayout[i] * 4;
          var components = OG.inputLayout[location] || 4;
          attributes.push({ shaderLocation: location, offset: offset,
                            format: components === 1 ? 'float32' : 'float32x' + components });
        });
        buffers.push({ arrayStride: stride, attributes: attributes });
      }
      var desc = {
        layout: layout.pipeline,
        vertex: { module: vs.module, entryPoint: 'main', buffers: buffers },
        fragment: { module: ps.module, entryPoint: 'main',
                    targets: color ? [{ format: color.format }] : [] },
        primitive: { topology: ['triangle-list', 'triangle-strip', 'point-list'][topology],
                     cullMode: 'none' },
      };
      if (depth) {
        desc.depthStencil = { format: depth.format, depthWriteEnabled: true, depthCompare: 'less' };
      }
      cached = { pipeline: OG.device.createRenderPipeline(desc), layout: layout };
      OG.pipelines.set(key, cached);
      return cached;
    },

    // The pass, pipeline and bindings of a draw; false where Direct3D would draw nothing.
    prepareDraw: function(topology) {
      var pipeline = OG.renderPipeline(topology);
      if (!pipeline) return false;
      var group = OG.bindGroup(pipeline.layout); // may submit, which ends the pass
      if (!group) return false;
      var pass = OG.pass || OG.beginPass();
      if (!pass) return false;
      pass.setPipeline(pipeline.pipeline);
      pass.setBindGroup(0, group);
      return true;
    },

    createTexture: function(width, height, format, levels, layers, usage, dimension) {
      var texture = OG.device.createTexture({
        size: { width: width, height: height, depthOrArrayLayers: layers },
        format: format,
        mipLevelCount: levels,
        usage: usage,
      });
      return {
        texture: texture,
        view: texture.createView({ dimension: dimension }),
        format: format, width: width, height: height, dimension: dimension,
      };
    },

    // The back buffer into the canvas, upright, scaled to fit it with black bars.
    presentToCanvas: function(backBuffer) {
      var canvas = OG.canvas;
      var width = canvas.width;
      var height = canvas.height;
      if (!OG.presenter) {
        var module = OG.device.createShaderModule({ code: [
          '@group(0) @binding(0) var image: texture_2d<f32>;',
          '@group(0) @binding(1) var linear: sampler;',
          'struct Corner { @builtin(position) position: vec4<f32>, @location(0) uv: vec2<f32> }',
          '@vertex fn corner(@builtin(vertex_index) id: u32) -> Corner {',
          '  let x = f32(id >> 1u) * 2.0 - 1.0; let y = f32(id & 1u) * 2.0 - 1.0;',
          '  return Corner(vec4<f32>(x, y, 0.0, 1.0), vec2<f32>(0.5 * x + 0.5, 0.5 - 0.5 * y)); }',
          '@fragment fn copy(in: Corner) -> @location(0) vec4<f32> {',
          '  return vec4<f32>(textureSample(image, linear, in.uv).rgb, 1.0); }',
        ].join('\n') });
        OG.presenter = OG.device.createRenderPipeline({
          layout: 'auto',
          vertex: { module: module, entryPoint: 'corner' },
          fragment: { module: module, entryPoint: 'copy', targets: [{ format: OG.canvasFormat }] },
          primitive: { topology: 'triangle-strip' },
        });
      }
      var scale = Math.min(width / backBuffer.width, height / backBuffer.height);
      var w = Math.max(1, Math.round(backBuffer.width * scale));
      var h = Math.max(1, Math.round(backBuffer.height * scale));
      var pass = OG.encoder.beginRenderPass({ colorAttachments: [{
        view: OG.canvasContext.getCurrentTexture().createView(), loadOp: 'clear', storeOp: 'store',
        clearValue: { r: 0, g: 0, b: 0, a: 1 } }] });
      pass.setPipeline(OG.presenter);
      pass.setBindGroup(0, OG.device.createBindGroup({ layout: OG.presenter.getBindGroupLayout(0),
        entries: [{ binding: 0, resource: backBuffer.view }, { binding: 1, resource: OG.sampler }] }));
      pass.setViewport(Math.floor((width - w) / 2), Math.floor((height - h) / 2), w, h, 0, 1);
      pass.draw(4);
      pass.end();
    },

    // The back buffer's pixels, RGBA top row first; after the frame has been submitted.
    readBackBuffer: function() {
      var record = OG.get(OG.backBuffer);
      if (!record) return Promise.resolve(null);
      var rowBytes = record.width * 4;
      var pitch = Math.ceil(rowBytes / 256) * 256;
      var buffer = OG.device.createBuffer({ size: pitch * record.height,
        usage: GPUBufferUsage.COPY_DST | GPUBufferUsage.MAP_READ });
      var encoder = OG.device.createCommandEncoder();
      encoder.copyTextureToBuffer({ texture: record.texture },
        { buffer: buffer, bytesPerRow: pitch, rowsPerImage: record.height },
        { width: record.width, height: record.height });
      OG.device.queue.submit([encoder.finish()]);
      return buffer.mapAsync(GPUMapMode.READ).then(function() {
        var padded = new Uint8Array(buffer.getMappedRange());
        var pixels = new Uint8Array(rowBytes * record.height);
        for (var row = 0; row < record.height; ++row)
          pixels.set(padded.subarray(row * pitch, row * pitch + rowBytes), row * rowBytes);
        buffer.unmap();
        buffer.destroy();
        return { width: record.width, height: record.height, pixels: pixels };
      });
    },
  },

  // The back buffer's id on the device the page obtained, 0 without one; with no canvas (capture)
  // nothing is presented.
  ombrel_gpu_init: function(width, height, format) {
    var device = Module['gpuDevice'];
    if (!device) return 0;
    OG.device = device;
    OG.pipelines = new Map();
    OG.layouts = new Map();
    OG.encoder = device.createCommandEncoder();
    OG.arena = device.createBuffer({ size: OG.ARENA_SIZE,
      usage: GPUBufferUsage.UNIFORM | GPUBufferUsage.COPY_DST });
    OG.arenaBytes = new Uint8Array(OG.ARENA_SIZE);
    // Direct3D's default sampler: linear min/mag/mip, clamped u, v and w.
    OG.sampler = device.createSampler({ magFilter: 'linear', minFilter: 'linear',
      mipmapFilter: 'linear', addressModeU: 'clamp-to-edge', addressModeV: 'clamp-to-edge',
      addressModeW: 'clamp-to-edge' });
    var usage = GPUTextureUsage.TEXTURE_BINDING | GPUTextureUsage.COPY_DST;
    var zeros = new Uint8Array(4);
    var flat = device.createTexture({ size: [1, 1, 1], format: 'rgba8unorm', usage: usage });
    device.queue.writeTexture({ texture: flat }, zeros, { bytesPerRow: 4 }, [1, 1]);
    OG.empty2d = flat.createView();
    var cube = device.createTexture({ size: [1, 1, 6], format: 'rgba8unorm', usage: usage });
    for (var face = 0; face < 6; ++face)
      device.queue.writeTexture({ texture: cube, origin: [0, 0, face] }, zeros, { bytesPerRow: 4 }, [1, 1]);
    OG.emptyCube = cube.createView({ dimension: 'cube' });
    Module['readBackBuffer'] = OG.readBackBuffer;
    OG.canvas = Module['canvas'] || null;
    if (OG.canvas) {
      OG.canvasContext = OG.canvas.getContext('webgpu');
      OG.canvasFormat = navigator.gpu.getPreferredCanvasFormat();
      OG.canvasContext.configure({ device: device, format: OG.canvasFormat, alphaMode: 'opaque' });
    }
    var record = OG.createTexture(width, height, OG.formats[format], 1, 1,
      GPUTextureUsage.RENDER_ATTACHMENT | GPUTextureUsage.TEXTURE_BINDING | GPUTextureUsage.COPY_SRC,
      '2d');
    OG.backBuffer = OG.add(record);
    return OG.backBuffer;
  },

  // The largest texture side the device takes (the page asks for the adapter's own limit); 0
  // without a device.
  ombrel_gpu_max_texture_side: function() {
    var device = Module['gpuDevice'];
    return device ? device.limits.maxTextureDimension2D : 0;
  },

  // Releases the device's own objects; the number of the caller's still alive.
  ombrel_gpu_shutdown: function() {
    OG.endPass();
    OG.device.queue.submit([OG.encoder.finish()]);
    OG.encoder = null;
    OG.arena.destroy();
    OG.pipelines.clear();
    OG.layouts.clear();
    OG.presenter = null;
    if (OG.canvasContext) OG.canvasContext.unconfigure();
    var alive = OG.alive;
    OG.objects = [null];
    OG.alive = 0;
    return alive;
  },

  ombrel_gpu_release: function(id) {
    var record = OG.get(id);
    if (!record) return;
    if (record.texture || record.buffer) {
      // Commands recorded with it must reach the GPU before it goes; and no pass may reopen on it.
      OG.submit();
      if (OG.target.color === id) OG.target.color = 0;
      if (OG.target.depth === id) OG.target.depth = 0;
      if (record.texture) record.texture.destroy();
      if (record.buffer) record.buffer.destroy();
    }
    OG.objects[id] = null;
    OG.alive--;
    for (var slot = 0; slot < OG.textureSlots.length; ++slot)
      if (OG.textureSlots[slot] === id) OG.textureSlots[slot] = 0;
  },

  ombrel_gpu_set_viewport: function(x, y, width, height) {
    OG.viewport = { x: x, y: y, width: width, height: height };
    if (OG.pass) {
      OG.endPass();
      OG.beginPass();
    }
  },

  // Binds and clears the targets; textures that become targets leave the pixel slots first.
  ombrel_gpu_set_render_target: function(color, depth) {
    OG.endPass();
    for (var slot = 0; slot < OG.textureSlots.length; ++slot)
      if (OG.textureSlots[slot] && (OG.textureSlots[slot] === color || OG.textureSlots[slot] === depth))
        OG.textureSlots[slot] = 0;
    OG.target = { color: color, depth: depth };
    OG.clearPending = true;
  },

  // kind: 0 sampled, 1 render target (sampled too), 2 depth target. Entries: faces × levels of
  // {offset, size, rowPitch, width, height} into data. 0 when WebGPU has no such format.
  ombrel_gpu_create_texture: function(width, height, format, levels, cube, kind, data, entries,
                                      faces, levelsPerFace) {
    var gpuFormat = OG.formats[format];
    if (!gpuFormat) return 0;
    if (OG.blockFormats.indexOf(format) >= 0 && !OG.device.features.has('texture-compression-bc'))
      return 0;
    var usage = GPUTextureUsage.COPY_DST;
    if (kind === 0 || kind === 1) usage |= GPUTextureUsage.TEXTURE_BINDING;
    if (kind === 1 || kind === 2) usage |= GPUTextureUsage.RENDER_ATTACHMENT;
    var record;
    try {
      record = OG.createTexture(width, height, gpuFormat, levels, cube ? 6 : 1, usage,
                                kind === 2 ? '2d' : (cube ? 'cube' : '2d'));
    } catch (error) {
      return 0;
    }
    if (data) {
      var table = HEAPU32.subarray(entries >> 2, (entries >> 2) + faces * levelsPerFace * 5);
      for (var face = 0; face < faces; ++face) {
        for (var level = 0; level < levelsPerFace && level < levels; ++level) {
          var e = (face * levelsPerFace + level) * 5;
          var offset = table[e], size = table[e + 1], pitch = table[e + 2];
          var w = table[e + 3], h = table[e + 4];
          var bytes = HEAPU8.subarray(data + offset, data + offset + size);
          var block = OG.blockFormats.indexOf(format) >= 0 ? 4 : 1;
          OG.device.queue.writeTexture(
            { texture: record.texture, mipLevel: level, origin: [0, 0, face] }, bytes,
            { bytesPerRow: pitch, rowsPerImage: Math.ceil(h / block) },
            [Math.ceil(w / block) * block, Math.ceil(h / block) * block, 1]);
        }
      }
    }
    return OG.add(record);
  },

  ombrel_gpu_bind_texture: function(slot, id) {
    OG.textureSlots[slot] = id;
  },

  // usage: 0 vertex, 1 index, 2 storage. The bytes are copied; the buffer never changes again
  // from the CPU.
  ombrel_gpu_create_buffer: function(usage, data, size) {
    var flags = [GPUBufferUsage.VERTEX, GPUBufferUsage.INDEX, GPUBufferUsage.STORAGE][usage];
    // WebGPU reports a buffer past its limits only later, as a validation error.
    if (size > OG.device.limits.maxBufferSize ||
        (usage === 2 && size > OG.device.limits.maxStorageBufferBindingSize))
      return 0;
    var buffer;
    try {
      buffer = OG.device.createBuffer({ size: Math.ceil(size / 4) * 4, usage: flags,
                                        mappedAtCreation: true });
    } catch (error) {
      return 0;
    }
    new Uint8Array(buffer.getMappedRange()).set(HEAPU8.subarray(data, data + size));
    buffer.unmap();
    return OG.add({ buffer: buffer, size: size });
  },

  ombrel_gpu_create_uniform: function(size) {
    return OG.add({ size: size, bytes: new Uint8Array(size), offset: 0, epoch: 0 });
  },

  ombrel_gpu_write_uniform: function(id, data) {
    var block = OG.get(id);
    if (!block) return;
    block.bytes.set(HEAPU8.subarray(data, data + block.size));
    block.epoch = 0;
  },

  ombrel_gpu_bind_uniform: function(slot, id) {
    OG.uniformSlots[slot] = id;
  },

  ombrel_gpu_bind_storage: function(binding, id) {
    OG.storageSlots[binding] = id;
  },

  // stage: 0 vertex, 1 pixel, 2 compute. Returns the program's id; its inputs come from
  // ombrel_gpu_program_inputs.
  ombrel_gpu_create_program: function(stage, text) {
    var code = UTF8ToString(text);
    if (code.length === 0) return 0;
    var reflected = OG.reflect(code);
    var record = {
      module: OG.device.createShaderModule({ code: code }),
      bindings: reflected.bindings,
      inputs: reflected.inputs,
      visibility: [GPUShaderStage.VERTEX, GPUShaderStage.FRAGMENT, GPUShaderStage.COMPUTE][stage],
      pipeline: null,
    };
    record.id = OG.add(record);
    return record.id;
  },

  // One more than the highest vertex input location the program reads; 0 for none.
  ombrel_gpu_program_inputs: function(id) {
    var program = OG.get(id);
    if (!program) return 0;
    return program.inputs.reduce(function(most, l) { return Math.max(most, l + 1); }, 0);
  },

  ombrel_gpu_use_programs: function(vertex, pixel) {
    if (vertex) OG.programs.vertex = vertex;
    if (pixel) OG.programs.pixel = pixel;
  },

  ombrel_gpu_set_input_layout: function(components, count) {
    OG.inputLayout = Array.from(HEAPU32.subarray(components >> 2, (components >> 2) + count));
  },

  ombrel_gpu_set_vertex_buffer: function(id, stride) {
    OG.vertexBuffer = { id: id, stride: stride };
  },

  ombrel_gpu_set_index_buffer: function(id) {
    OG.indexBuffer = id;
  },

  // topology: 0 triangle list, 1 triangle strip, 2 points.
  ombrel_gpu_draw: function(count, start, topology) {
    var vs = OG.get(OG.programs.vertex);
    var vertices = vs && vs.inputs.length > 0 ? OG.get(OG.vertexBuffer.id) : null;
    if (vs && vs.inputs.length > 0 && !vertices) return;
    if (!OG.prepareDraw(topology)) return;
    if (vertices) OG.pass.setVertexBuffer(0, vertices.buffer);
    OG.pass.draw(count, 1, start, 0);
  },

  ombrel_gpu_draw_indexed: function(count) {
    var vertices = OG.get(OG.vertexBuffer.id);
    var indices = OG.get(OG.indexBuffer);
    if (!vertices || !indices) return;
    if (!OG.prepareDraw(0)) return;
    OG.pass.setVertexBuffer(0, vertices.buffer);
    OG.pass.setIndexBuffer(indices.buffer, 'uint16', 0, Math.ceil(indices.size / 4) * 4);
    OG.pass.drawIndexed(count, 1, 0, 0, 0);
  },

  ombrel_gpu_dispatch: function(program, groups) {
    var cs = OG.get(program);
    if (!cs) return;
    if (!cs.pipeline) {
      cs.layout = OG.bindGroupLayout([cs]);
      cs.pipeline = OG.device.createComputePipeline({ layout: cs.layout.pipeline,
        compute: { module: cs.module, entryPoint: 'main' } });
    }
    var group = OG.bindGroup(cs.layout);
    if (!group) return;
    OG.endPass(); // a pending clear happens now; the next draw loads what is there
    var pass = OG.encoder.beginComputePass();
    pass.setPipeline(cs.pipeline);
    pass.setBindGroup(0, group);
    pass.dispatchWorkgroups(groups, 1, 1);
    pass.end();
  },

  // Submits the frame and shows the back buffer where the page has a canvas.
  ombrel_gpu_present: function() {
    OG.endPass();
    var backBuffer = OG.get(OG.backBuffer);
    if (OG.canvasContext && backBuffer) OG.presentToCanvas(backBuffer);
    OG.submit();
  },

  ombrel_gpu_flush: function() {
    OG.submit();
  },
};

autoAddDeps(LibraryOmbrelWebGpu, '$OG');
mergeInto(LibraryManager.library, LibraryOmbrelWebGpu);
