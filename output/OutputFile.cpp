#include "output/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <utility>

namespace output
{

namespace
{

namespace fs = std::filesystem;

// Symlink chains longer than this are refused, as the kernel refuses them (ELOOP).
constexpr int kMaxLinkHops = 40;

[[noreturn]] void Fail(const std::string& path, const std::string& why)
{
    throw FileError("cannot write " + path + ": " + why);
}

[[noreturn]] void FailErrno(const std::string& path, int error)
{
    Fail(path, std::strerror(error));
}

// The file a symlink chain ends at, which need not exist yet.
std::string FollowLinks(const std::string& path)
{
    fs::path current = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop)
    {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(current, error)))
        {
            return current.string();
        }
        const fs::path next = fs::read_symlink(current, error);
        if (error)
        {
            FailErrno(path, error.value());
        }
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    FailErrno(path, ELOOP);
}

bool SameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

void RefuseInputs(const std::string& path, const std::vector<std::string>& inputs)
{
    struct stat out
    {
    };
    if (stat(path.c_str(), &out) != 0)
    {
        return; // nothing there yet: it cannot be an input
    }
    for (const std::string& input : inputs)
    {
        struct stat in
        {
        };
        if (!input.empty() && input != "-" && stat(input.c_str(), &in) == 0 && SameFile(in, out))
        {
            Fail(path, "it is the input file " + input + "; choose another name");
        }
    }
}

// Permission bits for a new file: 0666 less the process's umask, as open(O_CREAT) would give.
mode_t NewFileMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

void WriteAll(int descriptor, const void* bytes, std::size_t size, const std::string& path)
{
    const auto* next = static_cast<const char*>(bytes);
    while (size > 0)
    {
        const ssize_t written = write(descriptor, next, size);
        if (written < 0)
        {
            if (errno == EINTR)
            {
                continue;
            }
            FailErrno(path, errno);
        }
        next += written;
        size -= static_cast<std::size_t>(written);
    }
}

} // namespace

OutputFile::OutputFile(std::string path, int descriptor, std::string target, std::string temporary)
    : path_(std::move(path)), descriptor_(descriptor), target_(std::move(target)),
      temporary_(std::move(temporary))
{
}

OutputFile::OutputFile(OutputFile&& other) noexcept
    : path_(std::move(other.path_)), descriptor_(std::exchange(other.descriptor_, -1)),
      target_(std::move(other.target_)), temporary_(std::move(other.temporary_))
{
    other.temporary_.clear();
}

OutputFile::~OutputFile()
{
    Discard();
}

OutputFile OutputFile::Open(const std::string& path, const std::vector<std::string>& inputs)
{
    if (path.empty())
    {
        throw FileError("no output file given");
    }
    if (path == "-")
    {
        const int descriptor = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
        if (descriptor < 0)
        {
            FailErrno("standard output", errno);
        }
        return OutputFile(path, descriptor, "", "");
    }
    RefuseInputs(path, inputs);
    const std::string target = FollowLinks(path);
    struct stat existing
    {
    };
    const bool exists = lstat(target.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT)
    {
        FailErrno(path, errno);
    }
    if (exists && S_ISDIR(existing.st_mode))
    {
        Fail(path, "it is a directory");
    }
    if (exists && !S_ISREG(existing.st_mode))
    {
        // A device, FIFO or socket: written where it is, nothing to stage.
        const int descriptor = open(target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (descriptor < 0)
        {
            FailErrno(path, errno);
        }
        return OutputFile(path, descriptor, target, "");
    }
    // Root may write any file: a file without write permission bits is refused for everyone.
    if (exists && (access(target.c_str(), W_OK) != 0 || (existing.st_mode & 0222) == 0))
    {
        Fail(path, "the file is read-only");
    }
    const fs::path folder =
        fs::path(target).parent_path().empty() ? fs::path(".") : fs::path(target).parent_path();
    std::string name = ".";
    name += fs::path(target).filename().string();
    name += ".XXXXXX";
    std::string temporary = (folder / name).string();
    // mkostemp creates the file exclusively under a random name: it never opens an existing
    // file or a planted symlink.
    const int descriptor = mkostemp(temporary.data(), O_CLOEXEC);
    if (descriptor < 0)
    {
        FailErrno(path, errno);
    }
    OutputFile staged(path, descriptor, target, temporary);
    const mode_t mode = exists ? existing.st_mode & 07777 : NewFileMode();
    if (fchmod(descriptor, mode) != 0)
    {
        FailErrno(path, errno);
    }
    if (exists)
    {
        // Root replacing another user's file gives it back to that user; for anyone else
        // this fails harmlessly.
        [[maybe_unused]] const int ignored = fchown(descriptor, existing.st_uid, existing.st_gid);
    }
    return staged;
}

void OutputFile::Write(const void* bytes, std::size_t size)
{
    if (descriptor_ < 0)
    {
        Fail(path_, "the file is already closed");
    }
    WriteAll(descriptor_, bytes, size, path_);
}

void OutputFile::Commit()
{
    if (descriptor_ < 0)
    {
        Fail(path_, "the file is already closed");
    }
    // A full disk may only show when the data reaches it.
    const bool synced = temporary_.empty() || fsync(descriptor_) == 0;
    const int syncError = errno;
    const int descriptor = std::exchange(descriptor_, -1);
    if (!synced)
    {
        close(descriptor);
        Discard();
        FailErrno(path_, syncError);
    }
    if (close(descriptor) != 0)
    {
        const int closeError = errno;
        Discard();
        FailErrno(path_, closeError);
    }
    if (!temporary_.empty() && rename(temporary_.c_str(), target_.c_str()) != 0)
    {
        const int renameError = errno;
        Discard();
        FailErrno(path_, renameError);
    }
    temporary_.clear();
}

void OutputFile::Discard() noexcept
{
    if (descriptor_ >= 0)
    {
        close(descriptor_);
        descriptor_ = -1;
    }
    if (!temporary_.empty())
    {
        unlink(temporary_.c_str());
        temporary_.clear();
    }
}

bool SamePath(const std::string& a, const std::string& b)
{
    if (a == "-" || b == "-")
    {
        return a == b;
    }
    std::error_code error;
    const fs::path first = fs::weakly_canonical(FollowLinks(a), error);
    const fs::path second = fs::weakly_canonical(FollowLinks(b), error);
    return !error && first == second;
}

AudioAndStateOutputs OpenAudioAndStateOutputs(const std::string& audioPath,
                                              const std::string& statePath,
                                              const std::string& audioInput,
                                              const std::string& stateInput)
{
    if (!statePath.empty() && SamePath(audioPath, statePath))
    {
        throw FileError("the audio output and the state output name the same file " + audioPath);
    }
    AudioAndStateOutputs outputs{OutputFile::Open(audioPath, {audioInput, stateInput}), {}};
    if (!statePath.empty())
    {
        outputs.state.emplace(OutputFile::Open(statePath, {audioInput}));
    }
    return outputs;
}

std::string ReadBoundedFile(const std::string& path, std::size_t limit)
{
    const bool standardInput = path == "-";
    const int descriptor = standardInput ? STDIN_FILENO : open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
    {
        throw FileError("cannot read " + path + ": " + std::strerror(errno));
    }
    struct stat info
    {
    };
    if (fstat(descriptor, &info) == 0 && S_ISDIR(info.st_mode))
    {
        close(descriptor);
        throw FileError("cannot read " + path + ": it is a directory");
    }
    std::string text;
    char buffer[65536];
    for (;;)
    {
        const ssize_t got = read(descriptor, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
        {
            continue;
        }
        if (got < 0)
        {
            const int error = errno;
            if (!standardInput)
            {
                close(descriptor);
            }
            throw FileError("cannot read " + path + ": " + std::strerror(error));
        }
        if (got == 0)
        {
            break;
        }
        text.append(buffer, static_cast<std::size_t>(got));
        if (text.size() > limit)
        {
            if (!standardInput)
            {
                close(descriptor);
            }
            throw FileError("cannot read " + path + ": it is larger than " + std::to_string(limit) +
                            " bytes");
        }
    }
    if (!standardInput)
    {
        close(descriptor);
    }
    return text;
}

} // namespace output
