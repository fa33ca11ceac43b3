#include "control/stream_bytes.h"

HRESULT ReadExactly(IStream* stream, void* buffer, ULONG size) {
    ULONG read = 0;
    const HRESULT result = stream->Read(buffer, size, &read);
    if (FAILED(result)) return result;
    return read == size ? result : E_FAIL;
}

HRESULT CountBytesLeft(IStream* stream, ULONGLONG& left) {
    STATSTG status{};
    HRESULT result = stream->Stat(&status, STATFLAG_NONAME);
    if (FAILED(result)) return result;
    LARGE_INTEGER noMove{};
    ULARGE_INTEGER position{};
    result = stream->Seek(noMove, STREAM_SEEK_CUR, &position);
    if (FAILED(result)) return result;
    left = status.cbSize.QuadPart > position.QuadPart ? status.cbSize.QuadPart - position.QuadPart : 0;
    return S_OK;
}
