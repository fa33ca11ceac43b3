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
        EXPECT_EQ(object->GetExtent(DVASPECT_CONTENT, -1, nullptr, &size), S_OK);
        EXPECT_EQ(size.cx, 5080);
        EXPECT_EQ(size.cy, 5080);
    }
    EXPECT_EQ(server.CanUnloadNow(), S_OK);
}
