// IQuickActivate: the container's sites in one call and the control's status words back.
#include <gtest/gtest.h>

#include <cstring>

#include "recording_container.h"
#include "common/loaded_server.h"

namespace {

class QuickActivation : public testing::Test {
protected:
    void TearDown() override {
        object.Reset();
        EXPECT_EQ(site.References(), 0) << log.Format();
        EXPECT_EQ(sink.References(), 0);
        EXPECT_EQ(server.CanUnloadNow(), S_OK);
    }

    RegisteredServer server;
    CallLog log;
    RecordingSite site{log};
    RecordingSink sink{log};
    InterfacePtr<IQuickActivate> object = server.Create<IQuickActivate>(IID_IQuickActivate);
};

QACONTAINER ContainerRecord(IOleClientSite* site, IAdviseSinkEx* sink) {
    QACONTAINER container{};
    container.cbSize = sizeof container;
    container.pClientSite = site;
    container.pAdviseSink = sink;
    return container;
}

}  // namespace

TEST_F(QuickActivation, FillsTheStatusWordsAndSitesTheControl) {
    QACONTAINER container = ContainerRecord(&site, nullptr);
    QACONTROL control;
    std::memset(&control, 0xCD, sizeof control);
    control.cbSize = sizeof control;
    ASSERT_EQ(object->QuickActivate(&container, &control), S_OK);
    EXPECT_EQ(control.cbSize, sizeof control);
    EXPECT_EQ(control.dwMiscStatus, 131473u);
    EXPECT_EQ(control.dwViewStatus, 8u);
    EXPECT_EQ(control.dwEventCookie, 0u);
    EXPECT_EQ(control.dwPropNotifyCookie, 0u);
    EXPECT_EQ(control.dwPointerActivationPolicy, 0u);
    // It sites the control as SetClientSite would, and activates nothing.
    EXPECT_EQ(log.Entries(), std::vector<std::string>{"Site.QueryInterface(IDispatch)"});
    InterfacePtr<IOleObject> ole;
    ASSERT_EQ(object.QueryInto(IID_IOleObject, ole), S_OK);
    InterfacePtr<IOleClientSite> got;
    ASSERT_EQ(ole->GetClientSite(got.Receive()), S_OK);
    EXPECT_EQ(got.Get(), static_cast<IOleClientSite*>(&site));
}

TEST_F(QuickActivation, TheAdviseSinkBecomesTheViewSink) {
    QACONTAINER container = ContainerRecord(&site, &sink);
    QACONTROL control{};
    control.cbSize = sizeof control;
    ASSERT_EQ(object->QuickActivate(&container, &control), S_OK);
    InterfacePtr<IViewObject> view;
    ASSERT_EQ(object.QueryInto(IID_IViewObject, view), S_OK);
    InterfacePtr<IAdviseSink> got;
    ASSERT_EQ(view->GetAdvise(nullptr, nullptr, got.Receive()), S_OK);
    EXPECT_EQ(got.Get(), static_cast<IAdviseSink*>(&sink));
}

TEST_F(QuickActivation, AnOlderCallersSmallerRecordIsWrittenOnlyWithinItsSize) {
    QACONTAINER container = ContainerRecord(nullptr, nullptr);
    unsigned char bytes[sizeof(QACONTROL) + 8];
    std::memset(bytes, 0xCD, sizeof bytes);
    auto* control = reinterpret_cast<QACONTROL*>(bytes);
    control->cbSize = 8;  // room for the size and the misc status only
    ASSERT_EQ(object->QuickActivate(&container, control), S_OK);
    EXPECT_EQ(control->cbSize, 8u);
    EXPECT_EQ(control->dwMiscStatus, 131473u);
    for (size_t i = 8; i < sizeof bytes; ++i) EXPECT_EQ(bytes[i], 0xCD) << "byte " << i;
}

TEST_F(QuickActivation, NullRecordsAreRefusedBeforeAnythingHappens) {
    QACONTAINER container = ContainerRecord(&site, nullptr);
    QACONTROL control{};
    control.cbSize = sizeof control;
    EXPECT_EQ(object->QuickActivate(&container, nullptr), E_POINTER);
    EXPECT_EQ(object->QuickActivate(nullptr, &control), E_POINTER);
    EXPECT_EQ(site.References(), 0);
    EXPECT_TRUE(log.Entries().empty());
}

TEST_F(QuickActivation, ContentExtentIsTheObjectsExtent) {
    SIZEL size{};
    ASSERT_EQ(object->GetContentExtent(&size), S_OK);
    EXPECT_EQ(size.cx, 5080);
    EXPECT_EQ(size.cy, 5080);
    SIZEL wanted{1000, 500};
    ASSERT_EQ(object->SetContentExtent(&wanted), S_OK);
    ASSERT_EQ(object->GetContentExtent(&size), S_OK);
    EXPECT_EQ(size.cx, 1000);
    EXPECT_EQ(size.cy, 500);
    EXPECT_EQ(object->GetContentExtent(nullptr), E_POINTER);
    EXPECT_EQ(object->SetContentExtent(nullptr), E_POINTER);
}
