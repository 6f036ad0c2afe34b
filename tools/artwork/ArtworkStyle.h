#pragma once

#include "editor/EditorLayout.h"

#include <juce_graphics/juce_graphics.h>

#include <cmath>
#include <cstdint>

/** Geometry and palette shared by the painters.

    The numbers here are the contract with the editor: it draws each 64 x 64 knob
    and ring frame 1:1 at fixed positions, so the knob's centre, the ring radius
    and the frame count must agree across all strips.
*/
namespace ArtworkStyle
{
    constexpr int frameSize = EditorLayout::knobSize;
    constexpr int frameCount = 15;
    constexpr int lastFrame = frameCount - 1;

    /** The knob turns about the exact middle of its frame (pixel edges, not centres). */
    constexpr float knobCentre = 32.0f;

    /** Outer edge of the black knob; everything beyond it stays transparent so the
        level ring can sit around it without the two images overlapping. */
    constexpr float knobRadius = 23.5f;

    /** The ring dots sit on this radius, just outside the knob. */
    constexpr float ringRadius = 27.0f;

    /** Pointer sweep: 135 degrees either side of the top, in equal steps. */
    constexpr float pointerStartDegrees = -135.0f;
    constexpr float pointerSweepDegrees = 270.0f;

    /** The ring starts a little further round than the pointer and ends a little
        earlier, so that a full ring never closes into a plain circle. */
    constexpr float ringStartDegrees = -150.0f;
    constexpr float ringEndDegrees = 157.0f;

    constexpr float degreesToRadians (float degrees) { return degrees * (juce::MathConstants<float>::pi / 180.0f); }

    /** Angle of the pointer in frame k, measured clockwise from the top. */
    inline float pointerAngle (int frame)
    {
        return degreesToRadians (pointerStartDegrees + pointerSweepDegrees * static_cast<float> (frame) / static_cast<float> (lastFrame));
    }

    /** Point at a clockwise angle from the top (screen y grows downwards). */
    inline juce::Point<float> polar (juce::Point<float> centre, float radius, float angle)
    {
        return { centre.x + radius * std::sin (angle), centre.y - radius * std::cos (angle) };
    }

    /** Integer hash of a lattice point. Used instead of a random generator so that
        every texture is a pure function of its coordinates: the same on every run,
        every machine and in any drawing order. */
    inline uint32_t hash (uint32_t x, uint32_t y, uint32_t seed)
    {
        auto h = x * 0x8da6b343u ^ y * 0xd8163841u ^ seed * 0xcb1ab31fu;
        h ^= h >> 16;
        h *= 0x7feb352du;
        h ^= h >> 15;
        h *= 0x846ca68bu;
        h ^= h >> 16;
        return h;
    }

    /** Hash mapped to -1 .. 1. */
    inline float grain (int x, int y, uint32_t seed)
    {
        const auto h = hash (static_cast<uint32_t> (x), static_cast<uint32_t> (y), seed);
        return static_cast<float> (h >> 8) / static_cast<float> (1u << 23) - 1.0f;
    }

    /** Grey of the given level with full opacity. */
    inline juce::Colour grey (int level)
    {
        const auto v = static_cast<juce::uint8> (juce::jlimit (0, 255, level));
        return juce::Colour (v, v, v);
    }

    /** Colours of the three stages, used by the labels, the knob tints and the rings. */
    const juce::Colour ringRed { 233, 63, 111 };
    const juce::Colour ringGreen { 63, 233, 107 };
    const juce::Colour ringBlue { 63, 159, 233 };

    /** Makes what follows, drawn in the window's pixels, land on an image `scale`
        times larger (the artwork for high-density displays). At scale 1 the
        context is left alone, so the 1x images do not depend on the scaling at all. */
    inline void scaleDrawing (juce::Graphics& g, int scale)
    {
        if (scale != 1)
            g.addTransform (juce::AffineTransform::scale (static_cast<float> (scale)));
    }

    /** A filmstrip: numFrames square frames of `size` pixels, one below the other, each drawn
        by paintFrame (g, frame) in the strip's own pixels, with the origin at the frame's top
        left and the drawing clipped to the frame. */
    template <typename PaintFrame>
    juce::Image paintFilmstrip (int size, int numFrames, PaintFrame&& paintFrame)
    {
        juce::Image strip (juce::Image::ARGB, size, size * numFrames, true, juce::SoftwareImageType());
        juce::Graphics g (strip);

        for (int frame = 0; frame < numFrames; ++frame)
        {
            juce::Graphics::ScopedSaveState state (g);
            g.reduceClipRegion (0, frame * size, size, size);
            g.setOrigin (0, frame * size);
            paintFrame (g, frame);
        }

        return strip;
    }
} // namespace ArtworkStyle
