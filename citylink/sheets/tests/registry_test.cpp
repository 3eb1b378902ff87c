#include "citylink/sheets/registry.h"
#include "citylink/sheets/testing/recording_backend.h"

#include <gtest/gtest.h>

using namespace sheets;

TEST(BackendRegistry, UnknownIdentifierCannotCreate) {
    BackendRegistry registry;
    try {
        registry.CreateObject("Excel.Application");
        FAIL() << "created";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), errors::kCannotCreateObject);
        EXPECT_NE(e.description().find("Excel.Application"), std::string::npos);
    }
    registry.Register("Empty", [] { return ApplicationPtr(); });
    EXPECT_THROW(registry.CreateObject("Empty"), AutomationError);
}

TEST(BackendRegistry, TriesTheIdentifiersInTheWindowsOrder) {
    EXPECT_EQ(kExcelProgIds[0], "Excel.Application.15");
    EXPECT_EQ(kExcelProgIds[1], "Excel.Application");
    EXPECT_EQ(kExcelProgIds[2], "Excel.Application.16");

    // Only the second resolves: it is the one used, and the third is never tried.
    auto second = std::make_shared<doubles::RecordingBackend>();
    second->progIds = {"Excel.Application"};
    auto third = std::make_shared<doubles::RecordingBackend>();
    third->progIds = {"Excel.Application.16"};
    BackendRegistry registry;
    second->registerIn(registry);
    third->registerIn(registry);

    ApplicationPtr app = CreateFirstAvailable(registry);
    ASSERT_TRUE(app);
    EXPECT_EQ(second->calls(), std::vector<std::string>{"CreateObject(Excel.Application)"});
    EXPECT_EQ(third->applicationsCreated(), 0);
}

TEST(BackendRegistry, NoneResolvingThrowsTheLastFailure) {
    BackendRegistry registry;
    registry.Register("Excel.Application.16", []() -> ApplicationPtr {
        throw AutomationError("サーバーが起動できません", 12345);
    });
    try {
        CreateFirstAvailable(registry);
        FAIL() << "created";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), 12345);
    }
    try {
        CreateFirstAvailable(BackendRegistry{}, {});
        FAIL() << "created";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), errors::kCannotCreateObject);
    }
}
