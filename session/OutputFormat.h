#pragma once

// The libsndfile format of an output file: its type from the file name's extension (or --type),
// its sample format from --bits, or else the input's where the type can hold it.

#include <string>

struct OutputFormatChoice
{
    std::string type; // --type: an extension as libsndfile names the types; empty: the path's
    std::string bits; // --bits: 16, 24, 32, float or double; empty: keep the input's
};

// The format code to write `path` with, for audio read in `inputFormat`; a ToolError for an
// unknown type or a sample format the type cannot hold. "-" without a type keeps the input's
// type.
int ChooseOutputFormat(const std::string& path, int inputFormat, const OutputFormatChoice& choice,
                       int channels, int sampleRateHz);

// The types ChooseOutputFormat knows, for help texts: "wav, flac, ...".
std::string KnownOutputTypes();

// True for formats that store samples as integers (PCM) or through a lossy codec, where
// samples beyond full scale are clipped.
bool ClipsBeyondFullScale(int format);

// Bits of an integer PCM format (8 to 32), 0 for float, double and lossy formats.
int IntegerBits(int format);
