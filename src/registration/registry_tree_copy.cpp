// The copy is a run of records in one buffer:
//   key:   RecordKey, the path length in characters, the path below the top and its NUL
//   value: RecordValue, the name length, the name and its NUL, the type, the data size, the data
// Names are read and written through the wide registry calls, so that every name and
// every byte comes back exactly, whatever the code page.
#include "registration/registry_tree_copy.h"

#include <memory>
#include <new>

#include "registration/registry_key.h"

namespace {

constexpr DWORD RecordKey = 1;
constexpr DWORD RecordValue = 2;

HRESULT AppendDword(ByteBuffer& buffer, DWORD value) noexcept { return buffer.Append(&value, sizeof value); }

HRESULT AppendText(ByteBuffer& buffer, const wchar_t* text, DWORD length) noexcept {
    HRESULT hr = AppendDword(buffer, length);
    if (SUCCEEDED(hr)) hr = buffer.Append(text, length * sizeof(wchar_t));
    if (SUCCEEDED(hr)) hr = buffer.Append(L"", sizeof(wchar_t));
    return hr;
}

HRESULT FromStatus(LONG status) noexcept { return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status); }

// Reads the records back in order.
class RecordReader {
public:
    explicit RecordReader(const ByteBuffer& buffer) noexcept : at_(buffer.Data()), end_(buffer.Data() + buffer.Size()) {}
    bool AtEnd() const noexcept { return at_ >= end_; }
    DWORD Dword() noexcept {
        DWORD value = 0;
        CopyMemory(&value, at_, sizeof value);
        at_ += sizeof value;
        return value;
    }
    // The text is copied out: the records keep no alignment.
    bool Text(std::unique_ptr<wchar_t[]>& text) noexcept {
        const DWORD length = Dword();
        text.reset(new (std::nothrow) wchar_t[length + 1]);
        if (text) CopyMemory(text.get(), at_, (length + 1) * sizeof(wchar_t));
        at_ += (length + 1) * sizeof(wchar_t);
        return static_cast<bool>(text);
    }
    const BYTE* Bytes(DWORD size) noexcept {
        const BYTE* bytes = at_;
        at_ += size;
        return bytes;
    }

private:
    const BYTE* at_;
    const BYTE* end_;
};

}  // namespace

HRESULT RegistryTreeCopy::Read(HKEY parent, const char* name) noexcept {
    Records.Truncate(0);
    RegistryKey top;
    if (top.Open(parent, name, KEY_READ) != ERROR_SUCCESS) return S_FALSE;
    ByteBuffer path;
    const HRESULT hr = ReadKey(top.Get(), path);
    if (FAILED(hr)) Records.Truncate(0);
    return hr;
}

// path holds the key's path below the top, without a NUL, as wide characters.
HRESULT RegistryTreeCopy::ReadKey(HKEY key, ByteBuffer& path) noexcept {
    DWORD subkeys = 0, longestSubkey = 0, values = 0, longestValueName = 0, largestData = 0;
    HRESULT hr = FromStatus(RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, &longestSubkey, nullptr,
                                             &values, &longestValueName, &largestData, nullptr, nullptr));
    const auto* pathText = reinterpret_cast<const wchar_t*>(path.Data());
    const auto pathLength = static_cast<DWORD>(path.Size() / sizeof(wchar_t));
    if (SUCCEEDED(hr)) hr = AppendDword(Records, RecordKey);
    if (SUCCEEDED(hr)) hr = AppendText(Records, pathLength > 0 ? pathText : L"", pathLength);
    if (SUCCEEDED(hr)) hr = ReadValues(key, values, longestValueName, largestData);
    if (SUCCEEDED(hr)) hr = ReadSubkeys(key, path, subkeys, longestSubkey);
    return hr;
}

HRESULT RegistryTreeCopy::ReadValues(HKEY key, DWORD count, DWORD longestName, DWORD largestData) noexcept {
    std::unique_ptr<wchar_t[]> name(new (std::nothrow) wchar_t[longestName + 1]);
    std::unique_ptr<BYTE[]> data(new (std::nothrow) BYTE[largestData + 1]);
    if (!name || !data) return E_OUTOFMEMORY;
    for (DWORD i = 0; i < count; ++i) {
        DWORD nameLength = longestName + 1;
        DWORD type = 0;
        DWORD size = largestData + 1;
        const LONG status = RegEnumValueW(key, i, name.get(), &nameLength, nullptr, &type, data.get(), &size);
        if (status != ERROR_SUCCESS) return FromStatus(status);
        HRESULT hr = AppendDword(Records, RecordValue);
        if (SUCCEEDED(hr)) hr = AppendText(Records, name.get(), nameLength);
        if (SUCCEEDED(hr)) hr = AppendDword(Records, type);
        if (SUCCEEDED(hr)) hr = AppendDword(Records, size);
        if (SUCCEEDED(hr)) hr = Records.Append(data.get(), size);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT RegistryTreeCopy::ReadSubkeys(HKEY key, ByteBuffer& path, DWORD count, DWORD longestName) noexcept {
    std::unique_ptr<wchar_t[]> name(new (std::nothrow) wchar_t[longestName + 1]);
    if (!name) return E_OUTOFMEMORY;
    const size_t pathSize = path.Size();
    for (DWORD i = 0; i < count; ++i) {
        DWORD nameLength = longestName + 1;
        LONG status = RegEnumKeyExW(key, i, name.get(), &nameLength, nullptr, nullptr, nullptr, nullptr);
        HKEY child = nullptr;
        if (status == ERROR_SUCCESS) status = RegOpenKeyExW(key, name.get(), 0, KEY_READ, &child);
        if (status != ERROR_SUCCESS) return FromStatus(status);
        HRESULT hr = pathSize > 0 ? path.Append(L"\\", sizeof(wchar_t)) : S_OK;
        if (SUCCEEDED(hr)) hr = path.Append(name.get(), nameLength * sizeof(wchar_t));
        if (SUCCEEDED(hr)) hr = ReadKey(child, path);
        RegCloseKey(child);
        path.Truncate(pathSize);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

LONG RegistryTreeCopy::Restore(HKEY parent, const char* name) const noexcept {
    if (Empty()) return ERROR_SUCCESS;
    RegistryKey top;
    bool created = false;
    LONG first = top.Create(parent, name, &created);
    if (first != ERROR_SUCCESS) return first;
    RegistryKey current;
    std::unique_ptr<wchar_t[]> text;
    RecordReader reader(Records);
    while (!reader.AtEnd()) {
        const DWORD kind = reader.Dword();
        if (!reader.Text(text)) return ERROR_NOT_ENOUGH_MEMORY;
        LONG status = ERROR_SUCCESS;
        if (kind == RecordKey) {
            HKEY key = nullptr;
            status = RegCreateKeyExW(top.Get(), text.get(), 0, nullptr,
                                     REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr);
            current.Close();
            if (status == ERROR_SUCCESS) current.Adopt(key);
        } else {
            const DWORD type = reader.Dword();
            const DWORD size = reader.Dword();
            const BYTE* data = reader.Bytes(size);
            if (current.Get() != nullptr) status = RegSetValueExW(current.Get(), text.get(), 0, type, data, size);
        }
        if (first == ERROR_SUCCESS) first = status;
    }
    return first;
}
