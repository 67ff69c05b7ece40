#pragma once

// Where a program's output goes, decided from the path before anything is written, and written
// so that a failure never leaves a half-written or lost file. Used by every program that writes
// a file a user names (kestrune, kestrune-aax-host, kestrune-editor).
//
// - A regular file (or a new name) is staged: the bytes go to a temporary in the same folder,
//   created exclusively under an unpredictable name (never through a symlink), and Commit
//   renames it over the path. An existing file keeps its permission bits. A staged output that
//   is not committed removes its temporary.
// - A symlink is followed: its target is written as above, the link stays a link.
// - A character or block device, a FIFO, a socket and "-" (standard output) are written
//   directly: nothing can be staged there.
// - Refused before anything is written: a directory, an existing read-only file, a path in a
//   folder that does not exist, and an output that is the same file as one of the inputs (also
//   through links).
// Every error is a FileError with a one-line message naming the path.

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace output
{

class FileError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class OutputFile
{
public:
    // Checks the path and opens the place the bytes go. `inputs` are files the program reads:
    // the output may not be one of them ("-" and missing inputs are ignored).
    static OutputFile Open(const std::string& path, const std::vector<std::string>& inputs = {});

    OutputFile(OutputFile&& other) noexcept;
    OutputFile& operator=(OutputFile&&) = delete;
    OutputFile(const OutputFile&) = delete;
    ~OutputFile();

    // The path as the user gave it, for messages.
    const std::string& Path() const noexcept { return path_; }
    // Write here (a file descriptor open for writing).
    int Descriptor() const noexcept { return descriptor_; }
    // True for a staged regular file, which can be read back and seeked (libsndfile needs that
    // for most formats); false for devices, FIFOs and standard output.
    bool Seekable() const noexcept { return !temporary_.empty(); }

    // Writes all of `bytes`; a FileError on a write error (a full disk, a closed pipe).
    void Write(const void* bytes, std::size_t size);
    void Write(const std::string& text) { Write(text.data(), text.size()); }

    // Makes the written bytes the output: a staged file is flushed to disk and renamed over the
    // path; a direct output is closed. An FileError if that fails (the staged temporary is
    // then removed and the path untouched).
    void Commit();

private:
    OutputFile(std::string path, int descriptor, std::string target, std::string temporary);
    void Discard() noexcept;

    std::string path_;      // as given
    int descriptor_ = -1;   // -1 once committed or moved from
    std::string target_;    // the file renamed over (the symlink's target for a link)
    std::string temporary_; // empty for direct outputs
};

// The audio output of a run over a file and, when `statePath` is not empty, its state output,
// both opened before the work so that they can be committed together at the end. The state may
// be saved back over the state file it was loaded from, but nothing is written over the audio
// input, the audio not over the state file, and the two outputs may not be one file.
struct AudioAndStateOutputs
{
    OutputFile audio;
    std::optional<OutputFile> state;
};
AudioAndStateOutputs OpenAudioAndStateOutputs(const std::string& audioPath,
                                              const std::string& statePath,
                                              const std::string& audioInput,
                                              const std::string& stateInput);

// True when two output paths name the same file, also through links and when neither exists
// yet ("-" is standard output, never the same as a path).
bool SamePath(const std::string& a, const std::string& b);

// Reads a whole file that a user names ("-" is standard input), refusing directories and more
// than `limit` bytes (a device such as /dev/zero never ends); a FileError otherwise.
std::string ReadBoundedFile(const std::string& path, std::size_t limit);

} // namespace output
