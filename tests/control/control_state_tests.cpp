// The control's state over its life: what a fresh object reports, and the order in which
// a dying object lets go of its container and of the library.
#include <gtest/gtest.h>

#include <ocidl.h>
#include <oleidl.h>

#include <functional>

#include "common/counted_unknown.h"
#include "common/loaded_server.h"

namespace {

// A client site that asks the library, when its last reference goes, whether it could be
// unloaded now.
class UnloadProbeSite final : public CountedUnknown<IOleClientSite> {
public:
    explicit UnloadProbeSite(std::function<HRESULT()> ask)
        : CountedUnknown(IID_IOleClientSite), ask_(std::move(ask)) {}

    HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer**) override { return E_NOINTERFACE; }
    HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return E_NOTIMPL; }

    HRESULT AnswerAtLastRelease() const { return answerAtLastRelease_; }

private:
    void OnLastRelease() override { answerAtLastRelease_ = ask_(); }

    std::function<HRESULT()> ask_;
    HRESULT answerAtLastRelease_ = E_UNEXPECTED;
};

}  // namespace

TEST(ControlLifetime, TheLibraryStaysLockedUntilTheObjectHasLetGoOfItsSite) {
    LoadedServer server;
    UnloadProbeSite site([&server] { return server.CanUnloadNow(); });
    {
        auto object = server.Create<IOleObject>(IID_IOleObject);
        ASSERT_EQ(object->SetClientSite(&site), S_OK);
        EXPECT_EQ(site.References(), 1);
    }
    EXPECT_EQ(site.References(), 0);
    // The site was released during the object's clean-up, while its lock was still held.
    EXPECT_EQ(site.AnswerAtLastRelease(), S_FALSE);
    EXPECT_EQ(server.CanUnloadNow(), S_OK);
}

TEST(ControlLifetime, AnAggregatedControlAlsoLetsGoBeforeUnlocking) {
    LoadedServer server;
    UnloadProbeSite site([&server] { return server.CanUnloadNow(); });
    // An outer object that counts nothing: the aggregate lives as long as its inner unknown.
    class Outer final : public IUnknown {
    public:
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppv) override {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
        ULONG STDMETHODCALLTYPE Release() override { return 1; }
    } outer;
    InterfacePtr<IUnknown> inner;
    ASSERT_EQ(server.Factory()->CreateInstance(&outer, IID_IUnknown, inner.ReceiveVoid()), S_OK);
    InterfacePtr<IOleObject> object;
    ASSERT_EQ(inner.QueryInto(IID_IOleObject, object), S_OK);
    ASSERT_EQ(object->SetClientSite(&site), S_OK);
    object.Reset();
    inner.Reset();
    EXPECT_EQ(site.References(), 0);
    EXPECT_EQ(site.AnswerAtLastRelease(), S_FALSE);
    EXPECT_EQ(server.CanUnloadNow(), S_OK);
}
