// Basic types of our AAX support layer: result codes, four-character codes, stem formats,
// property numbers, the render context and the chunk record. Everything here is plain data that
// crosses the module boundary between the host and the plug-in module.
#pragma once

#include <cstddef>
#include <cstdint>

// Entry points use the stdcall convention on 32-bit Windows (their exported names then carry the
// "_Name@bytes" decoration); everywhere else the platform's default C convention.
#if defined(_WIN32) && !defined(_WIN64)
#define AAX_CALLCONV __stdcall
#else
#define AAX_CALLCONV
#endif

#if defined(_WIN32)
// On Windows the module's .def file names the exports, with the decoration above on 32-bit.
#define AAX_EXPORT
#else
#define AAX_EXPORT __attribute__((visibility("default")))
#endif

using AAX_Result = int32_t;
using AAX_CTypeID = uint32_t;
using AAX_CFieldIndex = int32_t;

inline constexpr AAX_Result AAX_SUCCESS = 0;
inline constexpr AAX_Result AAX_ERROR_INVALID_PARAMETER_ID = -20001;
inline constexpr AAX_Result AAX_ERROR_DUPLICATE_PARAMETER_ID = -20002;
inline constexpr AAX_Result AAX_ERROR_INVALID_ARGUMENT = -20003;
inline constexpr AAX_Result AAX_ERROR_NULL_OBJECT = -20004;
inline constexpr AAX_Result AAX_ERROR_INVALID_FIELD_INDEX = -20005;
inline constexpr AAX_Result AAX_ERROR_INVALID_CHUNK_INDEX = -20006;
inline constexpr AAX_Result AAX_ERROR_INVALID_CHUNK_ID = -20007;

// Component entry point results beyond the AAX codes above.
inline constexpr AAX_Result ACF_OK = 0;
inline constexpr AAX_Result ACF_FALSE = 1;
inline constexpr AAX_Result ACF_E_UNEXPECTED = static_cast<AAX_Result>(0x8000FFFFu);
inline constexpr AAX_Result ACF_E_CLASSNOTAVAILABLE = static_cast<AAX_Result>(0x80040111u);

// A four-character code packs its first letter into the most significant byte:
// AAX_FourCC("EFN1") == 0x45464E31.
constexpr AAX_CTypeID AAX_FourCC(const char (&code)[5])
{
    return (static_cast<AAX_CTypeID>(static_cast<unsigned char>(code[0])) << 24) |
           (static_cast<AAX_CTypeID>(static_cast<unsigned char>(code[1])) << 16) |
           (static_cast<AAX_CTypeID>(static_cast<unsigned char>(code[2])) << 8) |
           static_cast<AAX_CTypeID>(static_cast<unsigned char>(code[3]));
}

inline constexpr AAX_CTypeID AAX_TypeIDNone = AAX_FourCC("none");

// Stem formats: the channel count sits in the low 16 bits.
using AAX_EStemFormat = uint32_t;
inline constexpr AAX_EStemFormat AAX_eStemFormat_Mono = 0x00000001;
inline constexpr AAX_EStemFormat AAX_eStemFormat_Stereo = 0x00010002;
inline constexpr AAX_EStemFormat AAX_eStemFormat_LCR = 0x00020003;
inline constexpr AAX_EStemFormat AAX_eStemFormat_Quad = 0x00040004;
inline constexpr AAX_EStemFormat AAX_eStemFormat_5_0 = 0x00050005;
inline constexpr AAX_EStemFormat AAX_eStemFormat_5_1 = 0x00060006;
inline constexpr AAX_EStemFormat AAX_eStemFormat_6_1 = 0x00080007;
inline constexpr AAX_EStemFormat AAX_eStemFormat_7_1 = 0x000C0008;
inline constexpr AAX_EStemFormat AAX_eStemFormat_None = 0xFF9C0000;

constexpr int32_t AAX_StemChannelCount(AAX_EStemFormat format)
{
    return static_cast<int32_t>(format & 0xFFFFu);
}

// Component property numbers.
using AAX_EProperty = uint32_t;
inline constexpr AAX_EProperty AAX_eProperty_ManufacturerID = 11;
inline constexpr AAX_EProperty AAX_eProperty_ProductID = 12;
inline constexpr AAX_EProperty AAX_eProperty_PlugInID_Native = 13;
inline constexpr AAX_EProperty AAX_eProperty_PlugInID_AudioSuite = 14;
inline constexpr AAX_EProperty AAX_eProperty_InputStemFormat = 51;
inline constexpr AAX_EProperty AAX_eProperty_OutputStemFormat = 52;
inline constexpr AAX_EProperty AAX_eProperty_CanBypass = 56;
inline constexpr AAX_EProperty AAX_eProperty_UsesClientGUI = 60;
inline constexpr AAX_EProperty AAX_eProperty_SideChainStemFormat = 151;

// Procedure identifiers of the factories registered on an effect descriptor.
inline constexpr int32_t AAX_eProcPtrID_Create_EffectParameters = 0;
inline constexpr int32_t AAX_eProcPtrID_Create_EffectGUI = 1;

// Kinds of host node a component can ask for.
inline constexpr uint32_t AAX_eNodeKind_LocalMIDI = 1;
inline constexpr uint32_t AAX_eNodeKind_GlobalMIDI = 2;
inline constexpr uint32_t AAX_eNodeKind_Transport = 3;

enum class AAX_EParameterType : int32_t
{
    Discrete = 0,
    Continuous = 1,
};

// A size or position in the host's view: vertical first, as the host reports it.
struct AAX_Point
{
    float vert = 0.0f;
    float horz = 0.0f;
};

// One instance's render context: pointer-sized slots indexed by the field indices the component
// registered. The host fills audio buffers, the sample count, nodes and private data blocks.
inline constexpr int32_t AAX_kMaxContextFields = 16;
struct AAX_SRenderContext
{
    void* fields[AAX_kMaxContextFields] = {};
};

// The processing procedure: called with the contexts of every instance to render, from first up
// to, not including, last.
using AAX_CProcessProc = void (*)(AAX_SRenderContext* const* first,
                                  AAX_SRenderContext* const* last);

// A generic procedure pointer under which factories are registered; cast back to the factory
// type by procedure identifier.
using AAX_ProcPtr = void (*)();

// The plug-in chunk record. The host allocates the header plus the data area; fSize holds the
// number of data bytes. Field offsets are part of the module boundary.
struct AAX_SPlugInChunk
{
    int32_t fSize;
    int32_t fVersion;
    AAX_CTypeID fManufacturerID;
    AAX_CTypeID fProductID;
    AAX_CTypeID fPlugInID;
    AAX_CTypeID fChunkID;
    unsigned char fName[32];
    char fData[1];
};

static_assert(offsetof(AAX_SPlugInChunk, fSize) == 0);
static_assert(offsetof(AAX_SPlugInChunk, fChunkID) == 20);
static_assert(offsetof(AAX_SPlugInChunk, fData) == 56);

// The data area of a chunk record, fSize bytes long. Addressed from the record's start so that
// reading past the declared one-byte array is well defined.
inline char* AAX_ChunkData(AAX_SPlugInChunk* chunk)
{
    return reinterpret_cast<char*>(chunk) + offsetof(AAX_SPlugInChunk, fData);
}

inline const char* AAX_ChunkData(const AAX_SPlugInChunk* chunk)
{
    return reinterpret_cast<const char*>(chunk) + offsetof(AAX_SPlugInChunk, fData);
}

// Bytes a host allocates for a chunk record with dataSize data bytes.
constexpr size_t AAX_ChunkRecordBytes(int32_t dataSize)
{
    return offsetof(AAX_SPlugInChunk, fData) + static_cast<size_t>(dataSize > 0 ? dataSize : 1);
}
