#pragma once

// The layout of VST 2 preset files (.fxp/.fxb). The framework's VST3 wrapper writes a VST 2
// bank header in front of its state so that a VST3 build can load projects saved with the
// VST 2 build and take its place. No Debian package provides this header.
//
// All fields are stored big-endian in the file. The bank header is 160 bytes; the chunk data
// follows directly.
//
// This file is included inside the framework's own namespace; it must not include system
// headers.

static_assert (sizeof (int) == 4, "the preset layout is made of 32-bit fields");

struct fxProgram
{
    int chunkMagic; ///< 'CcnK'
    int byteSize;   ///< of this chunk, without chunkMagic and byteSize
    int fxMagic;    ///< 'FxCk' (parameter list) or 'FPCh' (opaque chunk)
    int version;
    int fxID;
    int fxVersion;
    int numParams;
    char prgName[28];

    union
    {
        float params[1];

        struct
        {
            int size;
            char chunk[1];
        } data;
    } content;
};

struct fxBank
{
    int chunkMagic; ///< 'CcnK'
    int byteSize;   ///< of this chunk, without chunkMagic and byteSize
    int fxMagic;    ///< 'FxBk' (programs) or 'FBCh' (opaque chunk)
    int version;
    int fxID;
    int fxVersion;
    int numPrograms;
    int currentProgram;
    char future[124];

    union
    {
        fxProgram programs[1];

        struct
        {
            int size;
            char chunk[1];
        } data;
    } content;
};

static_assert (__builtin_offsetof(fxBank, content.data.chunk) == 160, "an .fxb bank header is 160 bytes");
