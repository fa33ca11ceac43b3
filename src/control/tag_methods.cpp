// Ilumex's tag methods: each hands the call to the object's tag record.
#include "control/lumex_control.h"

HRESULT STDMETHODCALLTYPE LumexControl::LoadMP3Head(BSTR strName) { return Tag.LoadMP3Head(strName); }
HRESULT STDMETHODCALLTYPE LumexControl::get_GetTitle(BSTR* pVal) { return Tag.GetTitle(pVal); }
HRESULT STDMETHODCALLTYPE LumexControl::get_GetArtist(BSTR* pVal) { return Tag.GetArtist(pVal); }
HRESULT STDMETHODCALLTYPE LumexControl::get_GetAlbum(BSTR* pVal) { return Tag.GetAlbum(pVal); }
HRESULT STDMETHODCALLTYPE LumexControl::get_GetProYear(BSTR* pVal) { return Tag.GetProYear(pVal); }
HRESULT STDMETHODCALLTYPE LumexControl::get_GetComment(BSTR* pVal) { return Tag.GetComment(pVal); }
HRESULT STDMETHODCALLTYPE LumexControl::get_GetGenreNo(short* pVal) { return Tag.GetGenreNo(pVal); }
HRESULT STDMETHODCALLTYPE LumexControl::DoCutTailSp() { return Tag.DoCutTailSp(); }
