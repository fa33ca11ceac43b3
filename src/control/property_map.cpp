#include "control/property_map.h"

#include <cstddef>
#include <cstring>
#include <memory>
#include <new>

#include "control/control_state.h"
#include "control/stream_bytes.h"
#include "control/variant_stream.h"
#include "support/interface_ptr.h"
#include "support/task_memory.h"
#include "support/unique_variant.h"

const PropertyMapEntry PropertyMap[] = {
    {L"_cx", 0, &CLSID_NULL, nullptr, offsetof(SIZEL, cx), sizeof(LONG), VT_UI4},
    {L"_cy", 0, &CLSID_NULL, nullptr, offsetof(SIZEL, cy), sizeof(LONG), VT_UI4},
    {nullptr, 0, nullptr, &IID_NULL, 0, 0, VT_EMPTY},
};

namespace {

bool IsEnd(const PropertyMapEntry& entry) { return entry.PageClsid == nullptr; }
bool IsRaw(const PropertyMapEntry& entry) { return entry.DataSize != 0; }

// Only dispatch entries (no VarType) name a page; raw entries never do.
bool NamesAPage(const PropertyMapEntry& entry) {
    return entry.VarType == 0 && !IsEqualCLSID(*entry.PageClsid, CLSID_NULL);
}

bool Holds(const CLSID* pages, ULONG count, const CLSID& page) {
    for (ULONG i = 0; i < count; ++i) {
        if (IsEqualCLSID(pages[i], page)) return true;
    }
    return false;
}

// The dispatch interface of the entries being walked, asked for again only when an
// entry names another one.
class DispatchFinder {
public:
    explicit DispatchFinder(IUnknown* identity) : identity_(identity) {}

    IDispatch* Find(const IID* iid) {
        if (held_ && iid_ != nullptr && iid != nullptr && IsEqualIID(*iid, *iid_)) return held_.Get();
        held_.Reset();
        iid_ = iid;
        if (iid == nullptr) return nullptr;
        identity_->QueryInterface(*iid, held_.ReceiveVoid());
        return held_.Get();
    }

private:
    IUnknown* identity_;
    const IID* iid_ = nullptr;
    InterfacePtr<IDispatch> held_;
};

size_t CountRawBytes(const PropertyMapEntry* map) {
    size_t total = 0;
    for (const PropertyMapEntry* entry = map; !IsEnd(*entry); ++entry) {
        if (entry->Name != nullptr && IsRaw(*entry)) total += entry->DataSize;
    }
    return total;
}

void StoreRawValues(const PropertyMapEntry* map, const BYTE* values, void* data) {
    for (const PropertyMapEntry* entry = map; !IsEnd(*entry); ++entry) {
        if (entry->Name == nullptr || !IsRaw(*entry)) continue;
        std::memcpy(static_cast<BYTE*>(data) + entry->DataOffset, values, entry->DataSize);
        values += entry->DataSize;
    }
}

HRESULT SaveDispatchEntry(IStream* stream, const PropertyMapEntry& entry, DispatchFinder& finder) {
    IDispatch* dispatch = finder.Find(entry.DispatchIid);
    if (dispatch == nullptr) return E_FAIL;
    UniqueVariant value;
    if (FAILED(GetDispatchProperty(dispatch, entry.DispId, value.Get()))) return E_FAIL;
    return WriteVariantToStream(*value.Get(), stream);
}

HRESULT LoadDispatchEntry(IStream* stream, const PropertyMapEntry& entry, DispatchFinder& finder) {
    UniqueVariant value;
    const HRESULT read = ReadVariantFromStream(*value.Get(), stream);
    if (FAILED(read)) return read;
    IDispatch* dispatch = finder.Find(entry.DispatchIid);
    if (dispatch == nullptr) return E_FAIL;
    if (FAILED(PutDispatchProperty(dispatch, entry.DispId, value.Get()))) return E_FAIL;
    return read;
}

}  // namespace

HRESULT SavePropertiesToStream(IStream* stream, const PropertyMapEntry* map, const PropertyOwner& owner) {
    const DWORD version = kPropertyStreamVersion;
    HRESULT result = stream->Write(&version, sizeof version, nullptr);
    if (FAILED(result)) return result;
    DispatchFinder finder(owner.Identity);
    for (const PropertyMapEntry* entry = map; !IsEnd(*entry); ++entry) {
        if (entry->Name == nullptr) continue;
        if (IsRaw(*entry)) {
            result = stream->Write(static_cast<const BYTE*>(owner.Data) + entry->DataOffset, entry->DataSize, nullptr);
        } else {
            result = SaveDispatchEntry(stream, *entry, finder);
        }
        if (FAILED(result)) return result;
    }
    return result;
}

HRESULT LoadPropertiesFromStream(IStream* stream, const PropertyMapEntry* map, const PropertyOwner& owner) {
    DWORD version = 0;
    HRESULT result = ReadExactly(stream, &version, sizeof version);
    if (FAILED(result)) return result;
    if (version > kPropertyStreamVersion) return E_FAIL;
    // The raw values are gathered first and stored together at the end.
    const size_t rawBytes = CountRawBytes(map);
    std::unique_ptr<BYTE[]> values(new (std::nothrow) BYTE[rawBytes == 0 ? 1 : rawBytes]);
    if (!values) return E_OUTOFMEMORY;
    BYTE* next = values.get();
    DispatchFinder finder(owner.Identity);
    for (const PropertyMapEntry* entry = map; !IsEnd(*entry); ++entry) {
        if (entry->Name == nullptr) continue;
        if (IsRaw(*entry)) {
            result = ReadExactly(stream, next, entry->DataSize);
            next += entry->DataSize;
        } else {
            result = LoadDispatchEntry(stream, *entry, finder);
        }
        if (FAILED(result)) return result;
    }
    StoreRawValues(map, values.get(), owner.Data);
    return result;
}

HRESULT CollectPropertyPages(const PropertyMapEntry* map, CAUUID* pages) {
    if (pages == nullptr) return E_POINTER;
    pages->cElems = 0;
    pages->pElems = nullptr;
    ULONG count = 0;
    for (const PropertyMapEntry* entry = map; !IsEnd(*entry); ++entry) {
        if (NamesAPage(*entry)) ++count;
    }
    // No pages is an empty list, whatever a zero-byte allocation would answer.
    if (count == 0) return S_OK;
    TaskMemory<CLSID> found(static_cast<CLSID*>(CoTaskMemAlloc(count * sizeof(CLSID))));
    if (found.Get() == nullptr) return E_OUTOFMEMORY;
    ULONG distinct = 0;
    for (const PropertyMapEntry* entry = map; !IsEnd(*entry); ++entry) {
        if (NamesAPage(*entry) && !Holds(found.Get(), distinct, *entry->PageClsid)) {
            found.Get()[distinct++] = *entry->PageClsid;
        }
    }
    pages->cElems = distinct;
    pages->pElems = found.Detach();
    return S_OK;
}
