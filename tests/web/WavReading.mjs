// The tests' reader of the WAV files tavine-render and the page write, for Node.js and the test
// pages alike: 32-bit floats as they are, 24-bit integers as numbers of steps.

/** The rate, the format and the channels of a WAV file's bytes (an ArrayBuffer). */
export function readWav (bytes)
{
    const view = new DataView (bytes);
    let format = null, data = null;

    for (let at = 12; at + 8 <= bytes.byteLength; )
    {
        const id = String.fromCharCode (...new Uint8Array (bytes, at, 4)), size = view.getUint32 (at + 4, true);

        if (id === 'fmt ')
            format = { tag: view.getUint16 (at + 8, true), channels: view.getUint16 (at + 10, true),
                       rate: view.getUint32 (at + 12, true), bits: view.getUint16 (at + 22, true) };
        else if (id === 'data')
            data = { at: at + 8, size };

        at += 8 + size + (size & 1);
    }

    if (format === null || data === null)
        throw new Error ('not a WAV file');

    const floats = format.bits === 32, width = format.bits / 8;

    if (! (floats ? format.tag === 3 : format.bits === 24 && format.tag === 1))
        throw new Error ('not a WAV file of floats or 24-bit integers: ' + JSON.stringify (format));

    const frames = data.size / width / format.channels;
    const channels = Array.from ({ length: format.channels }, () => (floats ? new Float32Array (frames) : new Int32Array (frames)));

    for (let i = 0; i < frames; ++i)
    {
        for (let c = 0; c < format.channels; ++c)
        {
            const at = data.at + (i * format.channels + c) * width;

            if (floats)
                channels[c][i] = view.getFloat32 (at, true);
            else
                channels[c][i] = ((view.getUint8 (at + 2) << 24) | (view.getUint8 (at + 1) << 16) | (view.getUint8 (at) << 8)) >> 8;
        }
    }

    return { rate: format.rate, format, channels };
}
