// The page's offline render, in a worker of its own so that the page stays responsive while a
// long file goes through: the whole file through the engine as tavine-render runs it, written
// as a WAV file. It reports its progress, and the window's ticks as the render passes them,
// so that the page shows the rings and the history move through the file.
//
// In:  { module: WebAssembly.Module, channels: [Float32Array], sampleRate, setting, bits }
// Out: { type: 'progress', share }, { type: 'tick', meters, history } as it goes, then
//      { type: 'done', bytes: ArrayBuffer, clipped, meters, history } or { type: 'error', message }.

import { loadTavine, renderOffline } from './TavineEngine.mjs';
import { encodeWav } from './WavFile.mjs';

self.onmessage = async ({ data }) => {
    try
    {
        const module = await loadTavine (data.module);
        const result = renderOffline (module, data.channels, data.sampleRate, data.setting, {
            onProgress: share => self.postMessage ({ type: 'progress', share }),
            onTick: (meters, history) => self.postMessage ({ type: 'tick', meters, history }),
        });
        const file = encodeWav (result.channels, data.sampleRate, data.bits);
        self.postMessage ({ type: 'done', bytes: file.bytes.buffer, clipped: file.clipped, meters: result.meters, history: result.history },
                         [file.bytes.buffer]);
    }
    catch (error)
    {
        self.postMessage ({ type: 'error', message: String (error?.message ?? error) });
    }
};
