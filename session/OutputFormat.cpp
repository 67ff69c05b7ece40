#include "session/OutputFormat.h"

#include "session/AudioSession.h"

#include <sndfile.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>

namespace
{

struct TypeName
{
    const char* extension;
    int format; // major format, with the codec for types that have only one
    bool lossy; // the codec fixes the sample format
};

constexpr std::array<TypeName, 13> kTypes = {{
    {"wav", SF_FORMAT_WAV, false},
    {"flac", SF_FORMAT_FLAC, false},
    {"ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, true},
    {"oga", SF_FORMAT_OGG | SF_FORMAT_VORBIS, true},
    {"opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, true},
    {"mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, true},
    {"aiff", SF_FORMAT_AIFF, false},
    {"aif", SF_FORMAT_AIFF, false},
    {"w64", SF_FORMAT_W64, false},
    {"rf64", SF_FORMAT_RF64, false},
    {"caf", SF_FORMAT_CAF, false},
    {"au", SF_FORMAT_AU, false},
    {"snd", SF_FORMAT_AU, false},
}};

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool Valid(int format, int channels, int sampleRateHz)
{
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = sampleRateHz;
    return sf_format_check(&info) == SF_TRUE;
}

int SubtypeOfBits(const std::string& bits)
{
    if (bits == "16")
        return SF_FORMAT_PCM_16;
    if (bits == "24")
        return SF_FORMAT_PCM_24;
    if (bits == "32")
        return SF_FORMAT_PCM_32;
    if (bits == "float")
        return SF_FORMAT_FLOAT;
    if (bits == "double")
        return SF_FORMAT_DOUBLE;
    throw ToolError("--bits takes 16, 24, 32, float or double, not \"" + bits + "\"");
}

const TypeName* FindType(const std::string& name)
{
    const std::string wanted = Lower(name);
    for (const TypeName& type : kTypes)
    {
        if (wanted == type.extension)
            return &type;
    }
    return nullptr;
}

const TypeName& TypeOf(const std::string& path, int inputFormat, const std::string& given)
{
    if (!given.empty())
    {
        if (const TypeName* type = FindType(given))
            return *type;
        throw ToolError("unknown output type \"" + given + "\" (known: " + KnownOutputTypes() +
                        ")");
    }
    if (path == "-")
    {
        for (const TypeName& type : kTypes)
        {
            if ((type.format & SF_FORMAT_TYPEMASK) == (inputFormat & SF_FORMAT_TYPEMASK))
                return type;
        }
        throw ToolError("give the output type of standard output with --type");
    }
    const std::string extension = std::filesystem::path(path).extension().string();
    if (extension.size() < 2)
        throw ToolError("the output " + path + " has no extension to tell its type; name one " +
                        "with --type (" + KnownOutputTypes() + ")");
    if (const TypeName* type = FindType(extension.substr(1)))
        return *type;
    throw ToolError("unknown output type \"" + extension.substr(1) + "\" of " + path +
                    " (known: " + KnownOutputTypes() + "; or give --type)");
}

} // namespace

std::string KnownOutputTypes()
{
    std::string list;
    for (const TypeName& type : kTypes)
        list += (list.empty() ? "" : ", ") + std::string(type.extension);
    return list;
}

int ChooseOutputFormat(const std::string& path, int inputFormat, const OutputFormatChoice& choice,
                       int channels, int sampleRateHz)
{
    const TypeName& type = TypeOf(path, inputFormat, choice.type);
    if (type.lossy)
    {
        if (!choice.bits.empty())
            throw ToolError("--bits does not apply to " + std::string(type.extension) +
                            ", a lossy format (use --quality)");
        if (!Valid(type.format, channels, sampleRateHz))
            throw ToolError(std::string(type.extension) + " cannot hold " +
                            std::to_string(channels) + " channels at " +
                            std::to_string(sampleRateHz) + " Hz");
        return type.format;
    }
    if (!choice.bits.empty())
    {
        const int format = type.format | SubtypeOfBits(choice.bits);
        if (!Valid(format, channels, sampleRateHz))
            throw ToolError(std::string(type.extension) + " cannot hold " + choice.bits +
                            (choice.bits == "float" || choice.bits == "double" ? "" : "-bit") +
                            " samples");
        return format;
    }
    // The input's sample format where the type holds it; else the nearest integer depth.
    const int inputSubtype = inputFormat & SF_FORMAT_SUBMASK;
    const int inputBits = IntegerBits(inputFormat);
    const int nearest = inputBits > 16 || inputBits == 0 ? SF_FORMAT_PCM_24 : SF_FORMAT_PCM_16;
    for (const int subtype : {inputSubtype, nearest, static_cast<int>(SF_FORMAT_PCM_24),
                              static_cast<int>(SF_FORMAT_PCM_16)})
    {
        if (Valid(type.format | subtype, channels, sampleRateHz))
            return type.format | subtype;
    }
    throw ToolError(std::string(type.extension) + " cannot hold this audio");
}

int IntegerBits(int format)
{
    switch (format & SF_FORMAT_SUBMASK)
    {
    case SF_FORMAT_PCM_S8:
    case SF_FORMAT_PCM_U8:
        return 8;
    case SF_FORMAT_PCM_16:
        return 16;
    case SF_FORMAT_PCM_24:
        return 24;
    case SF_FORMAT_PCM_32:
        return 32;
    default:
        return 0;
    }
}

bool ClipsBeyondFullScale(int format)
{
    const int subtype = format & SF_FORMAT_SUBMASK;
    return subtype != SF_FORMAT_FLOAT && subtype != SF_FORMAT_DOUBLE;
}
