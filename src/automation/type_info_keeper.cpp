#include "automation/type_info_keeper.h"

#include <cstddef>
#include <cstring>
#include <new>

#include "automation/tarvik.h"
#include "module/server_module.h"
#include "support/interface_ptr.h"

TypeInfoKeeper InterfaceKeeper = {&IID_Ilumex, &LIBID_TARVIKLib, 1, 0, nullptr, nullptr, 0, 0};
TypeInfoKeeper ClassKeeper = {&CLSID_lumex, &LIBID_TARVIKLib, 1, 0, nullptr, nullptr, 0, 0};
TypeInfoKeeper TagFileInterfaceKeeper = {&IID_ITagFile2, &LIBID_TARVIKLib, 1, 0, nullptr, nullptr, 0, 0};
TypeInfoKeeper TagFileClassKeeper = {&CLSID_TagFile, &LIBID_TARVIKLib, 1, 0, nullptr, nullptr, 0, 0};

namespace {

// The cache is one block: the entry count, then the entries.
struct NameCacheBlock {
    LONG_PTR Count;
    NameCacheEntry Entries[1];
};

NameCacheEntry* AllocateNameCache(LONG count) {
    const size_t size = offsetof(NameCacheBlock, Entries) + sizeof(NameCacheEntry) * static_cast<size_t>(count);
    auto* block = static_cast<NameCacheBlock*>(::operator new(size, std::nothrow));
    if (block == nullptr) return nullptr;
    block->Count = count;
    std::memset(block->Entries, 0, sizeof(NameCacheEntry) * static_cast<size_t>(count));
    return block->Entries;
}

void FreeNameCache(NameCacheEntry* cache) {
    auto* block = reinterpret_cast<NameCacheBlock*>(reinterpret_cast<char*>(cache) - offsetof(NameCacheBlock, Entries));
    for (LONG_PTR i = block->Count; i-- > 0;) SysFreeString(block->Entries[i].Name);
    ::operator delete(block);
}

void FillNameEntry(ITypeInfo* info, UINT index, NameCacheEntry& entry) {
    FUNCDESC* function = nullptr;
    if (FAILED(info->GetFuncDesc(index, &function))) return;
    BSTR name = nullptr;
    if (SUCCEEDED(info->GetDocumentation(function->memid, &name, nullptr, nullptr, nullptr))) {
        entry.Name = name;
        entry.Length = static_cast<LONG>(SysStringLen(name));
        entry.DispId = function->memid;
    }
    info->ReleaseFuncDesc(function);
}

// Never fails as a whole: functions that cannot be read leave holes that lookups skip.
void BuildNameCache(TypeInfoKeeper& keeper, ITypeInfo* info) {
    TYPEATTR* attributes = nullptr;
    if (FAILED(info->GetTypeAttr(&attributes))) return;
    keeper.NameCount = attributes->cFuncs;
    keeper.NameCache = keeper.NameCount != 0 ? AllocateNameCache(keeper.NameCount) : nullptr;
    if (keeper.NameCache == nullptr) {
        keeper.NameCount = 0;
    } else {
        for (LONG i = 0; i < keeper.NameCount; ++i) FillNameEntry(info, static_cast<UINT>(i), keeper.NameCache[i]);
    }
    info->ReleaseTypeAttr(attributes);
}

HRESULT LoadUnderLock(TypeInfoKeeper& keeper, LCID lcid) {
    InterfacePtr<ITypeLib> library;
    HRESULT result = LoadRegTypeLib(*keeper.LibId, keeper.MajorVersion, keeper.MinorVersion, lcid, library.Receive());
    if (FAILED(result)) return result;
    InterfacePtr<ITypeInfo> info;
    result = library->GetTypeInfoOfGuid(*keeper.Guid, info.Receive());
    if (FAILED(result)) return result;
    // Keep the richer interface where the system offers one.
    InterfacePtr<ITypeInfo> held = info;
    InterfacePtr<ITypeInfo2> info2;
    if (SUCCEEDED(info.QueryInto(IID_ITypeInfo2, info2))) held = InterfacePtr<ITypeInfo>::Share(info2.Get());
    BuildNameCache(keeper, held.Get());
    // Written last: readers outside the lock take a non-null TypeInfo to mean "cache ready".
    keeper.TypeInfo.store(held.Detach(), std::memory_order_release);
    return result;
}

// The kept type information as a reader outside the lock may use it, or null.
ITypeInfo* PublishedTypeInfo(const TypeInfoKeeper& keeper) noexcept {
    return keeper.TypeInfo.load(std::memory_order_acquire);
}

}  // namespace

HRESULT LoadTypeInfo(TypeInfoKeeper& keeper, LCID lcid) {
    if (PublishedTypeInfo(keeper) != nullptr) return S_OK;
    // Another thread that loaded it meanwhile has succeeded for us too: report S_OK, or a
    // name lookup answered from the cache would return a failure with every name resolved.
    HRESULT result = S_OK;
    {
        SectionLock lock(TheModule->TypeInfoLock);
        if (keeper.TypeInfo.load(std::memory_order_relaxed) == nullptr) result = LoadUnderLock(keeper, lcid);
    }
    // One release entry per keeper, however often a load is tried: a client that keeps
    // calling while the library is unregistered must not grow the list without bound.
    if (InterlockedCompareExchange(&keeper.ExitFunctionAdded, 1, 0) == 0 &&
        FAILED(AddExitFunction(TheModule, ReleaseTypeInfo, reinterpret_cast<DWORD_PTR>(&keeper)))) {
        InterlockedExchange(&keeper.ExitFunctionAdded, 0);
    }
    return result;
}

HRESULT HandOutTypeInfo(TypeInfoKeeper& keeper, LCID lcid, ITypeInfo** ppTInfo) {
    if (ppTInfo == nullptr) return E_POINTER;
    HRESULT result = S_OK;
    if (PublishedTypeInfo(keeper) == nullptr) result = LoadTypeInfo(keeper, lcid);
    *ppTInfo = PublishedTypeInfo(keeper);
    if (*ppTInfo == nullptr) return result;
    (*ppTInfo)->AddRef();
    return S_OK;
}

HRESULT LookUpNames(TypeInfoKeeper& keeper, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) {
    if (rgszNames == nullptr || rgDispId == nullptr) return E_POINTER;
    // Checked before anything is answered: the system's lookup does not survive a null name.
    for (UINT i = 0; i < cNames; ++i) {
        if (rgszNames[i] == nullptr) return E_POINTER;
    }
    HRESULT result = S_OK;
    ITypeInfo* info = PublishedTypeInfo(keeper);
    if (info == nullptr) {
        result = LoadTypeInfo(keeper, lcid);
        info = PublishedTypeInfo(keeper);
        if (info == nullptr) return result;
    }
    for (UINT i = 0; i < cNames; ++i) {
        const LONG n = lstrlenW(rgszNames[i]);
        bool hit = false;
        for (LONG j = keeper.NameCount; j-- > 0;) {
            const NameCacheEntry& entry = keeper.NameCache[j];
            if (entry.Name != nullptr && entry.Length == n &&
                std::memcmp(entry.Name, rgszNames[i], sizeof(wchar_t) * static_cast<size_t>(n)) == 0) {
                rgDispId[i] = entry.DispId;
                hit = true;
                break;
            }
        }
        if (hit) continue;
        // The type information matches without regard to case and maps the first name to
        // a member and the others to its parameters.
        result = info->GetIDsOfNames(rgszNames, cNames, rgDispId);
        if (FAILED(result)) return result;
    }
    return result;
}

HRESULT InvokeThroughTypeInfo(TypeInfoKeeper& keeper, IDispatch* self, DISPID dispIdMember, LCID lcid, WORD wFlags,
                              DISPPARAMS* pDispParams, VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) {
    ITypeInfo* info = PublishedTypeInfo(keeper);
    if (info == nullptr) {
        const HRESULT result = LoadTypeInfo(keeper, lcid);
        info = PublishedTypeInfo(keeper);
        if (info == nullptr) return result;
    }
    return info->Invoke(self, dispIdMember, wFlags, pDispParams, pVarResult, pExcepInfo, puArgErr);
}

void WINAPI ReleaseTypeInfo(DWORD_PTR argument) {
    auto& keeper = *reinterpret_cast<TypeInfoKeeper*>(argument);
    if (ITypeInfo* info = keeper.TypeInfo.exchange(nullptr)) info->Release();
    if (keeper.NameCache != nullptr) {
        FreeNameCache(keeper.NameCache);
        keeper.NameCache = nullptr;
    }
    keeper.NameCount = 0;
    keeper.ExitFunctionAdded = 0;
}
