#include "control/variant_stream.h"

#include "control/stream_bytes.h"
#include "support/interface_ptr.h"
#include "support/unique_bstr.h"
#include "support/unique_variant.h"

namespace {

constexpr ULONG kTerminatorBytes = sizeof(OLECHAR);

// The bytes of a value stored as it lies in the VARIANT; 0 for the types stored otherwise.
ULONG FixedValueSize(VARTYPE type) {
    switch (type) {
    case VT_I1:
    case VT_UI1:
        return 1;
    case VT_I2:
    case VT_UI2:
    case VT_BOOL:
        return 2;
    case VT_I4:
    case VT_UI4:
    case VT_R4:
    case VT_INT:
    case VT_UINT:
    case VT_ERROR:
        return 4;
    case VT_R8:
    case VT_CY:
    case VT_DATE:
        return 8;
    default:
        return 0;
    }
}

bool IsObjectType(VARTYPE type) { return type == VT_UNKNOWN || type == VT_DISPATCH; }

// Every value type shares the storage that starts where the one-byte member lies.
const BYTE* ValueBytes(const VARIANT& value) { return &V_UI1(&value); }
BYTE* ValueBytes(VARIANT& value) { return &V_UI1(&value); }

HRESULT WriteBytes(IStream* stream, const void* bytes, ULONG size) { return stream->Write(bytes, size, nullptr); }

HRESULT WriteObject(IUnknown* object, IStream* stream) {
    if (object == nullptr) return WriteClassStm(stream, CLSID_NULL);
    InterfacePtr<IPersistStream> persistence;
    const HRESULT asked = object->QueryInterface(IID_IPersistStream, persistence.ReceiveVoid());
    if (FAILED(asked)) return asked;
    return OleSaveToStream(persistence.Get(), stream);
}

// A null object is stored as CLSID_NULL alone and comes back null; any other class is
// created and loaded by the platform, and its failure is the read's.
HRESULT ReadObject(VARTYPE type, VARIANT& value, IStream* stream) {
    CLSID stored;
    HRESULT result = ReadClassStm(stream, &stored);
    if (FAILED(result)) return result;
    InterfacePtr<IUnknown> object;
    if (!IsEqualCLSID(stored, CLSID_NULL)) {
        LARGE_INTEGER back;
        back.QuadPart = -static_cast<LONGLONG>(sizeof(CLSID));
        result = stream->Seek(back, STREAM_SEEK_CUR, nullptr);
        if (FAILED(result)) return result;
        result = OleLoadFromStream(stream, type == VT_DISPATCH ? IID_IDispatch : IID_IUnknown, object.ReceiveVoid());
        if (FAILED(result)) return result;
    }
    V_VT(&value) = type;
    V_UNKNOWN(&value) = object.Detach();
    return S_OK;
}

HRESULT WriteAsString(const VARIANT& value, IStream* stream) {
    UniqueVariant converted;
    const VARIANT* text = &value;
    if (V_VT(&value) != VT_BSTR) {
        // The source is only read; the platform's signature just lacks the const.
        const HRESULT changed =
            VariantChangeType(converted.Get(), const_cast<VARIANT*>(&value), VARIANT_NOVALUEPROP, VT_BSTR);
        if (FAILED(changed)) return changed;
        text = converted.Get();
    }
    // The copy ends at the first null character, as the count that is written says.
    UniqueBstr copy(SysAllocString(V_BSTR(text)));
    if (V_BSTR(text) != nullptr && copy.Get() == nullptr) return E_OUTOFMEMORY;
    return WriteStringToStream(copy.Get(), stream);
}

HRESULT ReadAsString(VARTYPE type, VARIANT& value, IStream* stream) {
    BSTR text = nullptr;
    const HRESULT result = ReadStringFromStream(stream, text);
    if (FAILED(result)) return result;
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = text;
    if (type == VT_BSTR) return result;
    return VariantChangeType(&value, &value, 0, type);
}

HRESULT ReadValue(VARIANT& value, IStream* stream) {
    VARTYPE type = VT_EMPTY;
    HRESULT result = ReadExactly(stream, &type, sizeof type);
    if (FAILED(result)) return result;
    if (const ULONG size = FixedValueSize(type)) {
        result = ReadExactly(stream, ValueBytes(value), size);
        if (SUCCEEDED(result)) V_VT(&value) = type;
        return result;
    }
    if (IsObjectType(type)) return ReadObject(type, value, stream);
    return ReadAsString(type, value, stream);
}

}  // namespace

HRESULT WriteVariantToStream(const VARIANT& value, IStream* stream) {
    const VARTYPE type = V_VT(&value);
    const HRESULT written = WriteBytes(stream, &type, sizeof type);
    if (FAILED(written)) return written;
    if (const ULONG size = FixedValueSize(type)) return WriteBytes(stream, ValueBytes(value), size);
    if (IsObjectType(type)) return WriteObject(V_UNKNOWN(&value), stream);
    return WriteAsString(value, stream);
}

HRESULT ReadVariantFromStream(VARIANT& value, IStream* stream) {
    HRESULT result = VariantClear(&value);
    if (FAILED(result)) return result;
    result = ReadValue(value, stream);
    if (FAILED(result)) VariantClear(&value);
    return result;
}

HRESULT WriteStringToStream(BSTR text, IStream* stream) {
    const ULONG count = text == nullptr ? 0 : SysStringByteLen(text) + kTerminatorBytes;
    const HRESULT written = WriteBytes(stream, &count, sizeof count);
    if (FAILED(written)) return written;
    if (count == 0) return S_OK;
    return WriteBytes(stream, text, count);
}

HRESULT ReadStringFromStream(IStream* stream, BSTR& text) {
    text = nullptr;
    ULONG count = 0;
    HRESULT result = ReadExactly(stream, &count, sizeof count);
    if (FAILED(result)) return result;
    if (count == 0) return S_OK;
    // A count is whole UTF-16 units with a terminator, and no more than the stream holds:
    // anything else is a damaged stream, refused before any memory is taken.
    if (count < kTerminatorBytes || count % sizeof(OLECHAR) != 0) return E_FAIL;
    ULONGLONG left = 0;
    result = CountBytesLeft(stream, left);
    if (FAILED(result)) return result;
    if (count > left) return E_FAIL;
    const ULONG textBytes = count - kTerminatorBytes;
    UniqueBstr read(SysAllocStringByteLen(nullptr, textBytes));
    if (read.Get() == nullptr) return E_OUTOFMEMORY;
    result = ReadExactly(stream, read.Get(), textBytes);
    if (FAILED(result)) return result;
    // The stored terminator is read past; the string keeps its own.
    OLECHAR terminator = 0;
    result = ReadExactly(stream, &terminator, sizeof terminator);
    if (FAILED(result)) return result;
    text = read.Detach();
    return result;
}
