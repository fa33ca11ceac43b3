#include "common/stream_bytes.h"

#include <gtest/gtest.h>

InterfacePtr<IStream> StreamOf(const Bytes& bytes) {
    InterfacePtr<IStream> stream;
    EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.Receive()), S_OK);
    if (!stream) return stream;
    if (!bytes.empty()) stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    return stream;
}

Bytes BytesOf(IStream* stream) {
    STATSTG status{};
    stream->Stat(&status, STATFLAG_NONAME);
    return Prefix(stream, static_cast<size_t>(status.cbSize.QuadPart));
}

Bytes Prefix(IStream* stream, size_t count) {
    Bytes bytes(count);
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    if (!bytes.empty()) stream->Read(bytes.data(), static_cast<ULONG>(count), nullptr);
    return bytes;
}
