// The page's logic that needs no browser: the sample rate read from each container the page
// opens (the Chromium test opens real FLAC, Ogg and MP3 files; these are the others, and the
// damaged ones), and the knobs' texts and steps against the plug-in's.
//
//   node RatesAndKnobs.mjs
import assert from 'node:assert/strict';

import { audioFileRate } from '../../web/AudioFileRate.mjs';
import { knobText, parameterNumber, valueForDrag, valueForKey, valueForWheel } from '../../web/TavineControls.mjs';

// Bytes from a list of parts: strings as ASCII, numbers as single bytes, and [value, bytes,
// 'le' or 'be'] as integers.
function bytes (...parts)
{
    const out = [];

    for (const part of parts)
    {
        if (typeof part === 'string')
            out.push (...[...part].map (c => c.charCodeAt (0)));
        else if (typeof part === 'number')
            out.push (part);
        else
        {
            const [value, size, order] = part;
            const digits = Array.from ({ length: size }, (_, i) => Number ((BigInt (value) >> BigInt (8 * i)) & 255n));
            out.push (...(order === 'le' ? digits : digits.reverse()));
        }
    }

    return new Uint8Array (out).buffer;
}

const zeros = n => Array (n).fill (0);
const box = (type, ...content) => {
    const inner = new Uint8Array (bytes (...content));
    return [[8 + inner.length, 4, 'be'], type, ...inner];
};

// An MP4 file of one track, with a handler of `kind` and a media time scale.
const m4a = (kind, timescale) => bytes (...box ('ftyp', 'M4A ', [0, 4, 'be']),
                                        ...box ('moov', ...box ('trak', ...box ('mdia', ...box ('hdlr', ...zeros (8), kind, ...zeros (12)),
                                                                                ...box ('mdhd', 0, ...zeros (11), [timescale, 4, 'be'], ...zeros (8))))));

// AIFF's rate as an 80-bit extended float: 44100 = 0xAC44 * 2^0 with the exponent 16383 + 15.
const aiff44100 = [0x40, 0x0e, 0xac, 0x44, ...zeros (6)];

const files = {
    'WAV with a chunk before its format': [bytes ('RIFF', [0, 4, 'le'], 'WAVE', 'LIST', [3, 4, 'le'], 1, 2, 3, 0, 'fmt ', [16, 4, 'le'], [3, 2, 'le'], [2, 2, 'le'], [88200, 4, 'le'], ...zeros (8)), { format: 'WAV', sampleRate: 88200 }],
    'big-endian WAV': [bytes ('RIFX', [0, 4, 'be'], 'WAVE', 'fmt ', [16, 4, 'be'], [1, 2, 'be'], [1, 2, 'be'], [22050, 4, 'be'], ...zeros (8)), { format: 'WAV', sampleRate: 22050 }],
    'AIFF': [bytes ('FORM', [0, 4, 'be'], 'AIFF', 'COMM', [18, 4, 'be'], [2, 2, 'be'], [0, 4, 'be'], [16, 2, 'be'], ...aiff44100), { format: 'AIFF', sampleRate: 44100 }],
    'CAF': [bytes ('caff', [1, 2, 'be'], [0, 2, 'be'], 'desc', [32, 8, 'be'], 0x40, 0xe7, 0x70, 0, 0, 0, 0, 0, ...zeros (24)), { format: 'CAF', sampleRate: 48000 }],
    'FLAC': [bytes ('fLaC', 0, [34, 3, 'be'], ...zeros (10), 0x17, 0x70, 0x00, ...zeros (21)), { format: 'FLAC', sampleRate: 96000 }],
    'Opus in Ogg, made at 44.1 kHz': [bytes ('OggS', ...zeros (22), 1, 19, 'OpusHead', 1, 2, [312, 2, 'le'], [44100, 4, 'le'], ...zeros (3)), { format: 'Ogg', sampleRate: 48000 }],
    'MP3 after an ID3 tag, MPEG 2 layer III': [bytes ('ID3', 4, 0, 0, 0, 0, 1, 0, ...zeros (128), 0xff, 0xf3, 0x14, 0x00, ...zeros (20), 0xff, 0xf3, 0x14, 0x00, ...zeros (20)), { format: 'MP3', sampleRate: 24000 }],
    'AAC in ADTS': [bytes (0xff, 0xf1, 0x50, 0x80, 0x02, 0x1f, 0xfc), { format: 'AAC', sampleRate: 44100 }],
    'M4A': [m4a ('soun', 32000), { format: 'MP4', sampleRate: 32000 }],
    'M4A whose only track is video': [m4a ('vide', 600), null],
    'WAV cut inside its format': [bytes ('RIFF', [0, 4, 'le'], 'WAVE', 'fmt ', [16, 4, 'le'], [1, 2, 'le'], 1), null],
    'WAV claiming a rate of 0': [bytes ('RIFF', [0, 4, 'le'], 'WAVE', 'fmt ', [16, 4, 'le'], [1, 2, 'le'], [1, 2, 'le'], [0, 4, 'le'], ...zeros (8)), null],
    'FLAC whose first block is not its stream information': [bytes ('fLaC', 4, [8, 3, 'be'], ...zeros (8)), null],
    'one byte': [bytes (0xff), null],
    'nothing': [new ArrayBuffer (0), null],
    'text': [bytes ('this is not a song, it is a note'), null],
};

let failures = 0;
const check = (name, run) => {
    try
    {
        run();
    }
    catch (error)
    {
        console.error ('FAIL: ' + name + ': ' + error.message);
        ++failures;
    }
};

for (const [name, [file, expected]] of Object.entries (files))
    check (name, () => assert.deepEqual (audioFileRate (file), expected));

// Damaged files: every cut of each good one reads as a rate, or as nothing, and never throws.
check ('every cut of a good file', () => {
    for (const [name, [file, expected]] of Object.entries (files))
        if (expected !== null)
            for (let length = 0; length < file.byteLength; ++length)
            {
                const result = audioFileRate (file.slice (0, length));
                assert.ok (result === null || result.sampleRate === expected.sampleRate, name + ' cut to ' + length + ' bytes');
            }
});

check ('the knobs show their values as the plug-in does', () => {
    // Half up on the exact single-precision value: 0.125 is exact, 0.015's float lies below it.
    assert.deepEqual ([0, 0.125, 0.015, 0.6, 0.994999, 0.995, 1].map (knobText), ['0.00', '0.13', '0.01', '0.60', '0.99', '1.00', '1.00']);
    assert.deepEqual ([0.6, 0.5, 0.1 + 0.2, 1 / 3].map (parameterNumber), ['0.6', '0.5', '0.3', '0.33333334']);
});

check ('the knobs step, drag and turn as the plug-in\'s', () => {
    const none = { shift: false, ctrl: false, alt: false, meta: false };
    assert.equal (valueForKey ('ArrowUp', none, 0.995), 1, 'a step past the top');
    assert.equal (valueForKey ('PageDown', none, 0.05), 0, 'a step past the bottom');
    assert.equal (valueForKey ('ArrowUp', { ...none, ctrl: true }, 0.5), null, 'a key with a modifier');
    assert.equal (valueForKey ('Tab', none, 0.5), null);
    assert.equal (valueForDrag (0.5, 100, 100 - 125), 1, 'half a full drag up from the middle');
    assert.equal (valueForDrag (0.5, 100, 100 + 25), 0.4);
    assert.equal (valueForWheel (0.5, 100, 0), 0.5 - 0.15 * 50 / 256, 'a notch down');
    assert.equal (valueForWheel (0.5, 1, 1), valueForWheel (0.5, 100 / 3, 0), 'a line is a third of a notch');
    assert.equal (valueForWheel (0.5, NaN, 0), 0.5);
});

if (failures === 0)
    console.log ('file rates of ' + Object.keys (files).length + ' containers and damaged files, and the knobs\' texts and steps, as expected');

process.exit (failures === 0 ? 0 : 1);
