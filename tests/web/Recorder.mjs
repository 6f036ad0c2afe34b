// An audio worklet that keeps what reaches it, for a test to read: the first channel, up to
// `processorOptions.seconds`, sent back when asked with a 'stop' message. Its output is
// silence, connected only so that the browser pulls it.
class Recorder extends AudioWorkletProcessor
{
    constructor (options)
    {
        super();
        this.samples = new Float32Array (Math.round (options.processorOptions.seconds * sampleRate));
        this.length = 0;
        this.port.onmessage = () => this.port.postMessage (this.samples.slice (0, this.length));
    }

    process (inputs)
    {
        const input = inputs[0];

        if (input.length > 0)
        {
            const room = Math.min (input[0].length, this.samples.length - this.length);
            this.samples.set (input[0].subarray (0, room), this.length);
            this.length += room;
        }

        return true;
    }
}

registerProcessor ('recorder', Recorder);
