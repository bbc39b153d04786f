#pragma once
// Byte streams: the abstract TStream and the memory and file streams the
// form reader/writer and the datasets' load/save use. ReadBuffer/WriteBuffer
// raise EReadError "Stream read error" / EWriteError "Stream write error"
// when fewer bytes than asked could be moved.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace core {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    virtual ~TStream() = default;
    // Moves up to count bytes; returns how many were moved.
    virtual size_t Read(void* buffer, size_t count) = 0;
    virtual size_t Write(const void* buffer, size_t count) = 0;
    // Returns the new position; raises EStreamError for a position before 0.
    virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

    int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
    void SetPosition(int64_t p) { Seek(p, TSeekOrigin::soBeginning); }
    virtual int64_t Size();
    // Bytes left to read: Size() - Position(), never negative.
    int64_t Remaining();

    void ReadBuffer(void* buffer, size_t count);
    void WriteBuffer(const void* buffer, size_t count);
    // Copies count bytes from source (all of it from its start when count is 0).
    int64_t CopyFrom(TStream& source, int64_t count);
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<uint8_t> bytes) : FData(std::move(bytes)) {}
    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(FData.size()); }
    void SetSize(size_t n) { FData.resize(n); if (FPos > n) FPos = n; }
    void Clear() { FData.clear(); FPos = 0; }
    const std::vector<uint8_t>& Bytes() const { return FData; }
    std::vector<uint8_t>& Bytes() { return FData; }

private:
    std::vector<uint8_t> FData;
    size_t FPos = 0;
};

// Read-only view of bytes owned elsewhere.
class TBytesView : public TStream {
public:
    TBytesView(const void* data, size_t size) : FData(static_cast<const uint8_t*>(data)), FSize(size) {}
    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void*, size_t) override { return 0; }
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(FSize); }

private:
    const uint8_t* FData;
    size_t FSize;
    size_t FPos = 0;
};

enum class TFileMode { fmOpenRead, fmCreate };

// Raises EFOpenError "Cannot open file \"%s\". %s" / EFCreateError "Cannot create file \"%s\". %s".
class TFileStream : public TStream {
public:
    TFileStream(const std::string& path, TFileMode mode);
    ~TFileStream() override;
    TFileStream(const TFileStream&) = delete;
    TFileStream& operator=(const TFileStream&) = delete;
    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, TSeekOrigin origin) override;
    // Flushes to disk; raises EWriteError when the data could not be written.
    void Flush();

private:
    std::FILE* FFile = nullptr;
};

// Writes bytes to path through a temporary file beside it and a rename, so a
// failed save leaves the previous file intact. Raises EFCreateError/EWriteError.
void SaveFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> LoadFile(const std::string& path);

} // namespace core
