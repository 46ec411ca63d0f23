// One QApplication for a whole test program, made before the first test runs.
#pragma once

#include <QApplication>

#include <gtest/gtest.h>

namespace tavitest {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "tavi-test";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance()) new QApplication(argc, argv);
    }
};

inline const bool QtEnvironmentAdded =
    (::testing::AddGlobalTestEnvironment(new QtEnvironment), true);

} // namespace tavitest
