// Translates a SPIR-V module (glslangValidator's output from our HLSL) into WGSL with naga.
// Usage: node spirv-to-wgsl.mjs IN.spv OUT.wgsl
import { parseSpirv, validate, writeWgsl } from 'naga-wasm';
import { readFileSync, renameSync, writeFileSync } from 'node:fs';

const [input, output] = process.argv.slice(2);
if (!input || !output) {
    console.error('usage: spirv-to-wgsl IN.spv OUT.wgsl');
    process.exit(2);
}
try {
    const module = parseSpirv(new Uint8Array(readFileSync(input)));
    const info = validate(module);
    const wgsl = writeWgsl(module, info);
    writeFileSync(output + '.tmp', wgsl);
    renameSync(output + '.tmp', output);
} catch (error) {
    console.error(`spirv-to-wgsl: ${input}: ${error.message ?? error}`);
    process.exit(1);
}
