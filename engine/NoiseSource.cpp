#include "NoiseSource.h"

#include <cmath>

NoiseSource::NoiseSource (float levelDb)
    : level ((float) std::pow (10.0, (double) levelDb * 0.05))
{
    // Each instance gets its own sequence, so two instances on a stereo pair never add
    // correlated noise.
    random.setSeedRandomly();
}
