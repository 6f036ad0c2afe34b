// The sample rate an audio file was made at, read from its container. A browser decodes a file
// at the rate of the audio context it is handed to, resampling it otherwise; the page decodes
// each file at its own rate, so that Tavine processes the samples the file holds and the
// processed file comes out at the rate it came in at, as tavine-render's does.
//
// Reads WAV (RIFF, RIFX, RF64, BW64), AIFF and AIFF-C, CAF, FLAC, Ogg (Vorbis, Opus, FLAC),
// MP3, AAC (ADTS) and MP4/M4A. Returns { format, sampleRate }, or null when the bytes are none
// of these or their header is damaged: the page then decodes at a rate of its own choosing.

const ascii = (view, at, length) => at + length <= view.byteLength
    ? String.fromCharCode (...new Uint8Array (view.buffer, view.byteOffset + at, length)) : '';

const plausible = rate => Number.isFinite (rate) && rate >= 1000 && rate <= 768000 ? Math.round (rate) : null;

function wave (view)
{
    const form = ascii (view, 0, 4);
    const littleEndian = form !== 'RIFX';

    if (! ['RIFF', 'RIFX', 'RF64', 'BW64'].includes (form) || ascii (view, 8, 4) !== 'WAVE')
        return undefined;

    for (let at = 12; at + 8 <= view.byteLength;)
    {
        const size = view.getUint32 (at + 4, littleEndian);

        if (ascii (view, at, 4) === 'fmt ')
            return at + 16 <= view.byteLength ? plausible (view.getUint32 (at + 12, littleEndian)) : null;

        // RF64's sizes of 0xffffffff stand for sizes in its ds64 chunk; the format comes before
        // the data in every file a player reads, so such a chunk ends the search.
        if (size === 0xffffffff)
            return null;

        at += 8 + size + (size & 1);
    }

    return null;
}

// An 80-bit extended float, as AIFF stores its rate.
function extended (view, at)
{
    const exponent = view.getUint16 (at) & 0x7fff;
    const mantissa = view.getUint32 (at + 2) * 2 ** 32 + view.getUint32 (at + 6);
    return mantissa * 2 ** (exponent - 16383 - 63);
}

function aiff (view)
{
    if (ascii (view, 0, 4) !== 'FORM' || ! ['AIFF', 'AIFC'].includes (ascii (view, 8, 4)))
        return undefined;

    for (let at = 12; at + 8 <= view.byteLength;)
    {
        const size = view.getUint32 (at + 4);

        if (ascii (view, at, 4) === 'COMM')
            return at + 26 <= view.byteLength ? plausible (extended (view, at + 16)) : null;

        at += 8 + size + (size & 1);
    }

    return null;
}

function caf (view)
{
    if (ascii (view, 0, 4) !== 'caff')
        return undefined;

    // The description chunk comes first: its first field is the rate, a 64-bit float.
    return ascii (view, 8, 4) === 'desc' && view.byteLength >= 28 ? plausible (view.getFloat64 (20)) : null;
}

// FLAC's STREAMINFO block, whose rate is the first 20 bits at its byte 10.
function streamInfoRate (view, at)
{
    if (at + 13 > view.byteLength)
        return null;

    return plausible ((view.getUint8 (at + 10) << 12) | (view.getUint8 (at + 11) << 4) | (view.getUint8 (at + 12) >> 4));
}

function flac (view)
{
    if (ascii (view, 0, 4) !== 'fLaC')
        return undefined;

    return (view.getUint8 (4) & 0x7f) === 0 ? streamInfoRate (view, 8) : null;
}

function ogg (view)
{
    if (ascii (view, 0, 4) !== 'OggS' || view.byteLength < 27)
        return undefined;

    // The first page holds the first packet alone: the stream's identification header.
    const segments = view.getUint8 (26);
    const packet = 27 + segments;

    if (ascii (view, packet + 1, 6) === 'vorbis' && view.getUint8 (packet) === 1)
        return packet + 16 <= view.byteLength ? plausible (view.getUint32 (packet + 12, true)) : null;

    // Opus always decodes at 48 kHz; its header's rate only says what the source was.
    if (ascii (view, packet, 8) === 'OpusHead')
        return 48000;

    // FLAC in Ogg: "\x7fFLAC", a version, a header count and "fLaC", then STREAMINFO.
    if (ascii (view, packet + 1, 4) === 'FLAC' && ascii (view, packet + 9, 4) === 'fLaC')
        return streamInfoRate (view, packet + 17);

    return null;
}

const mpegRates = [[11025, 12000, 8000], null, [22050, 24000, 16000], [44100, 48000, 32000]];

// An MPEG audio frame header at `at`: its rate and its length in bytes, or null.
function mpegFrame (view, at)
{
    if (at + 4 > view.byteLength)
        return null;

    const header = view.getUint32 (at);
    const version = (header >>> 19) & 3, layer = (header >>> 17) & 3, bitrateIndex = (header >>> 12) & 15;
    const rateIndex = (header >>> 10) & 3, padding = (header >>> 9) & 1;

    if ((header >>> 21) !== 0x7ff || version === 1 || layer === 0 || bitrateIndex === 0 || bitrateIndex === 15 || rateIndex === 3)
        return null;

    const rate = mpegRates[version][rateIndex];
    const bitrates = {
        3: [32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320], // MPEG 1, layer III
        2: [32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384], // MPEG 1, layer II
        1: [32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448], // MPEG 1, layer I
        low: [8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160], // MPEG 2 and 2.5, layers II and III
        lowI: [32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256], // MPEG 2 and 2.5, layer I
    };
    const table = version === 3 ? bitrates[4 - layer] : (layer === 3 ? bitrates.lowI : bitrates.low);
    const bitrate = table[bitrateIndex - 1] * 1000;
    const length = layer === 3 ? (Math.trunc (12 * bitrate / rate) + padding) * 4
                               : Math.trunc ((layer === 1 && version !== 3 ? 72 : 144) * bitrate / rate) + padding;
    return { rate, length };
}

function mp3 (view)
{
    let at = 0;

    // ID3v2 tags come first, each with a sync-safe size.
    while (ascii (view, at, 3) === 'ID3' && at + 10 <= view.byteLength)
        at += 10 + ((view.getUint8 (at + 6) << 21) | (view.getUint8 (at + 7) << 14) | (view.getUint8 (at + 8) << 7) | view.getUint8 (at + 9))
              + ((view.getUint8 (at + 5) & 0x10) !== 0 ? 10 : 0);

    // Two frames in a row at the same rate tell an MP3 from bytes that happen to look like a
    // header; a file of one frame is taken on its own.
    const first = mpegFrame (view, at);

    if (first === null)
        return undefined;

    const second = mpegFrame (view, at + first.length);

    if (second !== null ? second.rate !== first.rate : at + first.length < view.byteLength)
        return undefined;

    return first.rate;
}

const adtsRates = [96000, 88200, 64000, 48000, 44100, 32000, 24000, 22050, 16000, 12000, 11025, 8000, 7350];

function adts (view)
{
    if (view.byteLength < 7 || (view.getUint16 (0) & 0xfff6) !== 0xfff0)
        return undefined;

    return adtsRates[(view.getUint8 (2) >> 2) & 15] ?? null;
}

// MP4 and M4A: the audio track's media header, whose time scale is the rate it decodes at.
function mp4 (view)
{
    if (ascii (view, 4, 4) !== 'ftyp')
        return undefined;

    const boxes = function* (from, to) {
        for (let at = from; at + 8 <= to;)
        {
            let size = view.getUint32 (at), header = 8;

            if (size === 1 && at + 16 <= to)
                size = view.getUint32 (at + 8) * 2 ** 32 + view.getUint32 (at + 12), header = 16;
            else if (size === 0)
                size = to - at;

            if (size < header)
                return;

            yield { type: ascii (view, at + 4, 4), start: at + header, end: Math.min (to, at + size) };
            at += size;
        }
    };
    const child = (box, type) => [...boxes (box.start, box.end)].find (b => b.type === type);

    for (const top of boxes (0, view.byteLength))
    {
        if (top.type !== 'moov')
            continue;

        for (const track of boxes (top.start, top.end))
        {
            const media = track.type === 'trak' ? child (track, 'mdia') : undefined;
            const handler = media && child (media, 'hdlr');
            const header = media && child (media, 'mdhd');

            if (handler === undefined || header === undefined || ascii (view, handler.start + 8, 4) !== 'soun')
                continue;

            const version = view.getUint8 (header.start);
            return plausible (view.getUint32 (header.start + (version === 1 ? 20 : 12)));
        }

        return null;
    }

    return null;
}

const readers = { WAV: wave, AIFF: aiff, CAF: caf, FLAC: flac, Ogg: ogg, MP4: mp4, MP3: mp3, AAC: adts };

/** The format and sample rate of the audio file in `bytes` (an ArrayBuffer), or null. */
export function audioFileRate (bytes)
{
    const view = new DataView (bytes);

    for (const [format, read] of Object.entries (readers))
    {
        let rate;

        try
        {
            rate = read (view);
        }
        catch (error)
        {
            // A header that runs past the end of the bytes.
            if (! (error instanceof RangeError))
                throw error;

            rate = null;
        }

        if (rate !== undefined)
            return rate === null ? null : { format, sampleRate: rate };
    }

    return null;
}
