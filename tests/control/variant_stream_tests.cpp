// The map-driven save and load with a map of the test's own: raw members, and dispatch
// properties of several types in their stream form; damaged counts and objects that
// cannot be recreated.
#include <gtest/gtest.h>

#include <olectl.h>

#include <cstddef>
#include <map>
#include <vector>

#include "control/property_map.h"
#include "control/variant_stream.h"
#include "common/counted_unknown.h"
#include "support/interface_ptr.h"
#include "common/stream_bytes.h"

namespace {

// An object whose dispatch properties are VARIANTs kept by DISPID.
class PropertyBag final : public CountedUnknown<IDispatch> {
public:
    PropertyBag() : CountedUnknown(IID_IDispatch) {}
    ~PropertyBag() {
        for (auto& property : properties_) VariantClear(&property.second);
    }
    VARIANT& Property(DISPID id) { return properties_[id]; }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO*, UINT*) override {
        if (flags == DISPATCH_PROPERTYGET) return VariantCopy(result, &properties_[id]);
        // Objects go by reference only, as their put is tried that way first.
        const bool isObject = V_VT(&params->rgvarg[0]) == VT_DISPATCH || V_VT(&params->rgvarg[0]) == VT_UNKNOWN;
        if ((flags == DISPATCH_PROPERTYPUTREF) != isObject) return DISP_E_MEMBERNOTFOUND;
        return VariantCopy(&properties_[id], &params->rgvarg[0]);
    }

private:
    std::map<DISPID, VARIANT> properties_;
};

struct RawMembers {
    LONG Number;
    short Small;
};

const PropertyMapEntry kTestMap[] = {
    {L"Number", 0, &CLSID_NULL, nullptr, offsetof(RawMembers, Number), sizeof(LONG), VT_I4},
    {L"Count", 1, &CLSID_NULL, &IID_IDispatch, 0, 0, VT_I4},
    {nullptr, 9, &CLSID_NULL, &IID_IDispatch, 0, 0, VT_I4},  // no name: skipped
    {L"Text", 2, &CLSID_NULL, &IID_IDispatch, 0, 0, VT_BSTR},
    {L"Flag", 3, &CLSID_NULL, &IID_IDispatch, 0, 0, VT_BOOL},
    {L"Font", 4, &CLSID_NULL, &IID_IDispatch, 0, 0, VT_DISPATCH},
    {L"Nothing", 5, &CLSID_NULL, &IID_IDispatch, 0, 0, VT_UNKNOWN},
    {L"Small", 0, &CLSID_NULL, nullptr, offsetof(RawMembers, Small), sizeof(short), VT_I2},
    {nullptr, 0, nullptr, &IID_NULL, 0, 0, 0},
};

}  // namespace

TEST(VariantStream, AMapOfRawAndDispatchEntriesRoundTrips) {
    PropertyBag source;
    RawMembers raw{-7, 300};
    V_VT(&source.Property(1)) = VT_I4;
    V_I4(&source.Property(1)) = 0x01020304;
    V_VT(&source.Property(2)) = VT_BSTR;
    V_BSTR(&source.Property(2)) = SysAllocString(L"hi");
    V_VT(&source.Property(3)) = VT_BOOL;
    V_BOOL(&source.Property(3)) = VARIANT_TRUE;
    FONTDESC description{sizeof description, const_cast<LPOLESTR>(L"Arial"), {120000, 0}, FW_BOLD, 0, 0, 0, 0};
    V_VT(&source.Property(4)) = VT_DISPATCH;
    ASSERT_EQ(OleCreateFontIndirect(&description, IID_IDispatch, reinterpret_cast<void**>(&V_DISPATCH(&source.Property(4)))), S_OK);
    V_VT(&source.Property(5)) = VT_UNKNOWN;
    V_UNKNOWN(&source.Property(5)) = nullptr;

    InterfacePtr<IStream> stream = StreamOf({});
    ASSERT_EQ(SavePropertiesToStream(stream.Get(), kTestMap, {&source, &raw}), S_OK);
    // The version, the raw member, a VT_I4, then "hi" counted with its terminator.
    const Bytes expected = {0x00, 0x03, 0, 0, 0xF9, 0xFF, 0xFF, 0xFF, VT_I4, 0, 4, 3, 2, 1,
                            VT_BSTR, 0, 6, 0, 0, 0, 'h', 0, 'i', 0, 0, 0, VT_BOOL, 0, 0xFF, 0xFF};
    EXPECT_EQ(Prefix(stream.Get(), expected.size()), expected);

    PropertyBag target;
    RawMembers loaded{0, 0};
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    ASSERT_EQ(LoadPropertiesFromStream(stream.Get(), kTestMap, {&target, &loaded}), S_OK);
    EXPECT_EQ(loaded.Number, -7);
    EXPECT_EQ(loaded.Small, 300);
    EXPECT_EQ(V_I4(&target.Property(1)), 0x01020304);
    EXPECT_STREQ(V_BSTR(&target.Property(2)), L"hi");
    EXPECT_EQ(V_BOOL(&target.Property(3)), VARIANT_TRUE);
    ASSERT_EQ(V_VT(&target.Property(4)), VT_DISPATCH);
    InterfacePtr<IFont> font;
    ASSERT_EQ(V_DISPATCH(&target.Property(4))->QueryInterface(IID_IFont, font.ReceiveVoid()), S_OK);
    BOOL bold = FALSE;
    font->get_Bold(&bold);
    EXPECT_TRUE(bold);
    CY size{};
    font->get_Size(&size);
    EXPECT_EQ(size.int64, 120000);
    font.Reset();
    EXPECT_EQ(V_VT(&target.Property(5)), VT_UNKNOWN);
    EXPECT_EQ(V_UNKNOWN(&target.Property(5)), nullptr);
    EXPECT_EQ(source.References(), 0);
    EXPECT_EQ(target.References(), 0);

    // A stream that ends inside a later entry stores none of the raw members.
    const Bytes whole = Prefix(stream.Get(), expected.size());
    RawMembers untouched{1, 2};
    EXPECT_LT(LoadPropertiesFromStream(StreamOf(whole).Get(), kTestMap, {&target, &untouched}), 0);
    EXPECT_EQ(untouched.Number, 1);
    EXPECT_EQ(untouched.Small, 2);
}

TEST(VariantStream, DamagedStringCountsAreRefusedWithoutAllocating) {
    const Bytes counts[] = {
        {1, 0, 0, 0, 0, 0},                    // shorter than the terminator
        {3, 0, 0, 0, 'a', 0, 0},               // half a character
        {0xFE, 0xFF, 0xFF, 0x7F, 'a', 0, 0, 0},  // far more than the stream holds
        {6, 0, 0, 0, 'a', 0},                  // ends early
    };
    for (const Bytes& bytes : counts) {
        BSTR text = reinterpret_cast<BSTR>(1);
        EXPECT_LT(ReadStringFromStream(StreamOf(bytes).Get(), text), 0) << bytes[0];
        EXPECT_EQ(text, nullptr);
    }
    BSTR text = reinterpret_cast<BSTR>(1);
    EXPECT_EQ(ReadStringFromStream(StreamOf({0, 0, 0, 0}).Get(), text), S_OK);
    EXPECT_EQ(text, nullptr);
}

TEST(VariantStream, AnObjectThatCannotBeRecreatedFailsTheRead) {
    // VT_UNKNOWN, then a class nobody registered.
    Bytes bytes = {VT_UNKNOWN, 0};
    for (int i = 0; i < 16; ++i) bytes.push_back(static_cast<BYTE>(0xA0 + i));
    VARIANT value;
    VariantInit(&value);
    EXPECT_LT(ReadVariantFromStream(value, StreamOf(bytes).Get()), 0);
    EXPECT_EQ(V_VT(&value), VT_EMPTY);
    // Types without a fixed size travel as text and are converted back.
    V_VT(&value) = VT_I8;
    V_I8(&value) = 42;
    InterfacePtr<IStream> stream = StreamOf({});
    ASSERT_EQ(WriteVariantToStream(value, stream.Get()), S_OK);
    const Bytes text = {VT_I8, 0, 6, 0, 0, 0, '4', 0, '2', 0, 0, 0};
    EXPECT_EQ(Prefix(stream.Get(), text.size()), text);
    VariantInit(&value);
    stream->Seek(LARGE_INTEGER{}, STREAM_SEEK_SET, nullptr);
    ASSERT_EQ(ReadVariantFromStream(value, stream.Get()), S_OK);
    EXPECT_EQ(V_VT(&value), VT_I8);
    EXPECT_EQ(V_I8(&value), 42);
}
