#include "core/stream.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include <unistd.h>

#include "core/exception.h"

namespace core {

CORE_DECLARE_EXCEPTION(EFOpenError, EFilerError);
CORE_DECLARE_EXCEPTION(EFCreateError, EFilerError);

int64_t TStream::Size()
{
    const int64_t pos = Seek(0, TSeekOrigin::soCurrent);
    const int64_t size = Seek(0, TSeekOrigin::soEnd);
    Seek(pos, TSeekOrigin::soBeginning);
    return size;
}

int64_t TStream::Remaining()
{
    const int64_t r = Size() - Position();
    return r < 0 ? 0 : r;
}

void TStream::ReadBuffer(void* buffer, size_t count)
{
    if (count != 0 && Read(buffer, count) != count)
        throw EReadError(std::string_view("Stream read error"));
}

void TStream::WriteBuffer(const void* buffer, size_t count)
{
    if (count != 0 && Write(buffer, count) != count)
        throw EWriteError(std::string_view("Stream write error"));
}

int64_t TStream::CopyFrom(TStream& source, int64_t count)
{
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    uint8_t buf[65536];
    int64_t left = count;
    while (left > 0) {
        const size_t n = static_cast<size_t>(left < static_cast<int64_t>(sizeof buf) ? left : sizeof buf);
        source.ReadBuffer(buf, n);
        WriteBuffer(buf, n);
        left -= static_cast<int64_t>(n);
    }
    return count;
}

namespace {
int64_t NewPosition(int64_t cur, int64_t size, int64_t offset, TSeekOrigin origin)
{
    int64_t base = origin == TSeekOrigin::soBeginning ? 0 : origin == TSeekOrigin::soCurrent ? cur : size;
    if ((offset < 0 && base < -offset) || (offset > 0 && base > INT64_MAX - offset))
        throw EStreamError(std::string_view("Stream seek error"));
    return base + offset;
}
} // namespace

size_t TMemoryStream::Read(void* buffer, size_t count)
{
    if (FPos >= FData.size())
        return 0;
    const size_t n = std::min(count, FData.size() - FPos);
    std::memcpy(buffer, FData.data() + FPos, n);
    FPos += n;
    return n;
}

size_t TMemoryStream::Write(const void* buffer, size_t count)
{
    if (count == 0)
        return 0;
    if (FPos + count > FData.size())
        FData.resize(FPos + count);
    std::memcpy(FData.data() + FPos, buffer, count);
    FPos += count;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin)
{
    FPos = static_cast<size_t>(NewPosition(static_cast<int64_t>(FPos), Size(), offset, origin));
    return static_cast<int64_t>(FPos);
}

size_t TBytesView::Read(void* buffer, size_t count)
{
    if (FPos >= FSize)
        return 0;
    const size_t n = std::min(count, FSize - FPos);
    std::memcpy(buffer, FData + FPos, n);
    FPos += n;
    return n;
}

int64_t TBytesView::Seek(int64_t offset, TSeekOrigin origin)
{
    FPos = static_cast<size_t>(NewPosition(static_cast<int64_t>(FPos), Size(), offset, origin));
    return static_cast<int64_t>(FPos);
}

TFileStream::TFileStream(const std::string& path, TFileMode mode)
{
    FFile = std::fopen(path.c_str(), mode == TFileMode::fmCreate ? "w+b" : "rb");
    if (!FFile) {
        const char* why = std::strerror(errno);
        if (mode == TFileMode::fmCreate)
            Raise<EFCreateError>("Cannot create file \"{}\". {}", path, why);
        Raise<EFOpenError>("Cannot open file \"{}\". {}", path, why);
    }
}

TFileStream::~TFileStream()
{
    if (FFile)
        std::fclose(FFile);
}

size_t TFileStream::Read(void* buffer, size_t count) { return std::fread(buffer, 1, count, FFile); }
size_t TFileStream::Write(const void* buffer, size_t count) { return std::fwrite(buffer, 1, count, FFile); }

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin)
{
    const int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET : origin == TSeekOrigin::soCurrent ? SEEK_CUR : SEEK_END;
    if (fseeko(FFile, offset, whence) != 0)
        throw EStreamError(std::string_view("Stream seek error"));
    return ftello(FFile);
}

void TFileStream::Flush()
{
    if (std::fflush(FFile) != 0 || fsync(fileno(FFile)) != 0)
        throw EWriteError(std::string_view("Stream write error"));
}

void SaveFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes)
{
    const std::string tmp = path + ".tmp" + std::to_string(::getpid());
    try {
        TFileStream f(tmp, TFileMode::fmCreate);
        f.WriteBuffer(bytes.data(), bytes.size());
        f.Flush();
    } catch (...) {
        std::error_code ec;
        std::filesystem::remove(tmp, ec);
        throw;
    }
    std::error_code ec;
    std::filesystem::rename(tmp, path, ec);
    if (ec) {
        std::filesystem::remove(tmp, ec);
        Raise<EFCreateError>("Cannot create file \"{}\". {}", path, ec.message());
    }
}

std::vector<uint8_t> LoadFile(const std::string& path)
{
    TFileStream f(path, TFileMode::fmOpenRead);
    std::vector<uint8_t> out;
    uint8_t buf[65536];
    size_t n;
    while ((n = f.Read(buf, sizeof buf)) > 0)
        out.insert(out.end(), buf, buf + n);
    return out;
}

} // namespace core
