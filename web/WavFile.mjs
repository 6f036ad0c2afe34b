// WAV files as the page writes them for "Download processed file": the rendered channels at the
// file's rate and channel count, as 24-bit integers or 32-bit floats. The integers are rounded
// as tavine-render rounds them without dither (--no-dither): to the nearest step, halves up,
// and clipped to the format's range; floats are written as they are and never clip.

/** The file's bytes. `channels` are Float32Arrays of one length; `bits` is 24 or 32. Returns
    the bytes and how many samples were clipped (always 0 for floats). */
export function encodeWav (channels, sampleRate, bits)
{
    if (bits !== 24 && bits !== 32)
        throw new Error ("a WAV file of " + bits + "-bit samples is not one the page writes");

    const count = channels.length, frames = channels[0].length, width = bits / 8;
    const floats = bits === 32;
    const formatSize = 16, factSize = floats ? 12 : 0;
    const dataSize = frames * count * width;

    // A WAV file's sizes are 32-bit: past 4 GiB its header would lie about what it holds.
    if (12 + formatSize + factSize + 16 + dataSize > 0xffffffff)
        throw new Error ("the processed file would be longer than a WAV file can hold (4 GiB)");

    const bytes = new Uint8Array (12 + 8 + formatSize + factSize + 8 + dataSize + (dataSize & 1));
    const view = new DataView (bytes.buffer);
    let at = 0;

    const text = (s) => { for (const c of s) view.setUint8 (at++, c.charCodeAt (0)); };
    const u16 = (v) => { view.setUint16 (at, v, true); at += 2; };
    const u32 = (v) => { view.setUint32 (at, v, true); at += 4; };

    text ("RIFF"); u32 (bytes.length - 8); text ("WAVE");
    text ("fmt "); u32 (formatSize);
    u16 (floats ? 3 : 1); u16 (count); u32 (sampleRate); u32 (sampleRate * count * width); u16 (count * width); u16 (bits);

    // Files of floats say how many frames they hold, as the format asks of any but integers.
    if (floats)
    {
        text ("fact"); u32 (4); u32 (frames);
    }

    text ("data"); u32 (dataSize);

    const scale = 8388608, lowest = -8388608, highest = 8388607;
    let clipped = 0;

    for (let i = 0; i < frames; ++i)
    {
        for (let c = 0; c < count; ++c)
        {
            const sample = channels[c][i];

            if (floats)
            {
                view.setFloat32 (at, sample, true);
                at += 4;
                continue;
            }

            let step = Math.floor (sample * scale + 0.5);

            if (! (step >= lowest && step <= highest))
            {
                ++clipped;
                step = step < lowest ? lowest : highest;
            }

            view.setUint8 (at, step & 0xff);
            view.setUint8 (at + 1, (step >> 8) & 0xff);
            view.setUint8 (at + 2, (step >> 16) & 0xff);
            at += 3;
        }
    }

    return { bytes, clipped };
}
