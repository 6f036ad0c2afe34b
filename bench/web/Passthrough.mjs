// An audio worklet that copies its input to its output and does nothing else: the cost of the
// audio graph and the worklet itself, which the engine's worklet pays on top of the engine.
class Passthrough extends AudioWorkletProcessor
{
    process (inputs, outputs)
    {
        const input = inputs[0], output = outputs[0];

        for (let c = 0; c < output.length; ++c)
            if (input.length > 0)
                output[c].set (input[Math.min (c, input.length - 1)]);

        return true;
    }
}

registerProcessor ('passthrough', Passthrough);
