// The browser and render tests' input: music-like material from a fixed generator, the float
// WAV file tavine-render reads it from, and tavine-render's run on it at a setting.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';

// Music-like material (three seconds unless told): a bass line, a bright part that comes and goes, and
// clicks, from a fixed generator, different in each channel.
export function material (rate, count, seconds = 3)
{
    let state = 12345;
    const random = () => (state = (state * 1103515245 + 12345) % 2147483648) / 2147483648 - 0.5;
    const frames = Math.round (rate * seconds);

    return Array.from ({ length: count }, (_, c) => Float32Array.from ({ length: frames }, (_, i) => {
        const t = i / rate;
        const bass = 0.3 * Math.sin (2 * Math.PI * (55 + 27.5 * Math.floor (t * 2) % 4) * t);
        const bright = (Math.floor (t * 4) % 2 === c ? 0.15 : 0.02) * Math.sin (2 * Math.PI * (3000 + 500 * c) * t);
        const click = i % Math.round (rate / 2) < 64 ? 0.4 * random() : 0.01 * random();
        return bass + bright + click;
    }));
}

export function writeFloatWav (file, channels, rate)
{
    const frames = channels[0].length, count = channels.length, bytes = frames * count * 4;
    const b = Buffer.alloc (44 + bytes);
    b.write ('RIFF', 0); b.writeUInt32LE (36 + bytes, 4); b.write ('WAVEfmt ', 8);
    b.writeUInt32LE (16, 16); b.writeUInt16LE (3, 20); b.writeUInt16LE (count, 22); b.writeUInt32LE (rate, 24);
    b.writeUInt32LE (rate * count * 4, 28); b.writeUInt16LE (count * 4, 32); b.writeUInt16LE (32, 34);
    b.write ('data', 36); b.writeUInt32LE (bytes, 40);

    for (let i = 0; i < frames; ++i)
        for (let c = 0; c < count; ++c)
            b.writeFloatLE (channels[c][i], 44 + (i * count + c) * 4);

    fs.writeFileSync (file, b);
}

/** Runs tavine-render (at `renderPath`) on `input` into `output`, replacing it, at a setting of
    red, green, blue (0 to 1) and x2 (on from one half); `options` come before the files. */
export function tavineRender (renderPath, input, output, setting, ...options)
{
    execFileSync (renderPath, ['--quiet', '--overwrite', '--red', String (setting.red), '--green', String (setting.green),
                               '--blue', String (setting.blue), '--x2', setting.x2 >= 0.5 ? 'on' : 'off', ...options, input, output],
                  { stdio: ['ignore', 'ignore', 'inherit'] });
}
