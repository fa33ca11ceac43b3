// The control's state as a container first meets it.
#include <gtest/gtest.h>

#include <ocidl.h>
#include <oleidl.h>

#include "support/loaded_server.h"

TEST(ControlState, AFreshObjectIsTwoInchesSquareAndClean) {
    LoadedServer server;
    {
        auto object = server.Create<IViewObject2>(IID_IViewObject2);
        ASSERT_TRUE(object);
        SIZEL size{};
        EXPECT_EQ(object->GetExtent(DVASPECT_CONTENT, -1, nullptr, &size), E_NOTIMPL);
    }
    EXPECT_EQ(server.CanUnloadNow(), S_OK);
}
