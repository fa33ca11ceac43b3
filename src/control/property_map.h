// What a control persists, as a table: raw data members of the object, and properties
// reached through one of its dispatch interfaces.  Saved as a version word followed by
// each entry in map order; loaded the same way.
#pragma once
#include <windows.h>
#include <oleauto.h>
#include <objidl.h>
#include <ocidl.h>

struct PropertyMapEntry {
    const wchar_t* Name;     // an entry without a name is skipped
    DISPID DispId;           // dispatch entries: the property
    const CLSID* PageClsid;  // its property page, CLSID_NULL for none; null ends the map
    const IID* DispatchIid;  // dispatch entries: the interface that reads and writes it
    DWORD DataOffset;        // raw entries: where the bytes lie in the object's data
    DWORD DataSize;          // raw entries: how many bytes; 0 makes a dispatch entry
    VARTYPE VarType;
};

// The object a map is applied to.  A raw entry's DataOffset counts from Data, the start
// of the record that holds the object's persisted members, rather than from the start of
// the whole object: a control with virtual operations and several bases has no layout
// that offsetof may measure, while a plain record does (see PropertyMap below).
struct PropertyOwner {
    IUnknown* Identity;  // asked for the dispatch entries' interfaces
    void* Data;
};

// The version word written before the values; streams of a later version are refused.
constexpr DWORD kPropertyStreamVersion = 0x0300;

// The lumex control's map: the extent's width "_cx" and height "_cy", raw, measured from
// the control's Extent record.
extern const PropertyMapEntry PropertyMap[];

HRESULT SavePropertiesToStream(IStream* stream, const PropertyMapEntry* map, const PropertyOwner& owner);
// Raw values are stored only when the whole load succeeds; a stream that ends early, or
// one of a later version, changes none of them.
HRESULT LoadPropertiesFromStream(IStream* stream, const PropertyMapEntry* map, const PropertyOwner& owner);

// GetPages: the distinct property pages that the map's dispatch entries name, in map
// order, in an array of task memory for the caller (none for an empty list).
HRESULT CollectPropertyPages(const PropertyMapEntry* map, CAUUID* pages);
