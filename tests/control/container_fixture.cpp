#include "container_fixture.h"

ContainerFixture::ContainerFixture() {
    site.Options().Parent = container.Handle();
    site.Options().Frame = &frame;
    site.Options().Document = &document;
    object = MakeSitedControl(site);
}

InterfacePtr<IOleObject> ContainerFixture::MakeSitedControl(RecordingSite& clientSite) {
    auto control = server.Create<IOleObject>(IID_IOleObject);
    EXPECT_TRUE(control);
    if (control) control->SetClientSite(&clientSite);
    log.Clear();
    return control;
}

InterfacePtr<IOleInPlaceObjectWindowless> ContainerFixture::InPlace() const {
    InterfacePtr<IOleInPlaceObjectWindowless> inPlace;
    object.QueryInto(IID_IOleInPlaceObjectWindowless, inPlace);
    return inPlace;
}

InterfacePtr<IOleInPlaceActiveObject> ContainerFixture::ActiveObject() const {
    InterfacePtr<IOleInPlaceActiveObject> active;
    object.QueryInto(IID_IOleInPlaceActiveObject, active);
    return active;
}

HRESULT ContainerFixture::Activate(LONG verb) {
    RECT unused{1, 2, 3, 4};
    return object->DoVerb(verb, nullptr, &site, 0, container.Handle(), &unused);
}

void ContainerFixture::UseLevel(InPlaceLevel level, bool acceptsWindowless) {
    site.Options().Level = level;
    site.Options().AcceptsWindowless = acceptsWindowless;
}

void ContainerFixture::ActivateWindowedInPlace() {
    UseLevel(InPlaceLevel::Ex);
    ASSERT_EQ(Activate(OLEIVERB_INPLACEACTIVATE), S_OK);
    ASSERT_NE(ControlWindowHandle(), nullptr);
    log.Clear();
}

HWND ContainerFixture::ControlWindowHandle() const {
    for (HWND child = GetWindow(container.Handle(), GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (ClassNameOf(child).compare(0, 4, "TVK:") == 0) return child;
    }
    return nullptr;
}

void ContainerFixture::DropControl(InterfacePtr<IOleObject>& control) {
    if (!control) return;
    control->Close(OLECLOSE_NOSAVE);
    control->SetClientSite(nullptr);
    control.Reset();
    frame.ForgetActiveObject();
    document.ForgetActiveObject();
}

void ContainerFixture::TearDown() {
    DropControl(object);
    EXPECT_EQ(site.References(), 0);
    EXPECT_EQ(frame.References(), 0);
    EXPECT_EQ(document.References(), 0);
    EXPECT_EQ(server.CanUnloadNow(), S_OK);
}

std::string Lines(const std::vector<std::string>& entries) {
    std::string text;
    for (const std::string& entry : entries) text += "  " + entry + "\n";
    return text;
}

std::string ClassNameOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}
